// The device simulator zolsim as a child process with its standard output
// on a pipe, for tests that talk to it over 127.0.0.1. Every wait has a
// time-out; the process is stopped (SIGTERM, then SIGKILL) at the end.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace zol {

class SimProcess {
 public:
  // Runs the simulator built with the tests with these arguments.
  explicit SimProcess(const std::vector<std::string>& args);
  ~SimProcess();
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  // Next line of its output, or false after the time-out or at its end.
  bool ReadLine(std::string* line, int timeout_ms = 5000);
  // Telnet port of device k from the line "zolsim: device K telnet 127.0.0.1:PORT".
  int TelnetPort(int device);
  // Exit code once it ended by itself, -1 after the time-out.
  int WaitExit(int timeout_ms);
  std::string RestOfOutput(int timeout_ms = 5000);
  void Stop();

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  std::string buf_;
};

}  // namespace zol
