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
#include <utility>
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
#include "monitor/monitoring.h"
#include "telnet/device_editor.h"
#include "telnet/group_tab.h"
#include "telnet/transcript.h"
#include "zolsim/datagram.h"
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

// The simulator's arguments: devices with telnet consoles on free ports,
// datagrams now and then to udp_port, the consoles' log, and events of the
// form (device, verb and arguments) from the start.
std::vector<std::string> SimArgs(int udp_port, int devices, const std::string& telnet_log,
                                 const std::vector<std::pair<int, std::string>>& events) {
  std::vector<std::string> args{"--port", std::to_string(udp_port), "--rate", "0.01", "--duration", "300",
                                "--devices", std::to_string(devices), "--telnet-base", "0",
                                "--telnet-log", telnet_log};
  for (const auto& e : events) {
    args.push_back("--event");
    args.push_back("0 " + std::to_string(e.first) + " " + e.second);
  }
  return args;
}

// Registers device k of a group with its telnet password and port.
void RegisterDevice(Grid& table, int k, const std::string& mac_prefix, const std::string& group,
                    const std::string& password, int port) {
  table.SetCell(dtcol::MacAddress, k, mac_prefix + ZeroPad(k, 2));
  table.SetCell(dtcol::DeviceName, k, "機器" + std::to_string(k));
  table.SetCell(dtcol::GroupName, k, group);
  table.SetCell(dtcol::ConnectInfo, k,
                "telnet,127.0.0.1,80," + Scramble(password, 1) + "," + std::to_string(port) + ",0,1,1");
}

// The result of device k after its date and time.
std::string ResultOf(const Grid& table, int k) {
  const std::string& cell = table.Cell(dtcol::GroupSendResult, k);
  return cell.size() > 20 ? cell.substr(20) : cell;
}

// The send log file of a run that ended at end ("yyyy/mm/dd hh:nn:ss").
std::string SendLogFile(const TempDir& dir, const std::string& end) {
  return dir.File("gs" + end.substr(0, 4) + end.substr(5, 2) + end.substr(8, 2) + end.substr(11, 2) +
                  end.substr(14, 2) + end.substr(17, 2) + ".log");
}

// "ファイル指定" with the selected entry, "送信開始" answered Yes: true when
// the run ended ("送信完了しました") within limit_ms.
bool SendAndWait(GroupPeer& peer, int limit_ms) {
  GroupTabView& view = *peer.ui.main().group_tab;
  view.file_btn->click();
  if (!peer.app->Form2().group_tab.Panel30.Visible()) return false;
  peer.boxes.answers = {BoxResult::Yes};
  peer.ui.mirror().Poll();
  view.send_btn->click();
  return WaitFor([&] { return !peer.boxes.shown.empty() && peer.boxes.shown.back().text == "送信完了しました"; },
                 limit_ms);
}

Lines BoxTexts(const FakeMessageBoxes& boxes) {
  Lines texts;
  for (const auto& b : boxes.shown) texts.push_back(b.text);
  return texts;
}

