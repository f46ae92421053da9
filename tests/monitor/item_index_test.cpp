// The dependency index of the icon view and the deadline queue: which rows a
// rebuild reads again, when a row's time-out comes due, and when the
// time-out scan has nothing to do.
#include <gtest/gtest.h>

#include <random>

#include <algorithm>
#include <string>
#include <vector>

#include "console/app.h"
#include "console/main_window.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "monitor/item_index.h"
#include "support/app_fixture.h"

namespace zol {
namespace {

TEST(DeadlineQueueTest, DueRowsLeaveInDeadlineOrderAndOnlyTheirCurrentDeadlineCounts) {
  DeadlineQueue q;
  q.Set(3, 50);
  q.Set(1, 20);
  q.Set(2, 40);
  q.Set(1, 45);  // moved: the entry at 20 no longer counts
  q.Set(2, kNoDeadline);  // none any more
  EXPECT_EQ(q.Next(), 45);
  std::vector<int> rows;
  q.PopDue(44, &rows);
  EXPECT_TRUE(rows.empty());
  q.PopDue(50, &rows);
  EXPECT_EQ(rows, (std::vector<int>{1, 3}));
  EXPECT_EQ(q.Of(1), kNoDeadline);
  EXPECT_EQ(q.Next(), kNoDeadline);
  // Many moves of one row leave one live entry.
  for (int k = 0; k < 10000; ++k) q.Set(7, 100 + k);
  rows.clear();
  q.PopDue(1000000, &rows);
  EXPECT_EQ(rows, (std::vector<int>{7}));
}

// The index must answer what the match's plain search answers: the first
// row from 1 to last whose MAC is not empty and equal, through rows added,
// edited to another MAC, to a MAC another row has, emptied, a row count
// change, and a header row that holds text.
TEST(MacIndexTest, AnswersAsThePlainSearchThroughEdits) {
  Grid table(70, 40);
  table.SetCell(dtcol::MacAddress, 0, "1");  // the header row is never a device
  MacIndex index;
  const std::vector<std::string> macs = {"", "02:5A:3C:00:00:01", "02:5A:3C:00:00:02", "02:5A:3C:00:00:03", "1",
                                         "a", "02:5a:3c:00:00:01"};
  auto plain = [&table](const std::string& mac, int last) {
    for (int r = 1; r <= last && r < table.RowCount(); ++r) {
      const std::string& cell = table.Cell(dtcol::MacAddress, r);
      if (!cell.empty() && cell == mac) return r;
    }
    return 0;
  };
  std::mt19937 rng(7);
  for (int step = 0; step < 3000; ++step) {
    const int what = static_cast<int>(rng() % 20);
    if (what == 0) {
      table.SetRowCount(20 + static_cast<int>(rng() % 30));
    } else if (what < 8) {
      table.SetCell(dtcol::MacAddress, 1 + static_cast<int>(rng() % 45), macs[rng() % macs.size()]);
    } else if (what == 8) {
      table.SetCell(dtcol::DeviceName, 1 + static_cast<int>(rng() % 45), "name");  // not the MAC
    }
    const std::string& mac = macs[rng() % macs.size()];
    const int last = static_cast<int>(rng() % 50) - 2;
    ASSERT_EQ(index.Find(table, mac, last), plain(mac, last)) << "step " << step << " mac " << mac << " last " << last;
  }
}

TEST(TimeOutDeadlineTest, FirstSecondPastTheTimeOut) {
  Grid t(70, 10);
  t.SetCell(dtcol::RecvTick, 1, "1000");
  t.SetCell(dtcol::RecvDate, 1, "2024/05/01");
  EXPECT_EQ(TimeOutDeadline(t, 1, 10), 1601);  // 1000 < now - 600 from now = 1601 on
  EXPECT_EQ(TimeOutDeadline(t, 1, 0), kNoDeadline);   // time-out off
  t.SetCell(dtcol::RecvDate, 2, "");
  t.SetCell(dtcol::RecvTick, 2, "1000");
  EXPECT_EQ(TimeOutDeadline(t, 2, 10), kNoDeadline);  // not heard since start
  t.SetCell(dtcol::RecvDate, 3, "2024/05/01");
  t.SetCell(dtcol::RecvTick, 3, "x");
  EXPECT_EQ(TimeOutDeadline(t, 3, 10), kNoDeadline);  // no clock
}

// A console with three registered power devices, each heard once, and
// monitoring running; the incremental road.
class IncrementalRoadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    f.sim.SetBootMillis(1000 * 1000);
    w().TimeOutMin = 10;
    for (int r = 1; r <= 3; ++r) {
      Grid& t = table();
      t.SetCell(dtcol::MacAddress, r, "02:5A:3C:00:00:0" + std::to_string(r));
      t.SetCell(dtcol::OutletInfo, r, "2,4");
      t.SetCell(dtcol::IconFlags, r, "11000000");
      t.SetCell(dtcol::ItemKinds, r, "00000000");
      t.SetCell(dtcol::OutletNames, r, "A,B,");
      t.SetCell(dtcol::RecvDate, r, "2024/05/01");
      t.SetCell(dtcol::RecvTime, r, "09:00:00");
      t.SetCell(dtcol::PngPower, r, "0001 0001");
      t.SetCell(dtcol::RecvTick, r, "1");
    }
    f.app->Form4().LastDataCnt();
    w().monitoring.YabStart();  // every receive clock restarts at 1000
    w().icons.IconReStetingData();
  }
  MainWindow& w() { return f.app->Form2(); }
  Grid& table() { return f.app->Form4().StringGrid1; }
  // The scan at 600 s of silence marks nothing, at 601 s every icon.
  void ExpectTimeOutAt601Seconds() {
    MonitorControls& mon = w().monitoring;
    f.sim.Advance(600 * 1000);
    mon.Timer4Timer();
    EXPECT_EQ(Images(), (std::vector<int>{7, 7, 7, 7, 7, 7}));
    f.sim.Advance(1000);
    mon.Timer4Timer();
    EXPECT_EQ(Images(), (std::vector<int>{8, 8, 8, 8, 8, 8}));
  }
  std::vector<int> Images() {
    std::vector<int> out;
    for (size_t k = 0; k < w().icons.ListView1.Count(); ++k) out.push_back(w().icons.ListView1.Item(k).image);
    return out;
  }
  AppFixture f;
};

