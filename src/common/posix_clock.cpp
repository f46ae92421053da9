#include "common/posix_clock.h"

#include <time.h>

namespace zol {

uint64_t PosixClock::BootMillis() {
  timespec ts;
  clock_gettime(CLOCK_BOOTTIME, &ts);
  return static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
}

DateTime PosixClock::Now() {
  time_t now = time(nullptr);
  tm local;
  localtime_r(&now, &local);
  return DateTimeOfTm(local);
}

DateTime DateTimeOfTm(const tm& u) {
  DateTime t;
  t.year = u.tm_year + 1900;
  t.month = u.tm_mon + 1;
  t.day = u.tm_mday;
  t.hour = u.tm_hour;
  t.minute = u.tm_min;
  t.second = u.tm_sec;
  return t;
}

tm TmOfDateTime(const DateTime& t) {
  tm u{};
  u.tm_year = t.year - 1900;
  u.tm_mon = t.month - 1;
  u.tm_mday = t.day;
  u.tm_hour = t.hour;
  u.tm_min = t.minute;
  u.tm_sec = t.second;
  u.tm_isdst = -1;
  return u;
}

}  // namespace zol
