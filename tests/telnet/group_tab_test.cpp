// The group tab on the simulated clock: command entries, script headers,
// destination list lines, check actions and counters, the send with its
// queue, send log and order of steps, leaving send mode, and what a running
// send holds back.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "common/files.h"
#include "common/text.h"
#include "console/password_dialog.h"
#include "monitor/monitoring.h"
#include "telnet/telnet_fixture.h"

namespace zol {
namespace {

using Lines = std::vector<std::string>;

struct GroupTabFixture : TelnetFixture {
  GroupTabFixture() {
    app->settings().LogDir = dir.path();
    app->monitoring().ToolButton2.SetEnabled(false);  // monitoring stopped
    group().ComboBoxEx2.SetText("G001 Floor");
  }
  GroupTab& tab() { return group(); }

  // Writes a script file (CR LF lines) into the test folder.
  std::string Script(const std::string& name, const Lines& lines) {
    const std::string path = dir.File(name);
    std::string err;
    EXPECT_TRUE(WriteFileAtomic(path, CrLf(lines), &err)) << err;
    return path;
  }
  // Command entry r naming the file, selected.
  void Entry(int r, const std::string& name, const std::string& path) {
    app->settings().GrpLastData[static_cast<size_t>(r)] = name + "," + path;
    tab().grpListRef();
    tab().StringGrid1.SetRow(r);
    tab().StringGrid1Click();
  }
  void SetGroupChange(int row, const std::string& v) {
    table().SetCell(dtcol::ConnectInfo, row, CsvSetField(table().Cell(dtcol::ConnectInfo, row), v, 8));
  }
  void SetResult(int row, const std::string& result) {
    table().SetCell(dtcol::GroupSendResult, row, result.empty() ? "" : "2026/01/02 03:04:05 " + result);
  }
  Lines Checks() {
    Lines out;
    for (size_t i = 0; i < tab().CheckListBox1.Count(); ++i) {
      out.push_back(tab().CheckListBox1[i].substr(0, 5) + (tab().CheckListBox1.Checked(i) ? "+" : "-"));
    }
    return out;
  }
  bool SendMode() { return tab().Panel30.Visible() && !tab().Panel25.Visible(); }
};

// --- Script headers ---

TEST(ScriptHeader, AcceptsZolOrQmAnywhereInAnyCase) {
  struct Case {
    std::string header;
    bool good;
  };
  const Case cases[] = {
      {"@zol", true},          {"@ZOL x", true},    {"@qm", true},         {"@QM @zol", true},
      {"# script @Zol", true}, {"#zol", false},     {"", false},           {"@z ol", false},
      {"\xEF\xBB\xBF@ZOL", true},  // a byte-order mark before it
  };
  for (const Case& c : cases) EXPECT_EQ(ScriptHeaderGood(c.header), c.good) << c.header;
}

TEST_F(GroupTabFixture, FileSpecifiedTestsTheHeaderAndSetsTheScriptType) {
  Register(1, "10.0.0.1", "pw");
  struct Case {
    Lines script;
    bool good;
    int type;
  };
  const Case cases[] = {
      {{"@zol", "a"}, true, 0},
      {{"@ZOL x"}, true, 0},
      {{"@qm", "a"}, true, 1},
      {{"@zol @qm"}, true, 1},
      {{"\xEF\xBB\xBF@ZOL", "a"}, true, 0},
      {{"#zol", "a"}, false, 0},
      {{"x @q m zol"}, false, 0},
      {{}, false, 0},  // an empty file
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script.empty() ? "empty" : c.script[0]);
    tab().cancelbtn();
    boxes.shown.clear();
    form5().ScriptType = 7;
    form5().ScriptError = "多重接続切断";
    Entry(1, "再起動", Script("s.txt", c.script));
    EXPECT_EQ(tab().grpsendcik(), c.good ? GroupTab::ScriptLoad::Good : GroupTab::ScriptLoad::BadHeader);
    EXPECT_EQ(form5().ScriptType, c.type);
    EXPECT_EQ(form5().ScriptError, "");
    if (c.good) {
      EXPECT_TRUE(boxes.shown.empty());
      EXPECT_EQ(tab().Memo4.All(), c.script);
      EXPECT_EQ(tab().Memo2.All(), c.script);  // the script is shown
      EXPECT_TRUE(SendMode());
      EXPECT_EQ(tab().Panel23.Caption(), "再起動");
    } else {
      ASSERT_EQ(BoxTexts(), Lines{"設定ファイルの1行目に @ZOL を入れてください。"});
      EXPECT_EQ(boxes.shown[0].kind, BoxKind::Warning);
      EXPECT_EQ(tab().Memo4.Count(), 0u);
      EXPECT_FALSE(SendMode());
    }
  }
  // A script in a Japanese folder (the path is Shift-JIS, as the dialog and
  // the settings file give it).
  tab().cancelbtn();
  const std::string folder = dir.File("スクリプト");
  ASSERT_EQ(::mkdir(FileSystemName(folder).c_str(), 0700), 0);
  std::string err;
  ASSERT_TRUE(WriteFileAtomic(folder + "/再起動.txt", CrLf({"@zol", "日本"}), &err)) << err;
  Entry(1, "再起動", folder + "/再起動.txt");
  EXPECT_EQ(tab().grpsendcik(), GroupTab::ScriptLoad::Good);
  EXPECT_EQ(tab().Memo4.All(), (Lines{"@zol", "日本"}));
  // A missing file does nothing: the script loaded before stays.
  tab().cancelbtn();
  Entry(1, "再起動", Script("s.txt", {"@zol", "keep"}));
  tab().grpsendcik();
  tab().cancelbtn();
  Entry(1, "再起動", dir.File("missing.txt"));
  EXPECT_EQ(tab().grpsendcik(), GroupTab::ScriptLoad::NoFile);
  EXPECT_EQ(tab().Memo4.All(), (Lines{"@zol", "keep"}));
  EXPECT_FALSE(SendMode());
}

// --- Destination list ---

TEST(GroupListLine, ColumnsStayPutWhateverTheLengths) {
  const std::string n30(30, 'n');
  struct Case {
    std::string name, ip, result;
    std::string name_col, ip_col;  // bytes 7-36 and 38-53
  };
  const Case cases[] = {
      {"", "10.0.0.1", "", std::string(30, ' '), "10.0.0.1        "},
      {n30, "192.168.100.200", "", n30, "192.168.100.200 "},        // 30 bytes, 15 bytes
      {n30 + "X", "192.168.100.2001", "", n30, "192.168.100.2001"},  // 31 cut, 16 exact
      {"", "192.168.100.20012", "", std::string(30, ' '), "192.168.100.2001"},  // 17 cut
      // A double-byte character over byte 30 becomes a blank.
      {std::string(29, 'a') + "機器", "", "", std::string(29, 'a') + " ", std::string(16, ' ')},
      {std::string(28, 'a') + "機器", "", "", std::string(28, 'a') + "機", std::string(16, ' ')},
      {"サーバ室", "fe80::1:2:3:4:5:6", "", "サーバ室" + std::string(22, ' '), "fe80::1:2:3:4:5:"},
  };
  for (const Case& c : cases) {
    const std::string line = GroupListLine(7, c.name, c.ip, c.result);
    EXPECT_EQ(line, "ID007 " + c.name_col + " " + c.ip_col + " ") << c.name;
    EXPECT_EQ(line.size(), 54u);
  }
  // The result from byte 55, its mark at bytes 75-76.
  for (const std::string mark : {"○ 正常終了", "× タイムアウト"}) {
    const std::string result = "2026/12/10 14:00:00 " + mark;
    const std::string line = GroupListLine(12, std::string(31, 'n'), "10.0.0.1", result);
    EXPECT_EQ(line.substr(54), result);
    EXPECT_EQ(line.substr(74, 2), mark.substr(0, 2));
  }
}

TEST_F(GroupTabFixture, ListHoldsTheGroupsDevicesInIdOrderWithTheirSavedChecks) {
  for (int r : {4, 2, 9}) Register(r, "10.0.0." + std::to_string(r), "pw");
  Register(3, "10.0.0.3", "pw");
  table().SetCell(dtcol::GroupName, 3, "G002 Hall");
  table().SetCell(dtcol::GroupName, 9, "G001 Floor ");  // not equal: not listed
  SetGroupChange(4, "0");
  SetResult(2, "× 切断");
  tab().grplist();
  EXPECT_EQ(Checks(), (Lines{"ID002+", "ID004-"}));
  EXPECT_EQ(tab().CheckListBox1[0], GroupListLine(2, "Dev2", "10.0.0.2", table().Cell(dtcol::GroupSendResult, 2)));

  // A group without devices says so and keeps command mode's panel.
  tab().ComboBoxEx2.SetText("G005 空");
  Entry(1, "x", Script("s.txt", {"@zol"}));
  tab().grpsendcik();
  EXPECT_EQ(BoxTexts(), Lines{"G005 空に送信先がありません。"});
  EXPECT_TRUE(tab().Panel25.Visible());
  EXPECT_FALSE(tab().Memo2.Visible());
  EXPECT_TRUE(tab().Panel30.Visible());
}

// --- Check actions and counters ---

struct CheckFixture : GroupTabFixture {
  CheckFixture() {
    for (int r = 1; r <= 5; ++r) Register(r, "10.0.0." + std::to_string(r), "pw");
    SetResult(1, "○ 正常終了");
    SetResult(2, "× Password Error");
    SetResult(4, "○ 正常終了");
    SetResult(5, "× タイムアウト");
    SetGroupChange(2, "0");
    SetGroupChange(4, "0");
    app->settings().GrpLastTimeS = "2026/12/01 09:00:00";
    app->settings().GrpLastTimeE = "2026/12/01 09:05:00";
    tab().grplist();
    tab().grp_st_check();
  }
  void Act(int action, BoxResult answer = BoxResult::Yes) {
    boxes.answers.push_back(answer);
    tab().ComboBox1.SetItemIndex(action);
    tab().BitBtn6Click();
  }
  Lines Counters() {
    Lines out;
    for (Panel* p : {&tab().Panel34, &tab().Panel40, &tab().Panel35, &tab().Panel36, &tab().Panel37}) {
      out.push_back(p->Caption());
    }
    return out;
  }
};

TEST_F(CheckFixture, CountersReadTheMarksAndChecks) {
  EXPECT_EQ(Counters(), (Lines{"5", "3", "2", "2", "1"}));  // total, checked, ○, ×, none
  EXPECT_EQ(tab().Panel38.Caption(), "2026/12/01 09:00:00");
  EXPECT_EQ(tab().Panel39.Caption(), "2026/12/01 09:05:00");
}

TEST_F(CheckFixture, EachActionSetsTheChecksByTheMarks) {
  struct Case {
    int action;
    Lines checks;
    std::string checked;
  };
  const Case cases[] = {
      {0, {"ID001+", "ID002+", "ID003+", "ID004+", "ID005+"}, "5"},  // 全項目チェック
      {1, {"ID001-", "ID002-", "ID003-", "ID004-", "ID005-"}, "0"},  // 全項目外し
      {2, {"ID001+", "ID002-", "ID003-", "ID004+", "ID005-"}, "2"},  // 正常のみチェック
      {3, {"ID001-", "ID002+", "ID003-", "ID004-", "ID005+"}, "2"},  // 失敗のみチェック
      {4, {"ID001-", "ID002-", "ID003+", "ID004-", "ID005-"}, "1"},  // 未送信のみチェック
  };
  for (const Case& c : cases) {
    boxes.shown.clear();
    Act(c.action);
    EXPECT_EQ(Checks(), c.checks) << c.action;
    EXPECT_EQ(tab().Panel40.Caption(), c.checked) << c.action;
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, tab().ComboBox1.items[static_cast<size_t>(c.action)] + "を行います。よろしいですか？");
    EXPECT_EQ(boxes.shown[0].kind, BoxKind::Confirm);
  }
  // No changes nothing; the saved marks are untouched by any of these.
  Act(0, BoxResult::No);
  EXPECT_EQ(tab().Panel40.Caption(), "1");
  EXPECT_EQ(CsvField(table().Cell(dtcol::ConnectInfo, 2), 8), "0");
}

