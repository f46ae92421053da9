// The backup tool's window in Qt: the notice, the folder combo box and the
// folder tree (folders only, from "/"), the path box and the two buttons,
// mirrored from the core's BackupWindow. Closing it ends the program.
#pragma once

#include <QString>
#include <QWidget>

#include "qt/folder_tree.h"

class QCloseEvent;
class QComboBox;
class QFileSystemModel;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;

namespace zol {

class BackupWindow;
class Mirror;

class BackupView : public QWidget {
  Q_OBJECT
 public:
  // form must have run its FormCreate.
  BackupView(BackupWindow& form, Mirror& mirror);

  // Selects the folder in the tree, its ancestors expanded (what choosing it
  // in the combo box does); false when the tree does not hold it.
  bool SelectFolder(const QString& path);
  // The path of the folder selected in the tree, empty for none.
  QString SelectedFolder() const;

  QLabel* panel2 = nullptr;       // Panel2
  QLabel* label1 = nullptr;       // Label1
  QComboBox* combo = nullptr;     // ShellComboBox1
  QTreeView* tree = nullptr;      // ShellTreeView1
  QFileSystemModel* folders = nullptr;
  QLineEdit* edit1 = nullptr;     // Edit1
  QPushButton* bitbtn1 = nullptr; // BitBtn1 "バックアップ"
  QPushButton* bitbtn2 = nullptr; // BitBtn2 "リストア"

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void SelectionChanged();
  void FillCombo();

  FolderTree folders_;
  BackupWindow& form_;
  Mirror& mirror_;
};

}  // namespace zol
