// The view of the device-table window "通信debug" (Form4).
#pragma once

#include <QWidget>

class QPushButton;
class QTableView;


namespace zol {

class App;
class Mirror;

class DebugView : public QWidget {
  Q_OBJECT
 public:
  DebugView(App& app, Mirror& mirror);
  QTableView* table = nullptr;
  QTableView* unreg = nullptr;
  QTableView* ring = nullptr;
  QPushButton* dump = nullptr;
  QPushButton* inject = nullptr;
};

}  // namespace zol
