// The detail grid: one category of a device's data per click, the state
// texts and their colours, and the selection reset.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "console/detail_grid.h"
#include "console/device_tree.h"
#include "console/main_window.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "support/app_fixture.h"

namespace zol {
namespace {

using Row3 = std::array<std::string, 3>;

// Device 12 as the device editor stores it, with the live record of its
// last datagram: eight outlets of every kind and state the grid names.
struct DetailRig : ::testing::Test, AppFixture {
  static constexpr int kId = 12;

  DetailRig() {
    sim.SetBootMillis(3600 * 1000);  // an hour after the PC's start
    sim.SetNow(DateTime{2024, 5, 1, 9, 30, 0});
    Set(dtcol::MacAddress, "02:5A:3C:00:00:0C");
    Set(dtcol::LiveBase, "20");
    Set(dtcol::OutletInfo, "8,1");
    Set(dtcol::ConnectInfo, "telnet,192.168.0.205,8023,xx,23,1,1,1");
    Set(dtcol::IpAddress, "192.168.1.12");
    Set(dtcol::LogFlags, "10100000");
    Set(dtcol::IconFlags, "11111111");
    Set(dtcol::ItemKinds, "01221105");
    Set(dtcol::DeviceName, "サーバ室A");
    Set(dtcol::OutletNames, "Router,Web,Sensor,Cold,DB,Spare,Lamp,,");
    Set(dtcol::GroupName, "G003 東棟");
    Set(dtcol::DeviceMemo, "2F 北側");
    Set(dtcol::PrevRecv, "2024/05/01,09:28:00");
    Set(dtcol::RecvTick, "3600");
    Set(dtcol::RecvDate, "2024/05/01");
    Set(dtcol::RecvTime, "09:29:00");
    Set(dtcol::SrcIp, "192.168.1.12");
    Set(dtcol::SrcMac, "02:5A:3C:00:00:0C");
    Set(dtcol::OlCount, "8");
    Set(dtcol::PngPower, "0001 0001 0001 0001 0001 0001 0000 000A");
    Set(dtcol::PngJudge, "0001 0002 0001 0001 0001 0001 0001 0001");
    Set(dtcol::PngAction, "0001 0001 0001 0001 0001 0000 0001 0001");
    Set(dtcol::PngNoResp2, "0000 0000 0000 0000 0003 0000 0000 0000");
    Set(dtcol::TempEnabled, "01");
    Set(dtcol::TestMode, "00");
    Set(dtcol::TestSimMode, "02");
    Set(dtcol::TmpActions, "01 01 01 02 01 01 01 01");
    Set(dtcol::LowerAlarm, "-5");
    Set(dtcol::LowerCaution, "0");
    Set(dtcol::LowerHys, "1");
    Set(dtcol::LowerOff, "00");
    Set(dtcol::UpperAlarm, "40");
    Set(dtcol::UpperCaution, "35");
    Set(dtcol::UpperHys, "2");
    Set(dtcol::UpperOff, "01");
    Set(dtcol::Status, "02");
    Set(dtcol::ActionStatus, "03");
    Set(dtcol::CurTemp, "41.5");
  }
  void Set(int col, const std::string& v) { app->Form4().StringGrid1.SetCell(col, kId, v); }
  DetailGrid& area() { return app->Form2().detail_grid; }
  const Grid& grid() { return area().StringGrid2; }
  // The operator has selected a row and scrolled.
  void StringGrid2Scrolled() {
    Grid& g = area().StringGrid2;
    g.SetRow(5);
    g.SetTopRow(7);
    g.SetLeftCol(2);
  }

