// The device simulator program as a test peer on 127.0.0.1.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace zol {

// The path of the built simulator (from ZOL_BINARY_DIR), empty when the
// program is not there.
std::string ZolSimPath();

// The simulator program, run with its output thrown away; stopped when it
// has not ended by itself.
class ZolSim {
 public:
  ZolSim(const std::string& path, const std::vector<std::string>& args);
  ~ZolSim();
  ZolSim(const ZolSim&) = delete;
  ZolSim& operator=(const ZolSim&) = delete;
  bool started() const { return pid_ > 0; }
  // Its exit code, or -1 when it is still running after timeout_ms.
  int Wait(int timeout_ms);

 private:
  pid_t pid_ = -1;
};

}  // namespace zol
