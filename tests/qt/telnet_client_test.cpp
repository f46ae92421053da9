// The real telnet client over 127.0.0.1: refused and never-accepted
// connections, text held during the connected notification, text handed
// over inside a handler's Delay, the order of a peer's last text and its
// close, and writes to a closed peer.
#include "qt/telnet_client.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "common/posix_clock.h"
#include "wait_for.h"
#include "qt/adapters.h"
#include "support/loopback.h"

namespace zol {
namespace {

// A listening socket on 127.0.0.1 with a port of the system's choice, its
// receive buffer receive_buffer bytes (0: the system's); *a its address.
int Listen(int backlog, int receive_buffer, sockaddr_in* a, int* port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (receive_buffer > 0) ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receive_buffer, sizeof receive_buffer);
  *a = sockaddr_in{};
  a->sin_family = AF_INET;
  a->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(a), sizeof *a);
  ::listen(fd, backlog);
  socklen_t len = sizeof *a;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(a), &len);
  *port = ntohs(a->sin_port);
  return fd;
}

// A listener with a backlog of 0 whose queue is filled by its own
// connections: a new connection to it stays pending.
struct NoAcceptListener {
  NoAcceptListener() {
    sockaddr_in a;
    fd = Listen(0, 0, &a, &port);
    for (int& f : fillers) {
      f = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
      (void)::connect(f, reinterpret_cast<sockaddr*>(&a), sizeof a);
    }
  }
  ~NoAcceptListener() {
    for (int f : fillers) ::close(f);
    ::close(fd);
  }
  int fd = -1;
  int port = 0;
  int fillers[2] = {-1, -1};
};

// The device's side: a server that takes one connection.
struct Peer {
  Peer() {
    server.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&server, &QTcpServer::newConnection, [this] {
      socket.reset(server.nextPendingConnection());
      QObject::connect(socket.get(), &QTcpSocket::readyRead, [this] { received += socket->readAll().toStdString(); });
      if (on_accept) on_accept();
    });
  }
  int port() const { return server.serverPort(); }
  void Write(const std::string& bytes) {
    socket->write(bytes.data(), static_cast<qint64>(bytes.size()));
    socket->flush();
  }
  QTcpServer server;
  std::unique_ptr<QTcpSocket> socket;
  std::function<void()> on_accept;
  std::string received;
};

struct Events {
  explicit Events(QtTelnetClient& c) {
    c.OnConnected = [this] { log.push_back("connected"); };
    c.OnDataAvailable = [this](const std::string& t) { log.push_back("data:" + t); };
    c.OnDisconnected = [this] { log.push_back("disconnected"); };
  }
  std::vector<std::string> log;
};

TEST(QtTelnetClient, RefusedConnectionFailsWithoutNotification) {
  QtTelnetClient client;
  Events ev(client);
  EXPECT_FALSE(client.Connect("127.0.0.1", FreeTcpPort()));
  EXPECT_FALSE(client.Connected());
  EXPECT_FALSE(client.Connect("127.0.0.1", 0));
  EXPECT_FALSE(client.Connect("", 23));
  EXPECT_TRUE(ev.log.empty());
}

TEST(QtTelnetClient, NeverAcceptedConnectionFailsAtTheLimitWhileTheLoopRuns) {
  NoAcceptListener listener;
  QtTelnetClient client(1000);
  Events ev(client);
  int ticks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
  timer.start(50);
  EXPECT_FALSE(client.Connect("127.0.0.1", listener.port));
  EXPECT_GE(ticks, 5);  // the window kept running
  EXPECT_TRUE(ev.log.empty());
}

TEST(QtTelnetClient, ConnectMadeDuringAPendingOneAbandonsIt) {
  NoAcceptListener listener;
  Peer peer;
  QtTelnetClient client(3000);
  Events ev(client);
  bool inner = false;
  QTimer::singleShot(100, [&] { inner = client.Connect("127.0.0.1", peer.port()); });
  EXPECT_FALSE(client.Connect("127.0.0.1", listener.port));
  EXPECT_TRUE(inner);
  EXPECT_TRUE(client.Connected());
  EXPECT_EQ(ev.log, std::vector<std::string>{"connected"});
  client.SetEnding();
  EXPECT_FALSE(client.Connect("127.0.0.1", peer.port()));  // ending: at once
}

