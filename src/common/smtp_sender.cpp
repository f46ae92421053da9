#include "common/smtp_sender.h"

#include <chrono>
#include <cstdio>
#include <exception>
#include <string>
#include <utility>

namespace zol {

SmtpSender::SmtpSender(Deliver deliver, Post post, long drain_ms)
    : deliver_(std::move(deliver)), post_(std::move(post)), drain_ms_(drain_ms) {}

SmtpSender::~SmtpSender() {
  {
    std::unique_lock<std::mutex> lock(mu_);
    ending_ = true;
    wake_.notify_all();
    // The mails still waiting may go out within the bound; then the mail in
    // flight is ended and the rest abandoned.
    idle_.wait_for(lock, std::chrono::milliseconds(drain_ms_), [this] { return queue_.empty() && !busy_; });
    cancel_ = true;
    for (const Job& job : queue_)
      std::fprintf(stderr, "zolyab4: mail to %s not sent: the program ended\n", job.mail.host.c_str());
    queue_.clear();
  }
  if (worker_.joinable()) worker_.join();
}

void SmtpSender::Send(const SmtpMail& mail, SmtpDone done) {
  std::lock_guard<std::mutex> lock(mu_);
  if (!worker_.joinable()) {
    try {
      worker_ = std::thread([this] { Run(); });
    } catch (const std::exception& e) {  // no thread to be had: this mail fails, a later one tries again
      SmtpResult result;
      result.error = std::string("SMTP: the mail sender could not start: ") + e.what();
      if (done) post_([done = std::move(done), result] { done(result); });
      return;
    }
  }
  queue_.push_back(Job{mail, std::move(done)});
  wake_.notify_one();
}

void SmtpSender::Run() {
  std::unique_lock<std::mutex> lock(mu_);
  for (;;) {
    wake_.wait(lock, [this] { return !queue_.empty() || ending_; });
    if (queue_.empty()) return;  // the end, nothing left
    Job job = std::move(queue_.front());
    queue_.pop_front();
    busy_ = true;
    lock.unlock();
    SmtpResult result;
    try {
      result = deliver_(job.mail, cancel_);
    } catch (const std::exception& e) {  // no thread or memory for the mail
      result.error = std::string("SMTP: ") + e.what();
    }
    if (cancel_ && !result.sent)
      std::fprintf(stderr, "zolyab4: mail to %s not sent: %s\n", job.mail.host.c_str(), result.error.c_str());
    // The mail's end goes to the GUI thread; so does the callback, which is
    // also released there.
    if (job.done) post_([done = std::move(job.done), result] { done(result); });
    lock.lock();
    busy_ = false;
    if (queue_.empty()) idle_.notify_all();
  }
}

}  // namespace zol
