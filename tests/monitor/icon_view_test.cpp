#include "monitor/icon_view.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "console/device_window.h"
#include "console/chart_window.h"
#include "console/detail_window.h"
#include "monitor_fixture.h"

namespace zol {
namespace {

// Device 1 shows one item of every state, device 2 has timed out, device 3
// has a MAC too short to be taken as registered, device 4 has no outlet
// count.
class IconViewTest : public MonitorFixture {
 protected:
  IconViewTest() {
    main().TimeOutMin = 10;
    sim.SetBootMillis(10'000'000);

    Register(1, MacOf(1), "00111222");
    LiveRec r1 = HealthyRecord(MacOf(1), "10.0.0.1");
    r1[11] = "0001 0000 0001 0001 0001 0001 0001 0001";  // power ON, OFF
    r1[12] = "0001 0001 0001 0001 0002 0001 0001 0001";  // outlet 5 abnormal
    r1[21] = "0000 0000 0000 0001" + Words(28, "0000").insert(0, " ");  // outlet 4 missed once
    r1[27] = "01 01 01 01 01 02 01 00";  // 6 lower action, 7 upper, 8 none
    r1[38] = "01";
    SetLive(1, r1);
    table().SetCell(dtcol::IpAddress, 1, "10.0.0.1");

    Register(2, MacOf(2), "01", "11", "2,4");
    SetLive(2, HealthyRecord(MacOf(2)));
    table().SetCell(dtcol::RecvTick, 2, "1000");  // silent for 9000 s

    Register(3, "00:11:22", "00000000");
    SetLive(3, HealthyRecord("00:11:22"));

    Register(4, MacOf(4), "11111111", "11111111", "");
    SetLive(4, HealthyRecord(MacOf(4)));
  }

