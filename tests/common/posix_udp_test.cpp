// The POSIX UDP receiver on real sockets, on 127.0.0.1 only.
#include "common/posix_udp.h"

#include <arpa/inet.h>
#include <errno.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <string.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <cstdio>
#include <string>
#include <vector>

#include "console/app.h"
#include "monitor/device_table.h"
#include "monitor/debug_window.h"
#include "support/app_fixture.h"
#include "support/datagram_hex.h"
#include "support/loopback.h"
#include "support/sim_platform.h"

namespace zol {
namespace {

// A plain UDP socket on 127.0.0.1, bound to port (0: any free one).
class Socket {
 public:
  explicit Socket(int port = 0) : fd_(::socket(AF_INET, SOCK_DGRAM, 0)) {
    sockaddr_in a = Loopback(port);
    bound_ = ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  }
  ~Socket() { ::close(fd_); }
  bool bound() const { return bound_; }
  int Port() const {
    sockaddr_in a{};
    socklen_t len = sizeof a;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
    return ntohs(a.sin_port);
  }
  void SendTo(int port, const std::string& bytes) {
    sockaddr_in a = Loopback(port);
    ASSERT_EQ(::sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&a), sizeof a),
              static_cast<ssize_t>(bytes.size()));
  }
  static sockaddr_in Loopback(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<uint16_t>(port));
    return a;
  }

 private:
  int fd_;
  bool bound_;
};

// Waits until the receiver's socket is readable (datagrams on loopback
// arrive at once; the timeout only guards a broken test).
bool Readable(const PosixUdpReceiver& r, int timeout_ms = 2000) {
  pollfd p{r.Fd(), POLLIN, 0};
  return ::poll(&p, 1, timeout_ms) == 1;
}

struct Received {
  std::string bytes, ip;
  int port;
};

class PosixUdpTest : public ::testing::Test {
 protected:
  PosixUdpTest() {
    rx.OnDataReceived = [this](const std::string& b, const std::string& ip, int port) {
      got.push_back({b, ip, port});
    };
  }
  PosixUdpReceiver rx;
  std::vector<Received> got;
};

TEST_F(PosixUdpTest, ReceivesEveryPendingDatagramWithSender) {
  const int port = FreePort();
  ASSERT_EQ(rx.SetLocalPort(port), "");
  EXPECT_EQ(rx.LocalPort(), port);
  ASSERT_GE(rx.Fd(), 0);
  Socket peer;
  peer.SendTo(port, "one");
  peer.SendTo(port, std::string(2048, 'x'));  // the largest taken
  peer.SendTo(port, "");
  ASSERT_TRUE(Readable(rx));
  rx.ReadPending();
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0].bytes, "one");
  EXPECT_EQ(got[0].ip, "127.0.0.1");
  EXPECT_EQ(got[0].port, peer.Port());
  EXPECT_EQ(got[1].bytes.size(), 2048u);
  EXPECT_EQ(got[2].bytes, "");
  rx.ReadPending();  // nothing pending: returns at once
  EXPECT_EQ(got.size(), 3u);
}

// A burst of a full table's status datagrams, sent before the receiver
// reads any, waits in the socket's buffer: none is lost.
TEST_F(PosixUdpTest, BurstOfAFullTableWaitsInTheBuffer) {
  long rmem_max = 0;
  if (FILE* f = std::fopen("/proc/sys/net/core/rmem_max", "r")) {
    if (std::fscanf(f, "%ld", &rmem_max) != 1) rmem_max = 0;
    std::fclose(f);
  }
  if (rmem_max < (2L << 20)) GTEST_SKIP() << "the system grants at most " << rmem_max << " bytes of socket buffer";
  const int port = FreePort();
  ASSERT_EQ(rx.SetLocalPort(port), "");
  Socket peer;
  for (int k = 0; k < 999; ++k) peer.SendTo(port, std::string(456, static_cast<char>('a' + k % 26)));
  while (got.size() < 999 && Readable(rx, 200)) rx.ReadPending();
  EXPECT_EQ(got.size(), 999u);
}

