// The SMTP client of the tests: records every mail handed to it and fails on
// request, and helpers to read a recorded message back.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "common/platform.h"

namespace zol {

struct ConsoleSettings;

class FakeSmtpClient : public SmtpClient {
 public:
  // Records the mail in attempts; then the first queued failure is thrown,
  // else OnSend runs (it may throw) and the mail is added to mails.
  void Send(const SmtpMail& mail) override;

  std::vector<SmtpMail> attempts;
  std::vector<SmtpMail> mails;
  std::deque<SmtpError> failures;
  std::function<void(const SmtpMail&)> OnSend;
};

// Mail settings that pass the address rule: sender "zol@example.com",
// recipient "ops@example.com", server "mail.example.com", port 25, no login.
void UsableMailSettings(ConsoleSettings& s);

// ISO-2022-JP (ESC $ B and ESC ( J / ESC ( B) back to Shift-JIS.
std::string JisToSjis(const std::string& jis);

// The header block and the body of a message, split at the first empty line.
std::string MessageHeaders(const std::string& message);
std::string MessageBody(const std::string& message);
// The value of a header ("Subject"), empty when absent.
std::string HeaderValue(const std::string& message, const std::string& name);
// The body's lines (each ended by CR LF) in Shift-JIS.
std::vector<std::string> MailBodyLines(const SmtpMail& mail);

}  // namespace zol
