// Helpers for tests that talk over real sockets on 127.0.0.1.
#pragma once

namespace zol {

// A UDP port of 127.0.0.1 that was free a moment ago; 0 when none could be had.
int FreePort();
// A TCP port of 127.0.0.1 where nothing listened a moment ago; 0 when none
// could be had.
int FreeTcpPort();

}  // namespace zol
