// The SMTP client of the tests: records every mail handed to it and fails on
// request, and helpers to read a recorded message back.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "common/platform.h"

namespace zol {

struct ConsoleSettings;

class SimPlatform;

// Sends on the simulated clock: each mail takes latency_ms, one after the
// other in the order handed over, and its end is reported from the pump.
class FakeSmtpClient : public SmtpClient {
 public:
  explicit FakeSmtpClient(SimPlatform& sim) : sim_(sim) {}
  // Records the mail in attempts. Its outcome is fixed now: the first
  // queued failure (an error text), else OnSend runs and the mail is added
  // to mails. done runs latency_ms after the previous mail's end (or now).
  void Send(const SmtpMail& mail, SmtpDone done) override;

  std::vector<SmtpMail> attempts;
  std::vector<SmtpMail> mails;
  std::deque<std::string> failures;
  std::function<void(const SmtpMail&)> OnSend;
  uint64_t latency_ms = 0;
  // Mails handed over whose end has not been reported yet.
  size_t Pending() const { return pending_; }

 private:
  SimPlatform& sim_;
  uint64_t busy_until_ = 0;
  size_t pending_ = 0;
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
