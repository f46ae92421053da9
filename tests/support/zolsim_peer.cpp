#include "support/zolsim_peer.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace zol {

namespace {

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline) {
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return ms < 0 ? 0 : static_cast<int>(ms);
}

}  // namespace

std::string ZolSimPath() {
  const char* build = std::getenv("ZOL_BINARY_DIR");
  if (!build) build = ZOL_BUILD_DIR;
  const std::string path = std::string(build) + "/tools/zolsim/zolsim";
  return ::access(path.c_str(), X_OK) == 0 ? path : std::string();
}

ZolSim::ZolSim(const std::string& path, const std::vector<std::string>& args) {
  if (path.empty()) return;
  int fds[2];
  if (pipe(fds) != 0) return;
  pid_ = fork();
  if (pid_ == 0) {
    dup2(fds[1], 1);
    close(fds[0]);
    close(fds[1]);
    std::vector<std::string> all = {path};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(path.c_str(), argv.data());
    _exit(127);
  }
  close(fds[1]);
  if (pid_ < 0) {
    close(fds[0]);
    return;
  }
  out_ = fds[0];
}

ZolSim::~ZolSim() {
  Stop();
  if (out_ >= 0) close(out_);
}

bool ZolSim::ReadLine(std::string* line, int timeout_ms) {
  auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    std::size_t nl = buf_.find('\n');
    if (nl != std::string::npos) {
      *line = buf_.substr(0, nl);
      buf_.erase(0, nl + 1);
      return true;
    }
    if (out_ < 0) return false;
    pollfd p{out_, POLLIN, 0};
    if (poll(&p, 1, MsLeft(deadline)) <= 0) return false;
    char b[1024];
    ssize_t n = read(out_, b, sizeof b);
    if (n <= 0) return false;
    buf_.append(b, static_cast<std::size_t>(n));
  }
}

int ZolSim::TelnetPort(int device) {
  std::string line;
  const std::string want = "zolsim: device " + std::to_string(device) + " telnet 127.0.0.1:";
  while (ReadLine(&line))
    if (line.rfind(want, 0) == 0) return std::atoi(line.c_str() + want.size());
  return -1;
}

int ZolSim::Wait(int timeout_ms) {
  auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  while (pid_ > 0) {
    int status = 0;
    pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == pid_) {
      pid_ = -1;
      exited_ = true;
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    if (r < 0 || MsLeft(deadline) == 0) return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return -1;
}

std::string ZolSim::RestOfOutput(int timeout_ms) {
  std::string all, line;
  while (ReadLine(&line, timeout_ms)) all += line + "\n";
  return all;
}

void ZolSim::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  if (Wait(5000) < 0 && pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
}

}  // namespace zol