TEST(GroupSendRealPeer, ARunOverEveryKindOfDeviceThroughTheTab) {
  if (ZolSimPath().empty()) GTEST_SKIP() << "no zolsim program";
  TempDir logs;
  const std::string telnet_log = logs.File("telnet.log");
  const int udp_port = FreePort();
  ASSERT_GT(udp_port, 0);
  ZolSim sim(ZolSimPath(), SimArgs(udp_port, kDevices, telnet_log,
                                   {{kBusy, "fault busy"}, {kNoBanner, "fault no-banner"},
                                    {kSilentMid, "fault silent-mid-script 1"}, {kNoAccept, "fault no-accept"},
                                    {kQm, "type qm"}, {kQmBusy, "type qm"}, {kQmBusy, "fault busy"}}));
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
    RegisterDevice(table, k, "02:5A:3C:00:01:", k >= kQm ? "G002 QM" : "G001 本社",
                   k == kWrongPassword ? "wrong" : "kelpo", ports[k]);
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

  ASSERT_TRUE(SendAndWait(peer, 120000));
  EXPECT_GT(ticks_while_connecting, 0);

  auto result = [&](int k) { return ResultOf(table, k); };
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
  EXPECT_EQ(ReadAll(SendLogFile(peer.dir, end)), CrLf(log));
  EXPECT_EQ(BoxTexts(peer.boxes), (Lines{"G001 本社にコマンド送信します。よろしいですか？\r\rコマンド名称 : 再起動", "送信完了しました"}));
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

// Consoles that never end their session by themselves in one run among
// good ones: every session ends within its bound, the good devices succeed,
// the run writes its log file and the device file, and the console keeps
// receiving datagrams and showing the progress meanwhile.
TEST(GroupSendRealPeer, ARunWithConsolesThatNeverEndTheirSessionsEnds) {
  if (ZolSimPath().empty()) GTEST_SKIP() << "no zolsim program";
  enum Peer { kFirst = 1, kTrickle, kFlood, kPromptOnClose, kNoRead, kLast, kPeers = kLast };
  TempDir logs;
  const std::string telnet_log = logs.File("telnet.log");
  const int udp_port = FreePort();
  ASSERT_GT(udp_port, 0);
  ZolSim sim(ZolSimPath(), SimArgs(udp_port, kPeers, telnet_log,
                                   {{kTrickle, "fault trickle"}, {kFlood, "fault flood"},
                                    {kPromptOnClose, "fault prompt-on-close"}, {kNoRead, "fault no-read"}}));
  int ports[kPeers + 1] = {0};
  for (int k = 1; k <= kPeers; ++k) ASSERT_GT(ports[k] = sim.TelnetPort(k), 0) << k;

  GroupPeer peer;
  App& app = *peer.app;
  MainWindow& f = app.Form2();
  GroupTab& tab = f.group_tab;
  GroupTabView& view = *peer.ui.main().group_tab;
  Grid& table = app.Form4().StringGrid1;
  for (int k = 1; k <= kPeers; ++k) RegisterDevice(table, k, "02:5A:3C:00:02:", "G001 本社", "kelpo", ports[k]);
  f.GrpTimeOut = 5000;
  f.LogDir = peer.dir.path();
  f.EditUnlocked = true;
  std::string err;
  const std::string script = peer.dir.File("script.txt");
  ASSERT_TRUE(WriteFileAtomic(script, CrLf({"@ZOL", "say one", "say two"}), &err));
  f.GrpLastData[1] = "確認," + script;
  tab.grpListRef();
  app.group_selector().items.Assign({"G001 本社", "G000 未登録グループ"});
  app.group_selector().SetText("G001 本社");
  tab.ComboBoxEx2Refill();
  // Monitoring runs: datagrams keep coming in during the run.
  app.monitoring().ToolButton1Click();
  peer.ui.mirror().Poll();

  // Every 100 ms a datagram arrives and what the tab shows is looked at.
  const sim::Bytes sample = sim::SampleDatagram();
  const std::string datagram(sample.begin(), sample.end());
  int received_during_flood = 0;
  bool progress_seen = false;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    const uint64_t before = app.Form4().Memo1.Revision();
    peer.udp.Deliver(datagram);
    peer.ui.mirror().Poll();
    const Memo& log = tab.Memo2;
    if (!log.Count()) return;
    const std::string& last = log[log.Count() - 1];
    if (last.find("ID003 送信中") != std::string::npos && app.Form4().Memo1.Revision() != before) ++received_during_flood;
    if (last.find("ID003 送信中") != std::string::npos && view.log->toPlainText().contains(QStringLiteral("ID003")))
      progress_seen = true;
  });
  ticker.start(100);

  f.Show();
  ASSERT_TRUE(SendAndWait(peer, 150000));
  ticker.stop();

  auto result = [&](int k) { return ResultOf(table, k); };
  const struct {
    int device;
    const char* result;
  } expected[] = {{kFirst, "○ 正常終了"},  {kTrickle, "× タイムアウト"},      {kFlood, "× タイムアウト"},
                  {kPromptOnClose, "○ 正常終了"}, {kNoRead, "× 切断"}, {kLast, "○ 正常終了"}};
  const std::string dat = ReadAll(peer.dir.File("zolyab4.dat"));
  for (const auto& e : expected) {
    EXPECT_EQ(result(e.device), e.result) << e.device;
    EXPECT_NE(dat.find(table.Cell(dtcol::GroupSendResult, e.device)), std::string::npos) << e.device;
  }
  const Lines& log = tab.Memo2.All();
  EXPECT_EQ(log.back().substr(9), "終了 [成功 3 失敗 3]");
  const std::string end = f.GrpLastTimeE;
  ASSERT_EQ(end.size(), 19u);
  EXPECT_EQ(ReadAll(SendLogFile(peer.dir, end)), CrLf(log));
  EXPECT_EQ(BoxTexts(peer.boxes), (Lines{"監視中の場合、不安定になることがあります。",
                          "G001 本社にコマンド送信します。よろしいですか？\r\rコマンド名称 : 確認", "送信完了しました"}));
  peer.ui.mirror().Poll();
  EXPECT_TRUE(view.send_btn->isEnabled());
  EXPECT_GT(received_during_flood, 10);
  EXPECT_TRUE(progress_seen);
  // The transcript of the flood stayed a bounded tail.
  EXPECT_LE(app.Form5().Memo2.Count(),
            Transcript::kMaxLines + Transcript::kSlackLines + 16 * 16384 / Transcript::kLineBytes + 1);

  // The closing command went to each device once.
  sim.Stop();
  std::string text;
  ASSERT_TRUE(ReadFile(telnet_log, &text));
  const Lines prompt_on_close = DeviceLines(text, kPromptOnClose);
  EXPECT_EQ(std::count(prompt_on_close.begin(), prompt_on_close.end(), "q"), 1);
  const Lines first = DeviceLines(text, kFirst);
  EXPECT_EQ(std::count(first.begin(), first.end(), "q"), 1);
  app.monitoring().ToolButton2Click();
}

}  // namespace
}  // namespace zol
