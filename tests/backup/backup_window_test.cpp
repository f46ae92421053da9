// The backup tool on real temporary folders: the program folder "prog"
// (the tool's program file is prog/zolv4backup), the backup folder "bak"
// and a second folder "other".
#include "backup/backup_window.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "common/charset.h"
#include "common/files.h"
#include "console/app.h"
#include "console/main_window.h"
#include "monitor/debug_window.h"
#include "support/app_fixture.h"
#include "support/file_limit.h"
#include "support/sim_platform.h"

namespace zol {
namespace {

const std::string kAskBackup = "指定フォルダにバックアップファイルをバックアップしますがよろしいですか?";
const std::string kAskOverwrite = "バックアップ先にファイルが存在します。上書きされますがよろしいですか?";
const std::string kAskRestore = "リストアを行います。上書きされますがよろしいですか?";
const std::string kDone = "完了しました。";
const std::string kNoFolder = "指定フォルダが見つかりません。";
const std::string kNoBackup = "指定フォルダにバックアップファイルがありません。";
const std::string kCopyFailed = "次のファイルをコピーできませんでした。";
const std::string kDir = "<folder>";  // a folder in a listing

// The device file with bytes that a text copy would spoil.
const std::string kDevice("dev\r\n\0\x82\xA0\xFF\n", 10);

using Files = std::map<std::string, std::string>;  // name -> bytes (or kDir)

// Every entry of folder, hidden ones included (a left temporary file shows).
Files Listing(const std::string& folder) {
  Files out;
  DIR* d = ::opendir(folder.c_str());
  if (!d) return out;
  while (dirent* e = ::readdir(d)) {
    const std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    const std::string path = folder + "/" + name;
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
      out[name] = kDir;
    } else {
      std::string bytes;
      ReadFile(Utf8ToSjis(path), &bytes);  // the file layer takes Shift-JIS paths
      out[name] = bytes;
    }
  }
  ::closedir(d);
  return out;
}

void Put(const std::string& folder, const Files& files) {
  for (const auto& [name, bytes] : files) {
    const std::string path = folder + "/" + name;
    if (bytes == kDir) {
      ASSERT_EQ(::mkdir(path.c_str(), 0755), 0) << path;
    } else {
      std::string err;
      ASSERT_TRUE(WriteFileAtomic(path, bytes, &err)) << path << err;
    }
  }
}

std::string Replace(std::string s, const std::string& from, const std::string& to) {
  for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size())) s.replace(at, from.size(), to);
  return s;
}

struct Tool {
  Tool() : prog(dir.File("prog")), bak(dir.File("bak")), other(dir.File("other")) {
    for (const std::string& f : {prog, bak, other}) ::mkdir(f.c_str(), 0755);
    window = std::make_unique<BackupWindow>(boxes, prog + "/zolv4backup");
    window->FormCreate();
  }
  std::string Folder(const std::string& which) const {
    return which == "prog" ? prog : which == "bak" ? bak : which == "other" ? other : dir.File(which);
  }
  TempDir dir;
  std::string prog, bak, other;
  FakeMessageBoxes boxes;
  std::unique_ptr<BackupWindow> window;
};

struct Box {
  std::string text;  // "{root}" stands for the temporary root folder
  BoxKind kind;
  BoxButtons buttons;
};

const Box AskBackup{kAskBackup, BoxKind::Confirm, BoxButtons::YesNo};
const Box AskOverwrite{kAskOverwrite, BoxKind::Confirm, BoxButtons::YesNo};
const Box AskRestore{kAskRestore, BoxKind::Confirm, BoxButtons::YesNo};
const Box Done{kDone, BoxKind::Info, BoxButtons::Yes};

enum class Op { Backup, Restore };
constexpr BoxResult Y = BoxResult::Yes;
constexpr BoxResult N = BoxResult::No;

struct Case {
  const char* name;
  Files prog, bak;
  Op op;
  const char* tree;   // the folder selected in the tree: "bak", "prog", "" for none
  const char* typed;  // nullptr: the path box as the tree filled it; else the text typed ("{root}/…")
  std::vector<BoxResult> answers;
  Files prog_after, bak_after;
  std::vector<Box> boxes;
  Files other_after = {};
};

