// The operator's work on the device tree, on the simulated console: drag and
// drop with hover expand and edge scroll, the double-click registration,
// the popup menu's items by node kind and its guarded edits, and the group
// and device delete rules.
#include "console/tree_operations.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "console/detail_window.h"
#include "console/device_window.h"
#include "console/group_dialog.h"
#include "console/password_dialog.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "monitor/monitoring.h"
#include "telnet/device_editor.h"
#include "telnet/group_tab.h"
#include "tree_fixture.h"

namespace zol {
namespace {

struct TreeOps : ::testing::Test, TreeRig {
  TreeOps() {
    Groups({"G001 一", "G002 二", kG000});
    Device(3, "02:5A:3C:00:00:03", "G001 一");
    Device(5, "02:5A:3C:00:00:05", "G001 一");
    Unreg(1, "02:5A:3C:00:00:A1", "10.0.0.1");
    tree().ReStetingData();
    tree().TreeNodeRef();
    view().SetClientHeight(300);
  }
  TreeOperations& ops() { return app->tree_ops(); }
  // The device editor's opening since the last look ("register" and the
  // MAC, or "edit" and the row), the editor closed again.
  std::vector<std::string> Opened() {
    DeviceEditor& editor = app->Form5();
    if (!editor.Visible()) return {};
    const std::string what = editor.EditRow == 0 ? "register " + editor.Panel18.Caption()
                                                 : "edit " + std::to_string(editor.EditRow);
    editor.Close();
    return {what};
  }
  // A node by the beginning of its text, "ID003/4" for a device's category
  // 4, "" for none (empty space).
  TreeNode* Node(const std::string& name) {
    if (name.empty()) return nullptr;
    const size_t slash = name.find('/');
    if (slash == std::string::npos) return Find(name);
    return Find(name.substr(0, slash))->Item(std::stoul(name.substr(slash + 1)));
  }
  std::string Dat() { return dir.File("zolyab4.dat"); }
  std::string Lst() { return dir.File("zolyab4.lst"); }
  void RemoveFiles() {
    unlink(Dat().c_str());
    unlink(Lst().c_str());
  }
  bool FilesWritten() { return access(Dat().c_str(), F_OK) == 0 && access(Lst().c_str(), F_OK) == 0; }

