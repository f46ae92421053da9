#include "common/curl_smtp.h"

#include <curl/curl.h>

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zol {

namespace {

struct EasyDeleter {
  void operator()(CURL* h) const { curl_easy_cleanup(h); }
};
struct ListDeleter {
  void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};

// The message as the upload source.
struct Reader {
  const std::string* bytes;
  size_t offset;
};

size_t ReadMessage(char* buffer, size_t size, size_t count, void* user) {
  Reader* r = static_cast<Reader*>(user);
  const size_t left = r->bytes->size() - r->offset;
  const size_t n = std::min(left, size * count);
  std::memcpy(buffer, r->bytes->data() + r->offset, n);
  r->offset += n;
  return n;
}

// What the server has been told and has answered so far, read from the
// exchange as libcurl logs it.
struct Exchange {
  bool data_sent = false;     // the DATA command went out
  bool in_message = false;    // the server answered 354: the message follows
  bool data_accepted = false; // the answer after the message was positive
};

int WatchExchange(CURL*, curl_infotype type, char* data, size_t size, void* user) {
  Exchange& x = *static_cast<Exchange*>(user);
  if (type == CURLINFO_HEADER_OUT && size >= 4 && std::strncmp(data, "DATA", 4) == 0) {
    x.data_sent = true;
  } else if (type == CURLINFO_HEADER_IN && size >= 1) {
    if (x.in_message) {
      if (data[0] == '2') x.data_accepted = true;
      x.in_message = false;
    } else if (x.data_sent && !x.data_accepted && size >= 3 && std::strncmp(data, "354", 3) == 0) {
      x.in_message = true;
    }
  }
  return 0;
}

// The last bound of the whole mail, QUIT included. libcurl bounds every
// step, but it looks at the clock only between waits of up to a second and
// says QUIT without the overall bound; so a watch of our own shuts the
// connection's socket down when the mail's time is up or the sender asks to
// stop, which ends any wait at once. libcurl opens and closes the socket
// through us, under the watch's lock, so the watch never touches a
// descriptor that has been closed (and perhaps reused).
class Watch {
 public:
  Watch(std::chrono::steady_clock::time_point deadline, const std::atomic<bool>* cancel)
      : deadline_(deadline), cancel_(cancel), thread_([this] { Run(); }) {}
  ~Watch() {
    {
      std::lock_guard<std::mutex> lock(mu_);
      done_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }
  // Whether the watch ended the connection, and why (the watch may be
  // deciding just now: read under its lock).
  bool Expired() {
    std::lock_guard<std::mutex> lock(mu_);
    return expired_;
  }
  bool Cancelled() {
    std::lock_guard<std::mutex> lock(mu_);
    return cancelled_;
  }

  static curl_socket_t OpenSocket(void* user, curlsocktype, curl_sockaddr* address) {
    Watch& w = *static_cast<Watch*>(user);
    std::lock_guard<std::mutex> lock(w.mu_);
    if (w.expired_ || w.cancelled_) return CURL_SOCKET_BAD;
    const int fd = ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
    if (fd >= 0) w.fds_.push_back(fd);
    return fd;
  }
  static int CloseSocket(void* user, curl_socket_t fd) {
    Watch& w = *static_cast<Watch*>(user);
    std::lock_guard<std::mutex> lock(w.mu_);
    w.fds_.erase(std::remove(w.fds_.begin(), w.fds_.end(), fd), w.fds_.end());
    return ::close(fd);
  }

 private:
  void Run() {
    std::unique_lock<std::mutex> lock(mu_);
    while (!done_) {
      const auto now = std::chrono::steady_clock::now();
      const bool late = now >= deadline_;
      const bool stop = cancel_ && cancel_->load();
      if (late || stop) {
        if (late) expired_ = true;
        else cancelled_ = true;
        for (int fd : fds_) ::shutdown(fd, SHUT_RDWR);
        // Sockets opened later are refused; nothing more to watch.
        wake_.wait(lock, [this] { return done_; });
        return;
      }
      // The cancel flag is read every 100 ms.
      wake_.wait_until(lock, std::min(deadline_, now + std::chrono::milliseconds(100)));
    }
  }

  const std::chrono::steady_clock::time_point deadline_;
  const std::atomic<bool>* cancel_;
  std::mutex mu_;
  std::condition_variable wake_;
  std::vector<int> fds_;
  bool done_ = false;
  bool expired_ = false;
  bool cancelled_ = false;
  std::thread thread_;  // last: started once the rest is ready
};

// A set-up step that failed: the mail cannot go out.
struct SetupFailed {
  std::string text;
};

void Check(CURLcode rc, const char* what) {
  if (rc != CURLE_OK)
    throw SetupFailed{std::string("SMTP set-up failed (") + what + "): " + curl_easy_strerror(rc)};
}

}  // namespace

bool CurlGlobalInit() { return curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; }

SmtpResult CurlSmtpClient::Deliver(const SmtpMail& mail, const std::atomic<bool>* cancel) const {
  SmtpResult result;
  result.error = SmtpTargetError(mail.host, mail.port);
  if (!result.error.empty()) return result;

  // Before the handle: libcurl may close the socket through it at clean-up.
  Watch watch(std::chrono::steady_clock::now() + std::chrono::milliseconds(mail_timeout_ms_), cancel);
  std::unique_ptr<CURL, EasyDeleter> handle(curl_easy_init());
  if (!handle) {
    result.error = "SMTP client could not start";
    return result;
  }
  CURL* h = handle.get();

  const std::string url = "smtp://" + mail.host + ":" + std::to_string(mail.port);
  const std::string from = "<" + mail.sender + ">";
  std::unique_ptr<curl_slist, ListDeleter> rcpt;
  for (const std::string& r : mail.recipients) {
    curl_slist* next = curl_slist_append(rcpt.get(), ("<" + r + ">").c_str());
    if (!next) {
      result.error = "SMTP client out of memory";
      return result;
    }
    rcpt.release();
    rcpt.reset(next);
  }
  Reader reader{&mail.message, 0};
  char error[CURL_ERROR_SIZE] = {0};
  Exchange exchange;
  // libcurl takes the answer bound in whole seconds.
  const long step_seconds = std::max(1L, (step_timeout_ms_ + 999) / 1000);

  try {
    Check(curl_easy_setopt(h, CURLOPT_URL, url.c_str()), "url");
    Check(curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "smtp"), "protocols");
    Check(curl_easy_setopt(h, CURLOPT_PROXY, ""), "proxy");
    Check(curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L), "nosignal");
    Check(curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, connect_timeout_ms_), "connect timeout");
    Check(curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, mail_timeout_ms_), "timeout");
    Check(curl_easy_setopt(h, CURLOPT_SERVER_RESPONSE_TIMEOUT, step_seconds), "answer timeout");
    // The connection is closed, QUIT and all, before the transfer returns,
    // under this handle's bounds (a kept connection would say QUIT at clean-up
    // with none of them).
    Check(curl_easy_setopt(h, CURLOPT_FORBID_REUSE, 1L), "no reuse");
    // A name lookup that outlasts the connect bound is left to finish on
    // its own thread instead of being waited for.
    Check(curl_easy_setopt(h, CURLOPT_QUICK_EXIT, 1L), "quick exit");
    Check(curl_easy_setopt(h, CURLOPT_OPENSOCKETFUNCTION, Watch::OpenSocket), "open socket");
    Check(curl_easy_setopt(h, CURLOPT_OPENSOCKETDATA, &watch), "open socket data");
    Check(curl_easy_setopt(h, CURLOPT_CLOSESOCKETFUNCTION, Watch::CloseSocket), "close socket");
    Check(curl_easy_setopt(h, CURLOPT_CLOSESOCKETDATA, &watch), "close socket data");
    Check(curl_easy_setopt(h, CURLOPT_ERRORBUFFER, error), "error buffer");
    Check(curl_easy_setopt(h, CURLOPT_DEBUGFUNCTION, WatchExchange), "watch");
    Check(curl_easy_setopt(h, CURLOPT_DEBUGDATA, &exchange), "watch data");
    Check(curl_easy_setopt(h, CURLOPT_VERBOSE, 1L), "verbose");
    if (mail.login) {
      Check(curl_easy_setopt(h, CURLOPT_USERNAME, mail.user.c_str()), "user");
      Check(curl_easy_setopt(h, CURLOPT_PASSWORD, mail.password.c_str()), "password");
      Check(curl_easy_setopt(h, CURLOPT_LOGIN_OPTIONS, "AUTH=LOGIN"), "login options");
    }
    Check(curl_easy_setopt(h, CURLOPT_MAIL_FROM, from.c_str()), "sender");
    Check(curl_easy_setopt(h, CURLOPT_MAIL_RCPT, rcpt.get()), "recipients");
    Check(curl_easy_setopt(h, CURLOPT_UPLOAD, 1L), "upload");
    Check(curl_easy_setopt(h, CURLOPT_READFUNCTION, ReadMessage), "reader");
    Check(curl_easy_setopt(h, CURLOPT_READDATA, &reader), "reader data");
    Check(curl_easy_setopt(h, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(mail.message.size())), "size");
  } catch (const SetupFailed& e) {
    result.error = e.text;
    return result;
  }

  const CURLcode rc = curl_easy_perform(h);
  // Once the server has taken the message, the mail is sent, whatever
  // becomes of the goodbye.
  if (rc == CURLE_OK || exchange.data_accepted) {
    result.sent = true;
    return result;
  }

  std::string text = error;
  long response = 0;
  curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &response);
  if (watch.Cancelled()) text = "sending abandoned: the program ended";
  else if (watch.Expired())
    text = "Timeout was reached (" + std::to_string(mail_timeout_ms_ / 1000) + " s for the whole mail)";
  if (text.empty()) text = curl_easy_strerror(rc);
  if (response != 0 && text.find(std::to_string(response)) == std::string::npos)
    text += " (server reply " + std::to_string(response) + ")";
  result.error = "SMTP: " + text;
  return result;
}

}  // namespace zol
