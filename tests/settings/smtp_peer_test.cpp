// The libcurl SMTP client and the mail form against a real SMTP peer: an
// aiosmtpd sink on 127.0.0.1, started and stopped by each test.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/curl_smtp.h"
#include "common/files.h"
#include "console/app.h"
#include "console/console_settings.h"
#include "settings/jconvert.h"
#include "settings/message_editor.h"
#include "settings/settings_dialog.h"
#include "support/app_fixture.h"

extern char** environ;

namespace zol {
namespace {

std::string SinkScript() {
  const char* src = std::getenv("ZOL_SOURCE_DIR");
  return src ? std::string(src) + "/tests/support/smtp_sink.py" : std::string();
}

bool HaveAiosmtpd() {
  static const bool have = std::system("/usr/bin/python3 -c 'import aiosmtpd' >/dev/null 2>&1") == 0;
  return have;
}

#define REQUIRE_SINK()                                                                            \
  do {                                                                                            \
    if (SinkScript().empty()) GTEST_SKIP() << "ZOL_SOURCE_DIR not set: run the test through ctest"; \
    if (!HaveAiosmtpd()) GTEST_SKIP() << "python3-aiosmtpd is not installed (scripts/setup)";      \
  } while (0)

// The sink program on a free port of 127.0.0.1; terminated when destroyed.
class Sink {
 public:
  explicit Sink(const std::string& mode = "sink", const std::string& credentials = "") {
    std::vector<std::string> args = {"/usr/bin/python3", SinkScript(), dir_.path(), mode};
    if (!credentials.empty()) args.push_back(credentials);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    int out[2];
    if (::pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    // "PORT <n>" once it listens.
    std::string line;
    char ch;
    while (pid_ > 0 && ::read(out[0], &ch, 1) == 1 && ch != '\n') line += ch;
    ::close(out[0]);
    if (line.rfind("PORT ", 0) == 0) port_ = std::atoi(line.c_str() + 5);
  }
  ~Sink() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  int port() const { return port_; }
  std::string File(const std::string& name) const {
    std::string bytes;
    ReadFile(dir_.File(name), &bytes);
    return bytes;
  }

 private:
  TempDir dir_;
  pid_t pid_ = -1;
  int port_ = 0;
};

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

// The error of one send, or "" when it went out.
struct Outcome {
  bool failed = false;
  bool connection = false;
  std::string text;
};
Outcome SendVia(SmtpClient& client, const SmtpMail& mail) {
  Outcome o;
  try {
    client.Send(mail);
  } catch (const SmtpError& e) {
    o.failed = true;
    o.connection = e.Connection();
    o.text = e.what();
  }
  return o;
}

// Hands every mail to the real client and keeps a copy of what it was given.
class RecordingClient : public SmtpClient {
 public:
  explicit RecordingClient(SmtpClient& real) : real_(real) {}
  void Send(const SmtpMail& mail) override {
    sent.push_back(mail);
    real_.Send(mail);
  }
  std::vector<SmtpMail> sent;

