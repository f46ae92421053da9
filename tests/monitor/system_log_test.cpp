#include "monitor/system_log.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <iterator>

#include <string>

#include "common/files.h"
#include "console/main_window.h"
#include "monitor/debug_window.h"
#include "monitor/item_state.h"
#include "support/app_fixture.h"

namespace zol {
namespace {

DateTime At(int y, int mo, int d, int h, int mi, int s) {
  return DateTime{y, mo, d, h, mi, s};
}

class SystemLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    f.sim.SetNow(At(2024, 5, 1, 9, 30, 0));
    w().LogDir = f.dir.path();
    w().SysLogMode = true;
    w().SysLogSave = true;
  }
  MainWindow& w() { return f.app->Form2(); }
  Grid& table() { return f.app->Form4().StringGrid1; }
  std::string Read(const std::string& name) {
    std::string bytes;
    return ReadFile(f.dir.File(name), &bytes) ? bytes : std::string("<missing>");
  }
  AppFixture f;
};

TEST_F(SystemLogTest, LineFormatAndCodes) {
  w().system_log.SysLoging(kSysLogMonitorStart, "監視開始");
  EXPECT_EQ(w().system_log.ListBox2.Line(0), "(0010) 2024/05/01 09:30:00 監視開始");
  EXPECT_EQ(Read("syslog20240501.log"), "(0010) 2024/05/01 09:30:00 監視開始\r\n");
  EXPECT_EQ(SysLogLine(1, At(2024, 5, 1, 9, 30, 0), "アプリの起動"), "(0001) 2024/05/01 09:30:00 アプリの起動");
  EXPECT_EQ(SysLogLine(200, At(2024, 12, 31, 23, 5, 9), "ID007 Outlet3 PING 異常"),
            "(0200) 2024/12/31 23:05:09 ID007 Outlet3 PING 異常");
}

TEST_F(SystemLogTest, ModeAndSaveSwitches) {
  struct Case {
    bool mode, save, shown, written;
  } cases[] = {
      {false, false, false, false},
      {false, true, false, false},  // off means off, whatever saving says
      {true, false, true, false},
      {true, true, true, true},
  };
  for (const Case& c : cases) {
    AppFixture g;
    g.sim.SetNow(At(2024, 5, 1, 9, 30, 0));
    MainWindow& m = g.app->Form2();
    m.LogDir = g.dir.path();
    m.SysLogMode = c.mode;
    m.SysLogSave = c.save;
    m.system_log.SysLoging(1, "アプリの起動");
    SCOPED_TRACE(testing::Message() << "mode " << c.mode << " save " << c.save);
    EXPECT_EQ(m.system_log.ListBox2.Count(), c.shown ? 1u : 0u);
    EXPECT_EQ(FileExists(g.dir.File("syslog20240501.log")), c.written);
  }
}

TEST_F(SystemLogTest, ViewKeepsHundredNewestOnTop) {
  for (int n = 1; n <= 101; ++n) w().system_log.SysLoging(200, "line " + std::to_string(n));
  ASSERT_EQ(w().system_log.ListBox2.Count(), 100u);
  EXPECT_EQ(w().system_log.ListBox2.Line(0).substr(27), "line 101");
  EXPECT_EQ(w().system_log.ListBox2.Line(99).substr(27), "line 2");
  // The file keeps every line, oldest first.
  EXPECT_EQ(SplitLines(Read("syslog20240501.log")).size(), 101u);
}

TEST_F(SystemLogTest, MidnightStartsNewFiles) {
  f.sim.SetNow(At(2024, 4, 30, 23, 59, 59));
  w().system_log.SysLoging(200, "before");
  w().system_log.logdatasave(OutletCsvLogName(12, 3, f.app->clock().Now()), 12, 3);
  w().system_log.OutletLogSave(12, 4, f.app->clock().Now());
  f.sim.Advance(1000);
  w().system_log.SysLoging(200, "after");
  w().system_log.logdatasave(OutletCsvLogName(12, 3, f.app->clock().Now()), 12, 3);
  w().system_log.OutletLogSave(12, 4, f.app->clock().Now());
  w().system_log.OutletLogSave(12, 4, f.app->clock().Now());
  EXPECT_EQ(SplitLines(Read("d01204240430.csv")).size(), 1u);
  EXPECT_EQ(SplitLines(Read("d01204240501.csv")).size(), 2u);
  EXPECT_EQ(Read("syslog20240430.log"), "(0200) 2024/04/30 23:59:59 before\r\n");
  EXPECT_EQ(Read("syslog20240501.log"), "(0200) 2024/05/01 00:00:00 after\r\n");
  EXPECT_EQ(SplitLines(Read("d01203240430.csv")).size(), 1u);
  EXPECT_EQ(SplitLines(Read("d01203240501.csv")).size(), 1u);
}

