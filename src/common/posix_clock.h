// The real clock: CLOCK_BOOTTIME milliseconds (suspend included) and the
// local wall clock.
#pragma once

#include <time.h>

#include "common/platform.h"

namespace zol {

class PosixClock : public Clock {
 public:
  uint32_t TickCount() override { return static_cast<uint32_t>(BootMillis()); }
  uint64_t BootMillis() override;
  DateTime Now() override;
};

// The date and time fields of a broken-down time (from localtime_r or gmtime_r).
DateTime DateTimeOfTm(const tm& t);
// The broken-down time of the fields, tm_isdst -1 (for mktime or timegm).
tm TmOfDateTime(const DateTime& t);

}  // namespace zol
