#include "qt/telnet_client.h"

#include <arpa/inet.h>
#include <errno.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QEventLoop>
#include <QHostAddress>
#include <QHostInfo>
#include <QSocketNotifier>
#include <QTimer>
#include <cstring>

namespace zol {

namespace {

// Releases a notifier that may be running its own slot right now.
void Drop(std::unique_ptr<QSocketNotifier>& n) {
  if (!n) return;
  n->setEnabled(false);
  n.release()->deleteLater();
}

}  // namespace

QtTelnetClient::QtTelnetClient(int connect_limit_ms) : connect_limit_ms_(connect_limit_ms) {}

QtTelnetClient::~QtTelnetClient() {
  StopWaiting();
  Close(false);
}

void QtTelnetClient::StopWaiting() {
  if (waiting_) waiting_->quit();
}

void QtTelnetClient::SetEnding() {
  ending_ = true;
  ++generation_;
  StopWaiting();
}

bool QtTelnetClient::Connect(const std::string& host, int port) {
  if (fd_ >= 0) Disconnect();
  const unsigned mine = ++generation_;
  StopWaiting();  // an attempt still pending is abandoned
  if (ending_ || host.empty() || port < 1 || port > 65535) return false;

  QEventLoop loop;
  QEventLoop* const outer = waiting_;
  waiting_ = &loop;
  struct Restore {
    QtTelnetClient* self;
    QEventLoop* loop;
    QEventLoop* outer;
    ~Restore() {
      if (self->waiting_ == loop) self->waiting_ = outer;
    }
  } restore{this, &loop, outer};
  QTimer limit;
  limit.setSingleShot(true);
  QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
  limit.start(connect_limit_ms_);

  // The address, looked up without blocking when it is a name.
  QHostAddress address;
  if (!address.setAddress(QString::fromLatin1(host.data(), static_cast<qsizetype>(host.size())))) {
    QObject context;  // ends the lookup's delivery when this call returns
    bool done = false;
    QHostInfo info;
    QHostInfo::lookupHost(QString::fromLatin1(host.data(), static_cast<qsizetype>(host.size())), &context,
                          [&](const QHostInfo& result) {
                            info = result;
                            done = true;
                            loop.quit();
                          });
    if (!done) loop.exec();
    if (generation_ != mine || !done || info.error() != QHostInfo::NoError || info.addresses().isEmpty()) return false;
    address = info.addresses().first();
    for (const QHostAddress& a : info.addresses()) {
      if (a.protocol() == QAbstractSocket::IPv4Protocol) {
        address = a;
        break;
      }
    }
  }

  sockaddr_storage sa{};
  socklen_t sa_len = 0;
  if (address.protocol() == QAbstractSocket::IPv4Protocol) {
    auto* in = reinterpret_cast<sockaddr_in*>(&sa);
    in->sin_family = AF_INET;
    in->sin_port = htons(static_cast<uint16_t>(port));
    in->sin_addr.s_addr = htonl(address.toIPv4Address());
    sa_len = sizeof(sockaddr_in);
  } else {
    auto* in6 = reinterpret_cast<sockaddr_in6*>(&sa);
    in6->sin6_family = AF_INET6;
    in6->sin6_port = htons(static_cast<uint16_t>(port));
    const Q_IPV6ADDR a6 = address.toIPv6Address();
    std::memcpy(&in6->sin6_addr, a6.c, 16);
    sa_len = sizeof(sockaddr_in6);
  }
  int fd = ::socket(sa.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&sa), sa_len) != 0) {
    if (errno != EINPROGRESS) {
      ::close(fd);
      return false;
    }
    QSocketNotifier writable(fd, QSocketNotifier::Write);
    QObject::connect(&writable, &QSocketNotifier::activated, &loop, &QEventLoop::quit);
    if (limit.isActive() && generation_ == mine) loop.exec();
    writable.setEnabled(false);
    pollfd p{fd, POLLOUT, 0};
    int err = 0;
    socklen_t err_len = sizeof err;
    if (generation_ != mine || ::poll(&p, 1, 0) != 1 ||
        ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &err_len) != 0 || err != 0) {
      ::close(fd);  // refused, unreachable, the time limit, or abandoned
      return false;
    }
  }

  fd_ = fd;
  connected_ = true;
  protocol_ = std::make_unique<TelnetProtocol>();
  out_.clear();
  held_.clear();
  peer_closed_ = false;
  stalled_ = false;
  delivering_allowed_ = false;
  read_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
  QObject::connect(read_.get(), &QSocketNotifier::activated, this, [this] { OnReadable(); });
  write_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
  write_->setEnabled(false);
  QObject::connect(write_.get(), &QSocketNotifier::activated, this, [this] { OnWritable(); });

  if (OnConnected) OnConnected();
  // What arrived during the notification follows from the event loop.
  if (generation_ == mine && fd_ >= 0) QTimer::singleShot(0, this, [this, mine] { DeliverHeld(mine); });
  return true;
}

