#include "common/files.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "common/ini_file.h"
#include "support/app_fixture.h"
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

// Log files kept open between lines: each line is in the file at once, a
// file moved or deleted meanwhile is created again, the open files are
// bounded and idle ones closed, and a line that does not fit is cut back off.
TEST_F(FilesTest, AppendFilesKeepLinesWholeInOrderAndFollowTheName) {
  AppendFiles files(3);
  const std::string a = dir_ + "/a.csv", moved = dir_ + "/moved.csv";
  files.Append(a, "1\r\n", 0);
  files.Append(a, "2\r\n", 10);
  EXPECT_EQ(ReadAll(a), "1\r\n2\r\n");  // no buffer of ours
  ASSERT_EQ(::rename(a.c_str(), moved.c_str()), 0);
  files.Append(a, "3\r\n", 20);
  EXPECT_EQ(ReadAll(a), "3\r\n");
  EXPECT_EQ(ReadAll(moved), "1\r\n2\r\n");
  ASSERT_EQ(::unlink(a.c_str()), 0);
  files.Append(a, "4\r\n", 30);
  EXPECT_EQ(ReadAll(a), "4\r\n");
  // A fifth name closes the least recently written files.
  for (int k = 0; k < 5; ++k) files.Append(dir_ + "/f" + std::to_string(k) + ".csv", "x\r\n", 40 + k);
  EXPECT_EQ(files.OpenCount(), 3u);
  files.Append(dir_ + "/f0.csv", "y\r\n", 50);  // opened again, appended
  EXPECT_EQ(ReadAll(dir_ + "/f0.csv"), "x\r\ny\r\n");
  files.CloseIdle(50 + 2999, 3000);
  EXPECT_EQ(files.OpenCount(), 1u);  // f0 was written 2999 ms ago, the others longer
  files.CloseIdle(50 + 3000, 3000);
  EXPECT_EQ(files.OpenCount(), 0u);
  files.Append(dir_ + "/no/such/folder/x.log", "line\r\n", 60);  // lost, quietly
  EXPECT_EQ(files.OpenCount(), 0u);
}

// What the operator may do to an open log file or its folder, each seen
// through the folder watch and, where no watch can be had, through the
// name looked up per write: the next line creates the name again and the
// earlier lines stay where the change put them.
TEST_F(FilesTest, AppendFilesCreateTheNameAgainAfterEveryChange) {
  const std::string logs = dir_ + "/logs", a = logs + "/a.csv";
  struct Change {
    const char* what;
    std::function<void()> make;
    const char* at_name;  // the name's bytes after the next line
    const char* moved;    // where the earlier line went, when it was kept
  };
  const Change changes[] = {
      {"deleted", [&] { ASSERT_EQ(::unlink(a.c_str()), 0); }, "2\r\n", nullptr},
      {"moved away", [&] { ASSERT_EQ(::rename(a.c_str(), (logs + "/old.csv").c_str()), 0); }, "2\r\n", "/logs/old.csv"},
      {"replaced by a rename onto the name",
       [&] {
         std::string err;
         ASSERT_TRUE(WriteFileAtomic(a, "X\r\n", &err)) << err;
       },
       "X\r\n2\r\n", nullptr},
      {"folder renamed",
       [&] {
         ASSERT_EQ(::rename(logs.c_str(), (dir_ + "/logs2").c_str()), 0);
         ASSERT_EQ(::mkdir(logs.c_str(), 0755), 0);
       },
       "2\r\n", "/logs2/a.csv"},
      {"folder deleted and made again",
       [&] {
         ASSERT_EQ(std::system(("rm -rf " + logs + " && mkdir " + logs).c_str()), 0);
       },
       "2\r\n", nullptr},
  };
  for (bool watch : {true, false}) {
    for (const Change& c : changes) {
      SCOPED_TRACE(testing::Message() << c.what << (watch ? ", watched" : ", by name"));
      std::system(("rm -rf " + logs + " " + dir_ + "/logs2").c_str());
      ASSERT_EQ(::mkdir(logs.c_str(), 0755), 0);
      AppendFiles files(8, watch);
      AppendFiles::Handle h;
      files.Append(a, "1\r\n", 3, 0, &h);
      EXPECT_EQ(files.WatchedFolders(), watch ? 1u : 0u);
      EXPECT_EQ(files.NameChecked(), watch ? 0u : 1u);
      c.make();
      // The remembered handle sees the change; the path opens the name again.
      EXPECT_FALSE(files.AppendTo(h, "2\r\n", 3, 10));
      files.Append(a, "2\r\n", 3, 10, &h);
      EXPECT_EQ(ReadAll(a), c.at_name);
      if (c.moved) {
        EXPECT_EQ(ReadAll(dir_ + c.moved), "1\r\n");
      }
      EXPECT_TRUE(files.AppendTo(h, "3\r\n", 3, 20));
      EXPECT_EQ(ReadAll(a), std::string(c.at_name) + "3\r\n");
      EXPECT_EQ(files.OpenCount(), 1u);
      // Idle files closed, their folders no longer watched.
      files.CloseIdle(10000, 3000);
      EXPECT_EQ(files.OpenCount(), 0u);
      EXPECT_EQ(files.WatchedFolders(), 0u);
      EXPECT_FALSE(files.AppendTo(h, "4\r\n", 3, 20));
    }
  }
}

