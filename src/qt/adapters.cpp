#include "qt/adapters.h"

#include <QApplication>
#include <QAudioDevice>
#include <QCoreApplication>
#include <QEventLoop>
#include <QMediaDevices>
#include <QNetworkDatagram>
#include <QSoundEffect>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include "qt/sjis.h"

namespace zol {

void QtPump::ProcessPending() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void QtPump::WaitForEvents(uint32_t max_ms) {
  if (ending_) {
    QThread::msleep(max_ms < 20 ? max_ms : 20);
    return;
  }
  QEventLoop loop;
  QTimer::singleShot(static_cast<int>(max_ms), Qt::PreciseTimer, &loop, &QEventLoop::quit);
  loop.exec();
}

QtTimerHost::~QtTimerHost() {
  for (auto& [timer, qt] : timers_) delete qt;
}

void QtTimerHost::TimerChanged(Timer* timer) {
  QTimer*& qt = timers_[timer];
  if (!qt) {
    qt = new QTimer(this);
    QObject::connect(qt, &QTimer::timeout, this, [this, timer] {
      if (timers_.count(timer)) timer->Fire();
    });
  }
  qt->stop();
  if (timer->Enabled() && timer->Interval() > 0) {
    qt->setInterval(static_cast<int>(timer->Interval()));
    qt->start();
  }
}

void QtTimerHost::TimerRemoved(Timer* timer) {
  auto it = timers_.find(timer);
  if (it == timers_.end()) return;
  it->second->stop();
  it->second->deleteLater();  // it may be firing right now
  timers_.erase(it);
}

QtSound::QtSound() = default;
QtSound::~QtSound() = default;

void QtSound::Beep() { QApplication::beep(); }

void QtSound::PlayWav(const std::string& path) {
  // Without an output device the effect would stay "playing" for ever.
  if (QMediaDevices::audioOutputs().isEmpty()) return;
  if (!effect_) effect_ = std::make_unique<QSoundEffect>();
  effect_->stop();
  effect_->setSource(QUrl::fromLocalFile(FromSjis(path)));
  effect_->play();
}

QtUdpReceiver::QtUdpReceiver() {
  QObject::connect(&socket_, &QUdpSocket::readyRead, this, [this] { Drain(); });
}

std::string QtUdpReceiver::SetLocalPort(int port) {
  socket_.close();
  port_ = 0;
  if (port == 0) return std::string();
  if (port < 0 || port > 65535) return "Invalid argument";
  if (!socket_.bind(QHostAddress::AnyIPv4, static_cast<quint16>(port), QAbstractSocket::DontShareAddress)) {
    const std::string reason = ToSjis(socket_.errorString());
    socket_.close();
    return reason.empty() ? std::string("bind failed") : reason;
  }
  port_ = port;
  return std::string();
}

void QtUdpReceiver::Drain() {
  if (draining_) {  // a handler waits in Delay: the outer pass reads on
    again_ = true;
    return;
  }
  draining_ = true;
  int budget = kBatch;
  do {
    again_ = false;
    while (port_ != 0 && socket_.hasPendingDatagrams()) {
      if (budget-- == 0) {
        // Let the window repaint and the timers run, then read on.
        if (!resume_queued_) {
          resume_queued_ = true;
          QTimer::singleShot(0, this, [this] {
            resume_queued_ = false;
            Drain();
          });
        }
        draining_ = false;
        return;
      }
      const QNetworkDatagram d = socket_.receiveDatagram(65536);
      if (!d.isValid()) break;
      const QByteArray data = d.data();
      if (data.size() > 2048) continue;
      if (!OnDataReceived) continue;
      QHostAddress from = d.senderAddress();
      bool ok = false;
      const quint32 v4 = from.toIPv4Address(&ok);
      const QString ip = ok ? QHostAddress(v4).toString() : from.toString();
      OnDataReceived(std::string(data.constData(), static_cast<size_t>(data.size())), ToSjis(ip), d.senderPort());
    }
  } while (again_ && port_ != 0);
  draining_ = false;
}

}  // namespace zol
