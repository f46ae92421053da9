// The detail window on the simulated clock: what each fill writes, how each
// grid cell is painted, the overlay computed as a cell is painted, and the
// opening from the device window.
#include "console/detail_window.h"
#include "console/folder_chooser.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "monitor/monitor_fixture.h"

namespace zol {
namespace {

struct DetailTest : MonitorFixture {
  DetailTest() {
    sim.SetBootMillis(3600 * 1000);  // receive clocks above 0, so a time-out can happen
    app->Form6().FormCreate();
  }
  DetailWindow& w() { return app->Form6(); }
  // The texts of one grid row, columns 1 to the end.
  std::vector<std::string> RowCells(const Grid& g, int row) {
    std::vector<std::string> out;
    for (int c = 1; c < g.ColCount(); ++c) out.push_back(g.Cell(c, row));
    return out;
  }
  // Fill and text of an OlGrid overlay cell.
  std::pair<Color, std::string> Overlay(int col, int row) {
    const CellPaint p = w().OlGridDrawCell(col, row);
    return {p.fill, p.texts.empty() ? std::string("?") : p.texts[0].text};
  }
};

TEST_F(DetailTest, CreatedOnPageOneWithItsGrids) {
  EXPECT_EQ(w().Caption(), "詳細情報");
  EXPECT_EQ(w().ClientWidth, 490);
  EXPECT_EQ(w().ClientHeight, 480);
  EXPECT_FALSE(w().Visible());
  EXPECT_EQ(w().PageControl1.ActivePageIndex(), 0);
  EXPECT_EQ(w().TabCaption[3], "温度情報");
  EXPECT_EQ(RowCells(w().OlGrid, 0), (std::vector<std::string>{"電源", "判定/温度判断", "送信数/動作設定", "無応答/警報温度",
                                                               "対象数/注意温度", "動作/Hys温度", "実行数/現在温度"}));
  EXPECT_EQ(w().OlGrid.Cell(0, 0), "No.");
  EXPECT_EQ(RowCells(w().OlGrid2, 0), (std::vector<std::string>{"状態", "無応答数", "状態", "無応答数", "状態", "無応答数",
                                                                "状態", "無応答数"}));
  for (const Grid* g : {&w().OlGrid, &w().OlGrid2}) {
    EXPECT_EQ(g->RowHeight(0), 40);
    EXPECT_EQ(g->RowHeight(8), 25);
    EXPECT_EQ(g->Cell(0, 1), "1");
    EXPECT_EQ(g->Cell(0, 8), "8");
  }
  EXPECT_EQ(w().OlGrid.ColWidth(0), 25);
  EXPECT_EQ(w().OlGrid.ColWidth(1), 65);
  EXPECT_EQ(w().OlGrid.ColWidth(7), 60);
  EXPECT_EQ(w().OlGrid2.ColWidth(8), 53);
}

TEST_F(DetailTest, TwoOutletsShowTwoRowsAndNoOverlayBelow) {
  Register(3, MacOf(3), "11000000", "11111111", "2,1");
  LiveRec rec = HealthyRecord(MacOf(3));
  rec[5] = "2";
  rec[6] = "0001 0000";
  rec[13] = "000A 0003";  // PngSendNum
  rec[14] = "0005 0005";  // PngNoRespLimit
  rec[15] = "0001 0001";  // PngTargetNum
  rec[16] = "0001 0002";  // PngAction
  rec[19] = "0000 0010";  // PngExecNum
  rec[20] = rec[21] = "0000 0005";
  rec[27] = "00 00";
  SetLive(3, rec);
  w().Ol1_output(3);
  w().temp_output(3);
  w().TmpPngrefh(3);
  for (int k = 1; k <= 8; ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(w().OlNoLabel[k].Visible(), k <= 2);
    EXPECT_EQ(w().OlNamePanel[k].Visible(), k <= 2);
    EXPECT_EQ(w().OlImage[k].Visible(), k <= 2);
  }
  EXPECT_EQ(w().OlNamePanel[1].Caption(), "Out1");
  EXPECT_EQ(w().OlNamePanel[2].Caption(), "Out2");
  EXPECT_EQ(RowCells(w().OlGrid, 1), (std::vector<std::string>{"", "", "10", "5", "1", "ログのみ", "0"}));
  EXPECT_EQ(RowCells(w().OlGrid, 2), (std::vector<std::string>{"", "", "3", "5", "1", "リブート", "16"}));
  EXPECT_EQ(RowCells(w().OlGrid2, 1), (std::vector<std::string>{"正常", "0", "", "", "", "", "", ""}));
  EXPECT_EQ(RowCells(w().OlGrid2, 2), (std::vector<std::string>{"異常", "5", "", "", "", "", "", ""}));
  for (int r = 3; r <= 8; ++r) {
    SCOPED_TRACE(r);
    EXPECT_EQ(RowCells(w().OlGrid, r), std::vector<std::string>(7));
    EXPECT_EQ(Overlay(1, r), std::make_pair(kWindowColor, std::string()));
    EXPECT_EQ(Overlay(2, r), std::make_pair(kWindowColor, std::string()));
  }
  EXPECT_EQ(Overlay(1, 1), std::make_pair(Color{0xA0FFA0}, std::string("ON")));
  EXPECT_EQ(Overlay(2, 1), std::make_pair(Color{0xA0FFA0}, std::string("正常")));
}

TEST_F(DetailTest, HeaderFieldsAndTheTerminalIdOfTheOlderLayout) {
  struct Case {
    std::string mac, label, shown;
  } cases[] = {
      {"02:5A:3C:00:00:07", "MACアドレス", "02:5A:3C:00:00:07"},
      {"FF:FF:FF:00:01:2C", "ターミナルID", "300"},
      {"FF:FF:FF:00:00:07", "ターミナルID", "007"},
      {"FF:FF:FF:00:12:34", "ターミナルID", "4660"},
      {"ff:ff:ff:00:01:2c", "MACアドレス", "ff:ff:ff:00:01:2c"},  // the test is exact text
      {"", "MACアドレス", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mac);
    Register(7, c.mac.empty() ? MacOf(7) : c.mac);
    LiveRec rec = HealthyRecord(c.mac, "10.0.0.9");
    SetLive(7, rec);
    w().Ol1_output(7);
    EXPECT_EQ(w().Label7.Caption(), c.label);
    EXPECT_EQ(w().MacAddrPanel.Caption(), c.shown);
  }
  EXPECT_EQ(w().DatePanel.Caption(), "2010/11/16 12:52:07");
  EXPECT_EQ(w().NamePanel.Caption(), "Dev7");
  EXPECT_EQ(w().MemoPanel.Caption(), "memo7");
  EXPECT_EQ(w().IpaddrPanel.Caption(), "10.0.0.9");

  // A row that never reported: empty fields, one outlet (empty count field).
  table().SetCell(dtcol::OutletInfo, 9, "");
  w().Ol1_output(9);
  EXPECT_EQ(w().DatePanel.Caption(), " ");
  EXPECT_EQ(w().NamePanel.Caption(), "");
  EXPECT_TRUE(w().OlNamePanel[1].Visible());
  EXPECT_FALSE(w().OlNamePanel[2].Visible());
  EXPECT_EQ(w().OlImage[1].Band(), StripImage::kNone);
}

TEST_F(DetailTest, PingActionTexts) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"0000", "無動作"}, {"0001", "ログのみ"}, {"0002", "リブート"}, {"0009", "不明"},
      {"0003", ""},       {"000A", ""},         {"", "無動作"},
  };
  Register(1, MacOf(1));
  for (const auto& [word, text] : cases) {
    SCOPED_TRACE(word);
    LiveRec rec = HealthyRecord(MacOf(1));
    rec[16] = word;
    SetLive(1, rec);
    w().Ol1_output(1);
    EXPECT_EQ(w().OlGrid.Cell(6, 1), text);
  }
}