// The lines of one datagram read the watch's news once, when their batch
// begins: a change made before it is seen by its first line.
TEST_F(FilesTest, AppendFilesBatchSeesEarlierChanges) {
  const std::string a = dir_ + "/a.csv", b = dir_ + "/b.csv";
  AppendFiles files(8);
  AppendFiles::Handle ha, hb;
  files.Append(a, "1\r\n", 3, 0, &ha);
  files.Append(b, "1\r\n", 3, 0, &hb);
  ASSERT_EQ(::unlink(a.c_str()), 0);
  ASSERT_EQ(::rename(b.c_str(), (dir_ + "/b.old").c_str()), 0);
  {
    AppendFiles::Batch batch(files);
    EXPECT_FALSE(files.AppendTo(ha, "2\r\n", 3, 10));
    files.Append(a, "2\r\n", 3, 10, &ha);
    EXPECT_FALSE(files.AppendTo(hb, "2\r\n", 3, 10));
    files.Append(b, "2\r\n", 3, 10, &hb);
  }
  EXPECT_EQ(ReadAll(a), "2\r\n");
  EXPECT_EQ(ReadAll(b), "2\r\n");
  EXPECT_EQ(ReadAll(dir_ + "/b.old"), "1\r\n");
}

// A folder above the watched one renamed reports nothing to the watch; the
// idle check finds the folder's name leading elsewhere and the next line
// creates the name again.
TEST_F(FilesTest, AppendFilesFollowAFolderAboveRenamed) {
  const std::string top = dir_ + "/p", a = top + "/logs/a.csv";
  ASSERT_EQ(std::system(("mkdir -p " + top + "/logs").c_str()), 0);
  AppendFiles files(8);
  files.Append(a, "1\r\n", 0);
  ASSERT_EQ(::rename(top.c_str(), (dir_ + "/q").c_str()), 0);
  ASSERT_EQ(std::system(("mkdir -p " + top + "/logs").c_str()), 0);
  files.CloseIdle(100, 3000);  // not idle, but the folder is elsewhere now
  EXPECT_EQ(files.OpenCount(), 0u);
  files.Append(a, "2\r\n", 200);
  EXPECT_EQ(ReadAll(a), "2\r\n");
  EXPECT_EQ(ReadAll(dir_ + "/q/logs/a.csv"), "1\r\n");

  // Renamed again, and a new file opened under the folder's name before the
  // check: it is watched in the folder it is in.
  ASSERT_EQ(::rename(top.c_str(), (dir_ + "/r").c_str()), 0);
  ASSERT_EQ(std::system(("mkdir -p " + top + "/logs").c_str()), 0);
  const std::string b = top + "/logs/b.csv";
  files.Append(b, "1\r\n", 300);
  ASSERT_EQ(::unlink(b.c_str()), 0);
  files.Append(b, "2\r\n", 400);
  EXPECT_EQ(ReadAll(b), "2\r\n");
  files.Append(a, "3\r\n", 400);
  EXPECT_EQ(ReadAll(a), "3\r\n");
  EXPECT_EQ(ReadAll(dir_ + "/r/logs/a.csv"), "2\r\n");
}

