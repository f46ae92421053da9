// Cost of the device editor's pass in a tree rebuild: every placed device
// loaded and stored through the editor (its row normalised, its eight icons
// removed and made again), for 100 and 999 devices of eight outlets. The
// rebuild empties the icon view first; the pass fills it again.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "common/scramble.h"
#include "console/app.h"
#include "console/device_tree.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "monitor/icon_view.h"
#include "support/app_fixture.h"
#include "telnet/device_editor.h"

namespace zol {
namespace {

void Fill(App& app, int devices) {
  Grid& t = app.Form4().StringGrid1;
  const std::string password = Scramble("kelpo", 1);
  for (int r = 1; r <= devices; ++r) {
    char mac[32];
    snprintf(mac, sizeof mac, "02:5A:3C:00:%02X:%02X", (r >> 8) & 0xFF, r & 0xFF);
    t.SetCell(dtcol::MacAddress, r, mac);
    t.SetCell(dtcol::OutletInfo, r, "8,2");
    t.SetCell(dtcol::ConnectInfo, r, "telnet,10.0.0.1,80," + password + ",23,0,1,1");
    t.SetCell(dtcol::IpAddress, r, "10.0.0.1");
    t.SetCell(dtcol::LogFlags, r, "10000000");
    t.SetCell(dtcol::IconFlags, r, "11111111");
    t.SetCell(dtcol::ItemKinds, r, "01000000");
    t.SetCell(dtcol::DeviceName, r, "Rack" + std::to_string(r));
    t.SetCell(dtcol::OutletNames, r, "A,B,C,D,E,F,G,H,");
    t.SetCell(dtcol::GroupName, r, "G001 Group1");
    t.SetCell(dtcol::NotifyFlags, r, "11110000 11110000");
    t.SetCell(dtcol::RecvDate, r, "2010/11/16");
    t.SetCell(dtcol::OlCount, r, "8");
    t.SetCell(dtcol::OlWordA, r, "FFFF");
  }
  app.Form4().LastDataCnt();
  app.group_selector().items.Assign({"G001 Group1", "G000 未登録グループ"});
  app.group_selector().SetEnabled(true);
}

// The editor's pass alone, as the rebuild runs it on an emptied icon view.
void BM_EditorPass(benchmark::State& state) {
  AppFixture f;
  const int devices = static_cast<int>(state.range(0));
  Fill(*f.app, devices);
  f.app->tree().ReStetingData();
  DeviceEditor& editor = f.app->Form5();
  IconView& icons = f.app->icons();
  for (auto _ : state) {
    state.PauseTiming();
    icons.ListView1.Clear();
    state.ResumeTiming();
    for (int r = 1; r <= devices; ++r) editor.EditDataGetPut(r);
    benchmark::DoNotOptimize(icons.ListView1.Count());
  }
  state.counters["icons"] = static_cast<double>(icons.ListView1.Count());
  state.counters["per_device_us"] =
      benchmark::Counter(static_cast<double>(devices), benchmark::Counter::kIsIterationInvariantRate |
                                                           benchmark::Counter::kInvert);
}
BENCHMARK(BM_EditorPass)->ArgName("devices")->Arg(100)->Arg(999)->Unit(benchmark::kMillisecond);

// The whole rebuild with the editor's pass.
void BM_RebuildWithEditor(benchmark::State& state) {
  AppFixture f;
  Fill(*f.app, static_cast<int>(state.range(0)));
  DeviceTree& tree = f.app->tree();
  for (auto _ : state) {
    tree.ReStetingData();
    benchmark::DoNotOptimize(tree.TreeView1.Count());
  }
}
BENCHMARK(BM_RebuildWithEditor)->ArgName("devices")->Arg(100)->Arg(999)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zol
