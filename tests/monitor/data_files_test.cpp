#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "common/files.h"
#include "console/app.h"
#include "console/main_window.h"
#include "monitor/debug_window.h"
#include "support/app_fixture.h"
#include "support/file_limit.h"

namespace zol {
namespace {

// Text of column c of a device row, distinct per row, column and tag.
std::string CellText(int row, int col, const std::string& tag) {
  if (col == 1) return tag + "02:5A:3C:00:00:" + std::to_string(10 + row);
  if (col == 3) return "";
  return tag + "r" + std::to_string(row) + "c" + std::to_string(col) + " 機器";
}

class DataFilesTest : public ::testing::Test {
 protected:
  DebugWindow& dt() { return fx.app->Form4(); }
  MainWindow& w() { return fx.app->Form2(); }
  std::string Dat() { return fx.dir.File("zolyab4.dat"); }
  std::string Lst() { return fx.dir.File("zolyab4.lst"); }
  void Write(const std::string& path, const std::string& bytes) {
    std::string err;
    ASSERT_TRUE(WriteFileAtomic(path, bytes, &err)) << err;
  }
  void FillRow(DebugWindow& d, int row, const std::string& tag = "") {
    for (int c = 1; c <= 20; ++c) d.StringGrid1.SetCell(c, row, CellText(row, c, tag));
    d.StringGrid1.SetCell(21, row, "2026/12/10");  // live record: never saved
  }
  // The block of one row as the file holds it.
  static std::string Block(int row, const std::string& tag = "") {
    std::string s;
    for (int c = 1; c <= 20; ++c) s += CellText(row, c, tag) + "\r\n";
    return s;
  }
  static std::string EmptyBlock() {
    std::string s;
    for (int c = 1; c <= 20; ++c) s += "\r\n";
    return s;
  }
  static size_t JoinedSize(const std::vector<std::string>& lines) {
    size_t n = 0;
    for (const std::string& l : lines) n += l.size() + 2;
    return n;
  }
  // A second run on the same program folder.
  std::unique_ptr<App> Restart() { return std::make_unique<App>(fx.app->services); }

