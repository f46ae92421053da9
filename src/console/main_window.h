// The main window (Form2): its life cycle, the console settings, its page
// controls, and the areas it is made of. Each area is a class of its own in
// the folder of the subsystem that owns its behaviour; the areas reach the
// settings and each other through the run's owner App (console/app.h), never
// through this header.
#pragma once

#include <memory>
#include <string>

#include "common/controls.h"
#include "common/platform.h"
#include "console/console_settings.h"
#include "console/detail_grid.h"
#include "console/device_tree.h"
#include "console/tree_operations.h"
#include "console/form_ws_event.h"
#include "monitor/change_detection.h"
#include "monitor/device_table.h"
#include "monitor/icon_view.h"
#include "monitor/item_state.h"
#include "monitor/monitoring.h"
#include "monitor/reception.h"
#include "monitor/system_log.h"
#include "telnet/group_tab.h"

namespace zol {

class App;
TimerHost* AppTimers(App& app);  // the run's timer host (for member timers)

class MainWindow : public Form, public ConsoleSettings {
 public:
  explicit MainWindow(App& app);

  App& app;

  // --- The areas (in the order they are built) ---
  Reception reception;          // status reception (monitor/reception.h)
  MonitorControls monitoring;   // monitoring controls, time-out scan (monitor/monitoring.h)
  ItemStates states;            // item state model (monitor/item_state.h)
  Alerts alerts;                // change detection and alerts (monitor/change_detection.h)
  IconView icons;               // icon view, filters, counters, status bar (monitor/icon_view.h)
  ReceiveView receive;          // receive list, update time, temperature panel (monitor/device_table.h)
  SystemLog system_log;         // system log view and the log writers (monitor/system_log.h)
  DeviceTree tree;              // device tree and group selector (console/device_tree.h)
  TreeOperations tree_ops{app}; // drag and drop, registration, popup menu (console/tree_operations.h)
  GroupTab group_tab{app};      // group tab "グループ": command entries, destinations, group send (telnet/group_tab.h)
  DetailGrid detail_grid;       // detail grid under the tree (console/detail_grid.h)

  // --- Main window life cycle (console/main_window_life.cpp) ---
  void FormCreate();
  void Timer3Timer();  // deferred start-up
  void pcipcheck();
  void Timer5Timer();  // the 500 ms clock
  void FormWSEvent1Minimized(WindowState prev);
  void FormWSEvent1Maximized(WindowState prev);
  void FormWSEvent1Restored(WindowState prev);
  void ToolButton7Click();  // "設定"
  // The operator switched PageControl1 between "機器一覧" and "グループ".
  void PageControl1Change();
  // The close request; true when the window closes (the program ends).
  bool FormClose();
  void FormDestroy();
  // Sets up the timers and the window-state component (at construction).
  void LifeCycleSetUp();

  std::string AppTitle;
  std::string LocalIp;
  std::string MailCountDate;
  int ClientWidth = 0, ClientHeight = 0;
  Panel TimePanel;  // "現在時刻"
  Memo Memo3;       // hint text of an empty device table
  PageControl PageControl1;  // 0 "機器一覧", 1 "グループ"
  PageControl PageControl2;  // 0 "アイコン表示", 1 "システムログ"
  Timer Timer3{AppTimers(app), 1, false};
  Timer Timer5{AppTimers(app), 500, false};
  std::unique_ptr<FormWSEvent> FormWSEvent1;
  bool Destroyed = false;

  // --- Settings file (console/console_settings.cpp) ---
  // Path of the settings file: the program's path with the extension
  // ".Ini", matched without regard to case in the program's folder.
  std::string IniFile;
  // Fills the console settings from the settings file (a step of the
  // window's creation); sets EditUnlocked and the filter buttons too.
  void IniLoad();
  // Writes every setting back; false (after the error box) when the file
  // cannot be written, and the caller stops there.
  bool IniSave();
  // The settings file was there at start but could not be read: the run
  // goes on with the defaults, and no save writes them over the file.
  bool IniFileHeld = false;

};

}  // namespace zol
