#include "common/program_files.h"

#include <gtest/gtest.h>

#include "common/files.h"
#include "support/app_fixture.h"

namespace zol {
namespace {

TEST(ProgramFiles, ExtensionReplaced) {
  EXPECT_EQ(ChangeFileExt("/opt/zol/zolyab4", ".Ini"), "/opt/zol/zolyab4.Ini");
  EXPECT_EQ(ChangeFileExt("/opt/zol/zolyab4.exe", ".dat"), "/opt/zol/zolyab4.dat");
  EXPECT_EQ(ChangeFileExt("/opt/zol.d/zolyab4", ".lst"), "/opt/zol.d/zolyab4.lst");
  EXPECT_EQ(ChangeFileExt("zolyab4.bin.x", ".Ini"), "zolyab4.bin.Ini");
}

TEST(ProgramFiles, LookedUpWithoutRegardToCase) {
  TempDir dir;
  const std::string program = dir.File("zolyab4");
  EXPECT_EQ(ProgramFile(program, ".Ini"), dir.File("zolyab4.Ini"));  // none yet: own spelling
  std::string err;
  ASSERT_TRUE(WriteFileAtomic(dir.File("ZOLYAB4.DAT"), "", &err));
  ASSERT_TRUE(WriteFileAtomic(dir.File("zolyab4.ini"), "", &err));
  EXPECT_EQ(ProgramFile(program, ".dat"), dir.File("ZOLYAB4.DAT"));
  EXPECT_EQ(ProgramFile(program, ".Ini"), dir.File("zolyab4.ini"));
}

}  // namespace
}  // namespace zol