TEST_F(PosixUdpTest, OversizeDatagramsProduceNothing) {
  const int port = FreePort();
  ASSERT_EQ(rx.SetLocalPort(port), "");
  Socket peer;
  peer.SendTo(port, std::string(2049, 'y'));
  peer.SendTo(port, std::string(9000, 'z'));
  peer.SendTo(port, "after");
  ASSERT_TRUE(Readable(rx));
  rx.ReadPending();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].bytes, "after");
}

// A pass of limited size takes that many datagrams off the socket, an
// oversize one counting as taken, and leaves the rest queued in order.
TEST_F(PosixUdpTest, ALimitedPassLeavesTheRestQueued) {
  const int port = FreePort();
  ASSERT_EQ(rx.SetLocalPort(port), "");
  Socket peer;
  peer.SendTo(port, "1");
  peer.SendTo(port, std::string(3000, 'x'));
  peer.SendTo(port, "3");
  peer.SendTo(port, "4");
  ASSERT_TRUE(Readable(rx));
  EXPECT_EQ(rx.ReadPending(2), 2u);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_TRUE(Readable(rx, 0));
  EXPECT_EQ(rx.ReadPending(1), 1u);
  EXPECT_EQ(rx.ReadPending(5), 1u);
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[1].bytes, "3");
  EXPECT_EQ(got[2].bytes, "4");
  EXPECT_EQ(rx.ReadPending(5), 0u);
}

// More datagrams than one system call fetches, oversize ones among them,
// read in passes whose limits fall inside a batch: every datagram is taken
// once, in arrival order, each pass takes no more than its limit, and the
// oversize ones count as taken without being delivered.
TEST_F(PosixUdpTest, PassesAcrossBatchesKeepTheOrder) {
  const int port = FreePort();
  ASSERT_EQ(rx.SetLocalPort(port), "");
  Socket peer;
  const int kCount = 3 * static_cast<int>(PosixUdpReceiver::kVector) + 5;
  int oversize = 0;
  for (int k = 0; k < kCount; ++k) {
    if (k % 37 == 5) {
      peer.SendTo(port, std::string(PosixUdpReceiver::kMaxDatagram + 1, 'z'));
      ++oversize;
    } else {
      peer.SendTo(port, std::to_string(k));
    }
  }
  ASSERT_TRUE(Readable(rx));
  size_t taken = 0;
  for (size_t limit : {1, 50, 100, 7}) {
    const size_t n = rx.ReadPending(limit);
    EXPECT_EQ(n, limit);
    taken += n;
    EXPECT_EQ(rx.Queued(), 0u);
  }
  taken += rx.ReadPending();
  EXPECT_EQ(taken, static_cast<size_t>(kCount));
  ASSERT_EQ(got.size(), static_cast<size_t>(kCount - oversize));
  int expected = 0;
  for (const Received& r : got) {
    if (expected % 37 == 5) ++expected;
    EXPECT_EQ(r.bytes, std::to_string(expected));
    EXPECT_EQ(r.ip, "127.0.0.1");
    EXPECT_EQ(r.port, peer.Port());
    ++expected;
  }
  EXPECT_EQ(rx.ReadPending(), 0u);
}

