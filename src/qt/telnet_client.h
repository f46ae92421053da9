// The telnet client of the session engine over a non-blocking socket on the
// GUI thread, watched by QSocketNotifier (no reader thread), with the
// protocol of common/telnet_protocol.
//
// Connect waits for the connection in a local event loop, at most
// connect_limit_ms including the name lookup (QHostInfo), so the window
// never freezes; a Connect or Disconnect made meanwhile abandons the
// attempt. Text is read whenever the socket has some, also while a handler
// of this client waits in Delay (the notifier fires again in the nested
// loop), but never before the connected notification has returned. On a
// peer close the text before it comes first, then the disconnected
// notification. Writes never raise SIGPIPE.
//
// Memory is bounded whatever the peer does: text read during the connected
// notification is held up to kHeldLimit, then reading pauses until it is
// handed over; output the peer does not take (answers to its negotiation,
// lines written) is queued up to kQueueLimit, and a peer that leaves more
// untaken ends its connection, with the disconnected notification from the
// event loop.
#pragma once

#include <QObject>
#include <memory>
#include <string>

#include "common/platform.h"
#include "common/telnet_protocol.h"

class QEventLoop;
class QSocketNotifier;

namespace zol {

class QtTelnetClient : public QObject, public TelnetClient {
  Q_OBJECT
 public:
  explicit QtTelnetClient(int connect_limit_ms = 5000);
  ~QtTelnetClient() override;

  bool Connect(const std::string& host, int port) override;
  bool Connected() const override { return fd_ >= 0 && connected_; }
  void Disconnect() override;
  void WriteLn(const std::string& text) override;

  // The program is ending: Connect fails at once, a pending attempt ends.
  void SetEnding();

  static constexpr size_t kHeldLimit = 256 * 1024;
  static constexpr size_t kQueueLimit = 64 * 1024;
  // Bytes written but not yet taken by the socket.
  size_t Queued() const { return out_.size(); }

 private:
  void OnReadable();
  void OnWritable();
  void Flush();
  // The peer leaves too much untaken: its connection ends.
  void Stall();
  // Closes the socket; notify raises the disconnected notification.
  void Close(bool notify);
  void StopWaiting();
  // Hands over what arrived during the connected notification.
  void DeliverHeld(unsigned generation);

  int connect_limit_ms_;
  bool ending_ = false;
  int fd_ = -1;
  bool connected_ = false;
  bool delivering_allowed_ = false;  // false during the connected notification
  unsigned generation_ = 0;          // raised by every Connect and Disconnect
  std::unique_ptr<QSocketNotifier> read_;
  std::unique_ptr<QSocketNotifier> write_;
  std::unique_ptr<TelnetProtocol> protocol_;
  std::string out_;  // bytes not yet taken by the socket
  std::string held_;  // text read during the connected notification
  bool peer_closed_ = false;  // ... and the peer's close after it
  bool stalled_ = false;      // the peer leaves its output untaken: the connection ends
  QEventLoop* waiting_ = nullptr;  // the loop of a pending Connect
};

}  // namespace zol
