#include "support/smtp_peer.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "common/files.h"

extern char** environ;

namespace zol {

std::string SmtpPeerScript() {
  const char* src = std::getenv("ZOL_SOURCE_DIR");
  return src ? std::string(src) + "/tests/support/smtp_sink.py" : std::string();
}

bool HaveAiosmtpd() {
  static const bool have = std::system("/usr/bin/python3 -c 'import aiosmtpd' >/dev/null 2>&1") == 0;
  return have;
}

SmtpPeer::SmtpPeer(const std::string& mode, const std::string& credentials) {
  std::vector<std::string> args = {"/usr/bin/python3", SmtpPeerScript(), dir_.path(), mode};
  if (!credentials.empty()) args.push_back(credentials);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  int out[2];
  if (::pipe(out) != 0) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  // "PORT <n>" once it listens.
  std::string line;
  char ch;
  while (pid_ > 0 && ::read(out[0], &ch, 1) == 1 && ch != '\n') line += ch;
  ::close(out[0]);
  if (line.rfind("PORT ", 0) == 0) port_ = std::atoi(line.c_str() + 5);
}

SmtpPeer::~SmtpPeer() {
  if (pid_ > 0) {
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
  }
}

std::string SmtpPeer::File(const std::string& name) const {
  std::string bytes;
  ReadFile(dir_.File(name), &bytes);
  return bytes;
}

}  // namespace zol
