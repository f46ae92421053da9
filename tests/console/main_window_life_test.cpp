// The main window's life: creation, deferred start-up, clock, tray, close.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/files.h"
#include "console/main_window.h"
#include "console/splash_window.h"
#include "monitor/debug_window.h"
#include "support/app_fixture.h"

namespace zol {
namespace {

struct LifeRig : AppFixture {
  LifeRig() {
    Hooks& h = app->hooks;
    h.SysLoging = [this](int code, const std::string& text) {
      calls.push_back("log " + std::to_string(code) + " " + text);
      main().ListBox2.Insert(0, text);
    };
    h.IniLoad = [this] { calls.push_back("IniLoad"); };
    h.IniSave = [this] {
      calls.push_back("IniSave");
      return ini_ok;
    };
    h.SettingDataLoad = [this] { calls.push_back("SettingDataLoad"); };
    h.ReStetingData = [this] { calls.push_back("ReStetingData"); };
    h.YabStart = [this] {
      calls.push_back("YabStart");
      udp.SetLocalPort(main().UdpPort);
    };
    h.TreeNodeRef = [this] { calls.push_back("TreeNodeRef"); };
    h.IconDataCheck = [this] { calls.push_back("IconDataCheck"); };
    h.password_check = [this] { calls.push_back("password_check"); };
    h.EditShow = [this] { calls.push_back("EditShow"); };
  }
  MainWindow& main() { return app->Form2(); }
  // Start-up through the splash window until the main window runs.
  void RunToMain() {
    app->Start();
    sim.Advance(3001);
  }
  std::vector<std::string> calls;
  bool ini_ok = true;
};
struct Life : ::testing::Test, LifeRig {};

TEST_F(Life, CreationLoadsSettingsBeforeTheStartLine) {
  app->Start();
  EXPECT_EQ(main().Caption(), "ZOL YAB V4");
  EXPECT_EQ(main().ClientWidth, 800);
  EXPECT_EQ(main().MailCountDate, "2010/11/16");
  EXPECT_EQ(main().MailCount, 0);
  EXPECT_FALSE(main().EditUnlocked);
  EXPECT_TRUE(main().Timer5.Enabled());
  EXPECT_FALSE(main().Timer3.Enabled());
  EXPECT_FALSE(main().Visible());
  EXPECT_EQ(main().PageControl2.ActivePageIndex(), 0);
  EXPECT_EQ(calls, (std::vector<std::string>{"IniLoad", "log 1 アプリの起動"}));
}

TEST_F(Life, SystemLogViewTakesTheNewestHundredLinesNewestFirst) {
  std::string file;
  for (int i = 1; i <= 150; ++i) file += "line" + std::to_string(i) + "\r\n";
  std::string err;
  ASSERT_TRUE(WriteFileAtomic(dir.File("syslog20101116.log"), file, &err));
  main().LogDir = dir.path();
  main().SysLogViewLoad();
  ASSERT_EQ(main().ListBox2.Count(), 100u);
  EXPECT_EQ(main().ListBox2[0], "line150");
  EXPECT_EQ(main().ListBox2[99], "line51");

  MainWindow& m = main();
  m.ListBox2.Clear();
  m.LogDir = dir.File("missing");
  m.SysLogViewLoad();
  EXPECT_EQ(m.ListBox2.Count(), 0u);
}

TEST_F(Life, DeferredStartUpRunsOnceInItsOrderAndShowsTheHintBox) {
  main().AutoStart = true;
  main().UdpPort = 5000;
  app->hooks.IniLoad = nullptr;
  RunToMain();
  const std::vector<std::string> expected{"log 1 アプリの起動", "SettingDataLoad", "ReStetingData", "YabStart",
                                          "TreeNodeRef", "IconDataCheck"};
  EXPECT_EQ(calls, expected);
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
    f.main().WindowMode = c.mode;
    f.RunToMain();
    EXPECT_EQ(f.main().Visible(), c.visible) << c.mode;
    EXPECT_EQ(f.main().State(), c.state) << c.mode;
    EXPECT_EQ(f.boxes.shown.size(), 1u);
  }
}

TEST_F(Life, ClockShowsTheTimeAndBlinksTheIndicatorWhileBound) {
  RunToMain();
  sim.Advance(499);  // ticks at 500 ms steps from creation
  EXPECT_EQ(main().TimePanel.Caption(), "2010/11/16 12:52:10");
  EXPECT_FALSE(main().Label5.Visible());
  sim.Advance(1000);
  EXPECT_FALSE(main().Label5.Visible());  // not bound: no blinking
  udp.SetLocalPort(5000);
  std::vector<bool> seen;
  for (int i = 0; i < 4; ++i) {
    sim.Advance(500);
    seen.push_back(main().Label5.Visible());
  }
  EXPECT_EQ(seen, (std::vector<bool>{true, false, true, false}));
}

TEST_F(Life, MailCounterStartsAgainAtTheFirstTickOfANewDay) {
  DateTime t;
  t.year = 2010;
  t.month = 12;
  t.day = 31;
  t.hour = 23;
  t.minute = 59;
  t.second = 50;
  sim.SetNow(t);
  RunToMain();  // 23:59:53
  main().MailCount = 7;
  sim.Advance(6500);
  EXPECT_EQ(main().MailCount, 7);
  sim.Advance(500);
  EXPECT_EQ(main().MailCount, 0);
  EXPECT_EQ(main().MailCountDate, "2011/01/01");
  main().MailCount = 3;
  sim.Advance(2000);
  EXPECT_EQ(main().MailCount, 3);
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
  udp.SetLocalPort(5000);
  main().Timer4.SetEnabled(true);
  calls.clear();
  boxes.answers = {BoxResult::No};
  EXPECT_FALSE(main().FormClose());
  EXPECT_EQ(calls, (std::vector<std::string>{"IniSave"}));
  EXPECT_EQ(boxes.shown.back().text, "終了してよろしいですか？");
  EXPECT_EQ(boxes.shown.back().kind, BoxKind::Confirm);
  EXPECT_EQ(boxes.shown.back().buttons, BoxButtons::YesNo);
  EXPECT_TRUE(main().Visible());
  EXPECT_FALSE(app->Terminated());
  EXPECT_EQ(udp.LocalPort(), 5000);

  boxes.answers = {BoxResult::Yes};
  EXPECT_TRUE(main().FormClose());
  EXPECT_TRUE(app->Terminated());
  EXPECT_EQ(udp.LocalPort(), 0);
  EXPECT_FALSE(main().Timer4.Enabled());
  EXPECT_FALSE(app->Form1().TrayIconData.Visible());
  app->End();
  // No monitoring stop on the way out.
  EXPECT_EQ(calls, (std::vector<std::string>{"IniSave", "IniSave", "log 2 アプリの終了"}));
  EXPECT_FALSE(main().Timer5.Enabled());
}

TEST_F(Life, AFailedSettingsWriteKeepsTheWindowOpenWithoutTheQuestion) {
  RunToMain();
  const size_t before = boxes.shown.size();
  ini_ok = false;
  EXPECT_FALSE(main().FormClose());
  EXPECT_EQ(boxes.shown.size(), before);
  EXPECT_FALSE(app->Terminated());
}

TEST_F(Life, SettingsButtonAsksThePasswordWhileLocked) {
  RunToMain();
  calls.clear();
  main().ToolButton7Click();
  EXPECT_EQ(calls, (std::vector<std::string>{"password_check"}));
  EXPECT_TRUE(main().ToolButton7.Enabled());

  calls.clear();
  main().EditUnlocked = true;
  main().Panel21.SetVisible(true);
  main().ToolButton7Click();
  EXPECT_EQ(calls, (std::vector<std::string>{"EditShow"}));
  EXPECT_FALSE(main().ToolButton7.Enabled());
  EXPECT_FALSE(main().ToolButton1.Enabled());
  EXPECT_FALSE(main().Panel21.Visible());
}

}  // namespace
}  // namespace zol
