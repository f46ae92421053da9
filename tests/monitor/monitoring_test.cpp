#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/main_window.h"
#include "monitor/debug_window.h"
#include "support/app_fixture.h"

namespace zol {
namespace {

// Records the top system log line at every port change.
class RecordingUdp : public FakeUdpReceiver {
 public:
  explicit RecordingUdp(MainWindow** w) : w_(w) {}
  std::string SetLocalPort(int port) override {
    top_at_change.push_back(std::to_string(port) + " " + (*w_)->ListBox2.Line(0));
    return FakeUdpReceiver::SetLocalPort(port);
  }
  std::vector<std::string> top_at_change;

 private:
  MainWindow** w_;
};

class MonitoringTest : public ::testing::Test {
 protected:
  void SetUp() override {
    w().LogDir = f.dir.path();
    f.app->hooks.CloseDialogs = [this] { ++dialogs_closed; };
  }
  MainWindow& w() { return f.app->Form2(); }
  Grid& table() { return f.app->Form4().StringGrid1; }
  // The text of a system log line without its code, date and time.
  static std::string LogText(const std::string& line) { return line.size() > 27 ? line.substr(27) : line; }

  AppFixture f;
  int dialogs_closed = 0;
};

TEST_F(MonitoringTest, StartAndStopSetTheConsoleState) {
  w().UdpPort = 5123;
  w().TempDevice = 3;
  w().DebugShow = true;
  w().TempHistory[0] = "2024/05/01,09:00:00,23.5";
  w().TempHistory[99] = "x";
  w().TempLabel.SetCaption("23.5");
  int tree_refreshes = 0;
  f.app->hooks.ListIconRef = [&] { ++tree_refreshes; };

  w().ToolButton1Click();
  EXPECT_EQ(w().Panel20.Caption(), "監視中");
  EXPECT_EQ(w().Panel20.FontColor(), 0x00FF00u);
  EXPECT_FALSE(w().ToolButton1.Enabled());
  EXPECT_TRUE(w().ToolButton2.Enabled());
  EXPECT_FALSE(w().ToolButton7.Enabled());
  EXPECT_TRUE(w().Timer4.Enabled());
  EXPECT_EQ(w().Timer4.Interval(), 10u);  // the minutes taken as milliseconds
  EXPECT_EQ(f.udp.LocalPort(), 5123);
  EXPECT_TRUE(w().Panel21.Visible());
  EXPECT_TRUE(f.app->Form4().Visible());
  EXPECT_EQ(w().TempHistory[0], "");
  EXPECT_EQ(w().TempHistory[99], "");
  EXPECT_EQ(w().TempLabel.Caption(), "");
  EXPECT_EQ(LogText(w().ListBox2.Line(0)), "監視開始");
  EXPECT_EQ(w().ListBox2.Line(0).substr(0, 6), "(0010)");
  EXPECT_EQ(dialogs_closed, 1);
  EXPECT_EQ(tree_refreshes, 1);

  w().Label5.SetVisible(true);  // the clock blinks it while bound
  w().ToolButton2Click();
  EXPECT_EQ(w().Panel20.Caption(), "停止");
  EXPECT_EQ(w().Panel20.FontColor(), 0x40C0FFu);
  EXPECT_TRUE(w().ToolButton1.Enabled());
  EXPECT_FALSE(w().ToolButton2.Enabled());
  EXPECT_TRUE(w().ToolButton7.Enabled());
  EXPECT_FALSE(w().Timer4.Enabled());
  EXPECT_EQ(f.udp.LocalPort(), 0);
  EXPECT_FALSE(w().Label5.Visible());
  EXPECT_TRUE(w().Panel21.Visible());  // stopping leaves the temperature panel alone
  EXPECT_EQ(w().ListBox2.Line(0).substr(0, 6), "(0011)");
  EXPECT_EQ(LogText(w().ListBox2.Line(0)), "監視停止");
  EXPECT_EQ(dialogs_closed, 2);
  EXPECT_EQ(tree_refreshes, 1);  // the stop button does not refresh the tree
}

TEST_F(MonitoringTest, StartWithoutChartedDeviceOrDebugWindow) {
  w().Panel21.SetVisible(true);
  w().TempDevice = 0;
  w().DebugShow = false;
  w().YabStart();
  EXPECT_FALSE(w().Panel21.Visible());
  EXPECT_FALSE(f.app->Form4().Visible());
}

TEST_F(MonitoringTest, StopLogsBeforeUnbinding) {
  MainWindow* wp = &w();
  RecordingUdp udp(&wp);
  f.app->services.udp = &udp;
  w().YabStart();
  w().zolyab_stop();
  ASSERT_EQ(udp.top_at_change.size(), 2u);
  EXPECT_EQ(udp.top_at_change[1].substr(0, 2), "0 ");
  EXPECT_EQ(LogText(udp.top_at_change[1].substr(2)), "監視停止");
}

TEST_F(MonitoringTest, ClockRestartTouchesOnlyRowsWithAClock) {
  table().SetCell(20, 1, "5");
  table().SetCell(20, 999, "0");
  f.sim.SetBootMillis(5000ull * 1000 * 1000 + 999);  // past the 32-bit tick's wrap
  w().ButtonPushMode();
  EXPECT_EQ(table().Cell(20, 1), "5000000");
  EXPECT_EQ(table().Cell(20, 999), "5000000");
  EXPECT_EQ(table().Cell(20, 2), "");
  EXPECT_EQ(dialogs_closed, 1);
}

TEST_F(MonitoringTest, TimeOutZeroNeverStartsTheScan) {
  w().TimeOutMin = 0;
  w().YabStart();
  EXPECT_FALSE(w().Timer4.Enabled());
  EXPECT_EQ(w().Panel20.Caption(), "監視中");
  EXPECT_EQ(f.udp.LocalPort(), 5000);
}

TEST_F(MonitoringTest, BindFailureLeavesMonitoringStopped) {
  f.udp.fail_reason = "Address already in use";
  w().UdpPort = 5001;
  w().YabStart();
  ASSERT_EQ(f.boxes.shown.size(), 1u);
  EXPECT_EQ(f.boxes.shown[0].kind, BoxKind::Error);
  EXPECT_NE(f.boxes.shown[0].text.find("5001"), std::string::npos);
  EXPECT_NE(f.boxes.shown[0].text.find("Address already in use"), std::string::npos);
  EXPECT_EQ(f.udp.LocalPort(), 0);
  EXPECT_EQ(w().Panel20.Caption(), "停止");
  EXPECT_EQ(w().Panel20.FontColor(), 0x40C0FFu);
  EXPECT_TRUE(w().ToolButton1.Enabled());
  EXPECT_FALSE(w().ToolButton2.Enabled());
  EXPECT_TRUE(w().ToolButton7.Enabled());
  EXPECT_FALSE(w().Timer4.Enabled());
  EXPECT_EQ(w().ListBox2.Count(), 0u);  // no "監視開始" for a start that did not happen

  // Once the port is free the start works.
  f.udp.fail_reason.clear();
  w().YabStart();
  EXPECT_EQ(w().Panel20.Caption(), "監視中");
  EXPECT_EQ(f.udp.LocalPort(), 5001);
}

}  // namespace
}  // namespace zol
