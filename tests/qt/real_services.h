// The program's own clock, pump, timers and telnet client, for the Qt tests
// that run the console against real peers (the other services stay fakes).
#pragma once

#include "common/platform.h"
#include "common/posix_clock.h"
#include "console/app.h"
#include "qt/adapters.h"
#include "qt/telnet_client.h"

namespace zol {

struct RealServices {
  Services Real() {
    Services s;
    s.clock = &clock;
    s.pump = &pump;
    s.timers = &timers;
    s.telnet = &telnet;
    return s;
  }
  PosixClock clock;
  QtPump pump;
  QtTimerHost timers;
  QtTelnetClient telnet;
};

}  // namespace zol