// More news than the watch's queue holds: the news of the move is lost,
// so every watched file is opened again by name.
TEST_F(FilesTest, AppendFilesReopenEverythingWhenTheNewsOverflow) {
  long queue = 0;
  if (FILE* f = std::fopen("/proc/sys/fs/inotify/max_queued_events", "r")) {
    if (std::fscanf(f, "%ld", &queue) != 1) queue = 0;
    std::fclose(f);
  }
  if (queue <= 0 || queue > 65536) GTEST_SKIP() << "watch queue of " << queue << " events";
  const std::string a = dir_ + "/a.csv", b = dir_ + "/b.csv", x = dir_ + "/x", y = dir_ + "/y";
  AppendFiles files(8);
  files.Append(a, "1\r\n", 0);
  files.Append(b, "1\r\n", 0);
  AppendToFile(x, "");
  // Two items of news per rename, each with its own cookie (never merged).
  for (long k = 0; k <= queue / 2; ++k) ASSERT_EQ(::rename(k % 2 ? y.c_str() : x.c_str(), k % 2 ? x.c_str() : y.c_str()), 0);
  ASSERT_EQ(::rename(a.c_str(), (dir_ + "/a.old").c_str()), 0);
  files.Append(a, "2\r\n", 10);
  files.Append(b, "2\r\n", 10);
  EXPECT_EQ(ReadAll(a), "2\r\n");
  EXPECT_EQ(ReadAll(dir_ + "/a.old"), "1\r\n");
  EXPECT_EQ(ReadAll(b), "1\r\n2\r\n");
  // The watch goes on working.
  ASSERT_EQ(::unlink(b.c_str()), 0);
  files.Append(b, "3\r\n", 20);
  EXPECT_EQ(ReadAll(b), "3\r\n");
  EXPECT_EQ(files.WatchedFolders(), 1u);
}

// Past the watch limit, and for a name that is a link to a file elsewhere,
// the name is looked up per write instead.
TEST_F(FilesTest, AppendFilesCheckByNameWhereNoWatchFits) {
  ASSERT_EQ(::mkdir((dir_ + "/one").c_str(), 0755), 0);
  ASSERT_EQ(::mkdir((dir_ + "/two").c_str(), 0755), 0);
  ASSERT_EQ(::mkdir((dir_ + "/elsewhere").c_str(), 0755), 0);
  const std::string a = dir_ + "/one/a.csv", b = dir_ + "/two/b.csv", link = dir_ + "/one/link.csv",
                    target = dir_ + "/elsewhere/t.csv";
  ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
  AppendFiles files(8);
  files.LimitWatches(1);
  files.Append(a, "1\r\n", 0);
  files.Append(b, "1\r\n", 0);
  files.Append(link, "1\r\n", 0);
  EXPECT_EQ(files.WatchedFolders(), 1u);
  EXPECT_EQ(files.NameChecked(), 2u);
  ASSERT_EQ(::unlink(b.c_str()), 0);
  ASSERT_EQ(::unlink(target.c_str()), 0);  // the link's file, in an unwatched folder
  files.Append(b, "2\r\n", 10);
  files.Append(link, "2\r\n", 10);
  EXPECT_EQ(ReadAll(b), "2\r\n");
  EXPECT_EQ(ReadAll(target), "2\r\n");
}

TEST_F(FilesTest, AppendFilesKeepWholeLinesWhenTheDiskIsFull) {
  const std::string path = dir_ + "/d00103261210.csv";
  const std::string line = "2026/12/10,12:00:00,1,3,1,1,0,9,\r\n";  // 34 bytes
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    FileSizeLimit limit(80);
    AppendFiles files;
    for (int i = 0; i < 5; ++i) files.Append(path, line, 0);
    AppendFiles::Handle h;
    files.Append(path + ".2", line.data(), line.size(), 0, &h);
    for (int i = 0; i < 4; ++i) files.AppendTo(h, line.data(), line.size(), 0);
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(ReadAll(path), line + line);
  EXPECT_EQ(ReadAll(path + ".2"), line + line);
}

// The line of file f in round r of phase p.
std::string LimitLine(int p, int r, int f) {
  return std::to_string(p) + "," + std::to_string(r) + "," + std::to_string(f) + ",2026/12/10,12:00:00\r\n";
}

