#pragma once
// Appends lines to open files, with a helper thread that shares the work
// while lines come faster than one thread writes them.

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace zol {

// Each line goes in whole or is cut back off (AppendLine); errors lose the
// line quietly. Lines posted to one file go in in the order posted.
//
// Post hands a line over; Finish returns once every line posted before it
// is in its file (the kernel's). Between the two the caller goes on with
// its own work while the helper writes, and Finish writes the lines the
// helper has not taken yet itself, so nothing waits on a sleeping helper.
//
// The helper sleeps until batches of lines come back to back (a Finish
// closely followed by the next batch's first line: the caller is busy
// nearly all the time, a flood); then it waits for lines without sleeping,
// and sleeps again once none came for 50 microseconds. So a flood costs a
// second core, and ordinary traffic costs nothing extra.
//
// A file must not be closed while a line to it is pending (Finish first).
// One thread posts and finishes.
class LineWriter {
 public:
  enum class Helper {
    Off,     // Post writes the line at once
    Auto,    // the helper wakes during floods
    Always,  // the helper wakes at every batch (tests)
  };
  explicit LineWriter(Helper helper);
  ~LineWriter();
  LineWriter(const LineWriter&) = delete;
  LineWriter& operator=(const LineWriter&) = delete;

  // The lines posted so far are finished first.
  void SetHelper(Helper helper);

  void Post(int fd, const char* data, size_t size);
  void Finish();
  bool Pending() const { return posted_ != finished_; }

 private:
  static constexpr size_t kSlots = 64;
  struct Slot {
    int fd = -1;
    std::string bytes;
  };
  bool Take(uint64_t* index);
  void Run(uint64_t index);
  void Wake();
  void HelperLoop();

  Helper helper_;
  Slot slots_[kSlots];
  // The caller's side.
  uint64_t posted_ = 0;
  uint64_t finished_ = 0;  // posted_ at the last Finish
  uint64_t last_finish_ns_ = 0;
  bool no_thread_ = false;  // the helper could not be started
  // Shared: lines [taken_, published_) wait for a writer; done_ counts the
  // lines written.
  std::atomic<uint64_t> published_{0};
  alignas(64) std::atomic<uint64_t> taken_{0};
  alignas(64) std::atomic<uint64_t> done_{0};
  alignas(64) std::atomic<bool> asleep_{true};
  std::mutex mutex_;
  std::condition_variable wake_;
  bool woken_ = false;  // under mutex_
  bool stop_ = false;   // under mutex_
  std::thread thread_;
};

}  // namespace zol
