#include "common/posix_udp.h"

#include <arpa/inet.h>
#include <errno.h>
#include <netinet/in.h>
#include <string.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

#include "common/files.h"

namespace zol {

// The buffers of one recvmmsg call: one more byte than the largest datagram
// taken, so that a larger one is seen.
struct PosixUdpReceiver::Batch {
  char data[kVector][kMaxDatagram + 1];
  sockaddr_in from[kVector];
  iovec iov[kVector];
  mmsghdr msgs[kVector];
  // The sender address last converted to text, kept for the next datagram
  // from the same sender.
  in_addr_t last_addr = 0;
  char last_ip[INET_ADDRSTRLEN] = "";
};

PosixUdpReceiver::PosixUdpReceiver() = default;

PosixUdpReceiver::~PosixUdpReceiver() { Close(); }

void PosixUdpReceiver::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  port_ = 0;
  ++generation_;
  next_ = filled_ = 0;  // what was fetched from the closed socket is gone with it
}

std::string PosixUdpReceiver::SetLocalPort(int port) {
  Close();
  if (port == 0) return std::string();
  if (port < 1 || port > 65535) return SystemReason(EINVAL);
  int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return SystemReason(errno);
  // Room for a burst: a full table of devices that report in the same
  // instant, or the datagrams that arrive while a window handler runs. The
  // system may grant less (net.core.rmem_max); the default would hold about
  // 170 status datagrams.
  const int buffer = 4 << 20;
  (void)::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
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

bool PosixUdpReceiver::Fetch(size_t want) {
  if (!batch_) batch_ = std::make_unique<Batch>();
  Batch& b = *batch_;
  want = std::min(want, kVector);
  for (size_t i = 0; i < want; ++i) {
    b.iov[i].iov_base = b.data[i];
    b.iov[i].iov_len = sizeof b.data[i];
    msghdr& h = b.msgs[i].msg_hdr;
    h = msghdr{};
    h.msg_name = &b.from[i];
    h.msg_namelen = sizeof b.from[i];
    h.msg_iov = &b.iov[i];
    h.msg_iovlen = 1;
    b.msgs[i].msg_len = 0;
  }
  for (;;) {
    // MSG_TRUNC: each length is the datagram's own, also when it did not fit.
    const int n = ::recvmmsg(fd_, b.msgs, static_cast<unsigned>(want), MSG_TRUNC | MSG_DONTWAIT, nullptr);
    if (n > 0) {
      next_ = 0;
      filled_ = static_cast<size_t>(n);
      return true;
    }
    if (n < 0 && errno == EINTR) continue;
    return false;  // nothing pending, or a receive error: nothing is delivered
  }
}

size_t PosixUdpReceiver::ReadPending(size_t limit) {
  const uint64_t generation = generation_;
  size_t taken = 0;
  while (taken < limit && fd_ >= 0 && generation == generation_) {
    if (next_ == filled_ && !Fetch(limit - taken)) break;
    Batch& b = *batch_;
    const size_t i = next_++;
    ++taken;
    const size_t n = b.msgs[i].msg_len;
    const sockaddr_in& from = b.from[i];
    if (n > kMaxDatagram || b.msgs[i].msg_hdr.msg_namelen < sizeof from || from.sin_family != AF_INET) continue;
    if (from.sin_addr.s_addr != b.last_addr || !b.last_ip[0]) {
      ::inet_ntop(AF_INET, &from.sin_addr, b.last_ip, sizeof b.last_ip);
      b.last_addr = from.sin_addr.s_addr;
    }
    // The handler gets its own copies: a nested read may refill the batch.
    const std::string ip(b.last_ip);
    if (OnDataReceived) OnDataReceived(std::string(b.data[i], n), ip, ntohs(from.sin_port));
  }
  return taken;
}

}  // namespace zol