void QtTelnetClient::DeliverHeld(unsigned generation) {
  if (generation != generation_ || fd_ < 0) return;
  delivering_allowed_ = true;
  std::string data;
  data.swap(held_);
  const bool closed = peer_closed_ || stalled_;
  if (read_ && !closed) read_->setEnabled(true);  // reading paused at the limit goes on
  if (!data.empty() && OnDataAvailable) OnDataAvailable(data);
  if (closed && generation == generation_) Close(true);
}

void QtTelnetClient::OnReadable() {
  if (fd_ < 0 || stalled_) return;
  const unsigned mine = generation_;
  std::string data;
  bool closed = false;
  char buf[16384];
  for (int pass = 0; pass < 16; ++pass) {
    const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
    if (n > 0) {
      data += protocol_->Receive(buf, static_cast<size_t>(n));
      if (static_cast<size_t>(n) < sizeof buf) break;
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    closed = true;  // the peer closed, or the connection broke
    break;
  }
  Flush();  // the negotiation's answers
  if (generation_ != mine || fd_ < 0) return;
  if (closed && read_) read_->setEnabled(false);
  if (!delivering_allowed_) {
    held_ += data;
    peer_closed_ = peer_closed_ || closed;
    // The peer waits (its socket fills) until the held text is handed over.
    if (held_.size() >= kHeldLimit && read_) read_->setEnabled(false);
    return;
  }
  // The handler may wait in Delay: the notifier then fires again in the
  // nested loop and later text is handed over at once.
  if (!data.empty() && OnDataAvailable) OnDataAvailable(data);
  if (closed && generation_ == mine) Close(true);
}

void QtTelnetClient::OnWritable() { Flush(); }

void QtTelnetClient::Flush() {
  if (fd_ < 0 || !protocol_ || stalled_) return;
  out_ += protocol_->TakeOutput();
  while (!out_.empty()) {
    const ssize_t n = ::send(fd_, out_.data(), out_.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      out_.erase(0, static_cast<size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (out_.size() > kQueueLimit) {
        Stall();
        return;
      }
      if (write_) write_->setEnabled(true);
      return;
    }
    out_.clear();  // broken: the read side sees the end
    break;
  }
  if (write_) write_->setEnabled(false);
}

void QtTelnetClient::Stall() {
  // Nothing more is read or written; the connection ends from the event
  // loop, not inside the handler that wrote or read, and not before the
  // connected notification has returned (DeliverHeld ends it then).
  stalled_ = true;
  out_.clear();
  out_.shrink_to_fit();
  if (read_) read_->setEnabled(false);
  if (write_) write_->setEnabled(false);
  if (!delivering_allowed_) return;
  const unsigned mine = generation_;
  QTimer::singleShot(0, this, [this, mine] {
    if (generation_ == mine) Close(true);
  });
}

void QtTelnetClient::WriteLn(const std::string& text) {
  if (!Connected() || stalled_) return;
  protocol_->Send(text + "\r\n");
  Flush();
}

void QtTelnetClient::Disconnect() {
  ++generation_;
  StopWaiting();
  Close(true);
}

void QtTelnetClient::Close(bool notify) {
  if (fd_ < 0) return;
  ++generation_;
  Drop(read_);
  Drop(write_);
  ::close(fd_);
  fd_ = -1;
  connected_ = false;
  out_.clear();
  held_.clear();
  peer_closed_ = false;
  if (notify && OnDisconnected) OnDisconnected();
}

}  // namespace zol
