// The device simulator program as a test peer on 127.0.0.1: a child
// process with its standard output on a pipe. Every wait has a limit.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace zol {

// The path of the built simulator (ZOL_BINARY_DIR/tools/zolsim/zolsim, else
// the build folder of these tests), empty when the program is not there.
std::string ZolSimPath();

// The simulator program; stopped when it has not ended by itself.
class ZolSim {
 public:
  ZolSim(const std::string& path, const std::vector<std::string>& args);
  ~ZolSim();
  ZolSim(const ZolSim&) = delete;
  ZolSim& operator=(const ZolSim&) = delete;
  bool started() const { return pid_ > 0 || exited_; }
  // Its exit code once it ended by itself, or -1 when it is still running
  // after timeout_ms.
  int Wait(int timeout_ms);
  // Next line of its output, or false after the time-out or at its end.
  bool ReadLine(std::string* line, int timeout_ms = 5000);
  // Telnet port of device k from the line "zolsim: device K telnet
  // 127.0.0.1:PORT"; -1 when it does not come.
  int TelnetPort(int device);
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
