// The main window's life: creation, deferred start-up, clock, tray, close.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "common/files.h"
#include "console/main_window.h"
#include "console/password_dialog.h"
#include "console/splash_window.h"
#include "monitor/debug_window.h"
#include "settings/settings_dialog.h"
#include "support/app_fixture.h"

namespace zol {
namespace {

struct LifeRig : AppFixture {
  // The refills of the group-send selector since the last look, each one
  // the end of a count refresh of the tree ("TreeNodeRef"), then the call.
  void Sync() {
    const uint64_t refills = app->group_tab().ComboBoxEx2.items.Revision();
    for (; seen_refills < refills; ++seen_refills) calls.push_back("TreeNodeRef");
  }
  void Call(const std::string& name) {
    Sync();
    calls.push_back(name);
  }
  uint64_t seen_refills = 0;
  MainWindow& main() { return app->Form2(); }
  // Start-up through the splash window until the main window runs.
  void RunToMain() {
    app->Start();
    sim.Advance(3001);
  }
  // The system log view's lines, oldest first, as "code text".
  std::vector<std::string> Log() {
    std::vector<std::string> out;
    const ListBox& l = main().system_log.ListBox2;
    for (size_t i = l.Count(); i > 0; --i) {
      const std::string& line = l[i - 1];
      out.push_back(line.size() > 27 ? line.substr(1, 4) + " " + line.substr(27) : line);
    }
    return out;
  }
  std::vector<std::string> calls;
};

struct Life : ::testing::Test, LifeRig {};

TEST_F(Life, CreationLoadsSettingsBeforeTheStartLine) {
  std::string err;
  ASSERT_TRUE(WriteFileAtomic(dir.File("zolyab4.Ini"), "[SYSTEM]\r\nPORT=5123\r\n", &err));
  app->Start();
  EXPECT_EQ(main().UdpPort, 5123);
  EXPECT_EQ(main().Caption(), "ZOL YAB V4");
  EXPECT_EQ(main().ClientWidth, 800);
  EXPECT_EQ(main().MailCountDate, "2010/11/16");
  EXPECT_EQ(main().alerts.MailCount, 0);
  EXPECT_TRUE(main().EditUnlocked);  // from the lock setting, off by default
  EXPECT_TRUE(main().Timer5.Enabled());
  EXPECT_FALSE(main().Timer3.Enabled());
  EXPECT_FALSE(main().Visible());
  EXPECT_EQ(main().PageControl2.ActivePageIndex(), 0);
  EXPECT_EQ(Log(), (std::vector<std::string>{"0001 アプリの起動"}));
  Sync();
  EXPECT_TRUE(calls.empty());
}

TEST_F(Life, DeferredStartUpRunsOnceInItsOrderAndShowsTheHintBox) {
  std::string err;
  ASSERT_TRUE(WriteFileAtomic(dir.File("zolyab4.Ini"), "[START]\r\nAUTO=1\r\n", &err));
  RunToMain();
  // The data file load refreshes the tree's counts itself; then the
  // rebuild and the refresh of the start-up.
  const std::vector<std::string> expected{"TreeNodeRef", "TreeNodeRef"};
  Sync();
  EXPECT_EQ(calls, expected);
  // The rebuild has filled the settings dialog's device lists; the PC's
  // address went into the dialog.
  EXPECT_GT(app->Form8().ComboBox3.items.Revision(), 0u);
  EXPECT_EQ(app->Form8().Label2.Caption(), main().LocalIp);
  EXPECT_EQ(Log(), (std::vector<std::string>{"0001 アプリの起動", "0010 監視開始"}));
  EXPECT_EQ(udp.LocalPort(), 5000);
  EXPECT_TRUE(main().monitoring.ToolButton2.Enabled());
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].kind, BoxKind::Info);
  EXPECT_EQ(boxes.shown[0].buttons, BoxButtons::Ok);
  const std::string& text = boxes.shown[0].text;
  EXPECT_EQ(text.rfind("監視登録データがありません。\r\n\r\n", 0), 0u);
  const std::string ip_line = "・ローカル通知先センターIP       " + main().LocalIp;
  const std::string port_line = "・ローカル通知先センターポート   5000";
  EXPECT_NE(text.find("\r\n\r\n\r\n\r\n" + ip_line + "\r\n" + port_line), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - port_line.size()), port_line);
  EXPECT_EQ(std::string("・ローカル通知先センターIP       ").size(), 33u);
  EXPECT_EQ(std::string("・ローカル通知先センターポート   ").size(), 33u);
  EXPECT_EQ(main().Memo3.Count(), 9u);
  sim.Advance(5000);
  Sync();
  EXPECT_EQ(calls.size(), expected.size());
}