TEST_F(CheckFixture, SavingWritesGroupChangeAndTheDeviceFileEachTime) {
  // A short connection text keeps its fields: the mark goes into field 8.
  table().SetCell(dtcol::ConnectInfo, 3, "telnet,10.0.0.3");
  table().SetCell(dtcol::ConnectInfo, 5, "telnet,10.0.0.5,80,,23,0,,1");
  tab().grplist();
  Act(4);  // only the unsent one (3) checked
  Act(5);
  EXPECT_EQ(table().Cell(dtcol::ConnectInfo, 3), "telnet,10.0.0.3,,,,,,1");
  EXPECT_EQ(table().Cell(dtcol::ConnectInfo, 5), "telnet,10.0.0.5,80,,23,0,,0");
  for (int r : {1, 2, 4}) EXPECT_EQ(CsvField(table().Cell(dtcol::ConnectInfo, r), 8), "0") << r;
  const std::string dat = dir.File("zolyab4.dat");
  EXPECT_NE(ReadAll(dat).find("telnet,10.0.0.3,,,,,,1"), std::string::npos);
  // A second save without changes writes the same values and the file again.
  ASSERT_EQ(::unlink(dat.c_str()), 0);
  Act(5);
  EXPECT_EQ(table().Cell(dtcol::ConnectInfo, 3), "telnet,10.0.0.3,,,,,,1");
  EXPECT_NE(ReadAll(dat).find("telnet,10.0.0.3,,,,,,1"), std::string::npos);
  // The list rebuilt from the saved marks shows them.
  tab().grplist();
  EXPECT_EQ(Checks(), (Lines{"ID001-", "ID002-", "ID003+", "ID004-", "ID005-"}));
}

