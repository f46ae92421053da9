// Cost of one icon view rebuild over the whole device table, by the number
// of monitored items (8 per device, the last device partly). The growth
// must stay linear: the icon of an item is found through the key index.
#include <benchmark/benchmark.h>

#include <string>

#include "console/app.h"
#include "console/main_window.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "support/app_fixture.h"

namespace zol {
namespace {

std::string Words(int n, const std::string& word) {
  std::string s;
  for (int k = 0; k < n; ++k) s += (k ? " " : "") + word;
  return s;
}

void FillTable(App& app, int items) {
  Grid& t = app.Form4().StringGrid1;
  const int devices = (items + 7) / 8;
  for (int r = 1; r <= devices; ++r) {
    const int outlets = r < devices || items % 8 == 0 ? 8 : items % 8;
    char mac[32];
    snprintf(mac, sizeof mac, "02:5A:3C:00:%02X:%02X", (r >> 8) & 0xFF, r & 0xFF);
    t.SetCell(dtcol::MacAddress, r, mac);
    t.SetCell(dtcol::OutletInfo, r, "8,4");
    t.SetCell(dtcol::IconFlags, r, std::string(size_t(outlets), '1') + std::string(size_t(8 - outlets), '0'));
    t.SetCell(dtcol::ItemKinds, r, "00111222");
    t.SetCell(dtcol::DeviceName, r, "Dev" + std::to_string(r));
    t.SetCell(dtcol::OutletNames, r, "Out1,Out2,Out3,Out4,Out5,Out6,Out7,Out8,");
    t.SetCell(dtcol::NotifyFlags, r, "11110000 00000000");
    t.SetCell(dtcol::RecvDate, r, "2010/11/16");
    t.SetCell(dtcol::RecvTime, r, "12:52:07");
    t.SetCell(dtcol::PngPower, r, Words(8, "0001"));
    t.SetCell(dtcol::PngJudge, r, Words(8, "0001"));
    t.SetCell(dtcol::PngAction, r, Words(8, "0001"));
    t.SetCell(dtcol::PngNoResp2, r, Words(32, "0000"));
    t.SetCell(dtcol::TmpActions, r, "01 01 01 01 01 01 01 01");
    t.SetCell(dtcol::Status, r, "00");
    t.SetCell(dtcol::CurTemp, r, "23.5");
  }
}

void BM_IconReStetingData(benchmark::State& state) {
  AppFixture f;
  MainWindow& main = f.app->Form2();
  FillTable(*f.app, static_cast<int>(state.range(0)));
  // Monitoring runs; the first rebuild records every item's state.
  main.monitoring.ToolButton1.SetEnabled(false);
  main.icons.IconReStetingData();
  for (auto _ : state) {
    main.icons.IconReStetingData();
    benchmark::DoNotOptimize(main.icons.ListView1.Count());
  }
  if (main.icons.ListView1.Count() != static_cast<size_t>(state.range(0))) state.SkipWithError("wrong icon count");
  state.SetComplexityN(state.range(0));
  state.counters["icons"] = static_cast<double>(main.icons.ListView1.Count());
}
BENCHMARK(BM_IconReStetingData)->Arg(100)->Arg(1000)->Arg(7992)->Unit(benchmark::kMicrosecond)->Complexity(benchmark::oN);

// One rebuild over 100 devices, one of whose rows claims Arg outlets in its
// OutletInfo with as many icon flags set (a damaged device file): the cost
// must not follow the claimed count, since a row shows at most 8 outlets.
void BM_RebuildWithDamagedOutletCount(benchmark::State& state) {
  AppFixture f;
  MainWindow& main = f.app->Form2();
  FillTable(*f.app, 800);
  Grid& t = f.app->Form4().StringGrid1;
  const int outlets = static_cast<int>(state.range(0));
  t.SetCell(dtcol::OutletInfo, 50, std::to_string(outlets) + ",4");
  t.SetCell(dtcol::IconFlags, 50, std::string(static_cast<size_t>(outlets), '1'));
  main.monitoring.ToolButton1.SetEnabled(false);
  main.icons.IconReStetingData();
  for (auto _ : state) {
    main.icons.IconReStetingData();
    benchmark::DoNotOptimize(main.icons.ListView1.Count());
  }
  if (main.icons.ListView1.Count() != 800) state.SkipWithError("a row showed more than 8 outlets");
  state.counters["icons"] = static_cast<double>(main.icons.ListView1.Count());
}
BENCHMARK(BM_RebuildWithDamagedOutletCount)->Arg(8)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace zol
