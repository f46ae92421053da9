// Runs the Qt tests inside one QApplication on the offscreen platform. A
// watchdog ends the run when a test hangs (say, in a box nobody answers).
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <QApplication>

#include "qt/program.h"

namespace {
void Watchdog(int) {
  const char msg[] = "qt_test: watchdog: a test hung\n";
  (void)!write(2, msg, sizeof msg - 1);
  _exit(3);
}
}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  signal(SIGALRM, Watchdog);
  alarm(240);
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  zol::UseJapaneseFont();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