  AppFixture fx;
};

TEST_F(DataFilesTest, DeletedRowKeepsItsEmptyBlock) {
  FillRow(dt(), 1);
  FillRow(dt(), 3);
  fx.app->group_selector().items.Assign({"G001 グループ1", "G000 未登録グループ"});
  ASSERT_TRUE(dt().SettingDataSave());
  const std::string bytes = ReadAll(Dat());
  EXPECT_EQ(bytes, Block(1) + EmptyBlock() + Block(3));
  EXPECT_EQ(SplitLines(bytes).size(), 60u);
  EXPECT_EQ(dt().LastRow, 3);
  EXPECT_EQ(dt().UsedRows, 2);

  auto run = Restart();
  DebugWindow& d = run->Form4();
  ASSERT_TRUE(d.SettingDataLoad());
  for (int c = 1; c <= 20; ++c) {
    EXPECT_EQ(d.StringGrid1.Cell(c, 1), CellText(1, c, "")) << c;
    EXPECT_EQ(d.StringGrid1.Cell(c, 2), "") << c;
    EXPECT_EQ(d.StringGrid1.Cell(c, 3), CellText(3, c, "")) << c;
  }
  EXPECT_EQ(d.StringGrid1.Cell(21, 1), "");
  EXPECT_EQ(d.StringGrid1.Cell(1, 4), "");
  EXPECT_EQ(d.Label1.Caption(), "3/2");
  EXPECT_EQ(d.Label2.Caption(), "Max: 2");
}

TEST_F(DataFilesTest, RowWithoutDeviceBelowTheLastIsWrittenAsItStands) {
  // Row 1 has lost its MAC but still holds other cells; row 2 is a device.
  FillRow(dt(), 1);
  dt().StringGrid1.SetCell(1, 1, "");
  FillRow(dt(), 2);
  ASSERT_TRUE(dt().SettingDataSave());
  std::string row1 = "\r\n";
  for (int c = 2; c <= 20; ++c) row1 += CellText(1, c, "") + "\r\n";
  EXPECT_EQ(ReadAll(Dat()), row1 + Block(2));
}

TEST_F(DataFilesTest, NoDeviceWritesEmptyFile) {
  fx.app->group_selector().items.Assign({"G000 未登録グループ"});
  ASSERT_TRUE(dt().SettingDataSave());
  EXPECT_EQ(ReadAll(Dat()), "");
  EXPECT_EQ(ReadAll(Lst()), "G000 未登録グループ\r\n");

  auto run = Restart();
  ASSERT_TRUE(run->Form4().SettingDataLoad());
  for (int r = 1; r < 1000; ++r) ASSERT_EQ(run->Form4().StringGrid1.Cell(1, r), "") << r;
  EXPECT_EQ(run->Form4().LastRow, 1);
  EXPECT_EQ(run->Form4().UsedRows, 0);
  EXPECT_EQ(run->Form4().Label1.Caption(), "1/0");
  EXPECT_EQ(run->Form4().Label2.Caption(), "Max: 0");
}

TEST_F(DataFilesTest, EmptyCellsKeepTheBlockWhole) {
  FillRow(dt(), 1);
  dt().StringGrid1.SetCell(13, 1, "");  // empty memo
  dt().StringGrid1.SetCell(20, 1, "");  // last column empty too
  ASSERT_TRUE(dt().SettingDataSave());
  std::vector<std::string> lines = SplitLines(ReadAll(Dat()));
  ASSERT_EQ(lines.size(), 20u);
  EXPECT_EQ(lines[12], "");
  EXPECT_EQ(lines[13], CellText(1, 14, ""));
  EXPECT_EQ(lines[19], "");
}

TEST_F(DataFilesTest, PartBlockAndMixedLineEnds) {
  // 41 lines, ended by CR LF, CR and LF.
  std::string file;
  const char* ends[3] = {"\r\n", "\r", "\n"};
  for (int i = 1; i <= 41; ++i) file += "L" + std::to_string(i) + ends[i % 3];
  Write(Dat(), file);
  ASSERT_TRUE(dt().SettingDataLoad());
  for (int c = 1; c <= 20; ++c) {
    EXPECT_EQ(dt().StringGrid1.Cell(c, 1), "L" + std::to_string(c));
    EXPECT_EQ(dt().StringGrid1.Cell(c, 2), "L" + std::to_string(20 + c));
  }
  EXPECT_EQ(dt().StringGrid1.Cell(1, 3), "L41");
  for (int c = 2; c <= 20; ++c) EXPECT_EQ(dt().StringGrid1.Cell(c, 3), "") << c;
  EXPECT_EQ(dt().LastRow, 3);
  EXPECT_EQ(dt().UsedRows, 3);
}

TEST_F(DataFilesTest, LoadStopsAtRow999AndValidatesNothing) {
  std::string file;
  for (int i = 1; i <= 1001 * 20; ++i) file += "x" + std::to_string(i) + "\r\n";
  Write(Dat(), file);
  ASSERT_TRUE(dt().SettingDataLoad());
  EXPECT_EQ(dt().StringGrid1.Cell(1, 999), "x" + std::to_string(998 * 20 + 1));
  EXPECT_EQ(dt().StringGrid1.Cell(20, 999), "x" + std::to_string(999 * 20));
  EXPECT_EQ(dt().StringGrid1.Cell(1, 0), "1");  // the header row keeps its column number
  EXPECT_EQ(dt().LastRow, 999);
  EXPECT_EQ(dt().UsedRows, 999);
}

// A data file that the load did not read whole (a folder in its place, more
// device blocks than the table's 999 rows, or a group list never reached
// because the device file failed) is never written in that run: every save,
// the one of monitoring stop included, is refused with an error box naming
// it, and the file stays byte for byte.
TEST_F(DataFilesTest, FileNotReadWholeIsNeverOverwritten) {
  std::string blocks1200;
  for (int r = 1; r <= 1200; ++r) blocks1200 += Block(r);
  const std::string groups = "G001 グループ1\r\nG000 未登録グループ\r\n";
  struct Case {
    const char* what;
    bool dat_folder;
    std::string dat;  // content when not a folder
    bool lst_folder;
    bool load_ok;
    bool dat_held;  // else the group list is the held one
  };
  const Case cases[] = {
      {"device file is a folder", true, "", false, false, true},
      {"1200 device blocks", false, blocks1200, false, true, true},
      {"group list is a folder", false, Block(1), true, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    AppFixture run;
    const std::string dat = run.dir.File("zolyab4.dat");
    const std::string lst = run.dir.File("zolyab4.lst");
    if (c.dat_folder) {
      ASSERT_EQ(mkdir(dat.c_str(), 0755), 0);
    } else {
      Write(dat, c.dat);
    }
    if (c.lst_folder) {
      ASSERT_EQ(mkdir(lst.c_str(), 0755), 0);
    } else {
      Write(lst, groups);
    }
    DebugWindow& d = run.app->Form4();
    MainWindow& m = run.app->Form2();
    EXPECT_EQ(d.SettingDataLoad(), c.load_ok);
    EXPECT_EQ(run.boxes.shown.size(), c.load_ok ? 0u : 1u);
    run.boxes.shown.clear();

    // Edits of the run, then monitoring stop and a second save.
    FillRow(d, 2, "edited");
    run.app->group_selector().items.Assign({"G009 別", "G000 未登録グループ"});
    m.monitoring.YabStart();
    m.monitoring.zolyab_stop();
    EXPECT_FALSE(d.SettingDataSave());

    const std::string held = c.dat_held ? dat : lst;
    ASSERT_EQ(run.boxes.shown.size(), 2u);
    for (const auto& box : run.boxes.shown) {
      EXPECT_EQ(box.kind, BoxKind::Error);
      EXPECT_EQ(box.text, held + ": 起動時に全体を読み込めなかったため、上書きしません");
    }
    struct stat st;
    if (c.dat_folder) {
      EXPECT_TRUE(stat(dat.c_str(), &st) == 0 && S_ISDIR(st.st_mode));
    } else if (c.dat_held) {
      EXPECT_EQ(ReadAll(dat), c.dat);
    } else {
      // The device file was read whole, so it is written.
      EXPECT_NE(ReadAll(dat).find(CellText(2, 1, "edited")), std::string::npos);
    }
    if (c.lst_folder) {
      EXPECT_TRUE(stat(lst.c_str(), &st) == 0 && S_ISDIR(st.st_mode));
    } else {
      EXPECT_EQ(ReadAll(lst), groups);  // after a held device file the list is not written either
    }
  }
}

TEST_F(DataFilesTest, FirstStartGetsTheTwoDefaultGroups) {
  // Each count refresh of the tree ends with a refill of the group-send selector.
  auto refreshes = [&] { return fx.app->group_tab().ComboBoxEx2.items.Revision(); };
  EXPECT_FALSE(fx.app->group_selector().Enabled());
  ASSERT_TRUE(dt().SettingDataLoad());
  EXPECT_EQ(fx.app->group_selector().items.All(), (std::vector<std::string>{"G001 グループ1", "G000 未登録グループ"}));
  EXPECT_EQ(fx.app->group_selector().Text(), "G001 グループ1");
  EXPECT_EQ(refreshes(), 1u);
  EXPECT_EQ(fx.app->group_tab().ComboBoxEx2.items.All(), std::vector<std::string>{"G001 グループ1"});
  EXPECT_TRUE(fx.app->group_selector().Enabled());
  EXPECT_FALSE(FileExists(Lst()));  // the first save creates it

  ASSERT_TRUE(dt().SettingDataSave());
  EXPECT_EQ(ReadAll(Lst()), "G001 グループ1\r\nG000 未登録グループ\r\n");
}

TEST_F(DataFilesTest, GroupsComeFromTheTreeWhenItIsBuilt) {
  TreeView& tree = fx.app->tree().TreeView1;
  tree.Clear();
  tree.AddChild(nullptr, "G002 B", 0);
  tree.AddChild(nullptr, "G000 未登録グループ", 2);
  ASSERT_TRUE(dt().SettingDataLoad());
  EXPECT_EQ(fx.app->group_selector().items.All(), (std::vector<std::string>{"G002 B", "G000 未登録グループ"}));
  EXPECT_EQ(fx.app->group_selector().Text(), "G002 B");
}

TEST_F(DataFilesTest, GroupListLoadsInFileOrder) {
  auto refreshes = [&] { return fx.app->group_tab().ComboBoxEx2.items.Revision(); };
  Write(fx.dir.File("ZOLYAB4.LST"), "G003 三番\r\nG001 一番\r\nG002 二番\r\nG000 未登録グループ\r\n");
  ASSERT_TRUE(dt().SettingDataLoad());
  EXPECT_EQ(fx.app->group_selector().items.All(),
            (std::vector<std::string>{"G003 三番", "G001 一番", "G002 二番", "G000 未登録グループ"}));
  EXPECT_EQ(refreshes(), 0u);
  EXPECT_TRUE(fx.app->group_selector().Enabled());
  // The file found in another spelling is the one written back.
  ASSERT_TRUE(dt().SettingDataSave());
  EXPECT_FALSE(FileExists(Lst()));
  EXPECT_EQ(ReadAll(fx.dir.File("ZOLYAB4.LST")), "G003 三番\r\nG001 一番\r\nG002 二番\r\nG000 未登録グループ\r\n");
}

// Beside a program in a folder named in Japanese: the files are found and
// read under the folder's UTF-8 name, and written back there.
TEST(DataFilesFolder, JapaneseProgramFolder) {
  AppFixture g(nullptr, "監視コンソール");
  const std::string utf8 = g.dir.path() + u8"/監視コンソール";
  std::string dat_bytes;
  for (int row = 1; row <= 2; ++row)
    for (int c = 1; c <= 20; ++c) dat_bytes += CellText(row, c, "") + "\r\n";
  for (const auto& [name, bytes] : {std::pair<std::string, std::string>{"zolyab4.dat", dat_bytes},
                                    {"zolyab4.lst", "G001 一番\r\nG000 未登録グループ\r\n"}}) {
    FILE* file = std::fopen((utf8 + "/" + name).c_str(), "wb");
    ASSERT_TRUE(file) << name;
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
  }
  DebugWindow& d = g.app->Form4();
  ASSERT_TRUE(d.SettingDataLoad());
  EXPECT_TRUE(g.boxes.shown.empty());
  EXPECT_EQ(d.StringGrid1.Cell(10, 2), CellText(2, 10, ""));
  EXPECT_EQ(g.app->group_selector().items.All(), (std::vector<std::string>{"G001 一番", "G000 未登録グループ"}));
  d.StringGrid1.SetCell(10, 2, "新しい名前");
  ASSERT_TRUE(d.SettingDataSave());
  std::string got;
  ASSERT_TRUE(ReadFile(g.dir.File("監視コンソール/zolyab4.dat"), &got));
  EXPECT_NE(got.find("新しい名前\r\n"), std::string::npos);
  struct stat st;
  EXPECT_EQ(stat((utf8 + "/zolyab4.dat").c_str(), &st), 0);
}

TEST_F(DataFilesTest, SaveLocksEditingAgain) {
  struct Case {
    bool lock_on;
    bool unlocked_after;
  } cases[] = {{true, false}, {false, true}};
  for (const Case& c : cases) {
    w().LockOn = c.lock_on;
    w().EditUnlocked = !c.unlocked_after;
    ASSERT_TRUE(dt().SettingDataSave());
    EXPECT_EQ(w().EditUnlocked, c.unlocked_after) << c.lock_on;
  }
}

TEST_F(DataFilesTest, LineBreakInCellIsWrittenAsBlank) {
  FillRow(dt(), 1);
  FillRow(dt(), 2);
  dt().StringGrid1.SetCell(15, 1, "ZOL-8\r\nrev 2");
  dt().StringGrid1.SetCell(10, 1, "name\nB");
  dt().StringGrid1.SetCell(13, 1, "memo\r");
  ASSERT_TRUE(dt().SettingDataSave());
  EXPECT_EQ(SplitLines(ReadAll(Dat())).size(), 40u);

  auto run = Restart();
  DebugWindow& d = run->Form4();
  ASSERT_TRUE(d.SettingDataLoad());
  EXPECT_EQ(d.StringGrid1.Cell(15, 1), "ZOL-8  rev 2");
  EXPECT_EQ(d.StringGrid1.Cell(10, 1), "name B");
  EXPECT_EQ(d.StringGrid1.Cell(13, 1), "memo ");
  for (int c = 1; c <= 20; ++c) EXPECT_EQ(d.StringGrid1.Cell(c, 2), CellText(2, c, "")) << c;
}

TEST_F(DataFilesTest, FailedWriteKeepsOldFilesAndStops) {
  FillRow(dt(), 1);
  fx.app->group_selector().items.Assign({"G001 グループ1", "G000 未登録グループ"});
  ASSERT_TRUE(dt().SettingDataSave());
  const std::string old_dat = ReadAll(Dat());
  const std::string old_lst = ReadAll(Lst());

  // Device file cannot be written: both files stay, nothing after it runs.
  FillRow(dt(), 2);
  fx.app->group_selector().items.Add("G002 新");
  w().LockOn = true;
  w().EditUnlocked = true;
  dt().Label1.SetCaption("before");
  {
    FileSizeLimit limit(16);
    EXPECT_FALSE(dt().SettingDataSave());
  }
  EXPECT_EQ(ReadAll(Dat()), old_dat);
  EXPECT_EQ(ReadAll(Lst()), old_lst);
  ASSERT_EQ(fx.boxes.shown.size(), 1u);
  EXPECT_EQ(fx.boxes.shown[0].kind, BoxKind::Error);
  EXPECT_EQ(fx.boxes.shown[0].text.rfind(Dat() + ": ", 0), 0u);
  EXPECT_GT(fx.boxes.shown[0].text.size(), Dat().size() + 2);  // the system's reason follows
  EXPECT_TRUE(w().EditUnlocked);
  EXPECT_EQ(dt().Label1.Caption(), "before");

  // Group list cannot be written (it is now longer than the device file):
  // the device file is new, the list old.
  for (int g = 3; g < 100; ++g) fx.app->group_selector().items.Add("G" + std::to_string(100 + g) + " 長いグループ名の並び");
  ASSERT_GT(JoinedSize(fx.app->group_selector().items.All()), 2000u);
  ASSERT_LT(ReadAll(Dat()).size() * 2 + 200, 2000u);
  {
    FileSizeLimit limit(2000);
    EXPECT_FALSE(dt().SettingDataSave());
  }
  EXPECT_EQ(ReadAll(Dat()), Block(1) + Block(2));
  EXPECT_EQ(ReadAll(Lst()), old_lst);
  ASSERT_EQ(fx.boxes.shown.size(), 2u);
  EXPECT_EQ(fx.boxes.shown[1].text.rfind(Lst() + ": ", 0), 0u);
  EXPECT_TRUE(w().EditUnlocked);
}

// A save killed at any moment leaves the device file either as it was or as
// the save wrote it, and the file loads.
TEST_F(DataFilesTest, KilledSaveLeavesOldOrNewFile) {
  auto fill = [&](DebugWindow& d, int state) {
    for (int r = 1; r <= 60; ++r) {
      if (state == 0 && r > 30) {
        for (int c = 1; c <= 20; ++c) d.StringGrid1.SetCell(c, r, "");
      } else {
        FillRow(d, r, state == 0 ? "a" : "b");
      }
    }
  };
  fill(dt(), 0);
  ASSERT_TRUE(dt().SettingDataSave());
  const std::string a = ReadAll(Dat());
  fill(dt(), 1);
  ASSERT_TRUE(dt().SettingDataSave());
  const std::string b = ReadAll(Dat());
  ASSERT_NE(a, b);

  std::mt19937 rng(20261210);
  const auto start = std::chrono::steady_clock::now();
  int kills = 0;
  int saw_a = 0, saw_b = 0;
  for (; kills < 300 && std::chrono::steady_clock::now() - start < std::chrono::seconds(40); ++kills) {
    int pipefd[2];
    ASSERT_EQ(pipe(pipefd), 0);
    const int first = static_cast<int>(rng() % 2);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      close(pipefd[0]);
      for (int i = first;; ++i) {
        fill(dt(), i % 2);
        dt().SettingDataSave();
        if (write(pipefd[1], "s", 1) != 1) _exit(1);
      }
    }
    close(pipefd[1]);
    // Let a few saves complete, then kill somewhere in the next one.
    const unsigned done = rng() % 3;
    char ch;
    for (unsigned i = 0; i < done; ++i) {
      if (read(pipefd[0], &ch, 1) != 1) break;
    }
    for (volatile unsigned spin = rng() % 200000; spin > 0; spin = spin - 1) {
    }
    kill(pid, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    close(pipefd[0]);

    const std::string now = ReadAll(Dat());
    ASSERT_TRUE(now == a || now == b) << "after kill " << kills << ": " << now.size() << " bytes";
    (now == a ? saw_a : saw_b)++;
    auto run = Restart();
    ASSERT_TRUE(run->Form4().SettingDataLoad());
    ASSERT_EQ(run->Form4().UsedRows, now == a ? 30 : 60);
  }
  EXPECT_GT(kills, 50);
  EXPECT_GT(saw_a, 0);
  EXPECT_GT(saw_b, 0);
}

}  // namespace
}  // namespace zol