 private:
  SmtpClient& real_;
};

TEST(SmtpPeer, MailFormMessageArrivesByteForByte) {
  REQUIRE_SINK();
  Sink sink;
  ASSERT_GT(sink.port(), 0);
  AppFixture f;
  CurlSmtpClient curl;
  RecordingClient client(curl);
  f.app->services.smtp = &client;
  ConsoleSettings& s = f.app->settings();
  s.MailFrom = "監視システム <zol@example.com>";
  s.MailTo = "ops@example.com, \"夜間, 当番\" <night@example.org>";
  s.MailSubject = "ID001監視 ｱﾗｰﾑ";
  s.MailServer = "127.0.0.1";
  s.MailPort = sink.port();
  MessageEditor& form = f.app->frmMessageEditor();
  form.Memo1.Assign({"2026/12/10 09:05:07", "ID001 ラック1 (G001 グループ1)", ".", "..", ".end", "", "Outlet1 ｶﾞ"});
  form.MailSend();

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
  REQUIRE_SINK();
  Sink sink;
  ASSERT_GT(sink.port(), 0);
  CurlSmtpClient client;
  SmtpMail m = Mail(sink.port());
  m.login = true;
  m.user = "zol-user";
  m.password = "p@ss word";
  EXPECT_FALSE(SendVia(client, m).failed);
  m.user.clear();
  m.password.clear();
  EXPECT_FALSE(SendVia(client, m).failed);
  m.login = false;  // no AUTH at all although the server offers it
  EXPECT_FALSE(SendVia(client, m).failed);
  EXPECT_EQ(sink.File("auth.log"), "zol-user\tp@ss word\n\t\n");
  EXPECT_EQ(sink.File("3.env"), "zol@example.com\nops@example.com\n");
}

TEST(SmtpPeer, Failures) {
  REQUIRE_SINK();
  CurlSmtpClient client;
  {
    SCOPED_TRACE("535 refused");
    Sink sink("sink", "zol:right");
    ASSERT_GT(sink.port(), 0);
    SmtpMail m = Mail(sink.port());
    m.login = true;
    m.user = "zol";
    m.password = "wrong";
    const Outcome o = SendVia(client, m);
    EXPECT_TRUE(o.failed);
    EXPECT_TRUE(o.connection);
    EXPECT_NE(o.text.find("535"), std::string::npos) << o.text;
    EXPECT_EQ(sink.File("1.eml"), "");
  }
  {
    SCOPED_TRACE("recipient refused");
    Sink sink("refuse-rcpt");
    ASSERT_GT(sink.port(), 0);
    const Outcome o = SendVia(client, Mail(sink.port()));
    EXPECT_TRUE(o.failed);
    EXPECT_FALSE(o.connection) << o.text;
    EXPECT_NE(o.text.find("550"), std::string::npos) << o.text;
  }
  {
    SCOPED_TRACE("connection dropped during DATA");
    Sink sink("drop-data");
    ASSERT_GT(sink.port(), 0);
    const Outcome o = SendVia(client, Mail(sink.port()));
    EXPECT_TRUE(o.failed);
    EXPECT_FALSE(o.text.empty());
  }
  {
    SCOPED_TRACE("connection refused");
    // A port that was free a moment ago and has no listener.
    sockaddr_in a;
    ::close(BoundLoopbackSocket(&a));
    const Outcome o = SendVia(client, Mail(ntohs(a.sin_port)));
    EXPECT_TRUE(o.failed);
    EXPECT_TRUE(o.connection);
    EXPECT_NE(o.text.find("onnect"), std::string::npos) << o.text;
  }
  {
    SCOPED_TRACE("server that cannot go into a URL");
    SmtpMail m = Mail(25);
    m.host = "127.0.0.1/evil";
    const Outcome o = SendVia(client, m);
    EXPECT_TRUE(o.failed && o.connection);
  }
}

// Servers that never answer end in the client's time-out (small limits here),
// reported like any other mail error.
TEST(SmtpPeer, SilentServersEndInTheTimeOut) {
  REQUIRE_SINK();
  CurlSmtpClient quick(300, 1500);
  {
    SCOPED_TRACE("no greeting");
    Sink sink("stall");
    ASSERT_GT(sink.port(), 0);
    const Outcome o = SendVia(quick, Mail(sink.port()));
    EXPECT_TRUE(o.failed);
    EXPECT_TRUE(o.connection);
    EXPECT_NE(o.text.find("timed out"), std::string::npos) << o.text;
  }
  {
    SCOPED_TRACE("a reply that never ends, a byte at a time");
    Sink sink("trickle");
    ASSERT_GT(sink.port(), 0);
    CurlSmtpClient patient_connect(10000, 1000);
    const Outcome o = SendVia(patient_connect, Mail(sink.port()));
    EXPECT_TRUE(o.failed);
    EXPECT_TRUE(o.connection);
    EXPECT_NE(o.text.find("timed out"), std::string::npos) << o.text;
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
    const Outcome o = SendVia(quick, Mail(ntohs(a.sin_port)));
    EXPECT_TRUE(o.failed);
    EXPECT_TRUE(o.connection) << o.text;
    for (int c : fillers) ::close(c);
    ::close(l);
  }
}

// The settings dialog's "送信テスト" through the real client: the entered
// settings are stored and the test line arrives; a refused recipient ends in
// the error box with the server's reply instead of "送信しました。".
TEST(SmtpPeer, SettingsDialogTestMail) {
  REQUIRE_SINK();
  CurlSmtpClient curl;
  for (const std::string mode : {"sink", "refuse-rcpt"}) {
    SCOPED_TRACE(mode);
    Sink sink(mode);
    ASSERT_GT(sink.port(), 0);
    AppFixture f;
    f.app->services.smtp = &curl;
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
