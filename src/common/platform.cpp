#include "common/platform.h"

#include "common/text.h"

namespace zol {

std::string DateText(const DateTime& t) {
  return ZeroPad(t.year, 4) + "/" + ZeroPad(t.month, 2) + "/" + ZeroPad(t.day, 2);
}
std::string TimeText(const DateTime& t) {
  return ZeroPad(t.hour, 2) + ":" + ZeroPad(t.minute, 2) + ":" + ZeroPad(t.second, 2);
}
std::string Yymmdd(const DateTime& t) {
  return ZeroPad(t.year % 100, 2) + ZeroPad(t.month, 2) + ZeroPad(t.day, 2);
}
std::string Yyyymmdd(const DateTime& t) {
  return ZeroPad(t.year, 4) + ZeroPad(t.month, 2) + ZeroPad(t.day, 2);
}
std::string Hhnnss(const DateTime& t) {
  return ZeroPad(t.hour, 2) + ZeroPad(t.minute, 2) + ZeroPad(t.second, 2);
}

std::string BoxTitle(BoxKind kind) {
  switch (kind) {
    case BoxKind::Info: return "情報";
    case BoxKind::Warning: return "警告";
    case BoxKind::Error: return "エラー";
    case BoxKind::Confirm: return "確認";
  }
  return std::string();
}

std::string SmtpTargetError(const std::string& host, int port) {
  if (host.empty()) return "SMTP server name is empty";
  for (char ch : host) {
    const bool ok = (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9') ||
                    ch == '.' || ch == '-' || ch == '_';
    if (!ok) return "SMTP server name not usable: " + host;
  }
  if (port < 1 || port > 65535) return "SMTP port out of range: " + std::to_string(port);
  return std::string();
}

void Delay(Clock& clock, EventPump& pump, uint32_t ms) {
  const uint32_t start = clock.TickCount();
  for (;;) {
    pump.ProcessPending();
    const uint32_t elapsed = clock.TickCount() - start;  // modulo 2^32
    if (elapsed > ms) return;
    pump.WaitForEvents(ms - elapsed + 1);
  }
}

}  // namespace zol
