#include "monitor/device_table.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "common/files.h"
#include "common/text.h"
#include "console/chart_window.h"
#include "console/detail_window.h"
#include "monitor/item_state.h"
#include "monitor_fixture.h"

namespace zol {
namespace {

using DeviceTableTest = MonitorFixture;

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

TEST_F(DeviceTableTest, LastDataCntCountsRegisteredRows) {
  dbg().LastDataCnt();
  EXPECT_EQ(dbg().LastRow, 1);
  EXPECT_EQ(dbg().UsedRows, 0);
  EXPECT_EQ(dbg().Label1.Caption(), "1/0");
  EXPECT_EQ(dbg().Label2.Caption(), "Max: 0");

  table().SetCell(dtcol::MacAddress, 3, MacOf(3));
  table().SetCell(dtcol::MacAddress, 999, MacOf(999));
  table().SetCell(dtcol::DeviceName, 5, "no mac, not counted");
  dbg().LastDataCnt();
  EXPECT_EQ(dbg().Label1.Caption(), "999/2");
  EXPECT_EQ(dbg().Label2.Caption(), "Max: 2");
}

TEST_F(DeviceTableTest, TextsOfTheReceiveList) {
  EXPECT_EQ(DeviceIdText(7), "ID007");
  EXPECT_EQ(DeviceIdText(123), "ID123");
  EXPECT_EQ(DeviceIdText(0), "ID000");
  EXPECT_EQ(DeviceIdText(999), "ID999");
  EXPECT_EQ(DeviceIdText(1000), "ID1000");  // never cut
  EXPECT_EQ(DeviceIdText(-5), "ID0-5");     // as ZeroPad writes it
  struct {
    const char* ip;
    const char* label;
  } cases[] = {
      {"192.168.1.10", "[192.168.1.10]   "},
      {"1.2.3", "[1.2.3]       "},            // short address: shorter label
      {"192.168.100.200", "[192.168.100.200]"},  // 17 characters exactly
      {"1234567890123456", "[1234567890123456"},  // cut
  };
  for (const auto& c : cases) EXPECT_EQ(RecvLabel(c.ip), c.label) << c.ip;
}

// The match searches rows 1 to LastRow + 1 only; a device above is filed
// as unregistered.
TEST_F(DeviceTableTest, SearchStopsAfterLastRowPlusOne) {
  dbg().LastDataCnt();  // empty table: LastRow 1
  // Registered behind the count's back, as the rows 2 and 3 were never
  // counted.
  table().SetCell(dtcol::MacAddress, 2, MacOf(2));
  table().SetCell(dtcol::MacAddress, 3, MacOf(3));
  struct {
    int row;
    bool found;
  } cases[] = {{2, true}, {3, false}};
  for (const auto& c : cases) {
    Match(HealthyRecord(MacOf(c.row)));
    EXPECT_EQ(Cell(dtcol::RecvDate, c.row).empty(), !c.found) << c.row;
    const std::string tail = c.found ? "]   ID00" + std::to_string(c.row) : "]   未登録";
    EXPECT_TRUE(EndsWith(main().receive.ListBox1.Line(0), tail)) << c.row;
  }
  EXPECT_EQ(dbg().StringGrid2.Cell(5, 1), MacOf(3));
  // The update-time panel belongs to registered devices only.
  EXPECT_EQ(main().receive.RefTimePanel.Caption(), DateText(sim.Now()) + " " + TimeText(sim.Now()));
  main().receive.RefTimePanel.SetCaption("");
  Match(HealthyRecord(MacOf(3)));
  EXPECT_EQ(main().receive.RefTimePanel.Caption(), "");
}

// Two rows with one MAC: the first row takes the datagram.
TEST_F(DeviceTableTest, FirstRowWithTheMacWins) {
  Register(2, MacOf(9));
  Register(4, MacOf(9));
  Match(HealthyRecord(MacOf(9)));
  EXPECT_EQ(Cell(dtcol::RecvDate, 2), "2010/11/16");
  EXPECT_EQ(Cell(dtcol::RecvDate, 4), "");
  EXPECT_TRUE(EndsWith(main().receive.ListBox1.Line(0), "ID002"));
}

TEST_F(DeviceTableTest, RegisteredDatagramUpdatesTheRow) {
  Register(7, MacOf(7));
  sim.SetBootMillis(123'456'789);
  LiveRec first = HealthyRecord(MacOf(7), "10.0.0.7");
  first[27] = "01 02 01 02 01 02 01 02";
  Match(first);
  EXPECT_EQ(Cell(dtcol::PrevRecv, 7), ",");
  EXPECT_EQ(Cell(dtcol::RecvTick, 7), "123456");
  EXPECT_EQ(Cell(dtcol::IpAddress, 7), "10.0.0.7");
  EXPECT_EQ(Cell(dtcol::TmpActionCopy, 7), "01 02 01 02 01 02 01 02");
  EXPECT_EQ(Cell(dtcol::LiveBase, 7), "20");
  for (int k = 0; k < kLiveFields; ++k) EXPECT_EQ(Cell(dtcol::Live + k, 7), first[size_t(k)]) << k;
  EXPECT_EQ(main().receive.ListBox1.Line(0), "2010/11/16 12:52:07 DATAを受信しました。[10.0.0.7]       ID007");
  EXPECT_EQ(main().receive.RefTimePanel.Caption(), DateText(sim.Now()) + " " + TimeText(sim.Now()));

  LiveRec second = first;
  second[0] = "2010/11/17";
  second[1] = "08:00:00";
  sim.Advance(5000);
  Match(second, 2);
  EXPECT_EQ(Cell(dtcol::PrevRecv, 7), "2010/11/16,12:52:07");
  EXPECT_EQ(Cell(dtcol::RecvTick, 7), "123461");
  EXPECT_EQ(main().receive.ListBox1.Count(), 2u);
}

// The datagram's outlet count bounds the evaluation, whatever the flags.
TEST_F(DeviceTableTest, OutletCountBoundsTheEvaluatedOutlets) {
  Register(7, MacOf(7), "00000000", "10101000");
  main().icons.IconReStetingData();
  ASSERT_EQ(Keys(), (std::vector<std::string>{"0007 0001", "0007 0003", "0007 0005"}));
  SetMonitoring(true);
  LiveRec rec = HealthyRecord(MacOf(7));
  rec[5] = "4";
  Match(rec);
  // Power ON (image 7) recorded for the evaluated outlets 1 and 3 only.
  EXPECT_EQ(Cell(dtcol::ItemImages, 7), "0007 0009 0007 0009 0009 0009 0009 0009 ");
  EXPECT_EQ(ImageOf(7, 5), 9);

  // No outlet record: the row is still updated, nothing is evaluated.
  table().SetCell(dtcol::ItemImages, 7, "0009 0009 0009 0009 0009 0009 0009 0009 ");
  rec[5] = "";
  rec[1] = "13:00:00";
  Match(rec);
  EXPECT_EQ(Cell(dtcol::RecvTime, 7), "13:00:00");
  EXPECT_EQ(Cell(dtcol::ItemImages, 7), "0009 0009 0009 0009 0009 0009 0009 0009 ");
}

TEST_F(DeviceTableTest, UnregisteredListGrowsToOneHundredRows) {
  Grid& unreg = dbg().StringGrid2;
  for (int n = 1; n <= 97; ++n) Match(HealthyRecord(MacOf(n), "10.0.0.1"));
  EXPECT_EQ(unreg.RowCount(), 99);
  EXPECT_EQ(UnregNodes().size(), 97u);
  EXPECT_EQ(UnregNodes()[0], "[" + MacOf(1) + "] 10.0.0.1 未登録");

  struct Step {
    int mac;
    int row;        // row that holds it afterwards
    int row_count;  // of the list afterwards
    size_t nodes;
  } steps[] = {
      {98, 98, 100, 98},  // the last listed device
      {99, 99, 100, 98},  // into the scratch row, no node
      {100, 99, 100, 98},  // overwrites the scratch row
      {100, 99, 100, 98},  // heard again: same row
      {5, 5, 100, 98},    // a listed device is updated in its row
  };
  for (const Step& s : steps) {
    LiveRec rec = HealthyRecord(MacOf(s.mac), "10.0.0.2");
    rec[1] = "13:0" + std::to_string(s.mac % 10) + ":00";
    Match(rec);
    EXPECT_EQ(unreg.Cell(5, s.row), MacOf(s.mac)) << s.mac;
    EXPECT_EQ(unreg.Cell(2, s.row), rec[1]) << s.mac;
    EXPECT_EQ(unreg.Cell(3, s.row), "10.0.0.2") << s.mac;
    EXPECT_EQ(unreg.RowCount(), s.row_count) << s.mac;
    EXPECT_EQ(UnregNodes().size(), s.nodes) << s.mac;
  }
  EXPECT_TRUE(dbg().UnregGuard);
  EXPECT_TRUE(EndsWith(main().receive.ListBox1.Line(0), "[10.0.0.2]       未登録"));
}

TEST_F(DeviceTableTest, SecondDatagramOfListedDeviceAddsNoNode) {
  LiveRec rec = HealthyRecord(MacOf(1));
  Match(rec);
  rec[1] = "12:59:59";
  Match(rec);
  EXPECT_EQ(UnregNodes(), std::vector<std::string>{"[" + MacOf(1) + "] 192.168.1.10 未登録"});
  EXPECT_EQ(dbg().StringGrid2.RowCount(), 3);
  EXPECT_EQ(dbg().StringGrid2.Cell(2, 1), "12:59:59");
}

TEST_F(DeviceTableTest, ClearedGuardSkipsTheListButNotTheReceiveLine) {
  dbg().UnregGuard = false;
  Match(HealthyRecord(MacOf(1)));
  EXPECT_EQ(dbg().StringGrid2.RowCount(), 2);
  EXPECT_EQ(dbg().StringGrid2.Cell(5, 1), "");
  EXPECT_EQ(main().receive.ListBox1.Count(), 1u);
}

TEST_F(DeviceTableTest, ReceiveListKeepsTheTwentyNewest) {
  Register(7, MacOf(7));
  TreeView& tree = app->tree().TreeView1;
  TreeNode* node = app->tree().TreeNewDataSet(tree.Top(0), "ID007", "Dev7");
  for (int n = 1; n <= 21; ++n) {
    LiveRec rec = HealthyRecord(MacOf(7));
    rec[1] = "13:00:" + ZeroPad(n, 2);
    tree.SetImageIndex(node, -1);
    Match(rec, n % 20);
    EXPECT_EQ(node->ImageIndex(), treeimg::Device) << n;  // every match ends with the node icons
  }
  ASSERT_EQ(main().receive.ListBox1.Count(), 20u);
  EXPECT_EQ(main().receive.ListBox1.Line(0), "2010/11/16 13:00:21 DATAを受信しました。[192.168.1.10]   ID007");
  EXPECT_EQ(main().receive.ListBox1.Line(19).substr(0, 19), "2010/11/16 13:00:02");
}

TEST_F(DeviceTableTest, TempHistoryOfTheChartedDevice) {
  Register(7, MacOf(7));
  Register(8, MacOf(8));
  main().TempDevice = 7;
  ChartWindow& chart = app->Form11();
  chart.ChartActive = 1;  // open: every datagram of the device redraws it
  for (int n = 1; n <= 101; ++n) {
    LiveRec rec = HealthyRecord(MacOf(7));
    rec[1] = "13:" + ZeroPad(n / 60, 2) + ":" + ZeroPad(n % 60, 2);
    rec[40] = std::to_string(n) + ".0";
    rec[28] = "-5", rec[29] = "0", rec[33] = "45", rec[34] = "40";  // thresholds
    Match(rec);
  }
  Match(HealthyRecord(MacOf(8)));  // another device leaves it alone
  EXPECT_EQ(chart.Memo1Appended, 101u);  // one status line per redraw
  EXPECT_EQ(chart.Chart1.Points(ChartWindow::Series1).size(), 100u);
  EXPECT_EQ(chart.Label1.Caption(), "2010/11/16 13:01:41 101.0℃ ");
  EXPECT_EQ(main().receive.TempHistory[0], "2010/11/16,13:01:41,101.0");
  EXPECT_EQ(main().receive.TempHistory[99], "2010/11/16,13:00:02,2.0");  // the first entry was dropped
  EXPECT_EQ(main().receive.TempLabel.Caption(), "101.0");

  LiveRec no_sensor = HealthyRecord(MacOf(7));
  no_sensor[40] = "";
  Match(no_sensor);
  EXPECT_EQ(main().receive.TempHistory[0], "2010/11/16,12:52:07,");
  EXPECT_EQ(main().receive.TempLabel.Caption(), "");
}

TEST_F(DeviceTableTest, TempHistoryNeedsAChartedDevice) {
  Register(7, MacOf(7));
  main().TempDevice = 0;
  Match(HealthyRecord(MacOf(7)));
  EXPECT_EQ(main().receive.TempHistory[0], "");
}

TEST_F(DeviceTableTest, DetailWindowRefreshedForItsDeviceOnly) {
  Register(7, MacOf(7));
  Register(8, MacOf(8));
  DetailWindow& detail = app->Form6();
  main().receive.DetailDevice = 8;
  Match(HealthyRecord(MacOf(7)));
  EXPECT_EQ(detail.NamePanel.Caption(), "");
  EXPECT_EQ(detail.OverlayRow, 0);
  Match(HealthyRecord(MacOf(8)));
  EXPECT_EQ(detail.NamePanel.Caption(), "Dev8");
  EXPECT_EQ(detail.TempLabel.Caption(), "23.5");
  EXPECT_EQ(detail.OverlayRow, 8);
  EXPECT_FALSE(detail.Visible());  // refilled while hidden, not shown
}

}  // namespace
}  // namespace zol

namespace zol {
namespace {

// A CSV line per outlet up to the datagram's outlet count whose log flag is
// a digit above 0, into d + ID + outlet + yymmdd + .csv.
TEST_F(DeviceTableTest, CsvLinesByLogFlags) {
  Register(12, MacOf(12));
  main().LogDir = dir.path();
  table().SetCell(dtcol::LogFlags, 12, "1020x111");
  LiveRec rec = HealthyRecord(MacOf(12));
  rec[5] = "5";
  Match(rec);
  const std::string day = Yymmdd(sim.Now());
  for (int i = 1; i <= 8; ++i) {
    const bool written = i == 1 || i == 3;
    EXPECT_EQ(FileExists(dir.File("d012" + ZeroPad(i, 2) + day + ".csv")), written) << i;
  }
  std::string csv;
  ASSERT_TRUE(ReadFile(dir.File("d01203" + day + ".csv"), &csv));
  EXPECT_EQ(csv.substr(0, 25), "2010/11/16,12:52:07,12,3,");
}

}  // namespace
}  // namespace zol
