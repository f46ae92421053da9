// The mail sender beside the GUI thread: a worker thread takes the mails in
// the order they were handed over and sends them one after the other; each
// mail's end is handed back to the GUI thread through its event loop. The
// GUI thread never waits for a server.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "common/platform.h"

namespace zol {

class SmtpSender : public SmtpClient {
 public:
  // Sends one mail, blocking the worker for a bounded time; a cancel flag
  // that becomes true asks it to end at once.
  using Deliver = std::function<SmtpResult(const SmtpMail& mail, const std::atomic<bool>& cancel)>;
  // Runs fn on the GUI thread from its event loop; called on the worker.
  using Post = std::function<void(std::function<void()> fn)>;

  // At the end (the destructor), the mails not yet sent get drain_ms
  // together to go out; what is still unsent then is abandoned, each with a
  // line on standard error.
  SmtpSender(Deliver deliver, Post post, long drain_ms);
  ~SmtpSender() override;
  SmtpSender(const SmtpSender&) = delete;
  SmtpSender& operator=(const SmtpSender&) = delete;

  void Send(const SmtpMail& mail, SmtpDone done) override;

 private:
  struct Job {
    SmtpMail mail;
    SmtpDone done;
  };
  void Run();

  Deliver deliver_;
  Post post_;
  long drain_ms_;
  std::mutex mu_;
  std::condition_variable wake_;  // a job came, or the end
  std::condition_variable idle_;  // the queue ran empty
  std::deque<Job> queue_;
  bool busy_ = false;
  bool ending_ = false;
  std::atomic<bool> cancel_{false};
  std::thread worker_;  // started with the first mail
};

}  // namespace zol
