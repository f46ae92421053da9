// The monitoring controls of the main window: the start, stop and settings
// buttons, the state panel with its receive indicator, and the time-out
// scan. Starting and stopping monitoring, restarting the receive clocks.
#pragma once

#include "common/controls.h"
#include "common/platform.h"

namespace zol {

class App;

class MonitorControls {
 public:
  explicit MonitorControls(App& app);

  App& app;

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
  Button ToolButton7;  // "設定" (its click is the main window's)
  Panel Panel20;       // "停止" / "監視中"
  Label Label5;        // receive indicator "●"
  Timer Timer4;        // time-out scan
};

}  // namespace zol
