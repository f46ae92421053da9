// The file-open dialog over QFileDialog.
#pragma once

#include "common/platform.h"

namespace zol {

class QtFileOpenDialog : public FileOpenDialog {
 public:
  // A modal dialog over the active window; the chosen path comes back as
  // Shift-JIS text.
  bool Execute(const std::string& filter, std::string* path, bool* held = nullptr) override;
};

}  // namespace zol
