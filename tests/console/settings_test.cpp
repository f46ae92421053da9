#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <sstream>

#include "common/files.h"
#include "common/scramble.h"
#include "console/app.h"
#include "console/main_window.h"
#include "support/app_fixture.h"
#include "support/file_limit.h"

namespace zol {
namespace {

class SettingsTest : public ::testing::Test {
 protected:
  MainWindow& w() { return fx.app->Form2(); }
  std::string IniPath() { return fx.dir.File("zolyab4.Ini"); }
  void WriteIni(const std::string& bytes) {
    std::string err;
    ASSERT_TRUE(WriteFileAtomic(IniPath(), bytes, &err)) << err;
  }
  std::string ReadIni() { return ReadAll(IniPath()); }
  // Gives every setting a value other than its default.
  static void FillAll(MainWindow& m) {
    m.AutoStart = true;
    m.WindowMode = 2;
    m.LogDir = "/var/log/zol/";
    m.UdpPort = 8000;
    m.TimeOutMin = 0;
    m.TempDevice = 7;
    m.GrpTimeOut = 30000;
    m.SaveRecvData = true;
    m.LockPassword = "pass";
    m.LockOn = true;
    m.GrpLastTimeS = "2026/12/10 10:00:00";
    m.GrpLastTimeE = "2026/12/10 10:05:00";
    for (size_t i = 0; i < m.GrpLastData.size(); ++i) m.GrpLastData[i] = "再起動" + std::to_string(i) + ",/opt/s.txt";
    m.SysLogSave = true;
    m.SysLogMode = false;
    m.NtpPort = 123;
    for (int k = 1; k <= 4; ++k) {
      m.SoundFlg[k] = k % 3;
      m.SoundFName[k] = "/音/" + std::to_string(k) + ".wav";
    }
    m.MailFrom = "from@example.com";
    m.MailUser = "ユーザー";
    m.MailPassword = "";
    m.MailTo = "to@example.com,b@example.com";
    m.MailServer = "smtp.example.com";
    m.MailPort = 587;
    m.MailLimitOn = true;
    m.MailLimit = "5";
    m.MailAuth = 1;
    m.MailSubject = "電源監視 報告";
    m.MailOn = true;
    for (int i = 1; i <= 7; ++i) m.icons.ToolButtonChk[i].SetDown(i % 2 == 0);
  }

