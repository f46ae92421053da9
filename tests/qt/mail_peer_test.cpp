// Notice mails of a console on the program's own adapters (clock, Qt pump and
// timers, the Qt UDP receiver and message boxes, the mail sender over
// libcurl with its real bounds) against scripted SMTP peers on 127.0.0.1,
// while datagrams keep coming over a real socket.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "common/curl_smtp.h"
#include "common/smtp_sender.h"
#include "console/app.h"
#include "console/console_settings.h"
#include "console/main_window.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "qt/adapters.h"
#include "qt/message_boxes.h"
#include "qt/sjis.h"
#include "real_services.h"
#include "settings/message_editor.h"
#include "support/app_fixture.h"
#include "support/datagram_hex.h"
#include "support/fake_smtp.h"
#include "support/loopback.h"
#include "support/smtp_peer.h"
#include "wait_for.h"
#include "zolsim/model.h"

namespace zol {
namespace {

// The sender of the program, timed: how long each mail took from its
// hand-over to its end, and how it ended.
class TimedClient : public SmtpClient {
 public:
  struct End {
    double seconds;
    SmtpResult result;
  };
  explicit TimedClient(SmtpClient& real) : real_(real) {}
  void Send(const SmtpMail& mail, SmtpDone done) override {
    ++handed;
    QElapsedTimer t;
    t.start();
    // The record outlives this object: an end may come after it is gone.
    std::shared_ptr<std::vector<End>> ends = ends_;
    real_.Send(mail, [ends, t, done](const SmtpResult& r) {
      ends->push_back(End{t.elapsed() / 1000.0, r});
      if (done) done(r);
    });
  }
  const std::vector<End>& ends() const { return *ends_; }
  int handed = 0;

 private:
  SmtpClient& real_;
  std::shared_ptr<std::vector<End>> ends_ = std::make_shared<std::vector<End>>();
};

// One console watching one simulated device whose outlets are PING items;
// its alarm and recovery changes are mailed to the peer at smtp_port.
struct MailConsole : RealServices {
  explicit MailConsole(int smtp_port) : device(sim::MakeDevice(1, 1)) {
    Services s = Real();
    s.udp = &udp;
    s.boxes = &boxes;
    s.smtp = &smtp;
    f = std::make_unique<AppFixture>(s);
    ConsoleSettings& set = app().settings();
    set.MailOn = true;
    UsableMailSettings(set);
    set.MailServer = "127.0.0.1";
    set.MailPort = smtp_port;
    set.TimeOutMin = 0;
    set.LogDir = f->dir.path();
    set.UdpPort = FreePort();
    Grid& t = app().Form4().StringGrid1;
    t.SetCell(dtcol::MacAddress, 1, "02:5A:3C:00:00:01");
    t.SetCell(dtcol::LiveBase, 1, "20");
    t.SetCell(dtcol::OutletInfo, 1, "8,4");
    t.SetCell(dtcol::LogFlags, 1, "00000000");
    t.SetCell(dtcol::IconFlags, 1, "11111111");
    t.SetCell(dtcol::ItemKinds, 1, "11111111");
    t.SetCell(dtcol::DeviceName, 1, "ラック1");
    t.SetCell(dtcol::OutletNames, 1, "A,B,C,D,E,F,G,H,");
    t.SetCell(dtcol::GroupName, 1, "G001 Floor");
    t.SetCell(dtcol::NotifyFlags, 1, "01100000 00000000");  // alarm and recovery mails
    t.SetCell(dtcol::ItemImages, 1, "0009 0009 0009 0009 0009 0009 0009 0009 ");
    app().Form4().LastDataCnt();
    // Every datagram the console handles is counted; none may start inside
    // another's processing.
    UdpReceiver::Handler console = udp.OnDataReceived;
    udp.OnDataReceived = [this, console](const std::string& bytes, const std::string& ip, int port) {
      ++depth;
      max_depth = std::max(max_depth, depth);
      if (handled < static_cast<int>(sent.size())) {
        EXPECT_EQ(bytes, sent[static_cast<size_t>(handled)].bytes) << "datagram " << handled << " out of order";
        max_latency_ms = std::max(max_latency_ms, since_start.elapsed() - sent[static_cast<size_t>(handled)].at);
      }
      console(bytes, ip, port);
      ++handled;
      --depth;
    };
    app().Form2().monitoring.YabStart();
    EXPECT_EQ(udp.LocalPort(), set.UdpPort);
    tx = ::socket(AF_INET, SOCK_DGRAM, 0);
    since_start.start();
  }
  ~MailConsole() {
    if (tx >= 0) ::close(tx);
  }
  App& app() { return *f->app; }

