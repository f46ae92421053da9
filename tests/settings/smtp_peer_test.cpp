// The libcurl SMTP client and the mail form against a real SMTP peer on
// 127.0.0.1 (an aiosmtpd sink or a scripted server), started and stopped by
// each test.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "common/curl_smtp.h"
#include "common/files.h"
#include "console/app.h"
#include "console/console_settings.h"
#include "settings/jconvert.h"
#include "settings/message_editor.h"
#include "settings/settings_dialog.h"
#include "support/app_fixture.h"
#include "support/smtp_peer.h"

namespace zol {
namespace {

using Sink = SmtpPeer;

// A TCP socket bound to a free port of 127.0.0.1, its address in a.
int BoundLoopbackSocket(sockaddr_in* a) {
  int s = ::socket(AF_INET, SOCK_STREAM, 0);
  *a = sockaddr_in{};
  a->sin_family = AF_INET;
  a->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof *a;
  if (s < 0 || ::bind(s, reinterpret_cast<sockaddr*>(a), sizeof *a) != 0 ||
      ::getsockname(s, reinterpret_cast<sockaddr*>(a), &len) != 0)
    ADD_FAILURE() << "no loopback socket";
  return s;
}

SmtpMail Mail(int port) {
  SmtpMail m;
  m.host = "127.0.0.1";
  m.port = port;
  m.sender = "zol@example.com";
  m.recipients = {"ops@example.com"};
  m.message = "From: zol@example.com\r\nTo: ops@example.com\r\nSubject: t\r\n\r\nhello\r\n";
  return m;
}

// A time-out as libcurl or the client's own watch tells it.
bool IsTimeOut(const std::string& error) {
  return error.find("timed out") != std::string::npos || error.find("imeout") != std::string::npos;
}

// The outcome of one mail through the libcurl client.
SmtpResult SendVia(const CurlSmtpClient& client, const SmtpMail& mail) { return client.Deliver(mail); }

// The mail form's sender for these tests: each mail goes through the real
// client at once, on the test's thread, and its end is reported from the
// simulated pump; a copy of every mail is kept.
class InlineClient : public SmtpClient {
 public:
  InlineClient(const CurlSmtpClient& real, SimPlatform& sim) : real_(real), sim_(sim) {}
  void Send(const SmtpMail& mail, SmtpDone done) override {
    sent.push_back(mail);
    const SmtpResult result = real_.Deliver(mail);
    sim_.Post(0, [done, result] { done(result); });
  }
  std::vector<SmtpMail> sent;

