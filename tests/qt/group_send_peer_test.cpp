// A group send through the tab "グループ" of the real window (offscreen), on
// the program's own adapters (real clock, Qt pump and timers, the Qt telnet
// client), against the device simulator's telnet consoles on 127.0.0.1: one
// device per path of a run, then a short "@qm" run into a log folder that
// cannot be written.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "common/files.h"
#include "common/posix_clock.h"
#include "common/scramble.h"
#include "console/app.h"
#include "console/main_window.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "qt/adapters.h"
#include "qt/console_ui.h"
#include "qt/group_tab_view.h"
#include "qt/main_view.h"
#include "qt/mirror.h"
#include "qt/telnet_client.h"
#include "support/app_fixture.h"
#include "support/loopback.h"
#include "support/zolsim_peer.h"
#include "telnet/group_tab.h"
#include "real_services.h"
#include "wait_for.h"

namespace zol {
namespace {

using Lines = std::vector<std::string>;

// Device k of the simulator and what it does.
enum Device {
  kGood = 1,
  kWrongPassword,  // closes after the third wrong password
  kBusy,           // "Too many sessions", then closed
  kRefused,        // a port where nothing listens
  kNoBanner,
  kSilentMid,      // silent from the first script line on
  kNoAccept,       // never answers the connection
  kQm,             // "@qm" console: no password, "bye."
  kQmBusy,
  kDevices = kQmBusy,
};

struct GroupPeer : RealServices, AppFixture {
  GroupPeer() : AppFixture(Real()), ui(*app) {}
  ConsoleUi ui;
};

// The lines the simulator logged for device k, without its events.
Lines DeviceLines(const std::string& log, int k) {
  Lines out;
  std::istringstream in(log);
  std::string line;
  const std::string prefix = std::to_string(k) + " ";
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind(prefix, 0) != 0) continue;
    const std::string text = line.substr(prefix.size());
    if (!text.empty() && text[0] == '[') continue;
    out.push_back(text);
  }
  return out;
}

