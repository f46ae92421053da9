// The view of the main window's tab "グループ" (the group tab area).
#pragma once

#include <QWidget>
#include <array>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class QToolButton;

namespace zol {

class GroupTab;
class Mirror;

class GroupTabView : public QWidget {
  Q_OBJECT
 public:
  GroupTabView(GroupTab& tab, Mirror& mirror, QWidget* parent);

  QComboBox* combo_ex2 = nullptr;      // ComboBoxEx2
  QWidget* panel25 = nullptr;          // command entries
  QTableView* grid = nullptr;          // StringGrid1
  QLineEdit* edit1 = nullptr;
  QLineEdit* edit2 = nullptr;
  QToolButton* browse = nullptr;       // BitBtn4
  QPushButton* register_btn = nullptr; // BitBtn7
  QPushButton* file_btn = nullptr;     // BitBtn3
  QPushButton* edit_btn = nullptr;     // BitBtn8
  QWidget* panel30 = nullptr;          // send mode
  QListWidget* list = nullptr;         // CheckListBox1
  QComboBox* combo1 = nullptr;         // ComboBox1
  QPushButton* change_btn = nullptr;   // BitBtn6
  QPushButton* send_btn = nullptr;     // BitBtn5
  QPushButton* cancel_btn = nullptr;   // BitBtn2
  QLabel* panel23 = nullptr;
  QLabel* panel27 = nullptr;
  QWidget* log_box = nullptr;          // Memo2 with its counters
  QPlainTextEdit* log = nullptr;       // Memo2

 private:
  bool applying_ = false;  // the mirror is writing the check marks
};

}  // namespace zol