  // A drag of node over the given nodes (null: empty space) at y = 150,
  // dropped or not; every drag ends.
  void Drag(TreeNode* node, const std::vector<TreeNode*>& over, bool drop = true) {
    view().Select(node);
    ops().TreeView1StartDrag();
    for (TreeNode* n : over) ops().TreeView1DragOver(true, n, 150);
    if (drop) ops().TreeView1DragDrop();
    ops().TreeView1EndDrag();
  }
  // The visible menu items in menu order, an asterisk after a disabled one.
  std::string Menu() {
    const TreeOperations& o = ops();
    const std::pair<const char*, const Button*> items[] = {
        {"new", &o.PopBtn1},    {"rename", &o.PopBtn2}, {"delgroup", &o.PopBtn3}, {"register", &o.PopBtn4},
        {"edit", &o.PopBtn5},   {"delete", &o.PopBtn6}, {"-", &o.N1},             {"details", &o.PopBtn8},
        {"connect", &o.PopBtn9}, {"-", &o.N2},          {"close", &o.PopBtn7}};
    std::string out;
    for (const auto& [name, b] : items) {
      if (!b->Visible()) continue;
      out += (out.empty() ? "" : " ") + std::string(name) + (b->Enabled() ? "" : "*");
    }
    return out;
  }
  // Device 3 as the device window sees it: reported or not (its details),
  // with a connection method or "なし" (its connect button).
  void DeviceWindowState(bool reported, bool method) {
    Grid& t = app->Form4().StringGrid1;
    t.SetCell(dtcol::RecvDate, 3, reported ? "2024/05/01" : "");
    t.SetCell(dtcol::RecvTime, 3, reported ? "09:30:00" : "");
    t.SetCell(dtcol::ConnectInfo, 3, std::string(method ? "telnet" : "なし") + ",10.0.0.3,23,,23,0,1,0");
  }
  std::vector<std::string> calls;
};

// --- Drag and drop ---

TEST_F(TreeOps, ADeviceDroppedOnAnotherGroupMovesThere) {
  EXPECT_EQ(Find("G001")->Text(), "G001 一 (2)");
  EXPECT_EQ(Find("G002")->Text(), "G002 二 (0)");
  RemoveFiles();
  Drag(Find("ID005"), {Find("ID003"), Find("G002")});
  EXPECT_EQ(Outline(), (std::vector<std::string>{"G001 一 (1) #0", "  ID003 Dev3 #3", "G002 二 (1) #0",
                                                 "  ID005 Dev5 #3", kG000 + " (1) #2",
                                                 "  [02:5A:3C:00:00:A1] 10.0.0.1 未登録 #1"}));
  EXPECT_EQ(Find("ID005")->Count(), 7u);  // with its categories
  EXPECT_EQ(table().Cell(dtcol::GroupName, 5), "G002 二");
  EXPECT_EQ(table().Cell(dtcol::GroupName, 3), "G001 一");
  ASSERT_TRUE(FilesWritten());
  EXPECT_NE(ReadAll(Dat()).find("G002 二\r\n"), std::string::npos);
  EXPECT_EQ(view().DropTarget(), nullptr);
}

TEST_F(TreeOps, OtherDropsMoveNothingYetEveryDragSaves) {
  struct Case {
    const char* what;
    const char* dragged;
    std::vector<const char*> over;  // "" for empty space
    bool drop;
  } cases[] = {
      {"a device onto G000", "ID005", {"G000"}, true},
      {"a device onto another device", "ID005", {"ID003"}, true},
      {"a device onto a category", "ID005", {"ID003", "ID003/4"}, true},
      {"a device over empty space only", "ID005", {""}, true},
      {"a device onto its own category", "ID005", {"ID005", "ID005/6"}, true},
      {"a group onto another group", "G001", {"G002"}, true},
      {"an unregistered device onto a group", "[02:5A", {"G002"}, true},
      {"a cancelled drag", "ID005", {"G002"}, false},
  };
  const std::vector<std::string> before = Outline(true);
  for (const Case& c : cases) {
    RemoveFiles();
    TreeNode* dragged = Find(c.dragged);
    view().Select(dragged);
    ops().TreeView1StartDrag();
    for (const char* o : c.over) ops().TreeView1DragOver(true, Node(o), 150);
    if (c.drop) ops().TreeView1DragDrop();
    ops().TreeView1EndDrag();
    EXPECT_EQ(Outline(true), before) << c.what;
    EXPECT_TRUE(FilesWritten()) << c.what;
  }
}

TEST_F(TreeOps, DropIsRefusedOnlyOnTheDraggedNodeAndBelowIt) {
  TreeNode* dev = Find("ID005");
  view().Select(dev);
  ops().TreeView1StartDrag();
  EXPECT_TRUE(ops().TreeView1DragOver(true, nullptr, 150));  // no target yet
  EXPECT_FALSE(ops().TreeView1DragOver(true, dev, 150));
  EXPECT_FALSE(ops().TreeView1DragOver(true, dev->Item(3), 150));
  EXPECT_FALSE(ops().TreeView1DragOver(true, nullptr, 150));  // still over its category
  EXPECT_TRUE(ops().TreeView1DragOver(true, Find("G001"), 150));  // its own group
  EXPECT_FALSE(ops().TreeView1DragOver(false, Find("G002"), 150));  // from elsewhere
  ops().TreeView1EndDrag();
}

TEST_F(TreeOps, TheDropTargetIsTheLastNodePassedUntilThePointerLeaves) {
  view().Select(Find("ID005"));
  ops().TreeView1StartDrag();
  EXPECT_EQ(view().DropTarget(), nullptr);
  ops().TreeView1DragOver(true, Find("G002"), 150);
  EXPECT_EQ(view().DropTarget(), Find("G002"));
  ops().TreeView1DragOver(true, nullptr, 150);  // empty space below the nodes
  EXPECT_EQ(view().DropTarget(), Find("G002"));
  ops().TreeView1DragLeave();
  EXPECT_EQ(view().DropTarget(), nullptr);
  ops().TreeView1DragOver(true, nullptr, 150);  // back in, over empty space
  EXPECT_EQ(view().DropTarget(), nullptr);
  ops().TreeView1EndDrag();

  // Passing G002, then empty space, then dropping: onto G002.
  Drag(Find("ID005"), {Find("G002"), nullptr});
  EXPECT_EQ(Find("ID005")->Parent(), Find("G002"));
}

TEST_F(TreeOps, HoveringOverACollapsedGroupExpandsItAfter1500ms) {
  Drag(Find("ID005"), {Find("G002")});  // G002 now has a device
  view().Select(Find("G001"));
  TreeNode* g2 = Find("G002");
  ASSERT_FALSE(g2->Expanded());

  ops().TreeView1StartDrag();
  ops().TreeView1DragOver(true, g2, 150);
  sim.Advance(1000);
  ops().TreeView1DragOver(true, g2, 150);  // repeated: the timer keeps its start
  sim.Advance(499);
  EXPECT_FALSE(g2->Expanded());
  sim.Advance(1);
  EXPECT_TRUE(g2->Expanded());
  EXPECT_FALSE(ops().Timer1.Enabled());
  ops().TreeView1EndDrag();

  // Moving on to another node before then cancels it.
  view().Select(Find("G001"));
  ops().TreeView1StartDrag();
  ops().TreeView1DragOver(true, g2, 150);
  sim.Advance(1000);
  ops().TreeView1DragOver(true, Find("G000"), 150);  // collapsed, with a child: its own 1500 ms
  sim.Advance(1000);
  EXPECT_FALSE(g2->Expanded());
  ops().TreeView1DragOver(true, Find("[02:5A"), 150);  // no children: nothing to expand
  sim.Advance(2000);
  EXPECT_FALSE(g2->Expanded());
  EXPECT_FALSE(Find("G000")->Expanded());
  EXPECT_FALSE(ops().Timer1.Enabled());
  ops().TreeView1EndDrag();
}

TEST_F(TreeOps, NearAnEdgeTheTreeScrollsALineEvery50ms) {
  struct Case {
    int y;
    int direction;
  } cases[] = {{0, TreeOperations::kScrollUp},     {10, TreeOperations::kScrollUp},
               {19, TreeOperations::kScrollUp},    {20, TreeOperations::kScrollNone},
               {150, TreeOperations::kScrollNone}, {279, TreeOperations::kScrollNone},
               {280, TreeOperations::kScrollDown}, {300, TreeOperations::kScrollDown}};
  view().Select(Find("ID005"));
  ops().TreeView1StartDrag();
  for (const Case& c : cases) {
    ops().TreeView1DragOver(true, nullptr, c.y);
    EXPECT_EQ(ops().ScrollDirection, c.direction) << c.y;
    EXPECT_EQ(ops().Timer2.Enabled(), c.direction != TreeOperations::kScrollNone) << c.y;
  }
  view().TakeScroll();
  ops().TreeView1DragOver(true, nullptr, 10);
  sim.Advance(200);
  EXPECT_EQ(view().TakeScroll(), -4);
  ops().TreeView1DragOver(true, nullptr, 150);  // the middle stops it
  sim.Advance(200);
  EXPECT_EQ(view().TakeScroll(), 0);
  ops().TreeView1DragOver(true, nullptr, 290);
  sim.Advance(100);
  EXPECT_EQ(view().TakeScroll(), 2);
  ops().TreeView1EndDrag();  // the end stops it too
  EXPECT_EQ(ops().ScrollDirection, TreeOperations::kScrollNone);
  sim.Advance(200);
  EXPECT_EQ(view().TakeScroll(), 0);
}

TEST_F(TreeOps, DragsNeedNoPasswordWorkWhileMonitoringAndLockAgain) {
  app->settings().LockOn = true;
  app->settings().EditUnlocked = true;  // a password was given earlier
  app->monitoring().ToolButton1.SetEnabled(false);  // monitoring runs
  Drag(Find("ID005"), {Find("G002")});
  EXPECT_EQ(Find("ID005")->Parent(), Find("G002"));
  EXPECT_FALSE(app->Form14().Visible());
  EXPECT_FALSE(app->settings().EditUnlocked);  // the save locked again
  Drag(Find("ID005"), {Find("G001")});  // locked: still no password
  EXPECT_EQ(Find("ID005")->Parent(), Find("G001"));
  EXPECT_FALSE(app->Form14().Visible());
}

// --- Registration ---

TEST_F(TreeOps, DoubleClickRegistersOnlyUnregisteredDevices) {
  app->settings().LockOn = true;
  app->settings().EditUnlocked = false;
  app->monitoring().ToolButton1.SetEnabled(false);
  for (const char* node : {"G001", "ID003", "G000"}) {
    view().Select(Find(node));
    ops().TreeView1DblClick();
  }
  view().Select(Find("ID003")->Item(2));
  ops().TreeView1DblClick();
  view().Select(nullptr);
  ops().TreeView1DblClick();
  EXPECT_TRUE(Opened().empty());
  app->Form4().LastRow = 0;
  app->group_tab().ComboBoxEx2.items.Clear();
  view().Select(Find("[02:5A"));
  ops().PopBtn4Click();
  EXPECT_FALSE(app->MainForm().Enabled());  // until the editor closes
  EXPECT_EQ(Opened(), (std::vector<std::string>{"register 02:5A:3C:00:00:A1"}));
  EXPECT_TRUE(app->MainForm().Enabled());
  EXPECT_EQ(app->group_tab().ComboBoxEx2.items.All(), (std::vector<std::string>{"G001 一", "G002 二"}));
  EXPECT_EQ(app->Form4().LastRow, 5);  // the rows were counted
  EXPECT_FALSE(app->Form14().Visible());
}

// --- The popup menu ---

TEST_F(TreeOps, MenuItemsByNodeKindMonitoringAndDeviceWindow) {
  struct Case {
    const char* node;  // "" for none selected
    bool monitoring;
    bool details, connect;
    const char* menu;
  } cases[] = {
      {"", false, true, true, "- close"},
      {"G000", false, true, true, "new - close"},
      {"G001", false, true, true, "new rename delgroup - close"},
      {"G001", true, true, true, "new* rename* delgroup* - close"},
      {"[02:5A", false, true, true, "register - close"},
      {"[02:5A", true, true, true, "register* - close"},
      {"ID003", false, true, true, "edit delete - details connect - close"},
      {"ID003", true, false, true, "edit* delete* - details* connect - close"},
      {"ID003", false, true, false, "edit delete - details connect* - close"},
      {"ID003/2", false, true, true, "- details connect - close"},
      {"ID003/2", true, false, false, "- details* connect* - close"},
  };
  DeviceWindow& window = app->Form7();
  for (const Case& c : cases) {
    const std::string node = c.node;
    view().Select(Node(node));
    app->monitoring().ToolButton1.SetEnabled(!c.monitoring);
    DeviceWindowState(c.details, c.connect);
    window.Panel4.SetCaption("");
    ops().PopupMenu1Popup();
    EXPECT_EQ(Menu(), c.menu) << c.node << " monitoring " << c.monitoring;
    // A device's menu fills the device window for the whole device, hidden.
    const bool device = node.rfind("ID003", 0) == 0;
    EXPECT_EQ(window.Panel4.Caption(), device ? "ID0003" : "") << c.node;
    EXPECT_EQ(window.Panel6.Caption(), "") << c.node;
    EXPECT_FALSE(window.Visible()) << c.node;
  }
  EXPECT_EQ(ops().PopBtn7.Caption(), "閉じる(&X)");
  EXPECT_EQ(ops().PopBtn3.Caption(), "グループ削除(&K)");
  // "詳細(&S)" and "接続(&C)" are the device window's details and connect.
  view().Select(Node("ID003"));
  DeviceWindowState(true, true);
  ops().PopupMenu1Popup();
  calls.clear();
  ops().PopBtn8Click();
  ops().PopBtn9Click();
  EXPECT_TRUE(app->Form6().Visible());  // the detail window on device 3
  EXPECT_EQ(app->receive_view().DetailDevice, 3);
  EXPECT_EQ(shell.opened, (std::vector<std::string>{"telnet 10.0.0.3"}));
}

TEST_F(TreeOps, GuardedItemsAskThePasswordAndDoNothingElse) {
  struct Case {
    const char* what;
    const char* node;
    void (TreeOperations::*click)();
  } cases[] = {
      {"new group", "G001", &TreeOperations::PopBtn1Click},
      {"rename group", "G002", &TreeOperations::PopBtn2Click},
      {"delete group", "G002", &TreeOperations::PopBtn3Click},
      {"edit device", "ID005", &TreeOperations::PopBtn5Click},
      {"delete device", "ID005", &TreeOperations::PopBtn6Click},
  };
  app->settings().LockOn = true;
  boxes.default_answer = BoxResult::Yes;
  const std::vector<std::string> before = Outline();
  for (const Case& c : cases) {
    app->settings().EditUnlocked = false;
    calls.clear();
    app->Form14().Hide();
    view().Select(Find(c.node));
    (ops().*c.click)();
    EXPECT_TRUE(app->Form14().Visible()) << c.what;
    EXPECT_FALSE(app->Form3().Visible()) << c.what;
    EXPECT_TRUE(calls.empty()) << c.what;
    EXPECT_TRUE(Opened().empty()) << c.what;
    EXPECT_TRUE(boxes.shown.empty()) << c.what;
    EXPECT_EQ(Outline(), before) << c.what;
  }
  // Unlocked, each does its work.
  app->Form14().Hide();
  for (const Case& c : cases) {
    app->settings().EditUnlocked = true;
    calls.clear();
    app->Form3().Close();
    view().Select(Find(c.node));
    (ops().*c.click)();
    EXPECT_FALSE(app->Form14().Visible()) << c.what;
  }
  EXPECT_EQ(Find("ID005"), nullptr);  // deleted at last
  EXPECT_EQ(Find("G002"), nullptr);
  EXPECT_EQ(boxes.shown.size(), 2u);
}

TEST_F(TreeOps, NewAndRenameOpenTheGroupDialog) {
  GroupDialog& dialog = app->Form3();
  dialog.OldGroupText = "left over";
  ops().PopBtn1Click();
  EXPECT_EQ(dialog.OldGroupText, "");
  EXPECT_EQ(dialog.GroupDialogMode, 0);
  EXPECT_TRUE(dialog.Visible());
  dialog.Close();
  for (const char* node : {"G000", "ID003"}) {  // not an ordinary group: nothing
    view().Select(Find(node));
    ops().PopBtn2Click();
    EXPECT_FALSE(dialog.Visible()) << node;
  }
  view().Select(Find("G001"));
  ops().PopBtn2Click();
  EXPECT_EQ(dialog.OldGroupText, "G001 一");
  EXPECT_EQ(dialog.GroupDialogMode, 1);
  EXPECT_TRUE(dialog.Visible());
}

TEST_F(TreeOps, EditOpensTheEditorOnTheDeviceOfTheNodeOrItsCategory) {
  struct Case {
    TreeNode* node;
    std::vector<std::string> calls;
  } cases[] = {
      {Find("ID005"), {"edit 5"}},
      {Find("ID003")->Item(6), {"edit 3"}},
      {Find("G001"), {}},
      {Find("[02:5A"), {}},
      {nullptr, {}},
  };
  for (const Case& c : cases) {
    view().Select(c.node);
    ops().PopBtn5Click();
    EXPECT_EQ(Opened(), c.calls) << (c.node ? c.node->Text() : "none");
  }
  view().AddChild(Find("G001"), "ID000 zero", 3);  // ID 0: nothing
  view().Select(Find("ID000"));
  ops().PopBtn5Click();
  EXPECT_TRUE(Opened().empty());
}

// --- Delete rules ---

// The refusals by the whole tree: fewer than three nodes, a group with
// devices, and the last ordinary group, which stays even when unregistered
// devices make the tree larger (the next registration needs a group).
TEST_F(TreeOps, TheLastOrdinaryGroupCannotBeDeleted) {
  const std::string kAll = "全てのグループを削除できません。";
  const std::string kLeft = "グループ内に登録が残っています。";
  const struct {
    const char* name;
    bool devices, unregistered;
    std::string refusal;
  } cases[] = {
      {"the only group and G000, nothing else", false, false, kAll},
      {"the only group, holding devices", true, false, kLeft},
      {"the only group, holding devices, unregistered devices listed", true, true, kLeft},
      {"the only group, empty, unregistered devices listed", false, true, kAll},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Groups({"G001 一", kG000});
    for (int r : {3, 5}) table().SetCell(dtcol::MacAddress, r, c.devices ? "02:5A:3C:00:00:0" + std::to_string(r) : "");
    unreg().SetRowCount(2);
    if (c.unregistered) Unreg(2, "02:5A:3C:00:00:A2", "10.0.0.2");
    tree().ReStetingData();
    tree().TreeNodeRef();
    ASSERT_EQ(view().Count() < 3, !c.devices && !c.unregistered);
    boxes.shown.clear();
    boxes.default_answer = BoxResult::Yes;
    view().Select(Find("G001"));
    ops().PopBtn6Click();
    ops().PopBtn3Click();
    ASSERT_EQ(boxes.shown.size(), 2u);
    for (const auto& b : boxes.shown) {
      EXPECT_EQ(b.text, c.refusal);
      EXPECT_EQ(b.kind, BoxKind::Warning);
      EXPECT_EQ(b.buttons, BoxButtons::Ok);
    }
    EXPECT_NE(Find("G001"), nullptr);
  }
}

TEST_F(TreeOps, AGroupWithDevicesStaysAndAnEmptyOneGoesOnYes) {
  view().Select(Find("G001"));
  ops().PopBtn6Click();
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "グループ内に登録が残っています。");

