// The detail window and the chart fed by the simulator program over a real
// socket on 127.0.0.1: one registered device charted and shown.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/posix_udp.h"
#include "console/app.h"
#include "console/chart_window.h"
#include "console/detail_window.h"
#include "console/main_window.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "support/app_fixture.h"
#include "support/loopback.h"
#include "support/zolsim_peer.h"

namespace zol {
namespace {

class PeerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    zolsim = ZolSimPath();
    if (zolsim.empty()) GTEST_SKIP() << "no zolsim program in the build";
    f.sim.SetBootMillis(3600 * 1000);
    f.sim.SetNow(DateTime{2024, 5, 1, 9, 30, 0});
    port = FreePort();
    ASSERT_GT(port, 0);
  }
  App& app() { return *f.app; }
  MainWindow& main() { return app().Form2(); }
  Grid& table() { return app().Form4().StringGrid1; }
  DetailWindow& detail() { return app().Form6(); }
  ChartWindow& chart() { return app().Form11(); }

  // Device 1 as the device editor stores it; charted and shown.
  void RegisterDevice(const std::string& mac, const std::string& outlet_info, const std::string& kinds) {
    table().SetCell(dtcol::MacAddress, 1, mac);
    table().SetCell(dtcol::LiveBase, 1, "20");
    table().SetCell(dtcol::OutletInfo, 1, outlet_info);
    table().SetCell(dtcol::LogFlags, 1, "00000000");
    table().SetCell(dtcol::IconFlags, 1, "11111111");
    table().SetCell(dtcol::ItemKinds, 1, kinds);
    table().SetCell(dtcol::DeviceName, 1, "ラック1");
    table().SetCell(dtcol::OutletNames, 1, "A,B,C,D,E,F,G,H,");
    table().SetCell(dtcol::DeviceMemo, 1, "2F");
    table().SetCell(dtcol::DeviceInfo, 1, "ZOL-8 v1.2");
    table().SetCell(dtcol::NotifyFlags, 1, "00000000 00000000");
    table().SetCell(dtcol::ItemImages, 1, "0009 0009 0009 0009 0009 0009 0009 0009 ");
    app().Form4().LastDataCnt();
    main().TempDevice = 1;
    main().receive.DetailDevice = 1;
    detail().FormCreate();
    chart().FormCreate();
    main().icons.BitBtn1Click();  // the chart button opens the chart
  }

  // Runs the simulator for count datagrams and takes them in.
  void Run(std::vector<std::string> args, int count) {
    main().UdpPort = port;
    main().monitoring.YabStart();
    ASSERT_TRUE(f.boxes.shown.empty()) << f.boxes.shown[0].text;
    args.insert(args.end(), {"--port", std::to_string(port), "--count", std::to_string(count), "--rate", "50",
                             "--duration", "10"});
    ZolSim peer(zolsim, args);
    ASSERT_TRUE(peer.started());
    ReadUntil(rx, [&] { return received() >= count; }, 5000);
    EXPECT_EQ(peer.Wait(5000), 0);
    rx.ReadPending();
    EXPECT_EQ(received(), count);
    main().monitoring.zolyab_stop();
  }

  std::vector<std::string> Row(const Grid& g, int row) {
    std::vector<std::string> out;
    for (int c = 1; c < g.ColCount(); ++c) out.push_back(g.Cell(c, row));
    return out;
  }

  PosixUdpReceiver rx;
  AppFixture f{&rx};
  std::string zolsim;
  int port = 0;
  // Datagrams matched so far: each adds a line to the receive list (20 kept).
  int received() { return static_cast<int>(app().receive_view().ListBox1.Count()); }
};