TEST_F(IncrementalRoadTest, RebuildReadsOnlyTheWrittenRow) {
  ASSERT_EQ(Images(), (std::vector<int>{7, 7, 7, 7, 7, 7}));
  IconView& icons = w().icons;
  const uint64_t row1 = icons.RowImageStamp(1), row3 = icons.RowImageStamp(3);
  const uint64_t shape = icons.ListView1.StructureRevision();
  table().SetCell(dtcol::PngPower, 2, "0000 0001");
  icons.IconReStetingData();
  EXPECT_EQ(Images(), (std::vector<int>{7, 7, 6, 7, 7, 7}));
  EXPECT_EQ(icons.RowImageStamp(1), row1);  // rows 1 and 3 were not evaluated again
  EXPECT_EQ(icons.RowImageStamp(3), row3);
  EXPECT_EQ(icons.ListView1.StructureRevision(), shape);  // same icons, in place
  // A row that shows one outlet less has its icons replaced, the others stay.
  table().SetCell(dtcol::IconFlags, 2, "01000000");
  icons.IconReStetingData();
  EXPECT_EQ(Images(), (std::vector<int>{7, 7, 7, 7, 7}));
  EXPECT_EQ(icons.KeyList, (std::vector<std::string>{"0001 0001", "0001 0002", "0002 0002", "0003 0001", "0003 0002"}));
  // Nothing written: nothing evaluated.
  const uint64_t stamp = icons.ImageStamp();
  icons.IconReStetingData();
  EXPECT_EQ(icons.ImageStamp(), stamp);
}

TEST_F(IncrementalRoadTest, TimeOutComesDueForTheSilentRowOnly) {
  IconView& icons = w().icons;
  // Device 1 speaks again 300 s later; 2 and 3 stay silent.
  f.sim.Advance(300 * 1000);
  table().SetCell(dtcol::RecvTick, 1, "1300");
  w().monitoring.Timer4.SetEnabled(false);
  f.sim.Advance(300 * 1000);  // 1600: 600 s of silence, not yet
  icons.IconReStetingData();
  EXPECT_EQ(Images(), (std::vector<int>{7, 7, 7, 7, 7, 7}));
  f.sim.Advance(1000);  // 1601: the first second past the time-out
  const uint64_t row1 = icons.RowImageStamp(1);
  icons.IconReStetingData();
  EXPECT_EQ(Images(), (std::vector<int>{7, 7, 8, 8, 8, 8}));
  EXPECT_EQ(icons.RowImageStamp(1), row1);
}

TEST_F(IncrementalRoadTest, ScanPassesOnlyWhenAnIconCanBeMarked) {
  IconView& icons = w().icons;
  MonitorControls& mon = w().monitoring;
  mon.Timer4.SetEnabled(false);
  const uint64_t revision = icons.ListView1.Revision();
  f.sim.Advance(600 * 1000);
  mon.Timer4Timer();  // 600 s: nothing can be marked, the icons are not looked at
  EXPECT_EQ(icons.ListView1.Revision(), revision);
  f.sim.Advance(1000);
  mon.Timer4Timer();  // 601 s: every device is marked
  EXPECT_EQ(Images(), (std::vector<int>{8, 8, 8, 8, 8, 8}));
  const uint64_t marked = icons.ListView1.Revision();
  f.sim.Advance(3600 * 1000);
  mon.Timer4Timer();  // everything marked: nothing more to do
  EXPECT_EQ(icons.ListView1.Revision(), marked);
  // A double-click restarts the clocks (ButtonPushMode); the next time-out
  // comes 601 s later.
  mon.ButtonPushMode();
  icons.IconReStetingData();
  EXPECT_EQ(Images(), (std::vector<int>{7, 7, 7, 7, 7, 7}));
  ExpectTimeOutAt601Seconds();
}

TEST_F(IncrementalRoadTest, SilentAcrossStopAndStartTimesOutAfterTheRestart) {
  IconView& icons = w().icons;
  MonitorControls& mon = w().monitoring;
  f.sim.Advance(500 * 1000);
  mon.zolyab_stop();
  f.sim.Advance(200 * 1000);  // stopped: no scan
  mon.YabStart();             // the clocks restart at 1700
  icons.IconReStetingData();
  mon.Timer4.SetEnabled(false);
  ExpectTimeOutAt601Seconds();
}

TEST_F(IncrementalRoadTest, CountersFollowEveryPictureChange) {
  IconView& icons = w().icons;
  table().SetCell(dtcol::PngPower, 3, "0000 0009");
  icons.IconReStetingData();
  icons.IconDataCheck();
  EXPECT_EQ(icons.Panel17.Caption(), "4");
  EXPECT_EQ(icons.Panel19.Caption(), "1");
  EXPECT_EQ(icons.Panel15.Caption(), "1");
  // An icon deleted singly leaves the count.
  icons.ListDataDel(1, 1);
  icons.IconDataCheck();
  EXPECT_EQ(icons.Panel17.Caption(), "3");
}

}  // namespace
}  // namespace zol
