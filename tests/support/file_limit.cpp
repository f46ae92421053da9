#include "support/file_limit.h"

namespace zol {

FileSizeLimit::FileSizeLimit(rlim_t bytes) {
  struct sigaction ignore{};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGXFSZ, &ignore, &old_action_);
  getrlimit(RLIMIT_FSIZE, &old_);
  rlimit limit = old_;
  limit.rlim_cur = bytes;
  setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit() {
  setrlimit(RLIMIT_FSIZE, &old_);
  sigaction(SIGXFSZ, &old_action_, nullptr);
}

}  // namespace zol
