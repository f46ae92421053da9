#include "common/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/ini_file.h"

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

// The file system's (UTF-8) view of a file: its bytes, or "<missing>".
std::string RawRead(const std::string& utf8_path) {
  FILE* f = std::fopen(utf8_path.c_str(), "rb");
  if (!f) return "<missing>";
  std::string bytes;
  char buf[256];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
  std::fclose(f);
  return bytes;
}

// The core's paths are Shift-JIS texts (narrow literals here); the folder
// on disk has the UTF-8 name (u8 literals). Every helper reaches it.
TEST_F(FilesTest, ShiftJisPathsReachTheUtf8Names) {
  const std::string sjis = dir_ + "/監視ログ";
  const std::string utf8 = dir_ + u8"/監視ログ";
  ASSERT_EQ(mkdir(utf8.c_str(), 0755), 0);
  std::string err;

  ASSERT_TRUE(WriteFileAtomic(sjis + "/機器.dat", "rows\r\n", &err)) << err;
  EXPECT_EQ(RawRead(utf8 + u8"/機器.dat"), "rows\r\n");
  EXPECT_EQ(RawRead(utf8 + u8"/機器.dat.tmp"), "<missing>");
  AppendToFile(sjis + "/syslog20240501.log", "a\r\n");
  AppendToFile(sjis + "/syslog20240501.log", "b\r\n");
  EXPECT_EQ(RawRead(utf8 + "/syslog20240501.log"), "a\r\nb\r\n");

  std::string got;
  ASSERT_TRUE(ReadFile(sjis + "/機器.dat", &got));
  EXPECT_EQ(got, "rows\r\n");
  EXPECT_TRUE(FileExists(sjis + "/機器.dat"));
  EXPECT_FALSE(FileExists(sjis + "/機器.lst"));
  EXPECT_EQ(FindNoCase(sjis, "機器.DAT"), sjis + "/機器.dat");  // the entry's name in Shift-JIS

  ASSERT_TRUE(WriteFileAtomic(sjis + "/設定.Ini", "[LOG]\r\nDIR=" + sjis + "\r\n", &err)) << err;
  IniDocument ini;
  ASSERT_TRUE(ini.Load(sjis + "/設定.Ini", &err)) << err;
  EXPECT_EQ(ini.ReadString("LOG", "DIR", ""), sjis);
  EXPECT_EQ(FileSystemName(sjis), utf8);
  EXPECT_EQ(FileSystemName("/plain/ascii"), "/plain/ascii");
}

// A name that Shift-JIS cannot hold is never taken for one that it can.
TEST_F(FilesTest, FindNoCasePassesOverNamesShiftJisCannotHold) {
  FILE* f = std::fopen((dir_ + u8"/caf\u00E9.ini").c_str(), "wb");
  ASSERT_TRUE(f);
  std::fclose(f);
  EXPECT_EQ(FindNoCase(dir_, "caf?.ini"), dir_ + "/caf?.ini");
}

// The program's path is read once, as UTF-8 from the system, and held as
// Shift-JIS: a copy of this test program run from a folder named in
// Japanese reports that folder in Shift-JIS.
TEST_F(FilesTest, ProgramPathIsShiftJis) {
  if (const char* out = std::getenv("ZOL_WRITE_PROGRAM_PATH")) {
    std::string err;
    ASSERT_TRUE(WriteFileAtomic(out, ProgramPath(), &err)) << err;
    return;
  }
  const std::string folder = dir_ + u8"/運用コンソール";
  ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
  const std::string copy = folder + "/probe";
  ASSERT_EQ(std::system(("cp /proc/" + std::to_string(getpid()) + "/exe '" + copy + "'").c_str()), 0);
  const std::string out = dir_ + "/program_path.txt";
  const std::string run = "ZOL_WRITE_PROGRAM_PATH='" + out + "' '" + copy +
                          "' --gtest_filter=FilesTest.ProgramPathIsShiftJis >/dev/null 2>&1";
  ASSERT_EQ(std::system(run.c_str()), 0);
  std::string got;
  ASSERT_TRUE(ReadFile(out, &got));
  EXPECT_EQ(got, dir_ + "/運用コンソール/probe");
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