TEST(BackupWindow, BackupAndRestoreFollowTheFileRules) {
  const Files console = {{"zolyab4.dat", kDevice}, {"zolyab4.Ini", "ini\r\n"}, {"zolyab4.lst", "lst\r\n"}};
  const Files copies = {{"zolyab4.dat", kDevice}, {"zolyab4.ini", "ini\r\n"}, {"zolyab4.lst", "lst\r\n"}};
  const Files old = {{"zolyab4.dat", "old dat"}, {"zolyab4.ini", "old ini"}, {"zolyab4.lst", "old lst"}};
  const Case cases[] = {
      {"backup into an empty folder takes the names zolyab4.dat, .ini, .lst", console, {}, Op::Backup, "bak",
       nullptr, {Y}, console, copies, {AskBackup, Done}},
      {"backup over ZOLYAB4.DAT asks and keeps that spelling; the other two without a question", console,
       {{"ZOLYAB4.DAT", "old"}, {"Zolyab4.LST", "old"}}, Op::Backup, "bak", nullptr, {Y, Y}, console,
       {{"ZOLYAB4.DAT", kDevice}, {"zolyab4.ini", "ini\r\n"}, {"Zolyab4.LST", "lst\r\n"}},
       {AskBackup, AskOverwrite, Done}},
      {"an existing settings file alone raises no question", console, {{"ZOLYAB4.INI", "old"}}, Op::Backup,
       "bak", nullptr, {Y}, console,
       {{"zolyab4.dat", kDevice}, {"ZOLYAB4.INI", "ini\r\n"}, {"zolyab4.lst", "lst\r\n"}}, {AskBackup, Done}},
      {"No to the overwrite question changes nothing", console, old, Op::Backup, "bak", nullptr, {Y, N}, console,
       old, {AskBackup, AskOverwrite}},
      {"No to the first question changes nothing", console, {}, Op::Backup, "bak", nullptr, {N}, console, {},
       {AskBackup}},
      {"a source file that is missing is skipped silently", {{"ZOLYAB4.dat", kDevice}}, {}, Op::Backup, "bak",
       nullptr, {Y}, {{"ZOLYAB4.dat", kDevice}}, {{"zolyab4.dat", kDevice}}, {AskBackup, Done}},
      {"the program folder backed up onto itself: the same files, no second spelling", console, {}, Op::Backup,
       "prog", nullptr, {Y, Y}, console, {}, {AskBackup, AskOverwrite, Done}},
      {"a typed folder is used, not the tree's; a trailing slash changes nothing", console, {}, Op::Backup, "bak",
       "{root}/other/", {Y}, console, {}, {AskBackup, Done}, copies},
      {"an empty path box is no folder", console, {}, Op::Backup, "bak", "", {Y}, console, {},
       {AskBackup, {kNoFolder + "\r\n", BoxKind::Error, BoxButtons::Ok}}},
      {"a typed folder that does not exist", console, {}, Op::Backup, "bak", "{root}/gone", {Y}, console, {},
       {AskBackup, {kNoFolder + "\r\n{root}/gone", BoxKind::Error, BoxButtons::Ok}}},
      {"a typed file is no folder", console, {}, Op::Backup, "bak", "{root}/prog/zolyab4.lst", {Y}, console, {},
       {AskBackup, {kNoFolder + "\r\n{root}/prog/zolyab4.lst", BoxKind::Error, BoxButtons::Ok}}},
      {"a folder in the place of the device file: the other two are copied, the failure named", console,
       {{"zolyab4.dat", kDir}}, Op::Backup, "bak", nullptr, {Y}, console,
       {{"zolyab4.dat", kDir}, {"zolyab4.ini", "ini\r\n"}, {"zolyab4.lst", "lst\r\n"}},
       {AskBackup, {kCopyFailed + "\r\n{root}/bak/zolyab4.dat: Is a directory", BoxKind::Error, BoxButtons::Ok}}},

      {"restore renames each current file to its _bak name", console, old, Op::Restore, "bak", nullptr, {Y},
       {{"zolyab4.dat", "old dat"}, {"zolyab4.Ini", "old ini"}, {"zolyab4.lst", "old lst"},
        {"zolyab4.dat_bak", kDevice}, {"zolyab4.ini_bak", "ini\r\n"}, {"zolyab4.lst_bak", "lst\r\n"}},
       old, {AskRestore, Done}},
      {"an existing _bak in any spelling is kept and the current file overwritten",
       {{"zolyab4.dat", kDevice}, {"zolyab4.Ini", "ini"}, {"ZOLYAB4.DAT_BAK", "older"}, {"zolyab4.ini_bak", "older"}},
       {{"ZolYab4.Dat", "old dat"}, {"zolyab4.INI", "old ini"}}, Op::Restore, "bak", nullptr, {Y},
       {{"zolyab4.dat", "old dat"}, {"zolyab4.Ini", "old ini"}, {"ZOLYAB4.DAT_BAK", "older"},
        {"zolyab4.ini_bak", "older"}},
       {{"ZolYab4.Dat", "old dat"}, {"zolyab4.INI", "old ini"}}, {AskRestore, Done}},
      {"a group list alone in the backup folder restores only it", console, {{"zolyab4.lst", "old lst"}},
       Op::Restore, "bak", nullptr, {Y},
       {{"zolyab4.dat", kDevice}, {"zolyab4.Ini", "ini\r\n"}, {"zolyab4.lst", "old lst"},
        {"zolyab4.lst_bak", "lst\r\n"}},
       {{"zolyab4.lst", "old lst"}}, {AskRestore, Done}},
      {"a file missing in the program folder is created under its name", {}, old, Op::Restore, "bak", nullptr,
       {Y}, old, old, {AskRestore, Done}},
      {"the program folder restored onto itself: zolyab4.Ini stays one spelling", console, {}, Op::Restore,
       "prog", nullptr, {Y},
       {{"zolyab4.dat", kDevice}, {"zolyab4.Ini", "ini\r\n"}, {"zolyab4.lst", "lst\r\n"},
        {"zolyab4.dat_bak", kDevice}, {"zolyab4.ini_bak", "ini\r\n"}, {"zolyab4.lst_bak", "lst\r\n"}},
       {}, {AskRestore, Done}},
      {"No to the restore question changes nothing", console, old, Op::Restore, "bak", nullptr, {N}, console, old,
       {AskRestore}},
      {"restore from a typed folder, not the tree's", console, old, Op::Restore, "bak", "{root}/other", {Y},
       console, old, {AskRestore, {kNoBackup, BoxKind::Error, BoxButtons::Ok}}},
      {"restore from a folder without backup files", console, {{"zolyab4.dat_bak", "x"}}, Op::Restore, "bak",
       nullptr, {Y}, console, {{"zolyab4.dat_bak", "x"}},
       {AskRestore, {kNoBackup, BoxKind::Error, BoxButtons::Ok}}},
      {"restore with an empty path box", console, old, Op::Restore, "bak", "", {Y}, console, old,
       {AskRestore, {kNoFolder + "\r\n", BoxKind::Error, BoxButtons::Ok}}},
      {"a folder in the place of the current device file: the failure named, nothing renamed",
       {{"zolyab4.dat", kDir}, {"zolyab4.Ini", "ini"}}, old, Op::Restore, "bak", nullptr, {Y},
       {{"zolyab4.dat", kDir}, {"zolyab4.Ini", "old ini"}, {"zolyab4.ini_bak", "ini"}, {"zolyab4.lst", "old lst"}},
       old, {AskRestore, {kCopyFailed + "\r\n{root}/prog/zolyab4.dat: Is a directory", BoxKind::Error, BoxButtons::Ok}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Tool t;
    Put(t.prog, c.prog);
    Put(t.bak, c.bak);
    BackupWindow& w = *t.window;
    w.ShellTreeView1Change(*c.tree ? t.Folder(c.tree) : std::string());
    if (c.typed) w.Edit1.SetText(Replace(c.typed, "{root}", t.dir.path()));
    t.boxes.answers.assign(c.answers.begin(), c.answers.end());
    if (c.op == Op::Backup) w.BitBtn1Click();
    else w.BitBtn2Click();
    EXPECT_EQ(Listing(t.prog), c.prog_after);
    EXPECT_EQ(Listing(t.bak), c.bak_after);
    EXPECT_EQ(Listing(t.other), c.other_after);
    ASSERT_EQ(t.boxes.shown.size(), c.boxes.size());
    for (size_t i = 0; i < c.boxes.size(); ++i) {
      EXPECT_EQ(t.boxes.shown[i].text, Replace(c.boxes[i].text, "{root}", t.dir.path())) << i;
      EXPECT_EQ(t.boxes.shown[i].kind, c.boxes[i].kind) << i;
      EXPECT_EQ(t.boxes.shown[i].buttons, c.boxes[i].buttons) << i;
    }
    EXPECT_TRUE(t.boxes.answers.empty()) << "questions not asked";
  }
}

TEST(BackupWindow, StartsWithItsTextsAndBothButtonsDisabled) {
  Tool t;
  BackupWindow& w = *t.window;
  EXPECT_EQ(w.Caption(), "ZOL YAB V4 データバックアップ");
  EXPECT_EQ(w.Panel2.Caption(), "ZOL-YAB は終了した状態で行ってください。");
  EXPECT_EQ(w.Label1.Caption(), "バックアップ/リストア先フォルダ指定");
  EXPECT_EQ(w.BitBtn1.Caption(), "バックアップ");
  EXPECT_EQ(w.BitBtn2.Caption(), "リストア");
  EXPECT_EQ(w.ClientWidth, 300);
  EXPECT_EQ(w.ClientHeight, 401);
  EXPECT_FALSE(w.BitBtn1.Enabled());
  EXPECT_FALSE(w.BitBtn2.Enabled());
  EXPECT_EQ(w.ProgramFolder(), t.prog + "/");
  EXPECT_EQ(w.Edit1.Text(), "");
}

TEST(BackupWindow, TheButtonsFollowTheDeviceFileInTheProgramAndTheTreesFolder) {
  const struct {
    const char* name;
    Files prog, bak;
    const char* tree;
    bool backup, restore;
  } cases[] = {
      {"both hold the device file", {{"zolyab4.dat", "x"}}, {{"zolyab4.dat", "x"}}, "bak", true, true},
      {"in any spelling", {{"ZOLYAB4.Dat", "x"}}, {{"Zolyab4.DAT", "x"}}, "bak", true, true},
      {"the other two files do not count", {{"zolyab4.Ini", "x"}, {"zolyab4.lst", "x"}},
       {{"zolyab4.ini", "x"}, {"zolyab4.lst", "x"}}, "bak", false, false},
      {"a folder of that name is no file", {{"zolyab4.dat", kDir}}, {{"zolyab4.dat", kDir}}, "bak", false, false},
      {"a _bak file is no device file", {{"zolyab4.dat", "x"}}, {{"zolyab4.dat_bak", "x"}}, "bak", true, false},
      {"no folder chosen", {{"zolyab4.dat", "x"}}, {{"zolyab4.dat", "x"}}, "", true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Tool t;
    Put(t.prog, c.prog);
    Put(t.bak, c.bak);
    const std::string chosen = *c.tree ? t.Folder(c.tree) : std::string();
    t.window->ShellTreeView1Change(chosen);
    EXPECT_EQ(t.window->ChosenFolder(), chosen);
    EXPECT_EQ(t.window->Edit1.Text(), chosen);
    EXPECT_EQ(t.window->BitBtn1.Enabled(), c.backup);
    EXPECT_EQ(t.window->BitBtn2.Enabled(), c.restore);
    EXPECT_TRUE(t.boxes.shown.empty());
  }
}

TEST(BackupWindow, BackupRechecksAtItsEndWhileRestoreLeavesTheRestoreButtonDisabled) {
  Tool t;
  Put(t.prog, {{"zolyab4.dat", "dat"}});
  BackupWindow& w = *t.window;
  w.ShellTreeView1Change(t.bak);
  EXPECT_FALSE(w.BitBtn2.Enabled());  // the backup folder is still empty
  w.Edit1.SetText(t.other);           // typed: used by the operation, not by the buttons
  t.boxes.answers = {Y};
  w.BitBtn1Click();
  EXPECT_FALSE(w.BitBtn2.Enabled());  // the tree's folder still holds nothing
  EXPECT_EQ(w.Edit1.Text(), t.bak);   // the path box shows the tree's folder again
  EXPECT_EQ(Listing(t.other), (Files{{"zolyab4.dat", "dat"}}));

  t.boxes.answers = {Y};
  w.BitBtn1Click();  // into the tree's folder now
  EXPECT_TRUE(w.BitBtn2.Enabled());

  t.boxes.answers = {Y};
  w.BitBtn2Click();
  EXPECT_FALSE(w.BitBtn2.Enabled());
  EXPECT_TRUE(w.BitBtn1.Enabled());
  EXPECT_EQ(t.boxes.shown.back().text, kDone);
  w.ShellTreeView1Change(t.bak);  // a new selection gives it back
  EXPECT_TRUE(w.BitBtn2.Enabled());
}

TEST(BackupWindow, AFolderWithAJapaneseNameIsShownInShiftJisAndUsedUnderItsOwnName) {
  Tool t;
  Put(t.prog, {{"zolyab4.dat", "dat"}});
  const std::string folder = t.dir.path() + "/\xE3\x83\x90\xE3\x83\x83\xE3\x82\xAF\xE3\x82\xA2\xE3\x83\x83\xE3\x83\x97";  // UTF-8
  ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
  BackupWindow& w = *t.window;
  w.ShellTreeView1Change(folder);
  EXPECT_EQ(w.Edit1.Text(), t.dir.path() + "/バックアップ");  // Shift-JIS
  t.boxes.answers = {Y};
  w.BitBtn1Click();
  EXPECT_EQ(t.boxes.shown.back().text, kDone);
  EXPECT_EQ(Listing(folder), (Files{{"zolyab4.dat", "dat"}}));
  EXPECT_TRUE(w.BitBtn2.Enabled());
}

// Runs click in a forked child whose files may not grow past limit bytes,
// with SIGXFSZ ignored so that a write past it fails with EFBIG. Returns
// the boxes the child showed.
std::vector<FakeMessageBoxes::Shown> RunLimited(Tool& t, rlim_t limit, void (BackupWindow::*click)()) {
  int fds[2];
  if (::pipe(fds) != 0) return {};
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    FileSizeLimit file_limit(limit);
    t.boxes.default_answer = BoxResult::Yes;
    ((*t.window).*click)();
    std::string out;
    for (const auto& b : t.boxes.shown) out += std::to_string(static_cast<int>(b.kind)) + b.text + '\0';
    (void)!::write(fds[1], out.data(), out.size());
    ::_exit(0);
  }
  ::close(fds[1]);
  std::string got;
  char buf[4096];
  ssize_t n;
  while ((n = ::read(fds[0], buf, sizeof buf)) > 0) got.append(buf, static_cast<size_t>(n));
  ::close(fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  std::vector<FakeMessageBoxes::Shown> shown;
  for (size_t at = 0, end; (end = got.find('\0', at)) != std::string::npos; at = end + 1) {
    shown.push_back({got.substr(at + 1, end - at - 1), static_cast<BoxKind>(got[at] - '0'), BoxButtons::Ok});
  }
  return shown;
}

TEST(BackupWindow, ACopyThatBreaksOffLeavesTheDestinationAsItWasAndIsReported) {
  const std::string big(64 * 1024, 'D');
  const rlim_t limit = 4096;
  {
    SCOPED_TRACE("backup");
    Tool t;
    Put(t.prog, {{"zolyab4.dat", big}, {"zolyab4.Ini", "ini"}});
    Put(t.bak, {{"ZOLYAB4.DAT", "old dat"}});
    t.window->ShellTreeView1Change(t.bak);
    const auto shown = RunLimited(t, limit, &BackupWindow::BitBtn1Click);
    EXPECT_EQ(Listing(t.bak), (Files{{"ZOLYAB4.DAT", "old dat"}, {"zolyab4.ini", "ini"}}));
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[2].kind, BoxKind::Error);
    EXPECT_EQ(shown[2].text, kCopyFailed + "\r\n" + t.bak + "/ZOLYAB4.DAT: File too large");
  }
  {
    SCOPED_TRACE("restore");
    Tool t;
    Put(t.prog, {{"zolyab4.dat", "current dat"}, {"zolyab4.Ini", "current ini"}});
    Put(t.bak, {{"zolyab4.dat", big}, {"zolyab4.ini", "saved ini"}});
    t.window->ShellTreeView1Change(t.bak);
    const auto shown = RunLimited(t, limit, &BackupWindow::BitBtn2Click);
    // The device file was neither renamed nor touched; the settings file was restored.
    EXPECT_EQ(Listing(t.prog), (Files{{"zolyab4.dat", "current dat"},
                                      {"zolyab4.Ini", "saved ini"},
                                      {"zolyab4.ini_bak", "current ini"}}));
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].kind, BoxKind::Error);
    EXPECT_EQ(shown[1].text, kCopyFailed + "\r\n" + t.prog + "/zolyab4.dat: File too large");
  }
}

