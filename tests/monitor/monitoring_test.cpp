#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "common/files.h"
#include "common/posix_udp.h"
#include "console/detail_window.h"
#include "console/folder_chooser.h"
#include "console/main_window.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "support/app_fixture.h"
#include "support/file_limit.h"
#include "support/japanese_locale.h"

namespace zol {
namespace {

// Records the top system log line at every port change.
class RecordingUdp : public FakeUdpReceiver {
 public:
  explicit RecordingUdp(MainWindow** w) : w_(w) {}
  std::string SetLocalPort(int port) override {
    top_at_change.push_back(std::to_string(port) + " " + (*w_)->system_log.ListBox2.Line(0));
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
  }
  // Two of the dialogs that monitoring start, stop and the clock restart
  // close: the detail window and the folder chooser.
  void OpenDialogs() {
    f.app->Form6().Show();
    f.app->Form9().Show();
  }
  bool DialogsClosed() { return !f.app->Form6().Visible() && !f.app->Form9().Visible(); }
  MainWindow& w() { return f.app->Form2(); }
  Grid& table() { return f.app->Form4().StringGrid1; }
  // The text of a system log line without its code, date and time.
  static std::string LogText(const std::string& line) { return line.size() > 27 ? line.substr(27) : line; }

  AppFixture f;
};

TEST_F(MonitoringTest, StartAndStopSetTheConsoleState) {
  w().UdpPort = 5123;
  w().TempDevice = 3;
  w().DebugShow = true;
  w().receive.TempHistory[0] = "2024/05/01,09:00:00,23.5";
  w().receive.TempHistory[99] = "x";
  w().receive.TempLabel.SetCaption("23.5");
  // A device node of a device not heard yet: the start refreshes the node
  // icons, which gives it the not-heard icon.
  DeviceTree& tree = f.app->tree();
  TreeNode* node = tree.TreeNewDataSet(tree.TreeView1.Top(0), "ID001", "Dev1");
  ASSERT_EQ(node->ImageIndex(), treeimg::Device);

  OpenDialogs();
  w().monitoring.ToolButton1Click();
  EXPECT_EQ(w().monitoring.Panel20.Caption(), "監視中");
  EXPECT_EQ(w().monitoring.Panel20.FontColor(), 0x00FF00u);
  EXPECT_FALSE(w().monitoring.ToolButton1.Enabled());
  EXPECT_TRUE(w().monitoring.ToolButton2.Enabled());
  EXPECT_FALSE(w().monitoring.ToolButton7.Enabled());
  EXPECT_TRUE(w().monitoring.Timer4.Enabled());
  EXPECT_EQ(w().monitoring.Timer4.Interval(), 10u);  // the minutes taken as milliseconds
  EXPECT_EQ(f.udp.LocalPort(), 5123);
  EXPECT_TRUE(w().receive.Panel21.Visible());
  EXPECT_TRUE(f.app->Form4().Visible());
  EXPECT_EQ(w().receive.TempHistory[0], "");
  EXPECT_EQ(w().receive.TempHistory[99], "");
  EXPECT_EQ(w().receive.TempLabel.Caption(), "");
  EXPECT_EQ(LogText(w().system_log.ListBox2.Line(0)), "監視開始");
  EXPECT_EQ(w().system_log.ListBox2.Line(0).substr(0, 6), "(0010)");
  EXPECT_TRUE(DialogsClosed());
  EXPECT_EQ(node->ImageIndex(), treeimg::NotHeard);
  tree.TreeView1.SetImageIndex(node, treeimg::Device);

  w().monitoring.Label5.SetVisible(true);  // the clock blinks it while bound
  OpenDialogs();
  w().monitoring.ToolButton2Click();
  EXPECT_EQ(w().monitoring.Panel20.Caption(), "停止");
  EXPECT_EQ(w().monitoring.Panel20.FontColor(), 0x40C0FFu);
  EXPECT_TRUE(w().monitoring.ToolButton1.Enabled());
  EXPECT_FALSE(w().monitoring.ToolButton2.Enabled());
  EXPECT_TRUE(w().monitoring.ToolButton7.Enabled());
  EXPECT_FALSE(w().monitoring.Timer4.Enabled());
  EXPECT_EQ(f.udp.LocalPort(), 0);
  EXPECT_FALSE(w().monitoring.Label5.Visible());
  EXPECT_TRUE(w().receive.Panel21.Visible());  // stopping leaves the temperature panel alone
  EXPECT_EQ(w().system_log.ListBox2.Line(0).substr(0, 6), "(0011)");
  EXPECT_EQ(LogText(w().system_log.ListBox2.Line(0)), "監視停止");
  EXPECT_TRUE(DialogsClosed());
  EXPECT_EQ(node->ImageIndex(), treeimg::Device);  // the stop button does not refresh the tree
}

TEST_F(MonitoringTest, StartWithoutChartedDeviceOrDebugWindow) {
  w().receive.Panel21.SetVisible(true);
  w().TempDevice = 0;
  w().DebugShow = false;
  w().monitoring.YabStart();
  EXPECT_FALSE(w().receive.Panel21.Visible());
  EXPECT_FALSE(f.app->Form4().Visible());
}

TEST_F(MonitoringTest, StopLogsBeforeUnbinding) {
  MainWindow* wp = &w();
  RecordingUdp udp(&wp);
  f.app->services.udp = &udp;
  w().monitoring.YabStart();
  w().monitoring.zolyab_stop();
  ASSERT_EQ(udp.top_at_change.size(), 2u);
  EXPECT_EQ(udp.top_at_change[1].substr(0, 2), "0 ");
  EXPECT_EQ(LogText(udp.top_at_change[1].substr(2)), "監視停止");
}

TEST_F(MonitoringTest, StopWritesTheDataFilesEvenWithoutChanges) {
  table().SetCell(dtcol::MacAddress, 2, "02:5A:3C:00:00:02");
  table().SetCell(dtcol::DeviceName, 2, "Dev2");
  f.app->group_selector().items.Assign({"G001 グループ1", "G000 未登録グループ"});
  w().LockOn = true;
  w().EditUnlocked = true;
  w().monitoring.YabStart();
  EXPECT_FALSE(FileExists(f.dir.File("zolyab4.dat")));
  w().monitoring.zolyab_stop();
  std::string dat, lst;
  ASSERT_TRUE(ReadFile(f.dir.File("zolyab4.dat"), &dat));
  ASSERT_TRUE(ReadFile(f.dir.File("zolyab4.lst"), &lst));
  EXPECT_EQ(SplitLines(dat).size(), 40u);  // empty block of row 1, then row 2
  EXPECT_EQ(SplitLines(dat)[20], "02:5A:3C:00:00:02");
  EXPECT_EQ(lst, "G001 グループ1\r\nG000 未登録グループ\r\n");
  EXPECT_FALSE(w().EditUnlocked);  // saving locks again
}

TEST_F(MonitoringTest, FailedSaveEndsTheStopAfterUnbinding) {
  table().SetCell(1, 1, "02:5A:3C:00:00:01");
  w().monitoring.YabStart();
  w().monitoring.Label5.SetVisible(true);
  {
    FileSizeLimit limit(1);  // the save cannot write
    w().monitoring.zolyab_stop();
  }
  ASSERT_EQ(f.boxes.shown.size(), 1u);
  EXPECT_EQ(f.boxes.shown[0].kind, BoxKind::Error) << f.boxes.shown[0].text;
  EXPECT_EQ(f.udp.LocalPort(), 0);
  EXPECT_EQ(w().monitoring.Panel20.Caption(), "停止");
  EXPECT_TRUE(w().monitoring.ToolButton1.Enabled());
  EXPECT_TRUE(w().monitoring.Label5.Visible());  // the step after the save does not run
}

TEST_F(MonitoringTest, ClockRestartTouchesOnlyRowsWithAClock) {
  table().SetCell(20, 1, "5");
  table().SetCell(20, 999, "0");
  f.sim.SetBootMillis(5000ull * 1000 * 1000 + 999);  // past the 32-bit tick's wrap
  OpenDialogs();
  w().monitoring.ButtonPushMode();
  EXPECT_EQ(table().Cell(20, 1), "5000000");
  EXPECT_EQ(table().Cell(20, 999), "5000000");
  EXPECT_EQ(table().Cell(20, 2), "");
  EXPECT_TRUE(DialogsClosed());
}

TEST_F(MonitoringTest, TimeOutZeroNeverStartsTheScan) {
  w().TimeOutMin = 0;
  w().monitoring.YabStart();
  EXPECT_FALSE(w().monitoring.Timer4.Enabled());
  EXPECT_EQ(w().monitoring.Panel20.Caption(), "監視中");
  EXPECT_EQ(f.udp.LocalPort(), 5000);
}

// On a Japanese desktop the system's error texts come in UTF-8 Japanese;
// the boxes get them in Shift-JIS like every other text.
TEST_F(MonitoringTest, SystemErrorTextsReachTheBoxInShiftJis) {
  JapaneseUtf8Locale ja;
  if (!ja.Available()) GTEST_SKIP() << "no Japanese UTF-8 locale on this machine";
  w().LogDir = f.dir.path();
  w().UdpPort = 0;
  w().monitoring.ToolButton1Click();
  ASSERT_EQ(f.boxes.shown.size(), 1u);
  EXPECT_EQ(f.boxes.shown[0].text, "受信ポート 0 を開けないため、監視を開始できません。\n無効な引数です");

  // The data files' error box: the path and the reason.
  w().UdpPort = 5000;
  table().SetCell(1, 1, "02:5A:3C:00:00:01");
  w().monitoring.YabStart();
  {
    FileSizeLimit limit(1);  // the save cannot write
    w().monitoring.zolyab_stop();
  }
  ASSERT_EQ(f.boxes.shown.size(), 2u);
  EXPECT_EQ(f.boxes.shown[1].text, f.dir.File("zolyab4.dat") + ": ファイルが大きすぎます");
}

TEST_F(MonitoringTest, BindFailureLeavesMonitoringStopped) {
  struct Case {
    int port;
    const char* fail_reason;  // of the fake receiver
    const char* shown_reason;
  } cases[] = {
      {5001, "Address already in use", "Address already in use"},
      {80, "Permission denied", "Permission denied"},
      {0, "", "Invalid argument"},  // 0 would silently unbind
      {70000, "", "Invalid argument"},
  };
  for (const Case& c : cases) {
    AppFixture g;
    MainWindow& m = g.app->Form2();
    m.LogDir = g.dir.path();
    m.UdpPort = c.port;
    g.udp.fail_reason = c.fail_reason;
    m.monitoring.ToolButton1Click();
    SCOPED_TRACE(c.port);
    ASSERT_EQ(g.boxes.shown.size(), 1u);
    EXPECT_EQ(g.boxes.shown[0].kind, BoxKind::Error);
    EXPECT_NE(g.boxes.shown[0].text.find(std::to_string(c.port)), std::string::npos);
    EXPECT_NE(g.boxes.shown[0].text.find(c.shown_reason), std::string::npos);
    EXPECT_EQ(g.udp.LocalPort(), 0);
    EXPECT_EQ(m.monitoring.Panel20.Caption(), "停止");
    EXPECT_EQ(m.monitoring.Panel20.FontColor(), 0x40C0FFu);
    EXPECT_TRUE(m.monitoring.ToolButton1.Enabled());
    EXPECT_FALSE(m.monitoring.ToolButton2.Enabled());
    EXPECT_TRUE(m.monitoring.ToolButton7.Enabled());
    EXPECT_FALSE(m.monitoring.Timer4.Enabled());
    EXPECT_EQ(m.system_log.ListBox2.Count(), 0u);  // no "監視開始" for a start that did not happen
  }

  // Once the port is free the start works.
  f.udp.fail_reason = "Address already in use";
  w().monitoring.YabStart();
  EXPECT_EQ(w().monitoring.Panel20.Caption(), "停止");
  f.udp.fail_reason.clear();
  w().monitoring.YabStart();
  EXPECT_EQ(w().monitoring.Panel20.Caption(), "監視中");
  EXPECT_EQ(f.udp.LocalPort(), 5000);
}

// A registered device with two monitored power outlets (both ON) that
// mails on time-out, heard once at start-up.
void AddDevice(Grid& t, int row, bool heard = true) {
  t.SetCell(dtcol::MacAddress, row, "02:5A:3C:00:00:" + std::string(row < 10 ? "0" : "") + std::to_string(row));
  t.SetCell(dtcol::OutletInfo, row, "2,1");
  t.SetCell(dtcol::IconFlags, row, "11000000");
  t.SetCell(dtcol::ItemKinds, row, "00000000");
  t.SetCell(dtcol::DeviceName, row, "Dev" + std::to_string(row));
  t.SetCell(dtcol::OutletNames, row, "A,B,,,,,,,");
  t.SetCell(dtcol::GroupName, row, "G001 Group1");
  t.SetCell(dtcol::NotifyFlags, row, "00010000 00000000");
  t.SetCell(dtcol::RecvTick, row, "1");
  if (heard) {
    t.SetCell(dtcol::RecvDate, row, "2024/05/01");
    t.SetCell(dtcol::RecvTime, row, "09:00:00");
    t.SetCell(dtcol::PngPower, row, "0001 0001");
  }
}

class TimeOutScanTest : public MonitoringTest {
 protected:
  void SetUp() override {
    MonitoringTest::SetUp();
    f.sim.SetBootMillis(1000 * 1000);  // the receive clock reads 1000
    w().MailOn = true;
    UsableMailSettings(w());
    f.smtp.OnSend = [this](const SmtpMail& mail) { mails.push_back(MailBodyLines(mail)); };
  }
  // Starts monitoring and builds the icons as the first datagram would.
  void Start() {
    w().monitoring.YabStart();
    w().icons.IconReStetingData();
    w().icons.IconDataCheck();
  }
  std::vector<int> Images() {
    std::vector<int> out;
    for (size_t k = 0; k < w().icons.ListView1.Count(); ++k) out.push_back(w().icons.ListView1.Item(k).image);
    return out;
  }
  std::vector<std::vector<std::string>> mails;
};

TEST_F(TimeOutScanTest, SilenceOver600SecondsMarkedInFirstPassAfterIt) {
  AddDevice(table(), 1);
  Start();
  ASSERT_EQ(Images(), (std::vector<int>{7, 7}));
  f.sim.Advance(600 * 1000 + 990);  // 600 s of silence: not yet
  EXPECT_EQ(Images(), (std::vector<int>{7, 7}));
  EXPECT_TRUE(mails.empty());
  f.sim.Advance(10);  // 601 s: the pass at this instant marks both outlets
  EXPECT_EQ(Images(), (std::vector<int>{8, 8}));
  EXPECT_EQ(w().icons.Panel15.Caption(), "2");
  // One mail for the device, holding both lines.
  ASSERT_EQ(mails.size(), 1u);
  ASSERT_EQ(mails[0].size(), 6u);
  EXPECT_EQ(mails[0][1], "ID001 Dev1 (G001 Group1)");
  EXPECT_EQ(mails[0][4], "1: TimeOut             <- 電源 ON     A");
  // The rebuild in the pass evaluates outlet 2 on a new icon, so its line
  // tells the fresh icon's previous picture.
  EXPECT_EQ(mails[0][5], "2: TimeOut             <- 不明        B");
  EXPECT_EQ(w().alerts.MailCount, 1);
  // Later passes find nothing new.
  f.sim.Advance(1000);
  EXPECT_EQ(mails.size(), 1u);
}

TEST_F(TimeOutScanTest, TwoDevicesInOnePassGetOneMailEach) {
  AddDevice(table(), 1);
  AddDevice(table(), 2);
  Start();
  f.sim.Advance(601 * 1000);
  ASSERT_EQ(mails.size(), 2u);
  EXPECT_EQ(mails[0][1], "ID001 Dev1 (G001 Group1)");
  EXPECT_EQ(mails[1][1], "ID002 Dev2 (G001 Group1)");
  EXPECT_EQ(mails[0].size(), 6u);
  EXPECT_EQ(mails[1].size(), 6u);
}

TEST_F(TimeOutScanTest, DeviceNotHeardSinceStartNeverTimesOut) {
  AddDevice(table(), 1, /*heard=*/false);  // receive clock from the device file only
  table().SetCell(dtcol::RecvTick, 1, "12345");
  Start();
  EXPECT_EQ(table().Cell(dtcol::RecvTick, 1), "1000");  // restarted all the same
  f.sim.Advance(2000 * 1000);
  EXPECT_EQ(Images(), (std::vector<int>{9, 9}));
  EXPECT_TRUE(mails.empty());
}

TEST_F(TimeOutScanTest, TimeOutZeroNeverScans) {
  w().TimeOutMin = 0;
  AddDevice(table(), 1);
  Start();
  f.sim.Advance(3600 * 1000);
  w().monitoring.Timer4Timer();  // even a pass run by hand marks nothing
  EXPECT_EQ(Images(), (std::vector<int>{7, 7}));
  EXPECT_TRUE(mails.empty());
}

TEST_F(TimeOutScanTest, StopAndStartRestartTheTimeOut) {
  AddDevice(table(), 1);
  Start();
  f.sim.Advance(500 * 1000);
  w().monitoring.zolyab_stop();
  w().monitoring.YabStart();
  f.sim.Advance(500 * 1000);  // 1000 s since the device spoke, 500 s since the restart
  EXPECT_EQ(Images(), (std::vector<int>{7, 7}));
  f.sim.Advance(101 * 1000);
  EXPECT_EQ(Images(), (std::vector<int>{8, 8}));
}

TEST_F(TimeOutScanTest, PassEndsAtTheCurrentLastIcon) {
  // With the "?" filter up, the rebuild inside the pass removes every icon
  // that has just timed out: the pass stops there and still sends the mail.
  AddDevice(table(), 1);
  AddDevice(table(), 2);
  w().icons.ToolButtonChk[7].SetDown(false);
  Start();
  ASSERT_EQ(w().icons.ListView1.Count(), 4u);
  f.sim.Advance(601 * 1000);
  EXPECT_EQ(w().icons.ListView1.Count(), 0u);
  ASSERT_EQ(mails.size(), 1u);
  EXPECT_EQ(mails[0][1], "ID001 Dev1 (G001 Group1)");
  EXPECT_EQ(mails[0][4], "1: TimeOut             <- 電源 ON     A");
}

TEST_F(TimeOutScanTest, HiddenItemsNeverTimeOutThroughTheScan) {
  // Device 2 watches PING on its outlets and the PING filter is up: it has
  // no icon, so neither the scan nor the rebuilds in it mark or mail it.
  AddDevice(table(), 1);
  AddDevice(table(), 2);
  table().SetCell(dtcol::ItemKinds, 2, "11000000");
  w().icons.ToolButtonChk[2].SetDown(false);
  Start();
  ASSERT_EQ(w().icons.ListView1.Count(), 2u);
  const std::string hidden_images = table().Cell(dtcol::ItemImages, 2);
  f.sim.Advance(601 * 1000);
  EXPECT_EQ(Images(), (std::vector<int>{8, 8}));
  ASSERT_EQ(mails.size(), 1u);
  EXPECT_EQ(mails[0][1], "ID001 Dev1 (G001 Group1)");
  EXPECT_EQ(table().Cell(dtcol::ItemImages, 2), hidden_images);
}

// The scan hands each silent device's mail over and goes on: every item is
// marked before any mail has ended; the error of the first is shown after
// the scan, from the event loop, and the second mail still goes out.
TEST_F(TimeOutScanTest, MailErrorIsShownAfterTheScan) {
  AddDevice(table(), 1);
  AddDevice(table(), 2);
  f.smtp.failures.push_back("SMTP: recipient refused");
  f.smtp.latency_ms = 10'000;
  Start();
  f.sim.Advance(601 * 1000);
  EXPECT_EQ(Images(), (std::vector<int>{8, 8, 8, 8}));
  EXPECT_EQ(f.smtp.Pending(), 2u);
  EXPECT_TRUE(f.boxes.shown.empty());
  EXPECT_EQ(w().alerts.MailCount, 2);
  f.sim.Advance(20'000);
  ASSERT_EQ(f.boxes.shown.size(), 1u);
  EXPECT_EQ(f.boxes.shown[0].kind, BoxKind::Error);
  EXPECT_EQ(f.boxes.shown[0].text, "SMTP: recipient refused");
  ASSERT_EQ(mails.size(), 1u);
  EXPECT_EQ(mails[0][1], "ID002 Dev2 (G001 Group1)");
}

TEST(MonitoringSocketTest, PortTakenOnLoopbackLeavesMonitoringStopped) {
  // Take a free port on 127.0.0.1 and keep it.
  int holder = ::socket(AF_INET, SOCK_DGRAM, 0);
  ASSERT_GE(holder, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  ASSERT_EQ(::bind(holder, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  socklen_t len = sizeof addr;
  ASSERT_EQ(::getsockname(holder, reinterpret_cast<sockaddr*>(&addr), &len), 0);
  const int port = ntohs(addr.sin_port);

  AppFixture f;
  PosixUdpReceiver udp;
  f.app->services.udp = &udp;
  MainWindow& w = f.app->Form2();
  w.LogDir = f.dir.path();
  w.UdpPort = port;
  w.monitoring.YabStart();
  ::close(holder);

  ASSERT_EQ(f.boxes.shown.size(), 1u);
  EXPECT_EQ(f.boxes.shown[0].kind, BoxKind::Error);
  EXPECT_NE(f.boxes.shown[0].text.find(std::to_string(port)), std::string::npos);
  EXPECT_NE(f.boxes.shown[0].text.find("Address already in use"), std::string::npos);
  EXPECT_EQ(udp.LocalPort(), 0);
  EXPECT_EQ(udp.Fd(), -1);
  EXPECT_EQ(w.monitoring.Panel20.Caption(), "停止");
  EXPECT_TRUE(w.monitoring.ToolButton1.Enabled());
  EXPECT_FALSE(w.monitoring.ToolButton2.Enabled());
  EXPECT_FALSE(w.monitoring.Timer4.Enabled());
  EXPECT_EQ(w.system_log.ListBox2.Count(), 0u);
}

}  // namespace
}  // namespace zol
