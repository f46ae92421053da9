#include "monitor/change_detection.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "common/files.h"
#include "common/text.h"
#include "monitor/icon_view.h"
#include "monitor/item_state.h"
#include "monitor/system_log.h"
#include "monitor_fixture.h"
#include "settings/message_editor.h"

namespace zol {
namespace {

using Body = std::vector<std::string>;

// Device 7 watches PING on every outlet; mail is on and every mail is
// recorded.
class ChangeDetectionTest : public MonitorFixture {
 protected:
  ChangeDetectionTest() {
    main().MailOn = true;
    UsableMailSettings(main());
    smtp.OnSend = [this](const SmtpMail& mail) { mails.push_back(MailBodyLines(mail)); };
    // Every sound kind plays its own existing wave file.
    for (int k = 1; k <= 4; ++k) {
      main().SoundFlg[size_t(k)] = 2;
      main().SoundFName[size_t(k)] = dir.File("s" + std::to_string(k) + ".wav");
      AppendToFile(main().SoundFName[size_t(k)], "RIFF");
    }
    Register(7, MacOf(7), "11111111");
  }

  std::string Wav(int kind) { return "wav:" + dir.File("s" + std::to_string(kind) + ".wav"); }

  // The system log lines of item events written so far.
  std::vector<std::string> EventLogs() {
    std::vector<std::string> out;
    for (const std::string& l : main().system_log.ListBox2.All())
      if (l.rfind("(0200) ", 0) == 0) out.push_back(l.substr(27));
    return out;
  }
  std::vector<std::string> Collected(int row) {
    for (const auto& m : main().alerts.MailBody)
      if (m.row == row) return m.lines;
    return {};
  }

