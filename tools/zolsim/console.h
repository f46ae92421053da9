// The telnet console of one simulated device, on 127.0.0.1.
//
// A connection starts with the option negotiation of a telnet server
// (IAC DO TTYPE, then IAC SB TTYPE SEND IAC SE when the client agrees; with
// echo also IAC WILL ECHO and IAC WILL SGA), then the banner, the password
// prompt (not for "qm" devices) and the prompt. One session at a time; a
// second connection is told it is busy and closed.
#pragma once

#include <cstdio>
#include <deque>
#include <functional>
#include <string>
#include <utility>

#include "zolsim/model.h"

namespace zol::sim {

class Console {
 public:
  // `record` gets every received line and event of this device's console.
  using Recorder = std::function<void(int device, const std::string& text)>;

  Console(Device* device, Recorder record);
  ~Console();
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;

  // Listens on 127.0.0.1:port (0 = a free port); false with *err on failure.
  bool Listen(int port, std::string* err);
  int port() const { return port_; }
  int listen_fd() const { return listen_fd_; }
  // False for a listener that never accepts (its queue stays full).
  bool accepting() const { return !device_->faults.no_accept; }
  int session_fd() const { return session_.fd; }
  // A no-read session is not read (a close shows when a write fails); a
  // flooding one always has more to write.
  bool wants_read() const { return !session_.no_read; }
  bool wants_write() const { return !session_.out.empty() || session_.flooding || session_.no_read; }

  // Handlers for the main poll loop.
  void OnAccept(double now_ms);
  void OnReadable(double now_ms);
  void OnWritable();
  // Time-driven steps (end of the negotiation wait).
  void OnTick(double now_ms);
  // Next time OnTick has work, or a negative value.
  double NextDeadline() const;

  void CloseAll();

 private:
  enum class Phase { kNegotiate, kUser, kPassword, kLoggedIn, kSilent, kClosing };
  struct Session {
    int fd = -1;
    Phase phase = Phase::kNegotiate;
    double negotiate_until = -1;
    int telnet_state = 0;  // 0 data, 1 after IAC, 2 after IAC + WILL/WONT/DO/DONT, 3 in SB, 4 IAC in SB
    unsigned char command = 0;
    std::string sb;
    std::string line;
    bool after_cr = false;
    int wrong = 0;
    int lines_after_login = 0;
    std::string user;
    bool echo = false;  // the client accepted the server's echo
    std::string out;
    std::deque<std::pair<double, std::string>> later;  // output due at a time (slow, split)
    double trickle_next = -1;  // the next byte of the trickle fault is due
    bool flooding = false;     // the flood fault is under way
    bool no_read = false;      // the no-read fault: nothing read, option requests sent
  };

  void Start(double now_ms);
  void Feed(const unsigned char* data, std::size_t n, double now_ms);
  void OnTelnetCommand(unsigned char command, unsigned char option);
  void OnSubnegotiation(const std::string& sb, double now_ms);
  void OnLine(const std::string& line, double now_ms);
  void Dispatch(const std::string& line, double now_ms);
  void LoggedInLine(const std::string& line, double now_ms);
  void Send(const std::string& text);
  // Sends text delay_ms after what is already due.
  void SendAfter(const std::string& text, double delay_ms);
  // A key="value" reply: with the split fault its closing quote comes later.
  void SendReply(const std::string& text);
  void Record(const std::string& text) { record_(device_->index, text); }
  void Prompt();
  void LoginPrompt();
  void Noise();
  void CloseAfterFlush();
  void CloseSession();
  std::string Model() const;

  Device* device_;
  Recorder record_;
  int listen_fd_ = -1;
  int filler_fd_ = -1;  // the listener's own connection that fills its queue (no-accept)
  int port_ = 0;
  double now_ms_ = 0;
  Session session_;
};

}  // namespace zol::sim
