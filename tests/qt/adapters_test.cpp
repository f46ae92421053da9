// The real adapters: the UDP receiver over 127.0.0.1, the pump and timers.
#include "qt/adapters.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QHostAddress>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>
#include <vector>

#include "common/posix_clock.h"
#include "wait_for.h"

namespace zol {
namespace {

TEST(QtUdpReceiver, ReadsEveryDatagramAlsoWhileAHandlerWaitsInDelay) {
  PosixClock clock;
  QtPump pump;
  QtUdpReceiver rx;
  int port = 0;
  for (int p = 47100; p < 47200 && port == 0; ++p) {
    if (rx.SetLocalPort(p).empty()) port = p;
  }
  ASSERT_NE(port, 0);
  std::vector<std::string> got;
  rx.OnDataReceived = [&](const std::string& bytes, const std::string& ip, int) {
    got.push_back(bytes);
    EXPECT_EQ(ip, "127.0.0.1");
    if (got.size() == 1) Delay(clock, pump, 200);  // the others arrive meanwhile
  };
  QUdpSocket tx;
  tx.writeDatagram(QByteArray("first"), QHostAddress::LocalHost, static_cast<quint16>(port));
  ASSERT_TRUE(WaitFor([&] { return !got.empty(); }));
  for (int i = 2; i <= 6; ++i) {
    tx.writeDatagram(QByteArray("dg") + QByteArray::number(i), QHostAddress::LocalHost, static_cast<quint16>(port));
  }
  tx.writeDatagram(QByteArray(2049, 'x'), QHostAddress::LocalHost, static_cast<quint16>(port));  // too long
  tx.writeDatagram(QByteArray(2048, 'y'), QHostAddress::LocalHost, static_cast<quint16>(port));
  ASSERT_TRUE(WaitFor([&] { return got.size() >= 7; }));
  QTest::qWait(100);
  ASSERT_EQ(got.size(), 7u);
  EXPECT_EQ(got[5], "dg6");
  EXPECT_EQ(got[6], std::string(2048, 'y'));
  EXPECT_EQ(rx.LocalPort(), port);
  EXPECT_EQ(rx.SetLocalPort(0), "");
  EXPECT_EQ(rx.LocalPort(), 0);
}

TEST(QtUdpReceiver, AFloodIsReadInOrderWithoutStarvingOtherEvents) {
  QtUdpReceiver rx;
  int port = 0;
  for (int p = 47200; p < 47300 && port == 0; ++p) {
    if (rx.SetLocalPort(p).empty()) port = p;
  }
  ASSERT_NE(port, 0);
  int ticks = 0;
  QTimer other;  // stands for repaints and the console's timers
  QObject::connect(&other, &QTimer::timeout, [&] { ++ticks; });
  other.start(0);
  std::vector<int> seen;
  std::vector<int> ticks_at;
  rx.OnDataReceived = [&](const std::string& bytes, const std::string&, int) {
    seen.push_back(std::stoi(bytes));
    ticks_at.push_back(ticks);
  };
  QUdpSocket tx;
  const int kCount = 150;  // fits the socket buffer of loopback, more than two passes
  for (int i = 0; i < kCount; ++i)
    tx.writeDatagram(QByteArray::number(i), QHostAddress::LocalHost, static_cast<quint16>(port));
  ASSERT_TRUE(WaitFor([&] { return static_cast<int>(seen.size()) >= kCount; }));
  for (int i = 0; i < kCount; ++i) ASSERT_EQ(seen[static_cast<size_t>(i)], i);
  // Other events ran between the first and the last datagram of the flood.
  EXPECT_GT(ticks_at.back(), ticks_at.front());
  other.stop();
}

TEST(QtUdpReceiver, ABusyPortIsReportedAndLeavesItUnbound) {
  QUdpSocket holder;
  ASSERT_TRUE(holder.bind(QHostAddress::AnyIPv4, 0));
  QtUdpReceiver rx;
  EXPECT_NE(rx.SetLocalPort(holder.localPort()), "");
  EXPECT_EQ(rx.LocalPort(), 0);
  for (int bad : {-1, 65536, 70000}) {
    EXPECT_NE(rx.SetLocalPort(bad), "") << bad;
    EXPECT_EQ(rx.LocalPort(), 0) << bad;
  }
}

TEST(QtPump, DelayWaitsWithoutSpinningAndRunsTimers) {
  PosixClock clock;
  QtPump pump;
  QtTimerHost host;
  Timer timer(&host, 50, true);
  int fired = 0;
  timer.OnTimer = [&] { ++fired; };
  QElapsedTimer wall;
  wall.start();
  std::clock_t cpu0 = std::clock();
  Delay(clock, pump, 300);
  const double cpu_ms = 1000.0 * static_cast<double>(std::clock() - cpu0) / CLOCKS_PER_SEC;
  EXPECT_GE(wall.elapsed(), 300);
  EXPECT_GE(fired, 3);
  EXPECT_LT(cpu_ms, 200.0);  // a busy loop would burn the whole 300 ms
  timer.SetEnabled(false);
  const int now = fired;
  Delay(clock, pump, 120);
  EXPECT_EQ(fired, now);
}

TEST(QtSound, NeverBlocksWithoutAudio) {
  QtSound sound;
  sound.Beep();
  sound.PlayWav("/nonexistent/alarm.wav");
}

}  // namespace
}  // namespace zol
