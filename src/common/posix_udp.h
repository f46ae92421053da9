// The UDP receiver on POSIX sockets. It owns one non-blocking IPv4 socket
// while a port is set; the event loop watches Fd() and calls ReadPending()
// on the GUI thread when the socket is readable. No thread of its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/platform.h"

namespace zol {

class PosixUdpReceiver : public UdpReceiver {
 public:
  // Datagrams larger than this are dropped whole.
  static constexpr size_t kMaxDatagram = 2048;

  PosixUdpReceiver() = default;
  ~PosixUdpReceiver() override;
  PosixUdpReceiver(const PosixUdpReceiver&) = delete;
  PosixUdpReceiver& operator=(const PosixUdpReceiver&) = delete;

  // Closes the current socket; for 1..65535 binds a new one on every IPv4
  // address of the computer. The port is not shared: one that is taken fails.
  std::string SetLocalPort(int port) override;
  int LocalPort() const override { return port_; }

  // The bound socket, -1 while none is.
  int Fd() const { return fd_; }

  // Reads the datagrams pending on the socket, at most limit of them
  // (oversize ones included), and raises OnDataReceived for each one of at
  // most kMaxDatagram bytes. Receive errors and oversize datagrams produce
  // nothing. Returns the number of datagrams taken off the socket.
  size_t ReadPending(size_t limit = SIZE_MAX);

 private:
  void Close();

  int fd_ = -1;
  int port_ = 0;
  uint64_t generation_ = 0;  // raised at every close, so a handler that rebinds ends the read loop
};

}  // namespace zol
