#include "support/sim_platform.h"

#include <time.h>

#include <algorithm>

#include "common/posix_clock.h"

namespace zol {

SimPlatform::SimPlatform() {
  SetNow(DateTime{2010, 11, 16, 12, 52, 7});
}

DateTime SimPlatform::Now() {
  time_t secs = static_cast<time_t>(wall_base_ + static_cast<int64_t>(now_ms_ / 1000));
  tm u;
  gmtime_r(&secs, &u);
  return DateTimeOfTm(u);
}

void SimPlatform::SetNow(const DateTime& t) {
  tm u = TmOfDateTime(t);
  wall_base_ = static_cast<int64_t>(timegm(&u)) - static_cast<int64_t>(now_ms_ / 1000);
}

void SimPlatform::TimerChanged(Timer* timer) {
  if (timer->Enabled() && timer->Interval() > 0) {
    timers_[timer] = now_ms_ + timer->Interval();
  } else {
    timers_.erase(timer);
  }
}

void SimPlatform::TimerRemoved(Timer* timer) { timers_.erase(timer); }

void SimPlatform::Post(uint64_t delay_ms, std::function<void()> fn) {
  events_[next_seq_++] = Event{now_ms_ + delay_ms, std::move(fn)};
}

uint64_t SimPlatform::NextDue() const {
  uint64_t next = UINT64_MAX;
  for (const auto& t : timers_) next = std::min(next, t.second);
  for (const auto& e : events_) next = std::min(next, e.second.due);
  return next;
}

void SimPlatform::ProcessPending() {
  ++passes_;
  // What is due at the start of the pass runs once, in order of due time;
  // handlers may change timers or post events, or run a nested pump.
  struct Item {
    uint64_t due;
    int kind;  // 0 event, 1 timer
    uint64_t seq;
    Timer* timer;
  };
  std::vector<Item> due;
  for (const auto& e : events_)
    if (e.second.due <= now_ms_) due.push_back({e.second.due, 0, e.first, nullptr});
  for (const auto& t : timers_)
    if (t.second <= now_ms_) due.push_back({t.second, 1, 0, t.first});
  std::stable_sort(due.begin(), due.end(), [](const Item& a, const Item& b) {
    if (a.due != b.due) return a.due < b.due;
    return a.seq < b.seq;
  });
  for (const Item& item : due) {
    if (item.kind == 0) {
      auto it = events_.find(item.seq);
      if (it == events_.end()) continue;
      std::function<void()> fn = std::move(it->second.fn);
      events_.erase(it);
      if (fn) fn();
    } else {
      auto it = timers_.find(item.timer);
      if (it == timers_.end() || it->second > now_ms_) continue;
      it->second = now_ms_ + item.timer->Interval();
      item.timer->Fire();
    }
  }
  now_ms_ += pass_cost_ms_;
}

void SimPlatform::WaitForEvents(uint32_t max_ms) {
  uint64_t next = NextDue();
  uint64_t limit = now_ms_ + max_ms;
  if (next <= now_ms_) return;
  now_ms_ = std::min(next, limit);
}

void SimPlatform::Advance(uint64_t ms) {
  const uint64_t target = now_ms_ + ms;
  for (;;) {
    ProcessPending();
    uint64_t next = NextDue();
    if (next > target) break;
    if (next > now_ms_) now_ms_ = next;
  }
  if (now_ms_ < target) now_ms_ = target;
  ProcessPending();
}

BoxResult FakeMessageBoxes::Show(const std::string& text, BoxKind kind, BoxButtons buttons) {
  shown.push_back({text, kind, buttons});
  if (while_open) {
    const Shown box = shown.back();
    while_open(box);
  }
  if (buttons == BoxButtons::Ok) return BoxResult::Ok;
  if (buttons == BoxButtons::Yes) return BoxResult::Yes;
  if (answers.empty()) return default_answer;
  BoxResult r = answers.front();
  answers.pop_front();
  return r;
}

void FakeMessageBoxes::Open(const std::string& text, BoxKind kind, std::function<void()> closed) {
  shown.push_back({text, kind, BoxButtons::Ok});
  open_.push_back(OpenBox{text, std::move(closed)});
}

bool FakeMessageBoxes::CloseOldest() {
  if (open_.empty()) return false;
  std::function<void()> closed = std::move(open_.front().closed);
  open_.pop_front();
  if (closed) closed();
  return true;
}

void FakeMessageBoxes::CloseAll() {
  while (CloseOldest()) {
  }
}

std::string FakeUdpReceiver::SetLocalPort(int port) {
  port_history.push_back(port);
  if (port != 0 && !fail_reason.empty()) {
    port_ = 0;
    return fail_reason;
  }
  port_ = port;
  return std::string();
}

bool FakeUdpReceiver::Deliver(const std::string& bytes, const std::string& ip, int port) {
  if (port_ == 0 || !OnDataReceived) return false;
  OnDataReceived(bytes, ip, port);
  return true;
}

bool FakeFileOpenDialog::Execute(const std::string& filter, std::string* path, bool* held) {
  filters.push_back(filter);
  if (answers.empty()) return false;
  const std::optional<std::string> answer = answers.front();
  answers.pop_front();
  if (!answer) return false;
  *path = *answer;
  const size_t unheld = path->find('\x01');
  if (held) *held = unheld == std::string::npos;
  for (char& ch : *path)
    if (ch == '\x01') ch = '?';
  return true;
}

}  // namespace zol
