// The view of the device window (Form7, "個別情報"): a fixed-size dialog,
// not modal.
#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace zol {

class App;
class Mirror;

class DeviceView : public QWidget {
  Q_OBJECT
 public:
  DeviceView(App& app, Mirror& mirror);
  QLabel* picture = nullptr;  // OlImage1
  QPushButton* on = nullptr;
  QPushButton* off = nullptr;
  QPushButton* reboot = nullptr;
  QLabel* outlet_name = nullptr;  // Panel1
  QLabel* device_name = nullptr;  // Panel2
  QLabel* id = nullptr;           // Panel4
  QLabel* outlet_no = nullptr;    // Panel6
  QLabel* updated = nullptr;      // Panel0
  QLabel* ip = nullptr;           // Panel7
  QLabel* state = nullptr;        // Panel3
  QPushButton* connect_button = nullptr;  // BitBtn4
  QPushButton* details = nullptr;
  QPushButton* edit = nullptr;
  QPushButton* close_button = nullptr;
};

}  // namespace zol
