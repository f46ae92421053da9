#include "settings/message_editor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/app.h"
#include "console/console_settings.h"
#include "settings/jconvert.h"
#include "support/app_fixture.h"

namespace zol {
namespace {

using Lines = std::vector<std::string>;

const std::string kIn = "\x1B$B";
const std::string kOut = "\x1B(J";

class MailSendTest : public ::testing::Test, public AppFixture {
 protected:
  MailSendTest() {
    sim.SetNow(DateTime{2026, 12, 10, 9, 5, 7});
    UsableMailSettings(settings());
  }
  ConsoleSettings& settings() { return app->settings(); }
  MessageEditor& form() { return app->frmMessageEditor(); }
  const SmtpMail& Sent() { return smtp.mails.back(); }
};

TEST_F(MailSendTest, AddressRuleReturnsSilently) {
  struct Case {
    const char* what;
    std::string from, server, to;
  };
  const std::vector<Case> cases = {
      {"sender without a dot", "zol@example", "mail.example.com", "ops@example.com"},
      {"sender without @", "zol.example.com", "mail.example.com", "ops@example.com"},
      {"server without a dot", "zol@example.com", "mailhost", "ops@example.com"},
      {"recipient without a dot", "zol@example.com", "mail.example.com", "ops@example"},
      {"recipient without @", "zol@example.com", "mail.example.com", "ops.example.com"},
      {"all empty", "", "", ""},
  };
  for (const Case& c : cases) {
    settings().MailFrom = c.from;
    settings().MailServer = c.server;
    settings().MailTo = c.to;
    form().Memo1.Assign({"監視", "x"});
    bool sent = false;
    EXPECT_FALSE(form().MailSend([&sent] { sent = true; })) << c.what;
    sim.Advance(0);
    EXPECT_FALSE(sent) << c.what;
    EXPECT_TRUE(smtp.attempts.empty()) << c.what;
    EXPECT_EQ(form().Memo1.All(), (Lines{"監視", "x"})) << c.what;
    EXPECT_TRUE(boxes.shown.empty()) << c.what;
  }
  // The server's name is not checked beyond its dot: a bad name is the
  // mail's error, not a silent return.
  settings().MailFrom = "zol@example.com";
  settings().MailTo = "ops@example.com";
  settings().MailServer = "mail.example.com/x";
  EXPECT_TRUE(form().MailSend());
  EXPECT_EQ(boxes.OpenCount(), 1u);
}

TEST_F(MailSendTest, MessageOfAJapaneseBody) {
  settings().MailFrom = "監視システム <zol@example.com>";
  settings().MailSubject = "ID001監視";
  settings().MailServer = "mail.example.com";
  settings().MailPort = 2525;
  form().Memo1.Assign({"2026/12/10 09:05:07", "ID001 ラック1 (G001 グループ1)", "", "Outlet1 ｶﾞ", "."});
  form().MailSend();
  ASSERT_EQ(smtp.mails.size(), 1u);
  const SmtpMail& m = Sent();
  EXPECT_EQ(m.host, "mail.example.com");
  EXPECT_EQ(m.port, 2525);
  EXPECT_FALSE(m.login);
  EXPECT_EQ(m.sender, "zol@example.com");
  EXPECT_EQ(m.recipients, Lines{"ops@example.com"});
  const Lines body = {"2026/12/10 09:05:07",
                      "ID001 " + kIn + SjisToJis("ラック").substr(3, 6) + kOut + "1 (G001 " + kIn +
                          SjisToJis("グループ").substr(3, 8) + kOut + "1)",
                      "", "Outlet1 " + kIn + "%," + kOut, "."};
  // The form keeps the converted body, and the message carries it.
  EXPECT_EQ(form().Memo1.All(), body);
  std::string want_body;
  for (const std::string& l : body) want_body += l + "\r\n";
  EXPECT_EQ(MessageBody(m.message), want_body);
  EXPECT_EQ(HeaderValue(m.message, "From"), MimeHeaderEncode("監視システム") + " <zol@example.com>");
  EXPECT_EQ(HeaderValue(m.message, "Subject"), "ID001=?ISO-2022-JP?B?GyRCNEY7axsoSg==?=");
  EXPECT_EQ(HeaderValue(m.message, "To"), "ops@example.com");
  EXPECT_EQ(HeaderValue(m.message, "MIME-Version"), "1.0");
  EXPECT_EQ(HeaderValue(m.message, "Content-Type"), "text/plain");
  EXPECT_EQ(HeaderValue(m.message, "Date").substr(0, 25), "Thu, 10 Dec 2026 09:05:07");
  EXPECT_NE(HeaderValue(m.message, "Message-ID").find("@example.com>"), std::string::npos);
  // Every line of the message ends in CR LF and is 7-bit.
  for (size_t k = 0; k < m.message.size(); ++k) {
    ASSERT_LT(static_cast<unsigned char>(m.message[k]), 0x80) << k;
    if (m.message[k] == '\n') {
      ASSERT_EQ(m.message[k - 1], '\r') << k;
    }
    if (m.message[k] == '\r') {
      ASSERT_EQ(m.message[k + 1], '\n') << k;
    }
  }
}

TEST_F(MailSendTest, BodyLinesAreSplitBackAtEveryLineEnd) {
  // A line holding a lone CR or LF becomes two lines; ASCII stays as is.
  form().Memo1.Assign({"a\rb", "c\nd", "", "e"});
  form().MailSend();
  EXPECT_EQ(form().Memo1.All(), (Lines{"a", "b", "c", "d", "", "e"}));
  EXPECT_EQ(MessageBody(Sent().message), "a\r\nb\r\nc\r\nd\r\n\r\ne\r\n");
  // An empty body sends an empty message body.
  form().Memo1.Clear();
  form().MailSend();
  EXPECT_TRUE(form().Memo1.All().empty());
  EXPECT_EQ(MessageBody(Sent().message), "");
  // A body found ambiguous goes out unconverted.
  form().Memo1.Assign({"ｱｲ"});
  form().MailSend();
  EXPECT_EQ(MessageBody(Sent().message), "ｱｲ\r\n");
}

TEST_F(MailSendTest, RecipientsSplitAtCommasOutsideQuotes) {
  settings().MailTo = "\"Ops, Night\" <night@example.com>, day@example.com,,  Boss <boss@example.org> ";
  form().MailSend();
  EXPECT_EQ(Sent().recipients, (Lines{"night@example.com", "day@example.com", "boss@example.org"}));
  EXPECT_EQ(HeaderValue(Sent().message, "To"),
            "\"Ops, Night\" <night@example.com>, day@example.com, Boss <boss@example.org>");
  // Recipients are not encoded, Japanese or not.
  settings().MailTo = "運用 <ops@example.com>";
  form().MailSend();
  EXPECT_EQ(HeaderValue(Sent().message, "To"), "運用 <ops@example.com>");
  EXPECT_EQ(Sent().recipients, Lines{"ops@example.com"});
}

TEST_F(MailSendTest, AuthenticationTypePersistsForUnknownValues) {
  settings().MailUser = "user";
  settings().MailPassword = "pw";
  struct Step {
    int mail_auth;
    bool login;
  };
  for (const Step& s : {Step{7, false}, Step{1, true}, Step{2, true}, Step{-1, true}, Step{0, false}, Step{2, false}}) {
    settings().MailAuth = s.mail_auth;
    form().MailSend();
    EXPECT_EQ(Sent().login, s.login) << s.mail_auth;
    EXPECT_EQ(Sent().user, "user");
    EXPECT_EQ(Sent().password, "pw");
  }
  // Login with empty values is still a login.
  settings().MailAuth = 1;
  settings().MailUser.clear();
  settings().MailPassword.clear();
  form().MailSend();
  EXPECT_TRUE(Sent().login);
  EXPECT_EQ(Sent().user, "");
}

TEST_F(MailSendTest, LineBreaksInHeaderSettingsAreDropped) {
  settings().MailFrom = "zol@example.com\r\nBcc: victim@example.net";
  settings().MailTo = "ops@example.com\r\nX-Injected: 1";
  settings().MailSubject = "Report\nBcc: victim@example.net\r";
  form().MailSend();
  const std::string headers = MessageHeaders(Sent().message);
  EXPECT_EQ(headers.find("\r\nBcc"), std::string::npos);
  EXPECT_EQ(headers.find("\r\nX-Injected"), std::string::npos);
  EXPECT_EQ(HeaderValue(Sent().message, "Subject"), "ReportBcc: victim@example.net");
  EXPECT_EQ(HeaderValue(Sent().message, "To"), "ops@example.comX-Injected: 1");
  EXPECT_EQ(Sent().sender, "zol@example.comBcc: victim@example.net");
  for (const std::string& r : Sent().recipients) EXPECT_EQ(r.find_first_of("\r\n"), std::string::npos);
}

TEST_F(MailSendTest, ServerThatCannotGoIntoAUrlIsAMailError) {
  struct Case {
    std::string server;
    int port;
    bool ok;
  };
  const std::vector<Case> cases = {
      {"mail.example.com", 25, true},  {"smtp-1.my_lan.example", 65535, true},
      {"127.0.0.1", 1, true},          {"mail.example.com", 0, false},
      {"mail.example.com", 65536, false}, {"mail.example.com:25", 25, false},
      {"user@mail.example.com", 25, false}, {"mail.example.com/", 25, false},
      {"mail.example.com\r\n", 25, false}, {"[::1].x", 25, false},
      {" mail.example.com", 25, false},
  };
  for (const Case& c : cases) {
    settings().MailServer = c.server;
    settings().MailPort = c.port;
    const size_t before = smtp.attempts.size();
    boxes.CloseAll();
    boxes.shown.clear();
    EXPECT_TRUE(form().MailSend()) << c.server;
    sim.Advance(0);
    if (c.ok) {
      EXPECT_EQ(smtp.attempts.size(), before + 1) << c.server << ":" << c.port;
      EXPECT_TRUE(boxes.shown.empty()) << c.server;
    } else {
      EXPECT_EQ(smtp.attempts.size(), before) << c.server;
      ASSERT_EQ(boxes.shown.size(), 1u) << c.server;
      EXPECT_EQ(boxes.shown[0].kind, BoxKind::Error);
      EXPECT_NE(boxes.shown[0].text, "");
    }
  }
}

// The body is converted when the mail is handed over; the mail's end comes
// later from the event loop: an error goes to the error box and sent does
// not run.
TEST_F(MailSendTest, ErrorLeavesTheBodyConverted) {
  smtp.failures.push_back("SMTP: Login denied (server reply 535)");
  smtp.latency_ms = 5000;
  form().Memo1.Assign({"監視"});
  bool sent = false;
  EXPECT_TRUE(form().MailSend([&sent] { sent = true; }));
  EXPECT_EQ(form().Memo1.All(), (Lines{kIn + "4F;k" + kOut}));
  EXPECT_TRUE(boxes.shown.empty());
  sim.Advance(5000);
  EXPECT_FALSE(sent);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "SMTP: Login denied (server reply 535)");
  EXPECT_EQ(boxes.shown[0].kind, BoxKind::Error);
  // A second call converts nothing more: the body is JIS already.
  EXPECT_TRUE(form().MailSend([&sent] { sent = true; }));
  EXPECT_EQ(MessageBody(Sent().message), kIn + "4F;k" + kOut + "\r\n");
  EXPECT_FALSE(sent);
  sim.Advance(5000);
  EXPECT_TRUE(sent);
}

TEST(MailHelpers, DatesAndAddresses) {
  EXPECT_EQ(MailDate(DateTime{2026, 12, 10, 9, 5, 7}, 540), "Thu, 10 Dec 2026 09:05:07 +0900");
  EXPECT_EQ(MailDate(DateTime{2024, 2, 29, 23, 59, 59}, -330), "Thu, 29 Feb 2024 23:59:59 -0530");
  EXPECT_EQ(MailDate(DateTime{2000, 1, 1, 0, 0, 0}, 0), "Sat, 1 Jan 2000 00:00:00 +0000");
  EXPECT_EQ(EnvelopeAddress(" a@b.c "), "a@b.c");
  EXPECT_EQ(EnvelopeAddress("\"x <y>\" < a@b.c >"), "a@b.c");
  EXPECT_EQ(SplitAddressList("a@b.c"), Lines{"a@b.c"});
  EXPECT_TRUE(SplitAddressList(" , ").empty());
  EXPECT_TRUE(MailAddressRule("a@b.c", "m.x", "d@e.f"));
}

}  // namespace
}  // namespace zol
