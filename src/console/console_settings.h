// The console settings: the values of the settings file while the console
// runs. They are fields of the main window that every subsystem reads.
#pragma once

#include <array>
#include <string>

namespace zol {

// The range of the group time-out, as the settings dialog offers it (5 to
// 3600 seconds); a value read from the settings file is held to it.
constexpr int kGrpTimeOutMinMs = 5000;
constexpr int kGrpTimeOutMaxMs = 3600000;

struct ConsoleSettings {
  bool AutoStart = false;       // [START] AUTO
  int WindowMode = 0;           // [START] WINDOW
  std::string LogDir;           // [LOG] DIR (default: the program's folder + "/")
  int UdpPort = 5000;           // [SYSTEM] PORT
  int TimeOutMin = 10;          // [SYSTEM] LTIME
  int TempDevice = 0;           // [SYSTEM] TEMP
  int GrpTimeOut = 10000;       // [SYSTEM] GRPTIMEOUT
  bool SaveRecvData = false;    // [SYSTEM] SDATA
  std::string LockPassword;     // [SYSTEM] DATA30 (scrambled)
  bool LockOn = false;          // [SYSTEM] DATA31
  std::string GrpLastTimeS;     // [SYSTEM] GRPLASTTIMES
  std::string GrpLastTimeE;     // [SYSTEM] GRPLASTTIMEE
  std::array<std::string, 11> GrpLastData;  // [SYSTEM] GRPLASTDATA0..10
  bool SysLogSave = false;      // [SYSLOG] SAVE
  bool SysLogMode = true;       // [SYSLOG] MODE
  int NtpPort = 37;             // [SYSTEM] NTPPORT
  // [SOUND] FLG_W, FLG_A, FLG_R, FLG_T and FNAME_*; index 1..4 = caution,
  // alarm, recovery, time-out (index 0 unused).
  std::array<int, 5> SoundFlg{};
  std::array<std::string, 5> SoundFName;
  std::string MailFrom;         // [EMAIL] DATA01 (scrambled)
  std::string MailUser;         // DATA02
  std::string MailPassword;     // DATA03
  std::string MailTo;           // DATA04
  std::string MailServer;       // DATA05
  int MailPort = 25;            // DATA06 (scrambled decimal)
  bool MailLimitOn = false;     // DATA07
  std::string MailLimit = "100";  // DATA08 (scrambled)
  int MailAuth = 0;             // DATA09 (scrambled decimal)
  std::string MailSubject = "ZOL YAB Report";  // DATA10 (scrambled)
  bool MailOn = false;          // FLAG00
  bool DebugShow = false;       // [SYSTEM] DEBUG, read only
  // [ICON] MASK01..07 are the pressed states of the filter buttons
  // ToolButtonChk1..7 of the main window, not fields here.

  // Run-time state beside the settings.
  bool EditUnlocked = true;
};

}  // namespace zol
