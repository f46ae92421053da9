// The real adapters of the platform seams over Qt: the event pump that
// Delay runs, window timers, sound and the UDP receiver (the message boxes
// are in message_boxes.h, shared with the backup tool).
#pragma once

#include <QObject>
#include <functional>
#include <map>
#include <memory>

#include "common/platform.h"
#include "common/posix_udp.h"
#include "qt/message_boxes.h"

class QTimer;
class QSoundEffect;
class QSocketNotifier;

namespace zol {

// Runs fn on the GUI thread from its event loop; may be called from any
// thread (the mail sender hands each mail's end back through it).
void PostToGui(std::function<void()> fn);

// Delay's pump: pending events once, and a wait in a local event loop that
// a single-shot timer ends (no busy loop).
class QtPump : public EventPump {
 public:
  void ProcessPending() override;
  void WaitForEvents(uint32_t max_ms) override;
  // The event loop is ending: no new local loop runs (it would return at
  // once), so a Delay still in progress sleeps in short steps instead of
  // spinning.
  void SetEnding() { ending_ = true; }

 private:
  bool ending_ = false;
};

// One QTimer per window timer.
class QtTimerHost : public QObject, public TimerHost {
  Q_OBJECT
 public:
  ~QtTimerHost() override;
  void TimerChanged(Timer* timer) override;
  void TimerRemoved(Timer* timer) override;

 private:
  std::map<Timer*, QTimer*> timers_;
};

// The standard beep, and WAV files played asynchronously when the machine
// has an audio output (without one, nothing is played).
class QtSound : public Sound {
 public:
  QtSound();
  ~QtSound() override;
  void Beep() override;
  void PlayWav(const std::string& path) override;

 private:
  std::unique_ptr<QSoundEffect> effect_;
};

// Receives datagrams on the GUI thread over a non-blocking socket of its
// own, watched by a QSocketNotifier. The notifier is level-triggered: the
// event loop asks the kernel on every round whether the socket holds data,
// so no pass that ends early can leave the socket unwatched. Each
// activation reads one pass of at most kBatch datagrams, in arrival order
// (fetched with one system call while they wait); the rest wait for the
// next round, after the repaints, timers and clicks that are due. While a
// handler runs (also while it waits in Delay) the notifier is off, so the
// handler is not entered again and Delay sleeps instead of spinning on a
// readable socket; the pass reads on afterwards.
// A datagram of more than 2048 bytes is dropped.
class QtUdpReceiver : public QObject, public UdpReceiver {
  Q_OBJECT
 public:
  QtUdpReceiver();
  ~QtUdpReceiver() override;
  std::string SetLocalPort(int port) override;
  int LocalPort() const override { return socket_.LocalPort(); }

  // At most this many datagrams are handled in one pass.
  static constexpr size_t kBatch = 64;

 private:
  void Pass();
  PosixUdpReceiver socket_;
  QSocketNotifier* notifier_ = nullptr;  // watches socket_.Fd() while bound
  bool in_pass_ = false;
};

}  // namespace zol
