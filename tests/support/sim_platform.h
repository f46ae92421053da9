// Deterministic fakes of the platform seams. One simulated clock drives the
// tick counters, the wall clock, the timers and queued events together, so a
// test can say "advance 601 s" and see every timer and event that falls due,
// in order.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "common/platform.h"

namespace zol {

class SimPlatform : public Clock, public EventPump, public TimerHost {
 public:
  SimPlatform();

  // Clock
  uint32_t TickCount() override { return static_cast<uint32_t>(now_ms_); }
  uint64_t BootMillis() override { return now_ms_; }
  DateTime Now() override;

  // EventPump
  void ProcessPending() override;
  void WaitForEvents(uint32_t max_ms) override;

  // TimerHost
  void TimerChanged(Timer* timer) override;
  void TimerRemoved(Timer* timer) override;

  // Test controls.
  // Sets the milliseconds since start (and so the 32-bit tick count).
  void SetBootMillis(uint64_t ms) { now_ms_ = ms; }
  // Sets the wall clock to t at the current instant.
  void SetNow(const DateTime& t);
  // Queues fn to run when the clock reaches now + delay_ms.
  void Post(uint64_t delay_ms, std::function<void()> fn);
  // Moves the clock forward by ms, running every timer and event that falls
  // due on the way, in order.
  void Advance(uint64_t ms);
  // Number of ProcessPending passes so far.
  uint64_t PumpPasses() const { return passes_; }
  // Milliseconds a single pass takes (0 by default); lets a test model a
  // pump that costs time.
  void SetPassCost(uint32_t ms) { pass_cost_ms_ = ms; }

 private:
  struct Event {
    uint64_t due;
    std::function<void()> fn;
  };
  uint64_t NextDue() const;  // UINT64_MAX when nothing is scheduled

  uint64_t now_ms_ = 0;
  int64_t wall_base_ = 0;  // seconds since the epoch (as UTC) at boot millis 0
  std::map<Timer*, uint64_t> timers_;
  std::map<uint64_t, Event> events_;  // by sequence number
  uint64_t next_seq_ = 0;
  uint64_t passes_ = 0;
  uint32_t pass_cost_ms_ = 0;
};

// Message boxes answered from a script; every box shown is recorded.
class FakeMessageBoxes : public MessageBoxes {
 public:
  struct Shown {
    std::string text;
    BoxKind kind;
    BoxButtons buttons;
  };
  BoxResult Show(const std::string& text, BoxKind kind, BoxButtons buttons) override;
  // Recorded in shown (with the button Ok) and kept open until the test
  // closes it: then its closed callback runs.
  void Open(const std::string& text, BoxKind kind, std::function<void()> closed) override;
  // The boxes of Open still open, oldest first.
  size_t OpenCount() const { return open_.size(); }
  const std::string& OpenText(size_t k = 0) const { return open_[k].text; }
  // Closes the oldest open box (false when none is open), or all of them.
  bool CloseOldest();
  void CloseAll();
  // Answers for the next Yes/No boxes, in order; with none left a Yes/No box
  // answers default_answer. A box with one button answers with it.
  std::deque<BoxResult> answers;
  BoxResult default_answer = BoxResult::No;
  std::vector<Shown> shown;
  // Runs while a box is open (after it is recorded), as the event loop of
  // a modal box would: a test may advance the clock here.
  std::function<void(const Shown&)> while_open;

 private:
  struct OpenBox {
    std::string text;
    std::function<void()> closed;
  };
  std::deque<OpenBox> open_;
};

// The file-open dialog answered from a script: each call takes the next
// answer (a path, or nullopt for a cancelled dialog); with none left it is
// cancelled. Every filter asked for is recorded. A path holding "\x01"
// stands for one that Shift-JIS cannot hold: it is given with "?" there.
class FakeFileOpenDialog : public FileOpenDialog {
 public:
  bool Execute(const std::string& filter, std::string* path, bool* held = nullptr) override;
  std::deque<std::optional<std::string>> answers;
  std::vector<std::string> filters;
};

class FakeSound : public Sound {
 public:
  void Beep() override { calls.push_back("beep"); }
  void PlayWav(const std::string& path) override { calls.push_back("wav:" + path); }
  std::vector<std::string> calls;
};

class FakeUdpReceiver : public UdpReceiver {
 public:
  std::string SetLocalPort(int port) override;
  int LocalPort() const override { return port_; }
  // Hands a datagram to the handler when bound; false when not bound.
  bool Deliver(const std::string& bytes, const std::string& ip = "192.168.0.205", int port = 2100);
  // The next bind attempts fail with this reason (until cleared).
  std::string fail_reason;
  std::vector<int> port_history;

 private:
  int port_ = 0;
};

}  // namespace zol
