// The scripted SMTP peer of the tests (tests/support/smtp_sink.py) on a free
// port of 127.0.0.1: an aiosmtpd sink or a scripted server with a mode.
#pragma once

#include <sys/types.h>

#include <string>

#include "support/app_fixture.h"

namespace zol {

// The peer's script, from ZOL_SOURCE_DIR; empty when that is not set.
std::string SmtpPeerScript();
// Whether python3-aiosmtpd is installed.
bool HaveAiosmtpd();

// Skips the test when the peer cannot run.
#define REQUIRE_SMTP_PEER()                                                                           \
  do {                                                                                                \
    if (::zol::SmtpPeerScript().empty()) GTEST_SKIP() << "ZOL_SOURCE_DIR not set: run the test through ctest"; \
    if (!::zol::HaveAiosmtpd()) GTEST_SKIP() << "python3-aiosmtpd is not installed (scripts/setup)";   \
  } while (0)

// The peer in one of its modes (see the script); terminated when destroyed.
// Each accepted mail N is the file "N.eml" (and "N.env") of its folder.
class SmtpPeer {
 public:
  explicit SmtpPeer(const std::string& mode = "sink", const std::string& credentials = "");
  ~SmtpPeer();
  SmtpPeer(const SmtpPeer&) = delete;
  SmtpPeer& operator=(const SmtpPeer&) = delete;
  // 0 when the peer did not start.
  int port() const { return port_; }
  std::string File(const std::string& name) const;

 private:
  TempDir dir_;
  pid_t pid_ = -1;
  int port_ = 0;
};

}  // namespace zol
