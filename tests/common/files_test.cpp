#include "common/files.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/ini_file.h"
#include "support/file_limit.h"

namespace zol {
namespace {

class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/zolfilesXXXXXX";
    dir_ = mkdtemp(tmpl);
  }
  void TearDown() override { std::system(("rm -rf " + dir_).c_str()); }
  // The names in the folder, sorted.
  std::vector<std::string> Entries() {
    std::vector<std::string> names;
    DIR* d = opendir(dir_.c_str());
    while (dirent* e = readdir(d)) {
      if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.push_back(e->d_name);
    }
    closedir(d);
    std::sort(names.begin(), names.end());
    return names;
  }
  static mode_t ModeOf(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
  }
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
  EXPECT_EQ(Entries(), std::vector<std::string>{"zolyab4.dat"});
}

TEST_F(FilesTest, FailedWriteLeavesOldFileIntact) {
  std::string path = dir_ + "/zolyab4.dat";
  std::string err;
  ASSERT_TRUE(WriteFileAtomic(path, "precious", &err));
  {
    FileSizeLimit limit(4);  // the new content cannot be written
    EXPECT_FALSE(WriteFileAtomic(path, "new content", &err));
  }
  EXPECT_FALSE(err.empty());
  std::string got;
  ASSERT_TRUE(ReadFile(path, &got));
  EXPECT_EQ(got, "precious");
  EXPECT_EQ(Entries(), std::vector<std::string>{"zolyab4.dat"});  // no temporary file left
}

// The rewritten file keeps the permission bits of the one it replaces (the
// files hold scrambled passwords); a new one gets 0644 less the umask.
TEST_F(FilesTest, AtomicWriteKeepsPermissionBits) {
  std::string err;
  for (mode_t mode : {0600, 0640, 0604, 0755}) {
    SCOPED_TRACE(mode);
    const std::string path = dir_ + "/f" + std::to_string(mode);
    ASSERT_TRUE(WriteFileAtomic(path, "old", &err)) << err;
    ASSERT_EQ(chmod(path.c_str(), mode), 0);
    ASSERT_TRUE(WriteFileAtomic(path, "new", &err)) << err;
    EXPECT_EQ(ModeOf(path), mode);
  }
  const mode_t mask = umask(022);
  ASSERT_TRUE(WriteFileAtomic(dir_ + "/fresh", "x", &err)) << err;
  umask(077);
  ASSERT_TRUE(WriteFileAtomic(dir_ + "/fresh077", "x", &err)) << err;
  umask(mask);
  EXPECT_EQ(ModeOf(dir_ + "/fresh"), 0644u);
  EXPECT_EQ(ModeOf(dir_ + "/fresh077"), 0600u);
}

// A link planted under the old fixed temporary name is neither followed nor
// replaced, and the data file stays a plain file.
TEST_F(FilesTest, PlantedTemporaryLinkIsNotFollowed) {
  const std::string path = dir_ + "/zolyab4.lst";
  const std::string victim = dir_ + "/victim";
  std::string err;
  ASSERT_TRUE(WriteFileAtomic(victim, "victim", &err));
  ASSERT_TRUE(WriteFileAtomic(path, "old", &err));
  ASSERT_EQ(symlink(victim.c_str(), (path + ".tmp").c_str()), 0);
  ASSERT_TRUE(WriteFileAtomic(path, "new", &err)) << err;
  std::string got;
  ASSERT_TRUE(ReadFile(victim, &got));
  EXPECT_EQ(got, "victim");
  struct stat st;
  ASSERT_EQ(lstat(path.c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  ASSERT_TRUE(ReadFile(path, &got));
  EXPECT_EQ(got, "new");
  ASSERT_EQ(lstat((path + ".tmp").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
}

// A data file that is a symbolic link (absolute, relative, through a second
// link, or pointing to a file not yet there): the file it points to gets the
// new content and the link stays.
TEST_F(FilesTest, LinkedDataFileUpdatesItsTarget) {
  ASSERT_EQ(mkdir((dir_ + "/real").c_str(), 0755), 0);
  struct Case {
    const char* link;
    std::string points_to;
    const char* target;  // under dir_
  };
  const Case cases[] = {
      {"abs.dat", dir_ + "/real/abs.dat", "real/abs.dat"},
      {"rel.dat", "real/rel.dat", "real/rel.dat"},
      {"hop.dat", "rel.dat", "real/rel.dat"},
      {"new.dat", "real/new.dat", "real/new.dat"},
  };
  std::string err;
  ASSERT_TRUE(WriteFileAtomic(dir_ + "/real/abs.dat", "old", &err));
  ASSERT_TRUE(WriteFileAtomic(dir_ + "/real/rel.dat", "old", &err));
  ASSERT_EQ(chmod((dir_ + "/real/rel.dat").c_str(), 0600), 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.link);
    const std::string link = dir_ + "/" + c.link;
    ASSERT_EQ(symlink(c.points_to.c_str(), link.c_str()), 0);
    ASSERT_TRUE(WriteFileAtomic(link, std::string("new ") + c.link, &err)) << err;
    struct stat st;
    ASSERT_EQ(lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    std::string got;
    ASSERT_TRUE(ReadFile(dir_ + "/" + c.target, &got));
    EXPECT_EQ(got, std::string("new ") + c.link);
  }
  EXPECT_EQ(ModeOf(dir_ + "/real/rel.dat"), 0600u);
}

// A log line goes in whole or not at all: under a file size limit the line
// that does not fit is cut back off, so the file ends at a line boundary and
// later lines do not continue a broken one.
TEST_F(FilesTest, AppendKeepsWholeLinesWhenTheDiskIsFull) {
  const std::string path = dir_ + "/d00103261210.csv";
  const std::string line = "2026/12/10,12:00:00,1,3,1,1,0,9,\r\n";  // 34 bytes
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    FileSizeLimit limit(80);  // room for two lines and a part of the third
    for (int i = 0; i < 5; ++i) AppendToFile(path, line);
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status)) << "the child was ended by signal " << WTERMSIG(status);
  std::string got;
  ASSERT_TRUE(ReadFile(path, &got));
  EXPECT_EQ(got, line + line);
  AppendToFile(path, line);  // room again: the next line starts on its own
  ASSERT_TRUE(ReadFile(path, &got));
  EXPECT_EQ(got, line + line + line);
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
