// The mail sender's worker: mails in order, one at a time, beside the
// caller's thread; each mail's end handed back through the post function;
// the end of the run lets waiting mails go out within its bound and cancels
// the rest.
#include "common/smtp_sender.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace zol {
namespace {

using namespace std::chrono_literals;

// The "GUI thread" of these tests: what the worker posts waits here until
// the test runs it.
class PostBox {
 public:
  void Post(std::function<void()> fn) {
    std::lock_guard<std::mutex> lock(mu_);
    posted_.push_back(std::move(fn));
    cv_.notify_all();
  }
  // Runs what was posted until n callbacks have run in all (false after 10 s
  // without them).
  bool RunUntil(size_t n) {
    std::unique_lock<std::mutex> lock(mu_);
    while (ran_ < n) {
      if (!cv_.wait_for(lock, 10s, [this] { return !posted_.empty(); })) return false;
      std::function<void()> fn = std::move(posted_.front());
      posted_.pop_front();
      lock.unlock();
      fn();
      lock.lock();
      ++ran_;
    }
    return true;
  }

 private:
  std::mutex mu_;
  std::condition_variable cv_;
  std::deque<std::function<void()>> posted_;
  size_t ran_ = 0;
};

// A server on the test's terms: each mail waits until the test lets it go
// (or the sender cancels it).
class Gate {
 public:
  SmtpResult Deliver(const SmtpMail& mail, const std::atomic<bool>& cancel) {
    std::unique_lock<std::mutex> lock(mu_);
    started.push_back(mail.message);
    cv_.notify_all();
    while (opened_ < started.size() && !cancel) cv_.wait_for(lock, 5ms);
    SmtpResult r;
    r.sent = !cancel && mail.message.rfind("bad", 0) != 0;
    if (!r.sent) r.error = cancel ? "cancelled" : "refused " + mail.message;
    return r;
  }
  void Open(size_t n = 1) {
    std::lock_guard<std::mutex> lock(mu_);
    opened_ += n;
    cv_.notify_all();
  }
  size_t Started() {
    std::lock_guard<std::mutex> lock(mu_);
    return started.size();
  }
  bool WaitStarted(size_t n) {
    std::unique_lock<std::mutex> lock(mu_);
    return cv_.wait_for(lock, 10s, [&] { return started.size() >= n; });
  }
  std::vector<std::string> started;

 private:
  std::mutex mu_;
  std::condition_variable cv_;
  size_t opened_ = 0;
};

SmtpMail MailOf(const std::string& text) {
  SmtpMail m;
  m.host = "mail.example.com";
  m.message = text;
  return m;
}

TEST(SmtpSender, MailsGoOneAfterTheOtherAndTheirEndsComeBackInOrder) {
  PostBox gui;
  Gate gate;
  std::vector<std::string> ends;
  {
    SmtpSender sender([&](const SmtpMail& m, const std::atomic<bool>& c) { return gate.Deliver(m, c); },
                      [&](std::function<void()> fn) { gui.Post(std::move(fn)); }, 1000);
    for (const char* text : {"one", "bad two", "three"}) {
      sender.Send(MailOf(text), [&ends, text](const SmtpResult& r) {
        ends.push_back(std::string(text) + ": " + (r.sent ? "sent" : r.error));
      });
    }
    // Send returned at once; the first mail is under way, the others wait.
    ASSERT_TRUE(gate.WaitStarted(1));
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(gate.Started(), 1u);
    EXPECT_TRUE(ends.empty());
    gate.Open(3);
    ASSERT_TRUE(gui.RunUntil(3));
  }
  EXPECT_EQ(gate.started, (std::vector<std::string>{"one", "bad two", "three"}));
  EXPECT_EQ(ends, (std::vector<std::string>{"one: sent", "bad two: refused bad two", "three: sent"}));
}

// At the end the waiting mails still go out while the bound allows; the mail
// in flight when it runs out is cancelled, the rest are dropped.
TEST(SmtpSender, TheEndDrainsWithinItsBound) {
  PostBox gui;
  {
    Gate gate;
    auto sender = std::make_unique<SmtpSender>(
        [&](const SmtpMail& m, const std::atomic<bool>& c) { return gate.Deliver(m, c); },
        [&](std::function<void()> fn) { gui.Post(std::move(fn)); }, 5000);
    sender->Send(MailOf("a"), nullptr);
    sender->Send(MailOf("b"), nullptr);
    gate.Open(2);
    sender.reset();  // both had time
    EXPECT_EQ(gate.started, (std::vector<std::string>{"a", "b"}));
  }
  {
    Gate gate;
    std::vector<SmtpResult> ends;
    auto sender = std::make_unique<SmtpSender>(
        [&](const SmtpMail& m, const std::atomic<bool>& c) { return gate.Deliver(m, c); },
        [&](std::function<void()> fn) { gui.Post(std::move(fn)); }, 100);
    sender->Send(MailOf("stuck"), [&ends](const SmtpResult& r) { ends.push_back(r); });
    sender->Send(MailOf("never"), [&ends](const SmtpResult& r) { ends.push_back(r); });
    ASSERT_TRUE(gate.WaitStarted(1));
    const auto start = std::chrono::steady_clock::now();
    sender.reset();  // nobody opens the gate
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);  // generous
    EXPECT_EQ(gate.started, std::vector<std::string>{"stuck"});
  }
}

}  // namespace
}  // namespace zol