TEST(GroupSendRealPeer, ARunOverEveryKindOfDeviceThroughTheTab) {
  if (ZolSimPath().empty()) GTEST_SKIP() << "no zolsim program";
  TempDir logs;
  const std::string telnet_log = logs.File("telnet.log");
  const int udp_port = FreePort();
  ASSERT_GT(udp_port, 0);
  auto on = [](int k, const std::string& what) { return "0 " + std::to_string(k) + " " + what; };
  ZolSim sim(ZolSimPath(), {"--port", std::to_string(udp_port), "--rate", "0.01", "--duration", "300",
                            "--devices", std::to_string(kDevices), "--telnet-base", "0", "--telnet-log", telnet_log,
                            "--event", on(kBusy, "fault busy"), "--event", on(kNoBanner, "fault no-banner"),
                            "--event", on(kSilentMid, "fault silent-mid-script 1"),
                            "--event", on(kNoAccept, "fault no-accept"), "--event", on(kQm, "type qm"),
                            "--event", on(kQmBusy, "type qm"), "--event", on(kQmBusy, "fault busy")});
  int ports[kDevices + 1] = {0};
  for (int k = 1; k <= kDevices; ++k) {
    if (k != kRefused) {
      ASSERT_GT(ports[k] = sim.TelnetPort(k), 0) << k;
    }
  }
  ports[kRefused] = FreeTcpPort();

  GroupPeer peer;
  App& app = *peer.app;
  MainWindow& f = app.Form2();
  GroupTab& tab = f.group_tab;
  GroupTabView& view = *peer.ui.main().group_tab;
  Grid& table = app.Form4().StringGrid1;
  for (int k = 1; k <= kDevices; ++k) {
    table.SetCell(dtcol::MacAddress, k, "02:5A:3C:00:01:" + ZeroPad(k, 2));
    table.SetCell(dtcol::DeviceName, k, "機器" + std::to_string(k));
    table.SetCell(dtcol::GroupName, k, k >= kQm ? "G002 QM" : "G001 本社");
    table.SetCell(dtcol::ConnectInfo, k,
                  "telnet,127.0.0.1,80," + Scramble(k == kWrongPassword ? "wrong" : "kelpo", 1) + "," +
                      std::to_string(ports[k]) + ",0,1,1");
  }
  f.GrpTimeOut = 2000;
  f.LogDir = peer.dir.path();
  f.EditUnlocked = true;
  std::string err;
  const std::string script = peer.dir.File("script.txt");
  ASSERT_TRUE(WriteFileAtomic(script, CrLf({"@ZOL", "say one", "@wait 300", "/ comment", "say two", "CpuReset"}), &err));
  const std::string qm = peer.dir.File("qm.txt");
  ASSERT_TRUE(WriteFileAtomic(qm, CrLf({"@qm", "say qm"}), &err));
  f.GrpLastData[1] = "再起動," + script;
  f.GrpLastData[2] = "QM," + qm;
  tab.grpListRef();
  app.group_selector().items.Assign({"G001 本社", "G002 QM", "G000 未登録グループ"});
  app.group_selector().SetText("G001 本社");
  tab.ComboBoxEx2Refill();
  f.Show();  // the operator's clicks reach a window that is shown
  peer.ui.mirror().Poll();

  // The event loop runs while the engine waits for the unanswered connection.
  int ticks_while_connecting = 0;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    const Memo& log = tab.Memo2;
    if (log.Count() && log[log.Count() - 1].find("ID007 接続中") != std::string::npos) ++ticks_while_connecting;
  });
  ticker.start(100);

  view.file_btn->click();
  ASSERT_TRUE(tab.Panel30.Visible());
  peer.boxes.answers = {BoxResult::Yes};
  peer.ui.mirror().Poll();
  view.send_btn->click();
  ASSERT_TRUE(WaitFor([&] { return !peer.boxes.shown.empty() && peer.boxes.shown.back().text == "送信完了しました"; },
                      120000));
  EXPECT_GT(ticks_while_connecting, 0);

  auto result = [&](int k) {
    const std::string& cell = table.Cell(dtcol::GroupSendResult, k);
    return cell.size() > 20 ? cell.substr(20) : cell;
  };
  const struct {
    int device;
    const char* result;
  } expected[] = {{kGood, "○ 正常終了"},      {kWrongPassword, "× Password Error"}, {kBusy, "× 切断"},
                  {kRefused, "× タイムアウト"}, {kNoBanner, "× タイムアウト"},      {kSilentMid, "× タイムアウト"},
                  {kNoAccept, "× タイムアウト"}};
  const std::string dat = ReadAll(peer.dir.File("zolyab4.dat"));
  for (const auto& e : expected) {
    EXPECT_EQ(result(e.device), e.result) << e.device;
    EXPECT_NE(dat.find(table.Cell(dtcol::GroupSendResult, e.device)), std::string::npos) << e.device;
  }
  const Lines& log = tab.Memo2.All();
  ASSERT_GT(log.size(), 6u);
  EXPECT_EQ(log[0].substr(0, 11), "開始日時   ");
  EXPECT_EQ(log[1], "グループ   G001 本社");
  EXPECT_EQ(log[2], "対象数     7");
  EXPECT_EQ(log[3], "ファイル名 script.txt");
  EXPECT_EQ(log.back().substr(9), "終了 [成功 1 失敗 6]");
  const std::string end = f.GrpLastTimeE;
  ASSERT_EQ(end.size(), 19u);
  const std::string gs = peer.dir.File("gs" + end.substr(0, 4) + end.substr(5, 2) + end.substr(8, 2) +
                                       end.substr(11, 2) + end.substr(14, 2) + end.substr(17, 2) + ".log");
  EXPECT_EQ(ReadAll(gs), CrLf(log));
  Lines texts;
  for (const auto& b : peer.boxes.shown) texts.push_back(b.text);
  EXPECT_EQ(texts, (Lines{"G001 本社にコマンド送信します。よろしいですか？\r\rコマンド名称 : 再起動", "送信完了しました"}));
  // The window, once the operator looks at it, shows the end, the new
  // results and the counters.
  f.Show();
  peer.ui.mirror().Poll();
  EXPECT_TRUE(view.log->toPlainText().endsWith(QStringLiteral(u"終了 [成功 1 失敗 6]")));
  ASSERT_EQ(view.list->count(), 7);
  EXPECT_TRUE(view.list->item(0)->text().endsWith(QStringLiteral(u"○ 正常終了")));
  EXPECT_TRUE(view.send_btn->isEnabled());

  // --- A short "@qm" run; its log file cannot be written ---
  peer.boxes.shown.clear();
  f.LogDir = peer.dir.File("missing/folder");
  view.combo_ex2->activated(1);  // G002 QM: leaves send mode
  ASSERT_TRUE(tab.Panel25.Visible());
  tab.StringGrid1.SetRow(2);
  tab.StringGrid1Click();
  peer.ui.mirror().Poll();  // the buttons as the operator sees them
  view.file_btn->click();
  ASSERT_EQ(tab.CheckListBox1.Count(), 2u);
  peer.boxes.answers = {BoxResult::Yes};
  peer.ui.mirror().Poll();
  view.send_btn->click();
  ASSERT_TRUE(WaitFor([&] { return !peer.boxes.shown.empty() && peer.boxes.shown.back().text == "送信完了しました"; },
                      60000));
  EXPECT_EQ(result(kQm), "○ 正常終了");
  EXPECT_EQ(result(kQmBusy), "× 多重接続切断");
  ASSERT_EQ(peer.boxes.shown.size(), 3u);
  EXPECT_EQ(peer.boxes.shown[1].kind, BoxKind::Error);
  EXPECT_EQ(peer.boxes.shown[1].text.rfind(peer.dir.File("missing/folder/gs"), 0), 0u) << peer.boxes.shown[1].text;
  // The run still ended and the device file holds its results.
  EXPECT_EQ(tab.Panel27.Caption(), "送信完了");
  EXPECT_NE(ReadAll(peer.dir.File("zolyab4.dat")).find(table.Cell(dtcol::GroupSendResult, kQmBusy)),
            std::string::npos);

  // The simulator saw the script lines in order, without the directive and
  // the comment, and "cpureset" last; the "@qm" console its line and "bye.".
  sim.Stop();
  std::string text;
  ASSERT_TRUE(ReadFile(telnet_log, &text));
  // (Empty lines are the engine's nudges where a step sent nothing.)
  Lines good = DeviceLines(text, kGood);
  good.erase(std::remove(good.begin(), good.end(), std::string()), good.end());
  EXPECT_EQ(good, (Lines{"kelpo", "say one", "say two", "cpureset"}));
  const Lines qm_lines = DeviceLines(text, kQm);
  ASSERT_FALSE(qm_lines.empty());
  EXPECT_EQ(qm_lines.back(), "bye.");
  EXPECT_NE(std::find(qm_lines.begin(), qm_lines.end(), "say qm"), qm_lines.end());
  EXPECT_TRUE(DeviceLines(text, kNoAccept).empty());
}

}  // namespace
}  // namespace zol
