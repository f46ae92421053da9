// The device editor (Form5): the dialog in which the operator registers a
// device heard but not registered yet and edits a registered device's
// settings. Its load and store pair, EditDataGet and EditDataPut, is the one
// path of a device row's settings columns: the tree rebuild passes every
// placed device through it, so it is also the row's normalising load and
// store. The same form carries the telnet session engine, the one engine
// through which every identity read, outlet command and group script
// reaches a device's telnet console (telnet/telnet_session.cpp).
#pragma once

#include <array>
#include <string>

#include "common/controls.h"
#include "common/platform.h"
#include "console/app.h"
#include "telnet/transcript.h"

namespace zol {

class DeviceEditor : public Form {
 public:
  explicit DeviceEditor(App& app);
  ~DeviceEditor();
  DeviceEditor(const DeviceEditor&) = delete;
  DeviceEditor& operator=(const DeviceEditor&) = delete;

  App& app;

  // Client area, the size of the panel holding all controls.
  int ClientWidth = 0, ClientHeight = 0;

  // --- Above the tabs ---
  ComboBox ComboBoxEx1;  // "登録するグループ": the group of a new device
  Panel Panel44;         // the group of a registered device (not changeable here)
  Panel Panel18;         // "MACアドレス"
  Button BitBtn1;        // "登録"
  Button BitBtn2;        // "キャンセル"
  PageControl PageControl1;  // 0 "名称登録", 1 "接続", 2 "ログ保存", 3 "通知機能", 4 "情報"

  // --- Tab "名称登録" ---
  Edit Edit9;       // "機器名称"
  Edit MemoEdit;    // "メモ"
  Panel Panel2, Panel3, Panel4, Panel5, Panel6, Panel7, Panel8, Panel9;  // outlet numbers
  Edit Edit1, Edit2, Edit3, Edit4, Edit5, Edit6, Edit7, Edit8;  // outlet names
  Panel Panel10, Panel11, Panel12, Panel13, Panel14, Panel15, Panel16, Panel17;  // icon row numbers
  CheckBox CheckBox1, CheckBox2, CheckBox3, CheckBox4, CheckBox5, CheckBox6, CheckBox7, CheckBox8;  // "表示する"
  ComboBox ComboBox1, ComboBox2, ComboBox3, ComboBox4, ComboBox5, ComboBox6, ComboBox7, ComboBox8;  // item kinds
  Label Label1;     // device description (DeviceInfo)
  Button BitBtn4;   // "CLS"

  // --- Tab "接続" ---
  ComboBox ComboBox9;  // "接続方法"
  Edit Edit10;         // "IPアドレス"
  CheckBox CheckBox26; // "受信したIPアドレスに対して接続を行う"
  Edit Edit11;         // "PORT"
  Edit MaskEdit1;      // "パスワード", shown as "*"
  Edit Edit12;         // "TELNET PORT"
  RadioButton RadioButton1, RadioButton2;  // "ダイレクト電源制御": "有効", "無効"
  Panel GroupChangeRow;                    // the label of the row "グループ設定変更"
  RadioButton RadioButton3, RadioButton4;  // "グループ設定変更": "有効", "無効"
  Panel Panel51;       // time of the last group command result
  Button BitBtn3;      // "情報取得"
  Memo Memo1;          // command script of the running group send, line 0 the header
  Memo Memo2;          // session transcript (never cleared; a bounded tail)

  // --- Tab "ログ保存" ---
  Panel Panel23, Panel24, Panel25, Panel26, Panel27, Panel28, Panel29, Panel30;  // row numbers
  Panel Panel34, Panel36, Panel37, Panel38, Panel39, Panel40, Panel41, Panel42;  // CSV log file names
  CheckBox CheckBox9, CheckBox10, CheckBox11, CheckBox12, CheckBox13, CheckBox14, CheckBox15,
      CheckBox16;  // "記録する"

  // --- Tab "通知機能" ---
  // "E-MAIL 送信条件": 注意時, 警報時, 回復時, タイムアウト時, IP/MAC アドレス情報添付.
  CheckBox CheckBox17, CheckBox18, CheckBox19, CheckBox20, CheckBox25;
  // "通知音設定": 注意時, 警報時, 回復時, タイムアウト時.
  CheckBox CheckBox21, CheckBox22, CheckBox23, CheckBox24;

  // --- Tab "情報" ---
  Panel Panel20;  // "アウトレット数"
  Panel Panel33;  // "IPアドレス"

  // The eight rows of the four lists, by outlet number 1..8 (clipped).
  Edit& OutletEdit(int i);        // Edit1 .. Edit8
  Panel& NamePanel(int i);        // Panel2 .. Panel9
  Panel& IconPanel(int i);        // Panel10 .. Panel17
  CheckBox& IconCheck(int i);     // CheckBox1 .. CheckBox8
  ComboBox& KindBox(int i);       // ComboBox1 .. ComboBox8
  Panel& LogPanel(int i);         // Panel23 .. Panel30
  Panel& FilePanel(int i);        // Panel34, Panel36 .. Panel42
  CheckBox& LogCheck(int i);      // CheckBox9 .. CheckBox16
  // The nine notification boxes in the order of their NotifyFlags
  // characters 1-5 and 10-13.
  std::array<CheckBox*, 9> NotifyChecks();