// The no-response word of outlet i and target t lies at 5(n(t - 1) + i - 1) + 1
// for the outlet count n of OutletInfo.
TEST_F(DetailTest, NoResponseWordsByOutletAndTarget) {
  struct Case {
    std::string outlet_info;
    int outlets;
  } cases[] = {{"8,4", 8}, {"4,4", 4}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.outlet_info);
    Register(2, MacOf(2), "11111111", "11111111", c.outlet_info);
    LiveRec rec = HealthyRecord(MacOf(2));
    std::vector<std::string> words(static_cast<size_t>(4 * c.outlets), "0000");
    words[static_cast<size_t>(c.outlets)] = "0003";  // outlet 1, target 2: position 5n + 1
    words[static_cast<size_t>(2 * c.outlets + 1)] = "000A";  // outlet 2, target 3: the limit
    std::string list;
    for (const std::string& wd : words) list += (list.empty() ? "" : " ") + wd;
    ASSERT_EQ(list.find("0003"), static_cast<size_t>(5 * c.outlets));
    rec[14] = Words(8, "000A");
    rec[20] = rec[21] = list;
    SetLive(2, rec);
    w().Ol1_output(2);
    EXPECT_EQ(RowCells(w().OlGrid2, 1), (std::vector<std::string>{"正常", "0", "注意", "3", "正常", "0", "正常", "0"}));
    EXPECT_EQ(RowCells(w().OlGrid2, 2), (std::vector<std::string>{"正常", "0", "正常", "0", "異常", "10", "正常", "0"}));
  }
}

