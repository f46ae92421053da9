// The settings dialog: loading and storing every setting, the enabling
// rules, the ways it closes, the test mail, the sound trial, the manual
// device entry and the device swap.
#include "settings/settings_dialog.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/files.h"
#include "common/text.h"
#include "console/app.h"
#include "console/folder_chooser.h"
#include "console/main_window.h"
#include "console/password_dialog.h"
#include "console/splash_window.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "settings/message_editor.h"
#include "support/app_fixture.h"
#include "support/fake_smtp.h"
#include "support/file_limit.h"

namespace zol {
namespace {

using Lines = std::vector<std::string>;

std::string UpperCase(std::string s) {
  for (char& c : s) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return s;
}

class SettingsDialogTest : public ::testing::Test, public AppFixture {
 protected:
  SettingsDialogTest() {
    app->Start();
    sim.Advance(3001);  // the main window runs, monitoring stopped
    sim.SetNow(DateTime{2026, 12, 10, 9, 5, 7});
    boxes.shown.clear();
  }
  SettingsDialog& dlg() { return app->Form8(); }
  MainWindow& main() { return app->Form2(); }
  ConsoleSettings& settings() { return app->settings(); }
  Grid& table() { return app->Form4().StringGrid1; }
  Grid& unreg() { return app->Form4().StringGrid2; }
  MonitorControls& buttons() { return main().monitoring; }

