#include "common/posix_udp.h"

#include <arpa/inet.h>
#include <errno.h>
#include <netinet/in.h>
#include <string.h>
#include <sys/socket.h>
#include <unistd.h>

#include "common/files.h"

namespace zol {

PosixUdpReceiver::~PosixUdpReceiver() { Close(); }

void PosixUdpReceiver::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  port_ = 0;
  ++generation_;
}

std::string PosixUdpReceiver::SetLocalPort(int port) {
  Close();
  if (port == 0) return std::string();
  if (port < 1 || port > 65535) return SystemReason(EINVAL);
  int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return SystemReason(errno);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_ANY);
  addr.sin_port = htons(static_cast<uint16_t>(port));
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
    const int err = errno;
    ::close(fd);
    return SystemReason(err);
  }
  fd_ = fd;
  port_ = port;
  return std::string();
}

size_t PosixUdpReceiver::ReadPending(size_t limit) {
  const uint64_t generation = generation_;
  // One byte more than the largest datagram taken, so that a larger one is seen.
  char buf[kMaxDatagram + 1];
  size_t taken = 0;
  while (taken < limit && fd_ >= 0 && generation == generation_) {
    sockaddr_in from{};
    socklen_t from_len = sizeof from;
    const ssize_t n = ::recvfrom(fd_, buf, sizeof buf, MSG_TRUNC, reinterpret_cast<sockaddr*>(&from), &from_len);
    if (n < 0) {
      if (errno == EINTR) continue;
      return taken;  // nothing pending, or a receive error: nothing is delivered
    }
    ++taken;
    if (static_cast<size_t>(n) > kMaxDatagram || from.sin_family != AF_INET) continue;
    char ip[INET_ADDRSTRLEN] = "";
    ::inet_ntop(AF_INET, &from.sin_addr, ip, sizeof ip);
    if (OnDataReceived) OnDataReceived(std::string(buf, static_cast<size_t>(n)), ip, ntohs(from.sin_port));
  }
  return taken;
}

}  // namespace zol
