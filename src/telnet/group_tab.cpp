#include "telnet/group_tab.h"

#include <algorithm>
#include <initializer_list>
#include <vector>

#include "common/files.h"
#include "common/scramble.h"
#include "common/text.h"
#include "console/app.h"
#include "console/password_dialog.h"
#include "console/console_settings.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "monitor/monitoring.h"
#include "monitor/system_log.h"
#include "telnet/device_editor.h"

namespace zol {

namespace {

constexpr int kEntries = 10;
constexpr size_t kEntryNameBytes = 20;
constexpr int kGroupChangeField = 8;

const char* const kCheckActions[] = {"全項目チェック", "全項目外し", "正常のみチェック",
                                     "失敗のみチェック", "未送信のみチェック", "チェック状態保存"};
enum CheckAction { kCheckAll, kUncheckAll, kCheckGood, kCheckFailed, kCheckUnsent, kSaveChecks };

std::string Lower(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

bool LeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// An entry is its name, a comma and the script's full path; the path is
// everything after the first comma, so a path may hold commas.
std::string EntryName(const std::string& entry) { return entry.substr(0, entry.find(',')); }
std::string EntryFile(const std::string& entry) {
  const size_t comma = entry.find(',');
  return comma == std::string::npos ? std::string() : entry.substr(comma + 1);
}

// The mark of the last result in a list line: bytes 75-76.
std::string ResultMark(const std::string& line) { return Copy(line, 75, 2); }

// The row of a list line: its bytes 3-5.
int LineRow(const std::string& line) { return DecimalOr(Copy(line, 3, 3), 0); }

// Field n set in a comma-separated text that has at least n fields, so a
// short text gains empty fields instead of losing its last one.
std::string SetPaddedField(std::string text, const std::string& value, int n) {
  int fields = 1;
  for (char c : text) fields += c == ',';
  for (; fields < n; ++fields) text += ',';
  return CsvSetField(text, value, n);
}

}  // namespace

std::string CutSjis(const std::string& text, size_t width) {
  std::string out;
  size_t i = 0;
  while (i < text.size() && out.size() < width) {
    if (LeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) {
      if (out.size() + 2 > width) break;
      out.append(text, i, 2);
      i += 2;
    } else {
      out += text[i++];
    }
  }
  return out;
}

std::string FitSjis(const std::string& text, size_t width) {
  std::string out = CutSjis(text, width);
  out.resize(width, ' ');
  return out;
}

std::string GroupListLine(int id, const std::string& name, const std::string& ip, const std::string& result) {
  return "ID" + ZeroPad(id, 3) + " " + FitSjis(name, 30) + " " + FitSjis(ip, 16) + " " + result;
}

bool ScriptHeaderGood(const std::string& header) {
  const std::string h = Lower(header);
  return h.find("@zol") != std::string::npos || h.find("@qm") != std::string::npos;
}

GroupTab::GroupTab(App& a) : app(a) {
  ComboBoxEx2.SetHint("制御対象グループ指定");
  StringGrid1.SetCell(0, 0, "No");
  StringGrid1.SetCell(1, 0, " コマンド名称");
  StringGrid1.SetCell(2, 0, " ファイル名");
  StringGrid1.SetRow(1);
  BitBtn4.SetHint("参照");
  BitBtn7.SetCaption("登録");
  BitBtn3.SetCaption("ファイル指定");
  BitBtn8.SetCaption("編集");
  for (Control* c : std::initializer_list<Control*>{&Edit1, &Edit2, &BitBtn4, &BitBtn7}) c->SetEnabled(false);
  for (const char* action : kCheckActions) ComboBox1.items.Add(action);
  ComboBox1.SetItemIndex(0);
  ComboBox1.SetText(kCheckActions[0]);
  BitBtn6.SetCaption("変更");
  BitBtn5.SetCaption("送信開始");
  BitBtn2.SetCaption("キャンセル");
}

bool GroupTab::EditMode() const { return BitBtn8.Caption() == "キャンセル"; }

// --- Command entries ---

void GroupTab::CommandMode() {
  Panel25.SetVisible(true);
  Memo2.SetVisible(false);
  Panel30.SetVisible(false);
}

void GroupTab::grpListRef() {
  const auto& data = app.settings().GrpLastData;
  for (int r = 1; r <= kEntries; ++r) {
    const std::string& entry = data[static_cast<size_t>(r)];
    StringGrid1.SetCell(0, r, std::to_string(r));
    StringGrid1.SetCell(1, r, EntryName(entry));
    StringGrid1.SetCell(2, r, BaseName(EntryFile(entry)));
  }
  const int r = StringGrid1.Row();
  if (r < 1 || r > kEntries) return;
  Edit1.SetText(EntryName(data[static_cast<size_t>(r)]));
  Edit2.SetText(EntryFile(data[static_cast<size_t>(r)]));
}

void GroupTab::StringGrid1Click() {
  const int r = StringGrid1.Row();
  if (r < 1 || r > kEntries) return;
  const std::string& entry = app.settings().GrpLastData[static_cast<size_t>(r)];
  Edit1.SetText(EntryName(entry));
  Edit2.SetText(EntryFile(entry));
  if (EditMode()) {
    if (Edit1.Text().empty()) Edit1.SetText("NoName" + std::to_string(r));
  } else {
    BitBtn3.SetEnabled(!sending_ && !Edit1.Text().empty() && !Edit2.Text().empty());
  }
}

void GroupTab::StringGrid1DblClick() {
  // A running send keeps its script: no other one is loaded meanwhile.
  if (sending_ || !StringGrid1.Enabled()) return;
  grpsendcik();
}

void GroupTab::BitBtn8Click() {
  const bool start = !EditMode();
  BitBtn8.SetCaption(start ? "キャンセル" : "編集");
  BitBtn3.SetEnabled(!start && !sending_);
  BitBtn4.SetEnabled(start && !sending_);
  BitBtn7.SetEnabled(start);
  Edit1.SetEnabled(start);
  Edit2.SetEnabled(start);
}

bool GroupTab::LoadScript(const std::string& path) {
  std::string bytes;
  if (path.empty() || !FileExists(path) || !ReadFile(path, &bytes)) return false;
  Memo4.Assign(SplitLines(bytes));
  return true;
}

void GroupTab::BitBtn4Click() {
  if (sending_) return;
  std::string path;
  if (!app.open_dialog().Execute(std::string(), &path)) return;
  if (!LoadScript(path)) return;
  DeviceEditor& form5 = app.Form5();
  form5.ScriptError.clear();
  const std::string header = Memo4.Line(0);
  if (ScriptHeaderGood(header)) {
    form5.ScriptType = Lower(header).find("@qm") != std::string::npos ? 1 : 0;
    Edit2.SetText(path);
  } else {
    app.boxes().Show("設定ファイルの1行目に @ZOL を入れてください。", BoxKind::Warning, BoxButtons::Ok);
    Memo2.Clear();
  }
}

void GroupTab::BitBtn7Click() {
  const int r = StringGrid1.Row();
  if (r < 1 || r > kEntries || Edit1.Text().find(',') != std::string::npos) return;
  // The name field takes at most 20 bytes.
  app.settings().GrpLastData[static_cast<size_t>(r)] = CutSjis(Edit1.Text(), kEntryNameBytes) + "," + Edit2.Text();
  grpListRef();
}

void GroupTab::BitBtn3Click() {
  if (sending_ || !BitBtn3.Enabled()) return;
  grpsendcik();
}

// --- Send mode ---

GroupTab::ScriptLoad GroupTab::grpsendcik() {
  for (Panel* p : {&Panel27, &Panel28, &Panel24, &Panel29}) p->SetCaption(std::string());
  if (!LoadScript(Edit2.Text())) return ScriptLoad::NoFile;
  DeviceEditor& form5 = app.Form5();
  form5.ScriptError.clear();
  const std::string header = Memo4.Line(0);
  form5.ScriptType = Lower(header).find("@qm") != std::string::npos ? 1 : 0;
  if (!ScriptHeaderGood(header)) {
    app.boxes().Show("設定ファイルの1行目に @ZOL を入れてください。", BoxKind::Warning, BoxButtons::Ok);
    Memo4.Clear();
    return ScriptLoad::BadHeader;
  }
  Memo2.Assign(Memo4.All());
  glistcheck();
  return ScriptLoad::Good;
}

void GroupTab::SendModeOff() {
  Panel25.SetVisible(true);
  Memo2.SetVisible(false);
  Panel30.SetVisible(true);
}

void GroupTab::glistcheck() {
  Panel23.SetCaption(Edit1.Text());
  Panel25.SetVisible(false);
  Memo2.SetVisible(true);
  Panel30.SetVisible(false);
  if (!EditAllowed(app)) {
    SendModeOff();
    return;
  }
  grplist();
  if (CheckListBox1.Count() == 0) {
    app.boxes().Show(ComboBoxEx2.Text() + "に送信先がありません。", BoxKind::Warning, BoxButtons::Ok);
    SendModeOff();
    return;
  }
  grp_st_check();
  StringGrid1.SetEnabled(false);
  BitBtn3.SetEnabled(false);
  BitBtn8.SetEnabled(false);
  Panel30.SetVisible(true);
  BitBtn5.SetEnabled(!sending_);
}

void GroupTab::grplist() {
  CheckListBox1.Clear();
  const Grid& table = app.Form4().StringGrid1;
  const std::string& group = ComboBoxEx2.Text();
  const int rows = std::min(table.UsedRowCount(), table.RowCount());
  for (int id = 1; id < rows; ++id) {
    if (table.Cell(dtcol::MacAddress, id).empty() || table.Cell(dtcol::GroupName, id) != group) continue;
    const std::string& connect = table.Cell(dtcol::ConnectInfo, id);
    CheckListBox1.Add(GroupListLine(id, table.Cell(dtcol::DeviceName, id), CsvField(connect, 2),
                                    table.Cell(dtcol::GroupSendResult, id)),
                      CsvField(connect, kGroupChangeField) == "1");
  }
}

void GroupTab::grp_st_check() {
  const ConsoleSettings& s = app.settings();
  Panel38.SetCaption(s.GrpLastTimeS);
  Panel39.SetCaption(s.GrpLastTimeE);
  const size_t n = CheckListBox1.Count();
  Panel34.SetCaption(std::to_string(n));
  if (n == 0) return;
  int checked = 0, good = 0, failed = 0, unsent = 0;
  for (size_t i = 0; i < n; ++i) {
    checked += CheckListBox1.Checked(i);
    const std::string mark = ResultMark(CheckListBox1[i]);
    good += mark == "○";
    failed += mark == "×";
    unsent += mark.empty();
  }
  Panel40.SetCaption(std::to_string(checked));
  Panel35.SetCaption(std::to_string(good));
  Panel36.SetCaption(std::to_string(failed));
  Panel37.SetCaption(std::to_string(unsent));
}

void GroupTab::BitBtn6Click() {
  const int action = ComboBox1.ItemIndex();
  if (action < 0 || action > kSaveChecks) return;
  if (app.boxes().Show(std::string(kCheckActions[action]) + "を行います。よろしいですか？", BoxKind::Confirm,
                       BoxButtons::YesNo) == BoxResult::Yes) {
    const size_t n = CheckListBox1.Count();
    if (action == kSaveChecks) {
      Grid& table = app.Form4().StringGrid1;
      for (size_t i = 0; i < n; ++i) {
        const int row = LineRow(CheckListBox1[i]);
        if (row < 1 || row >= table.RowCount()) continue;
        table.SetCell(dtcol::ConnectInfo, row,
                      SetPaddedField(table.Cell(dtcol::ConnectInfo, row), CheckListBox1.Checked(i) ? "1" : "0",
                                     kGroupChangeField));
      }
      app.Form4().SettingDataSave();
    } else {
      for (size_t i = 0; i < n; ++i) {
        const std::string mark = ResultMark(CheckListBox1[i]);
        bool check = action == kCheckAll;
        if (action == kCheckGood) check = mark == "○";
        if (action == kCheckFailed) check = mark == "×";
        if (action == kCheckUnsent) check = mark.empty();
        CheckListBox1.SetChecked(i, check);
      }
    }
  }
  grp_st_check();
}

void GroupTab::BitBtn5Click() {
  if (sending_ || !BitBtn5.Enabled()) return;
  if (app.monitoring().ToolButton2.Enabled()) {
    app.boxes().Show("監視中の場合、不安定になることがあります。", BoxKind::Warning, BoxButtons::Ok);
  }
  // A script whose header failed is not sent: the devices would get an
  // empty script and their last results would be replaced.
  if (grpsendcik() == ScriptLoad::BadHeader) return;
  if (app.boxes().Show(ComboBoxEx2.Text() + "にコマンド送信します。よろしいですか？\r\rコマンド名称 : " + Edit1.Text(),
                       BoxKind::Confirm, BoxButtons::YesNo) != BoxResult::Yes) {
    return;
  }
  bool any = false;
  for (size_t i = 0; i < CheckListBox1.Count() && !any; ++i) any = CheckListBox1.Checked(i);
  if (!any) {
    app.boxes().Show("送信先がありません。", BoxKind::Warning, BoxButtons::Ok);
    cancelbtn();
    return;
  }
  Panel30.SetEnabled(false);
  Panel27.SetCaption("送信開始");
  sending_ = true;
  BitBtn5.SetEnabled(false);
  app.Delay(1000);
  grpsend();
}

void GroupTab::grpsend() {
  sending_ = true;
  BitBtn5.SetEnabled(false);
  GrpNgCount = 0;
  GrpOkCount = 0;
  int count = 0;
  std::string ids;
  for (size_t i = 0; i < CheckListBox1.Count(); ++i) {
    if (!CheckListBox1.Checked(i)) continue;
    ++count;
    ids += "," + Copy(CheckListBox1[i], 3, 3);
  }
  SendQueue = std::to_string(count) + ",1" + ids;
  Panel28.SetCaption(std::to_string(count));
  Panel24.SetCaption(std::to_string(GrpOkCount));
  Panel29.SetCaption(std::to_string(GrpNgCount));
  DeviceEditor& form5 = app.Form5();
  form5.Memo1.Assign(Memo4.All());

  Memo2.Clear();
  const int id = GroupQueue(0);
  const DateTime start = app.clock().Now();
  const std::string started = DateText(start) + " " + TimeText(start);
  Memo2.Add("開始日時   " + started);
  Memo2.Add("グループ   " + ComboBoxEx2.Text());
  Memo2.Add("対象数     " + std::to_string(count));
  Memo2.Add("ファイル名 " + BaseName(Edit2.Text()));
  Memo2.Add("");
  app.settings().GrpLastTimeS = started;

  if (id > 0) {
    form5.tenletcnt(2, std::string(), id);
  } else {
    // Nothing to serve: the run ends here.
    grpmessin(" [書換対象がありません]");
    Panel27.SetCaption("送信完了");
    RunEnded();
  }
  Panel30.SetEnabled(true);
}

void GroupTab::RunEnded() {
  sending_ = false;
  BitBtn5.SetEnabled(true);
  // What leaving send mode or edit mode would have given back meanwhile.
  if (StringGrid1.Enabled()) {
    if (EditMode()) BitBtn4.SetEnabled(true);
    else BitBtn3.SetEnabled(true);
  }
}

void GroupTab::BitBtn2Click() { cancelbtn(); }

void GroupTab::ComboBoxEx2Change() { cancelbtn(); }

void GroupTab::cancelbtn() {
  StringGrid1.SetEnabled(true);
  BitBtn3.SetEnabled(!sending_ && !EditMode());
  BitBtn8.SetEnabled(true);
  Panel30.SetVisible(false);
  Panel25.SetVisible(true);
  Memo2.SetVisible(false);
}

void GroupTab::ComboBoxEx2Refill() {
  const ComboBox& ex1 = app.group_selector();
  std::vector<std::string> items = ex1.items.All();
  // The unregistered group by its number at the start of the item; a name
  // may hold "G000" (or bytes that read so, as "烏000" does).
  for (size_t i = 0; i < items.size(); ++i) {
    if (items[i].compare(0, 4, "G000") == 0) {
      items.erase(items.begin() + static_cast<long>(i));
      break;
    }
  }
  ComboBoxEx2.items.Assign(std::move(items));
  ComboBoxEx2.SetText(ex1.Text());
}

// --- The queue and the send log ---

int GroupTab::GroupQueue(int operation) {
  const int pos = DecimalOr(CsvField(SendQueue, 2), 0);
  if (operation == 1) {
    SendQueue = CsvSetField(SendQueue, std::to_string(pos + 1), 2);
    return DecimalOr(CsvField(SendQueue, pos + 3), 0);
  }
  const int id = DecimalOr(CsvField(SendQueue, pos + 2), 0);
  const std::string& connect = app.Form4().StringGrid1.Cell(dtcol::ConnectInfo, id);
  DeviceEditor& form5 = app.Form5();
  form5.SessionPassword = Scramble(CsvField(connect, 4), 0);
  form5.SessionPort = std::to_string(DecimalOr(CsvField(connect, 5), 23));
  return id;
}

void GroupTab::grpmessin(const std::string& text) {
  Memo2.Add(TimeText(app.clock().Now()) + " " + text);
}

std::string GroupSendLogName(const DateTime& end) {
  return "gs" + Yyyymmdd(end) + Hhnnss(end) + ".log";
}

bool GroupTab::GroupSendLogSave(const DateTime& end) {
  std::string bytes;
  for (const std::string& line : Memo2.All()) bytes += line + "\r\n";
  const std::string path = LogPath(app.settings().LogDir, GroupSendLogName(end));
  std::string err;
  if (WriteFileAtomic(path, bytes, &err)) return true;
  app.boxes().Show(path + ": " + err, BoxKind::Error, BoxButtons::Ok);
  return false;
}

}  // namespace zol
