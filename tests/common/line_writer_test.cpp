#include "common/line_writer.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "common/files.h"
#include "support/app_fixture.h"
#include "support/file_limit.h"

namespace zol {
namespace {

class LineWriterTest : public ::testing::TestWithParam<LineWriter::Helper> {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/zollinesXXXXXX";
    dir_ = mkdtemp(tmpl);
  }
  void TearDown() override { std::system(("rm -rf " + dir_).c_str()); }
  static std::string ReadAll(const std::string& path) {
    std::string bytes;
    ReadFile(path, &bytes);
    return bytes;
  }
  std::string dir_;
};

// Batches of lines to many files, more files than may stay open (so files
// with lines pending are closed within a batch), now and then a second
// line to a file in the same batch, and batches longer than the writer's
// queue: when each batch ends every file holds exactly its lines, whole
// and in order.
TEST_P(LineWriterTest, EveryLineIsInItsFileWhenTheBatchEnds) {
  AppendFiles files(6, true, GetParam());
  std::mt19937 random(20261210);
  std::map<std::string, std::string> expected;
  for (int round = 0; round < 300; ++round) {
    {
      AppendFiles::Batch batch(files);
      const int lines = round % 50 == 7 ? 150 : 8;
      for (int k = 0; k < lines; ++k) {
        const std::string path = dir_ + "/f" + std::to_string(random() % 20) + ".csv";
        std::string line = std::to_string(round) + "," + std::to_string(k) + ",";
        line.append(random() % 4 == 0 ? 2000 + random() % 3000 : random() % 60, static_cast<char>('a' + k % 26));
        line += "\r\n";
        files.Append(path, line, static_cast<uint64_t>(round));
        expected[path] += line;
      }
    }
    for (const auto& [path, text] : expected) ASSERT_EQ(ReadAll(path), text) << path << " after round " << round;
  }
  EXPECT_LE(files.OpenCount(), 6u);
}

// Lines handed over and never finished by the caller are in when the
// writer goes.
TEST_P(LineWriterTest, PendingLinesAreWrittenWhenTheWriterEnds) {
  std::vector<int> fds;
  for (int k = 0; k < 4; ++k) {
    fds.push_back(::open((dir_ + "/p" + std::to_string(k)).c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644));
    ASSERT_GE(fds.back(), 0);
  }
  {
    LineWriter writer(GetParam());
    for (int n = 0; n < 3; ++n) {
      for (int fd : fds) writer.Post(fd, "line\r\n", 6);
    }
  }
  for (int k = 0; k < 4; ++k) EXPECT_EQ(ReadAll(dir_ + "/p" + std::to_string(k)), "line\r\nline\r\nline\r\n");
  for (int fd : fds) ::close(fd);
}

// A line that does not fit is cut back off, whichever thread wrote it, and
// the next line of the file starts on its own.
TEST_P(LineWriterTest, LinesStayWholeWhenTheDiskIsFull) {
  const std::string line = "2026/12/10,12:00:00,1,3,1,1,0,9,\r\n";  // 34 bytes
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    FileSizeLimit limit(80);  // room for two lines and a part of the third
    AppendFiles files(0, true, GetParam());
    for (int round = 0; round < 5; ++round) {
      AppendFiles::Batch batch(files);
      for (int k = 0; k < 4; ++k) files.Append(dir_ + "/d" + std::to_string(k) + ".csv", line, 0);
    }
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status)) << "the child was ended by signal " << WTERMSIG(status);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(ReadAll(dir_ + "/d" + std::to_string(k) + ".csv"), line + line);
}

// The bytes waiting in a pipe.
int Queued(int fd) {
  int n = 0;
  return ioctl(fd, FIONREAD, &n) == 0 ? n : -1;
}

// A pipe whose buffer holds all but room bytes, so that a longer write
// blocks until the test reads; fds[0] reads, fds[1] writes. Its capacity.
int NearlyFullPipe(int fds[2], int room) {
  if (pipe(fds) != 0) return -1;
  const int cap = fcntl(fds[1], F_GETPIPE_SZ);
  const std::string fill(static_cast<size_t>(cap - room), 'f');
  return write(fds[1], fill.data(), fill.size()) == static_cast<ssize_t>(fill.size()) ? cap : -1;
}

std::string ReadFd(int fd, size_t n) {
  std::string got;
  char buf[65536];
  while (got.size() < n) {
    const ssize_t r = read(fd, buf, sizeof buf);
    if (r <= 0) break;
    got.append(buf, static_cast<size_t>(r));
  }
  return got;
}

// Thread CPU and wall time in ns.
uint64_t Ns(clockid_t clock) {
  struct timespec ts;
  clock_gettime(clock, &ts);
  return static_cast<uint64_t>(ts.tv_sec) * 1000000000u + static_cast<uint64_t>(ts.tv_nsec);
}