  std::vector<Body> mails;
};

// Outlet 3 of device 7 goes from PING normal to PING abnormal.
TEST_F(ChangeDetectionTest, PingAbnormalLogsAndMails) {
  table().SetCell(dtcol::NotifyFlags, 7, "01000000 00000000");
  table().SetCell(dtcol::OutletNames, 7, "a,b,Rack3,d,e,f,g,h,");
  SetMonitoring(true);
  Datagram(HealthyRecord(MacOf(7)));
  ASSERT_EQ(EventLogs().size(), 8u);  // every slot was 不明: 9 -> 0
  EXPECT_EQ(EventLogs()[0], "ID007 Outlet8 PING 正常");
  EXPECT_TRUE(mails.empty());  // recovery from a fresh icon: no mail

  LiveRec rec = HealthyRecord(MacOf(7));
  rec[1] = "12:53:00";
  rec[12] = "0001 0001 0002 0001 0001 0001 0001 0001";
  Datagram(rec, 2);
  ASSERT_EQ(EventLogs().size(), 9u);
  EXPECT_EQ(EventLogs()[0], "ID007 Outlet3 PING 異常");
  EXPECT_EQ(main().system_log.ListBox2.Line(0).substr(0, 27), "(0200) 2010/11/16 12:52:07 ");
  ASSERT_EQ(mails.size(), 1u);
  EXPECT_EQ(mails[0], (Body{"2010/11/16 12:53:00   (2010/11/16 12:52:07)", "ID007 Dev7 (G001 Floor)", "memo7", "",
                            "3: PING 異常           <- PING 正常   Rack3"}));
  EXPECT_EQ(main().alerts.MailCount, 1);
  EXPECT_EQ(Cell(dtcol::ItemImages, 7), "0000 0000 0002 0000 0000 0000 0000 0000 ");
  EXPECT_TRUE(main().alerts.MailBody.empty());
}

TEST(EventLineText, ByteWidths) {
  EXPECT_EQ(EventLine(3, "PING 異常", "PING 正常", "Rack3"), "3: PING 異常" + std::string(11, ' ') + "<- PING 正常   Rack3");
  // The previous text is cut before its "(", then padded; long texts are cut.
  EXPECT_EQ(EventLine(1, "温度 注意 (23.5℃)", "温度 正常 (23.5℃)", "R"),
            "1: 温度 注意 (23.5℃)  <- 温度 正常   R");
  EXPECT_EQ(EventLine(2, "123456789012345678901234", "1234567890123456", ""),
            "2: 12345678901234567890<- 123456789012");
}

// One item evaluated against its recorded slot, with every notice wanted.
struct AlertCase {
  const char* what;
  const char* kinds;
  std::vector<std::pair<int, std::string>> cells;  // the new data
  int old_image;                                   // icon and slot before
  int new_image;
  int sound;  // SoundKind played, 0 none
  bool mailed;
};

class AlertTest : public ChangeDetectionTest, public ::testing::WithParamInterface<AlertCase> {
 protected:
  // Outlet 1 of device 7 evaluated while monitoring runs, from the case's
  // old image (icon and slot) to its new data, with the given notify flags.
  void Evaluate(const AlertCase& c, const std::string& flags) {
    main().TimeOutMin = 10;
    table().SetCell(dtcol::ItemKinds, 7, c.kinds);
    table().SetCell(dtcol::NotifyFlags, 7, flags);
    sim.SetBootMillis(10'000'000);
    SetLive(7, HealthyRecord(MacOf(7)));
    for (const auto& cell : c.cells) table().SetCell(cell.first, 7, cell.second);
    SetMonitoring(false);
    main().icons.IconReStetingData();  // monitoring stopped: nothing raised
    main().icons.ListView1.SetImage(size_t(main().icons.FindIcon(7, 1)), c.old_image);
    table().SetCell(dtcol::ItemImages, 7, ZeroPad(c.old_image, 4) + " 0000 0000 0000 0000 0000 0000 0000 ");
    SetMonitoring(true);
    main().alerts.ListDataCheck(7, 1);
  }
};

TEST_P(AlertTest, ByNewImage) {
  const AlertCase& c = GetParam();
  Evaluate(c, "11110000 11110000");

  EXPECT_EQ(ImageOf(7, 1), c.new_image);
  EXPECT_EQ(Cell(dtcol::ItemImages, 7).substr(0, 5), ZeroPad(c.new_image, 4) + " ");
  ASSERT_EQ(EventLogs().size(), 1u);
  EXPECT_EQ(EventLogs()[0], "ID007 Outlet1 " + main().states.StateImageText(c.new_image, 7));
  EXPECT_EQ(sound.calls, c.sound ? std::vector<std::string>{Wav(c.sound)} : std::vector<std::string>{});
  EXPECT_EQ(Collected(7).size(), c.mailed ? 1u : 0u);
}

// Each alert listens to its own sound character (10 to 13) and mail
// character (1 to 4) of the notify flags and to no other.
TEST_P(AlertTest, EachNoticeHasItsOwnFlag) {
  const AlertCase& c = GetParam();
  for (int p = 1; p <= 19; ++p) {
    std::string flags(19, '0');
    flags[size_t(p - 1)] = '1';
    sound.calls.clear();
    main().alerts.MailBody.clear();
    Evaluate(c, flags);
    const bool sounded = c.sound != 0 && p == 9 + c.sound;
    const bool mailed = c.mailed && p == c.sound;
    EXPECT_EQ(sound.calls, sounded ? std::vector<std::string>{Wav(c.sound)} : std::vector<std::string>{}) << p;
    EXPECT_EQ(Collected(7).size(), mailed ? 1u : 0u) << p;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Images, AlertTest,
    ::testing::Values(
        AlertCase{"caution", "1", {{dtcol::PngNoResp2, "0001"}}, 0, 1, 1, true},
        AlertCase{"alarm", "1", {{dtcol::PngJudge, "0002"}}, 0, 2, 2, true},
        AlertCase{"recovery", "1", {}, 2, 0, 3, true},
        AlertCase{"temperature recovery", "2", {}, 4, 3, 3, true},
        AlertCase{"temperature alarm", "2", {{dtcol::Status, "02"}}, 3, 5, 2, true},
        AlertCase{"recovery on a fresh icon", "1", {}, 9, 0, 0, false},
        AlertCase{"time-out", "1", {{dtcol::RecvTick, "1000"}}, 0, 8, 4, true},
        AlertCase{"unknown", "1", {{dtcol::PngAction, "0000"}}, 0, 9, 0, false},
        AlertCase{"power on", "0", {}, 6, 7, 0, false},
        AlertCase{"power off", "0", {{dtcol::PngPower, "0000"}}, 7, 6, 0, false}),
    [](const ::testing::TestParamInfo<AlertCase>& info) {
      std::string name;
      for (const char* p = info.param.what; *p; ++p) name += isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
      return name;
    });

TEST_F(ChangeDetectionTest, HiddenItemIsNotEvaluated) {
  table().SetCell(dtcol::ItemKinds, 7, "10000000");
  table().SetCell(dtcol::NotifyFlags, 7, "11110000 11110000");
  table().SetCell(dtcol::ItemImages, 7, "0000 0006 0006 0006 0006 0006 0006 0006 ");
  main().icons.ToolButtonChk[2].SetDown(false);  // PING items hidden
  SetMonitoring(true);
  LiveRec rec = HealthyRecord(MacOf(7));
  rec[12] = Words(8, "0002");
  rec[11] = Words(8, "0000");
  SetLive(7, rec);  // the power items stay OFF as recorded
  Datagram(rec);
  EXPECT_EQ(main().icons.FindIcon(7, 1), -1);
  EXPECT_EQ(main().icons.ListView1.Count(), 7u);
  EXPECT_TRUE(EventLogs().empty());
  EXPECT_TRUE(sound.calls.empty());
  EXPECT_TRUE(main().alerts.MailBody.empty());
  EXPECT_EQ(Cell(dtcol::ItemImages, 7).substr(0, 5), "0000 ");  // keeps the old image
}

TEST_F(ChangeDetectionTest, MonitoringStoppedChangesIconsOnly) {
  table().SetCell(dtcol::NotifyFlags, 7, "11110000 11110000");
  table().SetCell(dtcol::ItemImages, 7, "abcd 0000 0000 0000 0000 0000 0000 ");
  LiveRec rec = HealthyRecord(MacOf(7));
  rec[12] = Words(8, "0002");
  Datagram(rec);
  EXPECT_EQ(ImageOf(7, 1), 2);
  EXPECT_TRUE(EventLogs().empty());
  EXPECT_TRUE(sound.calls.empty());
  EXPECT_TRUE(main().alerts.MailBody.empty());
  // Unreadable and missing slots read as 8 and are stored as 0008.
  EXPECT_EQ(Cell(dtcol::ItemImages, 7), "0008 0000 0000 0000 0000 0000 0000 0008 ");
}

// The recorded images are written back as eight slots of four digits and a
// blank, whatever form the cell had; while monitoring is stopped no slot
// takes the new image.
TEST_F(ChangeDetectionTest, RecordedImagesWrittenBackInTheirStoredForm) {
  const std::string zeros7 = "0000 0000 0000 0000 0000 0000 0000 ";
  const struct {
    const char* what;
    std::string cell;
    std::string stored;
  } cases[] = {
      {"stored form", "0007 0000 0001 0002 0003 0004 0005 0099 ", "0007 0000 0001 0002 0003 0004 0005 0099 "},
      {"plus sign", "+001 " + zeros7, "0001 " + zeros7},
      // The first outlet's evaluation stores 00-1, which the next one reads
      // as unreadable.
      {"minus sign", "-001 " + zeros7, "0008 " + zeros7},
      {"no last blank", "0001 " + zeros7.substr(0, 34), "0001 " + zeros7},
      {"a ninth slot", "0001 " + zeros7 + "0003 ", "0001 " + zeros7},
      {"other separator", "0001x" + zeros7, "0001 " + zeros7},
      {"short digits", "1    " + zeros7, "0008 " + zeros7},
  };
  for (const auto& c : cases) {
    table().SetCell(dtcol::ItemImages, 7, c.cell);
    Datagram(HealthyRecord(MacOf(7)));
    EXPECT_EQ(Cell(dtcol::ItemImages, 7), c.stored) << c.what;
  }
}

// A row's outlets end at the eighth, whatever its OutletInfo, its flag texts
// or the datagram's outlet count say (a damaged device file, a forged
// datagram): one datagram costs at most eight icons, evaluations, log lines
// and CSV lines, and every key keeps its four-digit outlet.
TEST_F(ChangeDetectionTest, OutletsPastTheEighthAreNeitherShownNorEvaluated) {
  struct Case {
    const char* outlet_info;
    size_t flag_length;
    const char* datagram_count;
  };
  const Case cases[] = {
      {"10,4", 10, "10"},
      {"100000,4", 100000, "9999"},
      {"2147483647,4", 20, "8"},
  };
  main().LogDir = dir.path();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.outlet_info);
    Register(5, MacOf(5), std::string(c.flag_length, '0'), std::string(c.flag_length, '1'), c.outlet_info);
    table().SetCell(dtcol::LogFlags, 5, std::string(c.flag_length, '1'));
    table().SetCell(dtcol::OutletNames, 5, "o1,o2,o3,o4,o5,o6,o7,o8,o9,o10,");
    main().system_log.ListBox2.Clear();
    SetMonitoring(true);
    LiveRec rec = HealthyRecord(MacOf(5));
    rec[5] = c.datagram_count;
    rec[11] = Words(10, "0001");
    Datagram(rec);
    Datagram(rec);  // the icons the first one recorded are rebuilt from the table

    std::vector<std::string> keys;
    for (const std::string& k : Keys())
      if (KeyRow(k, 0) == 5) keys.push_back(k);
    ASSERT_EQ(keys.size(), 8u);
    EXPECT_EQ(keys.front(), "0005 0001");
    EXPECT_EQ(keys.back(), "0005 0008");
    EXPECT_EQ(main().icons.FindIcon(5, 9), -1);
    int logged = 0;
    for (const std::string& l : EventLogs()) {
      if (l.rfind("ID005 ", 0) == 0) ++logged;
      EXPECT_EQ(l.find("Outlet9"), std::string::npos) << l;
    }
    EXPECT_EQ(logged, 8);  // 不明 -> ON once per outlet
    EXPECT_EQ(Cell(dtcol::ItemImages, 5), "0007 0007 0007 0007 0007 0007 0007 0007 ");
    for (int i = 1; i <= 9; ++i) {
      const std::string csv = dir.File(OutletCsvLogName(5, i, app->clock().Now()));
      std::string text;
      const bool written = ReadFile(csv, &text);
      EXPECT_EQ(written, i <= 8) << i;
      if (written) {
        EXPECT_EQ(SplitLines(text).size(), 2u) << i;
      }
      ::unlink(csv.c_str());
    }
  }
}

TEST_F(ChangeDetectionTest, EmptyNotifyFlagsLogOnly) {
  table().SetCell(dtcol::NotifyFlags, 7, "");
  SetMonitoring(true);
  Datagram(HealthyRecord(MacOf(7)));
  LiveRec rec = HealthyRecord(MacOf(7));
  rec[12] = Words(8, "0002");
  Datagram(rec);
  EXPECT_EQ(EventLogs().size(), 16u);
  EXPECT_TRUE(sound.calls.empty());
  EXPECT_TRUE(main().alerts.MailBody.empty());
  EXPECT_TRUE(mails.empty());
}

TEST_F(ChangeDetectionTest, TemperatureCaptions) {
  table().SetCell(dtcol::ItemKinds, 7, "22200000");
  table().SetCell(dtcol::IconFlags, 7, "11100000");
  table().SetCell(dtcol::OutletNames, 7, "Rack-A-Intake,Rack1,Twelve-bytes,");
  SetLive(7, HealthyRecord(MacOf(7)));
  main().icons.IconReStetingData();
  EXPECT_EQ(main().icons.ListView1.Item(0).caption, "Rack-A-Intake");  // 13 bytes: no temperature
  EXPECT_EQ(main().icons.ListView1.Item(1).caption, "Rack1       (23.5℃)");
  EXPECT_EQ(main().icons.ListView1.Item(2).caption, "Twelve-bytes(23.5℃)");
  // A caption with the temperature is renewed, not extended.
  table().SetCell(dtcol::CurTemp, 7, "");
  main().alerts.ListDataCheck(7, 2);
  EXPECT_EQ(main().icons.ListView1.Item(1).caption, "Rack1       (--℃)");
  // Not renewed once the state is time-out or unknown.
  table().SetCell(dtcol::Status, 7, "");
  main().alerts.ListDataCheck(7, 2);
  EXPECT_EQ(main().icons.ListView1.Item(1).caption, "Rack1       (--℃)");
  EXPECT_EQ(main().icons.ListView1.Item(1).image, 9);
}

TEST_F(ChangeDetectionTest, SoundModes) {
  struct {
    int mode;
    bool file;
    std::vector<std::string> calls;
  } cases[] = {
      {0, true, {}}, {-1, true, {}}, {1, true, {"beep"}}, {2, true, {Wav(2)}}, {3, true, {Wav(2)}}, {2, false, {}},
  };
  for (const auto& c : cases) {
    sound.calls.clear();
    main().SoundFlg[2] = c.mode;
    main().SoundFName[2] = c.file ? dir.File("s2.wav") : dir.File("missing.wav");
    main().alerts.Soundplay(2);
    if (!c.file) main().SoundFName[2] = dir.File("s2.wav");
    EXPECT_EQ(sound.calls, c.calls) << c.mode << c.file;
  }
  sound.calls.clear();
  main().alerts.Soundplay(0);
  main().alerts.Soundplay(5);
  EXPECT_TRUE(sound.calls.empty());
}

TEST_F(ChangeDetectionTest, MailHeaderWithAddressLines) {
  table().SetCell(dtcol::NotifyFlags, 7, "01001000 00000000");
  SetMonitoring(true);
  LiveRec rec = HealthyRecord(MacOf(7), "10.0.0.7");
  rec[12] = Words(8, "0002");
  Match(rec);  // the first datagram since start: no previous time
  Datagram(rec);
  ASSERT_EQ(mails.size(), 1u);
  // The match's evaluation took the icons the rebuild had just created.
  EXPECT_EQ(mails[0].front(), "2010/11/16 12:52:07   (2010/11/16 12:52:07)");
  mails.clear();
  main().alerts.MailBody.clear();
  table().SetCell(dtcol::PrevRecv, 7, ",");
  main().alerts.MailBodyAdd(7, "line");
  dbg().eMailSend1(7);
  ASSERT_EQ(mails.size(), 1u);
  EXPECT_EQ(mails[0], (Body{"2010/11/16 12:52:07", "ID007 Dev7 (G001 Floor)", "memo7", "", "line", "",
                            "IP Addr  : 10.0.0.7", "MAC Addr : " + MacOf(7)}));
}

TEST_F(ChangeDetectionTest, DailyLimitKeepsTheLines) {
  main().MailLimit = "3";
  main().MailLimitOn = false;  // the limit applies all the same
  main().alerts.MailCount = 3;
  main().alerts.MailBodyAdd(7, "line 1");
  dbg().eMailSend1(7);
  EXPECT_TRUE(mails.empty());
  EXPECT_EQ(main().alerts.MailCount, 3);
  // A later datagram does not drop them while mail is on.
  Datagram(HealthyRecord(MacOf(7)));
  EXPECT_EQ(Collected(7), std::vector<std::string>{"line 1"});
  // The next day's first send takes them.
  main().alerts.MailCount = 0;
  main().alerts.MailBodyAdd(7, "line 2");
  dbg().eMailSend1(7);
  ASSERT_EQ(mails.size(), 1u);
  EXPECT_EQ(Body(mails[0].begin() + 4, mails[0].end()), (Body{"line 1", "line 2"}));
  EXPECT_EQ(main().alerts.MailCount, 1);

  // The limit holds per mail: of two devices' mails only the first goes.
  Register(8, MacOf(8));
  mails.clear();
  main().MailLimit = "x";  // not a number: 100
  main().alerts.MailCount = 99;
  main().alerts.MailBodyAdd(8, "eight");
  main().alerts.MailBodyAdd(7, "seven");
  dbg().eMailSend1(7);
  ASSERT_EQ(mails.size(), 1u);
  EXPECT_EQ(mails[0][1], "ID008 Dev8 (G001 Floor)");
  EXPECT_EQ(Collected(7), std::vector<std::string>{"seven"});
  EXPECT_EQ(main().alerts.MailCount, 100);
}

TEST_F(ChangeDetectionTest, MailOffDropsTheLinesAtTheNextDatagram) {
  main().MailOn = false;
  main().alerts.MailBodyAdd(7, "line");
  dbg().eMailSend1(7);
  EXPECT_TRUE(mails.empty());
  EXPECT_EQ(main().alerts.MailCount, 0);
  EXPECT_EQ(Collected(7).size(), 1u);
  Datagram(HealthyRecord(MacOf(7)));
  EXPECT_TRUE(main().alerts.MailBody.empty());
}

// Changes that happened while monitoring was stopped are found by the first
// rebuild after the start, for whichever device sends first: the changed
// device gets its own mail under its own header.
TEST_F(ChangeDetectionTest, ChangeFoundByTheFirstRebuildGetsItsOwnMail) {
  Register(8, MacOf(8), "11111111");
  for (int r : {7, 8}) {
    table().SetCell(dtcol::NotifyFlags, r, "11110000 00000000");
    table().SetCell(dtcol::ItemImages, r, "0000 0000 0000 0000 0000 0000 0000 0000 ");
  }
  Datagram(HealthyRecord(MacOf(7)));
  LiveRec bad8 = HealthyRecord(MacOf(8), "10.0.0.8");
  bad8[1] = "12:55:00";
  bad8[12] = "0002 0001 0001 0001 0001 0001 0001 0001";
  Datagram(bad8, 2);  // while stopped: the icon changes, nothing is raised
  EXPECT_TRUE(main().alerts.MailBody.empty());

  SetMonitoring(true);
  LiveRec bad7 = HealthyRecord(MacOf(7));
  bad7[1] = "12:56:00";
  bad7[12] = "0001 0002 0001 0001 0001 0001 0001 0001";
  Datagram(bad7, 3);
  ASSERT_EQ(mails.size(), 2u);
  EXPECT_EQ(mails[0][0], "2010/11/16 12:55:00");
  EXPECT_EQ(mails[0][1], "ID008 Dev8 (G001 Floor)");
  EXPECT_EQ(Body(mails[0].begin() + 4, mails[0].end()), Body{"1: PING 異常           <- 不明        Out1"});
  EXPECT_EQ(mails[1][1], "ID007 Dev7 (G001 Floor)");
  EXPECT_EQ(Body(mails[1].begin() + 4, mails[1].end()), Body{"2: PING 異常           <- PING 正常   Out2"});
  EXPECT_EQ(main().alerts.MailCount, 2);
}

// Two devices that fall silent together: the scan pass sends one mail per
// device, each with its own header and its own lines.
TEST_F(ChangeDetectionTest, TwoDevicesTimingOutInOnePassGetOneMailEach) {
  main().TimeOutMin = 10;
  sim.SetBootMillis(1'000'000);
  Register(8, MacOf(8), "11111111", "11000000");
  table().SetCell(dtcol::IconFlags, 7, "11000000");
  for (int r : {7, 8}) table().SetCell(dtcol::NotifyFlags, r, "00010000 00000000");
  Datagram(HealthyRecord(MacOf(7)));
  Datagram(HealthyRecord(MacOf(8), "10.0.0.8"), 2);
  SetMonitoring(true);
  Datagram(HealthyRecord(MacOf(7)), 3);  // records the normal states
  Datagram(HealthyRecord(MacOf(8), "10.0.0.8"), 4);
  ASSERT_TRUE(mails.empty());
  sim.Advance(601'000);
  main().monitoring.Timer4Timer();
  ASSERT_EQ(mails.size(), 2u);
  // The first item is marked on its icon; the rebuild that follows marks
  // the others on fresh icons.
  const std::string from_normal = "TimeOut" + std::string(13, ' ') + "<- PING 正常   ";
  const std::string from_fresh = "TimeOut" + std::string(13, ' ') + "<- 不明        ";
  EXPECT_EQ(mails[0][1], "ID007 Dev7 (G001 Floor)");
  EXPECT_EQ(Body(mails[0].begin() + 4, mails[0].end()), (Body{"1: " + from_normal + "Out1", "2: " + from_fresh + "Out2"}));
  EXPECT_EQ(mails[1][1], "ID008 Dev8 (G001 Floor)");
  EXPECT_EQ(Body(mails[1].begin() + 4, mails[1].end()), (Body{"1: " + from_fresh + "Out1", "2: " + from_fresh + "Out2"}));
}

// The datagram runs to its end (CSV lines, receive line, node icons) while
// its mails are on their way; a mail error is shown afterwards, from the
// event loop, and the next device's mail still goes out.
TEST_F(ChangeDetectionTest, MailErrorComesAfterTheDatagram) {
  Register(8, MacOf(8), "11111111");
  main().LogDir = dir.path();
  table().SetCell(dtcol::LogFlags, 7, "10000000");
  DeviceTree& tree = app->tree();
  TreeNode* node = tree.TreeNewDataSet(tree.TreeView1.Top(0), "ID007", "Dev7");
  tree.TreeView1.SetImageIndex(node, -1);
  SetMonitoring(true);
  main().alerts.MailBodyAdd(8, "eight");
  main().alerts.MailBodyAdd(7, "seven");
  smtp.failures.push_back("SMTP 接続エラー");
  smtp.latency_ms = 4000;
  Datagram(HealthyRecord(MacOf(7)));
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(smtp.Pending(), 2u);
  EXPECT_EQ(main().alerts.MailCount, 2);
  EXPECT_TRUE(main().alerts.MailBody.empty());
  EXPECT_EQ(main().receive.ListBox1.Count(), 1u);
  EXPECT_NE(node->ImageIndex(), -1);  // the node icons were refreshed
  EXPECT_TRUE(FileExists(dir.File("d00701" + Yymmdd(sim.Now()) + ".csv")));
  // The body list holds the last mail handed over, in its sent form.
  EXPECT_EQ(app->frmMessageEditor().Memo1.Line(1), "ID007 Dev7 (G001 Floor)");

  sim.Advance(4000);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "SMTP 接続エラー");
  EXPECT_EQ(boxes.shown[0].kind, BoxKind::Error);
  EXPECT_EQ(smtp.Pending(), 1u);
  sim.Advance(4000);
  ASSERT_EQ(mails.size(), 1u);
  EXPECT_EQ(mails[0][1], "ID007 Dev7 (G001 Floor)");
  EXPECT_EQ(boxes.OpenCount(), 1u);
}

// One mail error box at a time: failures while it is open are not shown;
// once it is closed, the next failure opens a box again. The mails go to the
// server in the order they were made.
TEST_F(ChangeDetectionTest, OneMailErrorBoxAtATime) {
  Register(8, MacOf(8), "11111111");
  SetMonitoring(true);
  for (const char* e : {"first", "second", "third"}) smtp.failures.push_back(e);
  main().alerts.MailBodyAdd(8, "eight");
  main().alerts.MailBodyAdd(7, "seven");
  Datagram(HealthyRecord(MacOf(7)));
  sim.Advance(0);
  ASSERT_EQ(smtp.attempts.size(), 2u);
  EXPECT_EQ(MailBodyLines(smtp.attempts[0])[1], "ID008 Dev8 (G001 Floor)");
  EXPECT_EQ(MailBodyLines(smtp.attempts[1])[1], "ID007 Dev7 (G001 Floor)");
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.OpenText(), "first");
  EXPECT_TRUE(app->frmMessageEditor().ErrorBoxOpen());

  EXPECT_TRUE(boxes.CloseOldest());
  EXPECT_FALSE(app->frmMessageEditor().ErrorBoxOpen());
  main().alerts.MailBodyAdd(7, "again");
  dbg().eMailSend1(7);
  sim.Advance(0);
  ASSERT_EQ(boxes.shown.size(), 2u);
  EXPECT_EQ(boxes.OpenText(), "third");
}

TEST(AlertKinds, RecoveryNeedsARealPreviousState) {
  EXPECT_EQ(AlertKindOf(0, 8), AlertKind::Recovery);
  EXPECT_EQ(AlertKindOf(3, 9), AlertKind::None);
  EXPECT_EQ(AlertKindOf(3, 99), AlertKind::None);
  EXPECT_EQ(AlertKindOf(4, 9), AlertKind::Caution);
  EXPECT_EQ(AlertKindOf(99, 0), AlertKind::None);
}

}  // namespace
}  // namespace zol