TEST_F(PeerTest, RampChartedAndDetailsFollowTheDevice) {
  RegisterDevice("02:5A:3C:00:00:01", "8,4", "01120222");
  const int n = 12;
  Run({"--mac-suffix", "000001", "--event", "0 1 ramp 20 30 0.2", "--event", "0 1 thresholds -5 0 40 45",
       "--event", "0 1 noresp 2 3 5", "--event", "0 1 noresp 3 1 A", "--event", "0 1 tempaction all 0",
       "--event", "0 1 tempaction 6 3",
       "--event", "0 1 tempaction 7 2", "--event", "0 1 status 1", "--event", "0 1 actionstatus 1"},
      n);
  ASSERT_EQ(received(), n);

  // The chart: n readings ending at x = 99, rising from 20 to 30 degrees.
  const auto& temps = chart().Chart1.Points(ChartWindow::Series1);
  ASSERT_EQ(temps.size(), static_cast<size_t>(n));
  EXPECT_EQ(temps.front().x, 100 - n);
  EXPECT_EQ(temps.back().x, 99);
  for (size_t k = 1; k < temps.size(); ++k) EXPECT_GE(temps[k].y, temps[k - 1].y);
  EXPECT_GE(temps.front().y, 20);
  EXPECT_LE(temps.back().y, 30);
  EXPECT_EQ(chart().Chart1.Points(ChartWindow::Series4).back().y, -5);
  EXPECT_EQ(chart().Chart1.Points(ChartWindow::Series2).back().y, 0);
  EXPECT_EQ(chart().Chart1.Points(ChartWindow::Series3).back().y, 40);
  EXPECT_EQ(chart().Chart1.Points(ChartWindow::Series5).back().y, 45);
  EXPECT_EQ(chart().Chart1.Title(), std::vector<std::string>{"ID001 ラック1"});
  EXPECT_EQ(chart().Memo1.Count(), static_cast<size_t>(n + 1));  // the opening and every datagram

  // The detail window, refilled by every datagram while it was never shown.
  EXPECT_FALSE(detail().Visible());
  detail().OpenDevice(1);
  EXPECT_EQ(detail().NamePanel.Caption(), "ラック1");
  EXPECT_EQ(detail().IpaddrPanel.Caption(), "127.0.0.1");
  EXPECT_EQ(detail().Label7.Caption(), "MACアドレス");
  EXPECT_EQ(detail().MacAddrPanel.Caption(), "02:5A:3C:00:00:01");
  EXPECT_EQ(detail().Label26.Caption(), "ZOL-8 v1.2");
  EXPECT_TRUE(detail().TabSheet[3].Visible());
  EXPECT_EQ(detail().OlImage[1].Band(), kStripOn);
  EXPECT_EQ(Row(detail().OlGrid, 1), (std::vector<std::string>{"", "", "10", "10", "4", "ログのみ", "0"}));
  EXPECT_EQ(Row(detail().OlGrid2, 2), (std::vector<std::string>{"正常", "0", "正常", "0", "注意", "5", "正常", "0"}));
  EXPECT_EQ(Row(detail().OlGrid2, 3), (std::vector<std::string>{"異常", "10", "正常", "0", "正常", "0", "正常", "0"}));
  EXPECT_EQ(Row(detail().OlGrid, 6), (std::vector<std::string>{"", "", "上限OFF", "45℃", "40℃", "2℃", "30.0℃"}));
  EXPECT_EQ(Row(detail().OlGrid, 7), (std::vector<std::string>{"", "", "下限ON", "-5℃", "0℃", "2℃", "30.0℃"}));
  EXPECT_EQ(detail().Panel15.Caption(), "2");
  EXPECT_EQ(detail().Panel21.Caption(), "温度が45℃以上になった場合、アウトレット6をOFF");
  EXPECT_EQ(detail().Panel22.Caption(), "温度が-5℃以下になった場合、アウトレット7をON");
  EXPECT_EQ(detail().AlamPanel.Caption(), "上限注意");
  EXPECT_EQ(detail().TempLabel.Caption(), "30.0");
  // Overlay: power ON; outlet 3 PING with a missed answer is judged by the
  // device's word (normal); outlet 6 in caution with its action running.
  const CellPaint power = detail().OlGridDrawCell(1, 1);
  EXPECT_EQ(power.texts[0].text, "ON");
  EXPECT_EQ(detail().OlGridDrawCell(2, 3).texts[0].text, "正常");
  const CellPaint running = detail().OlGridDrawCell(2, 6);
  EXPECT_EQ(running.texts[0].text, "実行中");
  EXPECT_EQ(running.fill, Color{0xFFFFA0});
}

TEST_F(PeerTest, OlderLayoutShowsTheTerminalId) {
  RegisterDevice("FF:FF:FF:00:01:2C", "4,3", "01110000");
  Run({"--mac-suffix", "00012C", "--legacy"}, 3);
  ASSERT_EQ(received(), 3);
  detail().OpenDevice(1);
  EXPECT_EQ(detail().Label7.Caption(), "ターミナルID");
  EXPECT_EQ(detail().MacAddrPanel.Caption(), "300");
  EXPECT_FALSE(detail().TabSheet[3].Visible());  // no temperature record
  EXPECT_EQ(detail().AlamPanel.Caption(), "未測定");
  EXPECT_TRUE(detail().OlNamePanel[4].Visible());
  EXPECT_FALSE(detail().OlNamePanel[5].Visible());
  EXPECT_EQ(Row(detail().OlGrid, 2), (std::vector<std::string>{"", "", "10", "10", "3", "ログのみ", "0"}));
  EXPECT_EQ(Row(detail().OlGrid2, 2), (std::vector<std::string>{"正常", "0", "正常", "0", "正常", "0", "", ""}));
  // No temperature: the chart has the status lines but no points.
  EXPECT_TRUE(chart().Chart1.Points(ChartWindow::Series1).empty());
  EXPECT_EQ(chart().Label1.Caption(), "2024/05/01 09:30:00      ℃ ");
}

}  // namespace
}  // namespace zol
