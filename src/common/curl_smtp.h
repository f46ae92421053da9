// The SMTP client over libcurl: one easy handle and one connection per mail,
// both gone when Deliver returns. Plain SMTP only, no proxy. Every step is
// bounded and so is the whole mail, QUIT included, so that a dead or
// stalling server cannot hold the sender for longer than one mail's bound.
#pragma once

#include <atomic>
#include <cstdint>

#include "common/platform.h"

namespace zol {

// For SMTP the connect phase covers name resolution, TCP, the greeting,
// EHLO and authentication.
constexpr long kSmtpConnectTimeoutMs = 10000;
// Each later answer of the server (MAIL, RCPT, DATA, the final ".", QUIT).
constexpr long kSmtpStepTimeoutMs = 10000;
// The whole mail, from the start of the connect to the end of QUIT.
constexpr long kSmtpMailTimeoutMs = 30000;

// libcurl's process-wide set-up; the program calls it once at start, before
// any other thread runs. Returns false when libcurl cannot start.
bool CurlGlobalInit();

class CurlSmtpClient {
 public:
  explicit CurlSmtpClient(long connect_timeout_ms = kSmtpConnectTimeoutMs, long mail_timeout_ms = kSmtpMailTimeoutMs,
                          long step_timeout_ms = kSmtpStepTimeoutMs)
      : connect_timeout_ms_(connect_timeout_ms), mail_timeout_ms_(mail_timeout_ms), step_timeout_ms_(step_timeout_ms) {}

  // Sends one mail and returns how it ended, blocking the calling thread
  // for at most the mail's bound (a little more for the last check). A
  // cancel flag that becomes true ends the mail at once, unsent unless its
  // data was already accepted.
  SmtpResult Deliver(const SmtpMail& mail, const std::atomic<bool>* cancel = nullptr) const;

 private:
  long connect_timeout_ms_;
  long mail_timeout_ms_;
  long step_timeout_ms_;
};

}  // namespace zol
