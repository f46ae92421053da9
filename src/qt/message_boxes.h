// The message boxes of both programs over QMessageBox.
#pragma once

#include "common/platform.h"

namespace zol {

// Modal boxes titled "情報", "警告", "エラー", "確認" with the buttons "OK",
// "はい(&Y)" and "いいえ(&N)", or the single "はい(&Y)".
class QtMessageBoxes : public MessageBoxes {
 public:
  BoxResult Show(const std::string& text, BoxKind kind, BoxButtons buttons) override;
};

}  // namespace zol
