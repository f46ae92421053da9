// The UDP receiver on POSIX sockets. It owns one non-blocking IPv4 socket
// while a port is set; the event loop watches Fd() and calls ReadPending()
// on the GUI thread when the socket is readable. No thread of its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "common/platform.h"

namespace zol {

class PosixUdpReceiver : public UdpReceiver {
 public:
  // Datagrams larger than this are dropped whole.
  static constexpr size_t kMaxDatagram = 2048;

  PosixUdpReceiver();
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
  // most kMaxDatagram bytes, in arrival order. Receive errors and oversize
  // datagrams produce nothing. Returns the number of datagrams taken.
  // The datagrams are fetched up to kVector at a time with one system call,
  // never more than the pass's limit leaves room for. A handler may call
  // ReadPending again (through the event pump): it goes on with the
  // datagrams already fetched, so the order holds, and every call ends with
  // none fetched but undelivered: only the socket's readiness tells that
  // more wait.
  size_t ReadPending(size_t limit = SIZE_MAX);
  // Datagrams fetched from the socket and not delivered yet (only while a
  // handler runs).
  size_t Queued() const { return filled_ - next_; }

  // Datagrams fetched per system call at most.
  static constexpr size_t kVector = 64;

 private:
  struct Batch;
  void Close();
  // Fetches at most want datagrams into the batch; false when none waits.
  bool Fetch(size_t want);

  int fd_ = -1;
  int port_ = 0;
  uint64_t generation_ = 0;  // raised at every close, so a handler that rebinds ends the read loop
  std::unique_ptr<Batch> batch_;
  size_t next_ = 0, filled_ = 0;  // the batch's undelivered datagrams: [next_, filled_)
};

}  // namespace zol