// The CSV line as the straightforward form builds it, field by field.
std::string ReferenceCsvLine(App& app, int row, int outlet) {
  const Grid& t = app.Form4().StringGrid1;
  ItemStates& states = app.item_states();
  const std::string code = states.ItemState(row, outlet);
  std::string kind = "99";
  if (!code.empty() && code[0] >= '0' && code[0] <= '9') kind = std::string(1, code[0]);
  std::string line;
  line += t.Cell(21, row);
  line += "," + t.Cell(22, row);
  line += "," + std::to_string(row);
  line += "," + std::to_string(outlet);
  line += "," + kind;
  line += "," + states.ItemStateTriple(row, outlet);
  line += "," + std::to_string(HexToInt(WordAt(t.Cell(27, row), outlet)));
  line += "," + std::to_string(HexToInt(WordAt(t.Cell(29, row), outlet)) / 10);
  line += "," + std::to_string(HexToInt(WordAt(t.Cell(33, row), outlet)));
  line += "," + std::to_string(HexToInt(WordAt(t.Cell(40, row), outlet)));
  line += "," + t.Cell(61, row);
  line += "," + std::to_string(HexToInt(t.Cell(60, row)));
  return line + "\r\n";
}

// Rows whose cells stand as datagrams, edits and odd settings files leave
// them: every outlet's line has the bytes of the straightforward form, for
// the remembered files as for the plain writer.
TEST_F(SystemLogTest, OutletLinesAsTheStraightforwardForm) {
  Grid& t = table();
  struct Row {
    const char* kinds;
    const char* date;
    const char* words;  // OlWordA, OlWordC, PngJudge, PngExecNum
    const char* temp;
    const char* action;
  } rows[] = {
      {"01120000", "2024/05/01", "0000 0001 FFFF 000A 7FFF 8000 0064 00F5", "23.5", "01"},
      {"5", "", "", "", ""},                                         // no record yet
      {"0112", "2024/05/01", "FFFFFFFF 12 zz9 -001 0x10", "-3.0", "FFFFFFFFF"},  // odd words, wrapping values
      {"x1y2", "2024/05/01", "0001", "℃", "g"},                     // kinds that are no digit, short lists
  };
  for (size_t k = 0; k < std::size(rows); ++k) {
    const int r = static_cast<int>(k) + 1;
    t.SetCell(1, r, "02:5A:3C:00:00:0" + std::to_string(r));
    t.SetCell(4, r, "8,4");
    t.SetCell(9, r, rows[k].kinds);
    t.SetCell(21, r, rows[k].date);
    t.SetCell(22, r, "09:29:58");
    for (int col : {27, 28, 29, 33, 37, 40}) t.SetCell(col, r, rows[k].words);
    t.SetCell(60, r, rows[k].action);
    t.SetCell(61, r, rows[k].temp);
  }
  const DateTime now = f.app->clock().Now();
  for (bool plain : {false, true}) {
    w().system_log.PlainLogSave = plain;
    for (size_t k = 0; k < std::size(rows); ++k) {
      const int r = static_cast<int>(k) + 1;
      for (int i = 0; i <= 9; ++i) {
        SCOPED_TRACE(testing::Message() << "row " << r << " outlet " << i << (plain ? " plain" : ""));
        const std::string name = OutletCsvLogName(r, i, now);
        const std::string before = FileExists(f.dir.File(name)) ? Read(name) : std::string();
        w().system_log.OutletLogSave(r, i, now);
        EXPECT_EQ(Read(name), before + ReferenceCsvLine(*f.app, r, i));
      }
    }
  }
}

// The remembered file of an outlet follows the operator's changes, the day
// and the log folder setting.
TEST_F(SystemLogTest, RememberedOutletFilesFollowChanges) {
  table().SetCell(21, 3, "2024/05/01");
  const std::string name = "d00302240501.csv";
  auto save = [&] { w().system_log.OutletLogSave(3, 2, f.app->clock().Now()); };
  save();
  ASSERT_EQ(SplitLines(Read(name)).size(), 1u);
  ASSERT_EQ(std::rename(f.dir.File(name).c_str(), f.dir.File("kept.csv").c_str()), 0);
  save();
  EXPECT_EQ(SplitLines(Read(name)).size(), 1u);
  EXPECT_EQ(SplitLines(Read("kept.csv")).size(), 1u);
  ASSERT_EQ(std::remove(f.dir.File(name).c_str()), 0);
  save();
  save();
  EXPECT_EQ(SplitLines(Read(name)).size(), 2u);

  // Another folder: the lines go there from the next one on.
  TempDir other;
  w().LogDir = other.path();
  save();
  EXPECT_EQ(SplitLines(Read(name)).size(), 2u);
  std::string there;
  ASSERT_TRUE(ReadFile(other.File(name), &there));
  EXPECT_EQ(SplitLines(there).size(), 1u);
}