  // The device's current state, as a datagram to the console's port.
  void SendDatagram() {
    const std::string bytes = Wire(sim::BuildDatagram(device, since_start.elapsed()));
    sent.push_back(Sent{bytes, since_start.elapsed()});
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    to.sin_port = htons(static_cast<uint16_t>(app().settings().UdpPort));
    ::sendto(tx, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
  }
  // Outlet 3's PING goes abnormal or back to normal.
  void Outlet3(const char* state) {
    std::string err;
    ASSERT_TRUE(sim::ApplyVerb(device, "ping", {"3", state}, 0, &err)) << err;
  }
  bool AllHandled() const { return handled == static_cast<int>(sent.size()); }

  QtUdpReceiver udp;
  QtMessageBoxes boxes;
  CurlSmtpClient curl;
  SmtpSender sender{[this](const SmtpMail& m, const std::atomic<bool>& c) { return curl.Deliver(m, &c); },
                    PostToGui, 1000};
  TimedClient smtp{sender};
  std::unique_ptr<AppFixture> f;
  sim::Device device;
  struct Sent {
    std::string bytes;
    qint64 at;
  };
  std::vector<Sent> sent;
  int handled = 0, depth = 0, max_depth = 0;
  qint64 max_latency_ms = 0;
  QElapsedTimer since_start;
  int tx = -1;
};

std::vector<QMessageBox*> ShownBoxes() {
  std::vector<QMessageBox*> out;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) out.push_back(box);
  return out;
}

// Each peer mode with a console of its own, all at once: one alarm mail
// each, while every console gets a datagram every 100 ms and a 100 ms timer
// runs. Every datagram is handled, in order and soon, and the timer keeps
// firing, whatever the server does; the mail ends within its bound, sent
// exactly when the server took its data. The times go to the test's output.
TEST(MailPeer, TheConsoleGoesOnWhileAMailIsSent) {
  REQUIRE_SMTP_PEER();
  struct Mode {
    const char* mode;
    bool sent;
  };
  const std::vector<Mode> modes = {
      {"no-greeting", false}, {"stall:EHLO", false}, {"stall:MAIL", false}, {"stall:RCPT", false},
      {"stall:DATA", false},  {"stall:DOT", false},  {"stall:QUIT", true},  {"refuse-rcpt", false},
      {"drop-data", false},   {"slow:4", true},
  };
  std::vector<std::unique_ptr<SmtpPeer>> peers;
  std::vector<std::unique_ptr<MailConsole>> consoles;
  for (const Mode& m : modes) {
    peers.push_back(std::make_unique<SmtpPeer>(m.mode));
    ASSERT_GT(peers.back()->port(), 0) << m.mode;
    consoles.push_back(std::make_unique<MailConsole>(peers.back()->port()));
  }
  auto all = [&](auto pred) { return std::all_of(consoles.begin(), consoles.end(), [&](auto& c) { return pred(*c); }); };
  // The first datagram shows the items (no mail from a fresh icon).
  for (auto& c : consoles) c->SendDatagram();
  ASSERT_TRUE(WaitFor([&] { return all([](MailConsole& c) { return c.AllHandled(); }); }));

  QElapsedTimer clock;
  clock.start();
  qint64 last_tick = 0, max_gap = 0;
  int ticks = 0;
  QTimer timer;
  timer.setInterval(100);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    max_gap = std::max(max_gap, clock.elapsed() - last_tick);
    last_tick = clock.elapsed();
    ++ticks;
  });
  timer.start();
  for (auto& c : consoles) {
    c->Outlet3("abnormal");
    c->SendDatagram();
  }
  // Datagrams every 100 ms until every mail has ended (60 s at most: a
  // bound against a hang, not a goal).
  while (clock.elapsed() < 60000 && !all([](MailConsole& c) { return c.smtp.ends().size() == 1; })) {
    QTest::qWait(100);
    for (auto& c : consoles) c->SendDatagram();
  }
  const double elapsed = clock.elapsed() / 1000.0;
  ASSERT_TRUE(WaitFor([&] { return all([](MailConsole& c) { return c.AllHandled(); }); }));
  timer.stop();