TEST(QtTelnetClient, TextWaitsForTheConnectedNotificationAndNegotiationIsAnswered) {
  PosixClock clock;
  QtPump pump;
  Peer peer;
  peer.on_accept = [&] { peer.Write("\xFF\xFD\x18hello"); };  // IAC DO TTYPE, then text
  QtTelnetClient client;
  Events ev(client);
  size_t seen_during = 99;
  client.OnConnected = [&] {
    ev.log.push_back("connected");
    Delay(clock, pump, 300);
    seen_during = ev.log.size();
  };
  ASSERT_TRUE(client.Connect("localhost", peer.port()));
  EXPECT_EQ(seen_during, 1u);
  EXPECT_EQ(ev.log.size(), 1u);  // not even right after Connect: from the event loop
  ASSERT_TRUE(WaitFor([&] { return ev.log.size() >= 2; }));
  EXPECT_EQ(ev.log[1], "data:hello");
  ASSERT_TRUE(WaitFor([&] { return peer.received.size() >= 3; }));
  EXPECT_EQ(peer.received.substr(0, 3), "\xFF\xFB\x18");  // IAC WILL TTYPE
  client.WriteLn("a\xFF");
  ASSERT_TRUE(WaitFor([&] { return peer.received.size() >= 8; }));
  EXPECT_EQ(peer.received.substr(3), "a\xFF\xFF\r\n");
}

TEST(QtTelnetClient, TextArrivingDuringAHandlersDelayIsHandedOverNested) {
  PosixClock clock;
  QtPump pump;
  Peer peer;
  QtTelnetClient client;
  Events ev(client);
  client.OnDataAvailable = [&](const std::string& t) {
    ev.log.push_back("data:" + t);
    if (t == "one") {
      peer.Write("two");
      Delay(clock, pump, 500);
      ev.log.push_back("end of one");
    }
  };
  ASSERT_TRUE(client.Connect("127.0.0.1", peer.port()));
  ASSERT_TRUE(WaitFor([&] { return peer.socket != nullptr; }));
  peer.Write("one");
  ASSERT_TRUE(WaitFor([&] { return ev.log.size() >= 4; }));
  EXPECT_EQ(ev.log, (std::vector<std::string>{"connected", "data:one", "data:two", "end of one"}));
}

TEST(QtTelnetClient, PeerCloseComesAfterItsLastText) {
  Peer peer;
  peer.on_accept = [&] {
    peer.Write("bye.\r\n");
    peer.socket->disconnectFromHost();
  };
  QtTelnetClient client;
  Events ev(client);
  ASSERT_TRUE(client.Connect("127.0.0.1", peer.port()));
  ASSERT_TRUE(WaitFor([&] { return ev.log.size() >= 3; }));
  EXPECT_EQ(ev.log, (std::vector<std::string>{"connected", "data:bye.\r\n", "disconnected"}));
  EXPECT_FALSE(client.Connected());
}

TEST(QtTelnetClient, DisconnectNotifiesFromWithinAndWritesAfterAClosedPeerDoNoHarm) {
  Peer peer;
  peer.on_accept = [&] { peer.socket->abort(); };
  QtTelnetClient client;
  Events ev(client);
  ASSERT_TRUE(client.Connect("127.0.0.1", peer.port()));
  // SIGPIPE keeps its default action here: a write without MSG_NOSIGNAL
  // would end the test program.
  for (int i = 0; i < 50 && client.Connected(); ++i) {
    client.WriteLn(std::string(4096, 'x'));
    QTest::qWait(5);
  }
  ASSERT_TRUE(WaitFor([&] { return !client.Connected(); }));
  EXPECT_EQ(ev.log.back(), "disconnected");

  ASSERT_TRUE(client.Connect("127.0.0.1", peer.port()));
  ev.log.clear();
  client.Disconnect();
  EXPECT_EQ(ev.log, std::vector<std::string>{"disconnected"});
  client.Disconnect();
  client.WriteLn("ignored");
  EXPECT_EQ(ev.log.size(), 1u);
}

