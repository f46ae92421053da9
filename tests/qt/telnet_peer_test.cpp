// The session engine on the program's own adapters (real clock, Qt pump and
// timers, the Qt telnet client) against the device simulator over
// 127.0.0.1: one device per path, each with its option or fault.
#include <gtest/gtest.h>

#include <QTest>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "common/files.h"
#include "common/posix_clock.h"
#include "common/scramble.h"
#include "common/text.h"
#include "console/app.h"
#include "console/console_settings.h"
#include "console/device_window.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "qt/adapters.h"
#include "qt/telnet_client.h"
#include "support/app_fixture.h"
#include "support/loopback.h"
#include "support/zolsim_peer.h"
#include "telnet/device_editor.h"
#include "telnet/group_tab.h"
#include "real_services.h"
#include "wait_for.h"

namespace zol {
namespace {

using Lines = std::vector<std::string>;

// Device k of the simulator and what it does differently.
enum Device {
  kPlain = 1,
  kUser,
  kBusy,
  kNoAccept,
  kSplit,
  kEcho,
  kCloseMid,
  kBusyOpen,
  kBannerOnly,
  kSlow,
  kSilentMid,
  kIgnoreClose,
  kClosingReply,
  kWrongPassword,
  kDevices = kWrongPassword,
  kRefused = 15,  // a port where nothing listens
};

struct RealPeer : RealServices, AppFixture {
  RealPeer() : AppFixture(Real()) {
    app->settings().GrpTimeOut = 2000;
    app->settings().LogDir = dir.path();
  }

  void Register(int row, int port, const std::string& password) {
    Grid& t = app->Form4().StringGrid1;
    t.SetCell(dtcol::MacAddress, row, "02:5A:3C:00:00:" + std::to_string(10 + row));
    t.SetCell(dtcol::ConnectInfo, row,
              "telnet,127.0.0.1,80," + Scramble(password, 1) + "," + std::to_string(port) + ",0,1,1");
  }
  // An outlet command, waited for until the device window's switch buttons
  // come back.
  void Outlet(int row, const std::string& password) {
    DeviceWindow& window = app->Form7();
    window.ControlEnabled = true;
    window.btnmask(0);
    app->Form5().SessionPassword = password;
    app->Form5().tenletcnt(1, "PON1", row);
    const bool back = WaitFor([&] { return window.BitBtn7.Enabled(); }, 15000);
    EXPECT_TRUE(back) << row;
    if (back) ++outlet_ends;
  }
  std::string Result(int row) {
    const std::string& cell = app->Form4().StringGrid1.Cell(dtcol::GroupSendResult, row);
    return cell.size() > 20 ? cell.substr(20) : cell;
  }

