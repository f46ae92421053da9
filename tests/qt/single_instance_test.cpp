#include "qt/single_instance.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>

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

}  // namespace
}  // namespace zol