// --- Command entries ---

TEST_F(GroupTabFixture, EntriesShowNameAndFileNameAndSplitAtTheFirstComma) {
  auto& data = app->settings().GrpLastData;
  data[1] = "再起動,/opt/scripts/reboot.txt";
  data[2] = "夜間,/opt/a,b/night.txt";  // a comma in the path
  data[10] = "最後";
  tab().grpListRef();
  EXPECT_EQ(tab().StringGrid1.Row(), 1);
  EXPECT_EQ((Lines{tab().StringGrid1.Cell(0, 0), tab().StringGrid1.Cell(1, 0), tab().StringGrid1.Cell(2, 0)}),
            (Lines{"No", " コマンド名称", " ファイル名"}));
  EXPECT_EQ(tab().StringGrid1.Cell(1, 1), "再起動");
  EXPECT_EQ(tab().StringGrid1.Cell(2, 1), "reboot.txt");
  EXPECT_EQ(tab().StringGrid1.Cell(0, 10), "10");
  EXPECT_EQ(tab().StringGrid1.Cell(2, 10), "");
  EXPECT_EQ(tab().Edit1.Text(), "再起動");  // the selected row
  EXPECT_EQ(tab().Edit2.Text(), "/opt/scripts/reboot.txt");

  tab().StringGrid1.SetRow(2);
  tab().StringGrid1Click();
  EXPECT_EQ(tab().Edit2.Text(), "/opt/a,b/night.txt");
  EXPECT_EQ(tab().StringGrid1.Cell(2, 2), "night.txt");
  EXPECT_TRUE(tab().BitBtn3.Enabled());
  tab().StringGrid1.SetRow(10);  // a name without file
  tab().StringGrid1Click();
  EXPECT_FALSE(tab().BitBtn3.Enabled());
  tab().StringGrid1.SetRow(5);  // empty
  tab().StringGrid1Click();
  EXPECT_EQ(tab().Edit1.Text(), "");
  EXPECT_FALSE(tab().BitBtn3.Enabled());
}

