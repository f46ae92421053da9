// The road of status datagrams through the whole console: settings and
// device file read as at start, monitoring started, datagrams built by the
// simulator's builder handed to the receiver, and everything that follows -
// the device row, the icons, the system log, the sound, the mail, the CSV
// log, the unregistered list, the receive list, the time-out and the stop;
// and the same road from the simulator program over a real socket.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/files.h"
#include "common/posix_udp.h"
#include "console/app.h"
#include "console/main_window.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "support/app_fixture.h"
#include "support/datagram_hex.h"
#include "support/loopback.h"
#include "support/sim_platform.h"
#include "support/zolsim_peer.h"

namespace zol {
namespace {

// The device of the road as the device file holds it: columns 1 to 20.
// Outlet 1 power, 2 and 3 PING, 4 temperature, 5 to 8 power; every outlet
// monitored, outlet 3 logged; mail on caution, alarm, recovery and
// time-out with the address lines, sound on all four.
std::vector<std::string> DeviceBlock(const std::string& mac) {
  return {mac,
          "20",
          "",
          "8,4",
          "telnet,192.168.0.205,23,,23,1,1,1",
          "",
          "00100000",
          "11111111",
          "01120000",
          "サーバ室A",
          "Router,Web,DB,Sensor,Out5,Out6,Out7,Out8,",
          "G001 グループ1",
          "2F",
          "",
          "",
          "11111000 11110000",
          "",
          "0009 0009 0009 0009 0009 0009 0009 0009 ",
          "",
          ""};
}

// The states the road changes; the rest of the device stays healthy.
struct DeviceState {
  std::array<std::uint16_t, 8> judgement{1, 1, 1, 1, 1, 1, 1, 1};  // PING word F2
  std::int16_t temp = 2350;                                        // 23.5 degrees
};

// A datagram of an 8-outlet device with 4 PING targets and a sensor whose
// upper limit acts on outlet 4, as devices of the family send it.
std::string DeviceDatagram(const sim::Mac& mac, const DeviceState& s, std::uint32_t sequence) {
  std::vector<sim::OutletWords> outlets(8, sim::OutletWords{1, 1, 0});
  std::vector<sim::PingBlock> blocks(8);
  for (size_t i = 0; i < blocks.size(); ++i) {
    blocks[i].f = {1, s.judgement[i], 10, 10, 4, 1, 1, 1, 0};
    blocks[i].targets.assign(4, sim::TargetEntry{});
  }
  sim::TempFields t;
  t.actions = {0, 0, 0, 1, 0, 0, 0, 0};
  t.status = 0;
  t.cur_temp = s.temp;
  return Wire(sim::StatusDatagram(sim::Header(sequence),
                                  {sim::IdentRecord(mac), sim::OutletRecord(outlets), sim::PingRecord(blocks, 4, 4),
                                   sim::TempRecord(t), sim::Rec0811(8), sim::Rec0812()}));
}

// Writes the settings file and the data files beside the program and reads
// them as the console's start does.
void LoadConsole(const TempDir& dir, App& app, const std::vector<std::string>& ini,
                 const std::vector<std::string>& device) {
  std::string err;
  ASSERT_TRUE(WriteFileAtomic(dir.File("zolyab4.Ini"), CrLf(ini), &err)) << err;
  ASSERT_TRUE(WriteFileAtomic(dir.File("zolyab4.dat"), CrLf(device), &err)) << err;
  ASSERT_TRUE(WriteFileAtomic(dir.File("zolyab4.lst"), CrLf({"G001 グループ1", "G000 未登録グループ"}), &err)) << err;
  app.Form2().IniLoad();
  ASSERT_TRUE(app.Form4().SettingDataLoad());
}

// The images of the icons, in order.
std::vector<int> Images(MainWindow& w) {
  std::vector<int> out;
  for (size_t k = 0; k < w.icons.ListView1.Count(); ++k) out.push_back(w.icons.ListView1.Item(k).image);
  return out;
}

class RoadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // An hour after the PC's start, so that the receive clocks are not 0.
    f.sim.SetBootMillis(3600 * 1000);
    f.sim.SetNow(DateTime{2024, 5, 1, 9, 30, 0});
    std::string err;
    ASSERT_TRUE(WriteFileAtomic(wav, "RIFF", &err)) << err;
    LoadConsole(f.dir, *f.app,
                {"[SYSTEM]", "PORT=5000", "LTIME=10", "[SYSLOG]", "MODE=1", "SAVE=1", "[SOUND]", "FLG_W=1",
                 "FLG_A=1", "FLG_R=1", "FLG_T=2", "FNAME_T=" + wav, "[EMAIL]", "FLAG00=1"},
                DeviceBlock(kMac));
    UsableMailSettings(w());
    f.smtp.OnSend = [this](const SmtpMail& mail) { mails.push_back(MailBodyLines(mail)); };
  }
  MainWindow& w() { return f.app->Form2(); }
  DebugWindow& dbg() { return f.app->Form4(); }
  const std::string& Cell(int col, int row = 1) { return dbg().StringGrid1.Cell(col, row); }
  // The newest count lines of the system log view, oldest first.
  std::vector<std::string> LogSince(size_t count) {
    std::vector<std::string> out;
    for (size_t k = count; k > 0; --k) out.push_back(w().system_log.ListBox2.Line(k - 1));
    return out;
  }