TEST_F(Life, RegisteredDeviceMeansNoHintBox) {
  app->Form4().StringGrid1.SetCell(1, 999, "02:5A:3C:00:00:01");
  RunToMain();
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(Life, WindowModeOneHidesIntoTheTrayAndStillShowsTheBox) {
  struct Case {
    int mode;
    bool visible;
    WindowState state;
  };
  for (const Case& c : {Case{0, true, WindowState::Normal}, Case{1, false, WindowState::Minimized},
                        Case{2, true, WindowState::Maximized}, Case{7, true, WindowState::Normal}}) {
    LifeRig f;
    std::string err;
    ASSERT_TRUE(WriteFileAtomic(f.dir.File("zolyab4.Ini"), "[START]\r\nAUTO=1\r\nWINDOW=" + std::to_string(c.mode) + "\r\n", &err));
    f.RunToMain();
    EXPECT_EQ(f.udp.LocalPort(), 5000);
    EXPECT_EQ(f.main().Visible(), c.visible) << c.mode;
    EXPECT_EQ(f.main().State(), c.state) << c.mode;
    EXPECT_EQ(f.boxes.shown.size(), 1u);
  }
}

TEST_F(Life, ClockShowsTheTimeAndBlinksTheIndicatorWhileBound) {
  RunToMain();
  sim.Advance(499);  // ticks at 500 ms steps from creation
  EXPECT_EQ(main().TimePanel.Caption(), "2010/11/16 12:52:10");
  EXPECT_FALSE(main().monitoring.Label5.Visible());
  sim.Advance(1000);
  EXPECT_FALSE(main().monitoring.Label5.Visible());  // not bound: no blinking
  udp.SetLocalPort(5000);
  std::vector<bool> seen;
  for (int i = 0; i < 4; ++i) {
    sim.Advance(500);
    seen.push_back(main().monitoring.Label5.Visible());
  }
  EXPECT_EQ(seen, (std::vector<bool>{true, false, true, false}));
}

TEST_F(Life, MailCounterStartsAgainAtTheFirstTickOfANewDay) {
  DateTime t{2010, 12, 31, 23, 59, 50};
  sim.SetNow(t);
  RunToMain();  // 23:59:53
  main().alerts.MailCount = 7;
  sim.Advance(6500);
  EXPECT_EQ(main().alerts.MailCount, 7);
  sim.Advance(500);
  EXPECT_EQ(main().alerts.MailCount, 0);
  EXPECT_EQ(main().MailCountDate, "2011/01/01");
  main().alerts.MailCount = 3;
  sim.Advance(2000);
  EXPECT_EQ(main().alerts.MailCount, 3);
}

TEST_F(Life, TrayRestoresTheLastStateBeforeMinimising) {
  struct Case {
    std::vector<WindowState> steps;
    WindowState restored;
  };
  const Case cases[] = {
      {{WindowState::Maximized, WindowState::Minimized}, WindowState::Maximized},
      {{WindowState::Maximized, WindowState::Normal, WindowState::Minimized}, WindowState::Normal},
      {{WindowState::Minimized}, WindowState::Normal},
  };
  for (const Case& c : cases) {
    LifeRig f;
    f.RunToMain();
    for (WindowState s : c.steps) f.main().SetWindowState(s);
    EXPECT_FALSE(f.main().Visible());
    f.app->Form1().test1Click();
    EXPECT_TRUE(f.main().Visible());
    EXPECT_EQ(f.main().State(), c.restored);
  }
}

TEST_F(Life, CloseWritesSettingsFirstAndEndsOnlyOnYes) {
  RunToMain();
  main().monitoring.ToolButton1Click();  // monitoring runs
  ASSERT_EQ(udp.LocalPort(), 5000);
  ASSERT_TRUE(main().monitoring.Timer4.Enabled());
  main().UdpPort = 5077;  // a changed setting: the close writes it first
  boxes.answers = {BoxResult::No};
  EXPECT_FALSE(main().FormClose());
  std::string ini;
  ASSERT_TRUE(ReadFile(dir.File("zolyab4.Ini"), &ini));
  EXPECT_NE(ini.find("PORT=5077"), std::string::npos);
  EXPECT_EQ(boxes.shown.back().text, "終了してよろしいですか？");
  EXPECT_EQ(boxes.shown.back().kind, BoxKind::Confirm);
  EXPECT_EQ(boxes.shown.back().buttons, BoxButtons::YesNo);
  EXPECT_TRUE(main().Visible());
  EXPECT_FALSE(app->Terminated());
  EXPECT_EQ(udp.LocalPort(), 5000);
  EXPECT_TRUE(main().monitoring.Timer4.Enabled());

  boxes.answers = {BoxResult::Yes};
  EXPECT_TRUE(main().FormClose());
  EXPECT_TRUE(app->Terminated());
  EXPECT_EQ(udp.LocalPort(), 0);
  EXPECT_FALSE(main().monitoring.Timer4.Enabled());
  EXPECT_FALSE(app->Form1().TrayIconData.Visible());
  app->End();
  // No monitoring stop on the way out: no stop line, no device file.
  EXPECT_EQ(Log(), (std::vector<std::string>{"0001 アプリの起動", "0010 監視開始", "0002 アプリの終了"}));
  EXPECT_FALSE(FileExists(dir.File("zolyab4.dat")));
  EXPECT_FALSE(main().Timer5.Enabled());
}

TEST_F(Life, AFailedSettingsWriteKeepsTheWindowOpenWithoutTheQuestion) {
  RunToMain();
  ASSERT_EQ(mkdir(dir.File("zolyab4.Ini").c_str(), 0700), 0);  // cannot be written
  const size_t before = boxes.shown.size();
  boxes.answers = {BoxResult::Yes};
  EXPECT_FALSE(main().FormClose());
  ASSERT_EQ(boxes.shown.size(), before + 1);  // the write's error box, no question
  EXPECT_EQ(boxes.shown.back().kind, BoxKind::Error);
  EXPECT_FALSE(app->Terminated());
}

// A settings file that could not be read at start is not written in that
// run: the close shows why and goes on, so the console can still be ended.
TEST_F(Life, ASettingsFileUnreadableAtStartIsKeptAndTheCloseGoesOn) {
  ASSERT_EQ(mkdir(dir.File("zolyab4.Ini").c_str(), 0700), 0);
  RunToMain();
  ASSERT_EQ(rmdir(dir.File("zolyab4.Ini").c_str()), 0);
  std::string err;
  ASSERT_TRUE(WriteFileAtomic(dir.File("zolyab4.Ini"), "[SYSTEM]\r\nPORT=6000\r\n", &err)) << err;
  const size_t before = boxes.shown.size();
  boxes.answers = {BoxResult::Yes};
  EXPECT_TRUE(main().FormClose());
  ASSERT_EQ(boxes.shown.size(), before + 2);
  EXPECT_EQ(boxes.shown[before].kind, BoxKind::Error);
  EXPECT_EQ(boxes.shown.back().text, "終了してよろしいですか？");
  EXPECT_TRUE(app->Terminated());
  std::string ini;
  ASSERT_TRUE(ReadFile(dir.File("zolyab4.Ini"), &ini));
  EXPECT_EQ(ini, "[SYSTEM]\r\nPORT=6000\r\n");
  app->End();
}

TEST_F(Life, SettingsButtonAsksThePasswordWhileLocked) {
  RunToMain();
  Sync();
  calls.clear();
  main().EditUnlocked = false;
  app->Form14().MaskEdit1.SetText("typed before");
  main().ToolButton7Click();
  EXPECT_TRUE(calls.empty());
  EXPECT_TRUE(app->Form14().Visible());
  EXPECT_EQ(app->Form14().MaskEdit1.Text(), "");
  EXPECT_TRUE(main().monitoring.ToolButton7.Enabled());
  app->Form14().Hide();

  calls.clear();
  main().EditUnlocked = true;
  main().receive.Panel21.SetVisible(true);
  main().ToolButton7Click();
  EXPECT_TRUE(calls.empty());
  EXPECT_TRUE(app->Form8().Visible());  // the settings dialog
  EXPECT_FALSE(main().monitoring.ToolButton7.Enabled());
  EXPECT_FALSE(main().monitoring.ToolButton1.Enabled());
  EXPECT_FALSE(main().receive.Panel21.Visible());
}

}  // namespace
}  // namespace zol