TEST_F(DetailTest, NoResponseStatesEndAtAMissingWordAndNeedAPingAction) {
  Register(2, MacOf(2), "11111111", "11111111", "2,4");
  LiveRec rec = HealthyRecord(MacOf(2));
  rec[14] = "0004 0004";
  rec[16] = "0000 0001";  // outlet 1 without action
  // Targets 1 and 2 of both outlets, then only outlet 1 of target 3.
  rec[20] = rec[21] = "0002 0001 0004 0000 0001";
  SetLive(2, rec);
  w().Ol1_output(2);
  EXPECT_EQ(RowCells(w().OlGrid2, 1), std::vector<std::string>(8));  // PngAction 0: state and count empty
  EXPECT_EQ(RowCells(w().OlGrid2, 2), (std::vector<std::string>{"注意", "1", "正常", "0", "", "", "", ""}));

  // The second list stands for the counts; the first decides the state.
  rec[21] = "0002 0007 0004 0009 0001";
  SetLive(2, rec);
  w().Ol1_output(2);
  EXPECT_EQ(RowCells(w().OlGrid2, 2), (std::vector<std::string>{"注意", "7", "正常", "9", "", "", "", ""}));

  // Targets past the fourth have no column; the loop stays in the grid.
  Register(3, MacOf(3), "11111111", "11111111", "1,6");
  rec = HealthyRecord(MacOf(3));
  rec[14] = "0005";
  rec[16] = "0001";
  rec[20] = rec[21] = "0000 0001 0002 0003 0004 0005";
  SetLive(3, rec);
  w().Ol1_output(3);
  EXPECT_EQ(RowCells(w().OlGrid2, 1), (std::vector<std::string>{"正常", "0", "注意", "1", "注意", "2", "注意", "3"}));
}

