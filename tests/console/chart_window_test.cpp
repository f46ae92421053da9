// The temperature chart on the simulated clock: the series drawn from the
// history, the status line and the reading list, clearing, closing, and
// numbers read the same in every locale.
#include "console/chart_window.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/text.h"
#include "monitor/monitor_fixture.h"

namespace zol {
namespace {

struct ChartTest : MonitorFixture {
  ChartTest() {
    c().FormCreate();
    Register(3, MacOf(3));
    main().TempDevice = 3;
    LiveRec rec = HealthyRecord(MacOf(3));
    rec[28] = "-5";  // LowerAlarm
    rec[29] = "0";   // LowerCaution
    rec[33] = "45";  // UpperAlarm
    rec[34] = "40";  // UpperCaution
    rec[40] = "23.5";
    SetLive(3, rec);
  }
  ChartWindow& c() { return app->Form11(); }
  void Open() {
    c().SetChartTitle("ID003 Dev3");
    c().Show();
    c().ChartRefresh();
  }
  std::vector<double> Xs(size_t series) {
    std::vector<double> out;
    for (const ChartPoint& p : c().Chart1.Points(series)) out.push_back(p.x);
    return out;
  }
  std::vector<double> Ys(size_t series) {
    std::vector<double> out;
    for (const ChartPoint& p : c().Chart1.Points(series)) out.push_back(p.y);
    return out;
  }
  void SetHistory(const std::vector<std::string>& newest_first) {
    for (std::string& e : main().receive.TempHistory) e.clear();
    for (size_t k = 0; k < newest_first.size(); ++k) main().receive.TempHistory[k] = newest_first[k];
  }
};

TEST_F(ChartTest, CreatedClosedWithItsFixedSettings) {
  EXPECT_EQ(c().Caption(), "温度センサー");
  EXPECT_EQ(c().ClientWidth, 640);
  EXPECT_EQ(c().ClientHeight, 480);
  EXPECT_EQ(c().ChartActive, 0);
  EXPECT_FALSE(c().Visible());
  EXPECT_EQ(c().Chart1.Title(), std::vector<std::string>{"温度"});
  EXPECT_FALSE(c().Chart1.LeftAxis().automatic);
  EXPECT_EQ(c().Chart1.LeftAxis().minimum, -20);
  EXPECT_EQ(c().Chart1.LeftAxis().maximum, 60);
  EXPECT_DOUBLE_EQ(c().Chart1.LeftAxis().increment, 0.1);
  EXPECT_FALSE(c().Chart1.LegendVisible());
  EXPECT_FALSE(c().Chart1.PointMarks());
  ASSERT_EQ(c().Chart1.SeriesCount(), 5u);
  EXPECT_EQ(c().Chart1.Pen(ChartWindow::Series1).color, Color{0x0000FF});
  EXPECT_EQ(c().Chart1.Pen(ChartWindow::Series1).width, 2);
  EXPECT_FALSE(c().Chart1.Pen(ChartWindow::Series1).dotted);
  for (size_t s : {ChartWindow::Series2, ChartWindow::Series3}) {
    EXPECT_EQ(c().Chart1.Pen(s).color, Color{0xFFFF80});
    EXPECT_TRUE(c().Chart1.Pen(s).dotted);
  }
  for (size_t s : {ChartWindow::Series4, ChartWindow::Series5}) {
    EXPECT_EQ(c().Chart1.Pen(s).color, Color{0xFF8080});
    EXPECT_TRUE(c().Chart1.Pen(s).dotted);
  }
  EXPECT_FALSE(c().Memo1.Visible());
  EXPECT_EQ(c().BitBtn1.Caption(), "閉じる");
  EXPECT_EQ(c().BitBtn2.Caption(), "");  // picture buttons
}

TEST_F(ChartTest, ThreeReadingsAtTheRightEndWithFlatThresholds) {
  SetHistory({"2010/11/16,12:52:09,25.0", "2010/11/16,12:52:08,24.5", "2010/11/16,12:52:07,-3.5"});
  Open();
  EXPECT_EQ(Xs(ChartWindow::Series1), (std::vector<double>{97, 98, 99}));
  EXPECT_EQ(Ys(ChartWindow::Series1), (std::vector<double>{-3.5, 24.5, 25.0}));
  const auto& pts = c().Chart1.Points(ChartWindow::Series1);
  EXPECT_EQ(pts[0].label, "10/11/16\r12:52:07\r(-3.5℃)");
  EXPECT_EQ(pts[2].label, "10/11/16\r12:52:09\r(25.0℃)");
  const std::vector<std::pair<size_t, double>> flat = {
      {ChartWindow::Series2, 0}, {ChartWindow::Series3, 40}, {ChartWindow::Series4, -5}, {ChartWindow::Series5, 45}};
  for (const auto& [s, y] : flat) {
    SCOPED_TRACE(s);
    EXPECT_EQ(Xs(s), (std::vector<double>{97, 98, 99}));
    EXPECT_EQ(Ys(s), std::vector<double>(3, y));
    for (const ChartPoint& p : c().Chart1.Points(s)) EXPECT_EQ(p.label, "");
  }
  EXPECT_EQ(c().Label1.Caption(), "2010/11/16 12:52:07  23.5℃ ");
  EXPECT_EQ(c().Memo1.All(), std::vector<std::string>{"2010/11/16 12:52:07  23.5℃ "});
  EXPECT_FALSE(c().Memo1.Visible());  // the line is added to the hidden list too

  // A full history: slot 99 at x = 0; a redraw replaces every point.
  std::vector<std::string> full;
  for (int k = 0; k < 100; ++k) full.push_back("2010/11/16,12:00:00," + std::to_string(k) + ".0");
  SetHistory(full);
  c().ChartRefresh();
  ASSERT_EQ(c().Chart1.Points(ChartWindow::Series1).size(), 100u);
  EXPECT_EQ(c().Chart1.Points(ChartWindow::Series1).front().y, 99.0);
  EXPECT_EQ(c().Chart1.Points(ChartWindow::Series1).back().y, 0.0);
  EXPECT_EQ(c().Chart1.Points(ChartWindow::Series5).size(), 100u);
}

TEST_F(ChartTest, SkippedReadingsLeaveGaps) {
  SetHistory({"2010/11/16,12:52:09,25.0", "2010/11/16,12:52:08,", "2010/11/16,12:52:07,abc",
              "2010/11/16,12:52:06,23,5", "2010/11/16,12:52:05,1e3", "2010/11/16,12:52:04,-0.5",
              "2010/11/16,12:52:03, 7 ", "2010/11/16,12:52:02,100.0"});
  Open();
  // Empty, not a number, an exponent: gaps. A decimal comma splits the
  // entry, so its third field is the whole degrees.
  EXPECT_EQ(Xs(ChartWindow::Series1), (std::vector<double>{92, 93, 94, 96, 99}));
  EXPECT_EQ(Ys(ChartWindow::Series1), (std::vector<double>{100.0, 7, -0.5, 23, 25.0}));
  EXPECT_EQ(Xs(ChartWindow::Series3), Xs(ChartWindow::Series1));
}

TEST_F(ChartTest, ThresholdsThatAreNoNumbersDrawNothingButTheStatusLine) {
  SetHistory({"2010/11/16,12:52:09,25.0", "2010/11/16,12:52:08,24.0"});
  const std::vector<std::pair<int, std::string>> cases = {
      {dtcol::LowerAlarm, ""}, {dtcol::UpperAlarm, "x"}, {dtcol::LowerCaution, "1,5"}, {dtcol::UpperCaution, "-"}};
  for (const auto& [col, text] : cases) {
    SCOPED_TRACE(col);
    const std::string keep = table().Cell(col, 3);
    table().SetCell(col, 3, text);
    Open();
    for (size_t s = 0; s < 5; ++s) EXPECT_TRUE(c().Chart1.Points(s).empty());
    EXPECT_EQ(c().Label1.Caption(), "2010/11/16 12:52:07  23.5℃ ");
    table().SetCell(col, 3, keep);
  }
  c().ChartRefresh();
  EXPECT_EQ(c().Chart1.Points(ChartWindow::Series1).size(), 2u);
}

TEST_F(ChartTest, TemperaturePaddedToFiveCharacters) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"3.5", "  3.5"}, {"100.5", "100.5"}, {"23.5", " 23.5"}, {"-10.5", "-10.5"}, {"", "     "}, {"1234.5", "1234.5"}};
  for (const auto& [t, padded] : cases) {
    SCOPED_TRACE(t);
    EXPECT_EQ(PadTemperature(t), padded);
    table().SetCell(dtcol::CurTemp, 3, t);
    SetHistory({"2010/11/16,12:52:09," + t});
    Open();
    EXPECT_EQ(c().Label1.Caption(), "2010/11/16 12:52:07 " + padded + "℃ ");
    c().BitBtn4Click();
    EXPECT_EQ(c().Memo1.All(), std::vector<std::string>{"2010/11/16 12:52:09 " + padded + "℃"});
  }
}

