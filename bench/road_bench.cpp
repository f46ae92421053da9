// One status datagram's whole road - reception, parser, icon view, match,
// change detection, CSV lines, counters, node icons - at 1, 100 and 999
// registered devices of 8 outlets, every outlet shown and logged, capture
// off, the datagrams round robin over the devices; the plain road (second
// argument 1) beside the incremental one (0). The cost per datagram of the
// incremental road must stay flat as the table grows. And the time-out scan
// while nothing times out at 999 x 8; and, for scale, what the system
// itself takes to append a datagram's CSV lines: 8 lines into 8 of 8,000
// files, round robin as the road writes them, beside 8 lines into one file.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "console/app.h"
#include "console/device_tree.h"
#include "console/main_window.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "support/app_fixture.h"
#include "support/datagram_hex.h"

namespace zol {
namespace {

std::string MacText(int r) {
  char mac[32];
  std::snprintf(mac, sizeof mac, "02:5A:3C:00:%02X:%02X", (r >> 8) & 0xFF, r & 0xFF);
  return mac;
}

// A healthy 8-outlet device with 4 PING targets and a sensor, as the
// simulator sends it.
std::string HealthyDatagram(int r) {
  std::vector<sim::OutletWords> outlets(8, sim::OutletWords{1, 1, 0});
  std::vector<sim::PingBlock> blocks(8);
  for (sim::PingBlock& b : blocks) {
    b.f = {1, 1, 10, 10, 4, 1, 1, 1, 0};
    b.targets.assign(4, sim::TargetEntry{});
  }
  sim::TempFields t;
  t.actions = {0, 0, 0, 1, 0, 0, 0, 0};
  t.cur_temp = 2350;
  return Wire(sim::StatusDatagram(sim::Header(1), {sim::IdentRecord(FamilyMac(static_cast<std::uint32_t>(r))),
                                                   sim::OutletRecord(outlets), sim::PingRecord(blocks, 4, 4),
                                                   sim::TempRecord(t), sim::Rec0811(8), sim::Rec0812()}));
}

// devices registered devices, every outlet shown and logged, monitoring
// running, the tree built, every device heard once.
void Prepare(AppFixture& f, int devices, bool plain) {
  MainWindow& w = f.app->Form2();
  Grid& t = f.app->Form4().StringGrid1;
  w.icons.PlainRoad = plain;
  w.system_log.PlainLogSave = plain;
  w.LogDir = f.dir.path();
  w.SysLogMode = true;
  w.SysLogSave = true;
  for (int r = 1; r <= devices; ++r) {
    t.SetCell(dtcol::MacAddress, r, MacText(r));
    t.SetCell(dtcol::LiveBase, r, "20");
    t.SetCell(dtcol::OutletInfo, r, "8,4");
    t.SetCell(dtcol::LogFlags, r, "11111111");
    t.SetCell(dtcol::IconFlags, r, "11111111");
    t.SetCell(dtcol::ItemKinds, r, "01120000");
    t.SetCell(dtcol::DeviceName, r, "Dev" + std::to_string(r));
    t.SetCell(dtcol::OutletNames, r, "Router,Web,DB,Sensor,Out5,Out6,Out7,Out8,");
    t.SetCell(dtcol::GroupName, r, "G001 グループ1");
    t.SetCell(dtcol::NotifyFlags, r, "11110000 00000000");
    t.SetCell(dtcol::ItemImages, r, "0009 0009 0009 0009 0009 0009 0009 0009 ");
  }
  f.app->Form4().LastDataCnt();
  f.app->tree().ComboBoxEx1.items.Add("G001 グループ1");  // the devices' group: a node per device
  f.app->tree().ReStetingData();
  w.monitoring.YabStart();
  w.monitoring.Timer4.SetEnabled(false);  // the scan has its own benchmark
  for (int r = 1; r <= devices; ++r) w.reception.NMUDP1DataReceived(HealthyDatagram(r), "192.168.0.1", 2100);
}

// One datagram's road, in a function of its own so that a profiler can
// count it (valgrind --tool=callgrind --toggle-collect='*RoadStep*').
__attribute__((noinline)) void RoadStep(MainWindow& w, const std::string& datagram) {
  w.reception.NMUDP1DataReceived(datagram, "192.168.0.1", 2100);
}

void BM_DatagramRoad(benchmark::State& state) {
  const int devices = static_cast<int>(state.range(0));
  const bool plain = state.range(1) != 0;
  AppFixture f;
  Prepare(f, devices, plain);
  MainWindow& w = f.app->Form2();
  std::vector<std::string> datagrams;
  for (int r = 1; r <= devices; ++r) datagrams.push_back(HealthyDatagram(r));
  size_t next = 0;
  for (auto _ : state) {
    RoadStep(w, datagrams[next]);
    if (++next == datagrams.size()) next = 0;
  }
  if (w.icons.ListView1.Count() != static_cast<size_t>(8 * devices)) state.SkipWithError("not every outlet shown");
  state.SetItemsProcessed(state.iterations());
  state.counters["icons"] = static_cast<double>(w.icons.ListView1.Count());
}
BENCHMARK(BM_DatagramRoad)
    ->ArgNames({"devices", "plain"})
    ->Args({1, 0})
    ->Args({100, 0})
    ->Args({999, 0})
    ->Args({1, 1})
    ->Args({100, 1})
    ->Args({999, 1})
    ->Unit(benchmark::kMicrosecond);

// One pass of the time-out scan at 999 x 8 while every device is heard.
void BM_TimeOutScanIdle(benchmark::State& state) {
  const bool plain = state.range(0) != 0;
  AppFixture f;
  Prepare(f, 999, plain);
  MonitorControls& monitoring = f.app->Form2().monitoring;
  for (auto _ : state) monitoring.Timer4Timer();
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TimeOutScanIdle)->ArgName("plain")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// 8 appends of a CSV line per datagram with write() on files opened for
// appending, over files files (8 per device), devices round robin: the
// kernel's part of the road's log lines, without any of ours.
void BM_KernelAppends(benchmark::State& state) {
  const int files = static_cast<int>(state.range(0));
  TempDir dir;
  std::vector<int> fds;
  for (int i = 0; i < files; ++i) {
    const std::string path = dir.File("d" + std::to_string(i) + ".csv");
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd >= 0) fds.push_back(fd);
  }
  const std::string line = "2026/12/10,21:05:58,999,8,1,1,0,0,1,0,1,0,23.5,0\r\n";
  size_t next = 0;
  for (auto _ : state) {
    if (fds.size() != static_cast<size_t>(files)) {
      state.SkipWithError("cannot create the files");
      break;
    }
    bool ok = true;
    for (int k = 0; k < 8; ++k) {
      ok = ::write(fds[next], line.data(), line.size()) == static_cast<ssize_t>(line.size()) && ok;
      if (++next == fds.size()) next = 0;
    }
    if (!ok) {
      state.SkipWithError("a write failed");
      break;
    }
  }
  for (int fd : fds) ::close(fd);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_KernelAppends)->ArgName("files")->Arg(1)->Arg(8000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace zol
