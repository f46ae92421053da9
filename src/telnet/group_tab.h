// The group tab "グループ" of the main window: command entries naming script
// files, the destination list of one group with its last results, the check
// actions, and the group send, which the session engine then runs device by
// device (mode 2) while the tab shows its send log and counters.
#pragma once

#include <string>

#include "common/controls.h"
#include "common/platform.h"

namespace zol {

class App;

class GroupTab {
 public:
  explicit GroupTab(App& app);
  GroupTab(const GroupTab&) = delete;
  GroupTab& operator=(const GroupTab&) = delete;

  App& app;

  // --- Group chooser ---
  ComboBox ComboBoxEx2;  // "制御対象グループ指定": the group node texts without G000

  // --- Command entry panel ---
  Panel Panel25;
  Grid StringGrid1{3, 11};  // "No", " コマンド名称", " ファイル名"; rows 1..10 the entries
  Edit Edit1;               // 名称, at most 20 bytes
  Edit Edit2;               // ファイル: full path of the script file
  Button BitBtn4;           // browse (picture only)
  Button BitBtn7;           // "登録"
  Button BitBtn3;           // "ファイル指定"
  Button BitBtn8;           // "編集" / "キャンセル"

  // --- Send mode panel ---
  Panel Panel30;
  CheckListBox CheckListBox1;  // one line per device of the chosen group
  Panel Panel35, Panel36, Panel37;  // last results: 成功, 失敗, 未接続
  Panel Panel38, Panel39;           // start and end of the last send
  Panel Panel34, Panel40;           // destinations: 総数, 送信 (checked)
  ComboBox ComboBox1;               // the six check actions
  Button BitBtn6;                   // "変更"
  Button BitBtn5;                   // "送信開始"
  Button BitBtn2;                   // "キャンセル"
  Panel Panel23;                    // name of the command entry
  Panel Panel27;                    // status text: "送信開始", "送信完了"

  // --- Send log ---
  Memo Memo2;                       // Form2.Memo2: the send log (read-only)
  Panel Panel28;                    // 総数: queued devices
  Panel Panel24;                    // 成功: successes of the run
  Panel Panel29;                    // 失敗: failures of the run

  Memo Memo4;  // the loaded script (never shown)

  int GrpOkCount = 0, GrpNgCount = 0;

  // Count of queued devices, position of the current one (from 1), then the
  // queued device IDs as three-digit texts.
  std::string SendQueue;

  // --- Operations ---
  // Command mode, as the window's creation sets it up.
  void CommandMode();
  void grpListRef();
  void StringGrid1Click();     // the selected row r: its entry into Edit1, Edit2
  void StringGrid1DblClick();  // grpsendcik
  void BitBtn8Click();         // "編集" / "キャンセル"
  void BitBtn4Click();         // browse
  void BitBtn7Click();         // "登録"
  void BitBtn3Click();         // "ファイル指定"
  // Reads the script file of Edit2 and, with a good header, enters send
  // mode. The outcome tells a missing file from a bad header.
  enum class ScriptLoad { NoFile, BadHeader, Good };
  ScriptLoad grpsendcik();
  void glistcheck();
  void grplist();
  void grp_st_check();
  void BitBtn6Click();  // "変更": the check action chosen in ComboBox1
  void BitBtn5Click();  // "送信開始"
  void grpsend();
  void BitBtn2Click();  // "キャンセル"
  void ComboBoxEx2Change();  // the operator chose a group
  void cancelbtn();
  // Refills ComboBoxEx2 from the group selector ComboBoxEx1 (its items
  // without the first one beginning with "G000", its text), at the end of the
  // device tree's count refresh; never leaves send mode.
  void ComboBoxEx2Refill();

  // Operation 0: the current device ID (0 for none); also loads the
  // engine's SessionPassword and SessionPort of that device. Operation 1:
  // advances and returns the next device ID, 0 past the end.
  int GroupQueue(int operation);
  // Appends "hh:nn:ss" + " " + text to the send log.
  void grpmessin(const std::string& text);
  // Saves the send log as "gs" + yyyymmdd + hhnnss + ".log" (the given end
  // of the run) in the log folder; false after the error box when it
  // cannot be written.
  bool GroupSendLogSave(const DateTime& end);

  // A group send runs from "送信開始" (after its question) to the end of
  // its queue. Meanwhile the controls that would load another script or
  // start another send stay disabled, and the engine refuses the other
  // sessions.
  bool Sending() const { return sending_; }
  // The engine's end of a run: the controls a run holds back come back.
  void RunEnded();

  // Whether the tab is in edit mode of the command entries.
  bool EditMode() const;

 private:
  void SendModeOff();  // Panel25 shown, Memo2 hidden, Panel30 shown
  bool LoadScript(const std::string& path);
  bool sending_ = false;
};

// "gs" + yyyymmdd + hhnnss + ".log".
std::string GroupSendLogName(const DateTime& end);

// Whether the first line of a script, lower-cased, holds "@zol" or "@qm".
bool ScriptHeaderGood(const std::string& header);

// The destination list line of one device: "ID" + 3 digits, its name in 30
// bytes, its address in 16, then its last result from byte 55.
std::string GroupListLine(int id, const std::string& name, const std::string& ip, const std::string& result);

// At most the first width bytes of a Shift-JIS text, never half a
// double-byte character.
std::string CutSjis(const std::string& text, size_t width);
// The first bytes of a Shift-JIS text, padded with blanks to width; a
// double-byte character that the cut would halve becomes a blank.
std::string FitSjis(const std::string& text, size_t width);

}  // namespace zol
