// The view of the folder chooser (Form9): a fixed 400 x 240 dialog with the
// file system's folders from "/" (hidden ones not listed). On its first
// showing the home folder is selected and in view; the selection stays
// between uses. Every change of the selection goes to the core as the
// folder's path.
#pragma once

#include <QWidget>

#include "qt/folder_tree.h"

class QPushButton;
class QShowEvent;

namespace zol {

class App;
class Mirror;

class FolderChooserView : public QWidget {
  Q_OBJECT
 public:
  FolderChooserView(App& app, Mirror& mirror);
  FolderTree folders;              // ShellTreeView1
  QPushButton* ok = nullptr;       // BitBtn1 "登録"
  QPushButton* cancel = nullptr;   // BitBtn2 "キャンセル"

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  bool shown_before_ = false;
};

}  // namespace zol
