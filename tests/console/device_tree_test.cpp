// The device tree on the simulated console: rebuild, counts, group
// selectors, unregistered nodes, state icons and the node helpers.
#include "console/device_tree.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/files.h"
#include "console/app.h"
#include "console/main_window.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "settings/settings_dialog.h"
#include "support/app_fixture.h"
#include "tree_fixture.h"

namespace zol {
namespace {

struct TreeTest : ::testing::Test, TreeRig {};

TEST_F(TreeTest, StartsWithTheTwoDefaultGroups) {
  EXPECT_EQ(Outline(), (std::vector<std::string>{"G001 グループ1 #0", kG000 + " #2"}));
  EXPECT_EQ(tree().TreeGroupTexts(), (std::vector<std::string>{"G001 グループ1", kG000}));
}

TEST_F(TreeTest, RebuildPlacesDevicesUnderTheirGroupsInListOrder) {
  Groups({"G001 一", "G003 三", kG000});
  Device(1, "02:5A:3C:00:00:01", "G003 三");
  Device(2, "02:5A:3C:00:00:02", "G001 一");
  Device(3, "02:5A:3C:00:00:03", "G005 消えた");  // its group is gone
  Device(4, "02:5A:3C", "G001 一");             // 8 characters: not placed, not listed
  Device(5, "02:5A:3C:00:00:05", "");           // no group
  Device(6, "02:5A:3C:00:00:06", "G001 改名前");  // the number decides
  Unreg(1, "02:5A:3C:00:00:A1", "10.0.0.1");
  Unreg(2, "", "");  // a deleted row: no node
  Unreg(3, "02:5A:3C:00:00:A3", "10.0.0.3");
  app->icons().ListView1.Add(IconItem{"x", 7, "0001 0001"});
  tree().ReStetingData();
  const std::vector<std::string>& lists = app->Form8().ComboBox3.items.All();

  EXPECT_EQ(Outline(), (std::vector<std::string>{
                           "G001 一 (2) #0",
                           "  ID002 Dev2 #3",
                           "  ID006 Dev6 #3",
                           "G003 三 (1) #0",
                           "  ID001 Dev1 #3",
                           kG000 + " (2) #2",
                           "  [02:5A:3C:00:00:A1] 10.0.0.1 未登録 #1",
                           "  [02:5A:3C:00:00:A3] 10.0.0.3 未登録 #1",
                       }));
  EXPECT_EQ(lists, (std::vector<std::string>{"ID001 Dev1", "ID002 Dev2", "ID003 Dev3", "ID005 Dev5", "ID006 Dev6"}));
  EXPECT_EQ(app->Form8().ComboBox4.items.All(), lists);
  EXPECT_EQ(app->icons().ListView1.Count(), 0u);
  // Devices 3 and 5 keep their rows.
  EXPECT_EQ(table().Cell(dtcol::GroupName, 3), "G005 消えた");
  // The selector: the groups without counts, its text the first group.
  EXPECT_EQ(selector().items.All(), (std::vector<std::string>{"G001 一", "G003 三", kG000}));
  EXPECT_EQ(selector().Text(), "G001 一");
  // The first group is selected, and so its branch open.
  EXPECT_EQ(view().Selected(), view().Top(0));
  EXPECT_TRUE(view().Top(0)->Expanded());
  EXPECT_FALSE(view().Top(1)->Expanded());

  // Every device node has the seven categories with their pictures.
  const TreeNode* dev = Find("ID001");
  ASSERT_EQ(dev->Count(), 7u);
  const std::vector<std::pair<std::string, int>> want = {{"状態表示", 4}, {"アウトレット", 5}, {"温度監視", 6},
                                                         {"ネットワーク", 7}, {"設定内容", 8}, {"ログ記録", 11},
                                                         {"メモ", 12}};
  for (size_t k = 0; k < 7; ++k) {
    EXPECT_EQ(dev->Item(k)->Text(), want[k].first);
    EXPECT_EQ(dev->Item(k)->ImageIndex(), want[k].second);
    EXPECT_EQ(dev->Item(k)->SelectedIndex(), want[k].second);
  }
}

TEST_F(TreeTest, CountsComeOnlyWithAPlacedDeviceOrAnUnregisteredNode) {
  Groups({"G001 グループ1", "G002 二", kG000});
  tree().ReStetingData();
  EXPECT_EQ(Outline(), (std::vector<std::string>{"G001 グループ1 #0", "G002 二 #0", kG000 + " #2"}));
  tree().TreeUnRegData("[02:5A:3C:00:00:A1] 10.0.0.1", 1);
  EXPECT_EQ(view().Top(2)->Text(), kG000 + " (1)");
  EXPECT_EQ(view().Top(0)->Text(), "G001 グループ1");
  tree().TreeNodeRef();
  EXPECT_EQ(tree().TreeGroupTexts(), (std::vector<std::string>{"G001 グループ1 (0)", "G002 二 (0)", kG000 + " (1)"}));
  tree().TreeNodeRef();  // the count replaces the old one
  EXPECT_EQ(view().Top(0)->Text(), "G001 グループ1 (0)");
}

TEST_F(TreeTest, RebuildStepsRunInOrderForPlacedDevicesOnly) {
  Groups({"G001 一", kG000});
  Device(1, "02:5A:3C:00:00:01", "G001 一");
  Device(2, "02:5A:3C:00:00:02", "G009 無");
  Device(3, "02:5A:3C:00:00:03", "G001 一");
  selector().SetEnabled(true);  // the data files are loaded
  std::vector<std::string> calls;
  // A refill of the group-send selector ends each count refresh, one per
  // placed device; the editor's load and store of a placed device's row
  // writes its row number.
  uint64_t refills = app->group_tab().ComboBoxEx2.items.Revision();
  auto refilled = [&] {
    for (; refills < app->group_tab().ComboBoxEx2.items.Revision(); ++refills) {
      calls.push_back("refill " + view().Top(0)->Text());
    }
  };
  tree().ReStetingData();
  refilled();
  EXPECT_EQ(calls, (std::vector<std::string>{"refill G001 一 (2)", "refill G001 一 (2)"}));
  EXPECT_EQ(app->Form8().ComboBox3.items.Count(), 3u);
  // Only the placed devices went through the editor.
  EXPECT_EQ(table().Cell(0, 3), "3");
  EXPECT_EQ(table().Cell(0, 2), "");
}

TEST_F(TreeTest, UnregisteredNodeIsAddedOnceAndRenamedByItsMac) {
  tree().TreeUnRegData("[02:5A:3C:00:00:A1] 10.0.0.1", 1);
  tree().TreeUnRegData("[02:5A:3C:00:00:A2] 10.0.0.2", 1);
  // Heard again from a new address: the one node takes it.
  tree().TreeUnRegData("[02:5A:3C:00:00:A1] 192.168.10.200", 0);
  EXPECT_EQ(Outline(), (std::vector<std::string>{"G001 グループ1 #0", kG000 + " (2) #2",
                                                 "  [02:5A:3C:00:00:A1] 192.168.10.200 未登録 #1",
                                                 "  [02:5A:3C:00:00:A2] 10.0.0.2 未登録 #1"}));
  // The tree leaves the list's size to the registration match.
  EXPECT_EQ(unreg().RowCount(), 2);
}

TEST_F(TreeTest, StateIconsByPrecedence) {
  Groups({"G001 一", kG000});
  struct Case {
    const char* what;
    const char* recv_date;
    const char* images;
    int icon;
  } cases[] = {
      {"not heard, whatever the images", "", "0002 0002 0002 0002 0002 0002 0002 0002 ", 21},
      {"time-out beats caution", "2024/05/01", "0001 0008 0000 0000 0000 0000 0000 0000 ", 20},
      {"alarm beats caution", "2024/05/01", "0004 0002 0009 0009 0009 0009 0009 0009 ", 19},
      {"abnormal temperature", "2024/05/01", "0005 0003 0003 0003 0003 0003 0003 0003 ", 19},
      {"caution", "2024/05/01", "0004 0009 0009 0009 0009 0009 0009 0009 ", 18},
      {"PING caution", "2024/05/01", "0000 0001 0000 0000 0000 0000 0000 0000 ", 18},
      {"empty cell: eight time-outs", "2024/05/01", "", 20},
      {"a slot that is no number reads as a time-out", "2024/05/01", "0000 abcd 0000 0000 0000 0000 0000 0000 ", 20},
      {"power and unknown count as normal", "2024/05/01", "0006 0007 0009 0006 0007 0009 0000 0003 ", 3},
  };
  int r = 0;
  for (const Case& c : cases) {
    ++r;
    Device(r, "02:5A:3C:00:00:" + std::to_string(10 + r), "G001 一");
    table().SetCell(dtcol::RecvDate, r, c.recv_date);
    table().SetCell(dtcol::ItemImages, r, c.images);
  }
  tree().ReStetingData();
  for (size_t k = 0; k < view().Top(0)->Count(); ++k) EXPECT_EQ(view().Top(0)->Item(k)->ImageIndex(), 3);
  tree().ListIconRef();
  r = 0;
  for (const Case& c : cases) {
    const TreeNode* n = view().Top(0)->Item(static_cast<size_t>(r++));
    EXPECT_EQ(n->ImageIndex(), c.icon) << c.what;
    EXPECT_EQ(n->SelectedIndex(), c.icon) << c.what;
  }
  // Nothing changed: a second pass raises no revision.
  const uint64_t rev = view().Revision();
  tree().ListIconRef();
  EXPECT_EQ(view().Revision(), rev);
  // Categories and unregistered nodes keep their pictures.
  EXPECT_EQ(view().Top(0)->Item(0)->Item(0)->ImageIndex(), 4);
}

TEST_F(TreeTest, GroupRenameIsWrittenIntoTheDevicesGroups) {
  Groups({"G001 一", "G002 二", kG000});
  Device(1, "02:5A:3C:00:00:01", "G001 一");
  Device(2, "02:5A:3C:00:00:02", "G002 二");
  Device(3, "02:5A:3C:00:00:03", "G002 旧名");
  tree().ReStetingData();
  view().SetText(view().Top(1), "G002 新しい名前 (2)");
  tree().TreeUnRegData("[02:5A:3C:00:00:A1] 10.0.0.1", 1);
  tree().GrupRef();
  EXPECT_EQ(table().Cell(dtcol::GroupName, 1), "G001 一");
  EXPECT_EQ(table().Cell(dtcol::GroupName, 2), "G002 新しい名前");
  EXPECT_EQ(table().Cell(dtcol::GroupName, 3), "G002 新しい名前");
  // A device node moved to another group takes that group.
  view().MoveTo(Find("ID001"), view().Top(1));
  tree().GrupRef();
  EXPECT_EQ(table().Cell(dtcol::GroupName, 1), "G002 新しい名前");
  // A node whose ID is no number (row 0) never writes the header row.
  view().AddChild(view().Top(0), "IDxyz odd", 3);
  tree().GrupRef();
  EXPECT_EQ(table().Cell(dtcol::GroupName, 0), "12");
}

TEST_F(TreeTest, SelectorsAreRefilledByTheProgramWithoutTheOperatorsHandler) {
  Groups({"G001 一", "G002 二", kG000});
  tree().ReStetingData();
  view().Select(Find("G002"));
  const ComboBox& ex2 = app->group_tab().ComboBoxEx2;
  selector().SetEnabled(true);
  selector().SetText("G002 二");
  tree().TreeNodeRef();
  // The refill selected nothing and restored the enabled state.
  EXPECT_EQ(view().Selected(), Find("G002"));
  EXPECT_TRUE(selector().Enabled());
  EXPECT_EQ(selector().Text(), "G001 一");
  EXPECT_EQ(ex2.items.All(), (std::vector<std::string>{"G001 一", "G002 二"}));
  EXPECT_EQ(ex2.Text(), "G001 一");
  selector().SetEnabled(false);
  tree().TreeNodeRef();
  EXPECT_FALSE(selector().Enabled());
}

TEST_F(TreeTest, ChoosingOrTypingAGroupSelectsItsNode) {
  Groups({"G001 一", "G002 二", kG000});
  Device(1, "02:5A:3C:00:00:01", "G002 二", "ラック");
  tree().ReStetingData();
  selector().SetEnabled(true);
  struct Case {
    const char* text;
    const char* selected;  // the beginning of the selected node's text
  } cases[] = {
      {"G002 二", "G002"},
      {"G000", "G000"},
      {"ラック", "ID001"},  // the first node in tree order that contains it
      {"no such group", "G001"},
      {"", "G001"},
  };
  for (const Case& c : cases) {
    view().Select(Find("G000"));
    selector().SetText(c.text);
    tree().ComboBoxEx1Change();
    EXPECT_EQ(view().Selected(), Find(c.selected)) << c.text;
    EXPECT_TRUE(view().Selected()->Expanded()) << c.text;
  }
  // Only while the selector is enabled.
  selector().SetEnabled(false);
  view().Select(Find("G000"));
  selector().SetText("G002");
  tree().ComboBoxEx1Change();
  EXPECT_EQ(view().Selected(), Find("G000"));
}

TEST_F(TreeTest, NewGroupGoesBeforeG000) {
  Groups({"G001 一", kG000});
  tree().ReStetingData();
  TreeNode* g = tree().Grupinsert("G002 新");
  EXPECT_EQ(tree().TreeGroupTexts(), (std::vector<std::string>{"G001 一", "G002 新", kG000}));
  EXPECT_EQ(view().Selected(), g);
  EXPECT_EQ(g->ImageIndex(), 0);
  tree().TreeNodeRef();
  EXPECT_EQ(g->Text(), "G002 新 (0)");
  EXPECT_EQ(selector().items.All(), (std::vector<std::string>{"G001 一", "G002 新", kG000}));
  view().Clear();
  tree().Grupinsert("G003 only");  // an empty tree: the only node
  EXPECT_EQ(tree().TreeGroupTexts(), std::vector<std::string>{"G003 only"});
}

TEST_F(TreeTest, AncestorTextsAndDescendants) {
  Groups({"G001 一", kG000});
  Device(1, "02:5A:3C:00:00:01", "G001 一");
  tree().ReStetingData();
  const TreeNode* group = view().Top(0);
  const TreeNode* dev = group->Item(0);
  const TreeNode* cat = dev->Item(2);
  struct Case {
    const TreeNode* node;
    int level;
    std::string text;
  } cases[] = {
      {cat, 0, "G001 一 (1)"}, {cat, 1, "ID001 Dev1"}, {cat, 2, "温度監視"}, {cat, 3, ""}, {cat, 4, ""},
      {dev, 0, "G001 一 (1)"}, {dev, 1, "ID001 Dev1"}, {dev, 2, ""},
      {group, 0, "G001 一 (1)"}, {group, 1, ""},       {nullptr, 0, ""}, {cat, -1, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DeviceTree::NodeAncestorText(c.node, c.level), c.text) << (c.node ? c.node->Text() : "null") << c.level;
  }
  EXPECT_TRUE(DeviceTree::IsNodeUnder(cat, group));
  EXPECT_TRUE(DeviceTree::IsNodeUnder(group, group));
  EXPECT_FALSE(DeviceTree::IsNodeUnder(group, cat));
  EXPECT_FALSE(DeviceTree::IsNodeUnder(cat, view().Top(1)));
  EXPECT_FALSE(DeviceTree::IsNodeUnder(nullptr, group));
  EXPECT_FALSE(DeviceTree::IsNodeUnder(cat, nullptr));
}

TEST(NodeTexts, CountSuffixAndKinds) {
  struct Case {
    std::string text, base;
  } cases[] = {
      {"G001 グループ1 (12)", "G001 グループ1"}, {"G001 グループ1", "G001 グループ1"},
      {"G001 a b (3)", "G001 a b"},            {"G001 (3)", "G001"},
      {"G001(3)", "G001"},                     {"(3)", ""},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(GroupBaseText(c.text), c.base) << c.text;
  EXPECT_EQ(GroupNodeText("G002 B", 0), "G002 B (0)");
  EXPECT_EQ(DeviceNodeText(7, "ラック"), "ID007 ラック");
  EXPECT_EQ(UnregNodeText("02:5A:3C:00:00:01", "10.0.0.1"), "[02:5A:3C:00:00:01] 10.0.0.1 未登録");
}

// A group list without G000 (an empty or hand-edited file): the rebuild adds
// the fixed group, so the first unregistered device has its place and the
// next save writes the group.
TEST_F(TreeTest, GroupListWithoutG000GetsItBack) {
  std::string err;
  ASSERT_TRUE(WriteFileAtomic(dir.File("zolyab4.lst"), "", &err)) << err;
  ASSERT_TRUE(app->Form4().SettingDataLoad());
  EXPECT_TRUE(selector().items.All().empty());
  tree().ReStetingData();
  EXPECT_EQ(Outline(), std::vector<std::string>{kG000 + " #2"});
  EXPECT_EQ(selector().items.All(), std::vector<std::string>{kG000});

  {  // the live record of a device not registered, as the parser leaves it
    Grid& ring = app->Form4().StringGridBuff;
    ring.SetCell(1, 1, "2024/05/01");
    ring.SetCell(2, 1, "09:30:00");
    ring.SetCell(3, 1, "10.0.0.9");
    ring.SetCell(5, 1, "02:5A:3C:00:00:B1");
    app->Form4().DataInviteCheck(1);
  }
  EXPECT_EQ(Outline(), (std::vector<std::string>{kG000 + " (1) #2", "  [02:5A:3C:00:00:B1] 10.0.0.9 未登録 #1"}));
  ASSERT_TRUE(app->Form4().SettingDataSave());
  EXPECT_EQ(ReadAll(dir.File("zolyab4.lst")), "G000 未登録グループ\r\n");

  // Hand-edited: groups only, G000 gone; it comes back last.
  selector().items.Assign({"G002 二", "G001 一"});
  tree().ReStetingData();
  EXPECT_EQ(tree().TreeGroupTexts(), (std::vector<std::string>{"G002 二", "G001 一", kG000 + " (1)"}));
}

TEST_F(TreeTest, UnregisteredNodeFindsG000EvenWhenTheTreeLostIt) {
  view().Clear();
  tree().TreeUnRegData("[02:5A:3C:00:00:A1] 10.0.0.1", 1);
  EXPECT_EQ(Outline(), (std::vector<std::string>{kG000 + " (1) #2", "  [02:5A:3C:00:00:A1] 10.0.0.1 未登録 #1"}));
  EXPECT_EQ(selector().items.All(), std::vector<std::string>{kG000});
}

// The list's last row is its scratch row: a full list (100 rows) lists 98
// devices; the 99th row's device, which the next new MAC overwrites, gets no
// node.
TEST_F(TreeTest, FullUnregisteredListGivesNinetyEightNodes) {
  for (int r = 1; r <= 99; ++r) {
    char mac[32];
    snprintf(mac, sizeof mac, "02:5A:3C:00:01:%02X", r);
    Unreg(r, mac, "10.0.1." + std::to_string(r));
  }
  ASSERT_EQ(unreg().RowCount(), 101);
  unreg().SetRowCount(100);
  tree().ReStetingData();
  const TreeNode* g000 = Find("G000");
  ASSERT_EQ(g000->Count(), 98u);
  EXPECT_EQ(g000->Text(), kG000 + " (98)");
  EXPECT_EQ(g000->Item(97)->Text(), "[02:5A:3C:00:01:62] 10.0.1.98 未登録");
  // Fewer than three rows: nothing listed, not even a scratch row's leftovers.
  unreg().SetRowCount(2);
  unreg().SetCell(5, 1, "02:5A:3C:00:01:01");
  tree().ReStetingData();
  EXPECT_EQ(Find("G000")->Count(), 0u);
}

// The group list through a start and a save: no file gives the two default
// groups; a file's groups come back in its order, unchanged.
TEST_F(TreeTest, GroupListRoundTrip) {
  ASSERT_TRUE(app->Form4().SettingDataLoad());
  tree().ReStetingData();
  tree().TreeNodeRef();
  ASSERT_TRUE(app->Form4().SettingDataSave());
  EXPECT_EQ(ReadAll(dir.File("zolyab4.lst")), "G001 グループ1\r\nG000 未登録グループ\r\n");

  const std::string file = CrLf({"G003 三", "G001 一", kG000, "G002 二"});
  std::string err;
  ASSERT_TRUE(WriteFileAtomic(dir.File("zolyab4.lst"), file, &err)) << err;
  ASSERT_TRUE(app->Form4().SettingDataLoad());
  tree().ReStetingData();
  tree().TreeNodeRef();
  EXPECT_EQ(tree().TreeGroupTexts(),
            (std::vector<std::string>{"G003 三 (0)", "G001 一 (0)", kG000 + " (0)", "G002 二 (0)"}));
  ASSERT_TRUE(app->Form4().SettingDataSave());
  EXPECT_EQ(ReadAll(dir.File("zolyab4.lst")), file);
}

}  // namespace
}  // namespace zol
