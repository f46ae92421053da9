#include "common/platform.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/sim_platform.h"

namespace zol {
namespace {

TEST(DateFormats, AllFive) {
  DateTime t{2010, 1, 6, 9, 5, 3};
  EXPECT_EQ(DateText(t), "2010/01/06");
  EXPECT_EQ(TimeText(t), "09:05:03");
  EXPECT_EQ(Yymmdd(t), "100106");
  EXPECT_EQ(Yyyymmdd(t), "20100106");
  EXPECT_EQ(Hhnnss(t), "090503");
}

TEST(SimPlatform, WallClockFollowsTheTicks) {
  SimPlatform sim;
  DateTime t{2010, 12, 31, 23, 59, 59};
  sim.SetNow(t);
  sim.Advance(1000);
  EXPECT_EQ(DateText(sim.Now()), "2011/01/01");
  EXPECT_EQ(TimeText(sim.Now()), "00:00:00");
}

TEST(SimPlatform, TimersFireInOrderAndRestartOnChange) {
  SimPlatform sim;
  std::vector<std::string> log;
  Timer a(&sim, 300, true), b(&sim, 500, true), off(&sim, 0, true);
  a.OnTimer = [&] { log.push_back("a" + std::to_string(sim.BootMillis())); };
  b.OnTimer = [&] { log.push_back("b" + std::to_string(sim.BootMillis())); };
  off.OnTimer = [&] { log.push_back("never"); };
  sim.Advance(1000);
  EXPECT_EQ(log, (std::vector<std::string>{"a300", "b500", "a600", "a900", "b1000"}));
  log.clear();
  a.SetInterval(100);  // restarts the period
  sim.Advance(150);
  EXPECT_EQ(log, (std::vector<std::string>{"a1100"}));
  a.SetEnabled(false);
  b.SetEnabled(false);
  log.clear();
  sim.Advance(10000);
  EXPECT_TRUE(log.empty());
}

// Enabling a running timer again, or giving it the interval it has, keeps
// its next firing where it was; a disabled timer enabled again, or a new
// interval, starts a full period.
TEST(SimPlatform, TimerKeepsItsDueTimeUnlessReallyChanged) {
  struct Case {
    const char* what;
    std::function<void(Timer&)> change;  // applied 1000 ms into a 1500 ms period
    uint64_t fires_at;
  };
  const std::vector<Case> cases = {
      {"enabled again while running", [](Timer& t) { t.SetEnabled(true); }, 1500},
      {"same interval again", [](Timer& t) { t.SetInterval(1500); }, 1500},
      {"both, twice", [](Timer& t) { t.SetEnabled(true); t.SetInterval(1500); t.SetEnabled(true); }, 1500},
      {"disabled and enabled", [](Timer& t) { t.SetEnabled(false); t.SetEnabled(true); }, 2500},
      {"new interval", [](Timer& t) { t.SetInterval(1400); }, 2400},
      {"restarted with the same interval", [](Timer& t) { t.Restart(1500); }, 2500},
      {"restarted with a new interval", [](Timer& t) { t.Restart(700); }, 1700},
  };
  for (const Case& c : cases) {
    SimPlatform sim;
    std::vector<uint64_t> fired;
    Timer t(&sim, 1500, true);
    t.OnTimer = [&] { fired.push_back(sim.BootMillis()); };
    sim.Advance(1000);
    c.change(t);
    sim.Advance(c.fires_at - 1000);
    EXPECT_EQ(fired, std::vector<uint64_t>{c.fires_at}) << c.what;
  }
}

// The hosts (the Qt adapter as the fake) restart a timer whenever they are
// told of a change, so a call that changes nothing must not tell them.
TEST(Timer, TellsTheHostOnlyOfRealChanges) {
  struct CountingHost : TimerHost {
    int changed = 0;
    void TimerChanged(Timer*) override { ++changed; }
    void TimerRemoved(Timer*) override {}
  } host;
  Timer t(&host, 500, false);
  host.changed = 0;
  t.SetEnabled(false);
  t.SetInterval(500);
  EXPECT_EQ(host.changed, 0);
  t.SetEnabled(true);
  t.SetEnabled(true);
  EXPECT_EQ(host.changed, 1);
  t.SetInterval(700);
  t.SetInterval(700);
  EXPECT_EQ(host.changed, 2);
  // A restart is a change even with the interval it has.
  t.Restart(700);
  EXPECT_EQ(host.changed, 3);
  EXPECT_TRUE(t.Enabled());
}

TEST(SimPlatform, RestartOfADisabledTimerLeavesItOff) {
  SimPlatform sim;
  int fired = 0;
  Timer t(&sim, 1500, false);
  t.OnTimer = [&] { ++fired; };
  t.Restart(500);
  sim.Advance(3000);
  EXPECT_EQ(fired, 0);
  EXPECT_EQ(t.Interval(), 500u);
  t.SetEnabled(true);
  sim.Advance(500);
  EXPECT_EQ(fired, 1);
}

TEST(SimPlatform, PostedEventsInterleaveWithTimers) {
  SimPlatform sim;
  std::vector<std::string> log;
  Timer t(&sim, 100, true);
  t.OnTimer = [&] { log.push_back("t"); };
  sim.Post(150, [&] { log.push_back("e"); });
  sim.Advance(250);
  EXPECT_EQ(log, (std::vector<std::string>{"t", "e", "t"}));
}

TEST(Delay, RunsThePumpAtLeastOnceEvenForZero) {
  SimPlatform sim;
  uint64_t before = sim.PumpPasses();
  uint32_t start = sim.TickCount();
  Delay(sim, sim, 0);
  EXPECT_GE(sim.PumpPasses(), before + 1);
  EXPECT_GT(static_cast<uint32_t>(sim.TickCount() - start), 0u);  // the tick has moved on
}

TEST(Delay, EndsOnStrictlyMoreThanMsAcrossTheWrap) {
  for (uint64_t start : {uint64_t{1000}, (uint64_t{1} << 32) - 300, (uint64_t{1} << 32) - 1}) {
    SimPlatform sim;
    sim.SetBootMillis(start);
    int fired = 0;
    Timer t(&sim, 10, true);
    t.OnTimer = [&] { ++fired; };
    Delay(sim, sim, 500);
    uint32_t elapsed = static_cast<uint32_t>(sim.TickCount() - static_cast<uint32_t>(start));
    EXPECT_GT(elapsed, 500u) << start;
    EXPECT_LE(elapsed, 510u) << start;
    EXPECT_GE(fired, 50) << "timers run while waiting";
  }
}

TEST(Delay, HandlerInsideMayDelayAgain) {
  SimPlatform sim;
  std::vector<std::string> log;
  sim.Post(100, [&] {
    log.push_back("inner start");
    Delay(sim, sim, 1000);
    log.push_back("inner end");
  });
  Delay(sim, sim, 200);
  log.push_back("outer end");
  EXPECT_EQ(log, (std::vector<std::string>{"inner start", "inner end", "outer end"}));
  EXPECT_GT(sim.BootMillis(), 1100u);
}

TEST(Delay, EventsPostedDuringTheWaitAreSeen) {
  SimPlatform sim;
  int datagrams = 0;
  for (int i = 0; i < 6; ++i) sim.Post(10 * i, [&] { ++datagrams; });
  Delay(sim, sim, 100);
  EXPECT_EQ(datagrams, 6);
}

}  // namespace
}  // namespace zol
