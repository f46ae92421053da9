#pragma once
// Appends lines to open files, with a helper thread that shares the work
// while lines come faster than one thread writes them.

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

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
// The caller's wait for the line the helper is writing is bounded: it spins
// for a few microseconds, then sleeps, and gives up after kFinishWaitMs
// (a write that hangs, as on a network folder that stopped answering). The
// writer is then behind: the lines stay with the helper, which writes them,
// in order, once its write returns; until it has caught up every line posted
// goes to the helper too (the caller neither writes nor waits), at most
// kSlots of them; a line beyond those is lost (Lost counts them), as a line
// that cannot be written is lost. Files closed meanwhile stay open until
// the helper has caught up (Close), so no descriptor it writes to is reused.
//
// One thread posts, finishes and closes.
class LineWriter {
 public:
  enum class Helper {
    Off,     // Post writes the line at once
    Auto,    // the helper wakes during floods
    Always,  // the helper wakes at every batch (tests)
  };
  // The longest the caller waits for the helper's line.
  static constexpr int kFinishWaitMs = 200;
  // The lines that may wait for the helper.
  static constexpr size_t kSlots = 1024;

  explicit LineWriter(Helper helper);
  // Finishes (bounded); a helper still held up by a write is left to finish
  // its lines and close the files on its own.
  ~LineWriter();
  LineWriter(const LineWriter&) = delete;
  LineWriter& operator=(const LineWriter&) = delete;

  // The lines posted so far are finished first.
  void SetHelper(Helper helper);

  void Post(int fd, const char* data, size_t size);
  // Returns once every line posted is in its file, or once the wait for the
  // helper's line has taken kFinishWaitMs (then Behind), or at once while
  // behind.
  void Finish();
  // Closes fd after its lines: at once, or, while behind, once the helper
  // has caught up.
  void Close(int fd);
  bool Pending() const { return posted_ != finished_; }
  // Lines are waiting for a helper that is held up by a write.
  bool Behind() const { return behind_; }
  // Lines lost because too many waited for a held-up helper.
  uint64_t Lost() const { return lost_; }

 private:
  // A batch's lines go to the helper in chunks of this many: a longer batch
  // finishes the lines before.
  static constexpr size_t kChunk = 64;
  struct Slot {
    int fd = -1;
    std::string bytes;
    std::atomic<bool> busy{false};  // posted and not yet written
  };
  // What the caller and the helper share; held by both, so a helper held up
  // past the writer's end still has it.
  struct Shared {
    std::unique_ptr<Slot[]> ring{new Slot[kSlots]};
    // Lines [taken, published) wait for a writer; done counts the lines
    // written.
    std::atomic<uint64_t> published{0};
    alignas(64) std::atomic<uint64_t> taken{0};
    alignas(64) std::atomic<uint64_t> done{0};
    alignas(64) std::atomic<bool> asleep{true};
    std::atomic<bool> waiting{false};  // the caller sleeps on written
    std::mutex mutex;
    std::condition_variable wake;     // the helper's
    std::condition_variable written;  // the caller's
    bool woken = false;               // under mutex
    bool stop = false;                // under mutex
    std::vector<int> parked;          // under mutex: closed once caught up

    bool Take(uint64_t* index);
    void Run(uint64_t index);
    void CloseParked();  // under mutex
  };
  static void HelperLoop(std::shared_ptr<Shared> shared);
  void Wake();
  // While behind: back to normal once the helper has written every line.
  void CatchUp();

  Helper helper_;
  std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
  // The caller's side.
  uint64_t posted_ = 0;
  uint64_t finished_ = 0;  // posted_ at the last Finish
  uint64_t last_finish_ns_ = 0;
  uint64_t lost_ = 0;
  bool behind_ = false;
  bool no_thread_ = false;  // the helper could not be started
  std::thread thread_;
};

}  // namespace zol
