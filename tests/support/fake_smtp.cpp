#include "support/fake_smtp.h"

#include <algorithm>

#include "console/console_settings.h"
#include "support/sim_platform.h"

namespace zol {

void FakeSmtpClient::Send(const SmtpMail& mail, SmtpDone done) {
  attempts.push_back(mail);
  SmtpResult result;
  if (!failures.empty()) {
    result.error = failures.front();
    failures.pop_front();
  } else {
    if (OnSend) OnSend(mail);
    mails.push_back(mail);
    result.sent = true;
  }
  const uint64_t now = sim_.BootMillis();
  busy_until_ = std::max(busy_until_, now) + latency_ms;
  ++pending_;
  sim_.Post(busy_until_ - now, [this, done = std::move(done), result] {
    --pending_;
    if (done) done(result);
  });
}

void UsableMailSettings(ConsoleSettings& s) {
  s.MailFrom = "zol@example.com";
  s.MailTo = "ops@example.com";
  s.MailServer = "mail.example.com";
  s.MailPort = 25;
  s.MailAuth = 0;
}

std::string JisToSjis(const std::string& jis) {
  std::string out;
  bool dbl = false;
  size_t i = 0;
  while (i < jis.size()) {
    if (jis[i] == '\x1B' && i + 2 < jis.size()) {
      dbl = jis[i + 1] == '$';
      i += 3;
      continue;
    }
    if (!dbl || jis[i] == '\r' || jis[i] == '\n' || i + 1 >= jis.size()) {
      out += jis[i++];
      continue;
    }
    const unsigned j1 = static_cast<unsigned char>(jis[i]), j2 = static_cast<unsigned char>(jis[i + 1]);
    unsigned s1 = (j1 + 1) / 2 + (j1 <= 0x5E ? 0x70 : 0xB0);
    unsigned s2 = (j1 & 1) ? j2 + (j2 <= 0x5F ? 0x1F : 0x20) : j2 + 0x7E;
    out += static_cast<char>(s1);
    out += static_cast<char>(s2);
    i += 2;
  }
  return out;
}

std::string MessageHeaders(const std::string& message) {
  const size_t end = message.find("\r\n\r\n");
  return end == std::string::npos ? message : message.substr(0, end + 2);
}

std::string MessageBody(const std::string& message) {
  const size_t end = message.find("\r\n\r\n");
  return end == std::string::npos ? std::string() : message.substr(end + 4);
}

std::string HeaderValue(const std::string& message, const std::string& name) {
  const std::string headers = "\r\n" + MessageHeaders(message);
  const size_t at = headers.find("\r\n" + name + ": ");
  if (at == std::string::npos) return std::string();
  const size_t start = at + name.size() + 4;
  return headers.substr(start, headers.find("\r\n", start) - start);
}

std::vector<std::string> MailBodyLines(const SmtpMail& mail) {
  std::vector<std::string> lines;
  const std::string body = MessageBody(mail.message);
  size_t pos = 0;
  while (pos < body.size()) {
    const size_t end = body.find("\r\n", pos);
    if (end == std::string::npos) {
      lines.push_back(JisToSjis(body.substr(pos)));
      break;
    }
    lines.push_back(JisToSjis(body.substr(pos, end - pos)));
    pos = end + 2;
  }
  return lines;
}

}  // namespace zol
