// The view of the password dialog (Form14): 240 x 137, not modal; the entry
// shows "*" for every character and Enter presses "OK".
#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace zol {

class App;
class Mirror;

class PasswordView : public QWidget {
  Q_OBJECT
 public:
  PasswordView(App& app, Mirror& mirror);
  QLabel* label1 = nullptr;
  QLineEdit* entry = nullptr;  // MaskEdit1
  QLabel* label2 = nullptr;
  QPushButton* ok = nullptr;   // BitBtn1
};

}  // namespace zol