TEST_F(GroupTabFixture, EditModeRegistersWhatWasTyped) {
  auto& data = app->settings().GrpLastData;
  tab().grpListRef();
  EXPECT_FALSE(tab().Edit1.Enabled());
  EXPECT_FALSE(tab().BitBtn7.Enabled());
  tab().BitBtn8Click();
  EXPECT_EQ(tab().BitBtn8.Caption(), "キャンセル");
  EXPECT_FALSE(tab().BitBtn3.Enabled());
  for (Control* c : std::initializer_list<Control*>{&tab().BitBtn4, &tab().BitBtn7, &tab().Edit1, &tab().Edit2}) {
    EXPECT_TRUE(c->Enabled());
  }
  // An empty entry gets a name.
  tab().StringGrid1.SetRow(3);
  tab().StringGrid1Click();
  EXPECT_EQ(tab().Edit1.Text(), "NoName3");
  tab().Edit2.SetText("/opt/s.txt");
  tab().BitBtn7Click();
  EXPECT_EQ(data[3], "NoName3,/opt/s.txt");
  EXPECT_EQ(tab().StringGrid1.Cell(1, 3), "NoName3");
  // A comma in the name: nothing, silently.
  tab().Edit1.SetText("a,b");
  tab().BitBtn7Click();
  EXPECT_EQ(data[3], "NoName3,/opt/s.txt");
  EXPECT_TRUE(boxes.shown.empty());
  // A name over 20 bytes is cut there, never halving a character.
  tab().Edit1.SetText("あいうえおかきくけこさ");
  tab().BitBtn7Click();
  EXPECT_EQ(data[3], "あいうえおかきくけこ,/opt/s.txt");
  tab().Edit1.SetText("abcdefghijklmnopqrsあ");
  tab().BitBtn7Click();
  EXPECT_EQ(data[3], "abcdefghijklmnopqrs,/opt/s.txt");
  // Cancel keeps what was typed without storing it.
  tab().Edit1.SetText("typed");
  tab().BitBtn8Click();
  EXPECT_EQ(tab().BitBtn8.Caption(), "編集");
  EXPECT_EQ(tab().Edit1.Text(), "typed");
  EXPECT_EQ(data[3], "abcdefghijklmnopqrs,/opt/s.txt");
  EXPECT_TRUE(tab().BitBtn3.Enabled());
  EXPECT_FALSE(tab().Edit1.Enabled());
  EXPECT_FALSE(tab().BitBtn4.Enabled());
}

