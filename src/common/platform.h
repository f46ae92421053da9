// The seams between the console's logic and the platform. The core sees only
// these interfaces; the Qt/POSIX adapters (src/qt) and the deterministic
// fakes (tests/support) implement them.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace zol {

// Local calendar date and time of the wall clock.
struct DateTime {
  int year = 2000, month = 1, day = 1;
  int hour = 0, minute = 0, second = 0;
};

// "yyyy/mm/dd", "hh:nn:ss", "yymmdd", "yyyymmdd", "hhnnss".
std::string DateText(const DateTime& t);
std::string TimeText(const DateTime& t);
std::string Yymmdd(const DateTime& t);
std::string Yyyymmdd(const DateTime& t);
std::string Hhnnss(const DateTime& t);

class Clock {
 public:
  virtual ~Clock() = default;
  // 32-bit milliseconds since the computer started; wraps after 2^32 - 1.
  virtual uint32_t TickCount() = 0;
  // 64-bit milliseconds since the computer started, suspend included.
  virtual uint64_t BootMillis() = 0;
  // The local wall clock.
  virtual DateTime Now() = 0;
};

// The event loop that Delay runs.
class EventPump {
 public:
  virtual ~EventPump() = default;
  // Runs every event that is pending now (timers due, datagrams, input) once.
  virtual void ProcessPending() = 0;
  // Blocks until an event is pending or max_ms milliseconds have passed.
  virtual void WaitForEvents(uint32_t max_ms) = 0;
};

class Timer;

// Drives the timers; told whenever a timer's interval or enabling changes.
class TimerHost {
 public:
  virtual ~TimerHost() = default;
  virtual void TimerChanged(Timer* timer) = 0;
  virtual void TimerRemoved(Timer* timer) = 0;
};

// A window timer: fires OnTimer every Interval() ms while enabled. A new
// interval, or enabling a disabled timer, starts a new period; enabling an
// enabled timer or setting the interval it already has changes nothing (its
// next firing stays due when it was). Restart sets the interval and, when
// the timer is enabled, starts a new period whatever the interval was. An
// interval of 0 never fires.
class Timer {
 public:
  explicit Timer(TimerHost* host, uint32_t interval = 1000, bool enabled = false)
      : host_(host), interval_(interval), enabled_(enabled) {
    if (host_) host_->TimerChanged(this);
  }
  ~Timer() {
    if (host_) host_->TimerRemoved(this);
  }
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  uint32_t Interval() const { return interval_; }
  bool Enabled() const { return enabled_; }
  void SetInterval(uint32_t ms) {
    if (ms == interval_) return;
    interval_ = ms;
    if (host_) host_->TimerChanged(this);
  }
  void Restart(uint32_t ms) {
    interval_ = ms;
    if (host_) host_->TimerChanged(this);
  }
  void SetEnabled(bool on) {
    if (on == enabled_) return;
    enabled_ = on;
    if (host_) host_->TimerChanged(this);
  }
  // Called by the host when the period has run out.
  void Fire() {
    if (OnTimer) OnTimer();
  }

  std::function<void()> OnTimer;

 private:
  TimerHost* host_;
  uint32_t interval_;
  bool enabled_;
};

// Modal message boxes. Kinds are the four titles of the console.
enum class BoxKind { Info, Warning, Error, Confirm };
// Ok: "OK"; YesNo: "はい(&Y)" and "いいえ(&N)"; Yes: a single "はい(&Y)".
enum class BoxButtons { Ok, YesNo, Yes };
enum class BoxResult { Ok, Yes, No };

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Shows text (Shift-JIS) and returns the operator's answer.
  virtual BoxResult Show(const std::string& text, BoxKind kind, BoxButtons buttons) = 0;
  // A box with the one button "OK" that runs no loop of its own: it is
  // shown from the event loop after the caller has returned, the operator
  // cannot use the other windows while it is open, and closed runs (from
  // the event loop) when the operator has closed it. Reception and timers
  // go on meanwhile.
  virtual void Open(const std::string& text, BoxKind kind, std::function<void()> closed) = 0;
};

// "情報", "警告", "エラー", "確認".
std::string BoxTitle(BoxKind kind);

class Sound {
 public:
  virtual ~Sound() = default;
  // The system's information beep.
  virtual void Beep() = 0;
  // Starts playing a WAV file and returns at once.
  virtual void PlayWav(const std::string& path) = 0;
};

