#include "common/curl_smtp.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

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

// Watches the commands going out: once MAIL FROM is sent, the connect
// phase (TCP, greeting, EHLO, authentication) is over.
int WatchCommands(CURL*, curl_infotype type, char* data, size_t size, void* user) {
  if (type == CURLINFO_HEADER_OUT && size >= 9 && std::strncmp(data, "MAIL FROM", 9) == 0)
    *static_cast<bool*>(user) = true;
  return 0;
}

// Failures of the connection itself rather than of this mail: everything
// before the mail's first command, and a time-out anywhere.
bool ConnectionLevel(CURLcode rc, bool mail_started) {
  return !mail_started || rc == CURLE_OPERATION_TIMEDOUT;
}

void Check(CURLcode rc, const char* what) {
  if (rc != CURLE_OK)
    throw SmtpError(std::string("SMTP set-up failed (") + what + "): " + curl_easy_strerror(rc), true);
}

}  // namespace

bool CurlGlobalInit() { return curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; }

void CurlSmtpClient::Send(const SmtpMail& mail) {
  const std::string target_error = SmtpTargetError(mail.host, mail.port);
  if (!target_error.empty()) throw SmtpError(target_error, true);

  std::unique_ptr<CURL, EasyDeleter> handle(curl_easy_init());
  if (!handle) throw SmtpError("SMTP client could not start", true);
  CURL* h = handle.get();

  const std::string url = "smtp://" + mail.host + ":" + std::to_string(mail.port);
  const std::string from = "<" + mail.sender + ">";
  std::unique_ptr<curl_slist, ListDeleter> rcpt;
  for (const std::string& r : mail.recipients) {
    curl_slist* next = curl_slist_append(rcpt.get(), ("<" + r + ">").c_str());
    if (!next) throw SmtpError("SMTP client out of memory", true);
    rcpt.release();
    rcpt.reset(next);
  }
  Reader reader{&mail.message, 0};
  char error[CURL_ERROR_SIZE] = {0};

  Check(curl_easy_setopt(h, CURLOPT_URL, url.c_str()), "url");
  Check(curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "smtp"), "protocols");
  Check(curl_easy_setopt(h, CURLOPT_PROXY, ""), "proxy");
  Check(curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L), "nosignal");
  Check(curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, connect_timeout_ms_), "connect timeout");
  Check(curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, mail_timeout_ms_), "timeout");
  Check(curl_easy_setopt(h, CURLOPT_ERRORBUFFER, error), "error buffer");
  bool mail_started = false;
  Check(curl_easy_setopt(h, CURLOPT_DEBUGFUNCTION, WatchCommands), "watch");
  Check(curl_easy_setopt(h, CURLOPT_DEBUGDATA, &mail_started), "watch data");
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

  const CURLcode rc = curl_easy_perform(h);
  if (rc == CURLE_OK) return;

  std::string text = error;
  long response = 0;
  curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &response);
  if (text.empty()) text = curl_easy_strerror(rc);
  if (response != 0 && text.find(std::to_string(response)) == std::string::npos)
    text += " (server reply " + std::to_string(response) + ")";
  throw SmtpError("SMTP: " + text, ConnectionLevel(rc, mail_started));
}

}  // namespace zol
