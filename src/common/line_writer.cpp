#include "common/line_writer.h"

#include <sched.h>
#include <time.h>

#include <system_error>

#include "common/files.h"

namespace zol {
namespace {

// A batch that begins within this time after the last one finished comes
// back to back.
constexpr uint64_t kBackToBackNs = 40'000;
// The helper waits this long for the next line before it sleeps.
constexpr uint64_t kLingerNs = 50'000;

uint64_t NowNs() {
  struct timespec ts;
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint64_t>(ts.tv_sec) * 1'000'000'000u + static_cast<uint64_t>(ts.tv_nsec);
}

inline void Relax() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#elif defined(__aarch64__)
  asm volatile("yield");
#endif
}

}  // namespace

LineWriter::LineWriter(Helper helper) : helper_(helper) {}

LineWriter::~LineWriter() {
  Finish();
  if (thread_.joinable()) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    wake_.notify_one();
    thread_.join();
  }
}

void LineWriter::SetHelper(Helper helper) {
  Finish();
  helper_ = helper;
}

void LineWriter::Post(int fd, const char* data, size_t size) {
  if (helper_ == Helper::Off) {
    AppendLine(fd, data, size);
    return;
  }
  // A second line to a file waits until the first one is in.
  for (uint64_t i = finished_; i < posted_; ++i) {
    if (slots_[i % kSlots].fd == fd) {
      Finish();
      break;
    }
  }
  if (posted_ - finished_ == kSlots) Finish();
  if (posted_ == finished_ && !no_thread_ && asleep_.load(std::memory_order_relaxed) &&
      (helper_ == Helper::Always || NowNs() - last_finish_ns_ < kBackToBackNs)) {
    Wake();
  }
  Slot& slot = slots_[posted_ % kSlots];
  slot.fd = fd;
  slot.bytes.assign(data, size);
  published_.store(++posted_, std::memory_order_release);
}

void LineWriter::Finish() {
  if (posted_ == finished_) return;
  uint64_t i;
  while (Take(&i)) Run(i);
  // Left: at most the line the helper is writing now. Should the helper
  // lose its processor meanwhile, the wait gives this one up.
  for (unsigned spins = 0; done_.load(std::memory_order_acquire) != posted_; ++spins) {
    if (spins < 4096)
      Relax();
    else
      sched_yield();
  }
  finished_ = posted_;
  last_finish_ns_ = NowNs();
}

bool LineWriter::Take(uint64_t* index) {
  uint64_t t = taken_.load(std::memory_order_relaxed);
  for (;;) {
    if (t >= published_.load(std::memory_order_acquire)) return false;
    if (taken_.compare_exchange_weak(t, t + 1, std::memory_order_acq_rel, std::memory_order_relaxed)) {
      *index = t;
      return true;
    }
  }
}

void LineWriter::Run(uint64_t index) {
  const Slot& slot = slots_[index % kSlots];
  AppendLine(slot.fd, slot.bytes.data(), slot.bytes.size());
  done_.fetch_add(1, std::memory_order_release);
}

void LineWriter::Wake() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (thread_.joinable()) {
      woken_ = true;
    } else {
      try {
        thread_ = std::thread([this] { HelperLoop(); });
      } catch (const std::system_error&) {
        no_thread_ = true;  // no thread to be had: the caller writes every line
        return;
      }
    }
    asleep_.store(false, std::memory_order_relaxed);
  }
  wake_.notify_one();
}

void LineWriter::HelperLoop() {
  uint64_t idle_since = NowNs();
  unsigned spins = 0;
  for (;;) {
    uint64_t i;
    if (Take(&i)) {
      Run(i);
      idle_since = NowNs();
      continue;
    }
    // The clock is read now and then only: it costs more than a look.
    if ((++spins & 63) != 0 || NowNs() - idle_since < kLingerNs) {
      Relax();
      continue;
    }
    std::unique_lock<std::mutex> lock(mutex_);
    asleep_.store(true, std::memory_order_relaxed);
    wake_.wait(lock, [this] { return woken_ || stop_; });
    if (stop_) return;
    woken_ = false;
    idle_since = NowNs();
  }
}

}  // namespace zol
