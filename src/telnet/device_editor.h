// The device editor (Form5). It carries the telnet session engine, the one
// engine through which every identity read, outlet command and group script
// reaches a device's telnet console. The editor's own view and its load and
// store routines join this class later; the controls here are the ones the
// engine reads and writes.
#pragma once

#include <array>
#include <string>

#include "common/controls.h"
#include "common/platform.h"
#include "console/app.h"

namespace zol {

class DeviceEditor : public Form {
 public:
  explicit DeviceEditor(App& app);
  ~DeviceEditor();
  DeviceEditor(const DeviceEditor&) = delete;
  DeviceEditor& operator=(const DeviceEditor&) = delete;

  App& app;

  // --- Controls the engine uses ---
  Edit MaskEdit1;   // telnet password
  Edit Edit12;      // telnet port
  Panel Panel33;    // the device's IP address
  Panel Panel20;    // number of outlets
  Edit Edit9;       // device name
  Edit Edit1, Edit2, Edit3, Edit4, Edit5, Edit6, Edit7, Edit8;  // outlet names
  Label Label1;     // device information text
  Button BitBtn3;   // "情報取得"
  Button BitBtn4;   // "CLS"
  Memo Memo1;       // command script of the running group send, line 0 the header
  Memo Memo2;       // session transcript (never cleared)
  // Edit1 .. Edit8 by outlet number 1..8.
  Edit& OutletEdit(int i);

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

  // Raised at every session start; a handler that waited and finds another
  // number has lost its session to a newer one and stops.
  unsigned SessionNo = 0;

 private:
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

  bool engine_disconnect_ = false;
  bool transcript_open_ = false;  // the transcript's last line goes on
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
