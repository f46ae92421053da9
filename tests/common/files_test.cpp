#include "common/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace zol {
namespace {

class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/zolfilesXXXXXX";
    dir_ = mkdtemp(tmpl);
  }
  void TearDown() override { std::system(("rm -rf " + dir_).c_str()); }
  std::string dir_;
};

TEST_F(FilesTest, AtomicWriteReplacesWholeFile) {
  std::string path = dir_ + "/zolyab4.dat";
  std::string err;
  ASSERT_TRUE(WriteFileAtomic(path, "old\r\n", &err)) << err;
  ASSERT_TRUE(WriteFileAtomic(path, "new\r\n", &err)) << err;
  std::string got;
  ASSERT_TRUE(ReadFile(path, &got));
  EXPECT_EQ(got, "new\r\n");
  EXPECT_FALSE(FileExists(path + ".tmp"));
}

TEST_F(FilesTest, FailedWriteLeavesOldFileIntact) {
  std::string path = dir_ + "/zolyab4.dat";
  std::string err;
  ASSERT_TRUE(WriteFileAtomic(path, "precious", &err));
  ASSERT_EQ(mkdir((path + ".tmp").c_str(), 0755), 0);  // the temporary file's place is taken
  EXPECT_FALSE(WriteFileAtomic(path, "new", &err));
  EXPECT_FALSE(err.empty());
  std::string got;
  ASSERT_TRUE(ReadFile(path, &got));
  EXPECT_EQ(got, "precious");
}

TEST_F(FilesTest, AppendIgnoresErrors) {
  AppendToFile(dir_ + "/no/such/folder/x.log", "line\r\n");  // no crash, nothing written
  AppendToFile(dir_ + "/x.log", "a\r\n");
  AppendToFile(dir_ + "/x.log", "b\r\n");
  std::string got;
  ASSERT_TRUE(ReadFile(dir_ + "/x.log", &got));
  EXPECT_EQ(got, "a\r\nb\r\n");
}

TEST_F(FilesTest, FindNoCase) {
  std::string err;
  ASSERT_TRUE(WriteFileAtomic(dir_ + "/zolyab4.ini", "x", &err));
  EXPECT_EQ(FindNoCase(dir_, "zolyab4.Ini"), dir_ + "/zolyab4.ini");
  EXPECT_EQ(FindNoCase(dir_, "zolyab4.lst"), dir_ + "/zolyab4.lst");  // none: own spelling
}

TEST(SplitLines, AllLineEnds) {
  EXPECT_EQ(SplitLines("a\r\nb\rc\nd"), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitLines("a\r\n\r\n"), (std::vector<std::string>{"a", ""}));
  EXPECT_TRUE(SplitLines("").empty());
}

TEST(Paths, JoinAndSplit) {
  EXPECT_EQ(JoinPath("/a/", "b"), "/a/b");
  EXPECT_EQ(JoinPath("/a", "b"), "/a/b");
  EXPECT_EQ(JoinPath("", "b"), "b");
  EXPECT_EQ(DirName("/a/b/c"), "/a/b");
  EXPECT_EQ(BaseName("/a/b/c"), "c");
}

}  // namespace
}  // namespace zol
