// The icon lookup that both roads share (FindIcon: the icon after the one
// found last, else a search of its key index) against the plain search:
// the first icon whose key is the item's. Random sequences of rebuilds of
// the view and of the tree, icons added and deleted singly (out of order,
// twice for one item), filter changes and lookups in outlet order,
// repeated, or at random.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "console/device_tree.h"
#include "monitor/icon_view.h"
#include "monitor_fixture.h"

namespace zol {
namespace {

constexpr int kRows = 6;

class IconLookup : public MonitorFixture {
 protected:
  IconLookup() {
    app->group_selector().items.Assign({"G001 グループ1", "G000 未登録グループ"});
    for (int r = 1; r <= kRows; ++r) {
      Register(r, MacOf(r), "00112200", "11111111");
      SetLive(r, HealthyRecord(MacOf(r)));
      table().SetCell(dtcol::GroupName, r, "G001 グループ1");
    }
  }
  // The plain search: the first icon whose key is the item's, -1 for none.
  int Plain(int row, int outlet) {
    const std::string key = ItemKey(row, outlet);
    const IconList& view = main().icons.ListView1;
    for (size_t k = 0; k < view.Count(); ++k) {
      if (view.Item(k).key == key) return static_cast<int>(k);
    }
    return -1;
  }
};

class IconLookupRun : public IconLookup, public ::testing::WithParamInterface<unsigned> {};

TEST_P(IconLookupRun, FindsWhatThePlainSearchFinds) {
  std::mt19937 rng(GetParam());
  IconView& icons = main().icons;
  int looked = 0, found = 0;
  std::string last_step;
  auto look = [&](int row, int outlet) {
    const int want = Plain(row, outlet);
    ++looked;
    found += want >= 0;
    ASSERT_EQ(icons.FindIcon(row, outlet), want) << "row " << row << " outlet " << outlet << " after " << last_step;
  };
  for (int step = 0; step < 3000; ++step) {
    const unsigned pick = rng() % 100;
    const int r = 1 + static_cast<int>(rng() % (kRows + 1));  // one row beyond the devices
    const int i = 1 + static_cast<int>(rng() % 9);              // one outlet beyond the eight
    if (pick < 8) {
      last_step = "rebuild";
      icons.IconReStetingData();
    } else if (pick < 10) {
      last_step = "plain rebuild";
      icons.IconReStetingDataPlain();
    } else if (pick < 14) {
      last_step = "icon flags of " + std::to_string(r);
      std::string flags;
      for (int k = 0; k < 8; ++k) flags += rng() % 3 ? '1' : '0';
      table().SetCell(dtcol::IconFlags, r, flags);
    } else if (pick < 17) {
      last_step = "filter";
      const size_t b = rng() % 8;
      if (b == 0) {
        icons.ToolButton3Click();  // "ALL"
      } else {
        icons.ToolButtonChk[b].SetDown(!icons.ToolButtonChk[b].Down());
        icons.ToolButtonChk1Click();
      }
    } else if (pick < 20) {
      last_step = "tree rebuilt";  // the view emptied, every device's icons added again
      app->tree().ReStetingData();
    } else if (pick < 40) {
      last_step = "added " + std::to_string(r) + "/" + std::to_string(i);
      icons.ListDataNew(r, i);  // at the end, whether or not the item has an icon already
    } else if (pick < 55) {
      last_step = "deleted " + std::to_string(r) + "/" + std::to_string(i);
      icons.ListDataDel(r, i);
    } else {
      last_step = "looked up";
    }
    // A row's outlets in order (the shortcut's case), the last one again,
    // and a few at random.
    for (int o = 1; o <= 9; ++o) {
      look(r, o);
      if (HasFatalFailure()) return;
    }
    look(r, 9);
    look(r, i);
    look(r, i);
    for (int k = 0; k < 3; ++k) look(1 + static_cast<int>(rng() % (kRows + 1)), 1 + static_cast<int>(rng() % 9));
    if (HasFatalFailure()) return;
  }
  EXPECT_GT(found, looked / 10);  // the sequences find icons, not only misses
}

INSTANTIATE_TEST_SUITE_P(Seeds, IconLookupRun, ::testing::Range(1u, 9u));

}  // namespace
}  // namespace zol