  std::set<std::string> Shown() {
    std::set<std::string> s;
    for (const std::string& k : Keys()) s.insert(std::to_string(KeyRow(k, 0)) + ":" + std::to_string(KeyOutlet(k, 0)));
    return s;
  }
  int Select(int row, int outlet) {
    int idx = main().icons.FindIcon(row, outlet);
    main().icons.ListView1.SetSelected(idx);
    main().icons.ListView1SelectItem();
    return idx;
  }
};

const std::set<std::string> kAll = {"1:1", "1:2", "1:3", "1:4", "1:5", "1:6", "1:7", "1:8", "2:1", "2:2", "4:1"};

std::set<std::string> Without(std::set<std::string> s, const std::vector<std::string>& gone) {
  for (const std::string& g : gone) s.erase(g);
  return s;
}

TEST_F(IconViewTest, ButtonsAsCreated) {
  const char* const hints[8] = {"", "アウトレット", "PING監視", "温度監視", "OK", "!", "NG", "?"};
  for (int b = 1; b <= 7; ++b) {
    EXPECT_EQ(main().icons.ToolButtonChk[size_t(b)].Hint(), hints[b]) << b;
    EXPECT_TRUE(main().icons.ToolButtonChk[size_t(b)].Down()) << b;
  }
  EXPECT_EQ(main().icons.ToolButton3.Hint(), "ALL");
  EXPECT_FALSE(main().receive.Panel21.Visible());
  EXPECT_EQ(main().icons.StatusBar1.Count(), 5u);
}

TEST_F(IconViewTest, FilterButtons) {
  struct {
    const char* what;
    std::vector<int> up;
    std::set<std::string> shown;
  } cases[] = {
      {"default", {}, kAll},
      {"Chk1 up: no power item", {1}, Without(kAll, {"1:1", "1:2", "2:1"})},
      {"Chk2 up: no PING item", {2}, Without(kAll, {"1:3", "1:4", "1:5", "2:2", "4:1"})},
      {"Chk7 up: no time-out or unknown, power included", {7}, Without(kAll, {"1:8", "2:1", "2:2"})},
      {"Chk4 up: power OFF stays", {4}, Without(kAll, {"1:3", "1:6", "4:1"})},
      {"Chk5 up: power ON stays", {5}, Without(kAll, {"1:4", "1:7"})},
      {"Chk1 and Chk4 up", {1, 4}, Without(kAll, {"1:1", "1:2", "2:1", "1:3", "1:6", "4:1"})},
      {"Chk3 up: no temperature item", {3}, Without(kAll, {"1:6", "1:7", "1:8"})},
      {"Chk6 up: no abnormal item", {6}, Without(kAll, {"1:5"})},
  };
  for (const auto& c : cases) {
    for (int b = 1; b <= 7; ++b) main().icons.ToolButtonChk[size_t(b)].SetDown(true);
    for (int b : c.up) main().icons.ToolButtonChk[size_t(b)].SetDown(false);
    main().icons.ToolButtonChk1Click();
    EXPECT_EQ(Shown(), c.shown) << c.what;
    EXPECT_EQ(main().icons.KeyList.size(), c.shown.size()) << c.what;
  }

  // An item with an empty code (kind digit 5) passes every filter and is
  // counted nowhere.
  table().SetCell(dtcol::ItemKinds, 4, "5");
  for (int b = 1; b <= 7; ++b) main().icons.ToolButtonChk[size_t(b)].SetDown(false);
  main().icons.ToolButtonChk7Click();
  EXPECT_EQ(Shown(), std::set<std::string>{"4:1"});
  for (const Panel* p : {&main().icons.Panel12, &main().icons.Panel13, &main().icons.Panel14, &main().icons.Panel15, &main().icons.Panel17,
                         &main().icons.Panel19})
    EXPECT_EQ(p->Caption(), "0");
}

TEST_F(IconViewTest, IconsKeysCaptionsAndCounters) {
  main().icons.IconReStetingData();
  main().icons.IconDataCheck();
  ASSERT_EQ(main().icons.ListView1.Count(), 11u);
  EXPECT_EQ(main().icons.ListView1.Item(0).key, "0001 0001");
  EXPECT_EQ(main().icons.ListView1.Item(0).caption, "Out1");
  EXPECT_EQ(main().icons.ListView1.Item(10).key, "0004 0001");
  EXPECT_EQ(main().icons.KeyList.front(), "0001 0001");
  EXPECT_EQ(main().icons.ListView1.Item(size_t(main().icons.FindIcon(1, 6))).caption, "Out6        (23.5℃)");
  const std::vector<std::pair<int, int>> images = {{1, 7}, {2, 6}, {3, 0}, {4, 1}, {5, 2}, {6, 3}, {7, 4}, {8, 9}};
  for (const auto& im : images) EXPECT_EQ(ImageOf(1, im.first), im.second) << im.first;
  EXPECT_EQ(ImageOf(2, 1), 8);
  EXPECT_EQ(ImageOf(2, 2), 8);

  const std::vector<std::pair<const Panel*, std::string>> counters = {
      {&main().icons.Panel12, "3"}, {&main().icons.Panel13, "2"}, {&main().icons.Panel14, "1"},
      {&main().icons.Panel15, "3"}, {&main().icons.Panel17, "1"}, {&main().icons.Panel19, "1"}};
  int sum = 0;
  for (const auto& c : counters) {
    EXPECT_EQ(c.first->Caption(), c.second);
    sum += std::stoi(c.first->Caption());
  }
  EXPECT_EQ(sum, 11);
}

TEST_F(IconViewTest, StatusBarOfTheSelectedIcon) {
  main().icons.IconReStetingData();
  struct {
    int row, outlet;
    const char* state;
  } cases[] = {
      {1, 1, " 電源ON"}, {1, 2, " 電源OFF"}, {1, 4, " PING 注意"}, {1, 5, " PING 異常"},
      {1, 6, " 温度 正常 (23.5℃)"}, {1, 7, " 温度 注意 (23.5℃)"}, {1, 8, ""},
      {2, 1, " 電源ON"},  // timed-out power item
      {2, 2, "PING"},     // timed-out PING item
  };
  for (const auto& c : cases) {
    ASSERT_GE(Select(c.row, c.outlet), 0);
    EXPECT_EQ(main().icons.StatusBar1.Panel(3), c.state) << c.row << ":" << c.outlet;
  }
  // A timed-out temperature item: the bare kind text, still with the
  // temperature.
  table().SetCell(dtcol::ItemKinds, 2, "21");
  Select(2, 1);
  EXPECT_EQ(main().icons.StatusBar1.Panel(3), "温度 (23.5℃)");

  Select(1, 3);
  EXPECT_EQ(main().icons.StatusBar1.Panel(0), " 10.0.0.1");
  EXPECT_EQ(main().icons.StatusBar1.Panel(1), " ID001 Dev1");
  EXPECT_EQ(main().icons.StatusBar1.Panel(2), " G001 Floor");
  EXPECT_EQ(main().icons.StatusBar1.Panel(3), " PING 正常");
  EXPECT_EQ(main().icons.StatusBar1.Panel(4), "更新時間 2010/11/16 12:52:07");

  main().icons.ListView1.SetSelected(-1);
  main().icons.ListView1SelectItem();
  for (size_t p = 0; p < 5; ++p) EXPECT_EQ(main().icons.StatusBar1.Panel(p), "") << p;
}

TEST_F(IconViewTest, DoubleClick) {
  DeviceWindow& device = app->Form7();
  device.Show();
  app->Form6().Show();
  main().icons.IconReStetingData();
  // The settings dialog had disabled the start button while monitoring is
  // stopped: the double-click gives it back.
  main().monitoring.ToolButton1.SetEnabled(false);
  sim.Advance(5000);

  main().icons.ListView1DblClick();  // on empty space
  EXPECT_FALSE(app->Form6().Visible());
  EXPECT_FALSE(device.Visible());  // closed with the other dialogs, not opened again
  EXPECT_TRUE(main().monitoring.ToolButton1.Enabled());
  EXPECT_EQ(Cell(dtcol::RecvTick, 2), "10005");  // receive clock restarted
  EXPECT_EQ(Cell(dtcol::RecvTick, 1), "");      // none before, none now

  Select(1, 5);
  main().icons.ListView1DblClick();
  // The device window opens on the item's window key "0001 0005 2".
  EXPECT_TRUE(device.Visible());
  EXPECT_EQ(device.Panel4.Caption(), "ID0001");
  EXPECT_EQ(device.Panel6.Caption(), "5");
  EXPECT_EQ(device.Panel3.Caption(), "PING 異常");
  EXPECT_EQ(ItemWindowKey("0007 0003", 12), "0007 0003 12");
}

// The operator's selection survives the rebuilds that datagrams, filters
// and time-outs make between two clicks: it stays on the icon of its key,
// wherever the icons before it moved, on either road of the rebuild, until
// the item is no longer shown.
TEST_F(IconViewTest, RebuildsKeepTheSelectedIconByItsKey) {
  for (const bool plain : {false, true}) {
    SCOPED_TRACE(plain ? "plain road" : "incremental road");
    IconView& icons = main().icons;
    icons.PlainRoad = plain;
    icons.ToolButton3Click();
    icons.SelectIcon("0002 0002");
    ASSERT_EQ(icons.ListView1.Selected(), icons.FindIcon(2, 2));
    EXPECT_EQ(icons.StatusBar1.Panel(1), " ID002 Dev2");  // the selection event ran

    // A datagram's rebuild that changes nothing else keeps it.
    icons.IconReStetingData();
    EXPECT_EQ(icons.ListView1.Selected(), icons.FindIcon(2, 2));
    // Icons before it go and come back (a device's icons hidden, then a
    // filter): the selection follows the key to its new place.
    table().SetCell(dtcol::IconFlags, 1, "00000011");
    icons.IconReStetingData();
    ASSERT_EQ(icons.ListView1.Count(), 5u);
    EXPECT_EQ(icons.ListView1.Selected(), 3);
    EXPECT_EQ(icons.ListView1.Item(3).key, "0002 0002");
    icons.ToolButtonChk[1].SetDown(false);
    icons.ToolButtonChk1Click();
    EXPECT_EQ(icons.ListView1.Item(static_cast<size_t>(icons.ListView1.Selected())).key, "0002 0002");
    table().SetCell(dtcol::IconFlags, 1, "00111222");
    icons.ToolButton3Click();
    EXPECT_EQ(icons.ListView1.Selected(), icons.FindIcon(2, 2));
    EXPECT_EQ(icons.StatusBar1.Panel(1), " ID002 Dev2");

    // Its item hidden (timed out, "?" up): nothing is selected, also after
    // it is shown again.
    icons.ToolButtonChk[7].SetDown(false);
    icons.ToolButtonChk7Click();
    EXPECT_EQ(icons.ListView1.Selected(), -1);
    icons.ToolButton3Click();
    EXPECT_EQ(icons.ListView1.Selected(), -1);

    // A key that names no icon, or none at all (empty space), selects
    // nothing and empties the status bar.
    icons.SelectIcon("0001 0005");
    icons.SelectIcon("0003 0001");
    EXPECT_EQ(icons.ListView1.Selected(), -1);
    EXPECT_EQ(icons.StatusBar1.Panel(1), "");
    icons.SelectIcon("0001 0005");
    icons.SelectIcon("");
    EXPECT_EQ(icons.ListView1.Selected(), -1);
    EXPECT_EQ(icons.StatusBar1.Panel(3), "");
  }
}

TEST_F(IconViewTest, AllButtonPressesEveryFilterAndRebuilds) {
  for (int b = 1; b <= 7; ++b) main().icons.ToolButtonChk[size_t(b)].SetDown(b % 2 == 0);
  main().icons.ToolButton3Click();
  for (int b = 1; b <= 7; ++b) EXPECT_TRUE(main().icons.ToolButtonChk[size_t(b)].Down()) << b;
  EXPECT_EQ(Shown(), kAll);
  EXPECT_EQ(main().icons.Panel12.Caption(), "3");
  // Already all down: still rebuilt.
  table().SetCell(dtcol::IconFlags, 4, "0");
  main().icons.ToolButton3Click();
  EXPECT_EQ(Shown(), Without(kAll, {"4:1"}));
  EXPECT_EQ(main().icons.Panel12.Caption(), "2");
}

TEST_F(IconViewTest, SingleIconsAddedAndDeleted) {
  main().icons.IconReStetingData();
  main().icons.ListDataDel(1, 3);
  main().icons.ListDataDel(1, 3);  // no such icon any more: nothing
  main().icons.ListDataDel(9, 1);
  EXPECT_EQ(main().icons.ListView1.Count(), 10u);
  EXPECT_EQ(main().icons.KeyList.size(), 11u);  // the key stays until the next rebuild
  EXPECT_EQ(main().icons.FindIcon(1, 3), -1);

  // The lookup follows the shifted icons.
  EXPECT_EQ(main().icons.ListView1.Item(size_t(main().icons.FindIcon(1, 4))).key, "0001 0004");
  table().SetCell(dtcol::PngJudge, 1, "0001 0001 0001 0002");
  main().alerts.ListDataCheck(1, 4);
  EXPECT_EQ(main().icons.ListView1.Item(2).key, "0001 0004");
  EXPECT_EQ(main().icons.ListView1.Item(2).image, 2);

  // Added singly at the end; with two icons of one key the first is the
  // item's icon until it is deleted.
  main().icons.ListDataNew(1, 4);
  EXPECT_EQ(main().icons.ListView1.Count(), 11u);
  EXPECT_EQ(main().icons.KeyList.back(), "0001 0004");
  EXPECT_EQ(main().icons.FindIcon(1, 4), 2);
  main().icons.ListDataDel(1, 4);
  EXPECT_EQ(main().icons.FindIcon(1, 4), 9);

  main().icons.IconReStetingData();
  EXPECT_EQ(main().icons.KeyList.size(), 11u);
}

// The last row of the table takes part like any other; a row emptied
// again drops out.
TEST_F(IconViewTest, LastTableRowAndEmptiedRows) {
  Register(999, MacOf(999), "0", "1", "1,4");
  SetLive(999, HealthyRecord(MacOf(999)));
  main().icons.IconReStetingData();
  ASSERT_EQ(main().icons.ListView1.Count(), 12u);
  EXPECT_EQ(main().icons.ListView1.Item(11).key, "0999 0001");
  EXPECT_EQ(ImageOf(999, 1), 7);
  table().SetCell(dtcol::MacAddress, 999, "");
  main().icons.IconReStetingData();
  EXPECT_EQ(main().icons.ListView1.Count(), 11u);
  EXPECT_EQ(main().icons.FindIcon(999, 1), -1);
}

// An icon added singly ahead of its place in the order is still found
// first, and the others keep being found.
TEST_F(IconViewTest, IconAddedOutOfOrderIsFound) {
  main().icons.IconReStetingData();
  main().icons.ListDataDel(1, 1);
  main().icons.ListDataNew(1, 1);
  EXPECT_EQ(main().icons.ListView1.Item(10).key, "0001 0001");
  EXPECT_EQ(main().icons.FindIcon(1, 1), 10);
  EXPECT_EQ(main().icons.FindIcon(1, 2), 0);
  EXPECT_EQ(main().icons.FindIcon(4, 1), 9);
  EXPECT_EQ(main().icons.FindIcon(4, 2), -1);
  main().icons.ListDataNew(1, 2);  // a second icon of (1, 2): the first stays the item's
  EXPECT_EQ(main().icons.FindIcon(1, 2), 0);
}

TEST_F(IconViewTest, ChartButton) {
  main().TempDevice = 1;
  ChartWindow& chart = app->Form11();
  ASSERT_EQ(chart.ChartActive, 0);
  main().icons.BitBtn1Click();
  EXPECT_EQ(chart.ChartActive, 1);
  EXPECT_EQ(chart.Chart1.Title(), std::vector<std::string>{"ID001 Dev1"});
  EXPECT_TRUE(chart.Visible());
  EXPECT_EQ(chart.Memo1.All(), std::vector<std::string>{"2010/11/16 12:52:07  23.5℃ "});  // refreshed at once
}

}  // namespace
}  // namespace zol