// A write that hangs in the helper's hands (a pipe nobody reads, as a
// network folder that stopped answering): Finish waits for it asleep and
// returns after at most kFinishWaitMs; the writer is behind. Then every line
// goes to the helper and the caller neither writes nor waits, a file closed
// meanwhile stays open, and lines past the helper's room are lost and
// counted. Once the write returns the helper writes the waiting lines in
// order, and the next Finish closes the parked file. A writer that ends
// while its helper is held up ends at once; the helper writes its lines
// later. Runs in a child with a watchdog, so a wait without a bound fails.
TEST(LineWriterHeldUp, TheCallerWaitsBoundedAndTheLinesFollowWhenTheWriteReturns) {
  char tmpl[] = "/tmp/zolheldXXXXXX";
  const std::string dir = mkdtemp(tmpl);
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    alarm(60);
    int failed = 0;
    auto check = [&failed](bool ok, int number) {
      if (!ok && failed == 0) failed = number + 1;
    };
    auto wait_until = [](const std::function<bool()>& done) {
      while (!done()) usleep(1000);
    };
    auto file = [&dir](const char* name) {
      return ::open((dir + "/" + name).c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    };
    auto text = [&dir](const char* name) { return ReadAll(dir + "/" + name); };
    const std::string big(8000, 'P');
    {
      int p[2];
      const int cap = NearlyFullPipe(p, 4096);
      const int f1 = file("f1"), f2 = file("f2");
      LineWriter w(LineWriter::Helper::Always);
      w.Post(p[1], big.data(), big.size());
      wait_until([&] { return Queued(p[0]) == cap; });  // the helper is in the write
      w.Post(f1, "a1\n", 3);
      w.Post(f2, "b1\n", 3);
      const uint64_t cpu = Ns(CLOCK_THREAD_CPUTIME_ID), wall = Ns(CLOCK_MONOTONIC);
      w.Finish();
      const uint64_t cpu_used = Ns(CLOCK_THREAD_CPUTIME_ID) - cpu, wall_used = Ns(CLOCK_MONOTONIC) - wall;
      check(w.Behind(), 0);
      check(cpu_used < wall_used / 2, 1);  // asleep, not spinning
      check(text("f1") == "a1\n" && text("f2") == "b1\n", 2);
      w.Post(f1, "a2\n", 3);
      w.Post(p[1], "p2", 2);
      w.Finish();  // returns at once
      check(w.Behind() && text("f1") == "a1\n", 3);
      w.Close(f2);
      check(fcntl(f2, F_GETFD) != -1, 4);  // parked, not closed
      std::string queued;
      for (size_t k = 0; k < LineWriter::kSlots + 50; ++k) {
        const std::string line = std::to_string(k) + "\n";
        w.Post(f1, line.data(), line.size());
        queued += line;
      }
      const uint64_t lost = w.Lost();
      check(lost > 0 && lost < 60, 5);
      // The write returns: everything waiting follows, in order.
      const std::string piped = ReadFd(p[0], static_cast<size_t>(cap - 4096) + big.size() + 2);
      check(piped.size() >= big.size() + 2 && piped.compare(piped.size() - big.size() - 2, big.size(), big) == 0 &&
                piped.compare(piped.size() - 2, 2, "p2") == 0,
            6);
      size_t kept = queued.size();
      for (uint64_t k = 0; k < lost; ++k) kept = queued.rfind('\n', kept - 2) + 1;  // the last lines are the lost ones
      const std::string expected = "a1\na2\n" + queued.substr(0, kept);
      wait_until([&] { return text("f1").size() >= expected.size(); });
      check(text("f1") == expected, 7);
      w.Finish();
      check(!w.Behind(), 8);
      check(fcntl(f2, F_GETFD) == -1, 9);  // closed once caught up
      w.Post(f1, "a3\n", 3);
      w.Finish();
      check(text("f1") == expected + "a3\n", 10);
      close(f1);
      close(p[0]);
      close(p[1]);
    }
    {
      int p[2];
      const int cap = NearlyFullPipe(p, 4096);
      const int f3 = file("f3");
      auto* w = new LineWriter(LineWriter::Helper::Always);
      w->Post(p[1], big.data(), big.size());
      wait_until([&] { return Queued(p[0]) == cap; });
      w->Post(f3, "c1\n", 3);
      w->Finish();
      check(w->Behind(), 11);
      w->Post(f3, "c2\n", 3);
      w->Close(f3);
      delete w;  // at once: the helper keeps its lines
      check(text("f3") == "c1\n", 12);
      ReadFd(p[0], static_cast<size_t>(cap - 4096) + big.size());
      wait_until([&] { return text("f3") == "c1\nc2\n"; });
      close(p[0]);
      close(p[1]);
    }
    _exit(failed);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status) << " (14: a wait without a bound)";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the first check that failed, counted from 1";
  std::system(("rm -rf " + dir).c_str());
}

INSTANTIATE_TEST_SUITE_P(Helpers, LineWriterTest,
                         ::testing::Values(LineWriter::Helper::Off, LineWriter::Helper::Auto,
                                           LineWriter::Helper::Always),
                         [](const ::testing::TestParamInfo<LineWriter::Helper>& info) {
                           switch (info.param) {
                             case LineWriter::Helper::Off:
                               return "Off";
                             case LineWriter::Helper::Auto:
                               return "Auto";
                             default:
                               return "Always";
                           }
                         });

}  // namespace
}  // namespace zol
