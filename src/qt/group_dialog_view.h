// The view of the group dialog (Form3): a fixed 400 x 240 dialog, centred.
#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace zol {

class App;
class Mirror;

class GroupDialogView : public QWidget {
  Q_OBJECT
 public:
  GroupDialogView(App& app, Mirror& mirror);
  QLabel* label1 = nullptr;
  QLineEdit* edit1 = nullptr;
  QPushButton* ok = nullptr;      // BitBtn1
  QPushButton* cancel = nullptr;  // BitBtn2
};

}  // namespace zol