  AppFixture fx;
};

TEST_F(SettingsTest, FirstStartWithoutFileGivesDefaults) {
  MainWindow& m = w();
  FillAll(m);
  m.DebugShow = true;
  m.EditUnlocked = false;
  m.IniLoad();
  EXPECT_EQ(m.IniFile, IniPath());
  EXPECT_FALSE(m.AutoStart);
  EXPECT_EQ(m.WindowMode, 0);
  EXPECT_EQ(m.LogDir, fx.dir.path() + "/");
  EXPECT_EQ(m.UdpPort, 5000);
  EXPECT_EQ(m.TimeOutMin, 10);
  EXPECT_EQ(m.TempDevice, 0);
  EXPECT_EQ(m.GrpTimeOut, 10000);
  EXPECT_FALSE(m.SaveRecvData);
  EXPECT_EQ(m.LockPassword, "");
  EXPECT_FALSE(m.LockOn);
  EXPECT_EQ(m.GrpLastTimeS, "");
  EXPECT_EQ(m.GrpLastTimeE, "");
  for (const std::string& e : m.GrpLastData) EXPECT_EQ(e, "");
  EXPECT_FALSE(m.SysLogSave);
  EXPECT_TRUE(m.SysLogMode);
  EXPECT_EQ(m.NtpPort, 37);
  for (int k = 1; k <= 4; ++k) {
    EXPECT_EQ(m.SoundFlg[k], 0);
    EXPECT_EQ(m.SoundFName[k], "");
  }
  EXPECT_EQ(m.MailFrom, "");
  EXPECT_EQ(m.MailUser, "");
  EXPECT_EQ(m.MailPassword, "");
  EXPECT_EQ(m.MailTo, "");
  EXPECT_EQ(m.MailServer, "");
  EXPECT_EQ(m.MailPort, 25);
  EXPECT_FALSE(m.MailLimitOn);
  EXPECT_EQ(m.MailLimit, "100");
  EXPECT_EQ(m.MailAuth, 0);
  EXPECT_EQ(m.MailSubject, "ZOL YAB Report");
  EXPECT_FALSE(m.MailOn);
  EXPECT_FALSE(m.DebugShow);
  for (int i = 1; i <= 7; ++i) EXPECT_TRUE(m.icons.ToolButtonChk[i].Down()) << i;
  EXPECT_TRUE(m.EditUnlocked);
  EXPECT_FALSE(FileExists(IniPath()));  // loading creates nothing
}

TEST_F(SettingsTest, ValueForms) {
  struct Case {
    const char* file;
    std::function<void(MainWindow&)> check;
  } cases[] = {
      {"[SYSTEM]\r\nPORT=0x1F40\r\n", [](MainWindow& m) { EXPECT_EQ(m.UdpPort, 8000); }},
      {"[SYSTEM]\r\nPORT=abc\r\n", [](MainWindow& m) { EXPECT_EQ(m.UdpPort, 5000); }},
      {"[SYSTEM]\r\nPORT=12AB\r\n", [](MainWindow& m) { EXPECT_EQ(m.UdpPort, 5000); }},
      {"[SYSTEM]\r\nPORT=99999999999\r\n", [](MainWindow& m) { EXPECT_EQ(m.UdpPort, 5000); }},
      {"[system]\r\nport=7000\r\n", [](MainWindow& m) { EXPECT_EQ(m.UdpPort, 7000); }},
      {"[SYSLOG]\r\nMODE=\r\n", [](MainWindow& m) { EXPECT_TRUE(m.SysLogMode); }},
      {"[SYSLOG]\r\nMODE=0\r\n", [](MainWindow& m) { EXPECT_FALSE(m.SysLogMode); }},
      {"[SYSTEM]\r\nDEBUG=1\r\n", [](MainWindow& m) { EXPECT_TRUE(m.DebugShow); }},
      {"[SYSTEM]\r\nDATA31=1\r\n", [](MainWindow& m) {
         EXPECT_TRUE(m.LockOn);
         EXPECT_FALSE(m.EditUnlocked);
       }},
      {"[ICON]\r\nMASK03=0\r\nMASK05=\r\n", [](MainWindow& m) {
         for (int i = 1; i <= 7; ++i) EXPECT_EQ(m.icons.ToolButtonChk[i].Down(), i != 3) << i;
       }},
      {"[LOG]\r\nDIR=\r\n", [](MainWindow& m) { EXPECT_EQ(m.LogDir, ""); }},
      // The group time-out is held to the dialog's 5 to 3600 seconds.
      {"[SYSTEM]\r\nGRPTIMEOUT=0\r\n", [](MainWindow& m) { EXPECT_EQ(m.GrpTimeOut, 5000); }},
      {"[SYSTEM]\r\nGRPTIMEOUT=-1\r\n", [](MainWindow& m) { EXPECT_EQ(m.GrpTimeOut, 5000); }},
      {"[SYSTEM]\r\nGRPTIMEOUT=4999\r\n", [](MainWindow& m) { EXPECT_EQ(m.GrpTimeOut, 5000); }},
      {"[SYSTEM]\r\nGRPTIMEOUT=5000\r\n", [](MainWindow& m) { EXPECT_EQ(m.GrpTimeOut, 5000); }},
      {"[SYSTEM]\r\nGRPTIMEOUT=3600000\r\n", [](MainWindow& m) { EXPECT_EQ(m.GrpTimeOut, 3600000); }},
      {"[SYSTEM]\r\nGRPTIMEOUT=3600001\r\n", [](MainWindow& m) { EXPECT_EQ(m.GrpTimeOut, 3600000); }},
      {"[SYSTEM]\r\nGRPTIMEOUT=x\r\n", [](MainWindow& m) { EXPECT_EQ(m.GrpTimeOut, 10000); }},
      // Present but not decodable: empty texts, number defaults.
      {"[EMAIL]\r\nDATA08=0\r\nDATA10=XYZ\r\nDATA06=00\r\nDATA09=1234\r\n", [](MainWindow& m) {
         EXPECT_EQ(m.MailLimit, "");
         EXPECT_EQ(m.MailSubject, "");
         EXPECT_EQ(m.MailPort, 25);
         EXPECT_EQ(m.MailAuth, 0);
       }},
      {"[EMAIL]\r\nDATA08=\r\nDATA10=\r\n", [](MainWindow& m) {
         EXPECT_EQ(m.MailLimit, "");
         EXPECT_EQ(m.MailSubject, "");
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    WriteIni(c.file);
    w().IniLoad();
    c.check(w());
  }
}

TEST_F(SettingsTest, ScrambledKeysDecode) {
  WriteIni("[EMAIL]\r\nDATA06=" + Scramble("587", 1) + "\r\nDATA09=" + Scramble("1", 1) +
           "\r\nDATA03=" + Scramble("secret", 1) + "\r\n[SYSTEM]\r\nDATA30=" + Scramble("lock", 1) + "\r\n");
  w().IniLoad();
  EXPECT_EQ(w().MailPort, 587);
  EXPECT_EQ(w().MailAuth, 1);
  EXPECT_EQ(w().MailPassword, "secret");
  EXPECT_EQ(w().LockPassword, "lock");
  EXPECT_EQ(w().MailLimit, "100");  // absent
}

TEST_F(SettingsTest, FreshFileBytes) {
  w().IniLoad();
  ASSERT_TRUE(w().IniSave());
  const std::string expected =
      "[START]\r\nAUTO=0\r\nWINDOW=0\r\n"
      "[LOG]\r\nDIR=" + fx.dir.path() + "/\r\n"
      "[SYSTEM]\r\nPORT=5000\r\nLTIME=10\r\nTEMP=0\r\nGRPTIMEOUT=10000\r\nSDATA=0\r\nDATA30=\r\nDATA31=0\r\n"
      "GRPLASTTIMES=\r\nGRPLASTTIMEE=\r\n"
      "GRPLASTDATA0=\r\nGRPLASTDATA1=\r\nGRPLASTDATA2=\r\nGRPLASTDATA3=\r\nGRPLASTDATA4=\r\n"
      "GRPLASTDATA5=\r\nGRPLASTDATA6=\r\nGRPLASTDATA7=\r\nGRPLASTDATA8=\r\nGRPLASTDATA9=\r\n"
      "GRPLASTDATA10=\r\nNTPPORT=37\r\n"
      "[SYSLOG]\r\nSAVE=0\r\nMODE=1\r\n"
      "[SOUND]\r\nFLG_W=0\r\nFLG_A=0\r\nFLG_R=0\r\nFLG_T=0\r\nFNAME_W=\r\nFNAME_A=\r\nFNAME_R=\r\nFNAME_T=\r\n"
      "[EMAIL]\r\nDATA01=\r\nDATA02=\r\nDATA03=\r\nDATA04=\r\nDATA05=\r\nDATA06=9363B3A3\r\nDATA07=0\r\n"
      "DATA08=53536363E3\r\nDATA09=333363\r\nDATA10=4425F60555230625159306C7F8A74888\r\nFLAG00=0\r\n"
      "[ICON]\r\nMASK01=1\r\nMASK02=1\r\nMASK03=1\r\nMASK04=1\r\nMASK05=1\r\nMASK06=1\r\nMASK07=1\r\n";
  EXPECT_EQ(ReadIni(), expected);
  EXPECT_TRUE(fx.boxes.shown.empty());
}

TEST_F(SettingsTest, EverySettingRoundTrips) {
  FillAll(w());
  ASSERT_TRUE(w().IniSave());
  EXPECT_NE(ReadIni().find("\r\nDATA03=\r\n"), std::string::npos);  // empty password stored empty

  App other(fx.app->services);
  MainWindow& m = other.Form2();
  m.IniLoad();
  MainWindow& f = w();
  EXPECT_EQ(m.AutoStart, f.AutoStart);
  EXPECT_EQ(m.WindowMode, f.WindowMode);
  EXPECT_EQ(m.LogDir, f.LogDir);
  EXPECT_EQ(m.UdpPort, f.UdpPort);
  EXPECT_EQ(m.TimeOutMin, f.TimeOutMin);
  EXPECT_EQ(m.TempDevice, f.TempDevice);
  EXPECT_EQ(m.GrpTimeOut, f.GrpTimeOut);
  EXPECT_EQ(m.SaveRecvData, f.SaveRecvData);
  EXPECT_EQ(m.LockPassword, f.LockPassword);
  EXPECT_EQ(m.LockOn, f.LockOn);
  EXPECT_FALSE(m.EditUnlocked);
  EXPECT_EQ(m.GrpLastTimeS, f.GrpLastTimeS);
  EXPECT_EQ(m.GrpLastTimeE, f.GrpLastTimeE);
  EXPECT_EQ(m.GrpLastData, f.GrpLastData);
  EXPECT_EQ(m.SysLogSave, f.SysLogSave);
  EXPECT_EQ(m.SysLogMode, f.SysLogMode);
  EXPECT_EQ(m.NtpPort, f.NtpPort);
  EXPECT_EQ(m.SoundFlg, f.SoundFlg);
  EXPECT_EQ(m.SoundFName, f.SoundFName);
  EXPECT_EQ(m.MailFrom, f.MailFrom);
  EXPECT_EQ(m.MailUser, f.MailUser);
  EXPECT_EQ(m.MailPassword, "");
  EXPECT_EQ(m.MailTo, f.MailTo);
  EXPECT_EQ(m.MailServer, f.MailServer);
  EXPECT_EQ(m.MailPort, f.MailPort);
  EXPECT_EQ(m.MailLimitOn, f.MailLimitOn);
  EXPECT_EQ(m.MailLimit, f.MailLimit);
  EXPECT_EQ(m.MailAuth, f.MailAuth);
  EXPECT_EQ(m.MailSubject, f.MailSubject);
  EXPECT_EQ(m.MailOn, f.MailOn);
  for (int i = 1; i <= 7; ++i) EXPECT_EQ(m.icons.ToolButtonChk[i].Down(), f.icons.ToolButtonChk[i].Down()) << i;
}

TEST_F(SettingsTest, HandWrittenKeysSurviveAndSavesAreStable) {
  WriteIni(
      "; written by hand\r\n"
      "[system]\r\n"
      "DEBUG=1\r\n"
      "port=6000\r\n"
      "OWN=x\r\n"
      "\r\n"
      "[EXTRA]\r\n"
      "Key=値\r\n");
  w().IniLoad();
  EXPECT_TRUE(w().DebugShow);
  EXPECT_EQ(w().UdpPort, 6000);
  ASSERT_TRUE(w().IniSave());
  const std::string first = ReadIni();
  ASSERT_TRUE(w().IniSave());
  EXPECT_EQ(ReadIni(), first);  // no change, same bytes

  EXPECT_EQ(first.rfind("; written by hand\r\n[system]\r\nDEBUG=1\r\nport=6000\r\nOWN=x\r\nLTIME=10\r\n", 0), 0u)
      << first;
  EXPECT_NE(first.find("GRPLASTDATA10=\r\nNTPPORT=37\r\n\r\n[EXTRA]\r\nKey=値\r\n[START]\r\n"), std::string::npos)
      << first;

  App other(fx.app->services);
  other.Form2().IniLoad();
  EXPECT_TRUE(other.Form2().DebugShow);
}

TEST_F(SettingsTest, FileFoundWithoutRegardToCase) {
  std::string err;
  ASSERT_TRUE(WriteFileAtomic(fx.dir.File("zolyab4.ini"), "[SYSTEM]\r\nPORT=6001\r\n", &err));
  w().IniLoad();
  EXPECT_EQ(w().IniFile, fx.dir.File("zolyab4.ini"));
  EXPECT_EQ(w().UdpPort, 6001);
  ASSERT_TRUE(w().IniSave());
  EXPECT_FALSE(FileExists(IniPath()));
  std::string bytes;
  ASSERT_TRUE(ReadFile(fx.dir.File("zolyab4.ini"), &bytes));
  EXPECT_EQ(bytes.rfind("[SYSTEM]\r\nPORT=6001\r\n", 0), 0u);
}

TEST_F(SettingsTest, FailedSaveKeepsOldFileAndShowsError) {
  const std::string old = "[SYSTEM]\r\nPORT=6000\r\nDEBUG=1\r\n";
  WriteIni(old);
  w().IniLoad();
  w().UdpPort = 7000;
  {
    FileSizeLimit limit(8);  // the new file cannot be written
    EXPECT_FALSE(w().IniSave());
  }
  EXPECT_EQ(ReadIni(), old);
  ASSERT_EQ(fx.boxes.shown.size(), 1u);
  EXPECT_EQ(fx.boxes.shown[0].text, IniPath() + " に書き込めません");
  EXPECT_EQ(fx.boxes.shown[0].kind, BoxKind::Error);
  EXPECT_EQ(fx.boxes.shown[0].buttons, BoxButtons::Ok);

  EXPECT_TRUE(w().IniSave());
  EXPECT_NE(ReadIni().find("PORT=7000\r\n"), std::string::npos);
}

TEST_F(SettingsTest, FolderInPlaceOfFileIsNotOverwritten) {
  ASSERT_EQ(mkdir(IniPath().c_str(), 0755), 0);
  EXPECT_FALSE(w().IniSave());
  ASSERT_EQ(fx.boxes.shown.size(), 1u);
  EXPECT_EQ(fx.boxes.shown[0].kind, BoxKind::Error);
}

// A settings file that is there at start but cannot be read gives the
// defaults for the run; mended while the console runs (here: a folder in its
// place, then the file), it is still not overwritten with those defaults.
TEST_F(SettingsTest, AFileUnreadableAtStartIsNeverOverwritten) {
  ASSERT_EQ(mkdir(IniPath().c_str(), 0755), 0);
  w().IniLoad();
  EXPECT_EQ(w().UdpPort, 5000);
  ASSERT_EQ(rmdir(IniPath().c_str()), 0);
  const std::string operators = "[SYSTEM]\r\nPORT=6000\r\nDATA31=1\r\n[EMAIL]\r\nFLAG00=1\r\n";
  WriteIni(operators);
  EXPECT_FALSE(w().IniSave());
  EXPECT_EQ(ReadIni(), operators);
  ASSERT_EQ(fx.boxes.shown.size(), 1u);
  EXPECT_EQ(fx.boxes.shown[0].kind, BoxKind::Error);
  EXPECT_EQ(fx.boxes.shown[0].text.rfind(IniPath() + ": ", 0), 0u);

  // Read at the next start, the file is the console's again.
  w().IniLoad();
  EXPECT_EQ(w().UdpPort, 6000);
  w().UdpPort = 6001;
  EXPECT_TRUE(w().IniSave());
  EXPECT_NE(ReadIni().find("PORT=6001\r\n"), std::string::npos);
}

// An independent reader sees every key and value as the console wrote it.
TEST_F(SettingsTest, PythonConfigParserReadsTheFile) {
  const char* python = "/usr/bin/python3";
  if (access(python, X_OK) != 0) GTEST_SKIP() << "no " << python;
  FillAll(w());
  ASSERT_TRUE(w().IniSave());

  const std::string script = fx.dir.File("read_ini.py");
  std::string err;
  ASSERT_TRUE(WriteFileAtomic(script,
                              "import sys, configparser\n"
                              "text = open(sys.argv[1], 'rb').read().decode('cp932')\n"
                              "cp = configparser.ConfigParser(interpolation=None, strict=True)\n"
                              "cp.optionxform = str\n"
                              "cp.read_string(text)\n"
                              "out = ''\n"
                              "for s in cp.sections():\n"
                              "    for k, v in cp.items(s):\n"
                              "        out += s + '\\t' + k + '\\t' + v + '\\n'\n"
                              "sys.stdout.buffer.write(out.encode('cp932'))\n",
                              &err));
  FILE* p = popen((std::string(python) + " '" + script + "' '" + IniPath() + "'").c_str(), "r");
  ASSERT_NE(p, nullptr);
  std::string got;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) got.append(buf, n);
  ASSERT_EQ(pclose(p), 0) << got;

  MainWindow& m = w();
  std::ostringstream want;
  auto line = [&](const std::string& s, const std::string& k, const std::string& v) {
    want << s << '\t' << k << '\t' << v << '\n';
  };
  auto b = [](bool v) { return std::string(v ? "1" : "0"); };
  line("START", "AUTO", "1");
  line("START", "WINDOW", "2");
  line("LOG", "DIR", "/var/log/zol/");
  line("SYSTEM", "PORT", "8000");
  line("SYSTEM", "LTIME", "0");
  line("SYSTEM", "TEMP", "7");
  line("SYSTEM", "GRPTIMEOUT", "30000");
  line("SYSTEM", "SDATA", "1");
  line("SYSTEM", "DATA30", Scramble("pass", 1));
  line("SYSTEM", "DATA31", "1");
  line("SYSTEM", "GRPLASTTIMES", m.GrpLastTimeS);
  line("SYSTEM", "GRPLASTTIMEE", m.GrpLastTimeE);
  for (size_t i = 0; i < 11; ++i) line("SYSTEM", "GRPLASTDATA" + std::to_string(i), m.GrpLastData[i]);
  line("SYSTEM", "NTPPORT", "123");
  line("SYSLOG", "SAVE", "1");
  line("SYSLOG", "MODE", "0");
  const char* kinds = "WART";
  for (int k = 0; k < 4; ++k) line("SOUND", std::string("FLG_") + kinds[k], std::to_string((k + 1) % 3));
  for (int k = 0; k < 4; ++k) line("SOUND", std::string("FNAME_") + kinds[k], m.SoundFName[k + 1]);
  line("EMAIL", "DATA01", Scramble(m.MailFrom, 1));
  line("EMAIL", "DATA02", Scramble(m.MailUser, 1));
  line("EMAIL", "DATA03", "");
  line("EMAIL", "DATA04", Scramble(m.MailTo, 1));
  line("EMAIL", "DATA05", Scramble(m.MailServer, 1));
  line("EMAIL", "DATA06", Scramble("587", 1));
  line("EMAIL", "DATA07", "1");
  line("EMAIL", "DATA08", Scramble("5", 1));
  line("EMAIL", "DATA09", Scramble("1", 1));
  line("EMAIL", "DATA10", Scramble(m.MailSubject, 1));
  line("EMAIL", "FLAG00", "1");
  for (int i = 1; i <= 7; ++i) line("ICON", "MASK0" + std::to_string(i), b(i % 2 == 0));
  EXPECT_EQ(got, want.str());
}

}  // namespace
}  // namespace zol
