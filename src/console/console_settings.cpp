// The settings file: loading the console settings at the main window's
// creation and writing them back (IniLoad, IniSave).
#include <algorithm>
#include <string>

#include "common/files.h"
#include "common/ini_file.h"
#include "common/program_files.h"
#include "common/scramble.h"
#include "common/text.h"
#include "console/app.h"
#include "console/main_window.h"

namespace zol {

namespace {

const char* const kSoundKeys[5] = {"", "W", "A", "R", "T"};  // caution, alarm, recovery, time-out

std::string MaskKey(int i) { return "MASK0" + std::to_string(i); }

// The folder that holds the program, with a trailing separator; empty for a
// bare program name.
std::string ProgramFolder(const std::string& program_path) {
  std::string dir = DirName(program_path);
  if (dir.empty() || dir.back() == '/') return dir;
  return dir + "/";
}

}  // namespace

void MainWindow::IniLoad() {
  IniFile = ProgramFile(app.services.program_path, ".Ini");
  IniDocument ini;
  // A file that is missing has no keys; one that is there but cannot be
  // read gives the defaults too, and is held: a save would put them in
  // place of the settings it holds.
  IniFileHeld = !ini.Load(IniFile);

  AutoStart = ini.ReadBool("START", "AUTO", false);
  WindowMode = ini.ReadInteger("START", "WINDOW", 0);
  UdpPort = ini.ReadInteger("SYSTEM", "PORT", 5000);
  TimeOutMin = ini.ReadInteger("SYSTEM", "LTIME", 10);
  DebugShow = ini.ReadBool("SYSTEM", "DEBUG", false);
  TempDevice = ini.ReadInteger("SYSTEM", "TEMP", 0);
  SysLogSave = ini.ReadBool("SYSLOG", "SAVE", false);
  SysLogMode = ini.ReadBool("SYSLOG", "MODE", true);
  // The group time-out is held to the settings dialog's range, 5 to 3600
  // seconds: 0 or less would leave a session after the banner without end.
  GrpTimeOut = std::clamp(ini.ReadInteger("SYSTEM", "GRPTIMEOUT", 10000), kGrpTimeOutMinMs, kGrpTimeOutMaxMs);
  SaveRecvData = ini.ReadBool("SYSTEM", "SDATA", false);
  NtpPort = ini.ReadInteger("SYSTEM", "NTPPORT", 37);
  LockPassword = Scramble(ini.ReadString("SYSTEM", "DATA30", ""), 0);
  LockOn = ini.ReadBool("SYSTEM", "DATA31", false);
  GrpLastTimeS = ini.ReadString("SYSTEM", "GRPLASTTIMES", "");
  GrpLastTimeE = ini.ReadString("SYSTEM", "GRPLASTTIMEE", "");
  for (size_t i = 0; i < GrpLastData.size(); ++i) {
    GrpLastData[i] = ini.ReadString("SYSTEM", "GRPLASTDATA" + std::to_string(i), "");
  }

  EditUnlocked = false;
  if (!LockOn) EditUnlocked = true;

  for (int k = 1; k <= 4; ++k) SoundFlg[k] = ini.ReadInteger("SOUND", std::string("FLG_") + kSoundKeys[k], 0);
  for (int k = 1; k <= 4; ++k) SoundFName[k] = ini.ReadString("SOUND", std::string("FNAME_") + kSoundKeys[k], "");

  MailFrom = Scramble(ini.ReadString("EMAIL", "DATA01", ""), 0);
  MailUser = Scramble(ini.ReadString("EMAIL", "DATA02", ""), 0);
  MailPassword = Scramble(ini.ReadString("EMAIL", "DATA03", ""), 0);
  MailTo = Scramble(ini.ReadString("EMAIL", "DATA04", ""), 0);
  MailServer = Scramble(ini.ReadString("EMAIL", "DATA05", ""), 0);
  MailPort = DecimalOr(Scramble(ini.ReadString("EMAIL", "DATA06", ""), 0), 25);
  MailLimitOn = ini.ReadBool("EMAIL", "DATA07", false);
  // An absent key reads as the scrambled default, a present one that does
  // not decode as the empty text.
  MailLimit = Scramble(ini.ReadString("EMAIL", "DATA08", Scramble("100", 1)), 0);
  MailAuth = DecimalOr(Scramble(ini.ReadString("EMAIL", "DATA09", ""), 0), 0);
  MailSubject = Scramble(ini.ReadString("EMAIL", "DATA10", Scramble("ZOL YAB Report", 1)), 0);
  MailOn = ini.ReadBool("EMAIL", "FLAG00", false);

  for (int i = 1; i <= 7; ++i) icons.ToolButtonChk[static_cast<size_t>(i)].SetDown(ini.ReadBool("ICON", MaskKey(i), true));

  LogDir = ini.ReadString("LOG", "DIR", ProgramFolder(app.services.program_path));
}

bool MainWindow::IniSave() {
  IniFile = ProgramFile(app.services.program_path, ".Ini");
  if (IniFileHeld) {
    app.boxes().Show(IniFile + ": 起動時に読み込めなかったため、上書きしません", BoxKind::Error, BoxButtons::Ok);
    return false;
  }
  IniDocument ini;
  std::string err;
  // The keys this save does not write (DEBUG among them) are kept, so the
  // file is read first; one that cannot be read is not overwritten.
  bool ok = ini.Load(IniFile, &err);
  if (ok) {
    ini.WriteBool("START", "AUTO", AutoStart);
    ini.WriteInteger("START", "WINDOW", WindowMode);
    ini.WriteString("LOG", "DIR", LogDir);
    ini.WriteInteger("SYSTEM", "PORT", UdpPort);
    ini.WriteInteger("SYSTEM", "LTIME", TimeOutMin);
    ini.WriteInteger("SYSTEM", "TEMP", TempDevice);
    ini.WriteInteger("SYSTEM", "GRPTIMEOUT", GrpTimeOut);
    ini.WriteBool("SYSTEM", "SDATA", SaveRecvData);
    ini.WriteString("SYSTEM", "DATA30", Scramble(LockPassword, 1));
    ini.WriteBool("SYSTEM", "DATA31", LockOn);
    ini.WriteString("SYSTEM", "GRPLASTTIMES", GrpLastTimeS);
    ini.WriteString("SYSTEM", "GRPLASTTIMEE", GrpLastTimeE);
    for (size_t i = 0; i < GrpLastData.size(); ++i) {
      ini.WriteString("SYSTEM", "GRPLASTDATA" + std::to_string(i), GrpLastData[i]);
    }
    ini.WriteBool("SYSLOG", "SAVE", SysLogSave);
    ini.WriteBool("SYSLOG", "MODE", SysLogMode);
    ini.WriteInteger("SYSTEM", "NTPPORT", NtpPort);
    for (int k = 1; k <= 4; ++k) ini.WriteInteger("SOUND", std::string("FLG_") + kSoundKeys[k], SoundFlg[k]);
    for (int k = 1; k <= 4; ++k) ini.WriteString("SOUND", std::string("FNAME_") + kSoundKeys[k], SoundFName[k]);
    ini.WriteString("EMAIL", "DATA01", Scramble(MailFrom, 1));
    ini.WriteString("EMAIL", "DATA02", Scramble(MailUser, 1));
    ini.WriteString("EMAIL", "DATA03", Scramble(MailPassword, 1));
    ini.WriteString("EMAIL", "DATA04", Scramble(MailTo, 1));
    ini.WriteString("EMAIL", "DATA05", Scramble(MailServer, 1));
    ini.WriteString("EMAIL", "DATA06", Scramble(std::to_string(MailPort), 1));
    ini.WriteBool("EMAIL", "DATA07", MailLimitOn);
    ini.WriteString("EMAIL", "DATA08", Scramble(MailLimit, 1));
    ini.WriteString("EMAIL", "DATA09", Scramble(std::to_string(MailAuth), 1));
    ini.WriteString("EMAIL", "DATA10", Scramble(MailSubject, 1));
    ini.WriteBool("EMAIL", "FLAG00", MailOn);
    for (int i = 1; i <= 7; ++i) ini.WriteBool("ICON", MaskKey(i), icons.ToolButtonChk[static_cast<size_t>(i)].Down());
    // The whole file goes to disk at once: a failure leaves the old one whole.
    ok = ini.Save(IniFile, &err);
  }
  if (!ok) {
    app.boxes().Show(IniFile + " に書き込めません", BoxKind::Error, BoxButtons::Ok);
    return false;
  }
  return true;
}

}  // namespace zol