TEST_F(GroupTabFixture, BrowseLoadsAChosenScriptWithAGoodHeader) {
  tab().BitBtn8Click();
  tab().Edit2.SetText("/before.txt");
  form5().ScriptType = 0;
  // Cancelled, or a file that does not exist: nothing.
  open_dialog.answers = {std::nullopt, dir.File("nope.txt")};
  tab().BitBtn4Click();
  tab().BitBtn4Click();
  EXPECT_EQ(tab().Edit2.Text(), "/before.txt");
  EXPECT_EQ(open_dialog.filters, (Lines{"", ""}));  // no filter
  // A good header takes the file.
  const std::string qm = Script("qm.txt", {"@qm", "bye"});
  open_dialog.answers = {qm};
  tab().BitBtn4Click();
  EXPECT_EQ(tab().Edit2.Text(), qm);
  EXPECT_EQ(form5().ScriptType, 1);
  EXPECT_EQ(tab().Memo4.All(), (Lines{"@qm", "bye"}));
  // A bad one warns and clears the send log; the file and type stay.
  tab().Memo2.Assign({"old log"});
  open_dialog.answers = {Script("bad.txt", {"zol"})};
  tab().BitBtn4Click();
  EXPECT_EQ(BoxTexts(), Lines{"設定ファイルの1行目に @ZOL を入れてください。"});
  EXPECT_EQ(tab().Memo2.Count(), 0u);
  EXPECT_EQ(tab().Edit2.Text(), qm);
  EXPECT_EQ(form5().ScriptType, 1);
}

// --- Sending ---

struct SendFixture : GroupTabFixture {
  SendFixture() {
    for (int r = 1; r <= 5; ++r) Register(r, "10.0.0." + std::to_string(r), "pw", "");
    Entry(1, "再起動", Script("reboot.txt", {"@ZOL", "a"}));
  }
  // Send mode with the checks of rows 2, 4 and 5 saved.
  void CheckTwoFourFive() {
    for (int r : {1, 3}) SetGroupChange(r, "0");
    tab().grpsendcik();
  }
};

TEST_F(SendFixture, QueueHoldsTheCheckedDevicesAndLoadsEachOnesLogin) {
  Register(4, "10.0.0.4", "secret4", "2323");
  CheckTwoFourFive();
  struct Seen {
    std::string queue, password, port;
  };
  std::vector<Seen> seen;
  telnet.accept = [&](const std::string&, int) {
    seen.push_back({tab().SendQueue, form5().SessionPassword, form5().SessionPort});
    return false;
  };
  tab().grpsend();
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].queue, "3,1,002,004,005");
  EXPECT_EQ(seen[0].password, "pw");  // decoded
  EXPECT_EQ(seen[0].port, "23");      // empty port: 23
  EXPECT_EQ(seen[1].queue, "3,2,002,004,005");
  EXPECT_EQ(seen[2].queue, "3,3,002,004,005");
  // Operation 0 loads the current device's login; 1 advances, 0 past the end.
  tab().SendQueue = "3,2,002,004,005";
  EXPECT_EQ(tab().GroupQueue(0), 4);
  EXPECT_EQ(form5().SessionPassword, "secret4");
  EXPECT_EQ(form5().SessionPort, "2323");
  EXPECT_EQ(tab().GroupQueue(1), 5);
  EXPECT_EQ(tab().SendQueue, "3,3,002,004,005");
  EXPECT_EQ(tab().GroupQueue(1), 0);
  EXPECT_EQ(tab().Panel28.Caption(), "3");
  EXPECT_EQ(tab().Panel29.Caption(), "3");
}

