// The view of the main window (Form2) and its areas.
#pragma once

#include <QMainWindow>
#include <array>

class QLabel;
class QListView;
class QListWidget;
class QMenu;
class QShowEvent;
class QSplitter;
class QTabWidget;
class QToolButton;


namespace zol {

class App;
class GroupTabView;
class LineList;
class DeviceTreeView;
class IconListView;
class Mirror;

class MainView : public QMainWindow {
  Q_OBJECT
 public:
  MainView(App& app, Mirror& mirror, QMenu* icon_menu);

  QToolButton* start = nullptr;     // ToolButton1
  QToolButton* stop = nullptr;      // ToolButton2
  QToolButton* settings = nullptr;  // ToolButton7
  QToolButton* all = nullptr;       // ToolButton3
  std::array<QToolButton*, 8> filters{};  // 1..7
  QLabel* panel20 = nullptr;
  QLabel* label5 = nullptr;
  QLabel* time_panel = nullptr;
  QLabel* ref_time_panel = nullptr;
  std::array<QLabel*, 6> counters{};  // Panel12, 13, 14, 15, 17, 19
  IconListView* icons = nullptr;  // ListView1
  LineList* recv_list = nullptr;
  LineList* syslog_list = nullptr;
  QSplitter* split = nullptr;  // PageControl1 on the left, Panel5 on the right
  QTabWidget* left_tabs = nullptr;
  GroupTabView* group_tab = nullptr;  // the tab "グループ"
  DeviceTreeView* device_tree = nullptr;  // tab "機器一覧"
  QTabWidget* right_tabs = nullptr;
  std::array<QLabel*, 5> status{};
  QWidget* temp_panel = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  App& app_;
  bool panes_laid_out_ = false;
};

}  // namespace zol
