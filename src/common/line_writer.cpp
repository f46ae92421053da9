#include "common/line_writer.h"

#include <sched.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
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

// The caller spins this long for the helper's line, then gives its
// processor away until kYieldNs have passed, then sleeps.
constexpr uint64_t kSpinNs = 20'000;
constexpr uint64_t kYieldNs = 500'000;

}  // namespace

LineWriter::LineWriter(Helper helper) : helper_(helper) {}

LineWriter::~LineWriter() {
  Finish();
  Shared& s = *shared_;
  if (thread_.joinable()) {
    {
      std::lock_guard<std::mutex> lock(s.mutex);
      s.stop = true;
    }
    s.wake.notify_one();
    // A helper held up by a write writes what it holds once the write
    // returns and closes the files parked meanwhile; nobody waits for it.
    if (behind_) {
      thread_.detach();
      return;
    }
    thread_.join();
  }
  std::lock_guard<std::mutex> lock(s.mutex);
  s.CloseParked();
}

void LineWriter::SetHelper(Helper helper) {
  Finish();
  helper_ = helper;
}

void LineWriter::Post(int fd, const char* data, size_t size) {
  if (behind_) CatchUp();
  if (helper_ == Helper::Off && !behind_) {
    AppendLine(fd, data, size);
    return;
  }
  Shared& s = *shared_;
  if (!behind_) {
    // A second line to a file waits until the first one is in.
    for (uint64_t i = finished_; i < posted_; ++i) {
      if (s.ring[i % kSlots].fd == fd) {
        Finish();
        break;
      }
    }
    if (!behind_ && posted_ - finished_ >= kChunk) Finish();
  }
  Slot& slot = s.ring[posted_ % kSlots];
  bool wake = false;
  if (behind_) {
    // Only the helper writes now, in order; a line with no slot free is lost.
    if (slot.busy.load(std::memory_order_acquire)) {
      ++lost_;
      return;
    }
  } else {
    wake = posted_ == finished_ && !no_thread_ && s.asleep.load(std::memory_order_relaxed) &&
           (helper_ == Helper::Always || NowNs() - last_finish_ns_ < kBackToBackNs);
  }
  slot.fd = fd;
  slot.bytes.assign(data, size);
  slot.busy.store(true, std::memory_order_relaxed);
  s.published.store(++posted_, std::memory_order_seq_cst);
  // Woken once the line is there: a helper that looked before it was
  // published and went back to sleep is not left asleep with the batch.
  if (wake || (behind_ && s.asleep.load(std::memory_order_seq_cst))) Wake();
}

void LineWriter::Finish() {
  if (behind_) {
    CatchUp();  // no waiting while behind
    return;
  }
  if (posted_ == finished_) return;
  Shared& s = *shared_;
  uint64_t i;
  while (s.Take(&i)) s.Run(i);
  // Left: at most the line the helper is writing now. A short spin, a
  // short while of giving the processor away, then a sleep until it is in,
  // at most kFinishWaitMs in all.
  const auto all_in = [&s, this] { return s.done.load(std::memory_order_seq_cst) == posted_; };
  const uint64_t start = NowNs();
  for (unsigned spins = 0; !all_in(); ++spins) {
    if ((spins & 63) != 0) {
      Relax();
      continue;
    }
    const uint64_t waited = NowNs() - start;
    if (waited < kSpinNs) {
      Relax();
    } else if (waited < kYieldNs) {
      sched_yield();  // the helper may be waiting for a processor
    } else {
      std::unique_lock<std::mutex> lock(s.mutex);
      s.waiting.store(true, std::memory_order_seq_cst);
      const bool in = s.written.wait_for(lock, std::chrono::milliseconds(kFinishWaitMs), all_in);
      s.waiting.store(false, std::memory_order_relaxed);
      if (!in) {
        behind_ = true;  // the helper holds the lines; they go in when its write returns
        return;
      }
      break;
    }
  }
  finished_ = posted_;
  last_finish_ns_ = NowNs();
}

void LineWriter::Close(int fd) {
  if (Pending()) Finish();
  if (behind_) {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    shared_->parked.push_back(fd);
    return;
  }
  ::close(fd);
}

void LineWriter::CatchUp() {
  Shared& s = *shared_;
  if (s.done.load(std::memory_order_seq_cst) != posted_) return;
  behind_ = false;
  finished_ = posted_;
  last_finish_ns_ = NowNs();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.CloseParked();
}

bool LineWriter::Shared::Take(uint64_t* index) {
  uint64_t t = taken.load(std::memory_order_relaxed);
  for (;;) {
    if (t >= published.load(std::memory_order_acquire)) return false;
    if (taken.compare_exchange_weak(t, t + 1, std::memory_order_acq_rel, std::memory_order_relaxed)) {
      *index = t;
      return true;
    }
  }
}

void LineWriter::Shared::Run(uint64_t index) {
  Slot& slot = ring[index % kSlots];
  AppendLine(slot.fd, slot.bytes.data(), slot.bytes.size());
  slot.busy.store(false, std::memory_order_release);
  done.fetch_add(1, std::memory_order_seq_cst);
  if (waiting.load(std::memory_order_seq_cst)) {
    std::lock_guard<std::mutex> lock(mutex);
    written.notify_all();
  }
}

void LineWriter::Shared::CloseParked() {
  for (int fd : parked) ::close(fd);
  parked.clear();
}

void LineWriter::Wake() {
  Shared& s = *shared_;
  {
    std::lock_guard<std::mutex> lock(s.mutex);
    if (thread_.joinable()) {
      s.woken = true;
    } else {
      try {
        thread_ = std::thread(HelperLoop, shared_);
      } catch (const std::system_error&) {
        no_thread_ = true;  // no thread to be had: the caller writes every line
        return;
      }
    }
    s.asleep.store(false, std::memory_order_seq_cst);
  }
  s.wake.notify_one();
}

void LineWriter::HelperLoop(std::shared_ptr<Shared> shared) {
  Shared& s = *shared;
  uint64_t idle_since = NowNs();
  unsigned spins = 0;
  for (;;) {
    uint64_t i;
    if (s.Take(&i)) {
      s.Run(i);
      idle_since = NowNs();
      continue;
    }
    // The clock is read now and then only: it costs more than a look.
    if ((++spins & 63) != 0 || NowNs() - idle_since < kLingerNs) {
      Relax();
      continue;
    }
    std::unique_lock<std::mutex> lock(s.mutex);
    s.asleep.store(true, std::memory_order_seq_cst);
    // A line published just before the sleep is not left waiting.
    s.wake.wait(lock, [&s] {
      return s.woken || s.stop || s.taken.load(std::memory_order_relaxed) < s.published.load(std::memory_order_seq_cst);
    });
    s.asleep.store(false, std::memory_order_seq_cst);
    s.woken = false;
    if (s.stop) {
      lock.unlock();
      while (s.Take(&i)) s.Run(i);
      lock.lock();
      s.CloseParked();
      return;
    }
    idle_since = NowNs();
  }
}

}  // namespace zol
