// The real adapters of the platform seams over Qt: the event pump that
// Delay runs, window timers, sound and the UDP receiver (the message boxes
// are in message_boxes.h, shared with the backup tool).
#pragma once

#include <QObject>
#include <QUdpSocket>
#include <map>
#include <memory>

#include "common/platform.h"
#include "qt/message_boxes.h"

class QTimer;
class QSoundEffect;

namespace zol {

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

// Receives datagrams on the GUI thread; a datagram of more than 2048 bytes
// is dropped. Every datagram is read: after a handler returns (it may have
// waited in Delay, during which the socket does not signal again), the
// socket is read again until nothing is pending.
class QtUdpReceiver : public QObject, public UdpReceiver {
  Q_OBJECT
 public:
  QtUdpReceiver();
  std::string SetLocalPort(int port) override;
  int LocalPort() const override { return port_; }

 private:
  void Drain();
  // At most this many datagrams are handled in one pass; the rest follow
  // after the other pending events, so a flood cannot freeze the window.
  static constexpr int kBatch = 64;
  QUdpSocket socket_;
  int port_ = 0;
  bool draining_ = false;
  bool again_ = false;
  bool resume_queued_ = false;
};

}  // namespace zol
