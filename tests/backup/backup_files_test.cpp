// The backup tool's file operations where the window's table does not reach.
#include "backup/backup_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>


#include "common/files.h"
#include "support/app_fixture.h"

namespace zol {
namespace {

TEST(BackupFiles, RenameNeverReplacesAnExistingName) {
  TempDir d;
  std::string err;
  ASSERT_TRUE(WriteFileAtomic(d.File("zolyab4.dat"), "current", &err));
  ASSERT_TRUE(WriteFileAtomic(d.File("zolyab4.dat_bak"), "older", &err));
  FileError e;
  EXPECT_FALSE(RenameNoReplace(d.File("zolyab4.dat"), d.File("zolyab4.dat_bak"), &e));
  EXPECT_EQ(e.reason, "File exists");
  std::string got;
  ASSERT_TRUE(ReadFile(d.File("zolyab4.dat_bak"), &got));
  EXPECT_EQ(got, "older");
  ASSERT_TRUE(ReadFile(d.File("zolyab4.dat"), &got));
  EXPECT_EQ(got, "current");
  EXPECT_TRUE(RenameNoReplace(d.File("zolyab4.dat"), d.File("zolyab4.ini_bak"), &e));
  EXPECT_FALSE(FileExists(d.File("zolyab4.dat")));
}

TEST(BackupFiles, ACopyTakesTheSourcesPermissionsAndAMissingSourceIsNamed) {
  TempDir d;
  std::string err;
  ASSERT_TRUE(WriteFileAtomic(d.File("src"), "bytes", &err));
  ASSERT_EQ(::chmod(d.File("src").c_str(), 0640), 0);
  FileError e;
  ASSERT_TRUE(CopyReplacing(d.File("src"), d.File("dst"), &e)) << e.reason;
  struct stat st;
  ASSERT_EQ(::stat(d.File("dst").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_FALSE(CopyReplacing(d.File("gone"), d.File("dst"), &e));
  EXPECT_EQ(e.path, d.File("gone"));
  EXPECT_EQ(e.reason, "No such file or directory");
}

}  // namespace
}  // namespace zol
