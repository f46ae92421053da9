// The SMTP client over libcurl: one easy handle and one connection per mail,
// both gone when Send returns. Plain SMTP only, no proxy, bounded in time so
// that a dead or stalling server cannot hold the window indefinitely.
#pragma once

#include <cstdint>

#include "common/platform.h"

namespace zol {

// For SMTP the connect phase covers name resolution, TCP, the greeting,
// EHLO and authentication.
constexpr long kSmtpConnectTimeoutMs = 10000;
// The whole mail, from the start of the connect to the server's last reply.
constexpr long kSmtpMailTimeoutMs = 30000;

// libcurl's process-wide set-up; the program calls it once at start, before
// any other thread runs. Returns false when libcurl cannot start.
bool CurlGlobalInit();

class CurlSmtpClient : public SmtpClient {
 public:
  explicit CurlSmtpClient(long connect_timeout_ms = kSmtpConnectTimeoutMs,
                          long mail_timeout_ms = kSmtpMailTimeoutMs)
      : connect_timeout_ms_(connect_timeout_ms), mail_timeout_ms_(mail_timeout_ms) {}
  void Send(const SmtpMail& mail) override;

 private:
  long connect_timeout_ms_;
  long mail_timeout_ms_;
};

}  // namespace zol
