#include "qt/adapters.h"

#include <QApplication>
#include <QAudioDevice>
#include <QCoreApplication>
#include <QEventLoop>
#include <QMediaDevices>
#include <QSocketNotifier>
#include <QSoundEffect>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include "qt/sjis.h"

namespace zol {

void PostToGui(std::function<void()> fn) {
  QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(fn), Qt::QueuedConnection);
}

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
  socket_.OnDataReceived = [this](const std::string& bytes, const std::string& ip, int port) {
    if (OnDataReceived) OnDataReceived(bytes, ip, port);
  };
}

QtUdpReceiver::~QtUdpReceiver() { delete notifier_; }

std::string QtUdpReceiver::SetLocalPort(int port) {
  if (notifier_) {
    // A handler may rebind while the pass that called it runs inside the
    // notifier's signal: the old notifier is deleted once that has returned.
    notifier_->setEnabled(false);
    notifier_->deleteLater();
    notifier_ = nullptr;
  }
  const std::string reason = socket_.SetLocalPort(port);
  if (socket_.Fd() >= 0) {
    notifier_ = new QSocketNotifier(static_cast<qintptr>(socket_.Fd()), QSocketNotifier::Read);
    QObject::connect(notifier_, &QSocketNotifier::activated, this, [this] { Pass(); });
    notifier_->setEnabled(!in_pass_);  // a pass under way turns it on when it ends
  }
  return reason;
}

void QtUdpReceiver::Pass() {
  if (in_pass_) return;
  in_pass_ = true;
  if (notifier_) notifier_->setEnabled(false);
  socket_.ReadPending(kBatch);
  in_pass_ = false;
  // Whatever is still queued in the kernel makes the socket readable again,
  // so the next round of the event loop starts the next pass.
  if (notifier_) notifier_->setEnabled(true);
}

}  // namespace zol
