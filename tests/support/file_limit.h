// A write failure that even root meets: the process's file size limit
// (RLIMIT_FSIZE), with SIGXFSZ ignored so a write past it fails with EFBIG
// instead of ending the process.
#pragma once

#include <signal.h>
#include <sys/resource.h>

namespace zol {

class FileSizeLimit {
 public:
  // No file of this process may grow past bytes until the object ends.
  explicit FileSizeLimit(rlim_t bytes);
  ~FileSizeLimit();
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit old_{};
  struct sigaction old_action_{};
};

}  // namespace zol
