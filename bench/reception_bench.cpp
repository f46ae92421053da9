// Receive-to-live-record: one datagram through the reception handler and the
// record parser into the live record text and the ring, and on through the
// icon rebuild and the match (no device registered, capture off).
#include <benchmark/benchmark.h>

#include <array>
#include <string>

#include "console/main_window.h"
#include "monitor/debug_window.h"
#include "support/app_fixture.h"
#include "support/datagram_hex.h"

namespace zol {
namespace {

void Run(benchmark::State& state, const std::string& datagram) {
  AppFixture f;
  MainWindow& form2 = f.app->Form2();
  for (auto _ : state) {
    form2.reception.NMUDP1DataReceived(datagram, "192.168.0.205", 2100);
    benchmark::DoNotOptimize(f.app->Form4().StringGridBuffTag);
  }
  if (f.app->Form4().Memo2.Count() < 22) state.SkipWithError("datagram was not parsed");
  state.SetItemsProcessed(state.iterations());
}

void BM_Sample8Outlets(benchmark::State& state) { Run(state, SampleDatagram()); }

void BM_LegacyDatagram(benchmark::State& state) {
  std::array<sim::OutletWords, 4> outlets{};
  std::array<sim::LegacyPingBlock, 4> ping{};
  for (sim::LegacyPingBlock& b : ping) b.f = {1, 0, 10, 10, 3, 1, 1, 1, 0};
  Run(state, Wire(sim::LegacyDatagram(0xB5B6, outlets, ping)));
}

BENCHMARK(BM_Sample8Outlets);
BENCHMARK(BM_LegacyDatagram);

}  // namespace
}  // namespace zol