TEST_F(ChartTest, ClearAsksFirst) {
  SetHistory({"2010/11/16,12:52:09,25.0", "2010/11/16,12:52:08,24.0"});
  Open();
  c().BitBtn4Click();  // the list shown: two readings
  ASSERT_EQ(c().Memo1.Count(), 2u);
  boxes.answers = {BoxResult::No, BoxResult::Yes};
  c().BitBtn2Click();
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "グラフデータをクリアしますか？");
  EXPECT_EQ(boxes.shown[0].kind, BoxKind::Confirm);
  EXPECT_EQ(boxes.shown[0].buttons, BoxButtons::YesNo);
  EXPECT_EQ(main().receive.TempHistory[0], "2010/11/16,12:52:09,25.0");
  EXPECT_EQ(c().Chart1.Points(ChartWindow::Series1).size(), 2u);
  EXPECT_EQ(c().Memo1.Count(), 2u);

  c().BitBtn2Click();
  for (const std::string& e : main().receive.TempHistory) EXPECT_EQ(e, "");
  for (size_t s = 0; s < 5; ++s) EXPECT_TRUE(c().Chart1.Points(s).empty());
  ASSERT_EQ(c().Memo1.Count(), 3u);  // the status line written again
  EXPECT_EQ(c().Memo1.Line(2), "2010/11/16 12:52:07  23.5℃ ");
}