// Counts far beyond the grids (a damaged OutletInfo) fill the eight rows and
// four targets there are, at once, without reading outside the lists.
TEST_F(DetailTest, HugeCountsFillOnlyWhatTheWindowHas) {
  for (const std::string info : {"2147483647,2147483647", "99999,3", "0,0", "-3,-3"}) {
    SCOPED_TRACE(info);
    Register(2, MacOf(2), "11111111", "11111111", info);
    LiveRec rec = HealthyRecord(MacOf(2));
    rec[20] = rec[21] = Words(32, "0001");
    SetLive(2, rec);
    w().Ol1_output(2);
    w().temp_output(2);
    w().TmpPngrefh(2);
    const bool rows = info[0] != '0' && info[0] != '-';
    EXPECT_EQ(w().OlNamePanel[8].Visible(), rows);
    EXPECT_EQ(w().OlGrid.Cell(3, 8), rows ? "上限ON" : "");  // the temperature action of outlet 8
    EXPECT_EQ(Overlay(1, 8).second, rows ? "ON" : "");
    // Outlet 1's words of targets 2 and on lie past the list for such counts.
    EXPECT_EQ(w().OlGrid2.Cell(1, 1), rows ? "注意" : "");
  }
}

TEST_F(DetailTest, OutletPicturesShowOnOffOrNothing) {
  Register(4, MacOf(4), "00000000", "11111111", "4,1");
  Register(5, MacOf(5), "00000000", "11111111", "4,1");
  LiveRec a = HealthyRecord(MacOf(4));
  a[6] = "0001 0001 0001 0001";
  SetLive(4, a);
  w().Ol1_output(4);
  for (int i = 1; i <= 4; ++i) EXPECT_EQ(w().OlImage[i].Band(), kStripOn);

  // Device B: OFF, ON, a value outside the strip, no word. The missing
  // word does not keep device A's picture.
  LiveRec b = HealthyRecord(MacOf(5));
  b[6] = "0000 0001 0002";
  SetLive(5, b);
  w().Ol1_output(5);
  EXPECT_EQ(w().OlImage[1].Band(), kStripOff);
  EXPECT_EQ(w().OlImage[2].Band(), kStripOn);
  EXPECT_EQ(w().OlImage[3].Band(), StripImage::kNone);
  EXPECT_EQ(w().OlImage[4].Band(), StripImage::kNone);
  EXPECT_TRUE(w().OlImage[4].Visible());
}

TEST_F(DetailTest, TemperatureStatusPanel) {
  const std::vector<std::tuple<std::string, std::string, Color>> cases = {
      {"", "未測定", 0xC0C0C0}, {"00", "正常", 0x00FF00}, {"01", "上限注意", 0xFFFF00}, {"02", "上限警報", 0xFF0000},
      {"03", "下限注意", 0xFFFF00}, {"04", "下限警報", 0xFF0000}, {"05", "正常", 0x00FF00}, {"99", "未測定", 0xC0C0C0},
      {"0A", "未測定", 0xC0C0C0},  // not a decimal number: the default 99
  };
  Register(1, MacOf(1));
  for (const auto& [status, text, colour] : cases) {
    SCOPED_TRACE(status);
    LiveRec rec = HealthyRecord(MacOf(1));
    rec[38] = status;
    SetLive(1, rec);
    w().temp_output(1);
    EXPECT_EQ(w().AlamPanel.Caption(), text);
    EXPECT_EQ(w().AlamPanel.BackColor(), colour);
  }
}

