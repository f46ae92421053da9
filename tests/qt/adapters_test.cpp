// The real adapters: the UDP receiver over 127.0.0.1, the pump and timers.
#include "qt/adapters.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QHostAddress>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "common/posix_clock.h"
#include "qt/message_boxes.h"
#include "support/loopback.h"
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

// The datagrams the kernel dropped at the UDP socket bound to port because
// its queue was full (the last column of /proc/net/udp).
unsigned long long KernelDrops(int port) {
  std::ifstream table("/proc/net/udp");
  std::string line;
  unsigned long long drops = 0;
  while (std::getline(table, line)) {
    std::istringstream fields(line);
    std::string slot, local, field;
    fields >> slot >> local;
    const size_t colon = local.find(':');
    if (colon == std::string::npos || std::stoi(local.substr(colon + 1), nullptr, 16) != port) continue;
    std::string last;
    while (fields >> field) last = field;
    drops += std::stoull(last);
  }
  return drops;
}

// Sends numbered datagrams ("000123") to 127.0.0.1:port from a plain socket.
class Sender {
 public:
  explicit Sender(int port) : fd_(::socket(AF_INET, SOCK_DGRAM, 0)) {
    to_.sin_family = AF_INET;
    to_.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    to_.sin_port = htons(static_cast<uint16_t>(port));
  }
  ~Sender() { ::close(fd_); }
  // Sends the next number; returns it.
  int Send() {
    char text[16];
    const int n = next_++;
    std::snprintf(text, sizeof text, "%06d", n);
    ::sendto(fd_, text, std::strlen(text), 0, reinterpret_cast<const sockaddr*>(&to_), sizeof to_);
    sent_.fetch_add(1);
    return n;
  }
  int Sent() const { return sent_.load(); }

 private:
  int fd_;
  sockaddr_in to_{};
  int next_ = 0;
  std::atomic<int> sent_{0};
};

// Bursts of several hundred datagrams with pauses between them, one burst
// sent while a handler waits in Delay: every datagram the kernel kept for
// the socket is read, in order, and after each pause one more datagram is
// still read. A receiver that can lose the socket's read notification stops
// reading for good after one of these bursts.
TEST(QtUdpReceiver, BurstsWithPausesNeverStopReception) {
  PosixClock clock;
  QtPump pump;
  QtUdpReceiver rx;
  const int port = FreePort();
  ASSERT_NE(port, 0);
  ASSERT_EQ(rx.SetLocalPort(port), "");
  const unsigned long long drops0 = KernelDrops(port);
  Sender tx(port);
  std::vector<int> got;
  int delay_at = -1;  // the number whose handler waits in Delay
  rx.OnDataReceived = [&](const std::string& bytes, const std::string&, int) {
    got.push_back(std::stoi(bytes));
    if (got.back() == delay_at) {
      for (int i = 0; i < 300; ++i) tx.Send();  // arrives while the handler waits
      Delay(clock, pump, 100);
    }
  };
  auto accounted = [&] {
    return static_cast<unsigned long long>(got.size()) + KernelDrops(port) - drops0 ==
           static_cast<unsigned long long>(tx.Sent());
  };
  const int kRounds = 20;
  for (int round = 0; round < kRounds; ++round) {
    SCOPED_TRACE(round);
    if (round == kRounds / 2) {
      delay_at = tx.Send();
    } else {
      // A burst from another thread, read while it is being sent.
      std::atomic<bool> done{false};
      std::thread burst([&] {
        for (int i = 0; i < 400; ++i) tx.Send();
        done = true;
      });
      while (!done) QTest::qWait(1);
      burst.join();
    }
    ASSERT_TRUE(WaitFor(accounted)) << got.size() << " read of " << tx.Sent() << " sent, "
                                    << KernelDrops(port) - drops0 << " dropped by the kernel";
    QTest::qWait(150);  // a quiet spell
    const int after = tx.Send();
    ASSERT_TRUE(WaitFor([&] { return !got.empty() && got.back() == after; }))
        << "the datagram after the pause was not read";
  }
  for (size_t i = 1; i < got.size(); ++i) ASSERT_LT(got[i - 1], got[i]) << "out of order at " << i;
  EXPECT_EQ(rx.LocalPort(), port);
}

// While a message box is open, a question of a button's handler (its own
// loop) or a box of Open (no loop of its own), datagrams go on being handled,
// in order, each on its own and never inside another's handling.
TEST(QtUdpReceiver, EveryKindOfBoxLeavesReceptionGoing) {
  QtUdpReceiver rx;
  int port = 0;
  for (int p = 47400; p < 47500 && port == 0; ++p) {
    if (rx.SetLocalPort(p).empty()) port = p;
  }
  ASSERT_NE(port, 0);
  std::vector<int> seen;
  int depth = 0, max_depth = 0;
  rx.OnDataReceived = [&](const std::string& bytes, const std::string&, int) {
    max_depth = std::max(max_depth, ++depth);
    seen.push_back(std::stoi(bytes));
    --depth;
  };
  Sender tx(port);
  QtMessageBoxes boxes;
  auto open_box = [] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) return box;
    return static_cast<QMessageBox*>(nullptr);
  };
  // 100 datagrams while the box is open; then the box is answered.
  int while_open = -1;
  auto flood_then_close = [&] {
    QMessageBox* box = open_box();
    ASSERT_NE(box, nullptr);
    const size_t before = seen.size();
    for (int k = 0; k < 100; ++k) tx.Send();
    ASSERT_TRUE(WaitFor([&] { return seen.size() == before + 100; }));
    while_open = static_cast<int>(seen.size() - before);
    box->defaultButton()->click();
  };

  // A question: the box runs its own loop inside the handler that asked.
  QTimer::singleShot(0, [&] {
    QTimer::singleShot(50, flood_then_close);
    EXPECT_EQ(boxes.Show("よろしいですか？", BoxKind::Confirm, BoxButtons::YesNo), BoxResult::Yes);
  });
  ASSERT_TRUE(WaitFor([&] { return while_open >= 0 && !open_box(); }));
  EXPECT_EQ(while_open, 100);

  // A box of Open: shown from the event loop, the caller long gone.
  while_open = -1;
  bool closed = false;
  boxes.Open("SMTP: RCPT failed: 550", BoxKind::Error, [&] { closed = true; });
  EXPECT_EQ(open_box(), nullptr);  // not before the event loop runs
  ASSERT_TRUE(WaitFor([&] { return open_box() != nullptr; }));
  EXPECT_TRUE(open_box()->isModal());
  flood_then_close();
  EXPECT_EQ(while_open, 100);
  ASSERT_TRUE(WaitFor([&] { return closed; }));

  ASSERT_EQ(seen.size(), 200u);
  for (int i = 0; i < 200; ++i) ASSERT_EQ(seen[static_cast<size_t>(i)], i);
  EXPECT_EQ(max_depth, 1);
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