  // Opens the dialog as the settings button does.
  void Open() {
    main().ToolButton7Click();
    ASSERT_TRUE(dlg().Visible());
  }
  // A registered device in row r of group G001; temp: it reports temperature.
  void Device(int r, const std::string& mac, const std::string& name, bool temp = false) {
    table().SetCell(dtcol::MacAddress, r, mac);
    table().SetCell(dtcol::DeviceName, r, name);
    table().SetCell(dtcol::GroupName, r, "G001 一");
    table().SetCell(dtcol::TmpActionCopy, r, temp ? "1,2,3" : "");
  }
  void Rebuild() {
    app->group_selector().items.Assign({"G001 一", "G000 未登録グループ"});
    app->tree().ReStetingData();
  }
  std::vector<std::string> BoxTexts() {
    std::vector<std::string> out;
    for (const auto& b : boxes.shown) out.push_back(b.text);
    return out;
  }
  std::string Ini() { return ReadAll(main().IniFile); }
};

// --- Loading and storing ---

TEST_F(SettingsDialogTest, OpeningLoadsEveryControl) {
  ConsoleSettings& s = settings();
  s.AutoStart = true;
  s.WindowMode = 2;
  s.SysLogMode = false;
  s.SysLogSave = true;
  s.TimeOutMin = 15;
  s.UdpPort = 5123;
  s.LogDir = "/var/log/ゾル/";
  s.LockOn = true;
  s.LockPassword = "pw";
  s.GrpTimeOut = 10000;
  s.SoundFlg = {0, 0, 1, 2, 7};
  s.SoundFName = {"", "a.wav", "b.wav", "c.wav", "d.wav"};
  s.MailOn = true;
  s.MailTo = "ops@example.com";
  s.MailFrom = "zol@example.com";
  s.MailAuth = 1;
  s.MailUser = "user";
  s.MailPassword = "secret";
  s.MailSubject = "件名";
  s.MailServer = "mail.example.com";
  s.MailPort = 587;
  s.MailLimitOn = true;
  s.MailLimit = "30";
  s.SaveRecvData = true;
  app->alerts().MailCount = 12;
  // The time-out group's selection stays as it was for an unknown mode.
  dlg().RadioButton11.SetChecked(true);
  main().EditUnlocked = true;
  Open();
  SettingsDialog& d = dlg();
  EXPECT_TRUE(d.CheckBox1.Checked());
  EXPECT_EQ(d.ComboBox2.Text(), "最大化");
  EXPECT_FALSE(d.CheckBox3.Checked());
  EXPECT_TRUE(d.CheckBox4.Checked());
  EXPECT_EQ(d.UpDown1.Position(), 15);
  EXPECT_EQ(d.Edit3.Text(), "15");
  EXPECT_EQ(d.Edit2.Text(), "5123");
  EXPECT_EQ(d.Edit1.Text(), "/var/log/ゾル/");
  EXPECT_TRUE(d.CheckBox6.Checked());
  EXPECT_EQ(d.MaskEdit1.Text(), "pw");
  EXPECT_EQ(d.UpDown2.Position(), 10);
  EXPECT_EQ(d.Edit4.Text(), "10");
  EXPECT_TRUE(d.RadioButton1.Checked());
  EXPECT_TRUE(d.RadioButton5.Checked());
  EXPECT_TRUE(d.RadioButton9.Checked());
  EXPECT_TRUE(d.RadioButton11.Checked());
  EXPECT_EQ(d.Edit8.Text(), "a.wav");
  EXPECT_EQ(d.Edit5.Text(), "b.wav");
  EXPECT_EQ(d.Edit6.Text(), "c.wav");
  EXPECT_EQ(d.Edit7.Text(), "d.wav");
  EXPECT_TRUE(d.CheckBox7.Checked());
  EXPECT_EQ(d.edtToMail.Text(), "ops@example.com");
  EXPECT_EQ(d.UserEmail.Text(), "zol@example.com");
  EXPECT_EQ(d.cboAuthType.Text(), "Simple Login");
  EXPECT_EQ(d.edtAccount.Text(), "user");
  EXPECT_EQ(d.edtPassword.Text(), "secret");
  EXPECT_EQ(d.Edit10.Text(), "件名");
  EXPECT_EQ(d.SMTPServer.Text(), "mail.example.com");
  EXPECT_EQ(d.SMTPPort.Text(), "587");
  EXPECT_TRUE(d.CheckBox5.Checked());
  EXPECT_EQ(d.Edit9.Text(), "30");
  EXPECT_EQ(d.Label9.Caption(), "本日送信回数 0012");
  EXPECT_TRUE(d.CheckBox2.Checked());
  EXPECT_EQ(d.Label5.Caption(), "Version 4.00");
  EXPECT_EQ(d.Label2.Caption(), main().LocalIp);
  EXPECT_EQ(d.ComboBox1.Text(), "なし");
  EXPECT_EQ(d.ClientWidth, 540);
  EXPECT_EQ(d.ClientHeight, 385);
  EXPECT_EQ(d.Caption(), "基本設定");
}

// Each case edits what the operator would, stores with "登録" and reads the
// stored value back from the settings and, after a fresh load, the file.
TEST_F(SettingsDialogTest, StoreNormalisesAndTheFileReadsBack) {
  struct Case {
    const char* what;
    std::function<void(ConsoleSettings&)> before;  // settings before opening
    std::function<void(SettingsDialog&)> edit;     // the operator's edit
    std::function<void(const ConsoleSettings&)> check;
  };
  const std::vector<Case> cases = {
      {"window mode 7 shows empty, stores 0", [](ConsoleSettings& s) { s.WindowMode = 7; },
       [](SettingsDialog& d) { EXPECT_EQ(d.ComboBox2.Text(), ""); },
       [](const ConsoleSettings& s) { EXPECT_EQ(s.WindowMode, 0); }},
      {"typed window mode", [](ConsoleSettings& s) { s.WindowMode = 0; },
       [](SettingsDialog& d) { d.ComboBox2.SetText("最小化"); },
       [](const ConsoleSettings& s) { EXPECT_EQ(s.WindowMode, 1); }},
      {"limit 150 capped", nullptr, [](SettingsDialog& d) { d.Edit9.SetText("150"); },
       [](const ConsoleSettings& s) { EXPECT_EQ(s.MailLimit, "100"); }},
      {"limit abc", nullptr, [](SettingsDialog& d) { d.Edit9.SetText("abc"); },
       [](const ConsoleSettings& s) { EXPECT_EQ(s.MailLimit, "0"); }},
      {"limit -5 kept", nullptr, [](SettingsDialog& d) { d.Edit9.SetText("-5"); },
       [](const ConsoleSettings& s) { EXPECT_EQ(s.MailLimit, "-5"); }},
      {"limit 007", nullptr, [](SettingsDialog& d) { d.Edit9.SetText("007"); },
       [](const ConsoleSettings& s) { EXPECT_EQ(s.MailLimit, "7"); }},
      {"bad UDP port", nullptr, [](SettingsDialog& d) { d.Edit2.SetText("50x"); },
       [](const ConsoleSettings& s) { EXPECT_EQ(s.UdpPort, 5000); }},
      {"UDP port without range check", nullptr, [](SettingsDialog& d) { d.Edit2.SetText("70000"); },
       [](const ConsoleSettings& s) { EXPECT_EQ(s.UdpPort, 70000); }},
      {"bad SMTP port", nullptr, [](SettingsDialog& d) { d.SMTPPort.SetText(""); },
       [](const ConsoleSettings& s) { EXPECT_EQ(s.MailPort, 25); }},
      {"time-out 500 minutes", [](ConsoleSettings& s) { s.TimeOutMin = 500; },
       [](SettingsDialog& d) { EXPECT_EQ(d.UpDown1.Position(), 360); },
       [](const ConsoleSettings& s) { EXPECT_EQ(s.TimeOutMin, 360); }},
      {"group time-out 2000", [](ConsoleSettings& s) { s.GrpTimeOut = 2000; },
       [](SettingsDialog& d) { EXPECT_EQ(d.UpDown2.Position(), 5); },
       [](const ConsoleSettings& s) { EXPECT_EQ(s.GrpTimeOut, 5000); }},
      {"group time-out 10500", [](ConsoleSettings& s) { s.GrpTimeOut = 10500; }, nullptr,
       [](const ConsoleSettings& s) { EXPECT_EQ(s.GrpTimeOut, 10000); }},
      {"temperature device none", [](ConsoleSettings& s) { s.TempDevice = 4; },
       [](SettingsDialog& d) { EXPECT_EQ(d.ComboBox1.Text(), "なし"); },
       [](const ConsoleSettings& s) { EXPECT_EQ(s.TempDevice, 0); }},
      {"names as typed", nullptr,
       [](SettingsDialog& d) {
         d.Edit1.SetText("ログ");
         d.Edit7.SetText("無い/x.wav");
         d.RadioButtonClick(4, 1);
       },
       [](const ConsoleSettings& s) {
         EXPECT_EQ(s.LogDir, "ログ");
         EXPECT_EQ(s.SoundFName[4], "無い/x.wav");
         EXPECT_EQ(s.SoundFlg[4], 1);
       }},
      {"mail switch stored while disabled", [](ConsoleSettings& s) { s.MailTo = "nobody"; },
       [](SettingsDialog& d) {
         EXPECT_FALSE(d.CheckBox7.Enabled());
         d.CheckBox7.SetChecked(true);
       },
       [](const ConsoleSettings& s) { EXPECT_TRUE(s.MailOn); }},
      {"user and password kept for None", [](ConsoleSettings& s) { s.MailAuth = 1; },
       [](SettingsDialog& d) {
         d.cboAuthType.SetItemIndex(0);
         d.cboAuthType.SetText("None");
         d.cboAuthTypeChange();
         d.edtAccount.SetText("u2");
       },
       [](const ConsoleSettings& s) {
         EXPECT_EQ(s.MailAuth, 0);
         EXPECT_EQ(s.MailUser, "u2");
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ConsoleSettings& s = settings();
    s = ConsoleSettings{};
    s.LogDir = dir.path() + "/";
    if (c.before) c.before(s);
    Open();
    if (c.edit) c.edit(dlg());
    ASSERT_TRUE(dlg().BitBtn1Click());
    EXPECT_FALSE(dlg().Visible());
    c.check(s);
    s = ConsoleSettings{};
    main().IniLoad();
    c.check(s);
  }
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(SettingsDialogTest, TemperatureListFromTheTree) {
  Device(1, "02:5A:3C:00:00:01", "温度計", true);
  Device(2, "02:5A:3C:00:00:02", "無し");
  Device(3, "02:5A:3C:00:00:03", "部屋", true);
  Rebuild();
  // An unregistered node and a node whose ID is not a number (row 0 holds
  // the column headers, "17" among them) add nothing.
  app->tree().TreeView1.AddChild(app->tree().TreeView1.Top(0), "IDxyz 見出し", 3);
  struct Case {
    int temp_device;
    const char* shown;
  } cases[] = {{3, "ID003 部屋"}, {1, "ID001 温度計"}, {2, "なし"}, {0, "なし"}, {99, "なし"}};
  for (const Case& c : cases) {
    settings().TempDevice = c.temp_device;
    Open();
    EXPECT_EQ(dlg().ComboBox1.items.All(), (Lines{"ID001 温度計", "ID003 部屋", "なし"}));
    EXPECT_EQ(dlg().ComboBox1.Text(), c.shown) << c.temp_device;
    dlg().BitBtn2Click();
  }
  Open();
  dlg().ComboBox1.SetText("ID003 部屋");
  ASSERT_TRUE(dlg().BitBtn1Click());
  EXPECT_EQ(settings().TempDevice, 3);
}

// --- Enabling rules ---

TEST_F(SettingsDialogTest, EnablingRules) {
  Open();
  SettingsDialog& d = dlg();
  // Mail: the address rule over recipient, sender and server.
  struct Mail {
    const char* to;
    const char* from;
    const char* server;
    bool enabled;
  } mails[] = {
      {"ops@example", "zol@example.com", "mail.example.com", false},  // recipient without a dot
      {"ops@example.com", "zol@example.com", "mail.example.com", true},
      {"ops@example.com", "zolexample.com", "mail.example.com", false},
      {"ops@example.com", "zol@example.com", "mailhost", false},
      {"", "", "", false},
  };
  for (const Mail& m : mails) {
    d.edtToMail.SetText(m.to);
    d.UserEmail.SetText(m.from);
    d.SMTPServer.SetText(m.server);
    d.edtToMailChange();
    EXPECT_EQ(d.CheckBox7.Enabled(), m.enabled) << m.to << " " << m.from << " " << m.server;
    EXPECT_EQ(d.BitBtn10.Enabled(), m.enabled) << m.to;
  }
  // Authentication: user, password and their labels only for Simple Login.
  for (int index : {1, 0}) {
    d.cboAuthType.SetItemIndex(index);
    d.cboAuthTypeChange();
    for (const Control* c : std::vector<const Control*>{&d.edtAccount, &d.edtPassword, &d.lblAccount, &d.lblPassword}) {
      EXPECT_EQ(c->Enabled(), index == 1);
    }
  }
  // System log: "ファイル保存" follows "有効" and keeps its mark.
  d.CheckBox4.SetChecked(true);
  d.CheckBox3.SetChecked(false);
  d.CheckBox3Click();
  EXPECT_FALSE(d.CheckBox4.Enabled());
  EXPECT_TRUE(d.CheckBox4.Checked());
  // Daily limit.
  d.CheckBox5.SetChecked(true);
  d.CheckBox5Click();
  EXPECT_TRUE(d.Edit9.Enabled());
  d.CheckBox5.SetChecked(false);
  d.CheckBox5Click();
  EXPECT_FALSE(d.Edit9.Enabled());
  // Sound groups: field, choose and play only for "ファイル指定"; the group
  // keeps one button checked.
  for (int kind = 1; kind <= 4; ++kind) {
    for (int mode : {2, 0, 1}) {
      d.RadioButtonClick(kind, mode);
      const SettingsDialog::SoundGroup g = d.Group(kind);
      EXPECT_EQ(g.off->Checked(), mode == 0);
      EXPECT_EQ(g.beep->Checked(), mode == 1);
      EXPECT_EQ(g.file->Checked(), mode == 2);
      EXPECT_EQ(g.name->Enabled(), mode == 2);
      EXPECT_EQ(g.choose->Enabled(), mode == 2);
      EXPECT_EQ(g.play->Enabled(), mode == 2);
    }
  }
}

TEST_F(SettingsDialogTest, OpeningAppliesEveryRuleToTheLoadedValues) {
  UsableMailSettings(settings());
  settings().MailAuth = 1;
  settings().SysLogMode = false;
  settings().MailLimitOn = true;
  settings().SoundFlg = {0, 2, 0, 1, 2};
  Open();
  SettingsDialog& d = dlg();
  EXPECT_TRUE(d.CheckBox7.Enabled());
  EXPECT_TRUE(d.BitBtn10.Enabled());
  EXPECT_TRUE(d.edtAccount.Enabled());
  EXPECT_FALSE(d.CheckBox4.Enabled());
  EXPECT_TRUE(d.Edit9.Enabled());
  EXPECT_TRUE(d.Edit8.Enabled());
  EXPECT_FALSE(d.Edit5.Enabled());
  EXPECT_FALSE(d.BitBtn7.Enabled());
  EXPECT_TRUE(d.BitBtn8.Enabled());
  EXPECT_FALSE(d.BitBtn12.Enabled());
}

// --- Closing ---

TEST_F(SettingsDialogTest, EveryClosePathGivesTheButtonsBack) {
  UsableMailSettings(settings());
  const std::vector<std::pair<const char*, std::function<void()>>> closes = {
      {"登録", [this] { dlg().BitBtn1Click(); }},
      {"キャンセル", [this] { dlg().BitBtn2Click(); }},
      {"送信テスト", [this] { dlg().BitBtn10Click(); }},
      {"close box or Esc", [this] { dlg().FormClose(); }},
      {"monitoring start", [this] { buttons().ToolButton1Click(); }},
  };
  for (const auto& [what, close] : closes) {
    SCOPED_TRACE(what);
    Open();
    EXPECT_FALSE(buttons().ToolButton1.Enabled());
    EXPECT_FALSE(buttons().ToolButton7.Enabled());
    close();
    EXPECT_FALSE(dlg().Visible());
    const bool running = buttons().ToolButton2.Enabled();
    EXPECT_EQ(buttons().ToolButton1.Enabled(), !running);
    EXPECT_EQ(buttons().ToolButton7.Enabled(), !running);
  }
  // Monitoring runs now; its stop closes the dialogs too and gives both back.
  EXPECT_TRUE(buttons().ToolButton2.Enabled());
  buttons().ToolButton2Click();
  EXPECT_TRUE(buttons().ToolButton1.Enabled());
  EXPECT_TRUE(buttons().ToolButton7.Enabled());
}

TEST_F(SettingsDialogTest, CancelKeepsTheSettingsAndTheActiveTab) {
  settings().UdpPort = 5001;
  Open();
  dlg().Edit2.SetText("6000");
  dlg().PageControl1.SetActivePageIndex(SettingsDialog::kMail);
  dlg().BitBtn2Click();
  EXPECT_EQ(settings().UdpPort, 5001);
  EXPECT_EQ(dlg().Edit2.Text(), "6000");  // until the next opening
  Open();
  EXPECT_EQ(dlg().Edit2.Text(), "5001");
  EXPECT_EQ(dlg().PageControl1.ActivePageIndex(), SettingsDialog::kMail);
}

TEST_F(SettingsDialogTest, LockTakesEffectAtOnce) {
  Open();
  dlg().CheckBox6.SetChecked(true);
  dlg().MaskEdit1.SetText("secret");
  ASSERT_TRUE(dlg().BitBtn1Click());
  EXPECT_FALSE(settings().EditUnlocked);
  EXPECT_NE(Ini().find("DATA31=1\r\n"), std::string::npos);
  main().ToolButton7Click();
  EXPECT_TRUE(app->Form14().Visible());  // the password dialog
  EXPECT_FALSE(dlg().Visible());
  // The right password opens the dialog again.
  app->Form14().MaskEdit1.SetText("secret");
  app->Form14().BitBtn1Click();
  Open();
}

TEST_F(SettingsDialogTest, FolderChooserFillsTheLogFolder) {
  Open();
  dlg().BitBtn3Click();
  FolderChooser& chooser = app->Form9();
  ASSERT_TRUE(chooser.Visible());
  chooser.ShellTreeView1Change(u8"/var/log/ゾル");
  chooser.BitBtn1Click();
  EXPECT_FALSE(chooser.Visible());
  EXPECT_EQ(dlg().Edit1.Text(), "/var/log/ゾル");
  ASSERT_TRUE(dlg().BitBtn1Click());
  EXPECT_EQ(settings().LogDir, "/var/log/ゾル");
  // Monitoring's start closes both the dialog and the chooser.
  Open();
  dlg().BitBtn3Click();
  buttons().ToolButton1Click();
  EXPECT_FALSE(dlg().Visible());
  EXPECT_FALSE(chooser.Visible());
}

TEST_F(SettingsDialogTest, FailedSaveKeepsTheDialogOpen) {
  UsableMailSettings(settings());
  Open();
  dlg().Edit2.SetText("6000");
  for (int button : {1, 10}) {
    {
      FileSizeLimit limit(8);
      if (button == 1) EXPECT_FALSE(dlg().BitBtn1Click());
      else dlg().BitBtn10Click();
    }
    EXPECT_TRUE(dlg().Visible());
    EXPECT_FALSE(buttons().ToolButton7.Enabled());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].kind, BoxKind::Error);
    EXPECT_NE(boxes.shown[0].text.find(" に書き込めません"), std::string::npos);
    boxes.shown.clear();
  }
  EXPECT_TRUE(smtp.attempts.empty());
}

// --- Test mail ---

TEST_F(SettingsDialogTest, TestMailIsSentWithoutTheSwitchOrTheCount) {
  UsableMailSettings(settings());
  settings().MailOn = false;
  settings().MailLimitOn = true;
  settings().MailLimit = "0";
  app->alerts().MailCount = 3;
  Open();
  dlg().Edit10.SetText("試験");
  smtp.latency_ms = 3000;
  dlg().BitBtn10Click();
  EXPECT_FALSE(dlg().Visible());
  // The answer comes when the sending has ended; the mail is not counted.
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(app->alerts().MailCount, 3);
  sim.Advance(3000);
  ASSERT_EQ(smtp.mails.size(), 1u);
  EXPECT_EQ(MailBodyLines(smtp.mails[0]), (Lines{"2026/12/10 09:05:07 Test mail"}));
  EXPECT_EQ(settings().MailSubject, "試験");  // stored before sending
  EXPECT_NE(Ini().find("DATA10="), std::string::npos);
  EXPECT_EQ(BoxTexts(), (Lines{"送信しました。"}));
  EXPECT_EQ(boxes.shown[0].kind, BoxKind::Info);
}

TEST_F(SettingsDialogTest, TestMailFailureShowsTheErrorOnly) {
  UsableMailSettings(settings());
  smtp.failures.push_back("550 no such user");
  Open();
  dlg().BitBtn10Click();
  EXPECT_FALSE(dlg().Visible());
  sim.Advance(0);
  EXPECT_EQ(BoxTexts(), (Lines{"550 no such user"}));
  EXPECT_EQ(boxes.shown[0].kind, BoxKind::Error);
  EXPECT_TRUE(buttons().ToolButton1.Enabled());
}

TEST_F(SettingsDialogTest, TestMailWithABadSenderSendsNothingAndStillReports) {
  UsableMailSettings(settings());
  Open();
  dlg().UserEmail.SetText("zol.example.com");
  dlg().BitBtn10Click();
  EXPECT_TRUE(smtp.attempts.empty());
  EXPECT_EQ(settings().MailFrom, "zol.example.com");
  EXPECT_EQ(BoxTexts(), (Lines{"送信しました。"}));
}

// --- Sound trial ---

TEST_F(SettingsDialogTest, ChooseButtonsPutTheChosenPathIntoTheirGroup) {
  Open();
  open_dialog.answers = {std::string("/snd/注意.wav"), std::string("/snd/警報.wav"), std::nullopt,
                         std::string("/snd/切断.wav")};
  for (int kind = 1; kind <= 4; ++kind) dlg().Group(kind).name->SetText("前");
  for (int kind = 1; kind <= 4; ++kind) dlg().ChooseSound(kind);
  EXPECT_EQ(dlg().Edit8.Text(), "/snd/注意.wav");
  EXPECT_EQ(dlg().Edit5.Text(), "/snd/警報.wav");
  EXPECT_EQ(dlg().Edit6.Text(), "前");  // cancelled
  EXPECT_EQ(dlg().Edit7.Text(), "/snd/切断.wav");
  EXPECT_EQ(open_dialog.filters, Lines(4, "WAVファイル (*.wav)"));
}

// A chosen file whose name Shift-JIS cannot hold would be stored with "?"
// and never play: it is refused by the field's name and the field keeps
// its path.
TEST_F(SettingsDialogTest, AChosenFileShiftJisCannotHoldIsRefusedByName) {
  Open();
  const char* const fields[] = {"注意時のファイル", "警報時のファイル", "回復時のファイル", "タイムアウト時のファイル"};
  for (int kind = 1; kind <= 4; ++kind) {
    SCOPED_TRACE(kind);
    dlg().Group(kind).name->SetText("/snd/前.wav");
    boxes.shown.clear();
    open_dialog.answers = {std::string("/snd/caf\x01.wav")};
    dlg().ChooseSound(kind);
    EXPECT_EQ(dlg().Group(kind).name->Text(), "/snd/前.wav");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, std::string(fields[kind - 1]) + "に使用できない文字が含まれています。");
    EXPECT_EQ(boxes.shown[0].kind, BoxKind::Warning);
  }
  dlg().BitBtn1Click();
  for (const std::string& name : settings().SoundFName) EXPECT_EQ(name.find('?'), std::string::npos) << name;
}

TEST_F(SettingsDialogTest, PlayOnlyAnExistingFile) {
  const std::string wav = dir.File("鳴る.wav");
  std::string err;
  ASSERT_TRUE(WriteFileAtomic(wav, "RIFF", &err));
  Open();
  dlg().RadioButtonClick(2, 2);
  dlg().Edit5.SetText(wav);
  dlg().PlaySound(2);
  dlg().Edit5.SetText(dir.File("無い.wav"));
  dlg().PlaySound(2);
  dlg().Edit5.SetText("");
  dlg().PlaySound(2);
  EXPECT_EQ(sound.calls, (Lines{"wav:" + wav}));
}

// --- Manual entry ---

TEST_F(SettingsDialogTest, EntryRule) {
  struct Case {
    const char* mac;
    const char* ip;
    bool enabled;
  } cases[] = {
      {"02:5A:3C:00:00:00", "192.168.10.1", false},  // the default
      {"02:5a:3c:12:34:56", "192.168.10.1", true},
      {"02:5A:3C:1G:00:01", "192.168.10.1", true},  // letters are not checked
      {"02:5A:3C:12:34:56", "192.168.10", false},
      {"02:5A:3C:12:34:56", "1.2.3.x", true},
      {"02:5A:3C:12:34:56", "", false},
      {"02:5A:3D:12:34:56", "192.168.10.1", false},  // another prefix
      {"02:5A:3C:12:34:5", "192.168.10.1", false},   // 16 characters
      {"02:5A:3C:12:34-56", "192.168.10.1", false},  // four colons
      {"02:5A:3C:123:4:56", "192.168.10.1", true},   // five colons, 17 characters
      {"", "192.168.10.1", false},
  };
  Open();
  EXPECT_FALSE(dlg().BitBtn12.Enabled());
  for (const Case& c : cases) {
    dlg().Edit13.SetText(c.mac);
    dlg().Edit14.SetText(c.ip);
    dlg().Edit13Change();
    EXPECT_EQ(dlg().BitBtn12.Enabled(), c.enabled) << c.mac << " " << c.ip;
  }
  // Every opening starts from the defaults again.
  dlg().ComboBox10.SetText("8");
  dlg().BitBtn2Click();
  Open();
  EXPECT_EQ(dlg().Edit13.Text(), "02:5A:3C:00:00:00");
  EXPECT_EQ(dlg().Edit14.Text(), "192.168.10.1");
  EXPECT_EQ(dlg().ComboBox10.Text(), "4");
  EXPECT_FALSE(dlg().BitBtn12.Enabled());
}

// The size in bytes that a record's length word gives, and the record's
// size by its hex text.
void ExpectLengthWord(const std::string& record) {
  if (record.empty()) return;
  EXPECT_EQ(HexToInt(record.substr(4, 4)) * 2, static_cast<int32_t>(record.size())) << record;
}

TEST_F(SettingsDialogTest, RecordTextsForEachOutletCount) {
  EXPECT_EQ(ManualOutletRecord(2), "011000120002000100010000000100010000");
  EXPECT_EQ(ManualPingRecord(2),
            "0801004C000200040001000000020002000100000001000100000000000000000000000000000000000000010000000100"
            "010001000000010001000000000000000000000000000000000000");
  for (int n : {2, 4, 8}) {
    SCOPED_TRACE(n);
    ExpectLengthWord(ManualOutletRecord(n));
    ExpectLengthWord(ManualPingRecord(n));
    EXPECT_EQ(ManualOutletRecord(n).substr(8, 4), ZeroPad(n, 4));
    EXPECT_EQ(ManualPingRecord(n).substr(8, 8), ZeroPad(n, 4) + "0004");
  }
  EXPECT_EQ(ManualOutletRecord(4).substr(0, 8), "0110001E");
  EXPECT_EQ(ManualOutletRecord(8).substr(0, 8), "01100036");
  EXPECT_EQ(ManualPingRecord(4).substr(0, 8), "080100D0");
  EXPECT_EQ(ManualPingRecord(8).substr(0, 8), "08010118");
  // Four outlets: every block followed by four target entries of 8 bytes.
  const std::string four_block = "0001" "0000" "000A" "000A" "0001" "0000" "0001" "0001" "0000" + std::string(64, '0');
  EXPECT_EQ(ManualPingRecord(4).substr(16), four_block + four_block + four_block + four_block);
  EXPECT_EQ(ManualPingRecord(3), "");
  EXPECT_EQ(ManualOutletRecord(0), "");
}

TEST_F(SettingsDialogTest, ManualEntryWritesTheTemplateAndListsTheDevice) {
  struct Case {
    const char* count;
    int outlets;  // 0: no outlet and PING records
  } cases[] = {{"2", 2}, {"4", 4}, {"8", 8}, {"3", 0}, {"x", 4}};
  DebugWindow& form4 = app->Form4();
  const Lines original = form4.Memo4.All();
  int mac = 0x10;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.count);
    Open();
    char text[32];
    std::snprintf(text, sizeof text, "02:5a:3c:12:34:%02x", ++mac);
    dlg().Edit13.SetText(text);
    dlg().Edit14.SetText("10.0.0.9");
    dlg().ComboBox10.SetText(c.count);
    dlg().Edit13Change();
    ASSERT_TRUE(dlg().BitBtn12.Enabled());
    boxes.shown.clear();
    dlg().BitBtn12Click();
    const Memo& m = form4.Memo4;
    EXPECT_EQ(m[0], "2026/12/10");
    EXPECT_EQ(m[1], "09:05:07");
    EXPECT_EQ(m[2], "10.0.0.9");
    EXPECT_EQ(m[3], original[3]);
    EXPECT_EQ(m[4], original[4]);
    EXPECT_EQ(m[5], "0001000C0006" + HexOnly(Copy(UpperCase(text), 1, 17)));
    EXPECT_EQ(m[6], c.outlets ? ManualOutletRecord(c.outlets) : "");
    EXPECT_EQ(m[7], c.outlets ? ManualPingRecord(c.outlets) : "");
    EXPECT_EQ(m[8], "");
    EXPECT_EQ(Lines(m.All().begin() + 9, m.All().end()), Lines(original.begin() + 9, original.end()));
    EXPECT_EQ(form4.Memo1.All(), m.All());
    EXPECT_EQ(BoxTexts(), (Lines{"未登録データとして登録しました。"}));
    // The device is listed among the unregistered devices.
    bool listed = false;
    for (int r = 1; r < unreg().RowCount(); ++r) {
      if (unreg().Cell(5, r) == UpperCase(text)) {
        listed = true;
        EXPECT_EQ(unreg().Cell(3, r), "10.0.0.9");
      }
    }
    EXPECT_TRUE(listed);
    dlg().BitBtn2Click();
  }
}

