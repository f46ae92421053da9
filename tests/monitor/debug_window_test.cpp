// The device-table window's set-up and its tools: row dump, test injection
// and row deletion of the unregistered list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "support/app_fixture.h"
#include "support/datagram_hex.h"

namespace zol {
namespace {

class DebugWindowTest : public ::testing::Test {
 protected:
  DebugWindow& Form4() { return f.app->Form4(); }
  AppFixture f;
};

TEST_F(DebugWindowTest, CreationSetsUpGridsSampleAndCounters) {
  DebugWindow& w = Form4();
  for (const Grid* g : {&w.StringGrid1, &w.StringGrid2, &w.StringGridBuff}) {
    EXPECT_EQ(g->Cell(0, 0), "");
    EXPECT_EQ(g->Cell(1, 0), "1");
    EXPECT_EQ(g->Cell(69, 0), "69");
  }
  EXPECT_EQ(w.StringGrid2.RowCount(), 2);
  std::vector<std::string> sample = {"2010/11/16", "12:52:07", "192.168.0.205", "2100"};
  for (const std::string& l : SampleRecordLines()) sample.push_back(l);
  EXPECT_EQ(w.Memo4.All(), sample);
  // The simulator's sample datagram is this sample byte for byte.
  std::string hex;
  for (size_t k = 4; k < w.Memo4.Count(); ++k) hex += w.Memo4[k];
  EXPECT_EQ(hex, sim::ToHex(sim::SampleDatagram()));
  EXPECT_EQ(w.Edit1.Text(), "0001000C0006025A3C000000");
  EXPECT_EQ(w.Edit2.Text(), "192.168.0.100");
  EXPECT_EQ(w.CaptureNo, 0);
  EXPECT_EQ(w.LiveColumnOffset, 20);
  EXPECT_EQ(w.LastRow, 0);
  EXPECT_TRUE(w.UnregGuard);
  EXPECT_EQ(w.TestCounter, 0);
}

TEST_F(DebugWindowTest, RowDumpListsColumnsOneTo64) {
  Grid& g = Form4().StringGrid1;
  for (int c = 1; c < 70; ++c)
    if (c % 3) g.SetCell(c, 3, "v" + std::to_string(c));
  g.SetRow(3);
  Form4().BitBtn1Click();
  const Memo& out = Form4().Memo3;
  ASSERT_EQ(out.Count(), 64u);
  EXPECT_EQ(out[0], "01: v1");
  EXPECT_EQ(out[2], "03: ");
  EXPECT_EQ(out[19], "20: v20");
  EXPECT_EQ(out[63], "64: v64");
  for (int r : {0, -1}) {
    g.SetRow(r);
    Form4().BitBtn1Click();
    EXPECT_EQ(out.Count(), 0u);
  }
}

TEST_F(DebugWindowTest, TestInjectionsCountTheMacUp) {
  f.sim.SetNow(DateTime{2024, 3, 5, 8, 9, 10});
  std::vector<std::string> macs, addresses, temps;
  // The ring slot of each injected record, after its match (one receive line each).
  auto inject = [&] {
    const size_t lines = f.app->receive_view().ListBox1.Count();
    Form4().BitBtn2Click();
    ASSERT_EQ(f.app->receive_view().ListBox1.Count(), lines + 1);
    const int slot = Form4().StringGridBuffTag;
    const Grid& ring = Form4().StringGridBuff;
    addresses.push_back(ring.Cell(3, slot));
    macs.push_back(ring.Cell(5, slot));
    temps.push_back(ring.Cell(41, slot));
  };
  Form4().Edit2.SetText("10.1.2.3");
  inject();
  inject();
  EXPECT_EQ(macs, (std::vector<std::string>{"02:5A:3C:00:00:00", "02:5A:3C:00:00:01"}));
  EXPECT_EQ(addresses, (std::vector<std::string>{"10.1.2.3", "10.1.2.3"}));
  EXPECT_EQ(temps, (std::vector<std::string>{"0.0", "0.0"}));
  EXPECT_EQ(Form4().Edit1.Text(), "0001000C0006025A3C000002");
  // Both went into the unregistered list with the sample's live record.
  const Grid& unreg = Form4().StringGrid2;
  for (int r : {1, 2}) {
    EXPECT_EQ(unreg.Cell(5, r), macs[static_cast<size_t>(r - 1)]);
    EXPECT_EQ(unreg.Cell(3, r), "10.1.2.3");
    EXPECT_EQ(unreg.Cell(6, r), "8");
    EXPECT_EQ(unreg.Cell(41, r), "0.0");
  }
  const Memo& m = Form4().Memo1;
  ASSERT_EQ(m.Count(), 11u);
  EXPECT_EQ(m[0], "2024/03/05");
  EXPECT_EQ(m[1], "08:09:10");
  EXPECT_EQ(m[3], "2100");
  EXPECT_EQ(m[5], "0001000C0006025A3C000001");
  EXPECT_EQ(Form4().Memo4.All(), m.All());
  // Beyond FFFF the counter takes more digits.
  Form4().TestCounter = 0xFFFF;
  Form4().BitBtn2Click();
  EXPECT_EQ(Form4().Edit1.Text(), "0001000C0006025A3C0010000");
}

TEST_F(DebugWindowTest, UnregRowDeletion) {
  Grid& g = Form4().StringGrid2;
  g.SetCell(5, 1, "scratch");
  Form4().StringGrid2ColDelete(1);  // header and scratch row only: nothing
  EXPECT_EQ(g.RowCount(), 2);
  EXPECT_EQ(g.Cell(5, 1), "scratch");

  g.SetRowCount(5);
  for (int r = 1; r < 5; ++r)
    for (int c : {0, 5, 69}) g.SetCell(c, r, "r" + std::to_string(r));
  Form4().StringGrid2ColDelete(7);  // no such row
  EXPECT_EQ(g.RowCount(), 5);
  Form4().StringGrid2ColDelete(2);
  ASSERT_EQ(g.RowCount(), 4);
  for (int c : {0, 5, 69}) {
    EXPECT_EQ(g.Cell(c, 1), "r1");
    EXPECT_EQ(g.Cell(c, 2), "r3");
    EXPECT_EQ(g.Cell(c, 3), "r4");
  }
  EXPECT_EQ(g.Cell(5, 0), "5");
}

}  // namespace
}  // namespace zol
