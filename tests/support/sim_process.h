// The device simulator zolsim as a child process, its standard output on a
// pipe, for tests that talk to it over 127.0.0.1. Every wait has a limit.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace zol {

// The zolsim program of the build (ZOL_BINARY_DIR/tools/zolsim/zolsim);
// empty when it is not there.
std::string ZolsimPath();

class SimProcess {
 public:
  explicit SimProcess(const std::vector<std::string>& args, const std::string& program = ZolsimPath());
  ~SimProcess();
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  bool started() const { return pid_ > 0 || exited_; }
  // Next line of its output, or false after the time-out or at its end.
  bool ReadLine(std::string* line, int timeout_ms = 5000);
  // Telnet port of device k from the line "zolsim: device K telnet 127.0.0.1:PORT";
  // -1 when it does not come.
  int TelnetPort(int device);
  // Exit code once it ended by itself, -1 after the time-out.
  int WaitExit(int timeout_ms);
  std::string RestOfOutput(int timeout_ms = 5000);
  // SIGTERM, and SIGKILL when it does not end within 5 s.
  void Stop();

 private:
  pid_t pid_ = -1;
  bool exited_ = false;
  int out_ = -1;
  std::string buf_;
};

}  // namespace zol
