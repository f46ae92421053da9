// Cost of the device tree's rebuild and of its state-icon pass at the
// table's full size: 999 devices (7,992 device and category nodes) and 98
// unregistered devices, in 10 groups or in 999.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "console/app.h"
#include "console/device_tree.h"
#include "console/main_window.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "support/app_fixture.h"

namespace zol {
namespace {

std::string GroupText(int g) {
  char buf[32];
  snprintf(buf, sizeof buf, "G%03d Group%d", g, g);
  return buf;
}

void Fill(App& app, int groups) {
  Grid& t = app.Form4().StringGrid1;
  for (int r = 1; r <= 999; ++r) {
    char mac[32];
    snprintf(mac, sizeof mac, "02:5A:3C:00:%02X:%02X", (r >> 8) & 0xFF, r & 0xFF);
    t.SetCell(dtcol::MacAddress, r, mac);
    t.SetCell(dtcol::DeviceName, r, "Rack" + std::to_string(r));
    t.SetCell(dtcol::GroupName, r, GroupText((r - 1) % groups + 1));
    t.SetCell(dtcol::RecvDate, r, "2010/11/16");
    t.SetCell(dtcol::ItemImages, r, "0000 0000 0003 0003 0007 0007 0009 0009 ");
  }
  app.Form4().LastDataCnt();
  Grid& u = app.Form4().StringGrid2;
  u.SetRowCount(100);
  for (int r = 1; r <= 99; ++r) {
    char mac[32];
    snprintf(mac, sizeof mac, "02:5A:3C:01:00:%02X", r);
    u.SetCell(5, r, mac);
    u.SetCell(3, r, "10.0.1." + std::to_string(r));
  }
  std::vector<std::string> list;
  for (int g = 1; g <= groups; ++g) list.push_back(GroupText(g));
  list.push_back("G000 未登録グループ");
  app.group_selector().items.Assign(list);
}

void BM_ReStetingData(benchmark::State& state) {
  AppFixture f;
  Fill(*f.app, static_cast<int>(state.range(0)));
  DeviceTree& tree = f.app->tree();
  for (auto _ : state) {
    tree.ReStetingData();
    benchmark::DoNotOptimize(tree.TreeView1.Count());
  }
  state.counters["nodes"] = static_cast<double>(tree.TreeView1.Count());
}
BENCHMARK(BM_ReStetingData)->ArgName("groups")->Arg(10)->Arg(999)->Unit(benchmark::kMillisecond);

// One pass after a datagram: every device node's icon from its row; in the
// second case one device's worst state changes at each pass.
void BM_ListIconRef(benchmark::State& state) {
  AppFixture f;
  Fill(*f.app, 10);
  DeviceTree& tree = f.app->tree();
  tree.ReStetingData();
  tree.ListIconRef();
  Grid& t = f.app->Form4().StringGrid1;
  const bool change = state.range(0) != 0;
  int k = 0;
  for (auto _ : state) {
    if (change) {
      const int r = k++ % 999 + 1;
      t.SetCell(dtcol::ItemImages, r, k % 2 ? "0002 0000 0000 0000 0000 0000 0000 0000 "
                                            : "0000 0000 0003 0003 0007 0007 0009 0009 ");
    }
    tree.ListIconRef();
  }
}
BENCHMARK(BM_ListIconRef)->ArgName("one_change")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace zol
