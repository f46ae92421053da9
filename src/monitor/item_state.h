// The state of one monitored item (one outlet of a registered device): its
// two-character code, its picture index and the CSV state triple.
#pragma once

#include <cstdint>
#include <string>

#include "common/platform.h"

namespace zol {

// Picture indices of the icon view.
constexpr int kImageTimeOut = 8;
constexpr int kImageUnknown = 9;

// The receive clock: whole seconds since the computer started, from the
// 64-bit boot clock, so it never wraps while the console runs. RecvTick and
// the time-out test both use it.
int64_t ReceiveClock(Clock& clock);

// The picture index of an item code: time-out 8, unknown 9, 99 for a code
// without a state digit (no picture).
int StateImageOfCode(const std::string& code);

// Word i (four characters at 5(i-1)+1) of a blank-separated word list, and
// byte item i (two characters at 3(i-1)+1).
std::string WordAt(const std::string& list, int i);
std::string ByteItemAt(const std::string& list, int i);

// The digit of an item code at pos (0 kind, 1 state) as a number, def when
// it is missing or not a digit.
int CodeDigit(const std::string& code, size_t pos, int def);

}  // namespace zol
