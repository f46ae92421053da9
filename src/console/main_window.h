// The main window (Form2): the console settings, the monitoring controls,
// the icon view, the receive list and the system log view. Its handlers are
// implemented in the files of the subsystem that owns each behaviour (see
// the comments at each group).
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "common/controls.h"
#include "common/platform.h"
#include "console/console_settings.h"
#include "console/form_ws_event.h"

namespace zol {

class App;
TimerHost* AppTimers(App& app);  // the run's timer host (for member timers)

class MainWindow : public Form, public ConsoleSettings {
 public:
  explicit MainWindow(App& app);

  App& app;

  // --- Status reception (monitor/reception.cpp) ---
  void NMUDP1DataReceived(const std::string& bytes, const std::string& from_ip, int port);
  void oldZolDataCnv(const std::string& bytes);

  // --- Monitoring controls ---
  Button ToolButton1;  // "監視開始"
  Button ToolButton2;  // "監視停止"
  Button ToolButton7;  // "設定"
  Panel Panel20;       // "停止" / "監視中"
  Label Label5;        // receive indicator "●"
  Timer Timer4;        // time-out scan

  // --- Icon view ---
  IconList ListView1;
  std::vector<std::string> KeyList;
  Button ToolButton3;  // "ALL"
  std::array<Button, 8> ToolButtonChk;  // index 1..7 = ToolButtonChk1..7
  Panel Panel12, Panel13, Panel14, Panel15, Panel17, Panel19;  // header counters
  StatusBar StatusBar1{5};
  Panel Panel21;    // temperature panel
  Label TempLabel;  // charted device's temperature
  Panel RefTimePanel;  // "更新時刻"

  // --- Receive list and system log view ---
  ListBox ListBox1;  // receive list, 20 newest on top
  ListBox ListBox2;  // system log view, 100 newest on top

  // Temperature history of the charted device, index 0 newest.
  std::array<std::string, 100> TempHistory;

  // Notice mails sent today.
  int MailCount = 0;

  // --- Main window life cycle (console/main_window_life.cpp) ---
  void FormCreate();
  void Timer3Timer();  // deferred start-up
  void pcipcheck();
  void Timer5Timer();  // the 500 ms clock
  void FormWSEvent1Minimized(WindowState prev);
  void FormWSEvent1Maximized(WindowState prev);
  void FormWSEvent1Restored(WindowState prev);
  void ToolButton7Click();  // "設定"
  void StringGridSelectClear();
  // The close request; true when the window closes (the program ends).
  bool FormClose();
  void FormDestroy();
  // Creation step 8: the newest lines of today's system log file.
  void SysLogViewLoad();
  // Sets up the timers and the window-state component (at construction).
  void LifeCycleSetUp();

  std::string AppTitle;
  std::string LocalIp;
  std::string MailCountDate;
  int GrpOkCount = 0, GrpNgCount = 0;
  int ClientWidth = 0, ClientHeight = 0;
  Panel TimePanel;  // "現在時刻"
  Memo Memo3;       // hint text of an empty device table
  PageControl PageControl1;  // 0 "機器一覧", 1 "グループ"
  PageControl PageControl2;  // 0 "アイコン表示", 1 "システムログ"
  Timer Timer1{AppTimers(app), 1500, false};
  Timer Timer2{AppTimers(app), 50, false};
  Timer Timer3{AppTimers(app), 1, false};
  Timer Timer5{AppTimers(app), 500, false};
  std::unique_ptr<FormWSEvent> FormWSEvent1;
  bool Destroyed = false;
};

}  // namespace zol
