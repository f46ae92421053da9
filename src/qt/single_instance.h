// The single-instance guard: a lock file named after "zolyab3" and the
// user. A lock left by a killed process is stale and taken over.
#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

namespace zol {

class SingleInstance {
 public:
  // name: the guard's name ("zolyab3").
  explicit SingleInstance(const QString& name);
  // True when this process is the only instance; it keeps the lock until
  // Release or destruction. After false, Failure() tells why.
  bool Acquire();
  void Release();
  QString Path() const { return path_; }
  // Empty when the last Acquire succeeded or another instance holds the
  // lock; otherwise why the lock could not be taken (a runtime folder that
  // is read-only, full or missing, a folder in the lock file's place...).
  QString Failure() const { return failure_; }

 private:
  QString path_;
  QString failure_;
  std::unique_ptr<QLockFile> lock_;
};

}  // namespace zol