// The file-open dialog (OpenDialog). The filter is empty for every file, or
// a description followed by its patterns, "WAVファイル (*.wav)".
class FileOpenDialog {
 public:
  virtual ~FileOpenDialog() = default;
  // Asks the operator for an existing file: true with its full path
  // (Shift-JIS) when one was chosen, false when the dialog was cancelled.
  // *held, when given, tells whether Shift-JIS holds the whole path (a
  // character it cannot hold stands as "?").
  virtual bool Execute(const std::string& filter, std::string* path, bool* held = nullptr) = 0;
};

// UDP reception (receive only). Datagrams arrive on the GUI thread through
// OnDataReceived with their bytes, the sender's dotted address and port.
class UdpReceiver {
 public:
  using Handler = std::function<void(const std::string& bytes, const std::string& from_ip, int port)>;
  virtual ~UdpReceiver() = default;
  // Port 1..65535 starts reception on all IPv4 addresses, 0 ends it. Returns
  // the empty text on success, else the system's reason; on failure the
  // receiver is unbound.
  virtual std::string SetLocalPort(int port) = 0;
  virtual int LocalPort() const = 0;
  Handler OnDataReceived;
};

// A telnet client connection to a device's console, on the GUI thread. The
// client answers the telnet option negotiation itself and hands over only
// the data.
class TelnetClient {
 public:
  virtual ~TelnetClient() = default;
  // Connects to host:port (a dropped connection is closed first). The
  // connected notification runs from within the call; the call returns
  // whether a connection was made. It may wait for the connection while the
  // event loop keeps running, for a bounded time; a Connect or Disconnect
  // made meanwhile abandons the attempt, which then returns false.
  virtual bool Connect(const std::string& host, int port) = 0;
  virtual bool Connected() const = 0;
  // Closes the connection; when one was open, the disconnected notification
  // runs from within the call, after the socket is closed.
  virtual void Disconnect() = 0;
  // Sends text followed by CR LF; nothing when not connected.
  virtual void WriteLn(const std::string& text) = 0;

  std::function<void()> OnConnected;
  // Received text, from the event loop, never before the connected
  // notification has returned.
  std::function<void(const std::string& text)> OnDataAvailable;
  // The connection ended (the peer closed it, or Disconnect). Text that
  // arrived before a peer close is delivered first.
  std::function<void()> OnDisconnected;
};

// Starts the desktop's own programs for a device's console. Each call
// returns at once; a program that cannot be started starts nothing.
class Shell {
 public:
  virtual ~Shell() = default;
  // A telnet client in a terminal window; params is the host, or the host,
  // blanks and the port.
  virtual void OpenTelnet(const std::string& params) = 0;
  // The desktop's handler of a web address (the browser).
  virtual void OpenAddress(const std::string& address) = 0;
};

// One mail for the SMTP client: the server, the optional AUTH LOGIN, the
// envelope and the finished message (headers and body, CR LF line ends, not
// dot-stuffed).
struct SmtpMail {
  std::string host;
  int port = 25;
  bool login = false;  // AUTH LOGIN with user and password (also empty ones)
  std::string user;
  std::string password;
  std::string sender;                   // envelope sender, a bare address
  std::vector<std::string> recipients;  // envelope recipients, bare addresses
  std::string message;
};

// How the sending of one mail ended: sent when the server accepted the
// message's data (whatever became of QUIT afterwards); otherwise the error
// text.
struct SmtpResult {
  bool sent = false;
  std::string error;
};
using SmtpDone = std::function<void(const SmtpResult&)>;

// Sends mails beside the GUI thread, one after the other in the order they
// were handed over, each over a connection of its own. Send returns at
// once; done runs on the GUI thread, from the event loop, once that mail's
// sending has ended.
class SmtpClient {
 public:
  virtual ~SmtpClient() = default;
  virtual void Send(const SmtpMail& mail, SmtpDone done) = 0;
};

// Empty when host and port can address an SMTP server: the host holds only
// letters, digits, ".", "-" and "_", the port is 1..65535. Otherwise the
// error text.
std::string SmtpTargetError(const std::string& host, int port);

// Runs the pump until more than ms milliseconds have passed on the 32-bit
// tick counter (modulo 2^32). Processes events at least once, also for 0.
void Delay(Clock& clock, EventPump& pump, uint32_t ms);

}  // namespace zol