  std::printf("%-12s %8s  %-6s %9s %12s  %s\n", "mode", "time", "result", "datagrams", "max latency", "error");
  for (size_t k = 0; k < modes.size(); ++k) {
    const Mode& m = modes[k];
    MailConsole& c = *consoles[k];
    SCOPED_TRACE(m.mode);
    EXPECT_EQ(c.smtp.handed, 1);
    ASSERT_EQ(c.smtp.ends().size(), 1u);
    const TimedClient::End& end = c.smtp.ends()[0];
    std::printf("%-12s %6.2f s  %-6s %4d/%-4d %9lld ms  %s\n", m.mode, end.seconds, end.result.sent ? "sent" : "error",
                c.handled, static_cast<int>(c.sent.size()), static_cast<long long>(c.max_latency_ms),
                end.result.error.c_str());
    EXPECT_EQ(end.result.sent, m.sent) << end.result.error;
    EXPECT_LE(end.seconds, 31.0);  // the 30 s bound, generously
    EXPECT_EQ(c.handled, static_cast<int>(c.sent.size()));
    EXPECT_GE(c.sent.size(), static_cast<size_t>(end.seconds * 5));  // datagrams kept going out and in
    EXPECT_LT(c.max_latency_ms, 2000);
    EXPECT_EQ(c.max_depth, 1);
    EXPECT_EQ(c.app().frmMessageEditor().ErrorBoxOpen(), !m.sent);
    EXPECT_EQ(c.app().alerts().MailCount, 1);
  }
  std::printf("timer: %d ticks of 100 ms in %.1f s, longest gap %lld ms\n", ticks, elapsed,
              static_cast<long long>(max_gap));
  EXPECT_LT(max_gap, 2000);
  EXPECT_GE(ticks, static_cast<int>(elapsed * 5));
  // The peers that accepted the data hold the mail.
  EXPECT_NE(peers[6]->File("1.eml").find("Subject: "), std::string::npos);
  EXPECT_NE(peers[9]->File("1.eml").find("Subject: "), std::string::npos);
  std::fflush(stdout);
}

// An event mail to a server that refuses it: its error box opens from the
// event loop; while it stays open 100 datagrams are all handled, in order,
// none inside another; a second failure meanwhile opens no second box; once
// the operator has closed it, the next failure opens one again.
TEST(MailPeer, AnErrorBoxLeavesTheConsoleListening) {
  REQUIRE_SMTP_PEER();
  SmtpPeer peer("refuse-rcpt");
  ASSERT_GT(peer.port(), 0);
  MailConsole c(peer.port());
  c.SendDatagram();
  ASSERT_TRUE(WaitFor([&] { return c.AllHandled(); }));
  c.Outlet3("abnormal");
  c.SendDatagram();
  ASSERT_TRUE(WaitFor([&] { return ShownBoxes().size() == 1; }, 15000));
  QMessageBox* box = ShownBoxes()[0];
  EXPECT_EQ(box->windowTitle(), FromSjis("エラー"));
  EXPECT_TRUE(box->text().contains(QStringLiteral("550"))) << box->text().toStdString();

  const size_t before = c.sent.size();
  for (int k = 0; k < 100; ++k) {
    c.SendDatagram();
    if (k % 10 == 9) QTest::qWait(5);
  }
  ASSERT_TRUE(WaitFor([&] { return c.AllHandled(); }));
  EXPECT_EQ(c.sent.size(), before + 100);
  EXPECT_EQ(c.max_depth, 1);
  EXPECT_EQ(ShownBoxes(), std::vector<QMessageBox*>{box});

  // A recovery mail fails too: no second box.
  c.Outlet3("normal");
  c.SendDatagram();
  ASSERT_TRUE(WaitFor([&] { return c.smtp.ends().size() == 2; }, 15000));
  QTest::qWait(100);
  EXPECT_FALSE(c.smtp.ends()[1].result.sent);
  EXPECT_EQ(ShownBoxes(), std::vector<QMessageBox*>{box});
  EXPECT_TRUE(c.app().frmMessageEditor().ErrorBoxOpen());

  // The operator closes it; the next failure is shown again.
  box->defaultButton()->click();
  ASSERT_TRUE(WaitFor([&] { return ShownBoxes().empty(); }));
  EXPECT_FALSE(c.app().frmMessageEditor().ErrorBoxOpen());
  c.Outlet3("abnormal");
  c.SendDatagram();
  ASSERT_TRUE(WaitFor([&] { return ShownBoxes().size() == 1; }, 15000));
  EXPECT_EQ(c.smtp.ends().size(), 3u);
  EXPECT_TRUE(c.AllHandled());
}

}  // namespace
}  // namespace zol
