#include "qt/single_instance.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>

#include "qt/program.h"
#include "support/file_limit.h"
#include "support/sim_platform.h"

namespace zol {
namespace {

struct RuntimeDir {
  RuntimeDir() {
    const char* old = getenv("XDG_RUNTIME_DIR");
    old_ = old ? old : "";
    had_ = old != nullptr;
    setenv("XDG_RUNTIME_DIR", dir.path().toLocal8Bit().constData(), 1);
  }
  ~RuntimeDir() {
    if (had_) setenv("XDG_RUNTIME_DIR", old_.c_str(), 1);
    else unsetenv("XDG_RUNTIME_DIR");
  }
  QTemporaryDir dir;
  std::string old_;
  bool had_;
};

TEST(SingleInstance, ASecondGuardFailsUntilTheFirstIsReleased) {
  RuntimeDir rt;
  SingleInstance first(QStringLiteral("zolyab3"));
  ASSERT_TRUE(first.Acquire());
  EXPECT_TRUE(first.Path().startsWith(rt.dir.path()));
  EXPECT_TRUE(first.Path().contains(QStringLiteral("zolyab3")));
  SingleInstance second(QStringLiteral("zolyab3"));
  EXPECT_FALSE(second.Acquire());
  EXPECT_TRUE(second.Failure().isEmpty());  // a second instance, not a fault
  first.Release();
  EXPECT_TRUE(second.Acquire());
}

TEST(SingleInstance, ALockOfAKilledProcessDoesNotBlock) {
  RuntimeDir rt;
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    SingleInstance g(QStringLiteral("zolyab3"));
    _exit(g.Acquire() ? 0 : 1);  // ends without releasing, as kill -9 would
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0);
  SingleInstance next(QStringLiteral("zolyab3"));
  ASSERT_TRUE(QFile::exists(next.Path()));  // the dead process's lock is still there
  EXPECT_TRUE(next.Acquire());
}

// Failures to take the lock other than a second instance carry a reason:
// a runtime folder where no file can be created (read-only), one that is
// full (a file size limit, in a child process), a folder in the lock
// file's place.
TEST(SingleInstance, AFaultIsToldFromASecondInstance) {
  enum Kind { kNoCreate, kReadOnly, kFull, kFolderInPlace };
  for (Kind kind : {kNoCreate, kReadOnly, kFull, kFolderInPlace}) {
    SCOPED_TRACE(kind);
    if (kind == kReadOnly && geteuid() == 0) continue;  // root writes into a read-only mode folder
    RuntimeDir rt;
    if (kind == kNoCreate) setenv("XDG_RUNTIME_DIR", "/sys", 1);
    if (kind == kReadOnly) {
      ASSERT_EQ(chmod(rt.dir.path().toLocal8Bit().constData(), 0555), 0);
    }
    SingleInstance guard(QStringLiteral("zolyab3"));
    if (kind == kFolderInPlace) {
      ASSERT_EQ(mkdir(guard.Path().toLocal8Bit().constData(), 0755), 0);
    }
    if (kind == kFull) {
      const pid_t child = fork();
      ASSERT_GE(child, 0);
      if (child == 0) {
        FileSizeLimit limit(0);
        _exit(!guard.Acquire() && !guard.Failure().isEmpty() ? 0 : 1);
      }
      int status = 0;
      ASSERT_EQ(waitpid(child, &status, 0), child);
      ASSERT_TRUE(WIFEXITED(status));
      EXPECT_EQ(WEXITSTATUS(status), 0);
    } else {
      EXPECT_FALSE(guard.Acquire());
      EXPECT_FALSE(guard.Failure().isEmpty());
    }
    if (kind == kReadOnly) chmod(rt.dir.path().toLocal8Bit().constData(), 0755);
  }
}

TEST(SingleInstance, AFaultIsReportedOnStandardErrorAndInABox) {
  RuntimeDir rt;
  SingleInstance guard(QStringLiteral("zolyab3"));
  ASSERT_EQ(mkdir(guard.Path().toLocal8Bit().constData(), 0755), 0);
  ASSERT_FALSE(guard.Acquire());
  FakeMessageBoxes boxes;
  testing::internal::CaptureStderr();
  EXPECT_EQ(GuardFailed(guard, boxes), 1);
  const std::string err = testing::internal::GetCapturedStderr();
  const std::string reason = (guard.Path() + QStringLiteral(": ") + guard.Failure()).toStdString();
  EXPECT_EQ(err, "zolyab4: " + reason + "\n");
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].kind, BoxKind::Error);
  EXPECT_EQ(boxes.shown[0].text, reason);  // ASCII: the same bytes in Shift-JIS
}

}  // namespace
}  // namespace zol