// The device file of one device (20 lines) whose MAC ends in last.
std::string DeviceFile(int last) {
  std::vector<std::string> block(20);
  block[0] = "02:5A:3C:00:00:0" + std::to_string(last);
  block[1] = "20";
  block[11] = "G001 グループ1";
  return CrLf(block);
}

// A restore stopped (the tool killed) after each of its steps in turn: the
// copy made, the current file's _bak name given, the copy renamed into place,
// for each of the three files. Every time each name holds a whole file, the
// current one or the restored one, and the console starts on them; a restore
// run to its end afterwards leaves the restored files and the _bak files of
// the former ones.
TEST(BackupWindow, ARestoreKilledAtAnyStepLeavesAWholeFileUnderEveryName) {
  const Files current = {{"zolyab4.dat", DeviceFile(1)}, {"zolyab4.Ini", "[SYSTEM]\r\nPORT=5001\r\n"},
                         {"zolyab4.lst", "G001 グループ1\r\nG000 未登録グループ\r\n"}};
  const Files saved = {{"zolyab4.dat", DeviceFile(2)}, {"zolyab4.ini", "[SYSTEM]\r\nPORT=5002\r\n"},
                       {"zolyab4.lst", "G002 倉庫\r\nG000 未登録グループ\r\n"}};
  const char* names[] = {"zolyab4.dat", "zolyab4.Ini", "zolyab4.lst"};
  int steps = 0;
  for (int kill_at = 1;; ++kill_at) {
    SCOPED_TRACE("killed after step " + std::to_string(kill_at));
    AppFixture console(nullptr, "prog");  // the console's program folder: prog
    const std::string prog = console.dir.File("prog"), bak = console.dir.File("bak");
    ASSERT_EQ(::mkdir(bak.c_str(), 0755), 0);
    Put(prog, current);
    Put(bak, saved);
    FakeMessageBoxes boxes;
    BackupWindow tool(boxes, prog + "/zolv4backup");
    tool.ShellTreeView1Change(bak);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      int step = 0;
      tool.RestoreStep = [&step, kill_at] {
        if (++step == kill_at) ::kill(::getpid(), SIGKILL);
      };
      boxes.default_answer = BoxResult::Yes;
      tool.BitBtn2Click();
      ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    const bool finished = WIFEXITED(status);
    if (!finished) {
      ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    }
    // Each name: the current file or the restored one, whole.
    const Files now = Listing(prog);
    for (size_t i = 0; i < 3; ++i) {
      ASSERT_EQ(now.count(names[i]), 1u) << names[i];
      const std::string& restored = saved.at(i == 1 ? "zolyab4.ini" : names[i]);
      EXPECT_TRUE(now.at(names[i]) == current.at(names[i]) || now.at(names[i]) == restored) << names[i];
    }
    for (const auto& [name, bytes] : now) {
      if (name[0] == '.') continue;  // a copy the kill left unfinished: hidden, no data file's name
      const bool known = name.size() > 4 && (name.find("_bak") != std::string::npos || name == "zolyab4.dat" ||
                                             name == "zolyab4.Ini" || name == "zolyab4.lst");
      EXPECT_TRUE(known) << name;
    }
    // The console starts on them.
    console.app->Form2().IniLoad();
    ASSERT_TRUE(console.app->Form4().SettingDataLoad());
    const std::string mac = console.app->Form4().StringGrid1.Cell(1, 1);
    EXPECT_TRUE(mac == "02:5A:3C:00:00:01" || mac == "02:5A:3C:00:00:02") << mac;
    // Run to its end, the restore gives the restored files, the former
    // ones kept as _bak.
    boxes.default_answer = BoxResult::Yes;
    tool.BitBtn2Click();
    EXPECT_EQ(boxes.shown.back().text, kDone);
    Files end = Listing(prog);
    for (auto it = end.begin(); it != end.end();) it = it->first[0] == '.' ? end.erase(it) : std::next(it);
    EXPECT_EQ(end, (Files{{"zolyab4.dat", saved.at("zolyab4.dat")},
                          {"zolyab4.Ini", saved.at("zolyab4.ini")},
                          {"zolyab4.lst", saved.at("zolyab4.lst")},
                          {"zolyab4.dat_bak", current.at("zolyab4.dat")},
                          {"zolyab4.ini_bak", current.at("zolyab4.Ini")},
                          {"zolyab4.lst_bak", current.at("zolyab4.lst")}}));
    if (finished) {
      steps = kill_at - 1;
      break;
    }
  }
  EXPECT_EQ(steps, 9);  // three steps for each of the three files
}

