// Monitoring control (start, stop, restarting the receive clocks) and the
// time-out scan.
#include <cstdint>
#include <string>

#include "common/text.h"
#include "console/app.h"
#include "console/main_window.h"
#include "monitor/debug_window.h"
#include "monitor/system_log.h"

namespace zol {

namespace {

constexpr Color kRunningColor = 0x00FF00;  // "監視中"
constexpr Color kStoppedColor = 0x40C0FF;  // "停止"

// The receive clock: whole seconds of the 64-bit boot clock.
int64_t RecvClock(App& app) { return static_cast<int64_t>(app.clock().BootMillis() / 1000); }

}  // namespace

void MainWindow::ToolButton1Click() {
  YabStart();
  if (app.hooks.ListIconRef) app.hooks.ListIconRef();
}

void MainWindow::ToolButton2Click() { zolyab_stop(); }

void MainWindow::YabStart() {
  // The receiver is bound first: when the port cannot be opened nothing can
  // arrive, so monitoring does not start at all - no start line, no
  // "監視中", the scan stays off - and the operator is told why.
  const std::string reason = app.udp().SetLocalPort(UdpPort);
  if (!reason.empty()) {
    app.udp().SetLocalPort(0);
    app.boxes().Show("受信ポート " + std::to_string(UdpPort) + " を開けないため、監視を開始できません。\n" + reason,
                     BoxKind::Error, BoxButtons::Ok);
    return;
  }

  if (DebugShow) app.Form4().Show();
  SysLoging(kSysLogMonitorStart, "監視開始");
  for (std::string& entry : TempHistory) entry.clear();
  TempLabel.SetCaption("");
  Panel21.SetVisible(TempDevice != 0);
  ButtonPushMode();
  Panel20.SetFontColor(kRunningColor);
  Panel20.SetCaption("監視中");
  ToolButton7.SetEnabled(false);
  // The minutes setting is the scan period in milliseconds; 0 is no scan.
  if (!Timer4.OnTimer) Timer4.OnTimer = [this] { Timer4Timer(); };
  Timer4.SetInterval(TimeOutMin > 0 ? static_cast<uint32_t>(TimeOutMin) : 0);
  Timer4.SetEnabled(TimeOutMin > 0);
  ToolButton2.SetEnabled(true);
  ToolButton1.SetEnabled(false);
}

void MainWindow::zolyab_stop() {
  ButtonPushMode();
  SysLoging(kSysLogMonitorStop, "監視停止");
  Panel20.SetFontColor(kStoppedColor);
  Panel20.SetCaption("停止");
  ToolButton7.SetEnabled(true);
  Timer4.SetEnabled(false);
  app.udp().SetLocalPort(0);
  ToolButton1.SetEnabled(true);
  ToolButton2.SetEnabled(false);
  app.Form4().SettingDataSave();
  Label5.SetVisible(false);
}

void MainWindow::ButtonPushMode() {
  Grid& table = app.Form4().StringGrid1;
  const std::string now = std::to_string(RecvClock(app));
  for (int r = 1; r <= 999; ++r) {
    if (!table.Cell(20, r).empty()) table.SetCell(20, r, now);
  }
  if (app.hooks.CloseDialogs) app.hooks.CloseDialogs();
}

void MainWindow::Timer4Timer() {
  Grid& table = app.Form4().StringGrid1;
  const size_t count = ListView1.Count();
  int pending = 0;
  for (size_t idx = 0; idx < count; ++idx) {
    // A rebuild inside the pass can leave fewer icons than it counted.
    if (idx >= ListView1.Count()) break;
    const IconItem& icon = ListView1.Item(idx);
    const int r = DecimalOr(Copy(icon.key, 1, 4), 0);
    if (pending != 0 && r != pending) {
      app.Form4().eMailSend1(pending);
      pending = 0;
    }
    const int i = DecimalOr(Copy(icon.key, 6, 4), 0);
    int64_t tick = DecimalOr(table.Cell(20, r), 0);
    if (TimeOutMin == 0 || icon.image >= 8) tick = 0;
    if (tick > 0 && tick < RecvClock(app) - static_cast<int64_t>(TimeOutMin) * 60) {
      pending = r;
      ListDataCheck(r, i);
      IconReStetingData();
      IconDataCheck();
    }
  }
  if (pending != 0) app.Form4().eMailSend1(pending);
}

}  // namespace zol
