// Helpers for tests that talk over real sockets on 127.0.0.1.
#pragma once

#include <functional>

namespace zol {

class PosixUdpReceiver;

// A UDP port of 127.0.0.1 that was free a moment ago; 0 when none could be had.
int FreePort();
// A TCP port of 127.0.0.1 where nothing listened a moment ago; 0 when none
// could be had.
int FreeTcpPort();

// Hands the receiver's datagrams to the console as they come until done()
// holds or timeout_ms have passed (a bound against a peer that never
// sends, not a timing goal).
void ReadUntil(PosixUdpReceiver& rx, const std::function<bool()>& done, int timeout_ms);

}  // namespace zol