  boxes.shown.clear();
  view().Select(Find("G002"));
  boxes.answers = {BoxResult::No};
  ops().PopBtn3Click();
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "G002 二 (0) を削除しますか？");
  EXPECT_EQ(boxes.shown[0].kind, BoxKind::Confirm);
  EXPECT_EQ(boxes.shown[0].buttons, BoxButtons::YesNo);
  EXPECT_NE(Find("G002"), nullptr);

  RemoveFiles();
  view().Select(Find("G002"));
  boxes.answers = {BoxResult::Yes};
  ops().PopBtn3Click();
  EXPECT_EQ(Find("G002"), nullptr);
  EXPECT_EQ(selector().items.All(), (std::vector<std::string>{"G001 一", kG000}));
  EXPECT_EQ(ReadAll(Lst()), "G001 一\r\n" + kG000 + "\r\n");
  // Not an ordinary group: no rule, no box.
  boxes.shown.clear();
  for (const char* node : {"G000", "[02:5A"}) {
    view().Select(Find(node));
    ops().PopBtn3Click();
    ops().PopBtn6Click();
  }
  view().Select(Find("ID003"));
  ops().PopBtn3Click();
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(TreeOps, ADeletedDeviceLeavesAnEmptyRowAndAGroupWithoutCountCanGo) {
  Device(7, "02:5A:3C:00:00:07", "G002 二");
  tree().ReStetingData();
  tree().TreeNodeRef();
  table().SetCell(dtcol::RecvDate, 7, "2024/05/01");
  table().SetCell(0, 7, "7");
  boxes.answers = {BoxResult::No};
  view().Select(Find("ID007"));
  ops().PopBtn6Click();
  EXPECT_EQ(boxes.shown.back().text, "ID007 Dev7 を削除しますか？");
  EXPECT_NE(Find("ID007"), nullptr);

  RemoveFiles();
  boxes.answers = {BoxResult::Yes};
  view().Select(Find("ID007"));
  ops().PopBtn6Click();
  EXPECT_EQ(Find("ID007"), nullptr);
  for (int c = 1; c <= 69; ++c) EXPECT_EQ(table().Cell(c, 7), "") << c;
  EXPECT_EQ(table().Cell(0, 7), "7");
  EXPECT_EQ(app->Form4().LastRow, 5);
  EXPECT_EQ(ReadAll(Dat()).find("02:5A:3C:00:00:07"), std::string::npos);

  // The last registered devices go: the rebuild leaves the groups without
  // a count, and an empty one is still deleted on Yes.
  for (const char* id : {"ID003", "ID005"}) {
    boxes.answers = {BoxResult::Yes};
    view().Select(Find(id));
    ops().PopBtn6Click();
  }
  ASSERT_EQ(view().Top(1)->Text(), "G002 二");
  boxes.shown.clear();
  boxes.answers = {BoxResult::Yes};
  view().Select(Find("G002"));
  ops().PopBtn6Click();
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "G002 二 を削除しますか？");
  EXPECT_EQ(Find("G002"), nullptr);
}

}  // namespace
}  // namespace zol
