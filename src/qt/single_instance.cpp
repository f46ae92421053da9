#include "qt/single_instance.h"

#include <unistd.h>

#include <QDir>

namespace zol {

SingleInstance::SingleInstance(const QString& name) {
  QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (dir.isEmpty() || !QDir(dir).exists()) dir = QDir::tempPath();
  path_ = QDir(dir).filePath(name + QLatin1Char('-') + QString::number(getuid()) + QStringLiteral(".lock"));
  lock_ = std::make_unique<QLockFile>(path_);
  // Only a dead owner makes a lock stale, never its age.
  lock_->setStaleLockTime(0);
}

bool SingleInstance::Acquire() { return lock_->tryLock(0); }

void SingleInstance::Release() { lock_->unlock(); }

}  // namespace zol