TEST_F(ChartTest, ReadingListShownOldestFirstAndFollowedByStatusLines) {
  SetHistory({"2010/11/16,12:52:09,25.0", "", "2010/11/16,12:52:07,3.5"});
  Open();
  c().BitBtn4Click();
  EXPECT_TRUE(c().Memo1.Visible());
  EXPECT_EQ(c().Memo1.All(),
            (std::vector<std::string>{"2010/11/16 12:52:07   3.5℃", "2010/11/16 12:52:09  25.0℃"}));
  c().ChartRefresh();
  EXPECT_EQ(c().Memo1.Line(2), "2010/11/16 12:52:07  23.5℃ ");
  c().BitBtn3Click();
  EXPECT_FALSE(c().Memo1.Visible());
  EXPECT_EQ(c().Memo1.Count(), 3u);  // hiding keeps the lines
  const uint64_t emptied = c().Memo1Emptied;
  c().BitBtn4Click();  // showing again starts over
  EXPECT_EQ(c().Memo1.Count(), 2u);
  EXPECT_EQ(c().Memo1Emptied, emptied + 1);
  EXPECT_EQ(c().Memo1Appended, 2u);
}

TEST_F(ChartTest, ReadingListKeepsTheNewestLines) {
  Open();
  for (int k = 0; k < 10050; ++k) {
    table().SetCell(dtcol::CurTemp, 3, std::to_string(k));
    c().ChartRefresh();
  }
  ASSERT_EQ(c().Memo1.Count(), kChartListLines);
  EXPECT_EQ(c().Memo1Appended, 10051u);
  EXPECT_EQ(c().Memo1.Line(0), "2010/11/16 12:52:07    50℃ ");
  EXPECT_EQ(c().Memo1.Line(kChartListLines - 1), "2010/11/16 12:52:07 10049℃ ");
}

TEST_F(ChartTest, ClosedChartIsLeftAloneByDatagrams) {
  Open();
  c().BitBtn1Click();
  EXPECT_EQ(c().ChartActive, 0);
  EXPECT_FALSE(c().Visible());
  const uint64_t chart_rev = c().Chart1.Revision();
  const uint64_t label_rev = c().Label1.Revision();
  const size_t lines = c().Memo1.Count();
  LiveRec rec = HealthyRecord(MacOf(3));
  rec[40] = "30.0";
  Match(rec);
  EXPECT_EQ(main().receive.TempHistory[0], "2010/11/16,12:52:07,30.0");
  EXPECT_EQ(c().Chart1.Revision(), chart_rev);
  EXPECT_EQ(c().Label1.Revision(), label_rev);
  EXPECT_EQ(c().Memo1.Count(), lines);
  // Opened again, it draws what was collected meanwhile.
  Open();
  EXPECT_EQ(c().Label1.Caption(), "2010/11/16 12:52:07  30.0℃ ");
  c().Close();  // the title bar's close
  EXPECT_EQ(c().ChartActive, 0);
}

// The program runs in the operator's locale; readings still parse where the
// C library's own conversion expects a decimal comma.
TEST_F(ChartTest, ReadingsParseUnderADecimalCommaLocale) {
  const std::string keep = setlocale(LC_NUMERIC, nullptr);
  const char* locpath = getenv("LOCPATH");
  const std::string keep_locpath = locpath ? locpath : "";
  bool have = setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
  if (!have) {
    const std::string cmd = "localedef -i de_DE -f UTF-8 '" + dir.File("de_DE.UTF-8") + "' >/dev/null 2>&1";
    if (std::system(cmd.c_str()) == 0) {
      setenv("LOCPATH", dir.path().c_str(), 1);
      have = setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    }
  }
  if (!have) GTEST_SKIP() << "no decimal-comma locale can be had here";
  EXPECT_EQ(std::strtod("23.5", nullptr), 23.0);  // the C library reads a comma here
  SetHistory({"2010/11/16,12:52:09,25.5", "2010/11/16,12:52:08,-0.5"});
  table().SetCell(dtcol::UpperAlarm, 3, "35");
  Open();
  const std::vector<double> ys = Ys(ChartWindow::Series1);
  const std::vector<double> alarm = Ys(ChartWindow::Series5);
  setlocale(LC_NUMERIC, keep.c_str());
  if (locpath) setenv("LOCPATH", keep_locpath.c_str(), 1);
  else unsetenv("LOCPATH");
  EXPECT_EQ(ys, (std::vector<double>{-0.5, 25.5}));
  EXPECT_EQ(alarm, (std::vector<double>{35, 35}));
}

}  // namespace
}  // namespace zol
