// The telnet session engine of the device editor: one telnet session at a
// time, as an identity read (mode 0), an outlet command (mode 1) or one
// device of a group script (mode 2), driven by the client's notifications
// and the editor's three timers. Every test of the dialogue is a substring
// search in the last 255 or so received bytes.
#include <algorithm>

#include "common/text.h"
#include "console/app.h"
#include "console/console_settings.h"
#include "console/device_window.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "telnet/device_editor.h"
#include "telnet/group_tab.h"

namespace zol {

namespace {

constexpr uint32_t kConnectTimeOutMs = 5000;
constexpr int kBufferKeep = 255;
// What the bound of a session adds up: the login's own waits (a wrong
// password's 500 ms and the password split's 100 ms, three times), the
// script watchdog's limit per step, the closing command's 200 ms and the 3 s
// after it, and a second to spare.
constexpr uint64_t kLoginWaitsMs = 3 * (500 + 100);
constexpr uint64_t kWatchdogLimitMs = 8000;
constexpr uint64_t kClosingMs = 200 + 3000;
constexpr uint64_t kBoundSpareMs = 1000;

std::string Lower(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

// The pause of a script line that is a "wait" directive ("@" first, "wait"
// in the rest in any case, its digits the milliseconds); -1 for any other
// line.
int32_t DirectiveWait(const std::string& line) {
  if (line.empty() || line[0] != '@') return -1;
  const std::string rest = Lower(Copy(line, 2, 255));
  if (rest.find("wait") == std::string::npos) return -1;
  return DecimalOr(DigitsOnly(rest), 0);
}

}  // namespace

uint32_t DeviceEditor::SessionBound() const {
  uint64_t ms = kConnectTimeOutMs + static_cast<uint64_t>(std::max(0, app.settings().GrpTimeOut)) + kLoginWaitsMs +
                kBoundSpareMs;
  if (SessionMode == 2) {
    // Lines 1 to the last and the empty line after them are the steps; a
    // step ends within the watchdog's limit after its pause.
    ms += Memo1.Count() * kWatchdogLimitMs + kClosingMs;
    for (size_t i = 1; i < Memo1.Count(); ++i) ms += static_cast<uint64_t>(std::max(0, DirectiveWait(Memo1[i])));
  }
  return static_cast<uint32_t>(std::min<uint64_t>(ms, INT32_MAX));
}

void DeviceEditor::SessionEnded() {
  SessionLimit.SetEnabled(false);
  // A handler still waiting in Delay for this session stops when it wakes.
  ++SessionNo;
}

bool DeviceEditor::SessionAllowed(int mode) {
  // A session that starts drops a connected one. While a group send runs,
  // an identity read or outlet command would take its session and leave the
  // run without end, so those are refused and give their buttons back.
  if (mode == 2 || !app.group_tab().Sending()) return true;
  // The caller has set the login fields for its own session: the running
  // device's come back before anything else can run.
  app.group_tab().GroupQueue(0);
  app.boxes().Show("グループ送信中のため実行できません。", BoxKind::Warning, BoxButtons::Ok);
  BitBtn3.SetEnabled(true);
  if (mode == 1) app.Form7().btnmask(2);
  return false;
}

bool DeviceEditor::Wait(uint32_t ms) {
  const unsigned mine = SessionNo;
  app.Delay(ms);
  return SessionNo == mine;
}

void DeviceEditor::EngineDisconnect() {
  const bool before = engine_disconnect_;
  engine_disconnect_ = true;
  IdTelnet1.Disconnect();
  engine_disconnect_ = before;
}

bool DeviceEditor::Contains(const char* marker) const {
  return TelnetBuffer.find(marker) != std::string::npos;
}

std::string DeviceEditor::ReplyValue() const {
  const size_t eq = TelnetBuffer.find('=');
  if (eq == std::string::npos) return std::string();
  // From the second character after "=", skipping the opening quote.
  const std::string rest = Copy(TelnetBuffer, static_cast<int>(eq) + 3, 255);
  const size_t quote = rest.find('"');
  if (quote == std::string::npos) return std::string();
  return rest.substr(0, quote);
}

// --- Starting a session ---

void DeviceEditor::BitBtn3Click() {
  SessionPassword = MaskEdit1.Text();
  SessionPort = Edit12.Text();
  tenletcnt(0, std::string(), 0);
}

void DeviceEditor::tenletcnt(int mode, const std::string& command, int row) {
  if (in_refusal_) {
    next_pending_ = true;
    next_mode_ = mode;
    next_command_ = command;
    next_row_ = row;
    return;
  }
  StartSession(mode, command, row);
  while (next_pending_) {
    next_pending_ = false;
    StartSession(next_mode_, next_command_, next_row_);
  }
}

void DeviceEditor::StartSession(int mode, const std::string& command, int row) {
  if (!SessionAllowed(mode)) return;
  const unsigned mine = ++SessionNo;

  ScriptClosed = false;
  SessionMode = mode;
  SessionCommand = command;
  PasswordRetries = 0;
  SessionState = 0;
  Timer3.SetEnabled(false);
  SessionLimit.SetEnabled(false);
  // A busy device's text belongs to that device only.
  if (mode == 2) ScriptError.clear();

  if (IdTelnet1.Connected()) EngineDisconnect();
  BitBtn3.SetEnabled(false);

  std::string host;
  int32_t port = 23;
  if (row == 0) {
    host = Panel33.Caption();
    if (!ParseDecimal(SessionPort, &port)) {
      app.boxes().Show("'" + SessionPort + "' は有効な整数値ではありません。", BoxKind::Error, BoxButtons::Ok);
      return;
    }
  } else {
    const Grid& table = app.Form4().StringGrid1;
    const std::string& connect = table.Cell(dtcol::ConnectInfo, row);
    port = DecimalOr(CsvField(connect, 5), 23);
    host = CsvField(connect, 6) == "1" ? table.Cell(dtcol::IpAddress, row) : CsvField(connect, 2);
  }

  if (mode == 2) app.group_tab().grpmessin(DeviceIdText(row) + " 接続中[" + host + "]");

  TelnetBuffer.clear();
  InfoOutletNames.clear();
  InfoName.clear();
  Timer1.SetEnabled(false);
  Timer2.SetEnabled(false);
  TimedOut = true;

  if (!host.empty()) {
    const bool connected = IdTelnet1.Connect(host, port);
    if (SessionNo != mine) return;  // a newer session took over meanwhile
    if (connected) return;
  }
  // No connection: the session ends as on the session time-out.
  in_refusal_ = true;
  Timer1Timer();
  in_refusal_ = false;
}

// --- Client notifications ---

void DeviceEditor::IdTelnet1Connected() {
  TimedOut = false;
  Timer1.SetInterval(kConnectTimeOutMs);
  Timer1.SetEnabled(true);
  SessionLimit.Restart(SessionBound());
  SessionLimit.SetEnabled(true);
  if (!Wait(500)) return;
  if (SessionMode == 2) app.group_tab().grpmessin(DeviceIdText(app.group_tab().GroupQueue(0)) + " 接続成功");
  SessionState = 1;
  TelnetBuffer.clear();
}

void DeviceEditor::IdTelnet1DataAvailable(const std::string& text) {
  const long long n = static_cast<long long>(text.size());
  if (static_cast<long long>(TelnetBuffer.size()) > 254 - n) {
    const long long keep = kBufferKeep - n;
    TelnetBuffer = (keep > 0 ? Copy(TelnetBuffer, static_cast<int>(n) + 1, static_cast<int>(keep)) : std::string()) + text;
  } else {
    TelnetBuffer += text;
  }
  transcript_.Append(text);

  switch (SessionState) {
    case 1:  // banner
      if (Contains(".")) {
        // A new period from the banner, also when the interval stays.
        Timer1.Restart(static_cast<uint32_t>(std::max(0, app.settings().GrpTimeOut)));
        TelnetBuffer.clear();
        IdTelnet1.WriteLn("");
        PromptNudges = 0;
        Timer2.SetEnabled(true);
        // The script type is the group script's: an identity read or an
        // outlet command always answers the password prompt.
        SessionState = SessionMode == 2 && ScriptType == 1 ? 2 : 10;
      } else if (Contains("Too")) {
        ScriptError = "多重接続切断";
        TelnetDisConnect();
      }
      return;
    case 10:  // password prompt
      if (Contains(":")) {
        Timer2.SetEnabled(false);
        SendPassword(true);
      }
      return;
    case 2: {  // login answer
      const unsigned mine = SessionNo;
      if (Contains("Inco")) {
        WrongPassword();
        if (SessionNo != mine) return;
      }
      if (!Contains(">")) return;
      TelnetBuffer.clear();
      if (SessionMode == 0) {
        IdTelnet1.WriteLn("?debOlName");
        SessionState = 3;
      } else if (SessionMode == 1) {
        IdTelnet1.WriteLn(SessionCommand);
        SessionState = 8;
      } else {
        Timer1.SetEnabled(false);
        CpuResetPending = false;
        GroupTab& group = app.group_tab();
        group.grpmessin(DeviceIdText(group.GroupQueue(0)) + " 送信中");
        SessionState = 9;
        ScriptLine = 2;
        if (!sendtext(1)) return;
        WatchdogCount = 0;
        Timer3.SetEnabled(true);
      }
      return;
    }
    case 3:  // outlet names
      if (Contains("=")) {
        InfoOutletNames = ReplyValue();
        TelnetBuffer.clear();
        IdTelnet1.WriteLn("?sysDescr");
        SessionState = 4;
      }
      return;
    case 4:  // description
      if (Contains("=")) {
        InfoDescr = ReplyValue();
        TelnetBuffer.clear();
        IdTelnet1.WriteLn("?sysName");
        SessionState = 5;
      }
      if (Contains("found.")) {
        TelnetBuffer.clear();
        IdTelnet1.WriteLn("?model");
      }
      return;
    case 5:  // name
      if (Contains("=")) {
        SessionState = 0;
        EngineDisconnect();
        InfoName = ReplyValue();
        TelnetBuffer.clear();
        Timer1.SetEnabled(false);
        SessionEnded();
        IdentityConfirm();
      }
      return;
    case 8:  // command answer
      if (Contains(".")) {
        SessionState = 0;
        EngineDisconnect();
        TelnetBuffer.clear();
        app.Form7().btnmask(2);
        Timer1.SetEnabled(false);
        SessionEnded();
      }
      return;
    case 9:  // script
      if (Contains("bye.") || Contains("set.")) {
        Timer3.SetEnabled(false);
        Timer2.SetEnabled(false);
        EngineDisconnect();
        SessionState = 0;
        TelnetBuffer.clear();
        Timer1.SetEnabled(false);
        sendend();
      } else if (Contains(">")) {
        TelnetBuffer.clear();
        // The closing command goes once: a prompt after it changes nothing,
        // and the watchdog ends the device 3 s after it.
        if (ScriptClosed) return;
        Timer3.SetEnabled(false);
        const int n = ScriptLine++;
        if (!sendtext(n)) return;
        WatchdogCount = 0;
        Timer3.SetEnabled(true);
      }
      // Output without a prompt answers no line: the watchdog goes on
      // counting from the line sent, so a device that talks without end
      // still fails 8 s after it.
      return;
    default:  // 0 idle, 11 password split: text is only collected
      return;
  }
}

void DeviceEditor::IdTelnet1Disconnected() {
  if (SessionMode != 2 || ScriptClosed || engine_disconnect_) return;
  Timer3.SetEnabled(false);
  Timer2.SetEnabled(false);
  Timer1.SetEnabled(false);
  sendend();
}

// --- Password ---

bool DeviceEditor::SendPassword(bool use_state11) {
  const size_t at = SessionPassword.find('@');
  if (at != std::string::npos) {
    if (use_state11) SessionState = 11;
    IdTelnet1.WriteLn(SessionPassword.substr(at + 1, 20));
    if (!Wait(100)) return false;
  }
  SessionState = 2;
  IdTelnet1.WriteLn(SessionPassword.substr(0, at));
  TelnetBuffer.clear();
  return true;
}

void DeviceEditor::WrongPassword() {
  SessionState = 0;
  TelnetBuffer.clear();
  if (!Wait(500)) return;
  if (PasswordRetries < 2) {
    SessionState = 2;
    TelnetBuffer.clear();
    if (!SendPassword(false)) return;
    ++PasswordRetries;
    return;
  }
  if (SessionMode == 2) return;  // the session time-out ends the device
  // The session time-out must not add its own box while this one is open.
  Timer1.SetEnabled(false);
  Timer2.SetEnabled(false);
  SessionEnded();
  BitBtn3.SetEnabled(true);
  app.boxes().Show("パスワードが違います", BoxKind::Error, BoxButtons::Ok);
  TelnetDisConnect();
}

// --- Identity read ---

void DeviceEditor::IdentityConfirm() {
  const int n = DecimalOr(Panel20.Caption(), 0);
  std::string text = "下記の情報を設定に入力しますか？\r\r機器名称 : " + InfoName + "\r\r";
  for (int i = 1; i <= n; ++i) text += "アウトレット" + std::to_string(i) + ":" + CsvField(InfoOutletNames, i) + "\r";
  if (app.boxes().Show(text, BoxKind::Confirm, BoxButtons::YesNo) == BoxResult::Yes) {
    Edit9.SetText(InfoName);
    Label1.SetCaption(InfoDescr);
    for (int i = 1; i <= n && i <= 8; ++i) OutletEdit(i).SetText(CsvField(InfoOutletNames, i));
  }
  BitBtn4.SetEnabled(!Label1.Caption().empty());
  BitBtn3.SetEnabled(true);
}

// --- Script lines ---

bool DeviceEditor::sendtext(int n) {
  const int count = static_cast<int>(Memo1.Count());
  if (n > count) {
    if (ScriptClosed) return true;  // sent once per session
    WatchdogCount = 0;
    Timer3.SetEnabled(true);
    ScriptClosed = true;
    TimedOut = false;
    if (!Wait(200)) return false;
    IdTelnet1.WriteLn(ScriptType == 1 ? "bye." : CpuResetPending ? "cpureset" : "q");
    return true;
  }
  // Line n = count lies past the last line: an empty line.
  const std::string line = n == count ? std::string() : Memo1[static_cast<size_t>(n)];
  if (!line.empty() && line[0] == '@') {
    const int32_t pause = DirectiveWait(line);
    return pause < 0 || Wait(static_cast<uint32_t>(pause));
  }
  if (!line.empty() && line[0] == '/') return true;
  if (Lower(line).find("cpureset") != std::string::npos) {
    CpuResetPending = true;
  } else {
    IdTelnet1.WriteLn(line);
  }
  Memo& log = app.group_tab().Memo2;
  if (log.Count() > 0) {
    const size_t last = log.Count() - 1;
    log.SetLine(last, Copy(log[last], 1, 15) + "送信中[Line:" + std::to_string(n) + "]");
  }
  return true;
}

// --- Timers ---

void DeviceEditor::Timer1Timer() {
  TimedOut = true;
  Timer1.SetEnabled(false);
  if (SessionMode == 2) {
    sendend();
    return;
  }
  SessionEnded();
  if (IdTelnet1.Connected()) EngineDisconnect();
  app.boxes().Show("接続が出来ませんでした", BoxKind::Error, BoxButtons::Ok);
  BitBtn3.SetEnabled(true);
  app.Form7().btnmask(2);
}

void DeviceEditor::SessionLimitTimer() {
  SessionLimit.SetEnabled(false);
  Timer2.SetEnabled(false);
  Timer3.SetEnabled(false);
  // A device still in its session at the bound has failed, whatever it was
  // sent.
  ScriptClosed = false;
  Timer1Timer();
}

void DeviceEditor::Timer2Timer() {
  IdTelnet1.WriteLn("");
  if (++PromptNudges >= 3) Timer2.SetEnabled(false);
}

void DeviceEditor::Timer3Timer() {
  if (WatchdogCount < 9) ++WatchdogCount;
  switch (WatchdogCount) {
    case 3:
      if (ScriptClosed) {
        // The device did not end the session itself within 3 s of the
        // closing command: it counts as successful.
        Timer3.SetEnabled(false);
        sendend();
      }
      return;
    case 4:
    case 6:
      IdTelnet1.WriteLn("");
      return;
    case 8:
      TimedOut = true;
      Timer1.SetEnabled(false);
      Timer2.SetEnabled(false);
      Timer3.SetEnabled(false);
      sendend();
      return;
    default:
      return;
  }
}

// --- Ends ---

void DeviceEditor::TelnetDisConnect() {
  if (SessionMode == 2) return;  // the session time-out ends the device
  // The session time-out and the prompt nudges end with the session, so
  // no further box follows this one.
  Timer1.SetEnabled(false);
  Timer2.SetEnabled(false);
  SessionEnded();
  if (IdTelnet1.Connected()) EngineDisconnect();
  app.boxes().Show("接続が切断されました。", BoxKind::Error, BoxButtons::Ok);
  BitBtn3.SetEnabled(true);
  app.Form7().btnmask(2);
}

void DeviceEditor::sendend() {
  if (SessionMode != 2) return;
  SessionEnded();
  SessionState = 0;
  Timer1.SetEnabled(false);
  Timer2.SetEnabled(false);
  Timer3.SetEnabled(false);
  GroupTab& group = app.group_tab();
  const int id = group.GroupQueue(0);
  std::string result;
  if (ScriptClosed) {
    ++group.GrpOkCount;
    group.grpmessin(DeviceIdText(id) + " 正常終了");
    result = "○ 正常終了";
  } else {
    ++group.GrpNgCount;
    FailReason = 1;
    if (TimedOut) FailReason = 2;
    if (PasswordRetries > 1) FailReason = 3;
    if (ScriptType == 1 && !ScriptError.empty()) FailReason = 9;
    const std::string reason = FailReason == 1   ? std::string("切断")
                               : FailReason == 2 ? std::string("タイムアウト")
                               : FailReason == 3 ? std::string("Password Error")
                                                 : ScriptError;
    result = "× " + reason;
    group.grpmessin(DeviceIdText(id) + " " + reason);
  }
  const DateTime now = app.clock().Now();
  app.Form4().StringGrid1.SetCell(dtcol::GroupSendResult, id, DateText(now) + " " + TimeText(now) + " " + result);
  group.grplist();
  ScriptClosed = true;
  nextconnect();
}

void DeviceEditor::nextconnect() {
  if (SessionMode != 2) return;
  Timer1.SetEnabled(false);
  Timer2.SetEnabled(false);
  GroupTab& group = app.group_tab();
  group.Panel24.SetCaption(std::to_string(group.GrpOkCount));
  group.Panel29.SetCaption(std::to_string(group.GrpNgCount));
  if (IdTelnet1.Connected()) {
    if (!Wait(2000)) return;
    EngineDisconnect();
  }
  group.Memo2.Add("");
  const int id = group.GroupQueue(1);
  if (id > 0) {
    tenletcnt(2, std::string(), id);
    return;
  }
  // The run is over.
  group.grpmessin("終了 [成功 " + group.Panel24.Caption() + " 失敗 " + group.Panel29.Caption() + "]");
  const DateTime end = app.clock().Now();
  app.settings().GrpLastTimeE = DateText(end) + " " + TimeText(end);
  group.GroupSendLogSave(end);  // a failure has shown its box; the end goes on
  app.Form4().SettingDataSave();
  group.Panel27.SetCaption("送信完了");
  group.grp_st_check();
  app.boxes().Show("送信完了しました", BoxKind::Info, BoxButtons::Ok);
  group.RunEnded();
}

}  // namespace zol