TEST_F(SettingsDialogTest, ManualEntryOfARegisteredMacUpdatesItsRow) {
  Device(1, "02:5A:3C:12:34:56", "登録済");
  Rebuild();
  Open();
  dlg().Edit13.SetText("02:5A:3C:12:34:56");
  dlg().Edit14.SetText("10.1.1.1");
  dlg().ComboBox10.SetText("2");
  dlg().BitBtn12Click();
  EXPECT_EQ(table().Cell(dtcol::SrcIp, 1), "10.1.1.1");
  EXPECT_EQ(table().Cell(dtcol::OlCount, 1), "2");
  EXPECT_EQ(BoxTexts(), (Lines{"未登録データとして登録しました。"}));
}

TEST_F(SettingsDialogTest, DebugWindowInjectionStartsFromTheEntry) {
  Open();
  dlg().Edit13.SetText("02:5A:3C:AB:CD:EF");
  dlg().ComboBox10.SetText("2");
  dlg().BitBtn12Click();
  const Lines after_entry = app->Form4().Memo4.All();
  app->Form4().BitBtn2Click();  // "追加" of the debug window
  const Memo& m = app->Form4().Memo4;
  EXPECT_EQ(m[5], "0001000C0006025A3C000000");  // the debug window's own identity line
  EXPECT_EQ(m[6], after_entry[6]);              // the entry's two-outlet records stay
  EXPECT_EQ(m[7], after_entry[7]);
  EXPECT_EQ(m[8], "");
}

