// Monitoring control (start, stop, restarting the receive clocks) and the
// time-out scan.
#include "monitor/monitoring.h"

#include <cerrno>
#include <cstdint>
#include <string>

#include "common/files.h"
#include "common/text.h"
#include "console/app.h"
#include "console/console_settings.h"
#include "console/device_tree.h"
#include "monitor/change_detection.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "monitor/icon_view.h"
#include "monitor/item_state.h"
#include "monitor/system_log.h"

namespace zol {

namespace {

constexpr Color kRunningColor = 0x00FF00;  // "監視中"
constexpr Color kStoppedColor = 0x40C0FF;  // "停止"

}  // namespace

MonitorControls::MonitorControls(App& a) : app(a), Timer4(a.timers(), 2000, false) {
  ToolButton1.SetHint("監視開始");
  ToolButton2.SetHint("監視停止");
  ToolButton2.SetEnabled(false);
  ToolButton7.SetHint("設定");
  Panel20.SetCaption("停止");
  Panel20.SetFontColor(kStoppedColor);
  Label5.SetCaption("●");
  Label5.SetVisible(false);
}

void MonitorControls::ToolButton1Click() {
  YabStart();
  app.tree().ListIconRef();
}

void MonitorControls::ToolButton2Click() { zolyab_stop(); }

void MonitorControls::YabStart() {
  const ConsoleSettings& settings = app.settings();
  const int UdpPort = settings.UdpPort;
  const int TimeOutMin = settings.TimeOutMin;
  ReceiveView& receive = app.receive_view();
  // The receiver is bound first: when the port cannot be opened nothing can
  // arrive, so monitoring does not start at all - no start line, no
  // "監視中", the scan stays off - and the operator is told why.
  // Port 0 would mean "unbound", so a setting outside 1..65535 is refused
  // here like any other port that cannot be opened.
  const std::string reason = (UdpPort < 1 || UdpPort > 65535) ? SystemReason(EINVAL)
                                                               : app.udp().SetLocalPort(UdpPort);
  if (!reason.empty()) {
    app.udp().SetLocalPort(0);
    app.boxes().Show("受信ポート " + std::to_string(UdpPort) + " を開けないため、監視を開始できません。\n" + reason,
                     BoxKind::Error, BoxButtons::Ok);
    return;
  }

  if (settings.DebugShow) app.Form4().Show();
  app.system_log().SysLoging(kSysLogMonitorStart, "監視開始");
  for (std::string& entry : receive.TempHistory) entry.clear();
  receive.TempLabel.SetCaption("");
  receive.Panel21.SetVisible(settings.TempDevice != 0);
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

void MonitorControls::zolyab_stop() {
  ButtonPushMode();
  app.system_log().SysLoging(kSysLogMonitorStop, "監視停止");
  Panel20.SetFontColor(kStoppedColor);
  Panel20.SetCaption("停止");
  ToolButton7.SetEnabled(true);
  Timer4.SetEnabled(false);
  app.udp().SetLocalPort(0);
  ToolButton1.SetEnabled(true);
  ToolButton2.SetEnabled(false);
  // A save error has shown its box and ends the stop here.
  if (!app.Form4().SettingDataSave()) return;
  Label5.SetVisible(false);
}

void MonitorControls::ButtonPushMode() {
  Grid& table = app.Form4().StringGrid1;
  const std::string now = std::to_string(ReceiveClock(app.clock()));
  for (int r = 1; r <= 999; ++r) {
    if (!table.Cell(dtcol::RecvTick, r).empty()) table.SetCell(dtcol::RecvTick, r, now);
  }
  app.CloseDialogs();
}

void MonitorControls::Timer4Timer() {
  if (!app.icons().PlainRoad &&
      !timeouts.MayFire(app.Form4().StringGrid1, app.icons(), app.settings().TimeOutMin, ReceiveClock(app.clock())))
    return;
  ScanIcons();
}

void MonitorControls::ScanIcons() {
  Grid& table = app.Form4().StringGrid1;
  IconView& icons = app.icons();
  IconList& ListView1 = icons.ListView1;
  const int TimeOutMin = app.settings().TimeOutMin;
  // Each timed-out device's mail is handed to mail sending and the scan
  // goes on with the next icon at once.
  const size_t count = ListView1.Count();
  int pending = 0;
  for (size_t idx = 0; idx < count; ++idx) {
    // A rebuild inside the pass can leave fewer icons than it counted: the
    // pass ends at the current last icon.
    if (idx >= ListView1.Count()) break;
    const std::string key = ListView1.Item(idx).key;
    const int image = ListView1.Item(idx).image;
    const int r = DecimalOr(Copy(key, 1, 4), 0);
    if (pending != 0 && r != pending) {
      app.Form4().eMailSend1(pending);
      pending = 0;
    }
    const int i = DecimalOr(Copy(key, 6, 4), 0);
    int64_t tick = DecimalOr(table.Cell(dtcol::RecvTick, r), 0);
    if (TimeOutMin == 0 || image >= kImageTimeOut) tick = 0;
    if (tick > 0 && tick < ReceiveClock(app.clock()) - static_cast<int64_t>(TimeOutMin) * 60) {
      if (pending == 0) app.alerts().MailBodyClear();
      pending = r;
      app.alerts().ListDataCheck(r, i);
      icons.IconReStetingData();
      icons.IconDataCheck();
    }
  }
  if (pending != 0) app.Form4().eMailSend1(pending);
}

}  // namespace zol