// Where a name is a symbolic link, the restore writes the file it points to
// and keeps the link; the _bak is a file of its own with the former content.
// A link to a file not there yet gets the file. A backup into a folder whose
// file is a link does the same.
TEST(BackupWindow, ALinkedDataFileStaysALinkAndItsTargetGetsTheData) {
  Tool t;
  const std::string data = t.dir.File("data");
  ASSERT_EQ(::mkdir(data.c_str(), 0755), 0);
  Put(data, {{"real.dat", "old dat"}, {"list.lst", "old lst"}});
  ASSERT_EQ(::symlink("../data/real.dat", (t.prog + "/zolyab4.dat").c_str()), 0);
  ASSERT_EQ(::symlink((data + "/list.lst").c_str(), (t.prog + "/zolyab4.lst").c_str()), 0);
  ASSERT_EQ(::symlink("../data/none.ini", (t.prog + "/zolyab4.Ini").c_str()), 0);
  Put(t.bak, {{"zolyab4.dat", "new dat"}, {"zolyab4.ini", "new ini"}, {"zolyab4.lst", "new lst"}});
  auto link_of = [](const std::string& path) {
    char buf[4096];
    const ssize_t n = ::readlink(path.c_str(), buf, sizeof buf);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string("(no link)");
  };
  t.window->ShellTreeView1Change(t.bak);
  t.boxes.answers = {Y};
  t.window->BitBtn2Click();
  EXPECT_EQ(t.boxes.shown.back().text, kDone);
  EXPECT_EQ(link_of(t.prog + "/zolyab4.dat"), "../data/real.dat");
  EXPECT_EQ(link_of(t.prog + "/zolyab4.lst"), data + "/list.lst");
  EXPECT_EQ(link_of(t.prog + "/zolyab4.Ini"), "../data/none.ini");
  EXPECT_EQ(Listing(data), (Files{{"real.dat", "new dat"}, {"list.lst", "new lst"}, {"none.ini", "new ini"}}));
  EXPECT_EQ(link_of(t.prog + "/zolyab4.dat_bak"), "(no link)");
  EXPECT_EQ(Listing(t.prog), (Files{{"zolyab4.dat", "new dat"}, {"zolyab4.Ini", "new ini"}, {"zolyab4.lst", "new lst"},
                                    {"zolyab4.dat_bak", "old dat"}, {"zolyab4.lst_bak", "old lst"}}));

  // A backup into a folder whose device file is a link: the link stays.
  const std::string out = t.dir.File("out");
  ASSERT_EQ(::mkdir(out.c_str(), 0755), 0);
  ASSERT_EQ(::symlink("../data/real.dat", (out + "/zolyab4.dat").c_str()), 0);
  ASSERT_EQ(::unlink((t.prog + "/zolyab4.dat").c_str()), 0);
  Put(t.prog, {{"zolyab4.dat", "prog dat"}});
  t.window->ShellTreeView1Change(out);
  t.boxes.answers = {Y, Y};
  t.window->BitBtn1Click();
  EXPECT_EQ(t.boxes.shown.back().text, kDone);
  EXPECT_EQ(link_of(out + "/zolyab4.dat"), "../data/real.dat");
  EXPECT_EQ(ReadAll(data + "/real.dat"), "prog dat");
}

}  // namespace
}  // namespace zol
