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
  // Release or destruction.
  bool Acquire();
  void Release();
  QString Path() const { return path_; }

 private:
  QString path_;
  std::unique_ptr<QLockFile> lock_;
};

}  // namespace zol