// A peer on a thread of its own that never reads: it accepts one
// connection and writes what bytes() gives as fast as the connection takes
// it, until the connection ends, max_bytes have gone or stop is set.
struct FloodingPeer {
  FloodingPeer(std::function<std::string()> bytes, size_t max_bytes) {
    sockaddr_in a;
    fd = Listen(1, 4096, &a, &port);  // what it does not read fills its small buffer at once
    thread = std::thread([this, bytes, max_bytes] {
      const int c = ::accept(fd, nullptr, nullptr);
      if (c < 0) return;
      timeval limit{0, 100000};  // a blocked write looks at stop again
      ::setsockopt(c, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
      while (!stop && sent < max_bytes) {
        const std::string b = bytes();
        const ssize_t n = ::send(c, b.data(), b.size(), MSG_NOSIGNAL);
        if (n > 0) sent += static_cast<size_t>(n);
        else if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) break;  // closed by the client
      }
      ended = true;
      while (!stop) std::this_thread::sleep_for(std::chrono::milliseconds(10));
      ::close(c);
    });
  }
  ~FloodingPeer() {
    stop = true;
    ::shutdown(fd, SHUT_RDWR);
    thread.join();
    ::close(fd);
  }
  int fd = -1;
  int port = 0;
  std::atomic<bool> stop{false}, ended{false};
  std::atomic<size_t> sent{0};
  std::thread thread;
};

// Option requests without end from a peer that reads none of the answers:
// the answers queue up to the limit, then the connection ends, never
// before the connected notification has returned.
TEST(QtTelnetClient, PeerThatDoesNotReadItsAnswersEndsItsConnection) {
  PosixClock clock;
  QtPump pump;
  std::string requests;
  for (int i = 0; i < 4096; ++i) requests += std::string("\xFF\xFD") + static_cast<char>(100 + i % 100);  // IAC DO x
  for (uint32_t connected_wait : {0u, 500u}) {
    SCOPED_TRACE(connected_wait);
    FloodingPeer peer([&] { return requests; }, size_t{64} << 20);
    QtTelnetClient client;
    Events ev(client);
    bool in_connected = false;
    client.OnConnected = [&] {
      ev.log.push_back("connected");
      in_connected = true;
      Delay(clock, pump, connected_wait);
      in_connected = false;
    };
    client.OnDisconnected = [&] { ev.log.push_back(in_connected ? "disconnected too early" : "disconnected"); };
    size_t most = 0;
    QTimer sample;
    QObject::connect(&sample, &QTimer::timeout, [&] { most = std::max(most, client.Queued()); });
    sample.start(1);
    ASSERT_TRUE(client.Connect("127.0.0.1", peer.port));
    ASSERT_TRUE(WaitFor([&] { return !client.Connected(); }, 20000));
    EXPECT_EQ(ev.log, (std::vector<std::string>{"connected", "disconnected"}));
    EXPECT_LE(most, QtTelnetClient::kQueueLimit + 16 * 16384);
    EXPECT_TRUE(WaitFor([&] { return peer.ended.load(); }));
  }
}

// A peer that floods while the connected notification waits: the client
// holds at most its limit (and one read) and reads on once it hands it over.
TEST(QtTelnetClient, TextHeldDuringTheConnectedNotificationIsBounded) {
  PosixClock clock;
  QtPump pump;
  FloodingPeer peer([] { return std::string(65536, 'x'); }, size_t{64} << 20);
  QtTelnetClient client;
  Events ev(client);
  size_t first = 0, total = 0;
  client.OnConnected = [&] { Delay(clock, pump, 500); };
  client.OnDataAvailable = [&](const std::string& t) {
    if (first == 0) first = t.size();
    total += t.size();
  };
  ASSERT_TRUE(client.Connect("127.0.0.1", peer.port));
  ASSERT_TRUE(WaitFor([&] { return total > QtTelnetClient::kHeldLimit * 4; }, 20000));
  EXPECT_LE(first, QtTelnetClient::kHeldLimit + 16 * 16384);
  client.Disconnect();
}

}  // namespace
}  // namespace zol