TEST_F(DetailTest, TemperatureActionsWriteTheSettingLinesAndGridRows) {
  Register(6, MacOf(6), "22222222", "11111111", "8,1");
  LiveRec rec = HealthyRecord(MacOf(6));
  rec[27] = "00 03 01 02 04 07 -1";  // outlet 8 has no code: 0
  rec[28] = "-5";                    // LowerAlarm
  rec[29] = "0";                     // LowerCaution
  rec[30] = "2";                     // LowerHys
  rec[33] = "35";                    // UpperAlarm
  rec[34] = "30";                    // UpperCaution
  rec[35] = "3";                     // UpperHys
  rec[40] = "23.5";
  SetLive(6, rec);
  w().Ol1_output(6);
  w().temp_output(6);
  EXPECT_EQ(w().TempLabel.Caption(), "23.5");
  EXPECT_EQ(w().Panel10.Caption(), "35");
  EXPECT_EQ(w().Panel11.Caption(), "30");
  EXPECT_EQ(w().Panel12.Caption(), "3");
  EXPECT_EQ(w().Panel13.Caption(), "-5");
  EXPECT_EQ(w().Panel14.Caption(), "0");
  EXPECT_EQ(w().Panel15.Caption(), "2");
  EXPECT_EQ(w().Panel16.Caption(), "");
  EXPECT_EQ(w().Panel17.Caption(), "温度が35℃以上になった場合、アウトレット2をOFF");
  EXPECT_EQ(w().Panel18.Caption(), "温度が35℃以上になった場合、アウトレット3をON");
  EXPECT_EQ(w().Panel19.Caption(), "温度が-5℃以下になった場合、アウトレット4をON");
  EXPECT_EQ(w().Panel20.Caption(), "温度が-5℃以下になった場合、アウトレット5をOFF");
  EXPECT_EQ(w().Panel21.Caption(), "温度が");  // an unknown code
  EXPECT_EQ(w().Panel22.Caption(), "温度が");
  EXPECT_EQ(w().Panel23.Caption(), "");
  // Temperature rows replace the PING values; code 0 and unknown codes keep them.
  const std::vector<std::string> ping = {"", "", "0", "0", "0", "ログのみ", "0"};
  EXPECT_EQ(RowCells(w().OlGrid, 1), ping);
  EXPECT_EQ(RowCells(w().OlGrid, 2), (std::vector<std::string>{"", "", "上限OFF", "35℃", "30℃", "3℃", "23.5℃"}));
  EXPECT_EQ(RowCells(w().OlGrid, 3), (std::vector<std::string>{"", "", "上限ON", "35℃", "30℃", "3℃", "23.5℃"}));
  EXPECT_EQ(RowCells(w().OlGrid, 4), (std::vector<std::string>{"", "", "下限ON", "-5℃", "0℃", "2℃", "23.5℃"}));
  EXPECT_EQ(RowCells(w().OlGrid, 5), (std::vector<std::string>{"", "", "下限OFF", "-5℃", "0℃", "2℃", "23.5℃"}));
  EXPECT_EQ(RowCells(w().OlGrid, 6), ping);
  EXPECT_EQ(RowCells(w().OlGrid, 7), ping);

  // The next fill empties the lines first.
  rec[27] = "00 00 00 00 00 00 00 00";
  SetLive(6, rec);
  w().temp_output(6);
  EXPECT_EQ(w().Panel17.Caption(), "");
}

TEST_F(DetailTest, CellPainting) {
  // Header row: sky blue, 9 points, a "/" text as two left-aligned lines.
  CellPaint p = w().OlGridDrawCell(2, 0);
  EXPECT_EQ(p.fill, Color{0xA6CAF0});
  EXPECT_EQ(p.font_points, 9);
  EXPECT_EQ(p.font_color, Color{0x000000});
  ASSERT_EQ(p.texts.size(), 2u);
  EXPECT_EQ(p.texts[0].text, "判定");
  EXPECT_FALSE(p.texts[0].centred);
  EXPECT_EQ(p.texts[0].dy, -8);
  EXPECT_EQ(p.texts[1].text, "温度判断");
  EXPECT_EQ(p.texts[1].dy, 8);
  p = w().OlGridDrawCell(0, 0);  // the corner is a header cell
  EXPECT_EQ(p.fill, Color{0xA6CAF0});
  ASSERT_EQ(p.texts.size(), 1u);
  EXPECT_TRUE(p.texts[0].centred);
  EXPECT_EQ(p.texts[0].text, "No.");
  // Column 0: grey with white text, 11 points.
  p = w().OlGrid2DrawCell(0, 5);
  EXPECT_EQ(p.fill, Color{0x808080});
  EXPECT_EQ(p.font_color, Color{0xFFFFFF});
  EXPECT_EQ(p.font_points, 11);
  EXPECT_EQ(p.texts[0].text, "5");
  // Elsewhere the window colour; a text with "/" splits at its first one.
  w().OlGrid2.SetCell(3, 2, "a/b/c");
  p = w().OlGrid2DrawCell(3, 2);
  EXPECT_EQ(p.fill, kWindowColor);
  ASSERT_EQ(p.texts.size(), 2u);
  EXPECT_EQ(p.texts[0].text, "a");
  EXPECT_EQ(p.texts[1].text, "b/c");
  w().OlGrid2.SetCell(3, 2, "/");
  p = w().OlGrid2DrawCell(3, 2);
  ASSERT_EQ(p.texts.size(), 2u);
  EXPECT_EQ(p.texts[0].text, "");
  EXPECT_EQ(p.texts[1].text, "");
  // Out of the grid: an empty cell, nothing read past the end.
  EXPECT_EQ(w().OlGrid2DrawCell(20, 20).texts[0].text, "");
}

