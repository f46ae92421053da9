// The main window's life: creation, the deferred start-up, the clock,
// minimising into the tray, the settings button, closing and destruction.
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <unistd.h>

#include <algorithm>

#include "common/files.h"
#include "common/text.h"
#include "console/app.h"
#include "console/main_window.h"
#include "console/password_dialog.h"
#include "console/splash_window.h"
#include "monitor/debug_window.h"
#include "settings/settings_dialog.h"

namespace zol {

TimerHost* AppTimers(App& app) { return app.timers(); }

void MainWindow::LifeCycleSetUp() {
  Timer3.OnTimer = [this] { Timer3Timer(); };
  Timer5.OnTimer = [this] { Timer5Timer(); };
  TimePanel.SetHint("現在時刻");
  FormWSEvent1 = std::make_unique<FormWSEvent>(this);
  FormWSEvent1->OnMinimized = [this](FormWSEvent*, WindowState prev) { FormWSEvent1Minimized(prev); };
  FormWSEvent1->OnMaximized = [this](FormWSEvent*, WindowState prev) { FormWSEvent1Maximized(prev); };
  FormWSEvent1->OnRestored = [this](FormWSEvent*, WindowState prev) { FormWSEvent1Restored(prev); };
  Memo3.Assign({"監視登録データがありません。", "",
                "監視を行う機器の「状態通知機能」を有効にして監視開始ボタンを押してください。",
                "監視データを受信した場合、「G000 未登録グループ」に登録候補として入ります。", "", ""});
}

void MainWindow::FormCreate() {
  group_tab.GrpOkCount = 0;
  group_tab.GrpNgCount = 0;
  EditUnlocked = false;
  group_tab.CommandMode();
  app.detail_grid().StringGridSelectClear();
  PageControl2.SetActivePageIndex(0);
  Timer5.SetEnabled(true);
  ClientWidth = 800;
  ClientHeight = 640;
  PageControl1.SetActivePageIndex(0);
  AppTitle = "ZOL YAB V4";
  SetCaption(AppTitle);
  IniLoad();
  system_log.SysLogViewLoad();
  icons.KeyList.clear();
  tree_ops.Timer1.SetEnabled(false);
  tree_ops.Timer1.SetInterval(1500);
  tree_ops.Timer2.SetEnabled(false);
  tree_ops.Timer2.SetInterval(50);
  tree.TreeViewSetUp();
  system_log.SysLoging(1, "アプリの起動");
  MailCountDate = DateText(app.clock().Now());
  alerts.MailCount = 0;
  group_tab.grpListRef();
}

void MainWindow::PageControl1Change() { group_tab.cancelbtn(); }

void MainWindow::Timer3Timer() {
  Timer3.SetEnabled(false);
  app.Form4().SettingDataLoad();
  tree.ReStetingData();
  pcipcheck();
  if (AutoStart) monitoring.YabStart();
  if (WindowMode == 1) SetWindowState(WindowState::Minimized);
  else if (WindowMode == 2) SetWindowState(WindowState::Maximized);
  tree.TreeNodeRef();
  icons.IconDataCheck();
  bool registered = false;
  const Grid& table = app.Form4().StringGrid1;
  for (int r = 1; r <= 999 && !registered; ++r) registered = !table.Cell(1, r).empty();
  Memo3.Add("");
  Memo3.Add("・ローカル通知先センターIP       " + LocalIp);
  Memo3.Add("・ローカル通知先センターポート   " + std::to_string(UdpPort));
  if (!registered) {
    std::string text;
    for (size_t i = 0; i < Memo3.Count(); ++i) text += (i ? "\r\n" : "") + Memo3[i];
    app.boxes().Show(text, BoxKind::Info, BoxButtons::Ok);
  }
}

void MainWindow::pcipcheck() {
  char name[129] = {};
  if (gethostname(name, 128) != 0) return;
  const hostent* host = gethostbyname(name);
  if (host && host->h_addrtype == AF_INET && host->h_addr_list && host->h_addr_list[0]) {
    in_addr addr;
    std::copy(host->h_addr_list[0], host->h_addr_list[0] + sizeof addr, reinterpret_cast<char*>(&addr));
    LocalIp = inet_ntoa(addr);
  }
  app.Form8().Label2.SetCaption(LocalIp);
}

void MainWindow::Timer5Timer() {
  system_log.CloseIdleLogs();
  const DateTime now = app.clock().Now();
  TimePanel.SetCaption(DateText(now) + " " + TimeText(now));
  if (app.udp().LocalPort() != 0) monitoring.Label5.SetVisible(!monitoring.Label5.Visible());
  const std::string today = DateText(now);
  if (today != MailCountDate) {
    alerts.MailCount = 0;
    MailCountDate = today;
  }
}

void MainWindow::FormWSEvent1Minimized(WindowState) { Hide(); }

void MainWindow::FormWSEvent1Maximized(WindowState) { app.Form1().SavedWindowState = State(); }

void MainWindow::FormWSEvent1Restored(WindowState) { app.Form1().SavedWindowState = State(); }

void MainWindow::ToolButton7Click() {
  if (!EditAllowed(app)) return;
  monitoring.ButtonPushMode();
  monitoring.ToolButton7.SetEnabled(false);
  monitoring.ToolButton1.SetEnabled(false);
  receive.Panel21.SetVisible(false);
  app.Form8().EditShow();
}

bool MainWindow::FormClose() {
  // A write that failed keeps the window open; a settings file held since
  // the start cannot be written in this run, so after its box the close
  // goes on.
  if (!IniSave() && !IniFileHeld) return false;
  if (app.boxes().Show("終了してよろしいですか？", BoxKind::Confirm, BoxButtons::YesNo) != BoxResult::Yes) return false;
  monitoring.Timer4.SetEnabled(false);
  app.udp().SetLocalPort(0);
  Hide();
  app.Form1().Close();
  return true;
}

void MainWindow::FormDestroy() {
  if (Destroyed) return;
  Destroyed = true;
  system_log.SysLoging(2, "アプリの終了");
  tree_ops.Timer1.SetEnabled(false);
  tree_ops.Timer2.SetEnabled(false);
  Timer3.SetEnabled(false);
  monitoring.Timer4.SetEnabled(false);
  Timer5.SetEnabled(false);
  icons.KeyList.clear();
}

}  // namespace zol
