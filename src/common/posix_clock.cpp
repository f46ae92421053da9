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
  DateTime t;
  t.year = local.tm_year + 1900;
  t.month = local.tm_mon + 1;
  t.day = local.tm_mday;
  t.hour = local.tm_hour;
  t.minute = local.tm_min;
  t.second = local.tm_sec;
  return t;
}

}  // namespace zol