// Under a limit of open files far below the number of log files (20
// devices of 8 outlets), with the rest of the program holding most of the
// descriptors and taking more while the cache is full, every line is in its
// file; the cache leaves room for the rest of the program. Only when no
// descriptor can be had at all are lines lost, quietly, and the next ones go
// in again. Each phase runs its rounds as the road does, a batch of the
// outlets' lines per datagram.
TEST_F(FilesTest, AppendFilesUnderADescriptorLimitLoseNoLine) {
  constexpr int kFiles = 160, kRounds = 6;
  const auto path = [this](int f) { return dir_ + "/d" + std::to_string(100 + f / 8) + std::to_string(f % 8) + ".csv"; };
  for (const LineWriter::Helper helper :
       {LineWriter::Helper::Off, LineWriter::Helper::Auto, LineWriter::Helper::Always}) {
    SCOPED_TRACE(static_cast<int>(helper));
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      int failures = 0;
      struct rlimit limit{64, 64};
      if (setrlimit(RLIMIT_NOFILE, &limit) != 0) _exit(100);
      // The rest of the program: everything but 20 descriptors.
      std::vector<int> rest;
      auto take = [&rest](int leave) {
        std::vector<int> probe;
        for (int fd; (fd = dup(0)) >= 0;) probe.push_back(fd);
        for (int k = 0; k < leave && !probe.empty(); ++k) {
          close(probe.back());
          probe.pop_back();
        }
        rest.insert(rest.end(), probe.begin(), probe.end());
      };
      take(20);
      AppendFiles files(0, true, helper);
      if (files.Capacity() > 10) failures |= 1;  // half of what is free
      auto rounds = [&](int phase) {
        for (int r = 0; r < kRounds; ++r) {
          AppendFiles::Batch batch(files);
          for (int f = 0; f < kFiles; ++f) files.Append(path(f), LimitLine(phase, r, f), 0);
        }
      };
      auto room = [] {
        const int fd = dup(0);
        if (fd < 0) return false;
        close(fd);
        return true;
      };
      rounds(1);
      if (!room()) failures |= 2;
      // The rest takes all but 3 while the cache holds its files: opens
      // then find no descriptor, and the cache gives its own back.
      take(3);
      rounds(2);
      if (!room()) failures |= 4;
      // Not one descriptor anywhere: the lines are lost, nothing else.
      files.CloseAll();
      take(0);
      rounds(3);
      // Descriptors again.
      for (int k = 0; k < 30 && !rest.empty(); ++k) {
        close(rest.back());
        rest.pop_back();
      }
      rounds(4);
      _exit(failures);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: capacity over half of what is free, 2/4: no room left for the rest";
    for (int f = 0; f < kFiles; ++f) {
      std::string expected;
      for (int phase : {1, 2, 4}) {
        for (int r = 0; r < kRounds; ++r) expected += LimitLine(phase, r, f);
      }
      ASSERT_EQ(ReadAll(path(f)), expected) << path(f);
    }
    for (int f = 0; f < kFiles; ++f) unlink(path(f).c_str());
  }
}

// Runs body in a child process without the right to override permissions
// (as the user nobody when the tests run as root: the folders are handed
// over to it); body's result is the child's exit code.
int RunUnprivileged(const std::vector<std::string>& folders, const std::function<int()>& body) {
  for (const std::string& f : folders) {
    if (geteuid() == 0 && chown(f.c_str(), 65534, 65534) != 0) return 101;
  }
  const pid_t pid = fork();
  if (pid < 0) return 102;
  if (pid == 0) {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(103);
    _exit(body());
  }
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return 104;
  return WEXITSTATUS(status);
}

// A log file made read-only (or its folder closed) while it is open gets
// no more lines: the next line is lost as a fresh open would lose it, until
// the permissions allow writing again. Watched and checked by name alike.
TEST_F(FilesTest, AppendFilesFollowAChangeOfPermissions) {
  for (const bool watch : {true, false}) {
    SCOPED_TRACE(watch ? "watched" : "checked by name");
    const std::string sub = dir_ + (watch ? "/w" : "/n");
    ASSERT_EQ(mkdir(sub.c_str(), 0755), 0);
    const std::string a = sub + "/a.csv", b = sub + "/b.csv";
    const int rc = RunUnprivileged({dir_, sub}, [&] {
      AppendFiles files(8, watch);
      files.Append(a, "1\r\n", 0);
      files.Append(b, "1\r\n", 0);
      if (chmod(a.c_str(), 0444) != 0) return 11;
      files.Append(a, "2 lost\r\n", 1);
      files.Append(b, "2\r\n", 1);
      if (chmod(a.c_str(), 0644) != 0) return 12;
      files.Append(a, "3\r\n", 2);
      // The folder closed to its owner: no fresh open reaches its files.
      if (watch) {
        if (chmod(sub.c_str(), 0) != 0) return 13;
        files.Append(b, "4 lost\r\n", 3);
        if (chmod(sub.c_str(), 0755) != 0) return 14;
        files.Append(b, "5\r\n", 4);
      }
      return 0;
    });
    ASSERT_EQ(rc, 0);
    EXPECT_EQ(ReadAll(a), "1\r\n3\r\n");
    EXPECT_EQ(ReadAll(b), watch ? "1\r\n2\r\n5\r\n" : "1\r\n2\r\n");
  }
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