// The overlay of columns 1 and 2 by the item code of each outlet.
TEST_F(DetailTest, OverlayByItemState) {
  // Outlets: 1 power, 2-5 PING, 6-8 temperature.
  Register(1, MacOf(1), "01111222", "11111111", "8,1");
  LiveRec rec = HealthyRecord(MacOf(1));
  rec[11] = "0000 0001 0001 0001 0001 0001 0001 0001";  // PngPower
  rec[12] = "0001 0000 0002 0003 0007 0001 0001 0001";  // PngJudge
  rec[20] = rec[21] = Words(8, "0000");
  rec[27] = "00 00 00 00 00 01 01 01";
  rec[38] = "01";  // upper caution
  rec[39] = "00";  // no action running
  Match(rec);
  main().receive.DetailDevice = 1;
  w().Ol1_output(1);
  w().TmpPngrefh(1);
  const Color green = 0xA0FFA0, red = 0xFFA0A0, yellow = 0xFFFFA0, white = 0xFFFFFF;
  EXPECT_EQ(Overlay(1, 1), std::make_pair(Color{0xE0E0E0}, std::string("OFF")));
  EXPECT_EQ(Overlay(1, 2), std::make_pair(green, std::string("ON")));
  const std::vector<std::pair<Color, std::string>> want = {
      {white, ""},          // power item
      {green, "正常"},      // PngJudge 0
      {red, "異常"},        // 2
      {yellow, "回復中"},   // 3
      {white, ""},          // 7: no judgement text
      {yellow, "注意"},     // temperature caution
      {yellow, "注意"},
      {yellow, "注意"},
  };
  for (int i = 1; i <= 8; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(Overlay(2, i), want[static_cast<size_t>(i - 1)]);
  }
  // An action running on a temperature item that is not normal.
  rec[39] = "01";
  rec[27] = "00 00 00 00 00 01 01 00";
  Match(rec);
  EXPECT_EQ(Overlay(2, 6), std::make_pair(yellow, std::string("実行中")));
  EXPECT_EQ(Overlay(2, 8), std::make_pair(white, std::string("実行中")));  // no action: digit 9, white
  rec[38] = "00";
  Match(rec);
  EXPECT_EQ(Overlay(2, 6), std::make_pair(green, std::string("正常")));  // normal: no "実行中"
}

TEST_F(DetailTest, TimeOutShowsAtTheNextPaintWithoutARefill) {
  Register(1, MacOf(1), "22222222", "11111111", "8,1");
  main().TimeOutMin = 10;
  LiveRec rec = HealthyRecord(MacOf(1));
  rec[27] = "01 01 01 01 01 01 01 01";
  Match(rec);
  main().receive.DetailDevice = 1;
  w().Ol1_output(1);
  EXPECT_EQ(Overlay(2, 1), std::make_pair(Color{0xA0FFA0}, std::string("正常")));
  sim.Advance(11 * 60 * 1000);
  EXPECT_EQ(Overlay(2, 1), std::make_pair(Color{0xFFFFFF}, std::string()));
}

