#include "support/loopback.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

#include "common/posix_udp.h"

namespace zol {

namespace {

int FreePortOf(int type) {
  const int fd = ::socket(AF_INET, type, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  int port = 0;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) == 0)
    port = ntohs(a.sin_port);
  ::close(fd);
  return port;
}

}  // namespace

int FreePort() { return FreePortOf(SOCK_DGRAM); }
int FreeTcpPort() { return FreePortOf(SOCK_STREAM); }

void ReadUntil(PosixUdpReceiver& rx, const std::function<bool()>& done, int timeout_ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (!done() && std::chrono::steady_clock::now() < deadline) {
    pollfd p{rx.Fd(), POLLIN, 0};
    if (::poll(&p, 1, 100) > 0) rx.ReadPending();
  }
}

}  // namespace zol