  // --- The editor (telnet/device_editor.cpp) ---
  int EditRow = 0;  // the device row being edited, 0 for a new device
  void FormCreate();
  // Shows rows 1..n (n clipped to 0..8) of the four eight-row lists, hides
  // the others; a shown icon box is checked, a hidden one unchecked.
  void CheckFlg(int n);
  // Fills the controls from device row R, or for R = 0 from the
  // unregistered device selected in the tree.
  void EditDataGet(int R);
  // Stores the controls into row R, or registers the new device for R = 0;
  // closes the editor. For R = 0 the checks of BitBtn1Click come first.
  void EditDataPut(int R);
  void BitBtn1Click();  // "登録"
  void BitBtn2Click();  // "キャンセル"
  // Closes the editor (its frame, "キャンセル", ButtonPushMode, a store):
  // hidden, then FormClose.
  void Close();
  void FormClose();     // the main window comes back
  // The operator changed the connection method.
  void ComboBox9Change();
  void MaskEdit1Change();
  void BitBtn4Click();  // "CLS"
  // The ways in. Registration of the unregistered device whose node the
  // tree has selected (the main window is disabled until the editor
  // closes); editing of device row; the tree rebuild's pass of a placed
  // device, not shown.
  void OpenRegistration();
  void OpenEdit(int row);
  void EditDataGetPut(int row);

  // --- Session fields ---
  int SessionMode = 0;           // 0 identity read, 1 outlet command, 2 group script
  std::string SessionCommand;    // mode 1: "PON1" and the like
  std::string SessionPassword;   // plain password, written by the caller
  std::string SessionPort;       // telnet port as text (mode 0 only)
  int SessionState = 0;          // dialogue state, 0 idle
  std::string TelnetBuffer;      // received text, about the last 255 bytes
  int PasswordRetries = 0;
  std::string InfoOutletNames, InfoDescr, InfoName;
  int ScriptType = 0;            // 0 "@zol", 1 "@qm"; kept across sessions
  std::string ScriptError;       // "多重接続切断"
  int ScriptLine = 0;
  bool CpuResetPending = false;
  bool ScriptClosed = false;
  bool TimedOut = false;
  int FailReason = 0;
  int WatchdogCount = 0;
  int PromptNudges = 0;          // empty lines sent by Timer2 in this session

  Timer Timer1;  // session time-out: 5000 ms, then GrpTimeOut
  Timer Timer2;  // prompt nudge, 1000 ms
  Timer Timer3;  // script watchdog, 1000 ms
  // The overall bound of a session, from its connection: whatever the
  // device does, the session ends when it passes (SessionBound).
  Timer SessionLimit;
  TelnetClient& IdTelnet1;

  // --- The engine (telnet/telnet_session.cpp) ---
  // Starts a session: mode 0, 1 or 2; the command of mode 1; the device row
  // (1..999), or 0 for the device being edited.
  void tenletcnt(int mode, const std::string& command, int row);
  void BitBtn3Click();  // "情報取得"
  // Sends script line n (mode 2), or the closing command past the script.
  // False when a newer session started while it waited.
  bool sendtext(int n);
  void sendend();
  void nextconnect();
  void TelnetDisConnect();
  void IdTelnet1Connected();
  void IdTelnet1DataAvailable(const std::string& text);
  void IdTelnet1Disconnected();
  void Timer1Timer();
  void Timer2Timer();
  void Timer3Timer();
  // The bound has passed: the session ends as on its time-out, a group
  // device with a failure.
  void SessionLimitTimer();
  // Milliseconds from the connection within which a session of the current
  // mode ends whatever the device does: the time-out to the banner and
  // GrpTimeOut after it, the engine's own waits of the login and, for a
  // group device, the watchdog's 8 s and the pause of every "wait"
  // directive for each step of the script in Memo1, and the 3 s after the
  // closing command; one second to spare.
  uint32_t SessionBound() const;

  // Raised at every session start and end; a handler that waited and finds
  // another number has lost its session (ended, or taken by a newer one)
  // and stops.
  unsigned SessionNo = 0;

 private:
  // What BitBtn1Click checks before anything closes or changes; false after
  // its message box.
  bool StoreAllowed();
  // The tree's side of the load and store: the selected node's text (empty
  // for none); the selected node removed when it is an unregistered device;
  // the first node in tree order whose text contains group (none for an
  // empty group); the first node whose text begins with the device's ID
  // text.
  std::string SelectedNodeText() const;
  void RemoveSelectedUnregNode();
  TreeNode* FindGroupNode(const std::string& group) const;
  TreeNode* DeviceNode(int row) const;

  // The start of one session (tenletcnt without the chaining of refused
  // devices).
  void StartSession(int mode, const std::string& command, int row);
  // Whether a session of this mode may start now: the one place where a
  // session is refused.
  bool SessionAllowed(int mode);
  bool Contains(const char* marker) const;
  // The value of a key="value" reply in the buffer.
  std::string ReplyValue() const;
  // Sends the password; with use_state11 the part after "@" goes first in
  // state 11. False when a newer session started during its wait.
  bool SendPassword(bool use_state11);
  void WrongPassword();
  void IdentityConfirm();
  // Delay; false when a newer session started meanwhile.
  bool Wait(uint32_t ms);
  // A disconnect made by the engine, which never ends a device through the
  // disconnected notification.
  void EngineDisconnect();
  // Every end of a session: its bound stops, and a handler that waits for it
  // stops when it wakes.
  void SessionEnded();

  bool engine_disconnect_ = false;
  Transcript transcript_{Memo2};  // appends what the device sends to Memo2
  // A refused connection ends its device and starts the next one; inside
  // that end the next start is queued here and run by the outer start, so a
  // long queue of refused devices does not nest.
  bool in_refusal_ = false;
  bool next_pending_ = false;
  int next_mode_ = 0;
  std::string next_command_;
  int next_row_ = 0;
};

}  // namespace zol