TEST_F(SendFixture, SendStartsInItsOrderAndTheRunEndsWithLogAndFiles) {
  CheckTwoFourFive();
  app->monitoring().ToolButton2.SetEnabled(true);  // monitoring runs: warned, sent all the same
  sim.SetNow(DateTime{2026, 12, 10, 14, 0, 0});
  boxes.answers = {BoxResult::Yes};
  uint64_t asked_at = 0, first_connect_at = 0;
  boxes.while_open = [&](const FakeMessageBoxes::Shown& b) {
    if (b.kind == BoxKind::Confirm) asked_at = sim.BootMillis();
  };
  telnet.accept = [&](const std::string&, int) {
    if (!first_connect_at) first_connect_at = sim.BootMillis();
    return true;
  };
  tab().BitBtn5Click();
  EXPECT_EQ(tab().Panel27.Caption(), "送信開始");
  EXPECT_FALSE(tab().BitBtn5.Enabled());
  EXPECT_TRUE(tab().Panel30.Enabled());
  EXPECT_GE(first_connect_at, asked_at + 1000);  // the second between question and send
  sim.Advance(120000);

  ASSERT_EQ(BoxTexts(), (Lines{"監視中の場合、不安定になることがあります。",
                               "G001 Floorにコマンド送信します。よろしいですか？\r\rコマンド名称 : 再起動",
                               "送信完了しました"}));
  EXPECT_EQ(boxes.shown[1].buttons, BoxButtons::YesNo);
  const Lines& log = tab().Memo2.All();
  ASSERT_GE(log.size(), 6u);
  EXPECT_EQ(Lines(log.begin(), log.begin() + 5),
            (Lines{"開始日時   2026/12/10 14:00:01", "グループ   G001 Floor", "対象数     3", "ファイル名 reboot.txt", ""}));
  EXPECT_EQ(app->settings().GrpLastTimeS, "2026/12/10 14:00:01");
  EXPECT_EQ(log.back().substr(9), "終了 [成功 3 失敗 0]");
  EXPECT_EQ(std::count(dev.lines.begin(), dev.lines.end(), "a"), 3);
  EXPECT_EQ(std::count(dev.lines.begin(), dev.lines.end(), "q"), 3);
  for (int r : {2, 4, 5}) EXPECT_EQ(Result(r), "○ 正常終了") << r;
  EXPECT_EQ(table().Cell(dtcol::GroupSendResult, 1), "");
  // The list and counters show the new results.
  EXPECT_EQ(tab().Panel35.Caption(), "3");
  EXPECT_EQ(tab().Panel37.Caption(), "2");
  EXPECT_EQ(tab().Panel27.Caption(), "送信完了");
  EXPECT_TRUE(tab().BitBtn5.Enabled());
  EXPECT_FALSE(tab().Sending());
  const std::string end = app->settings().GrpLastTimeE;
  const std::string gs = dir.File("gs20261210" + end.substr(11, 2) + end.substr(14, 2) + end.substr(17, 2) + ".log");
  EXPECT_EQ(ReadAll(gs), CrLf(log));
}

TEST_F(SendFixture, NoAnswerOrNothingCheckedSendsNothing) {
  boxes.answers = {BoxResult::No};
  tab().BitBtn5Click();
  EXPECT_TRUE(telnet.attempts.empty());
  EXPECT_TRUE(SendMode());  // send mode stays
  EXPECT_TRUE(tab().BitBtn5.Enabled());

  for (int r = 1; r <= 5; ++r) SetGroupChange(r, "0");
  boxes.shown.clear();
  boxes.answers = {BoxResult::Yes};
  tab().BitBtn5Click();
  EXPECT_EQ(BoxTexts().back(), "送信先がありません。");
  EXPECT_TRUE(telnet.attempts.empty());
  EXPECT_FALSE(SendMode());
  EXPECT_TRUE(tab().Panel25.Visible());
  EXPECT_FALSE(tab().Sending());
}

TEST_F(SendFixture, UnsavedChecksAreLostAtTheSend) {
  tab().grpsendcik();
  tab().CheckListBox1.SetChecked(0, false);  // not saved
  boxes.answers = {BoxResult::Yes};
  tab().BitBtn5Click();
  sim.Advance(120000);
  EXPECT_EQ(Result(1), "○ 正常終了");
}

TEST_F(SendFixture, ABadHeaderAtSendTimeStopsTheSend) {
  tab().grpsendcik();
  SetResult(1, "○ 正常終了");
  const std::string before = table().Cell(dtcol::GroupSendResult, 1);
  Script("reboot.txt", {"no header", "a"});  // the file changed since
  boxes.answers = {BoxResult::Yes};
  tab().BitBtn5Click();
  sim.Advance(60000);
  EXPECT_EQ(BoxTexts(), Lines{"設定ファイルの1行目に @ZOL を入れてください。"});
  EXPECT_TRUE(telnet.attempts.empty());
  EXPECT_EQ(table().Cell(dtcol::GroupSendResult, 1), before);
  EXPECT_FALSE(tab().Sending());
}

