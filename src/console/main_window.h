// The main window (Form2): the console settings, the monitoring controls,
// the icon view, the receive list and the system log view. Its handlers are
// implemented in the files of the subsystem that owns each behaviour (see
// the comments at each group).
#pragma once

#include <array>
#include <string>
#include <vector>

#include "common/controls.h"
#include "common/platform.h"
#include "console/console_settings.h"

namespace zol {

class App;

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

  // --- Device tree and groups ---
  // Group selector above the tree: its items are the group list, saved in
  // the group list file. Disabled until the data files are loaded.
  ComboBox ComboBoxEx1;
};

}  // namespace zol
