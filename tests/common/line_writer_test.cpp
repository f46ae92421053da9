#include "common/line_writer.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "common/files.h"
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