// The script type belongs to the group script: a "@qm" entry chosen on the
// tab leaves the device window's commands and the editor's identity read
// logging in with the device's password, and the "@qm" send itself asks none.
TEST_F(SendFixture, AQmEntryChosenOnTheTabLeavesSingleSessionsTheirPassword) {
  Entry(2, "QM", Script("qm.txt", {"@qm", "a"}));
  ASSERT_EQ(tab().grpsendcik(), GroupTab::ScriptLoad::Good);
  ASSERT_EQ(form5().ScriptType, 1);
  tab().cancelbtn();
  struct Case {
    const char* what;
    std::function<void()> start;
    Lines written;
    bool buttons_back;  // the device window's switch buttons
  };
  const Case cases[] = {
      {"outlet command", [this] { OutletCommand(3, "PON1"); }, {"", "pw", "PON1"}, true},
      {"identity read",
       [this] {
         form5().Panel33.SetCaption("10.0.0.4");
         form5().Edit12.SetText("23");
         form5().MaskEdit1.SetText("pw");
         form5().Panel20.SetCaption("1");
         form5().BitBtn3Click();
       },
       {"", "pw", "?debOlName", "?sysDescr", "?sysName"}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    boxes.shown.clear();
    telnet.written.clear();
    SwitchButtonsOff();
    c.start();
    sim.Advance(30000);
    EXPECT_EQ(telnet.written, c.written);
    EXPECT_EQ(form5().SessionState, 0);
    EXPECT_EQ(SwitchButtonsBack(), c.buttons_back);
  }
  EXPECT_EQ(BoxTexts().size(), 1u);  // the identity read's confirmation only
  EXPECT_EQ(BoxTexts()[0].rfind("下記の情報を設定に入力しますか？", 0), 0u);
  EXPECT_EQ(form5().ScriptType, 1);
  // The "@qm" send goes straight from the banner to the prompt.
  dev.script_type = 1;
  telnet.written.clear();
  boxes.answers = {BoxResult::Yes};
  tab().grpsendcik();
  tab().BitBtn5Click();
  sim.Advance(300000);
  EXPECT_EQ(std::count(telnet.written.begin(), telnet.written.end(), "pw"), 0);
  EXPECT_EQ(Result(1), "○ 正常終了");
}

TEST_F(SendFixture, ANoIdQueueEndsTheRunAtOnce) {
  tab().grpsendcik();
  tab().CheckListBox1.Clear();
  tab().CheckListBox1.Add("IDxyz damaged", true);
  tab().grpsend();
  EXPECT_EQ(tab().Memo2.All().back().substr(9), " [書換対象がありません]");
  EXPECT_TRUE(telnet.attempts.empty());
  EXPECT_EQ(tab().Panel27.Caption(), "送信完了");
  EXPECT_TRUE(tab().BitBtn5.Enabled());
  EXPECT_FALSE(tab().Sending());
}

TEST_F(SendFixture, ARunningSendHoldsBackWhatWouldTakeItsSession) {
  Entry(1, "再起動", Script("reboot.txt", {"@ZOL", "@wait 3000", "a"}));  // the run takes a while
  boxes.answers = {BoxResult::Yes};
  tab().BitBtn5Click();
  ASSERT_TRUE(tab().Sending());
  // Leaving send mode and entering it again gives no second send.
  tab().BitBtn2Click();
  EXPECT_FALSE(SendMode());
  EXPECT_FALSE(tab().BitBtn3.Enabled());
  tab().BitBtn3Click();
  tab().StringGrid1DblClick();
  EXPECT_FALSE(SendMode());
  tab().glistcheck();
  EXPECT_TRUE(SendMode());
  EXPECT_FALSE(tab().BitBtn5.Enabled());
  tab().BitBtn5Click();
  // Browsing for another script is held back too; the check actions work.
  tab().cancelbtn();
  tab().BitBtn8Click();
  EXPECT_FALSE(tab().BitBtn4.Enabled());
  open_dialog.answers = {Script("other.txt", {"@qm"})};
  tab().BitBtn4Click();
  EXPECT_EQ(form5().ScriptType, 0);
  tab().BitBtn8Click();
  boxes.answers = {BoxResult::Yes};
  tab().ComboBox1.SetItemIndex(1);
  tab().BitBtn6Click();
  // An outlet command and an identity read are refused with their buttons back.
  form5().BitBtn3.SetEnabled(false);
  SwitchButtonsOff();
  OutletCommand(3, "PON1");
  EXPECT_TRUE(SwitchButtonsBack());
  form5().Panel33.SetCaption("10.9.9.9");
  form5().Edit12.SetText("23");
  form5().MaskEdit1.SetText("other");
  form5().BitBtn3Click();
  EXPECT_TRUE(form5().BitBtn3.Enabled());
  EXPECT_EQ(form5().SessionPassword, "pw");  // the running device's login stays
  const Lines texts = BoxTexts();
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "グループ送信中のため実行できません。"), 2);
  for (const auto& a : telnet.attempts) EXPECT_NE(a.first, "10.9.9.9");

  sim.Advance(300000);
  EXPECT_FALSE(tab().Sending());
  EXPECT_EQ(BoxTexts().back(), "送信完了しました");
  for (int r = 1; r <= 5; ++r) EXPECT_EQ(Result(r), "○ 正常終了") << r;
  EXPECT_EQ(telnet.attempts.size(), 5u);
  // What the run held back comes back; the next send can start.
  EXPECT_TRUE(tab().BitBtn3.Enabled());
  EXPECT_TRUE(tab().BitBtn5.Enabled());
  form5().BitBtn3Click();
  EXPECT_EQ(telnet.attempts.back().first, "10.9.9.9");
}