// --- Device swap ---

class SwapTest : public SettingsDialogTest {
 protected:
  SwapTest() {
    Device(1, "02:5A:3C:00:00:01", "一号", true);
    Device(3, "02:5A:3C:00:00:03", "三号");
    table().SetCell(dtcol::SrcIp, 1, "10.0.0.1");
    table().SetCell(69, 3, "last column");
    table().SetCell(0, 1, "label 1");
    table().SetCell(0, 3, "label 3");
    Rebuild();
    Open();
  }
  void Choose(ComboBox& box, const std::string& text) {
    box.SetText(text);
    box.SetItemIndex(-1);
    for (size_t i = 0; i < box.items.Count(); ++i) {
      if (box.items[i] == text) box.SetItemIndex(static_cast<int>(i));
    }
  }
};

TEST_F(SwapTest, ListsHoldTheRegisteredDevices) {
  EXPECT_EQ(dlg().ComboBox3.items.All(), (Lines{"ID001 一号", "ID003 三号"}));
  EXPECT_EQ(dlg().ComboBox4.items.All(), (Lines{"ID001 一号", "ID003 三号"}));
}

TEST_F(SwapTest, SwapExchangesTheRowsAndSaves) {
  settings().TempDevice = 1;
  settings().LockOn = true;
  settings().EditUnlocked = true;
  boxes.answers = {BoxResult::Yes};
  Choose(dlg().ComboBox3, "ID001 一号");
  Choose(dlg().ComboBox4, "ID003 三号");
  dlg().BitBtn11Click();
  EXPECT_EQ(BoxTexts(), (Lines{"ID001 一号<->ID003 三号 を入れ替えますか？", "入れ替え完了"}));
  EXPECT_EQ(boxes.shown[0].kind, BoxKind::Confirm);
  EXPECT_EQ(boxes.shown[0].buttons, BoxButtons::YesNo);
  EXPECT_EQ(table().Cell(dtcol::MacAddress, 1), "02:5A:3C:00:00:03");
  EXPECT_EQ(table().Cell(dtcol::MacAddress, 3), "02:5A:3C:00:00:01");
  EXPECT_EQ(table().Cell(dtcol::SrcIp, 3), "10.0.0.1");
  EXPECT_EQ(table().Cell(dtcol::TmpActionCopy, 3), "1,2,3");
  EXPECT_EQ(table().Cell(69, 1), "last column");
  // Column 0 is the row's own: the rebuild after the swap passes each row
  // through the device editor's store, which writes the row's number.
  EXPECT_EQ(table().Cell(0, 1), "1");
  EXPECT_EQ(table().Cell(0, 3), "3");
  EXPECT_EQ(table().Cell(dtcol::MacAddress, 2), "");
  // The lists are refilled and left without a choice.
  EXPECT_EQ(dlg().ComboBox3.items.All(), (Lines{"ID001 三号", "ID003 一号"}));
  EXPECT_EQ(dlg().ComboBox3.Text(), "");
  EXPECT_EQ(dlg().ComboBox4.ItemIndex(), -1);
  // The device file holds the new order; the lock is on again; settings
  // naming a device by ID are left as they were.
  const std::string dat = ReadAll(dir.File("zolyab4.dat"));
  EXPECT_LT(dat.find("02:5A:3C:00:00:03"), dat.find("02:5A:3C:00:00:01"));
  EXPECT_FALSE(settings().EditUnlocked);
  EXPECT_EQ(settings().TempDevice, 1);
}

