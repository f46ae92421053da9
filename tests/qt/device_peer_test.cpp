// The device window against the simulator program over 127.0.0.1, on the
// program's own adapters (clock, event loop, timers, UDP receiver, telnet
// client): a switch reaches the simulated device's console and its next
// datagrams, a wrong password and a console that never accepts end with the
// engine's boxes while the window keeps running.
#include <gtest/gtest.h>

#include <QTest>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "common/posix_clock.h"
#include "common/text.h"
#include "console/app.h"
#include "console/console_settings.h"
#include "console/device_window.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "monitor/monitoring.h"
#include "qt/adapters.h"
#include "qt/telnet_client.h"
#include "support/app_fixture.h"
#include "support/loopback.h"
#include "support/zolsim_peer.h"
#include "wait_for.h"

namespace zol {
namespace {

using Lines = std::vector<std::string>;

class DevicePeerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    zolsim_ = ZolSimPath();
    if (zolsim_.empty()) GTEST_SKIP() << "no zolsim program in the build";
    udp_port_ = FreePort();
    telnet_port_ = FreeTcpPort();
    ASSERT_GT(udp_port_, 0);
    ASSERT_GT(telnet_port_, 0);
    ASSERT_NE(udp_port_, telnet_port_);
    // The program's adapters in place of the fakes of clock, loop, timers,
    // receiver and telnet client.
    Services real;
    real.clock = &clock_;
    real.pump = &pump_;
    real.timers = &timers_;
    real.udp = &udp_;
    real.telnet = &telnet_;
    f_ = std::make_unique<AppFixture>(real);
    app_ = f_->app.get();

    // Device 1 of the simulator: eight power outlets, its telnet console
    // with direct power control.
    Grid& t = table();
    t.SetCell(dtcol::MacAddress, 1, "02:5A:3C:00:00:01");
    t.SetCell(dtcol::LiveBase, 1, "20");
    t.SetCell(dtcol::OutletInfo, 1, "8,4");
    t.SetCell(dtcol::ConnectInfo, 1,
              "telnet,127.0.0.1," + std::to_string(telnet_port_) + ",637437C6279787," + std::to_string(telnet_port_) +
                  ",0,1,0");
    t.SetCell(dtcol::LogFlags, 1, "00000000");
    t.SetCell(dtcol::IconFlags, 1, "11111111");
    t.SetCell(dtcol::ItemKinds, 1, "00000000");
    t.SetCell(dtcol::DeviceName, 1, "ラック1");
    t.SetCell(dtcol::OutletNames, 1, "A,B,C,D,E,F,G,H,");
    t.SetCell(dtcol::NotifyFlags, 1, "00000000 00000000");
    t.SetCell(dtcol::ItemImages, 1, "0009 0009 0009 0009 0009 0009 0009 0009 ");
    app_->Form4().LastDataCnt();
    app_->settings().UdpPort = udp_port_;
    app_->settings().LogDir = f_->dir.path();
  }
  void TearDown() override {
    if (app_) app_->udp().SetLocalPort(0);
  }

  Grid& table() { return app_->Form4().StringGrid1; }
  DeviceWindow& window() { return app_->Form7(); }
  // The power word of outlet 3 in the device row.
  std::string Power3() { return Copy(table().Cell(dtcol::OlWordB, 1), 11, 4); }
  Lines BoxTexts() const {
    Lines t;
    for (const auto& b : f_->boxes.shown) t.push_back(b.text);
    return t;
  }

  // Starts monitoring and the simulator with its console; returns once the
  // first datagram of the device has come in (its console listens by then).
  std::unique_ptr<ZolSim> Start(const Lines& extra) {
    app_->monitoring().YabStart();
    EXPECT_EQ(app_->udp().LocalPort(), udp_port_);
    Lines args{"--port", std::to_string(udp_port_), "--devices", "1", "--rate", "10", "--duration", "30",
               "--telnet-base", std::to_string(telnet_port_), "--telnet-log", log_};
    args.insert(args.end(), extra.begin(), extra.end());
    auto peer = std::make_unique<ZolSim>(zolsim_, args);
    EXPECT_TRUE(peer->started());
    EXPECT_TRUE(WaitFor([this] { return !table().Cell(dtcol::RecvDate, 1).empty(); }, 10000));
    return peer;
  }
  std::string TelnetLog() {
    std::ifstream in(log_);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  TempDir dir_;  // the simulator's telnet log
  std::string log_ = dir_.File("telnet.log");
  std::string zolsim_;
  int udp_port_ = 0, telnet_port_ = 0;
  PosixClock clock_;
  QtPump pump_;
  QtTimerHost timers_;
  QtUdpReceiver udp_;
  QtTelnetClient telnet_;
  std::unique_ptr<AppFixture> f_;
  App* app_ = nullptr;
};

TEST_F(DevicePeerTest, OffSwitchesTheSimulatedOutlet) {
  auto peer = Start({});
  ASSERT_EQ(Power3(), "0001");
  window().listicondata("0001 0003 7", 0);
  ASSERT_TRUE(window().BitBtn8.Enabled());
  window().BitBtn8Click();
  EXPECT_FALSE(window().Visible());
  EXPECT_TRUE(WaitFor([this] { return window().BitBtn8.Enabled(); }, 10000));
  EXPECT_TRUE(f_->boxes.shown.empty()) << f_->boxes.shown[0].text;
  const std::string log = TelnetLog();
  for (const char* line : {"1 [ttype dumb]", "1 kelpo", "1 POF3"})
    EXPECT_NE(log.find(line), std::string::npos) << line << " in\n" << log;
  // The next datagrams show outlet 3 OFF in the row.
  EXPECT_TRUE(WaitFor([this] { return Power3() == "0000"; }, 10000)) << Power3();
}

TEST_F(DevicePeerTest, WrongPasswordEndsWithTheEnginesTwoBoxes) {
  auto peer = Start({"--password", "other"});
  window().listicondata("0001 0003 7", 0);
  window().BitBtn7Click();
  EXPECT_TRUE(WaitFor([this] { return window().BitBtn7.Enabled(); }, 15000));
  EXPECT_EQ(BoxTexts(), (Lines{"パスワードが違います", "接続が切断されました。"}));
  EXPECT_EQ(Power3(), "0001");
}

TEST_F(DevicePeerTest, UnacceptedConnectEndsWithABoxWhileTheTimersRun) {
  auto peer = Start({"--fault", "no-accept"});
  int ticks = 0;
  Timer tick(&timers_, 50, true);
  tick.OnTimer = [&] { ++ticks; };
  window().listicondata("0001 0003 7", 0);
  window().BitBtn9Click();  // returns once the client has given up
  EXPECT_EQ(BoxTexts(), Lines{"接続が出来ませんでした"});
  EXPECT_GE(ticks, 20);  // the event loop ran all along
  EXPECT_TRUE(window().BitBtn9.Enabled());
}

}  // namespace
}  // namespace zol