  const std::string kMac = "02:5A:3C:00:00:01";
  AppFixture f;
  const std::string wav = f.dir.File("timeout.wav");
  std::vector<std::vector<std::string>> mails;
  // The nodes under the unregistered group G000.
  std::vector<std::string> Unregistered() {
    std::vector<std::string> out;
    const TreeView& tree = f.app->tree().TreeView1;
    for (size_t i = 0; i < tree.TopCount(); ++i) {
      if (tree.Top(i)->Text().rfind("G000", 0) != 0) continue;
      for (size_t k = 0; k < tree.Top(i)->Count(); ++k) out.push_back(tree.Top(i)->Item(k)->Text());
    }
    return out;
  }
};

TEST_F(RoadTest, DatagramsThroughTheConsoleToAlertsTimeOutAndStop) {
  // Start: the device file gives one registered device, monitoring binds the port.
  EXPECT_EQ(dbg().LastRow, 1);
  EXPECT_EQ(dbg().UsedRows, 1);
  EXPECT_EQ(dbg().Label1.Caption(), "1/1");
  EXPECT_EQ(Cell(dtcol::MacAddress), kMac);
  w().monitoring.ToolButton1Click();
  EXPECT_EQ(f.udp.LocalPort(), 5000);
  EXPECT_EQ(w().system_log.ListBox2.Line(0), "(0010) 2024/05/01 09:30:00 監視開始");
  EXPECT_EQ(w().monitoring.Timer4.Interval(), 10u);

  // First datagram: the row takes the live record, every item gets its icon.
  const sim::Mac mac = FamilyMac(1);
  DeviceState state;
  ASSERT_TRUE(f.udp.Deliver(DeviceDatagram(mac, state, 1), "192.168.0.205", 2100));
  EXPECT_EQ(Cell(dtcol::RecvDate), "2024/05/01");
  EXPECT_EQ(Cell(dtcol::RecvTime), "09:30:00");
  EXPECT_EQ(Cell(dtcol::SrcMac), kMac);
  EXPECT_EQ(Cell(dtcol::IpAddress), "192.168.0.205");
  EXPECT_EQ(Cell(dtcol::OlCount), "8");
  EXPECT_EQ(Cell(dtcol::PngJudge), "0001 0001 0001 0001 0001 0001 0001 0001");
  EXPECT_EQ(Cell(dtcol::CurTemp), "23.5");
  EXPECT_EQ(Cell(dtcol::TmpActionCopy), "00 00 00 01 00 00 00 00");
  EXPECT_EQ(Cell(dtcol::PrevRecv), ",");
  EXPECT_EQ(Cell(dtcol::RecvTick), "3600");
  EXPECT_EQ(w().receive.ListBox1.Line(0), "2024/05/01 09:30:00 DATAを受信しました。[192.168.0.205]  ID001");
  ASSERT_EQ(w().icons.ListView1.Count(), 8u);
  const std::vector<std::string> keys = {"0001 0001", "0001 0002", "0001 0003", "0001 0004",
                                         "0001 0005", "0001 0006", "0001 0007", "0001 0008"};
  const std::vector<std::string> captions = {"Router", "Web", "DB", "Sensor      (23.5℃)", "Out5", "Out6", "Out7", "Out8"};
  for (size_t k = 0; k < 8; ++k) {
    EXPECT_EQ(w().icons.ListView1.Item(k).key, keys[k]);
    EXPECT_EQ(w().icons.ListView1.Item(k).caption, captions[k]);
  }
  EXPECT_EQ(Images(w()), (std::vector<int>{7, 0, 0, 3, 7, 7, 7, 7}));
  EXPECT_EQ(w().icons.Panel12.Caption(), "3");
  EXPECT_EQ(w().icons.Panel17.Caption(), "5");
  EXPECT_EQ(w().icons.Panel14.Caption(), "0");
  // The first states are recorded and logged; from 不明 nothing is alerted.
  EXPECT_EQ(Cell(dtcol::ItemImages), "0007 0000 0000 0003 0007 0007 0007 0007 ");
  ASSERT_EQ(w().system_log.ListBox2.Count(), 9u);
  EXPECT_EQ(LogSince(8), (std::vector<std::string>{
                             "(0200) 2024/05/01 09:30:00 ID001 Outlet1 電源 ON",
                             "(0200) 2024/05/01 09:30:00 ID001 Outlet2 PING 正常",
                             "(0200) 2024/05/01 09:30:00 ID001 Outlet3 PING 正常",
                             "(0200) 2024/05/01 09:30:00 ID001 Outlet4 温度 正常 (23.5℃)",
                             "(0200) 2024/05/01 09:30:00 ID001 Outlet5 電源 ON",
                             "(0200) 2024/05/01 09:30:00 ID001 Outlet6 電源 ON",
                             "(0200) 2024/05/01 09:30:00 ID001 Outlet7 電源 ON",
                             "(0200) 2024/05/01 09:30:00 ID001 Outlet8 電源 ON",
                         }));
  EXPECT_TRUE(f.sound.calls.empty());
  EXPECT_TRUE(mails.empty());

  // Five seconds later outlet 3's PING judgement goes abnormal.
  f.sim.Advance(5000);
  state.judgement[2] = 2;
  ASSERT_TRUE(f.udp.Deliver(DeviceDatagram(mac, state, 2), "192.168.0.205", 2100));
  EXPECT_EQ(Images(w()), (std::vector<int>{7, 0, 2, 3, 7, 7, 7, 7}));
  EXPECT_EQ(w().icons.Panel12.Caption(), "2");
  EXPECT_EQ(w().icons.Panel14.Caption(), "1");
  EXPECT_EQ(Cell(dtcol::PrevRecv), "2024/05/01,09:30:00");
  EXPECT_EQ(Cell(dtcol::ItemImages), "0007 0000 0002 0003 0007 0007 0007 0007 ");
  ASSERT_EQ(w().system_log.ListBox2.Count(), 10u);
  EXPECT_EQ(w().system_log.ListBox2.Line(0), "(0200) 2024/05/01 09:30:05 ID001 Outlet3 PING 異常");
  EXPECT_EQ(f.sound.calls, std::vector<std::string>{"beep"});
  ASSERT_EQ(mails.size(), 1u);
  EXPECT_EQ(mails[0], (std::vector<std::string>{
                          "2024/05/01 09:30:05   (2024/05/01 09:30:00)",
                          "ID001 サーバ室A (G001 グループ1)",
                          "2F",
                          "",
                          "3: PING 異常           <- PING 正常   DB",
                          "",
                          "IP Addr  : 192.168.0.205",
                          "MAC Addr : 02:5A:3C:00:00:01",
                      }));
  EXPECT_EQ(w().alerts.MailCount, 1);
  EXPECT_EQ(w().receive.ListBox1.Line(0), "2024/05/01 09:30:05 DATAを受信しました。[192.168.0.205]  ID001");
  EXPECT_EQ(w().receive.RefTimePanel.Caption(), "2024/05/01 09:30:05");

  // Outlet 3's CSV log: one line per datagram; the other outlets log nothing.
  EXPECT_EQ(ReadAll(f.dir.File("d00103240501.csv")), CrLf({"2024/05/01,09:30:00,1,3,1,1,0,9,1,0,1,0,23.5,0",
                                                        "2024/05/01,09:30:05,1,3,1,1,2,9,1,0,2,0,23.5,0"}));
  EXPECT_FALSE(FileExists(f.dir.File("d00102240501.csv")));

  // A device that is not registered: listed, given a node, "未登録" in the receive list.
  ASSERT_TRUE(f.udp.Deliver(DeviceDatagram(FamilyMac(0x99), DeviceState{}, 1), "192.168.0.77", 2100));
  EXPECT_EQ(dbg().StringGrid2.Cell(5, 1), "02:5A:3C:00:00:99");
  EXPECT_EQ(dbg().StringGrid2.Cell(3, 1), "192.168.0.77");
  EXPECT_EQ(dbg().StringGrid2.RowCount(), 3);
  EXPECT_EQ(Unregistered(), std::vector<std::string>{"[02:5A:3C:00:00:99] 192.168.0.77 未登録"});
  EXPECT_EQ(w().receive.ListBox1.Line(0), "2024/05/01 09:30:05 DATAを受信しました。[192.168.0.77]   未登録");
  EXPECT_EQ(w().receive.ListBox1.Count(), 3u);
  EXPECT_EQ(w().icons.ListView1.Count(), 8u);
  EXPECT_EQ(Cell(dtcol::RecvTime), "09:30:05");
  EXPECT_EQ(mails.size(), 1u);
  // Its next datagram updates its row and adds no node.
  ASSERT_TRUE(f.udp.Deliver(DeviceDatagram(FamilyMac(0x99), DeviceState{}, 2), "192.168.0.78", 2100));
  EXPECT_EQ(dbg().StringGrid2.Cell(3, 1), "192.168.0.78");
  EXPECT_EQ(dbg().StringGrid2.RowCount(), 3);
  EXPECT_EQ(Unregistered().size(), 1u);

  // Silence: 600 s after the last datagram nothing has timed out, 601 s marks
  // every item in one pass, with one mail for the device.
  f.sim.Advance(600 * 1000);
  EXPECT_EQ(Images(w()), (std::vector<int>{7, 0, 2, 3, 7, 7, 7, 7}));
  f.sim.Advance(1000);
  EXPECT_EQ(Images(w()), (std::vector<int>(8, 8)));
  EXPECT_EQ(w().icons.Panel15.Caption(), "8");
  EXPECT_EQ(Cell(dtcol::ItemImages), "0008 0008 0008 0008 0008 0008 0008 0008 ");
  ASSERT_EQ(w().system_log.ListBox2.Count(), 18u);
  std::vector<std::string> timeouts;
  for (int i = 1; i <= 8; ++i)
    timeouts.push_back("(0200) 2024/05/01 09:40:06 ID001 Outlet" + std::to_string(i) + " TimeOut");
  EXPECT_EQ(LogSince(8), timeouts);
  EXPECT_EQ(f.sound.calls.size(), 9u);
  EXPECT_EQ(f.sound.calls.back(), "wav:" + wav);
  ASSERT_EQ(mails.size(), 2u);
  EXPECT_EQ(mails[1], (std::vector<std::string>{
                          "2024/05/01 09:30:05   (2024/05/01 09:30:00)",
                          "ID001 サーバ室A (G001 グループ1)",
                          "2F",
                          "",
                          "1: TimeOut             <- 電源 ON     Router",
                          "2: TimeOut             <- 不明        Web",
                          "3: TimeOut             <- 不明        DB",
                          "4: TimeOut             <- 不明        Sensor",
                          "5: TimeOut             <- 不明        Out5",
                          "6: TimeOut             <- 不明        Out6",
                          "7: TimeOut             <- 不明        Out7",
                          "8: TimeOut             <- 不明        Out8",
                          "",
                          "IP Addr  : 192.168.0.205",
                          "MAC Addr : 02:5A:3C:00:00:01",
                      }));
  EXPECT_EQ(w().alerts.MailCount, 2);
  // Later passes leave the marked items alone.
  f.sim.Advance(60 * 1000);
  EXPECT_EQ(mails.size(), 2u);
  EXPECT_EQ(w().system_log.ListBox2.Count(), 18u);

  // The device is heard again with outlet 3 recovered: the items that
  // come back from TimeOut to a normal state raise the recovery sound and mail.
  state.judgement[2] = 1;
  ASSERT_TRUE(f.udp.Deliver(DeviceDatagram(mac, state, 3), "192.168.0.205", 2100));
  EXPECT_EQ(Images(w()), (std::vector<int>{7, 0, 0, 3, 7, 7, 7, 7}));
  ASSERT_EQ(w().system_log.ListBox2.Count(), 26u);
  EXPECT_EQ(w().system_log.ListBox2.Line(5), "(0200) 2024/05/01 09:41:06 ID001 Outlet3 PING 正常");
  EXPECT_EQ(w().system_log.ListBox2.Line(4), "(0200) 2024/05/01 09:41:06 ID001 Outlet4 温度 正常 (23.5℃)");
  EXPECT_EQ(f.sound.calls.size(), 12u);
  EXPECT_EQ(f.sound.calls.back(), "beep");
  ASSERT_EQ(mails.size(), 3u);
  EXPECT_EQ(mails[2], (std::vector<std::string>{
                          "2024/05/01 09:41:06   (2024/05/01 09:30:05)",
                          "ID001 サーバ室A (G001 グループ1)",
                          "2F",
                          "",
                          "2: PING 正常           <- TimeOut     Web",
                          "3: PING 正常           <- TimeOut     DB",
                          "4: 温度 正常 (23.5℃)  <- TimeOut     Sensor",
                          "",
                          "IP Addr  : 192.168.0.205",
                          "MAC Addr : 02:5A:3C:00:00:01",
                      }));

  // Stop: the log line, the port unbound, the device file written.
  w().monitoring.ToolButton2Click();
  EXPECT_EQ(w().system_log.ListBox2.Line(0), "(0011) 2024/05/01 09:41:06 監視停止");
  EXPECT_EQ(f.udp.LocalPort(), 0);
  EXPECT_FALSE(f.udp.Deliver(DeviceDatagram(mac, state, 4)));
  std::vector<std::string> saved = DeviceBlock(kMac);
  saved[5] = "192.168.0.205";
  saved[16] = "00 00 00 01 00 00 00 00";
  saved[17] = "0007 0000 0000 0003 0007 0007 0007 0007 ";
  saved[18] = "2024/05/01,09:30:05";
  saved[19] = "4266";  // the receive clock restarted by the stop
  EXPECT_EQ(ReadAll(f.dir.File("zolyab4.dat")), CrLf(saved));
  EXPECT_EQ(ReadAll(f.dir.File("zolyab4.lst")), CrLf({"G001 グループ1", "G000 未登録グループ"}));

  // The day's system log file holds every line of the view, oldest first.
  std::vector<std::string> view = LogSince(w().system_log.ListBox2.Count());
  EXPECT_EQ(ReadAll(f.dir.File("syslog20240501.log")), CrLf(view));
}

