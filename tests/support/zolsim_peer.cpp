#include "support/zolsim_peer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

extern char** environ;

namespace zol {

std::string ZolSimPath() {
  const char* build = std::getenv("ZOL_BINARY_DIR");
  if (!build) return std::string();
  const std::string path = std::string(build) + "/tools/zolsim/zolsim";
  return ::access(path.c_str(), X_OK) == 0 ? path : std::string();
}

ZolSim::ZolSim(const std::string& path, const std::vector<std::string>& args) {
  std::vector<std::string> all = {path};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  if (posix_spawn(&pid_, path.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
}

ZolSim::~ZolSim() {
  if (pid_ > 0 && Wait(0) < 0) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
}

int ZolSim::Wait(int timeout_ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    int status = 0;
    const pid_t r = ::waitpid(pid_, &status, WNOHANG);
    if (r == pid_) {
      pid_ = -1;
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
    }
    if (r < 0 || std::chrono::steady_clock::now() >= deadline) return -1;
    ::poll(nullptr, 0, 10);
  }
}

}  // namespace zol
