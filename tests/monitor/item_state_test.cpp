#include "monitor/item_state.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "monitor_fixture.h"

namespace zol {
namespace {

struct StateCase {
  const char* what;
  const char* kinds;
  std::vector<std::pair<int, std::string>> cells;  // device-table column, text
  int outlet;
  const char* code;
  int image;
  const char* triple;  // empty: not checked
};

class ItemStateTest : public MonitorFixture, public ::testing::WithParamInterface<StateCase> {};

// ItemKindOf of an outlet of a device row, on the row as it stands now.
char KindOf(MonitorFixture& f, int row, int outlet) {
  return ItemKindOf(ItemRow(f.table(), row, ReceiveClock(f.sim), f.main().TimeOutMin), outlet);
}

TEST_P(ItemStateTest, CodeImageAndTriple) {
  const StateCase& c = GetParam();
  Register(7, MacOf(7), c.kinds);
  SetLive(7, HealthyRecord(MacOf(7)));
  for (const auto& cell : c.cells) table().SetCell(cell.first, 7, cell.second);
  const std::string code = main().states.ItemState(7, c.outlet);
  EXPECT_EQ(code, c.code);
  EXPECT_EQ(KindOf(*this, 7, c.outlet), code.empty() ? '\0' : code[0]);
  EXPECT_EQ(StateImageOfCode(code), c.image);
  if (*c.triple) {
    EXPECT_EQ(main().states.ItemStateTriple(7, c.outlet), c.triple);
  }
}

const std::string kFourTargetsNoMiss = Words(32, "0000");

INSTANTIATE_TEST_SUITE_P(
    Kinds, ItemStateTest,
    ::testing::Values(
        StateCase{"power on", "00000000", {{dtcol::PngPower, "0001 0001"}}, 1, "01", 7, ""},
        StateCase{"power off", "00000000", {{dtcol::PngPower, "0001 0000"}}, 2, "00", 6, ""},
        StateCase{"power without record", "00000000", {{dtcol::PngPower, ""}}, 1, "09", 9, ""},
        StateCase{"power word with a letter digit", "00000000", {{dtcol::PngPower, "000A"}}, 1, "09", 9, ""},
        // A signed word is a decimal number too: -1 gives a state text
        // without a picture, +1 reads as 1.
        StateCase{"power word with a minus sign", "00000000", {{dtcol::PngPower, "-001"}}, 1, "0-1", 99, ""},
        StateCase{"power word with a plus sign", "00000000", {{dtcol::PngPower, "+001"}}, 1, "01", 7, ""},
        StateCase{"ping judgement with a minus sign", "11111111", {{dtcol::PngJudge, "-001"}}, 1, "1-2", 99,
                  "1,-2,0"},
        StateCase{"temperature status below zero", "22222222", {{dtcol::Status, "-5"}}, 1, "2-5", 99, "1,0,-5"},
        // The triple's power value comes from the outlet word, not the PING
        // record's power word.
        StateCase{"triple power from the outlet word", "00000000", {{dtcol::OlWordB, "0000 0000"}}, 2, "01", 7,
                  "0,0,0"},
        StateCase{"ping caution from a miss", "11111111",
                  {{dtcol::PngNoResp2, "0003" + kFourTargetsNoMiss.substr(4)}}, 1, "11", 1, "1,1,0"},
        StateCase{"ping normal", "11111111", {}, 1, "10", 0, "1,0,0"},
        StateCase{"ping judgement 0 normal", "11111111", {{dtcol::PngJudge, "0000"}}, 1, "10", 0, "1,0,0"},
        StateCase{"ping abnormal whatever the counts", "11111111",
                  {{dtcol::PngJudge, "0002"}, {dtcol::PngNoResp2, "0003"}}, 1, "12", 2, "1,2,0"},
        StateCase{"ping watch off", "11111111", {{dtcol::PngAction, "0000"}}, 1, "19", 9, "1,9,0"},
        StateCase{"ping without judgement", "11111111", {{dtcol::PngJudge, ""}}, 1, "19", 9, "1,9,0"},
        StateCase{"judgement 3 normal in the code, 2 in the triple", "11111111", {{dtcol::PngJudge, "0003"}}, 1,
                  "10", 0, "1,2,0"},
        StateCase{"count 000A caution in the code, 0 in the triple", "11111111", {{dtcol::PngNoResp2, "000A"}},
                  1, "11", 1, "1,0,0"},
        // Two outlets, four targets: the fourth target's count of outlet 2
        // stands at word 8.
        StateCase{"miss on the fourth target", "11", {{dtcol::OutletInfo, "2,4"},
                  {dtcol::PngNoResp2, "0000 0000 0000 0000 0000 0000 0000 0001"}}, 2, "11", 1, ""},
        StateCase{"miss on the fourth target, other outlet", "11", {{dtcol::OutletInfo, "2,4"},
                  {dtcol::PngNoResp2, "0000 0000 0000 0000 0000 0000 0000 0001"}}, 1, "10", 0, ""},
        // Outlet count 0 ("000A" read as a decimal number): the target walk
        // still advances and ends.
        StateCase{"outlet count 0", "11111111", {{dtcol::OutletInfo, "0,4"},
                  {dtcol::PngNoResp2, "0000 0002 0000"}}, 1, "11", 1, "1,1,0"},
        StateCase{"temperature upper action caution", "22222222", {{dtcol::Status, "01"}}, 1, "21", 4, "1,0,1"},
        StateCase{"temperature upper action alarm", "22222222", {{dtcol::Status, "02"}}, 1, "22", 5, ""},
        StateCase{"temperature lower action, status 1 normal", "22222222",
                  {{dtcol::Status, "01"}, {dtcol::TmpActions, "02 02"}}, 1, "20", 3, ""},
        StateCase{"temperature lower action alarm", "22222222",
                  {{dtcol::Status, "04"}, {dtcol::TmpActions, "04 04"}}, 2, "22", 5, ""},
        StateCase{"temperature not measured", "22222222", {{dtcol::Status, "99"}}, 1, "20", 3, ""},
        StateCase{"temperature upper action 3 alarm", "22222222",
                  {{dtcol::Status, "02"}, {dtcol::TmpActions, "03 03"}}, 1, "22", 5, "1,0,2"},
        StateCase{"temperature lower action, status 3 caution", "22222222",
                  {{dtcol::Status, "03"}, {dtcol::TmpActions, "02 02"}}, 1, "21", 4, "1,0,1"},
        StateCase{"temperature action code 5", "22222222",
                  {{dtcol::Status, "01"}, {dtcol::TmpActions, "05 05"}}, 1, "29", 9, "1,0,9"},
        StateCase{"temperature without record", "22222222", {{dtcol::Status, ""}}, 1, "29", 9, "1,0,9"},
        StateCase{"temperature without action", "22222222", {{dtcol::TmpActions, "00 00"}}, 1, "29", 9, ""},
        StateCase{"kind digit 5", "50000000", {}, 1, "", 99, "1,0,0"},
        StateCase{"kind letter", "x0000000", {}, 1, "", 99, "1,0,0"}),
    [](const ::testing::TestParamInfo<StateCase>& info) {
      std::string name;
      for (const char* p = info.param.what; *p; ++p) name += isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
      return name;
    });

// The time-out overlay against the receive clock.
struct TimeOutCase {
  const char* what;
  int timeout_min;
  uint64_t silent_ms;
  bool received;  // RecvDate set
  bool timed_out;
};

class TimeOutTest : public MonitorFixture, public ::testing::WithParamInterface<TimeOutCase> {};

TEST_P(TimeOutTest, EveryKindEndsIn8) {
  const TimeOutCase& c = GetParam();
  main().TimeOutMin = c.timeout_min;
  Register(7, MacOf(7), "01250000");
  sim.SetBootMillis(5'000'000);
  LiveRec rec = HealthyRecord(MacOf(7));
  if (!c.received) rec[0].clear();
  SetLive(7, rec);
  table().SetCell(dtcol::RecvTick, 7, std::to_string(ReceiveClock(sim)));
  sim.Advance(c.silent_ms);
  const std::vector<std::string> expect =
      c.timed_out ? std::vector<std::string>{"08", "18", "28", "8"} : std::vector<std::string>{"01", "10", "20", ""};
  for (int i = 1; i <= 4; ++i) {
    EXPECT_EQ(main().states.ItemState(7, i), expect[static_cast<size_t>(i - 1)]) << i;
    // The CSV line's kind: the code's first character, without the state.
    const std::string& e = expect[static_cast<size_t>(i - 1)];
    EXPECT_EQ(KindOf(*this, 7, i), e.empty() ? '\0' : e[0]) << i;
  }
  if (c.timed_out) {
    EXPECT_EQ(StateImageOfCode(main().states.ItemState(7, 2)), 8);
  }
  // Kind digit 5: no picture, timed out or not.
  EXPECT_EQ(StateImageOfCode(main().states.ItemState(7, 4)), 99);
  // The CSV triple has no time-out overlay.
  EXPECT_EQ(main().states.ItemStateTriple(7, 1), "1,0,0");
}

INSTANTIATE_TEST_SUITE_P(Silence, TimeOutTest,
                         ::testing::Values(TimeOutCase{"601s", 10, 601'000, true, true},
                                           TimeOutCase{"600s", 10, 600'999, true, false},
                                           TimeOutCase{"off", 0, 100'000'000, true, false},
                                           TimeOutCase{"never_heard", 10, 100'000'000, false, false}),
                         [](const ::testing::TestParamInfo<TimeOutCase>& info) { return info.param.what; });

// A device that falls silent shortly before the 32-bit millisecond tick
// wraps (49.7 days after start) must still time out after the wrap.
TEST_F(MonitorFixture, SilentDeviceTimesOutAcrossTheTickWrap) {
  main().TimeOutMin = 10;
  Register(7, MacOf(7), "10000000");
  sim.SetBootMillis((uint64_t{1} << 32) - 60'000);  // one minute before the wrap
  Match(HealthyRecord(MacOf(7)));
  EXPECT_EQ(Cell(dtcol::RecvTick, 7), std::to_string(((uint64_t{1} << 32) - 60'000) / 1000));
  EXPECT_EQ(main().states.ItemState(7, 1), "10");
  sim.Advance(601'000);
  EXPECT_LT(sim.TickCount(), 600'000u);  // the 32-bit tick has wrapped
  EXPECT_EQ(main().states.ItemState(7, 1), "18");
}

// A receive clock stored by an earlier run is harmless: without a datagram
// since start the device never times out.
TEST_F(MonitorFixture, StoredReceiveClockOfEarlierRunNeverTimesOut) {
  main().TimeOutMin = 10;
  Register(7, MacOf(7), "00000000");
  table().SetCell(dtcol::RecvTick, 7, "99999");
  sim.SetBootMillis(10'000'000'000);
  EXPECT_EQ(main().states.ItemState(7, 1), "09");
}

// A device registered from the unregistered list holds a live record but no
// receive clock until its next datagram: it does not time out.
TEST_F(MonitorFixture, LiveRecordWithoutReceiveClockNeverTimesOut) {
  main().TimeOutMin = 10;
  Register(7, MacOf(7), "00000000");
  SetLive(7, HealthyRecord(MacOf(7)));
  sim.SetBootMillis(10'000'000'000);
  EXPECT_EQ(main().states.ItemState(7, 1), "01");
}

TEST_F(MonitorFixture, StateImageTexts) {
  Register(7, MacOf(7));
  SetLive(7, HealthyRecord(MacOf(7)));
  const std::vector<std::pair<int, std::string>> with_temp = {
      {0, "PING 正常"}, {1, "PING 注意"}, {2, "PING 異常"}, {3, "温度 正常 (23.5℃)"},
      {4, "温度 注意 (23.5℃)"}, {5, "温度 警報 (23.5℃)"}, {6, "電源 OFF"}, {7, "電源 ON"},
      {8, "TimeOut"}, {9, "不明"}, {99, ""}, {-1, ""}};
  for (const auto& c : with_temp) EXPECT_EQ(main().states.StateImageText(c.first, 7), c.second) << c.first;
  table().SetCell(dtcol::CurTemp, 7, "");
  EXPECT_EQ(main().states.StateImageText(3, 7), "温度 正常");
}

}  // namespace
}  // namespace zol
