// The detail grid over a real peer: the simulator program sends a
// registered device's datagrams to the console's receiver on 127.0.0.1
// while monitoring runs; a click on the device's category nodes then lists
// what those datagrams said.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/files.h"
#include "common/posix_udp.h"
#include "console/app.h"
#include "console/device_tree.h"
#include "console/main_window.h"
#include "monitor/debug_window.h"
#include "support/app_fixture.h"
#include "support/loopback.h"
#include "support/zolsim_peer.h"

namespace zol {
namespace {

// A program folder with one registered device, 02:5A:3C:00:00:01 in group
// G001: outlet 1 power, 2 and 3 PING watch, 4 temperature.
void WriteFolder(const TempDir& dir, int port) {
  std::string err;
  ASSERT_TRUE(WriteFileAtomic(dir.File("zolyab4.Ini"), CrLf({"[SYSTEM]", "PORT=" + std::to_string(port)}), &err))
      << err;
  ASSERT_TRUE(WriteFileAtomic(dir.File("zolyab4.dat"),
                              CrLf({"02:5A:3C:00:00:01", "20", "", "8,4", "", "127.0.0.1", "11111111", "11111111",
                                    "01120000", "ラック1", "電源1,PING2,PING3,温度4,電源5,電源6,電源7,電源8,",
                                    "G001 グループ1", "メモ1", "", "", "00000000 00000000", "",
                                    "0009 0009 0009 0009 0009 0009 0009 0009 ", "", ""}),
                              &err))
      << err;
  ASSERT_TRUE(WriteFileAtomic(dir.File("zolyab4.lst"), CrLf({"G001 グループ1", "G000 未登録グループ"}), &err)) << err;
}

TEST(DetailGridRoadTest, ClickListsWhatTheSimulatorSent) {
  const std::string zolsim = ZolSimPath();
  if (zolsim.empty()) GTEST_SKIP() << "no zolsim program";

  PosixUdpReceiver rx;
  AppFixture f(&rx);
  f.sim.SetBootMillis(3600 * 1000);
  f.sim.SetNow(DateTime{2024, 5, 1, 9, 30, 0});
  App& app = *f.app;
  const int port = FreePort();
  ASSERT_GT(port, 0);
  WriteFolder(f.dir, port);
  MainWindow& w = app.Form2();
  w.IniLoad();
  ASSERT_TRUE(app.Form4().SettingDataLoad());
  app.tree().ReStetingData();
  w.monitoring.YabStart();
  ASSERT_GE(rx.Fd(), 0);

  ZolSim peer(zolsim, {"--port", std::to_string(port), "--count", "3", "--rate", "50", "--duration", "10",
                       "--event", "0 1 ping 3 abnormal", "--event", "0 1 temp 31.5"});
  ASSERT_TRUE(peer.started());
  ReadUntil(rx, [&] { return w.receive.ListBox1.Count() >= 3; }, 5000);
  EXPECT_EQ(peer.Wait(5000), 0);
  rx.ReadPending();
  ASSERT_EQ(w.receive.ListBox1.Count(), 3u);

  // The operator opens the device and clicks its category nodes.
  TreeView& tree = app.tree().TreeView1;
  TreeNode* device = tree.Top(0) ? tree.Top(0)->Item(0) : nullptr;
  ASSERT_NE(device, nullptr);
  ASSERT_EQ(device->Text(), "ID001 ラック1");
  auto click = [&](TreeNode* node) {
    tree.Select(node);
    w.detail_grid.TreeView1Click();
  };
  const Grid& g = w.detail_grid.StringGrid2;
  click(device->Item(0));  // "状態表示"
  EXPECT_EQ(g.Cell(1, 3), "PING監視");
  EXPECT_EQ(g.Cell(2, 3), "異常");
  EXPECT_EQ(g.Cell(2, 2), "正常");
  EXPECT_EQ(g.Cell(2, 1), "電源ON");
  EXPECT_EQ(g.Cell(0, 8), "8");
  click(device->Item(2));  // "温度監視"
  EXPECT_EQ(g.Cell(2, 1), "31.5℃");
  EXPECT_NE(g.Cell(2, 2), "");  // the device's thresholds, with their unit
  EXPECT_EQ(g.Cell(2, 2).substr(g.Cell(2, 2).size() - 2), "℃");
  click(device);
  EXPECT_EQ(g.Cell(2, 2), "02:5A:3C:00:00:01");
  EXPECT_EQ(g.Cell(2, 3), "127.0.0.1");

  w.monitoring.zolyab_stop();
}

}  // namespace
}  // namespace zol
