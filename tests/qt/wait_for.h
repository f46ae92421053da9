// Waits, running Qt's events, until a condition holds or a limit passes.
#pragma once

#include <QElapsedTimer>
#include <QTest>

namespace zol {

// True when done() held before limit_ms passed.
template <typename F>
bool WaitFor(F done, int limit_ms = 5000) {
  QElapsedTimer t;
  t.start();
  while (!done() && t.elapsed() < limit_ms) QTest::qWait(10);
  return done();
}

}  // namespace zol