// The same road on a real socket: the console's POSIX receiver bound to a
// free port, the simulator program sending three datagrams of the
// registered device to it.
TEST(RoadSocketTest, SimulatorDatagramsReachTheDeviceRow) {
  const std::string zolsim = ZolSimPath();
  if (zolsim.empty()) GTEST_SKIP() << "no zolsim program";

  PosixUdpReceiver rx;
  AppFixture f(&rx);
  // As in RoadTest, the clocks are set once the console is built: its
  // windows read no clock and start no timer as they are constructed.
  f.sim.SetBootMillis(3600 * 1000);
  f.sim.SetNow(DateTime{2024, 5, 1, 9, 30, 0});
  App& app = *f.app;
  // Each datagram's match adds one line to the receive list.
  auto received = [&] { return static_cast<int>(app.receive_view().ListBox1.Count()); };

  const int port = FreePort();
  ASSERT_GT(port, 0);
  LoadConsole(f.dir, app, {"[SYSTEM]", "PORT=" + std::to_string(port)}, DeviceBlock("02:5A:3C:00:00:01"));
  app.Form2().monitoring.YabStart();
  ASSERT_TRUE(f.boxes.shown.empty()) << f.boxes.shown[0].text;
  ASSERT_GE(rx.Fd(), 0);

  ZolSim peer(zolsim, {"--port", std::to_string(port), "--count", "3", "--rate", "50", "--mac-suffix", "000001",
                       "--duration", "10"});
  ASSERT_TRUE(peer.started());
  ReadUntil(rx, [&] { return received() >= 3; }, 5000);
  EXPECT_EQ(peer.Wait(5000), 0);
  rx.ReadPending();  // nothing more may come

  MainWindow& w = app.Form2();
  const Grid& table = app.Form4().StringGrid1;
  ASSERT_EQ(received(), 3);
  ASSERT_EQ(w.receive.ListBox1.Count(), 3u);
  for (size_t k = 0; k < 3; ++k)
    EXPECT_EQ(w.receive.ListBox1.Line(k), "2024/05/01 09:30:00 DATAを受信しました。[127.0.0.1]      ID001");
  EXPECT_EQ(table.Cell(dtcol::MacAddress, 1), "02:5A:3C:00:00:01");
  EXPECT_EQ(table.Cell(dtcol::IpAddress, 1), "127.0.0.1");
  EXPECT_EQ(table.Cell(dtcol::OlCount, 1), "8");
  EXPECT_EQ(table.Cell(dtcol::CurTemp, 1), "20.0");
  EXPECT_EQ(table.Cell(dtcol::PrevRecv, 1), "2024/05/01,09:30:00");
  EXPECT_EQ(Images(w), (std::vector<int>{7, 0, 0, 3, 7, 7, 7, 7}));
  EXPECT_EQ(w.icons.ListView1.Item(3).caption, "Sensor      (20.0℃)");
  EXPECT_EQ(app.Form4().StringGrid2.Cell(5, 1), "");

  w.monitoring.zolyab_stop();
  EXPECT_EQ(rx.Fd(), -1);
}

}  // namespace
}  // namespace zol