TEST_F(SendFixture, LeavingSendModeOrChangingTheGroupLetsTheRunGoOn) {
  boxes.answers = {BoxResult::Yes};
  tab().BitBtn5Click();
  ASSERT_TRUE(tab().Sending());
  app->group_selector().items.Assign({"G001 Floor", "G000 未登録グループ", "G002 Hall"});
  app->group_selector().SetText("G001 Floor");
  // A refill keeps send mode.
  tab().ComboBoxEx2Refill();
  EXPECT_EQ(tab().ComboBoxEx2.items.All(), (Lines{"G001 Floor", "G002 Hall"}));
  EXPECT_EQ(tab().ComboBoxEx2.Text(), "G001 Floor");
  EXPECT_TRUE(SendMode());
  // The operator's choice leaves it; the run goes on.
  tab().ComboBoxEx2.SetText("G002 Hall");
  tab().ComboBoxEx2Change();
  EXPECT_FALSE(SendMode());
  sim.Advance(300000);
  EXPECT_EQ(BoxTexts().back(), "送信完了しました");
  for (int r = 1; r <= 5; ++r) EXPECT_EQ(Result(r), "○ 正常終了") << r;
  EXPECT_EQ(tab().CheckListBox1.Count(), 0u);  // the list is of the new group
}

TEST_F(SendFixture, LockedEditingAsksThePasswordAndSendsToTheListShown) {
  tab().grpsendcik();  // unlocked: the list of the saved checks
  ASSERT_EQ(tab().CheckListBox1.Count(), 5u);
  tab().CheckListBox1.SetChecked(0, false);
  app->settings().EditUnlocked = false;
  boxes.answers = {BoxResult::Yes};
  tab().BitBtn5Click();
  EXPECT_TRUE(app->Form14().Visible());
  sim.Advance(300000);
  EXPECT_EQ(table().Cell(dtcol::GroupSendResult, 1), "");
  EXPECT_EQ(Result(2), "○ 正常終了");
}

TEST_F(GroupTabFixture, RefillDropsTheFirstUnregisteredGroupOnly) {
  struct Case {
    Lines items;
    Lines kept;
  };
  // "烏" is 0x89 0x47 in Shift-JIS: "烏000" holds the bytes of "G000".
  const Case cases[] = {
      {{"G000 未登録グループ", "G001 Floor", "G000 copy"}, {"G001 Floor", "G000 copy"}},
      {{"G001 Floor", "G002 xG000", "G000 未登録グループ"}, {"G001 Floor", "G002 xG000"}},
      {{"G003 烏000", "G001 Floor", "G000 未登録グループ (2)"}, {"G003 烏000", "G001 Floor"}},
  };
  ComboBox& ex1 = app->group_selector();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.items[0]);
    ex1.items.Assign(c.items);
    ex1.SetText("G001 Floor");
    tab().ComboBoxEx2Refill();
    EXPECT_EQ(tab().ComboBoxEx2.items.All(), c.kept);
    EXPECT_EQ(tab().ComboBoxEx2.Text(), "G001 Floor");
  }
}

}  // namespace
}  // namespace zol
