// The main window (Form2): the console settings, the monitoring controls,
// the icon view, the receive list and the system log view. Its handlers are
// implemented in the files of the subsystem that owns each behaviour (see
// the comments at each group).
#pragma once

#include <array>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/controls.h"
#include "common/platform.h"
#include "console/console_settings.h"
#include "console/device_tree.h"
#include "console/form_ws_event.h"

namespace zol {

class App;
struct ItemRow;
TimerHost* AppTimers(App& app);  // the run's timer host (for member timers)

class MainWindow : public Form, public ConsoleSettings {
 public:
  explicit MainWindow(App& app);

  App& app;

  // --- Status reception (monitor/reception.cpp) ---
  void NMUDP1DataReceived(const std::string& bytes, const std::string& from_ip, int port);
  void oldZolDataCnv(const std::string& bytes);

  // --- Monitoring controls (monitor/monitoring.cpp) ---
  void YabStart();
  void zolyab_stop();
  void ToolButton1Click();
  void ToolButton2Click();
  // Restarts the receive clock of every device that has one and closes the
  // dialogs.
  void ButtonPushMode();
  // The time-out scan.
  void Timer4Timer();
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
  // (monitor/icon_view.cpp)
  void IconReStetingData();
  void IconDataCheck();
  void ListDataNew(int row, int outlet);
  void ListDataDel(int row, int outlet);
  void LvIconClk();
  void ListView1SelectItem();
  void ListView1Click();
  void ListView1DblClick();
  void ToolButton3Click();
  void ToolButtonChk1Click();
  void ToolButtonChk2Click();
  void ToolButtonChk3Click();
  void ToolButtonChk4Click();
  void ToolButtonChk5Click();
  void ToolButtonChk6Click();
  void ToolButtonChk7Click();
  void BitBtn1Click();  // chart button
  // The first icon of the item (row, outlet), -1 for none. Backed by an
  // index from key to icon so that a rebuild stays linear; icons are added
  // and removed only by IconReStetingData, ListDataNew and ListDataDel.
  int FindIcon(int row, int outlet);
  // Row and outlet of each icon's key, in icon order (the first icons of
  // the view); a binary search serves while they ascend, as a rebuild
  // leaves them.
  std::vector<std::pair<int, int>> IconIndex;
  bool IconIndexSorted = true;
  // ListDataNew and ListDataCheck on a row whose cells were looked up once,
  // with the item's ItemState code already computed from it (the rebuild
  // evaluates every outlet of a row from one lookup).
  void ListDataNew(const ItemRow& row, int outlet, const std::string& code);
  void ListDataCheck(const ItemRow& row, int outlet, const std::string& code);

  // --- Item state model (monitor/item_state.cpp) ---
  std::string ItemState(int row, int outlet);
  std::string StateImageText(int image, int row);
  std::string ItemStateTriple(int row, int outlet);

  // --- Change detection and alerts (monitor/change_detection.cpp) ---
  void ListDataCheck(int row, int outlet);
  void Soundplay(int kind);
  // The collected notice lines, one entry per device in the order the
  // devices raised their first line; each device gets its own mail.
  struct DeviceMail {
    int row = 0;
    std::vector<std::string> lines;
  };
  std::vector<DeviceMail> MailBody;
  void MailBodyAdd(int row, const std::string& line);
  // The "empty the mail body" step before a device's items are evaluated:
  // with mail sending off the collected lines are dropped; with it on they
  // stay until they are sent.
  void MailBodyClear();

  // --- Receive list and system log view ---
  ListBox ListBox1;  // receive list, 20 newest on top
  ListBox ListBox2;  // system log view, 100 newest on top

  // --- System log (monitor/system_log.cpp) ---
  // Writes one system log line into the view (100 newest on top) and, when
  // saving is on, into today's system log file; nothing when the log is off.
  void SysLoging(int code, const std::string& text);
  // Appends the CSV line of one outlet of a device row to the bare file
  // name in the log folder.
  void logdatasave(const std::string& file, int row, int outlet);
  // Appends line + CR LF to path (open, append, close); errors lose the line.
  void LogSave(const std::string& path, const std::string& line);
  // Fills the view from today's system log file, newest first, at most 100
  // lines; called once while the window is created, before the start line.
  void SysLogViewLoad();

  // Temperature history of the charted device, index 0 newest.
  std::array<std::string, 100> TempHistory;
  // Device row shown in the detail window, 0 for none.
  int DetailDevice = 0;

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
  DeviceTree Tree{app, ComboBoxEx1};  // TreeView1 (console/device_tree.cpp)
};

}  // namespace zol
