#include "settings/message_editor.h"

#include <time.h>
#include <unistd.h>

#include "common/files.h"
#include "common/posix_clock.h"
#include "common/text.h"
#include "console/app.h"
#include "console/console_settings.h"
#include "settings/jconvert.h"

namespace zol {

namespace {

// A header value or an address list cannot start a header or a command of
// its own: CR and LF are dropped.
std::string DropLineBreaks(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char ch : text)
    if (ch != '\r' && ch != '\n') out += ch;
  return out;
}

std::string Trim(const std::string& text) {
  size_t b = 0, e = text.size();
  while (b < e && static_cast<unsigned char>(text[b]) <= 0x20) ++b;
  while (e > b && static_cast<unsigned char>(text[e - 1]) <= 0x20) --e;
  return text.substr(b, e - b);
}

// The offset of the local time t from UTC, in minutes.
int UtcOffsetMinutes(const DateTime& t) {
  struct tm tm = TmOfDateTime(t);
  if (mktime(&tm) == static_cast<time_t>(-1)) return 0;
  return static_cast<int>(tm.tm_gmtoff / 60);
}

// Day of the week of a Gregorian date, 0 = Sunday.
int Weekday(int y, int m, int d) {
  static const int kT[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (m < 1 || m > 12) return 0;
  if (m < 3) y -= 1;
  return ((y + y / 4 - y / 100 + y / 400 + kT[m - 1] + d) % 7 + 7) % 7;
}

}  // namespace

bool MailAddressRule(const std::string& from, const std::string& server, const std::string& to) {
  auto has = [](const std::string& s, char c) { return s.find(c) != std::string::npos; };
  return has(from, '.') && has(from, '@') && has(server, '.') && has(to, '.') && has(to, '@');
}

std::vector<std::string> SplitAddressList(const std::string& list) {
  std::vector<std::string> out;
  std::string cur;
  bool quoted = false;
  auto flush = [&] {
    std::string a = Trim(cur);
    if (!a.empty()) out.push_back(a);
    cur.clear();
  };
  for (char ch : list) {
    if (ch == '"') quoted = !quoted;
    if (ch == ',' && !quoted) {
      flush();
      continue;
    }
    cur += ch;
  }
  flush();
  return out;
}

std::string EnvelopeAddress(const std::string& address) {
  const size_t open = address.rfind('<');
  if (open != std::string::npos) {
    const size_t close = address.find('>', open);
    if (close != std::string::npos) return Trim(address.substr(open + 1, close - open - 1));
  }
  return Trim(address);
}

std::string MailDate(const DateTime& t, int utc_offset_minutes) {
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const int m = t.month >= 1 && t.month <= 12 ? t.month : 1;
  const int off = utc_offset_minutes < 0 ? -utc_offset_minutes : utc_offset_minutes;
  return std::string(kDays[Weekday(t.year, m, t.day)]) + ", " + std::to_string(t.day) + " " + kMonths[m - 1] +
         " " + ZeroPad(t.year, 4) + " " + ZeroPad(t.hour, 2) + ":" + ZeroPad(t.minute, 2) + ":" +
         ZeroPad(t.second, 2) + " " + (utc_offset_minutes < 0 ? "-" : "+") + ZeroPad(off / 60, 2) +
         ZeroPad(off % 60, 2);
}

MessageEditor::MessageEditor(App& a) : app(a) {}

std::string MessageEditor::MessageId(const std::string& sender) {
  // The domain of the sender, kept to the characters of a host name.
  std::string domain;
  const size_t at = sender.rfind('@');
  if (at != std::string::npos) {
    for (char ch : sender.substr(at + 1))
      if ((ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9') || ch == '.' ||
          ch == '-')
        domain += ch;
  }
  if (domain.empty()) domain = "localhost";
  const DateTime now = app.clock().Now();
  return "<" + Yyyymmdd(now) + Hhnnss(now) + "." + std::to_string(getpid()) + "." +
         std::to_string(app.clock().BootMillis()) + "." + std::to_string(++sent_) + "@" + domain + ">";
}

void MessageEditor::MailError(const std::string& text) {
  if (error_box_open_) return;
  error_box_open_ = true;
  std::weak_ptr<int> alive = alive_;
  app.boxes().Open(text, BoxKind::Error, [this, alive] {
    if (!alive.expired()) error_box_open_ = false;
  });
}

bool MessageEditor::MailSend(std::function<void()> sent) {
  const ConsoleSettings& s = app.settings();
  const std::string from = DropLineBreaks(s.MailFrom);
  const std::string to = DropLineBreaks(s.MailTo);
  const std::string subject = DropLineBreaks(s.MailSubject);
  if (!MailAddressRule(from, s.MailServer, to)) return false;

  // The body: the lines with CR LF, in ISO-2022-JP, back into the list.
  std::string text;
  for (const std::string& line : Memo1.All()) text += line + "\r\n";
  Memo1.Assign(SplitLines(ConvertKanjiCode(text, kKanjiJis)));

  ContentType = "text/plain";
  Priority = MessagePriority::mpNormal;
  CCList.clear();
  BccList.clear();
  ReceiptRecipient.clear();
  if (s.MailAuth == 0) AuthenticationType = SmtpAuthentication::atNone;
  else if (s.MailAuth == 1) AuthenticationType = SmtpAuthentication::atLogin;

  SmtpMail mail;
  mail.host = s.MailServer;
  mail.port = s.MailPort;
  mail.login = AuthenticationType == SmtpAuthentication::atLogin;
  mail.user = s.MailUser;
  mail.password = s.MailPassword;
  mail.sender = EnvelopeAddress(from);
  const std::vector<std::string> addresses = SplitAddressList(to);
  std::string to_header;
  for (const std::string& a : addresses) {
    mail.recipients.push_back(EnvelopeAddress(a));
    to_header += (to_header.empty() ? "" : ", ") + a;
  }

  const DateTime now = app.clock().Now();
  std::string& m = mail.message;
  m += "From: " + MimeHeaderEncode(from) + "\r\n";
  m += "To: " + to_header + "\r\n";
  m += "Subject: " + MimeHeaderEncode(subject) + "\r\n";
  m += "Date: " + MailDate(now, UtcOffsetMinutes(now)) + "\r\n";
  m += "Message-ID: " + MessageId(mail.sender) + "\r\n";
  m += "MIME-Version: 1.0\r\n";
  m += "Content-Type: " + ContentType + "\r\n";
  m += "\r\n";
  for (const std::string& line : Memo1.All()) m += line + "\r\n";

  const std::string target_error = SmtpTargetError(mail.host, mail.port);
  if (!target_error.empty()) {
    MailError(target_error);
    return true;
  }
  std::weak_ptr<int> alive = alive_;
  app.smtp().Send(mail, [this, alive, sent = std::move(sent)](const SmtpResult& result) {
    if (alive.expired()) return;
    if (!result.sent) MailError(result.error);
    else if (sent) sent();
  });
  return true;
}

}  // namespace zol