 private:
  const CurlSmtpClient& real_;
  SimPlatform& sim_;
};

TEST(SmtpPeer, MailFormMessageArrivesByteForByte) {
  REQUIRE_SMTP_PEER();
  Sink sink;
  ASSERT_GT(sink.port(), 0);
  AppFixture f;
  CurlSmtpClient curl;
  InlineClient client(curl, f.sim);
  f.app->services.smtp = &client;
  ConsoleSettings& s = f.app->settings();
  s.MailFrom = "監視システム <zol@example.com>";
  s.MailTo = "ops@example.com, \"夜間, 当番\" <night@example.org>";
  s.MailSubject = "ID001監視 ｱﾗｰﾑ";
  s.MailServer = "127.0.0.1";
  s.MailPort = sink.port();
  MessageEditor& form = f.app->frmMessageEditor();
  form.Memo1.Assign({"2026/12/10 09:05:07", "ID001 ラック1 (G001 グループ1)", ".", "..", ".end", "", "Outlet1 ｶﾞ"});
  ASSERT_TRUE(form.MailSend());
  f.sim.Advance(0);
  EXPECT_TRUE(f.boxes.shown.empty());

  ASSERT_EQ(client.sent.size(), 1u);
  const std::string eml = sink.File("1.eml");
  EXPECT_EQ(eml, client.sent[0].message);
  EXPECT_EQ(sink.File("1.env"), "zol@example.com\nops@example.com\nnight@example.org\n");
  // The parts that must be exact, spelled out.
  EXPECT_NE(eml.find("\r\nSubject: ID001=?ISO-2022-JP?B?GyRCNEY7axsoSg==?= ｱﾗｰﾑ\r\n"), std::string::npos);
  EXPECT_EQ(eml.rfind("From: =?ISO-2022-JP?B?" + Base64Encode(SjisToJis("監視システム")) + "?= <zol@example.com>\r\n", 0),
            0u);
  EXPECT_NE(eml.find("\r\nTo: ops@example.com, \"夜間, 当番\" <night@example.org>\r\n"), std::string::npos);
  const std::string body = eml.substr(eml.find("\r\n\r\n") + 4);
  EXPECT_EQ(body, "2026/12/10 09:05:07\r\nID001 " + SjisToJis("ラック") + "1 (G001 " + SjisToJis("グループ") +
                      "1)\r\n.\r\n..\r\n.end\r\n\r\nOutlet1 \x1B$B%,\x1B(J\r\n");
}

TEST(SmtpPeer, LoginWithValuesAndWithEmptyOnes) {
  REQUIRE_SMTP_PEER();
  Sink sink;
  ASSERT_GT(sink.port(), 0);
  CurlSmtpClient client;
  SmtpMail m = Mail(sink.port());
  m.login = true;
  m.user = "zol-user";
  m.password = "p@ss word";
  EXPECT_TRUE(SendVia(client, m).sent);
  m.user.clear();
  m.password.clear();
  EXPECT_TRUE(SendVia(client, m).sent);
  m.login = false;  // no AUTH at all although the server offers it
  EXPECT_TRUE(SendVia(client, m).sent);
  EXPECT_EQ(sink.File("auth.log"), "zol-user\tp@ss word\n\t\n");
  EXPECT_EQ(sink.File("3.env"), "zol@example.com\nops@example.com\n");
}

TEST(SmtpPeer, Failures) {
  REQUIRE_SMTP_PEER();
  CurlSmtpClient client;
  {
    SCOPED_TRACE("535 refused");
    Sink sink("sink", "zol:right");
    ASSERT_GT(sink.port(), 0);
    SmtpMail m = Mail(sink.port());
    m.login = true;
    m.user = "zol";
    m.password = "wrong";
    const SmtpResult o = SendVia(client, m);
    EXPECT_FALSE(o.sent);
    EXPECT_NE(o.error.find("535"), std::string::npos) << o.error;
    EXPECT_EQ(sink.File("1.eml"), "");
  }
  {
    SCOPED_TRACE("recipient refused");
    Sink sink("refuse-rcpt");
    ASSERT_GT(sink.port(), 0);
    const SmtpResult o = SendVia(client, Mail(sink.port()));
    EXPECT_FALSE(o.sent);
    EXPECT_NE(o.error.find("550"), std::string::npos) << o.error;
  }
  {
    SCOPED_TRACE("connection dropped during DATA");
    Sink sink("drop-data");
    ASSERT_GT(sink.port(), 0);
    const SmtpResult o = SendVia(client, Mail(sink.port()));
    EXPECT_FALSE(o.sent);
    EXPECT_FALSE(o.error.empty());
  }
  {
    SCOPED_TRACE("connection refused");
    // A port that was free a moment ago and has no listener.
    sockaddr_in a;
    ::close(BoundLoopbackSocket(&a));
    const SmtpResult o = SendVia(client, Mail(ntohs(a.sin_port)));
    EXPECT_FALSE(o.sent);
    EXPECT_NE(o.error.find("onnect"), std::string::npos) << o.error;
  }
  {
    SCOPED_TRACE("server that cannot go into a URL");
    SmtpMail m = Mail(25);
    m.host = "127.0.0.1/evil";
    const SmtpResult o = SendVia(client, m);
    EXPECT_FALSE(o.sent);
  }
}

// Servers that never answer end in the client's time-out (small limits here),
// reported like any other mail error.
TEST(SmtpPeer, SilentServersEndInTheTimeOut) {
  REQUIRE_SMTP_PEER();
  CurlSmtpClient quick(300, 1500);
  {
    SCOPED_TRACE("no greeting");
    Sink sink("stall");
    ASSERT_GT(sink.port(), 0);
    const SmtpResult o = SendVia(quick, Mail(sink.port()));
    EXPECT_FALSE(o.sent);
    EXPECT_TRUE(IsTimeOut(o.error)) << o.error;
  }
  {
    SCOPED_TRACE("a reply that never ends, a byte at a time");
    Sink sink("trickle");
    ASSERT_GT(sink.port(), 0);
    CurlSmtpClient patient_connect(10000, 1000);
    const SmtpResult o = SendVia(patient_connect, Mail(sink.port()));
    EXPECT_FALSE(o.sent);
    EXPECT_TRUE(IsTimeOut(o.error)) << o.error;
  }
  {
    SCOPED_TRACE("connection never accepted");
    // A listener with backlog 0 whose queue two connections fill: the next
    // handshake gets no answer.
    sockaddr_in a;
    const int l = BoundLoopbackSocket(&a);
    ASSERT_EQ(::listen(l, 0), 0);
    std::vector<int> fillers;
    for (int k = 0; k < 2; ++k) {
      int c = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
      ::connect(c, reinterpret_cast<sockaddr*>(&a), sizeof a);
      fillers.push_back(c);
    }
    const SmtpResult o = SendVia(quick, Mail(ntohs(a.sin_port)));
    EXPECT_FALSE(o.sent);
    for (int c : fillers) ::close(c);
    ::close(l);
  }
}

// Every step of the exchange is bounded and so is the whole mail, QUIT
// included; a mail counts as sent exactly when the server accepted its data.
// One scripted peer per case, all at once, with small bounds: 2 s for the
// connect phase, 1 s for each later answer, 3 s for the whole mail. Where
// an outcome rests on a server's pace, its answers are far from the bounds
// either way, so that a loaded machine cannot turn it.
TEST(SmtpPeer, EveryStepIsBounded) {
  REQUIRE_SMTP_PEER();
  const long kConnect = 2000, kMail = 3000, kStep = 1000;
  const CurlSmtpClient client(kConnect, kMail, kStep);
  // Answers may take longer than the whole mail: only its bound ends a wait.
  const CurlSmtpClient patient(kConnect, kMail, 10000);
  struct Case {
    const char* mode;
    bool sent;
    const char* error;  // a part of the error text, or "time-out"
    SmtpResult result;
    double seconds = 0;
    const CurlSmtpClient* via = nullptr;  // the client above unless given
  };
  std::vector<Case> cases = {
      {"no-greeting", false, "time-out", {}},
      {"stall:EHLO", false, "time-out", {}},
      {"stall:MAIL", false, "time-out", {}},
      {"stall:RCPT", false, "time-out", {}},
      {"stall:DATA", false, "time-out", {}},
      {"stall:DOT", false, "time-out", {}},
      {"stall:QUIT", true, "", {}},
      // QUIT unanswered until the whole mail's time is up.
      {"stall:QUIT", true, "", {}, 0, &patient},
      {"refuse-rcpt", false, "550", {}},
      {"drop-data", false, "", {}},
      // The data is accepted at 1.8 s, the goodbye comes at 2.1 s.
      {"slow:0.3", true, "", {}},
      // The answer to the final dot would come at 3.6 s.
      {"slow:0.6", false, "time-out", {}},
  };
  std::vector<std::unique_ptr<Sink>> sinks;
  for (const Case& c : cases) {
    sinks.push_back(std::make_unique<Sink>(c.mode));
    ASSERT_GT(sinks.back()->port(), 0) << c.mode;
  }
  std::vector<std::thread> runs;
  for (size_t k = 0; k < cases.size(); ++k) {
    runs.emplace_back([&, k] {
      const auto start = std::chrono::steady_clock::now();
      cases[k].result = (cases[k].via ? *cases[k].via : client).Deliver(Mail(sinks[k]->port()));
      cases[k].seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    });
  }
  for (std::thread& t : runs) t.join();
  for (size_t k = 0; k < cases.size(); ++k) {
    const Case& c = cases[k];
    std::printf("%-12s %5.2f s  %s\n", c.mode, c.seconds, c.result.sent ? "sent" : c.result.error.c_str());
    EXPECT_EQ(c.result.sent, c.sent) << c.mode << ": " << c.result.error;
    if (std::string(c.error) == "time-out") {
      EXPECT_TRUE(IsTimeOut(c.result.error)) << c.mode << ": " << c.result.error;
    } else {
      EXPECT_NE(c.result.error.find(c.error), std::string::npos) << c.mode << ": " << c.result.error;
    }
    if (!c.sent) {
      EXPECT_FALSE(c.result.error.empty()) << c.mode;
    }
    EXPECT_LT(c.seconds, (kMail + 1000) / 1000.0) << c.mode;  // generous
    if (c.sent) {
      EXPECT_EQ(sinks[k]->File("1.eml"), Mail(0).message) << c.mode;
    }
  }
}

// The settings dialog's "送信テスト" through the real client: the entered
// settings are stored and the test line arrives; a refused recipient ends in
// the error box with the server's reply instead of "送信しました。".
TEST(SmtpPeer, SettingsDialogTestMail) {
  REQUIRE_SMTP_PEER();
  CurlSmtpClient curl;
  for (const std::string mode : {"sink", "refuse-rcpt"}) {
    SCOPED_TRACE(mode);
    Sink sink(mode);
    ASSERT_GT(sink.port(), 0);
    AppFixture f;
    InlineClient client(curl, f.sim);
    f.app->services.smtp = &client;
    f.app->Start();
    f.sim.Advance(3001);
    f.sim.SetNow(DateTime{2026, 12, 10, 9, 5, 7});
    f.boxes.shown.clear();
    SettingsDialog& d = f.app->Form8();
    d.EditShow();
    d.edtToMail.SetText("ops@example.com");
    d.UserEmail.SetText("zol@example.com");
    d.SMTPServer.SetText("127.0.0.1");
    d.SMTPPort.SetText(std::to_string(sink.port()));
    d.edtToMailChange();
    ASSERT_TRUE(d.BitBtn10.Enabled());
    d.BitBtn10Click();
    EXPECT_FALSE(d.Visible());
    EXPECT_EQ(f.app->settings().MailPort, sink.port());
    f.sim.Advance(0);
    ASSERT_EQ(f.boxes.shown.size(), 1u);
    if (mode == "sink") {
      const std::string eml = sink.File("1.eml");
      EXPECT_EQ(eml.substr(eml.find("\r\n\r\n") + 4), "2026/12/10 09:05:07 Test mail\r\n");
      EXPECT_EQ(sink.File("1.env"), "zol@example.com\nops@example.com\n");
      EXPECT_EQ(f.boxes.shown[0].text, "送信しました。");
    } else {
      EXPECT_EQ(f.boxes.shown[0].kind, BoxKind::Error);
      EXPECT_NE(f.boxes.shown[0].text.find("550"), std::string::npos) << f.boxes.shown[0].text;
    }
  }
}

}  // namespace
}  // namespace zol
