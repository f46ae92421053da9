#include "qt/single_instance.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace zol {

SingleInstance::SingleInstance(const QString& name) {
  QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (dir.isEmpty() || !QDir(dir).exists()) dir = QDir::tempPath();
  path_ = QDir(dir).filePath(name + QLatin1Char('-') + QString::number(getuid()) + QStringLiteral(".lock"));
  lock_ = std::make_unique<QLockFile>(path_);
  // Only a dead owner makes a lock stale, never its age.
  lock_->setStaleLockTime(0);
}

bool SingleInstance::Acquire() {
  failure_.clear();
  if (lock_->tryLock(0)) return true;
  struct stat st;
  const QByteArray path = QFile::encodeName(path_);
  const bool lock_is_file = ::lstat(path.constData(), &st) == 0 && S_ISREG(st.st_mode);
  if (lock_->error() == QLockFile::LockFailedError && lock_is_file) return false;  // another instance runs
  if (::lstat(path.constData(), &st) == 0 && !S_ISREG(st.st_mode)) {
    failure_ = QString::fromLocal8Bit(std::strerror(S_ISDIR(st.st_mode) ? EISDIR : EEXIST));
    return false;
  }
  // QLockFile gives no system reason: creating a file of our own beside the
  // lock shows it (read-only, full, missing folder); when that works the
  // place of the lock file itself is the fault.
  const QByteArray dir = QFile::encodeName(QFileInfo(path_).absolutePath());
  QByteArray probe = dir + "/.zolprobeXXXXXX";
  int fd = ::mkstemp(probe.data());
  int err = fd < 0 ? errno : 0;
  if (fd >= 0) {
    const char pid_line[] = "0000000000\n";  // about what a lock file holds
    if (::write(fd, pid_line, sizeof pid_line - 1) != static_cast<ssize_t>(sizeof pid_line - 1)) err = errno ? errno : ENOSPC;
    ::close(fd);
    ::unlink(probe.constData());
  }
  if (err != 0) {
    failure_ = QString::fromLocal8Bit(std::strerror(err));
  } else {
    failure_ = lock_->error() == QLockFile::PermissionError ? QString::fromLocal8Bit(std::strerror(EACCES))
                                                             : QStringLiteral("the lock file cannot be created");
  }
  return false;
}

void SingleInstance::Release() { lock_->unlock(); }

}  // namespace zol
