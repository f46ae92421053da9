// The hidden mail form (frmMessageEditor): created once at start and never
// shown. It holds the body list that the callers fill, the fixed properties
// of every message and the SMTP authentication type, and sends one mail from
// the stored mail settings with MailSend.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/controls.h"
#include "common/platform.h"

namespace zol {

class App;
struct ConsoleSettings;

enum class SmtpAuthentication { atNone, atLogin };
enum class MessagePriority { mpHighest, mpHigh, mpNormal, mpLow, mpLowest };

class MessageEditor : public Form {
 public:
  explicit MessageEditor(App& app);

  App& app;

  // Sends Memo1 as one mail with the stored mail settings (From, To, Subject,
  // server, port, authentication). Returns false at once, sending nothing
  // and leaving Memo1 as it is, when the addresses or the server fail the
  // address rule. Otherwise Memo1 holds the ISO-2022-JP form of the body
  // when this returns, and the mail is on its way: sending goes on beside
  // the window, after the mails handed over before it. When its sending
  // has ended, sent runs (from the event loop) if the mail went out; an
  // error goes to the mail error box.
  bool MailSend(std::function<void()> sent = nullptr);

  // The mail error box with the error text: at most one is open at a time,
  // errors while it is open are not shown.
  void MailError(const std::string& text);
  bool ErrorBoxOpen() const { return error_box_open_; }

  Memo Memo1;  // the body list, one text line per line

  // The message's fixed properties.
  std::string ContentType = "text/plain";
  MessagePriority Priority = MessagePriority::mpNormal;
  std::vector<std::string> CCList;
  std::vector<std::string> BccList;
  std::string ReceiptRecipient;

  // The client's authentication type: MailAuth 0 sets atNone, 1 atLogin,
  // any other value keeps the type of the previous call.
  SmtpAuthentication AuthenticationType = SmtpAuthentication::atNone;

 private:
  std::string MessageId(const std::string& sender);
  uint64_t sent_ = 0;
  bool error_box_open_ = false;
  // The callbacks of mails and boxes still under way hold this weakly: none
  // runs once the form is gone.
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

// The address rule of the stored mail settings: MailFrom holds "." and "@",
// MailServer ".", MailTo "." and "@".
bool MailAddressRule(const std::string& from, const std::string& server, const std::string& to);

// The addresses of a recipient list: split at commas outside double quotes,
// each trimmed; empty ones are left out.
std::vector<std::string> SplitAddressList(const std::string& list);

// The bare address of an address text: the part inside "<...>" when there
// is one, else the trimmed text.
std::string EnvelopeAddress(const std::string& address);

// An RFC 5322 date, "Thu, 10 Dec 2026 13:40:56 +0900", of a local time with
// its offset from UTC in minutes.
std::string MailDate(const DateTime& t, int utc_offset_minutes);

}  // namespace zol