// The main window's clock closes the log files soon after their last line.
TEST_F(SystemLogTest, IdleLogFilesClosedByTheClock) {
  f.app->Start();
  f.sim.Advance(3001);
  w().LogDir = f.dir.path();
  w().SysLogMode = true;
  w().SysLogSave = true;
  SystemLog& log = w().system_log;
  log.OutletLogSave(1, 1, f.app->clock().Now());
  log.SysLoging(200, "x");
  EXPECT_GE(log.log_files.OpenCount(), 2u);
  f.sim.Advance(SystemLog::kLogIdleMs + 500);
  EXPECT_EQ(log.log_files.OpenCount(), 0u);
}

TEST_F(SystemLogTest, OutletCsvLine) {
  EXPECT_EQ(OutletCsvLogName(7, 2, At(2024, 5, 1, 0, 0, 0)), "d00702240501.csv");
  EXPECT_EQ(OutletCsvLogName(12, 3, At(2024, 5, 1, 0, 0, 0)), "d01203240501.csv");

  // Device 12, outlet 3 is a PING watch item; the device has no sensor.
  Grid& t = table();
  t.SetCell(1, 12, "02:5A:3C:00:00:0C");
  t.SetCell(4, 12, "4,1");
  t.SetCell(9, 12, "00100000");
  t.SetCell(21, 12, "2024/05/01");
  t.SetCell(22, 12, "09:29:58");
  t.SetCell(27, 12, "0000 0000 0064 0000");  // OlWordA
  t.SetCell(28, 12, "0000 0000 0001 0000");  // OlWordB: power ON
  t.SetCell(29, 12, "0000 0000 00F5 0000");  // OlWordC: 245 -> 24
  t.SetCell(33, 12, "0000 0000 0002 0000");  // PngJudge: abnormal
  t.SetCell(37, 12, "0001 0001 0001 0001");  // PngAction: watch on
  t.SetCell(40, 12, "0000 0000 000A 0000");  // PngExecNum
  t.SetCell(60, 12, "01");                   // ActionStatus
  w().system_log.logdatasave("d01203240501.csv", 12, 3);
  EXPECT_EQ(Read("d01203240501.csv"), "2024/05/01,09:29:58,12,3,1,1,2,9,100,24,2,10,,1\r\n");

  // A row without a live record and with a kind digit that is no item still
  // gives a whole line: kind 99, unknown states, zero words.
  t.SetCell(9, 5, "5");
  w().system_log.logdatasave("d00501240501.csv", 5, 1);
  EXPECT_EQ(Read("d00501240501.csv"), ",,5,1,99,9,9,9,0,0,0,0,,0\r\n");
}

TEST_F(SystemLogTest, LogFolderRules) {
  // A trailing separator doubles it in the path, which lands in the folder.
  w().LogDir = f.dir.path() + "/";
  w().system_log.SysLoging(1, "a");
  EXPECT_EQ(SplitLines(Read("syslog20240501.log")).size(), 1u);

  // An empty folder setting writes bare names into the current folder.
  char old_cwd[4096];
  ASSERT_NE(getcwd(old_cwd, sizeof old_cwd), nullptr);
  TempDir cwd;
  ASSERT_EQ(chdir(cwd.path().c_str()), 0);
  w().LogDir = "";
  w().system_log.SysLoging(1, "b");
  w().system_log.logdatasave("d00101240501.csv", 1, 1);
  bool sys_here = FileExists(cwd.File("syslog20240501.log"));
  bool csv_here = FileExists(cwd.File("d00101240501.csv"));
  ASSERT_EQ(chdir(old_cwd), 0);
  EXPECT_TRUE(sys_here);
  EXPECT_TRUE(csv_here);
}