// A handler that reads on (as one that waits in the event pump would) gets
// the datagrams already fetched first, so the order holds, and no pass ends
// with datagrams fetched but not delivered (the socket's readiness is all
// that starts the next one).
TEST_F(PosixUdpTest, AHandlerThatReadsOnKeepsTheOrder) {
  const int port = FreePort();
  ASSERT_EQ(rx.SetLocalPort(port), "");
  Socket peer;
  for (int k = 0; k < 20; ++k) peer.SendTo(port, std::to_string(k));
  std::vector<std::string> order;
  std::string nested_at = "2";
  size_t nested_limit = 3;
  rx.OnDataReceived = [&](const std::string& b, const std::string&, int) {
    order.push_back(b);
    if (b == nested_at) rx.ReadPending(nested_limit);
  };
  auto numbers = [](int from, int to) {
    std::vector<std::string> v;
    for (int k = from; k <= to; ++k) v.push_back(std::to_string(k));
    return v;
  };
  ASSERT_TRUE(Readable(rx));
  // The outer pass fetches 0-9 at once; the nested one takes 3-5 of them.
  EXPECT_EQ(rx.ReadPending(10), 10u);
  EXPECT_EQ(order, numbers(0, 12));
  EXPECT_EQ(rx.Queued(), 0u);
  // The nested pass takes all the outer one fetched, and fetches on.
  order.clear();
  nested_at = "13";
  nested_limit = 4;
  EXPECT_EQ(rx.ReadPending(3), 3u);
  EXPECT_EQ(order, numbers(13, 19));
  EXPECT_EQ(rx.Queued(), 0u);
  EXPECT_EQ(rx.ReadPending(), 0u);
}

TEST_F(PosixUdpTest, BindFailuresGiveTheSystemsReason) {
  Socket holder;
  ASSERT_TRUE(holder.bound());
  for (int port : {holder.Port(), -1, 65536, 70000}) {
    SCOPED_TRACE(port);
    const std::string reason = rx.SetLocalPort(port);
    EXPECT_FALSE(reason.empty());
    EXPECT_EQ(rx.LocalPort(), 0);
    EXPECT_EQ(rx.Fd(), -1);
  }
  EXPECT_EQ(rx.SetLocalPort(holder.Port()), ::strerror(EADDRINUSE));
}

TEST_F(PosixUdpTest, HandlerThatUnbindsEndsTheReadLoop) {
  const int port = FreePort();
  ASSERT_EQ(rx.SetLocalPort(port), "");
  rx.OnDataReceived = [this](const std::string& b, const std::string& ip, int p) {
    got.push_back({b, ip, p});
    rx.SetLocalPort(0);
  };
  Socket peer;
  peer.SendTo(port, "a");
  peer.SendTo(port, "b");
  ASSERT_TRUE(Readable(rx));
  rx.ReadPending();
  EXPECT_EQ(got.size(), 1u);
  EXPECT_EQ(rx.Fd(), -1);
}

// The whole road on a real socket: the console's receiver bound to a port,
// the sample datagram sent from a plain socket, its record text in the
// receive text; after unbinding the port is free again and nothing arrives.
TEST(PosixUdpIntegrationTest, SampleThroughTheConsoleThenUnbind) {
  PosixUdpReceiver rx;
  AppFixture f(&rx);
  f.sim.SetNow(DateTime{2010, 11, 16, 12, 52, 7});
  App& app = *f.app;
  // Each record's match adds one line to the receive list.
  auto parses = [&] { return app.receive_view().ListBox1.Count(); };

  const int port = FreePort();
  ASSERT_EQ(app.udp().SetLocalPort(port), "");
  Socket peer;
  peer.SendTo(port, SampleDatagram());
  ASSERT_TRUE(Readable(rx));
  rx.ReadPending();
  ASSERT_EQ(parses(), 1u);
  const Memo& text = app.Form4().Memo1;
  ASSERT_EQ(text.Count(), 11u);
  EXPECT_EQ(text[0], "2010/11/16");
  EXPECT_EQ(text[2], "127.0.0.1");
  EXPECT_EQ(text[3], std::to_string(peer.Port()));
  EXPECT_EQ(text[4], "010001CA0023C63A");
  EXPECT_EQ(app.Form4().Memo2.Line(4), "02:5A:3C:00:00:00");

  ASSERT_EQ(app.udp().SetLocalPort(0), "");
  EXPECT_EQ(rx.Fd(), -1);
  EXPECT_EQ(rx.LocalPort(), 0);
  peer.SendTo(port, SampleDatagram());
  rx.ReadPending();
  EXPECT_EQ(parses(), 1u);
  Socket again(port);  // the socket was closed, not kept
  EXPECT_TRUE(again.bound());
}

}  // namespace
}  // namespace zol