  int outlet_ends = 0;  // outlet commands whose end gave the buttons back
};

TEST(TelnetRealPeer, EveryPathAgainstTheSimulator) {
  if (ZolSimPath().empty()) GTEST_SKIP() << "no zolsim program";
  TempDir logs;
  const std::string telnet_log = logs.File("telnet.log");
  const int udp_port = FreePort();
  ASSERT_GT(udp_port, 0);
  auto on = [](int k, const std::string& what) { return "0 " + std::to_string(k) + " " + what; };
  ZolSim sim(ZolSimPath(), {"--port", std::to_string(udp_port), "--rate", "0.01", "--duration", "300", "--devices",
                  std::to_string(kDevices), "--telnet-base", "0", "--telnet-log", telnet_log,
                  "--event", on(kUser, "user admin"), "--event", on(kNoAccept, "fault no-accept"),
                  "--event", on(kSplit, "fault split-replies 300"), "--event", on(kEcho, "echo on"),
                  "--event", on(kCloseMid, "fault close-mid-script 1"), "--event", on(kBusyOpen, "fault busy-open"),
                  "--event", on(kBannerOnly, "fault banner-only"), "--event", on(kSlow, "fault slow 300"),
                  "--event", on(kSilentMid, "fault silent-mid-script 1"),
                  "--event", on(kIgnoreClose, "fault ignore-close"),
                  "--event", on(kClosingReply, "closing-reply CPU reset."),
                  "--event", on(kWrongPassword, "password-tries 0")});
  int ports[kRefused + 1] = {0};
  for (int k = 1; k <= kDevices; ++k) ASSERT_GT(ports[k] = sim.TelnetPort(k), 0) << k;
  ports[kRefused] = FreeTcpPort();

  RealPeer peer;
  for (int k = 1; k <= kRefused; ++k) peer.Register(k, ports[k], k == kWrongPassword ? "wrong" : "kelpo");
  DeviceEditor& form5 = peer.app->Form5();

  // --- Outlet commands and the identity read ---
  peer.Outlet(kPlain, "kelpo");
  peer.Outlet(kUser, "kelpo@admin");
  EXPECT_TRUE(peer.boxes.shown.empty()) << peer.boxes.shown[0].text;

  {
    // A session held open by someone else makes the device busy.
    QtTelnetClient other;
    ASSERT_TRUE(other.Connect("127.0.0.1", ports[kBusy]));
    peer.Outlet(kBusy, "kelpo");
  }
  peer.Outlet(kNoAccept, "kelpo");
  peer.Outlet(kRefused, "kelpo");
  EXPECT_EQ(peer.outlet_ends, 5);

  form5.Panel33.SetCaption("127.0.0.1");
  form5.Edit12.SetText(std::to_string(ports[kSplit]));
  form5.MaskEdit1.SetText("kelpo");
  form5.Panel20.SetCaption("2");
  peer.boxes.answers = {BoxResult::Yes};
  form5.BitBtn3Click();
  ASSERT_TRUE(WaitFor([&] { return form5.BitBtn3.Enabled(); }, 15000));

  Lines texts;
  for (const auto& b : peer.boxes.shown) texts.push_back(b.text);
  // A reply whose closing quote comes late reads as empty.
  EXPECT_EQ(texts, (Lines{"接続が切断されました。", "接続が出来ませんでした", "接続が出来ませんでした",
                          "下記の情報を設定に入力しますか？\r\r機器名称 : \r\rアウトレット1:\rアウトレット2:\r"}));

  // --- A group run over the other devices ---
  peer.boxes.shown.clear();
  GroupTab& group = peer.app->group_tab();
  form5.Memo1.Assign({"@zol", "say hello", "cpureset"});
  form5.ScriptType = 0;
  const int run[] = {kEcho, kCloseMid, kBusyOpen, kBannerOnly, kSlow, kSilentMid, kIgnoreClose, kClosingReply, kWrongPassword};
  group.SendQueue = std::to_string(std::size(run)) + ",1";
  for (int k : run) group.SendQueue += "," + ZeroPad(k, 3);
  form5.tenletcnt(2, "", group.GroupQueue(0));
  ASSERT_TRUE(WaitFor([&] { return !peer.boxes.shown.empty(); }, 150000));
  EXPECT_EQ(peer.boxes.shown[0].text, "送信完了しました");

  EXPECT_EQ(peer.Result(kEcho), "○ 正常終了");
  EXPECT_EQ(peer.Result(kCloseMid), "× 切断");
  EXPECT_EQ(peer.Result(kBusyOpen), "× タイムアウト");
  EXPECT_EQ(peer.Result(kBannerOnly), "× タイムアウト");
  EXPECT_EQ(peer.Result(kSlow), "○ 正常終了");
  EXPECT_EQ(peer.Result(kSilentMid), "× タイムアウト");
  EXPECT_EQ(peer.Result(kIgnoreClose), "○ 正常終了");
  EXPECT_EQ(peer.Result(kClosingReply), "○ 正常終了");
  EXPECT_EQ(peer.Result(kWrongPassword), "× Password Error");
  EXPECT_EQ(group.Memo2.All().back().substr(9), "終了 [成功 4 失敗 5]");

  // The simulator saw what the engine sent, and the client's answers.
  sim.Stop();
  std::string text;
  ASSERT_TRUE(ReadFile(telnet_log, &text));
  auto has = [&](int k, const std::string& line) {
    return text.find("\n" + std::to_string(k) + " " + line + "\n") != std::string::npos ||
           text.rfind(std::to_string(k) + " " + line + "\n", 0) == 0;
  };
  EXPECT_TRUE(has(kPlain, "[will ttype]"));
  EXPECT_TRUE(has(kPlain, "[ttype dumb]"));
  EXPECT_TRUE(has(kPlain, "PON1"));
  EXPECT_TRUE(has(kUser, "admin"));
  EXPECT_TRUE(has(kUser, "[login]"));
  EXPECT_TRUE(has(kBusy, "[busy]"));
  EXPECT_FALSE(has(kNoAccept, "[connect]"));
  EXPECT_TRUE(has(kSplit, "?sysName"));
  EXPECT_TRUE(has(kEcho, "[do echo]"));
  EXPECT_TRUE(has(kEcho, "[do sga]"));
  EXPECT_TRUE(has(kEcho, "say hello"));
  EXPECT_TRUE(has(kCloseMid, "[fault close]"));
  EXPECT_TRUE(has(kIgnoreClose, "[fault ignore close]"));
  EXPECT_TRUE(has(kClosingReply, "cpureset"));
  EXPECT_TRUE(has(kWrongPassword, "wrong"));
}

}  // namespace
}  // namespace zol