// The device window's edit or connect operation points DetailDevice at
// another device: the window keeps showing one device, values and overlay.
TEST_F(DetailTest, OverlayFollowsTheRowTheWindowWasFilledFrom) {
  Register(1, MacOf(1), "11111111", "11111111", "8,1");
  Register(2, MacOf(2), "11111111", "11111111", "8,1");
  LiveRec a = HealthyRecord(MacOf(1));
  LiveRec b = HealthyRecord(MacOf(2));
  b[11] = Words(8, "0000");  // B: power off, judgement abnormal
  b[12] = Words(8, "0002");
  Match(a);
  Match(b);
  w().OpenDevice(1);
  EXPECT_EQ(Overlay(1, 1).second, "ON");
  main().receive.DetailDevice = 2;
  EXPECT_EQ(w().NamePanel.Caption(), "Dev1");
  EXPECT_EQ(Overlay(1, 1).second, "ON");
  EXPECT_EQ(Overlay(2, 1).second, "正常");
  Match(b);  // B's next datagram refills the window with B
  EXPECT_EQ(w().NamePanel.Caption(), "Dev2");
  EXPECT_EQ(Overlay(1, 1).second, "OFF");
  EXPECT_EQ(Overlay(2, 1).second, "異常");
}

TEST_F(DetailTest, OpenDeviceSetsPageDescriptionAndTemperaturePage) {
  Register(4, MacOf(4));
  table().SetCell(dtcol::DeviceInfo, 4, "Model X / rev 2");
  const std::vector<std::pair<std::string, bool>> cases = {
      {"01", true}, {"00", false}, {"", false}, {"10", true}, {"0A", false}, {"-1", false}};
  for (const auto& [enabled, shown] : cases) {
    SCOPED_TRACE(enabled);
    LiveRec rec = HealthyRecord(MacOf(4));
    rec[23] = enabled;
    SetLive(4, rec);
    w().Hide();
    w().PageControl1.SetActivePageIndex(2);
    w().OpenDevice(4);
    EXPECT_TRUE(w().Visible());
    EXPECT_EQ(main().receive.DetailDevice, 4);
    EXPECT_EQ(w().PageControl1.ActivePageIndex(), 0);
    EXPECT_EQ(w().TabSheet[3].Visible(), shown);
    EXPECT_EQ(w().Label26.Caption(), "Model X / rev 2");
    EXPECT_EQ(w().NamePanel.Caption(), "Dev4");
    EXPECT_EQ(w().TempLabel.Caption(), "23.5");
  }
  // A datagram refreshes everything but the description and page 4.
  table().SetCell(dtcol::DeviceInfo, 4, "changed");
  LiveRec rec = HealthyRecord(MacOf(4));
  rec[23] = "01";
  rec[40] = "30.0";
  Match(rec);
  EXPECT_EQ(w().TempLabel.Caption(), "30.0");
  EXPECT_EQ(w().Label26.Caption(), "Model X / rev 2");
  EXPECT_FALSE(w().TabSheet[3].Visible());
}

TEST_F(DetailTest, ClosedByItsButtonAndWithTheOtherDialogs) {
  Register(1, MacOf(1));
  w().OpenDevice(1);
  w().BitBtn1Click();
  EXPECT_FALSE(w().Visible());
  w().OpenDevice(1);
  app->Form9().Show();
  main().monitoring.ButtonPushMode();
  EXPECT_FALSE(w().Visible());
  EXPECT_FALSE(app->Form9().Visible());  // closed together with the other dialogs
  EXPECT_EQ(main().receive.DetailDevice, 1);  // closing keeps the device: its datagrams still refill
}

}  // namespace
}  // namespace zol