  // Every row of the grid must be the expected one in columns 0 to 2 and
  // empty in columns 3 and 4; rows past the expected ones are empty.
  void ExpectGrid(const std::vector<Row3>& rows) {
    for (int r = 0; r < grid().RowCount(); ++r) {
      const Row3 want = static_cast<size_t>(r) < rows.size() ? rows[static_cast<size_t>(r)] : Row3{};
      for (int c = 0; c < 3; ++c) EXPECT_EQ(grid().Cell(c, r), want[static_cast<size_t>(c)]) << "cell " << c << "," << r;
      EXPECT_EQ(grid().Cell(3, r), "") << "row " << r;
      EXPECT_EQ(grid().Cell(4, r), "") << "row " << r;
    }
  }
};

TEST_F(DetailRig, GridShapeAndLayout) {
  EXPECT_EQ(grid().ColCount(), 5);
  EXPECT_EQ(grid().RowCount(), 30);
  EXPECT_EQ(grid().FixedCols(), 1);
  EXPECT_EQ(grid().FixedRows(), 1);
  EXPECT_EQ(grid().DefaultRowHeight(), 16);
  const std::array<int, 5> widths{16, 73, 123, 62, 62};
  for (int c = 0; c < 5; ++c) EXPECT_EQ(grid().ColWidth(c), widths[static_cast<size_t>(c)]);
}

TEST_F(DetailRig, StateRowsNameEachItemKindAndState) {
  area().TreeDataState(kId, "状態表示");
  ExpectGrid({{"No", "設定内容", "状態"},
              {"1", "電源状態", "電源ON"},
              {"2", "PING監視", "異常"},
              {"3", "温度監視", "警報"},   // upper action, status 2
              {"4", "温度監視", "正常"},   // lower action, status 2
              {"5", "PING監視", "注意"},   // a no-response count
              {"6", "PING監視", "不明"},   // watch without action
              {"7", "電源状態", "電源OFF"},
              {"8", "", ""}});           // kind 5: no kind, no state
}

TEST_F(DetailRig, StateRowsOfASilentDeviceReadTimeOutAtTheClick) {
  // TimeOutMin 10: the last datagram lies 601 s back at the click.
  sim.SetBootMillis((3600 + 601) * 1000);
  area().TreeDataState(kId, "状態表示");
  for (int i = 1; i <= 7; ++i) EXPECT_EQ(grid().Cell(2, i), "TimeOut") << i;
  EXPECT_EQ(grid().Cell(2, 8), "");
  // Exactly 600 s is not yet a time-out; the grid shows the click's moment.
  sim.SetBootMillis((3600 + 600) * 1000);
  area().TreeDataState(kId, "状態表示");
  EXPECT_EQ(grid().Cell(2, 2), "異常");
}

TEST_F(DetailRig, OutletRowsReadThePowerWordAndTheOutletNames) {
  area().TreeDataState(kId, "アウトレット");
  ExpectGrid({{"No", "電源状態", "アウトレット名称"},
              {"1", "ON", "Router"},
              {"2", "ON", "Web"},
              {"3", "ON", "Sensor"},
              {"4", "ON", "Cold"},
              {"5", "ON", "DB"},
              {"6", "ON", "Spare"},
              {"7", "OFF", "Lamp"},
              {"8", "OFF", ""}});  // word 000A is no decimal number
}

TEST_F(DetailRig, TemperatureRowsCarryTheUnitOnlyWithThresholds) {
  area().TreeDataState(kId, "温度監視");
  ExpectGrid({{"", "名", "値"},
              {"", "現在温度", "41.5℃"},
              {"", "上限警報", "40℃"},
              {"", "上限注意", "35℃"},
              {"", "上限Hys", "2℃"},
              {"", "下限警報", "-5℃"},
              {"", "下限注意", "0℃"},
              {"", "下限Hys", "1℃"},
              {"", "UpperOff", "01"},
              {"", "LowerOff", "00"},
              {"", "Status", "02"},
              {"", "ActionStatus", "03"},
              {"", "TempEnabled", "01"},
              {"", "TestMode", "00"},
              {"", "TestSimMode", "02"}});

  // A device without a sensor: no reading, no thresholds, no unit.
  for (int col = dtcol::TempEnabled; col <= dtcol::CurTemp; ++col) Set(col, "");
  Set(dtcol::LowerAlarm, "-5");  // a lower threshold alone brings no unit
  area().TreeDataState(kId, "温度監視");
  EXPECT_EQ(grid().Cell(2, 1), "");
  EXPECT_EQ(grid().Cell(2, 2), "");
  EXPECT_EQ(grid().Cell(2, 5), "-5");
  EXPECT_EQ(grid().Cell(2, 10), "");
}

TEST_F(DetailRig, NetworkRowsAndTheTerminalIdOfTheOlderLayout) {
  area().TreeDataState(kId, "ネットワーク");
  const std::vector<Row3> network = {{"", "名", "値"},
                                     {"", "更新日時", "2024/05/01 09:29:00"},
                                     {"", "MACアドレス", "02:5A:3C:00:00:0C"},
                                     {"", "IPアドレス", "192.168.1.12"},
                                     {"", "接続方式", "telnet"},
                                     {"", "接続IPアドレス", "192.168.0.205"},
                                     {"", "接続PORT", "8023"}};
  ExpectGrid(network);
  // The device node itself shows the same rows.
  area().TreeDataState(kId, "");
  ExpectGrid(network);

  const struct {
    const char* mac;
    const char* name;
    const char* value;
  } macs[] = {
      {"FF:FF:FF:00:00:2A", "ターミナルID", "042"},
      {"FF:FF:FF:00:03:E7", "ターミナルID", "999"},
      {"FF:FF:FF:00:12:34", "ターミナルID", "4660"},  // wider than three digits: never cut
      {"FF:FF:FE:00:00:2A", "MACアドレス", "FF:FF:FE:00:00:2A"},
      {"FF:FF:FF", "ターミナルID", "000"},  // a short MAC reads as 0
  };
  for (const auto& m : macs) {
    Set(dtcol::MacAddress, m.mac);
    area().TreeDataState(kId, "ネットワーク");
    EXPECT_EQ(grid().Cell(1, 2), m.name) << m.mac;
    EXPECT_EQ(grid().Cell(2, 2), m.value) << m.mac;
  }
}

TEST_F(DetailRig, SettingRowsCutTheGroupCount) {
  area().TreeDataState(kId, "設定内容");
  ExpectGrid({{"No", "名", "値"},
              {"", "ID番号", "ID012"},
              {"", "機器名称", "サーバ室A"},
              {"", "グループ名", "G003 東棟"},
              {"", "アウトレット数", "8"},
              {"", "PING監視数", "1"},
              {"", "前回受信時間", "2024/05/01,09:28:00"}});
  Set(dtcol::GroupName, "G003 東棟 (4)");
  area().TreeDataState(kId, "設定内容");
  EXPECT_EQ(grid().Cell(2, 3), "G003 東棟");
}

TEST_F(DetailRig, LogRowsNameTodaysCsvFiles) {
  Set(dtcol::OlCount, "4");
  area().TreeDataState(kId, "ログ記録");
  ExpectGrid({{"No", "記録", "ファイル名"},
              {"1", "有効", "d01201240501.csv"},
              {"2", "無効", "d01202240501.csv"},
              {"3", "有効", "d01203240501.csv"},
              {"4", "無効", "d01204240501.csv"}});
  // After midnight the names are the new day's.
  sim.SetNow(DateTime{2024, 5, 2, 0, 0, 1});
  area().TreeDataState(kId, "ログ記録");
  EXPECT_EQ(grid().Cell(2, 1), "d01201240502.csv");
}

TEST_F(DetailRig, MemoShowsOnlyItsHeaderAndTheMemo) {
  area().TreeDataState(kId, "状態表示");
  area().TreeDataState(kId, "メモ");
  ExpectGrid({{"", "", "メモ内容"}, {"", "", "2F 北側"}});
}

TEST_F(DetailRig, OutletCountComesFromTheLastDatagramAndStaysInTheGrid) {
  const struct {
    const char* count;
    int rows;  // data rows of the per-outlet categories
  } cases[] = {{"", 0}, {"abc", 0}, {"0", 0}, {"-3", 0}, {"2", 2}, {"29", 29}, {"40", 29}, {"9999", 29}};
  for (const auto& k : cases) {
    Set(dtcol::OlCount, k.count);
    for (const char* category : {"状態表示", "アウトレット", "ログ記録"}) {
      area().TreeDataState(kId, category);
      EXPECT_EQ(grid().RowCount(), 30);
      EXPECT_NE(grid().Cell(1, 0), "") << category;  // the header row always
      for (int r = 1; r < 30; ++r)
        EXPECT_EQ(grid().Cell(0, r), r <= k.rows ? std::to_string(r) : "") << k.count << " " << category << " " << r;
    }
  }
}

TEST_F(DetailRig, DeviceNeverHeardShowsHeadersAndEmptyLiveValues) {
  for (int col = dtcol::Live; col < dtcol::Live + kLiveFields; ++col) Set(col, "");
  for (const char* category : {"状態表示", "アウトレット", "ログ記録"}) {
    area().TreeDataState(kId, category);
    EXPECT_NE(grid().Cell(1, 0), "") << category;
    for (int r = 1; r < 30; ++r) EXPECT_EQ(grid().Cell(1, r), "") << category;
  }
  area().TreeDataState(kId, "温度監視");
  for (int r = 1; r <= 14; ++r) EXPECT_EQ(grid().Cell(2, r), "") << r;
  area().TreeDataState(kId, "ネットワーク");
  EXPECT_EQ(grid().Cell(2, 1), " ");  // date + " " + time of no datagram
  EXPECT_EQ(grid().Cell(2, 2), "02:5A:3C:00:00:0C");  // the device's own settings stay
  EXPECT_EQ(grid().Cell(2, 3), "192.168.1.12");
}

TEST_F(DetailRig, UnknownCategoryEmptiesTheWholeGrid) {
  area().TreeDataState(kId, "状態表示");
  area().TreeDataState(kId, "状態");
  ExpectGrid({});
}

TEST_F(DetailRig, NodeClickFillsForDevicesAndKeepsTheGridOtherwise) {
  const struct {
    const char* level1;
    const char* level2;
    const char* header2;  // column 2 of the header row after the click
  } clicks[] = {
      {"ID012 サーバ室A", "メモ", "メモ内容"},
      {"ID012 サーバ室A", "", "値"},           // the device node: network rows
      {"ID012 サーバ室A", "状態表示", "状態"},
      {"G001 グループ1 (3)", "", "状態"},       // a group keeps the device's rows
      {"G000 未登録グループ (1)", "[02:5A:3C:00:00:09] 192.168.1.9 未登録", "状態"},
      {"[02:5A:3C:00:00:09] 192.168.1.9 未登録", "", "状態"},
      {"ID000 nothing", "", "状態"},           // no device 0
      {"IDx12 odd", "メモ", "状態"},           // no number
      {"", "", "状態"},                        // no node
  };
  for (const auto& c : clicks) {
    StringGrid2Scrolled();
    area().NodeClick(c.level1, c.level2);
    EXPECT_EQ(grid().Cell(2, 0), c.header2) << c.level1 << " / " << c.level2;
    // The selection is cleared on every click, whatever the node.
    EXPECT_EQ(grid().Row(), -1) << c.level1;
    EXPECT_EQ(grid().TopRow(), 1) << c.level1;
    EXPECT_EQ(grid().LeftCol(), 1) << c.level1;
  }
}

TEST_F(DetailRig, TreeClickReadsTheSelectedNodesAncestors) {
  // The tree as the rebuild makes it: the device under its group with its
  // seven categories, an unregistered device under G000.
  app->group_selector().items.Assign({"G003 東棟", "G000 未登録グループ"});
  Grid& unreg = app->Form4().StringGrid2;
  unreg.SetRowCount(3);
  unreg.SetCell(5, 1, "02:5A:3C:00:00:09");
  unreg.SetCell(3, 1, "192.168.1.9");
  DeviceTree& tree = app->tree();
  tree.ReStetingData();
  tree.TreeNodeRef();
  auto node = [&](const std::string& text) -> TreeNode* {
    for (TreeNode* n : tree.TreeView1.Nodes())
      if (n->Text() == text) return n;
    ADD_FAILURE() << "no node " << text;
    return nullptr;
  };
  const struct {
    const char* node;
    const char* header2;  // column 2 of the header row after the click
  } clicks[] = {
      {"ID012 サーバ室A", "値"},  // the device node: network rows
      {"状態表示", "状態"},
      {"アウトレット", "アウトレット名称"},
      {"温度監視", "値"},
      {"G003 東棟 (1)", "値"},  // the group keeps what the grid shows
      {"ログ記録", "ファイル名"},
      {"G000 未登録グループ (1)", "ファイル名"},
      {"[02:5A:3C:00:00:09] 192.168.1.9 未登録", "ファイル名"},
      {"メモ", "メモ内容"},
  };
  for (const auto& c : clicks) {
    TreeNode* n = node(c.node);
    if (!n) continue;
    StringGrid2Scrolled();
    tree.TreeView1.Select(n);
    area().TreeView1Click();
    EXPECT_EQ(grid().Cell(2, 0), c.header2) << c.node;
    EXPECT_EQ(grid().Row(), -1) << c.node;
    EXPECT_EQ(grid().TopRow(), 1) << c.node;
  }
  // The category texts of the tree are the grid's own: each one fills.
  TreeNode* device = node("ID012 サーバ室A");
  ASSERT_NE(device, nullptr);
  ASSERT_EQ(device->Count(), 7u);
  for (size_t k = 0; k < device->Count(); ++k) {
    tree.TreeView1.Select(device->Item(k));
    area().TreeView1Click();
    EXPECT_NE(grid().Cell(2, 0), "") << device->Item(k)->Text();
  }
}

TEST_F(DetailRig, StringGridSelectClearAtCreation) {
  app->Form2().detail_grid.StringGrid2.SetRow(4);
  app->Start();
  EXPECT_EQ(grid().Row(), -1);
  EXPECT_EQ(grid().TopRow(), 1);
  EXPECT_EQ(grid().LeftCol(), 1);
}

TEST_F(DetailRig, DrawCellColoursColumnsOneAndTwoByTheirText) {
  area().TreeDataState(kId, "状態表示");
  const CellRect rect{16, 32, 139, 48};
  const CellDrawing red = area().StringGrid2DrawCell(2, 2, rect);
  EXPECT_TRUE(red.draw);
  EXPECT_EQ(red.text, "異常");
  EXPECT_EQ(red.color, kDetailRed);
  EXPECT_EQ(red.x, 18);
  EXPECT_EQ(red.y, 34);
  const CellDrawing plain = area().StringGrid2DrawCell(1, 2, rect);
  EXPECT_TRUE(plain.draw);
  EXPECT_EQ(plain.text, "PING監視");
  EXPECT_FALSE(plain.color.has_value());
  for (int col : {0, 3, 4}) EXPECT_FALSE(area().StringGrid2DrawCell(col, 2, rect).draw) << col;
  // A device named like a state word shows in its colour in any category.
  Set(dtcol::DeviceName, "正常");
  area().TreeDataState(kId, "設定内容");
  EXPECT_EQ(area().StringGrid2DrawCell(2, 2, rect).color, kDetailGreen);
}

TEST(ItemCodeText, PowerAndKindTexts) {
  const struct {
    const char* code;
    int mode;
    const char* text;
  } cases[] = {
      {"0001", 1, "ON"},  {"0000", 1, "OFF"},     {"000A", 1, "OFF"},     {"", 1, "OFF"},
      {"0010", 1, "ON"},  {"0", 3, "電源状態"}, {"1", 3, "PING監視"}, {"2", 3, "温度監視"},
      {"5", 3, ""},       {"x", 3, "電源状態"}, {"", 3, "電源状態"},  {"1", 2, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ItemCodeText(c.code, c.mode), c.text) << c.code << " mode " << c.mode;
}

TEST(ItemStateText, KindByStateTable) {
  const struct {
    const char* code;
    const char* text;
  } cases[] = {
      {"00", "電源OFF"}, {"01", "電源ON"}, {"02", ""},     {"03", ""},       {"08", "TimeOut"}, {"09", "不明"},
      {"10", "正常"},     {"11", "注意"},   {"12", "異常"}, {"13", "回復中"}, {"18", "TimeOut"}, {"19", "不明"},
      {"20", "正常"},     {"21", "注意"},   {"22", "警報"}, {"23", ""},       {"28", "TimeOut"}, {"29", "不明"},
      {"14", ""},         {"30", ""},       {"8", ""},     {"", ""},         {"111", ""},       {"1x", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ItemStateText(c.code), c.text) << c.code;
}

TEST(DetailTextColor, StateWordsInColumnsOneAndTwo) {
  const struct {
    const char* text;
    std::optional<Color> col1, col2;
  } cases[] = {
      {"電源ON", std::nullopt, kDetailGreen}, {"正常", std::nullopt, kDetailGreen},
      {"TimeOut", std::nullopt, kDetailBlue}, {"不明", std::nullopt, kDetailBlue},
      {"注意", std::nullopt, kDetailOlive},   {"警報", std::nullopt, kDetailRed},
      {"異常", std::nullopt, kDetailRed},     {"ON", kDetailGreen, std::nullopt},
      {"電源OFF", std::nullopt, std::nullopt}, {"回復中", std::nullopt, std::nullopt},
      {"OFF", std::nullopt, std::nullopt},    {"on", std::nullopt, std::nullopt},
      {"正常 ", std::nullopt, std::nullopt},  {"", std::nullopt, std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DetailTextColor(1, c.text), c.col1) << c.text;
    EXPECT_EQ(DetailTextColor(2, c.text), c.col2) << c.text;
    for (int col : {0, 3, 4}) EXPECT_EQ(DetailTextColor(col, c.text), std::nullopt) << c.text << " col " << col;
  }
}

}  // namespace
}  // namespace zol