TEST_F(SwapTest, WarningsAndNo) {
  const Grid before_table = table();
  struct Case {
    const char* upper;
    const char* lower;
    const char* box;
  } cases[] = {
      {"", "ID003 三号", "正しく選択されていません。"},
      {"ID001 一号", "", "正しく選択されていません。"},
      {"ID001 一号", "ID001 一号", "入れ替えデータ先が同じです。"},
      // Typed texts that are not one of the entries are no choice: they
      // would name the header row or a row past the table.
      {"ID000 見出し", "ID001 一号", "正しく選択されていません。"},
      {"ID001 一号", "ID1000", "正しく選択されていません。"},
      {"ID001", "ID003 三号", "正しく選択されていません。"},
  };
  for (const Case& c : cases) {
    boxes.shown.clear();
    Choose(dlg().ComboBox3, c.upper);
    Choose(dlg().ComboBox4, c.lower);
    dlg().BitBtn11Click();
    EXPECT_EQ(BoxTexts(), (Lines{c.box})) << c.upper << " / " << c.lower;
    EXPECT_EQ(boxes.shown[0].kind, BoxKind::Warning);
  }
  boxes.shown.clear();
  boxes.answers = {BoxResult::No};
  Choose(dlg().ComboBox3, "ID003 三号");
  Choose(dlg().ComboBox4, "ID001 一号");
  dlg().BitBtn11Click();
  EXPECT_EQ(BoxTexts(), (Lines{"ID003 三号<->ID001 一号 を入れ替えますか？"}));
  for (int c = 0; c < table().ColCount(); ++c) {
    for (int r = 0; r < 4; ++r) EXPECT_EQ(table().Cell(c, r), before_table.Cell(c, r));
  }
  EXPECT_EQ(dlg().ComboBox3.Text(), "ID003 三号");
}

}  // namespace
}  // namespace zol
