#include "settings/settings_dialog.h"

#include <algorithm>
#include <exception>

#include "common/files.h"
#include "common/text.h"
#include "console/app.h"
#include "console/console_settings.h"
#include "console/device_tree.h"
#include "console/folder_chooser.h"
#include "console/splash_window.h"
#include "monitor/change_detection.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "monitor/monitoring.h"
#include "settings/jconvert.h"
#include "settings/message_editor.h"

namespace zol {

namespace {

const char* const kWindowModes[] = {"通常", "最小化", "最大化"};

std::string Hex4(int value) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out(4, '0');
  for (int i = 3; i >= 0; --i) {
    out[static_cast<size_t>(i)] = kDigits[value & 0xF];
    value >>= 4;
  }
  return out;
}

std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

// Upper case of the one-byte letters; the bytes of double-byte characters
// are left alone.
std::string UpperText(const std::string& text) {
  std::string out = text;
  for (size_t i = 0; i < out.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(out[i]);
    if (LeadByte(c)) {
      ++i;
      continue;
    }
    if (c >= 'a' && c <= 'z') out[i] = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

// The device ID of "ID" + three digits + " " + name, read from characters
// 3 to 5; def when they are not a number.
int ListedId(const std::string& item, int def) { return DecimalOr(Copy(item, 3, 3), def); }

void SetItems(ComboBox& box, const std::vector<std::string>& items) {
  box.items.Assign(items);
  box.SetItemIndex(-1);
}

void ShowItem(ComboBox& box, int index) {
  box.SetItemIndex(index);
  box.SetText(index >= 0 && static_cast<size_t>(index) < box.items.Count() ? box.items[static_cast<size_t>(index)]
                                                                            : std::string());
}

}  // namespace

std::string ManualOutletRecord(int outlets) {
  if (outlets != 2 && outlets != 4 && outlets != 8) return std::string();
  return "0110" + Hex4(6 + 6 * outlets) + Hex4(outlets) + Repeat("000100010000", outlets);
}

std::string ManualPingRecord(int outlets) {
  if (outlets != 2 && outlets != 4 && outlets != 8) return std::string();
  // Nine words per outlet (on, judged normal, one target, no action), then
  // four target entries of 4 zero bytes, or of 8 for four outlets.
  const int entry_bytes = outlets == 4 ? 8 : 4;
  const std::string targets = std::string(static_cast<size_t>(4 * entry_bytes * 2), '0');
  const std::string block = "0001" "0000" "000A" "000A" "0001" "0000" "0001" "0001" "0000";
  std::string body;
  if (outlets == 2) {
    body = "0001" "0000" "0002" "0002" "0001" "0000" "0001" "0001" "0000" + targets +
           "0001" "0000" "0001" "0001" "0001" "0000" "0001" "0001" "0000" + targets;
  } else {
    body = Repeat(block + targets, outlets);
  }
  const int size = 8 + static_cast<int>(body.size()) / 2;
  return "0801" + Hex4(size) + Hex4(outlets) + "0004" + body;
}

SettingsDialog::SettingsDialog(App& a) : app(a) {
  SetCaption("基本設定");
  PageControl1.SetActivePageIndex(kCommon);
  BitBtn1.SetCaption("登録");
  BitBtn2.SetCaption("キャンセル");

  CheckBox1.SetCaption("自動開始");
  ComboBox2.items.Assign({kWindowModes[0], kWindowModes[1], kWindowModes[2]});
  CheckBox3.SetCaption("有効");
  CheckBox4.SetCaption("ファイル保存");
  Label3.SetCaption("0分は動作しない");
  Label4.SetCaption("デフォルト 5000");
  BitBtn3.SetCaption("参照");
  CheckBox6.SetCaption("有効");

  for (int kind = 1; kind <= 4; ++kind) {
    SoundGroup g = Group(kind);
    g.off->SetCaption("無効");
    g.beep->SetCaption("標準音");
    g.file->SetCaption("ファイル指定");
    g.choose->SetCaption("参照");
    g.play->SetHint("再生");
  }

  CheckBox7.SetCaption("E-MAIL送信を行う");
  cboAuthType.items.Assign({"None", "Simple Login"});
  lblAccount.SetCaption("ユーザーID");
  lblPassword.SetCaption("パスワード");
  CheckBox5.SetCaption("1日の送信数を制限する");
  BitBtn10.SetCaption("送信テスト");

  ComboBox10.items.Assign({"2", "4", "8"});
  BitBtn12.SetCaption("追加");
  BitBtn11.SetCaption("入れ替え");

  Image1.SetPicture("splash");
  CheckBox2.SetCaption("受信データの保存");
}

SettingsDialog::SoundGroup SettingsDialog::Group(int kind) {
  switch (kind) {
    case 1: return {&RadioButton1, &RadioButton2, &RadioButton3, &Edit8, &BitBtn15, &BitBtn17};
    case 2: return {&RadioButton4, &RadioButton5, &RadioButton6, &Edit5, &BitBtn4, &BitBtn5};
    case 3: return {&RadioButton7, &RadioButton8, &RadioButton9, &Edit6, &BitBtn6, &BitBtn7};
    default: return {&RadioButton10, &RadioButton11, &RadioButton12, &Edit7, &BitBtn8, &BitBtn9};
  }
}

// --- Opening and closing ---

void SettingsDialog::EditShow() {
  ConsoleSettings& s = app.settings();
  // The manual entry starts from its defaults at every opening.
  Edit13.SetText("02:5A:3C:00:00:00");
  Edit14.SetText("192.168.10.1");
  ComboBox10.SetItemIndex(1);
  ComboBox10.SetText("4");
  BitBtn12.SetEnabled(false);

  CheckBox6.SetChecked(s.LockOn);
  MaskEdit1.SetText(s.LockPassword);
  Label5.SetCaption("Version " + app.Form1().VersionText);

  Edit1.SetText(s.LogDir);
  CheckBox1.SetChecked(s.AutoStart);
  ShowItem(ComboBox2, s.WindowMode >= 0 && s.WindowMode <= 2 ? s.WindowMode : -1);
  Edit2.SetText(std::to_string(s.UdpPort));
  UpDown1.SetPosition(s.TimeOutMin);
  CheckBox3.SetChecked(s.SysLogMode);
  CheckBox4.SetChecked(s.SysLogSave);
  CheckBox2.SetChecked(s.SaveRecvData);
  UpDown2.SetPosition(s.GrpTimeOut / 1000);

  ShowItem(cboAuthType, s.MailAuth >= 0 && s.MailAuth <= 1 ? s.MailAuth : -1);
  Edit10.SetText(s.MailSubject);

  FillTempDevices();

  for (int kind = 1; kind <= 4; ++kind) {
    SoundGroup g = Group(kind);
    const int mode = s.SoundFlg[static_cast<size_t>(kind)];
    if (mode >= 0 && mode <= 2) {
      g.off->SetChecked(mode == 0);
      g.beep->SetChecked(mode == 1);
      g.file->SetChecked(mode == 2);
    }
    g.name->SetText(s.SoundFName[static_cast<size_t>(kind)]);
  }

  CheckBox7.SetChecked(s.MailOn);
  edtToMail.SetText(s.MailTo);
  edtAccount.SetText(s.MailUser);
  edtPassword.SetText(s.MailPassword);
  UserEmail.SetText(s.MailFrom);
  SMTPServer.SetText(s.MailServer);
  SMTPPort.SetText(std::to_string(s.MailPort));
  CheckBox5.SetChecked(s.MailLimitOn);
  Edit9.SetText(s.MailLimit);
  Label9.SetCaption("本日送信回数 " + ZeroPad(app.alerts().MailCount, 4));

  CheckBox3Click();
  for (int kind = 1; kind <= 4; ++kind) {
    SoundGroup g = Group(kind);
    const bool file = g.file->Checked();
    g.name->SetEnabled(file);
    g.choose->SetEnabled(file);
    g.play->SetEnabled(file);
  }
  CheckBox5Click();
  cboAuthTypeChange();
  edtToMailChange();
  Show();
}

void SettingsDialog::FillTempDevices() {
  const Grid& table = app.Form4().StringGrid1;
  std::vector<std::string> items;
  for (const TreeNode* node : app.tree().TreeView1.Nodes()) {
    if (node->Level() != 1) continue;
    const std::string& text = node->Text();
    const size_t p = text.find("ID");
    if (p == std::string::npos) continue;
    const int id = DecimalOr(text.substr(p + 2, 3), 0);
    // Row 0 holds the column headers: only device rows are looked at.
    if (id < 1 || id > 999) continue;
    if (!table.Cell(dtcol::TmpActionCopy, id).empty()) items.push_back(text);
  }
  items.push_back("なし");
  SetItems(ComboBox1, items);
  int shown = static_cast<int>(items.size()) - 1;
  for (size_t i = 0; i < items.size(); ++i) {
    if (ListedId(items[i], 99999) == app.settings().TempDevice) shown = static_cast<int>(i);
  }
  ShowItem(ComboBox1, shown);
}

bool SettingsDialog::Store() {
  // A field holding characters that Shift-JIS cannot hold is refused: it
  // would be stored with "?" in their place.
  if (const char* field = UnheldField({{&Edit1, "保存先フォルダ名"},
                                       {&Edit2, "受信ポート指定(UDP)"},
                                       {&MaskEdit1, "パスワード設定"},
                                       {&ComboBox2, "ソフト起動時"},
                                       {&Edit8, "注意時のファイル"},
                                       {&Edit5, "警報時のファイル"},
                                       {&Edit6, "回復時のファイル"},
                                       {&Edit7, "タイムアウト時のファイル"},
                                       {&edtToMail, "送信先E-MAILアドレス"},
                                       {&UserEmail, "送信元E-MAILアドレス"},
                                       {&edtAccount, "ユーザーID"},
                                       {&edtPassword, "パスワード"},
                                       {&Edit10, "件名"},
                                       {&SMTPServer, "SMTPサーバアドレス (送信)"},
                                       {&SMTPPort, "SMTPポート (デフォルト 25)"},
                                       {&Edit9, "1日の送信数を制限する"}})) {
    app.boxes().Show(UnheldMessage(field), BoxKind::Warning, BoxButtons::Ok);
    return false;
  }
  ConsoleSettings& s = app.settings();
  s.LockOn = CheckBox6.Checked();
  s.LockPassword = MaskEdit1.Text();
  s.EditUnlocked = !s.LockOn;
  s.SysLogMode = CheckBox3.Checked();
  s.SysLogSave = CheckBox4.Checked();
  s.TempDevice = ListedId(ComboBox1.Text(), 0);
  s.LogDir = Edit1.Text();
  s.AutoStart = CheckBox1.Checked();
  s.SaveRecvData = CheckBox2.Checked();
  s.GrpTimeOut = UpDown2.Position() * 1000;
  const std::string& mode = ComboBox2.Text();
  s.WindowMode = mode == kWindowModes[1] ? 1 : mode == kWindowModes[2] ? 2 : 0;
  s.UdpPort = DecimalOr(Edit2.Text(), 5000);
  s.TimeOutMin = UpDown1.Position();
  for (int kind = 1; kind <= 4; ++kind) {
    SoundGroup g = Group(kind);
    int flag = 0;
    if (g.beep->Checked()) flag = 1;
    if (g.file->Checked()) flag = 2;
    s.SoundFlg[static_cast<size_t>(kind)] = flag;
    s.SoundFName[static_cast<size_t>(kind)] = g.name->Text();
  }
  s.MailOn = CheckBox7.Checked();
  s.MailTo = edtToMail.Text();
  s.MailUser = edtAccount.Text();
  s.MailPassword = edtPassword.Text();
  s.MailFrom = UserEmail.Text();
  s.MailServer = SMTPServer.Text();
  s.MailPort = DecimalOr(SMTPPort.Text(), 25);
  s.MailLimitOn = CheckBox5.Checked();
  s.MailLimit = std::to_string(std::min(DecimalOr(Edit9.Text(), 0), 100));
  s.MailAuth = cboAuthType.ItemIndex();
  s.MailSubject = Edit10.Text();
  return app.IniSave();
}

bool SettingsDialog::BitBtn1Click() {
  if (!Store()) return false;
  FormClose();
  return true;
}

void SettingsDialog::BitBtn2Click() { FormClose(); }

void SettingsDialog::BitBtn10Click() {
  if (!BitBtn1Click()) return;
  MessageEditor& mail = app.frmMessageEditor();
  const DateTime now = app.clock().Now();
  mail.Memo1.Clear();
  mail.Memo1.Add(DateText(now) + " " + TimeText(now) + " Test mail");
  // The answer comes once the mail has gone out (an error goes to the mail
  // error box instead), or at once when the address rule sent nothing.
  auto answer = [this] { app.boxes().Open("送信しました。", BoxKind::Info, nullptr); };
  if (!mail.MailSend(answer)) answer();
}

void SettingsDialog::FormClose() {
  Hide();
  MonitorControls& m = app.monitoring();
  const bool stopped = !m.ToolButton2.Enabled();
  m.ToolButton1.SetEnabled(stopped);
  m.ToolButton7.SetEnabled(stopped);
}

// --- Choosing and trying files ---

void SettingsDialog::BitBtn3Click() { app.Form9().Show(); }

void SettingsDialog::ChooseSound(int kind) {
  static const char* const kFields[] = {"注意時のファイル", "警報時のファイル", "回復時のファイル",
                                        "タイムアウト時のファイル"};
  std::string path;
  bool held = true;
  if (!app.open_dialog().Execute("WAVファイル (*.wav)", &path, &held)) return;
  if (!held) {  // it would be stored with "?" in place of what Shift-JIS cannot hold
    app.boxes().Show(UnheldMessage(kFields[kind >= 1 && kind <= 3 ? kind - 1 : 3]), BoxKind::Warning, BoxButtons::Ok);
    return;
  }
  Group(kind).name->SetText(path);
}

void SettingsDialog::PlaySound(int kind) {
  const std::string& path = Group(kind).name->Text();
  if (!path.empty() && FileExists(path)) app.sound().PlayWav(path);
}

// --- Enabling rules ---

void SettingsDialog::CheckBox3Click() { CheckBox4.SetEnabled(CheckBox3.Checked()); }

void SettingsDialog::RadioButtonClick(int kind, int mode) {
  SoundGroup g = Group(kind);
  g.off->SetChecked(mode == 0);
  g.beep->SetChecked(mode == 1);
  g.file->SetChecked(mode == 2);
  const bool file = g.file->Checked();
  g.name->SetEnabled(file);
  g.choose->SetEnabled(file);
  g.play->SetEnabled(file);
}

void SettingsDialog::CheckBox5Click() { Edit9.SetEnabled(CheckBox5.Checked()); }

void SettingsDialog::cboAuthTypeChange() {
  const bool login = cboAuthType.ItemIndex() == 1;
  edtAccount.SetEnabled(login);
  edtPassword.SetEnabled(login);
  lblAccount.SetEnabled(login);
  lblPassword.SetEnabled(login);
}

void SettingsDialog::edtToMailChange() {
  const bool ok = MailAddressRule(UserEmail.Text(), SMTPServer.Text(), edtToMail.Text());
  CheckBox7.SetEnabled(ok);
  BitBtn10.SetEnabled(ok);
}

// --- Tab "機器の登録" ---

void SettingsDialog::Edit13Change() {
  const std::string mac = UpperText(Edit13.Text());
  const std::string& ip = Edit14.Text();
  const bool ok = !mac.empty() && mac.size() == 17 && std::count(mac.begin(), mac.end(), ':') == 5 &&
                  Copy(mac, 10, 8) != "00:00:00" && Copy(mac, 1, 8) == "02:5A:3C" && !ip.empty() &&
                  std::count(ip.begin(), ip.end(), '.') == 3;
  BitBtn12.SetEnabled(ok);
}

void SettingsDialog::BitBtn12Click() {
  DebugWindow& form4 = app.Form4();
  Memo& memo4 = form4.Memo4;
  const DateTime now = app.clock().Now();
  memo4.SetLine(0, DateText(now));
  memo4.SetLine(1, TimeText(now));
  memo4.SetLine(2, Edit14.Text());
  memo4.SetLine(5, "0001000C0006" + HexOnly(UpperText(Edit13.Text())));
  const int outlets = DecimalOr(ComboBox10.Text(), 4);
  memo4.SetLine(6, ManualOutletRecord(outlets));
  memo4.SetLine(7, ManualPingRecord(outlets));
  memo4.SetLine(8, "");
  form4.Memo1.Assign(memo4.All());
  form4.RevDataLoging();
  app.boxes().Show("未登録データとして登録しました。", BoxKind::Info, BoxButtons::Ok);
}

int SettingsDialog::ChosenDevice(const ComboBox& list) {
  const std::string& text = list.Text();
  if (text.empty()) return 0;
  for (const std::string& item : list.items.All()) {
    if (item != text) continue;
    const int id = ListedId(item, 0);
    return id >= 1 && id <= 999 ? id : 0;
  }
  return 0;
}

void SettingsDialog::BitBtn11Click() {
  const int a = ChosenDevice(ComboBox3);
  const int b = ChosenDevice(ComboBox4);
  if (a == 0 || b == 0) {
    app.boxes().Show("正しく選択されていません。", BoxKind::Warning, BoxButtons::Ok);
    return;
  }
  if (a == b) {
    app.boxes().Show("入れ替えデータ先が同じです。", BoxKind::Warning, BoxButtons::Ok);
    return;
  }
  if (app.boxes().Show(ComboBox3.Text() + "<->" + ComboBox4.Text() + " を入れ替えますか？", BoxKind::Confirm,
                       BoxButtons::YesNo) != BoxResult::Yes) {
    return;
  }
  Grid& table = app.Form4().StringGrid1;
  for (int c = 1; c < table.ColCount(); ++c) {
    const std::string cell = table.Cell(c, a);
    table.SetCell(c, a, table.Cell(c, b));
    table.SetCell(c, b, cell);
  }
  app.tree().ReStetingData();
  for (ComboBox* list : {&ComboBox3, &ComboBox4}) {
    list->SetItemIndex(-1);
    list->SetText("");
  }
  if (!app.Form4().SettingDataSave()) return;
  app.boxes().Show("入れ替え完了", BoxKind::Info, BoxButtons::Ok);
}

void SettingsDialog::SettingsDeviceLists(const std::vector<std::string>& devices) {
  SetItems(ComboBox3, devices);
  SetItems(ComboBox4, devices);
}

}  // namespace zol
