// The telnet console of one simulated device, on 127.0.0.1.
//
// A connection starts with the option negotiation of a telnet server
// (IAC DO TTYPE, then IAC SB TTYPE SEND IAC SE when the client agrees), then
// the banner, the password prompt (not for "qm" devices) and the prompt.
// One session at a time; a second connection is told it is busy and closed.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

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
  // False for a console that never accepts (fault no-accept): its listening
  // socket is not watched.
  bool accepting() const { return fillers_.empty(); }
  int session_fd() const { return session_.fd; }
  bool wants_write() const { return !session_.out.empty(); }

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
    std::string out;
  };

  void Start(double now_ms);
  void Feed(const unsigned char* data, std::size_t n, double now_ms);
  void OnTelnetCommand(unsigned char command, unsigned char option);
  void OnSubnegotiation(const std::string& sb, double now_ms);
  void OnLine(const std::string& line, double now_ms);
  void Dispatch(const std::string& line, double now_ms);
  void LoggedInLine(const std::string& line, double now_ms);
  void Send(const std::string& text);
  void Prompt();
  void LoginPrompt();
  void Noise();
  void CloseAfterFlush();
  void CloseSession();
  std::string Model() const;

  Device* device_;
  Recorder record_;
  int listen_fd_ = -1;
  int port_ = 0;
  std::vector<int> fillers_;  // no-accept: the console's own connections that fill the queue
  Session session_;
};

}  // namespace zol::sim