TEST_F(SystemLogTest, MissingFolderLosesLinesQuietly) {
  w().LogDir = f.dir.File("no/such/folder");
  w().system_log.SysLoging(10, "監視開始");
  w().system_log.logdatasave("d00101240501.csv", 1, 1);
  EXPECT_EQ(w().system_log.ListBox2.Count(), 1u);  // the view line stays
  EXPECT_FALSE(FileExists(f.dir.File("no/such/folder/syslog20240501.log")));
  EXPECT_TRUE(f.boxes.shown.empty());
}

// The log folder of the settings file is a Shift-JIS text; on disk the
// folder has its UTF-8 name, and the lines land there.
TEST_F(SystemLogTest, JapaneseLogFolderFromTheSettingsFile) {
  const std::string utf8 = f.dir.path() + u8"/ログ置き場";
  ASSERT_EQ(mkdir(utf8.c_str(), 0755), 0);
  std::string err;
  ASSERT_TRUE(WriteFileAtomic(f.dir.File("zolyab4.Ini"),
                              "[LOG]\r\nDIR=" + f.dir.path() + "/ログ置き場\r\n[SYSLOG]\r\nSAVE=1\r\nMODE=1\r\n", &err))
      << err;
  w().IniLoad();
  ASSERT_EQ(w().LogDir, f.dir.path() + "/ログ置き場");
  w().system_log.SysLoging(kSysLogMonitorStart, "監視開始");
  table().SetCell(21, 1, "2024/05/01");
  w().system_log.logdatasave("d00101240501.csv", 1, 1);

  auto raw = [](const std::string& path) {
    std::string bytes;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
      char buf[512];
      size_t n;
      while ((n = std::fread(buf, 1, sizeof buf, file)) > 0) bytes.append(buf, n);
      std::fclose(file);
    }
    return bytes;
  };
  EXPECT_EQ(raw(utf8 + "/syslog20240501.log"), "(0010) 2024/05/01 09:30:00 監視開始\r\n");
  EXPECT_EQ(raw(utf8 + "/d00101240501.csv").substr(0, 13), "2024/05/01,,1");
}

// Started from a folder named in Japanese, the console takes that folder
// (as a Shift-JIS text) for its log folder and writes there.
TEST(SystemLogFolder, DefaultIsTheProgramsFolder) {
  AppFixture g(nullptr, "監視コンソール");
  const std::string utf8 = g.dir.path() + u8"/監視コンソール";
  {
    FILE* ini = std::fopen((utf8 + "/zolyab4.Ini").c_str(), "wb");
    ASSERT_TRUE(ini);
    std::fputs("[SYSLOG]\r\nSAVE=1\r\nMODE=1\r\n", ini);
    std::fclose(ini);
  }
  g.sim.SetNow(At(2024, 5, 1, 9, 30, 0));
  g.app->Form2().FormCreate();
  EXPECT_EQ(g.app->Form2().LogDir, g.dir.path() + "/監視コンソール/");
  struct stat st;
  EXPECT_EQ(stat((utf8 + "/syslog20240501.log").c_str(), &st), 0);
}

TEST_F(SystemLogTest, ViewFilledFromTodaysFile) {
  std::string text;
  for (int n = 1; n <= 150; ++n) text += "old " + std::to_string(n) + "\r\n";
  AppendToFile(f.dir.File("syslog20240501.log"), text);
  AppendToFile(f.dir.File("syslog20240430.log"), "yesterday\r\n");

  w().system_log.SysLogViewLoad();
  ASSERT_EQ(w().system_log.ListBox2.Count(), 100u);
  EXPECT_EQ(w().system_log.ListBox2.Line(0), "old 150");
  EXPECT_EQ(w().system_log.ListBox2.Line(99), "old 51");

  w().system_log.SysLoging(1, "アプリの起動");
  ASSERT_EQ(w().system_log.ListBox2.Count(), 100u);
  EXPECT_EQ(w().system_log.ListBox2.Line(0), "(0001) 2024/05/01 09:30:00 アプリの起動");
  EXPECT_EQ(w().system_log.ListBox2.Line(1), "old 150");
  EXPECT_EQ(w().system_log.ListBox2.Line(99), "old 52");
}

TEST_F(SystemLogTest, ViewFillWithoutFile) {
  w().system_log.SysLogViewLoad();
  EXPECT_EQ(w().system_log.ListBox2.Count(), 0u);
  AppendToFile(f.dir.File("syslog20240501.log"), "");
  w().system_log.SysLogViewLoad();
  EXPECT_EQ(w().system_log.ListBox2.Count(), 0u);
  EXPECT_TRUE(f.boxes.shown.empty());
}

}  // namespace
}  // namespace zol
