// The message boxes of both programs over QMessageBox.
#pragma once

#include <QPointer>
#include <vector>

#include "common/platform.h"

class QMessageBox;

namespace zol {

// Boxes titled "情報", "警告", "エラー", "確認" with the buttons "OK",
// "はい(&Y)" and "いいえ(&N)", or the single "はい(&Y)". Show runs the box's
// own loop; Open shows an application-modal box from the event loop and
// returns at once.
class QtMessageBoxes : public MessageBoxes {
 public:
  ~QtMessageBoxes() override;
  BoxResult Show(const std::string& text, BoxKind kind, BoxButtons buttons) override;
  void Open(const std::string& text, BoxKind kind, std::function<void()> closed) override;

 private:
  std::vector<QPointer<QMessageBox>> open_;  // the boxes of Open still shown
};

}  // namespace zol
