// The settings dialog "基本設定" (Form8): every console setting the operator
// may change, the test mail, the sound files' trial, and on its tab
// "機器の登録" the manual entry of a device and the swap of two devices.
// The dialog holds no data of its own: EditShow loads its controls from the
// console settings, "登録" stores them back and writes the settings file.
#pragma once

#include <string>
#include <vector>

#include "common/controls.h"

namespace zol {

class App;

// The record text lines 6 and 7 of a synthetic datagram for a device of
// 2, 4 or 8 outlets: the outlet record and the PING record, upper-case hex.
// Empty texts for any other count.
std::string ManualOutletRecord(int outlets);
std::string ManualPingRecord(int outlets);

class SettingsDialog : public Form {
 public:
  explicit SettingsDialog(App& app);

  App& app;

  // Tabs of PageControl1, in order.
  enum Page { kCommon = 0, kSound = 1, kMail = 2, kDevices = 3, kInfo = 4 };
  // The four alert kinds of the sound tab, by their console-settings index
  // (1 caution, 2 alarm, 3 recovery, 4 time-out).
  struct SoundGroup {
    RadioButton* off;   // "無効"
    RadioButton* beep;  // "標準音"
    RadioButton* file;  // "ファイル指定"
    Edit* name;         // the file-name field
    Button* choose;     // "参照"
    Button* play;       // play button (picture only)
  };
  SoundGroup Group(int kind);

  // --- Opening and closing ---
  // Loads every control from the console settings and shows the dialog.
  void EditShow();
  // "登録": stores every control, writes the settings file and closes.
  // False when the file could not be written: its error box has shown and
  // the dialog stays open.
  bool BitBtn1Click();
  void BitBtn2Click();   // "キャンセル"
  void BitBtn10Click();  // "送信テスト"
  // Every way the dialog closes (its buttons, the title bar's close box,
  // Esc, the dialogs' close at monitoring start and stop): hides it and
  // gives the main window's start and settings buttons back while
  // monitoring is stopped.
  void FormClose();

  // --- Choosing and trying files ---
  void BitBtn3Click();  // "参照": the folder chooser
  // Choose button of a sound group: the file-open dialog, "WAVファイル".
  void ChooseSound(int kind);
  // Play button of a sound group: plays the named file when it exists.
  void PlaySound(int kind);

  // --- Enabling rules ---
  void CheckBox3Click();
  // A radio button of a sound group chosen (mode 0 "無効", 1 "標準音",
  // 2 "ファイル指定"): the group keeps that one checked.
  void RadioButtonClick(int kind, int mode);
  void CheckBox5Click();
  void cboAuthTypeChange();
  void edtToMailChange();  // on changes of edtToMail, UserEmail, SMTPServer

  // --- Tab "機器の登録" ---
  void Edit13Change();  // on changes of Edit13 and Edit14
  void BitBtn12Click();  // "追加": manual entry
  void BitBtn11Click();  // "入れ替え": device swap
  // The tree rebuild's device lines for the two swap lists.
  void SettingsDeviceLists(const std::vector<std::string>& devices);

  PageControl PageControl1;
  Button BitBtn1;  // "登録"
  Button BitBtn2;  // "キャンセル"

  // Tab "共通".
  CheckBox CheckBox1;  // "自動開始"
  ComboBox ComboBox2;  // window state "通常", "最小化", "最大化" (editable)
  CheckBox CheckBox3;  // system log "有効"
  CheckBox CheckBox4;  // "ファイル保存"
  Edit Edit3;          // time-out minutes
  UpDown UpDown1{0, 360, &Edit3};
  Label Label3;        // "0分は動作しない"
  Edit Edit2;          // UDP port
  Label Label4;        // "デフォルト 5000"
  Edit Edit1;          // log folder
  Button BitBtn3;      // "参照"
  ComboBox ComboBox1;  // fixed temperature device
  CheckBox CheckBox6;  // password "有効"
  Edit MaskEdit1;      // password, shown as "*"
  Edit Edit4;          // group time-out seconds
  UpDown UpDown2{5, 3600, &Edit4};

  // Tab "通知音".
  // "無効", "標準音", "ファイル指定" of caution, alarm, recovery, time-out.
  RadioButton RadioButton1, RadioButton2, RadioButton3;
  RadioButton RadioButton4, RadioButton5, RadioButton6;
  RadioButton RadioButton7, RadioButton8, RadioButton9;
  RadioButton RadioButton10, RadioButton11, RadioButton12;
  Edit Edit8, Edit5, Edit6, Edit7;            // file names: caution, alarm, recovery, time-out
  Button BitBtn15, BitBtn4, BitBtn6, BitBtn8;  // choose "参照"
  Button BitBtn17, BitBtn5, BitBtn7, BitBtn9;  // play

  // Tab "E-MAIL通知".
  CheckBox CheckBox7;  // "E-MAIL送信を行う"
  Edit edtToMail;
  Edit UserEmail;
  ComboBox cboAuthType;  // "None", "Simple Login"
  Label lblAccount;      // "ユーザーID"
  Edit edtAccount;
  Label lblPassword;     // "パスワード"
  Edit edtPassword;      // shown as "*"
  Edit Edit10;           // subject
  Edit SMTPServer;
  Edit SMTPPort;
  CheckBox CheckBox5;  // "1日の送信数を制限する"
  Edit Edit9;          // daily limit
  Label Label9;        // "本日送信回数 " + count
  Button BitBtn10;     // "送信テスト"

  // Tab "機器の登録".
  Edit Edit13;          // MAC address (fixed pitch)
  ComboBox ComboBox10;  // outlet count "2", "4", "8" (editable)
  Edit Edit14;          // IP address
  Button BitBtn12;      // "追加"
  ComboBox ComboBox3;   // upper device of the swap (editable)
  ComboBox ComboBox4;   // lower device of the swap (editable)
  Button BitBtn11;      // "入れ替え"

  // Tab "情報".
  Image Image1;     // the splash picture
  Label Label5;     // "Version " + VersionText
  Label Label2;     // the PC's IP address
  CheckBox CheckBox2;  // "受信データの保存"

  int ClientWidth = 540;
  int ClientHeight = 385;

 private:
  // Stores every control into the console settings and writes the file;
  // false when the file could not be written.
  bool Store();
  void FillTempDevices();
  // The device ID of a swap list's choice: its text must be one of its
  // items; 0 for no choice.
  static int ChosenDevice(const ComboBox& list);
};

}  // namespace zol
