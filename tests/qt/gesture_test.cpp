// The operator's gestures while devices report: datagrams of several
// devices arrive between the press, the release and the double click of an
// icon, and between the press and the menu of a tree node, at a few rates,
// with the mirror looking in between or not, and with the rows above or
// below the node moving. What follows is always for the icon or node that
// was under the pointer at the press.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMouseEvent>
#include <QStringList>
#include <QTest>
#include <QTreeView>

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "console/device_tree.h"
#include "console/device_window.h"
#include "console/main_window.h"
#include "console/tree_operations.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "qt/console_ui.h"
#include "qt/device_tree_view.h"
#include "qt/device_view.h"
#include "qt/icon_list_model.h"
#include "qt/main_view.h"
#include "qt/mirror.h"
#include "support/app_fixture.h"
#include "support/datagram_hex.h"
#include "telnet/device_editor.h"
#include "wait_for.h"

namespace zol {
namespace {

constexpr int kDevices = 6;

// A datagram of a 4-outlet device: outlets 1 and 2 power ON, 3 and 4 PING
// with the judgement word given (1 normal, 2 abnormal).
std::string Datagram(int device, std::uint16_t judge3, std::uint16_t judge4, std::uint32_t sequence) {
  std::vector<sim::OutletWords> outlets(4, sim::OutletWords{1, 1, 0});
  std::vector<sim::PingBlock> blocks(4);
  const std::uint16_t judge[4] = {1, 1, judge3, judge4};
  for (size_t i = 0; i < blocks.size(); ++i) {
    blocks[i].f = {1, judge[i], 10, 10, 4, 1, 1, 1, 0};
    blocks[i].targets.assign(4, sim::TargetEntry{});
  }
  return Wire(sim::StatusDatagram(sim::Header(sequence), {sim::IdentRecord(FamilyMac(static_cast<std::uint32_t>(device))),
                                                            sim::OutletRecord(outlets), sim::PingRecord(blocks, 4, 4)}));
}

// A datagram of a device that is not registered (its MAC ends in suffix).
std::string Unregistered(std::uint32_t suffix, std::uint32_t sequence) {
  return Wire(sim::StatusDatagram(sim::Header(sequence),
                                  {sim::IdentRecord(FamilyMac(suffix)), sim::OutletRecord({sim::OutletWords{}})}));
}

// A press, release or double click of a button at a point of a widget,
// as the window system delivers them (the second press of a double click
// comes as the double click).
void Mouse(QWidget* w, QEvent::Type type, Qt::MouseButton button, const QPoint& at) {
  const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
  QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)), button, held, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

// Registered devices 1 to 6 with four outlets each (1, 2 power; 3, 4 PING),
// in G001 (1-3) and G002 (4-6), an empty group G003 and two unregistered
// devices under G000; monitoring runs and every device has reported once.
struct Gestures : ::testing::Test {
  Gestures() : ui(*f.app) {
    f.app->Start();
    f.sim.Advance(3001);
    Grid& t = f.app->Form4().StringGrid1;
    for (int r = 1; r <= kDevices; ++r) {
      t.SetCell(dtcol::MacAddress, r, "02:5A:3C:00:00:0" + std::to_string(r));
      t.SetCell(dtcol::OutletInfo, r, "4,4");
      t.SetCell(dtcol::IconFlags, r, "11110000");
      t.SetCell(dtcol::ItemKinds, r, "00110000");
      t.SetCell(dtcol::DeviceName, r, "ラック" + std::to_string(r));
      t.SetCell(dtcol::OutletNames, r, "電源,ルータ,Web,DB,");
      t.SetCell(dtcol::GroupName, r, r <= 3 ? "G001 一階" : "G002 二階");
      t.SetCell(dtcol::ConnectInfo, r, "telnet,10.0.0." + std::to_string(r) + ",23,,23,0,1,1");
      t.SetCell(dtcol::ItemImages, r, "0009 0009 0009 0009 0009 0009 0009 0009 ");
    }
    f.app->Form4().LastDataCnt();
    f.app->group_selector().items.Assign({"G001 一階", "G002 二階", "G003 倉庫", "G000 未登録グループ"});
    f.app->tree().ReStetingData();
    f.app->tree().TreeNodeRef();
    main().monitoring.ToolButton1Click();
    for (int d = 1; d <= kDevices; ++d) Send(d, 1, 1);
    for (std::uint32_t u : {0xA1u, 0xA2u}) f.udp.Deliver(Unregistered(u, ++sequence), "10.0.1.1");
    // Normal PING items are hidden ("OK" up): a PING item that turns
    // abnormal adds an icon, one that turns normal again takes it away.
    main().icons.ToolButtonChk[4].SetDown(false);
    main().icons.ToolButtonChk4Click();
    ui.main().resize(800, 640);
    Settle();
  }
  MainWindow& main() { return f.app->Form2(); }
  IconListView& icons() { return *ui.main().icons; }
  QTreeView& tree() { return *ui.main().device_tree->tree; }
  TreeMirror& tree_mirror() { return *ui.main().device_tree->tree_mirror; }
  void Send(int device, std::uint16_t judge3, std::uint16_t judge4) {
    ASSERT_TRUE(f.udp.Deliver(Datagram(device, judge3, judge4, ++sequence), "10.0.0." + std::to_string(device)));
  }
  // The mirror looks and the views lay themselves out.
  void Settle() {
    ui.mirror().Poll();
    QApplication::processEvents();
  }
  // count datagrams of the devices given, each turning its PING items
  // abnormal or normal in turn; the mirror looks after each when poll.
  void Traffic(const std::vector<int>& devices, int count, bool poll) {
    for (int k = 0; k < count; ++k) {
      const int d = devices[static_cast<size_t>(k) % devices.size()];
      const bool odd = (++turn / devices.size()) % 2 == 1;
      Send(d, odd ? 2 : 1, odd ? 1 : 2);
      if (poll) Settle();
    }
  }
  // New unregistered devices (new nodes under G000, new text of its count)
  // and registered ones (node icons), as a burst of datagrams brings them.
  void TreeTraffic(int count, bool poll) {
    for (int k = 0; k < count; ++k) {
      if (k % 3 == 0) f.udp.Deliver(Unregistered(0xB0 + static_cast<std::uint32_t>(++fresh), ++sequence), "10.0.2.1");
      else Send(1 + k % kDevices, 1 + k % 2, 1);
      if (poll) Settle();
    }
  }
  TreeNode* NodeStarting(const std::string& prefix) {
    for (TreeNode* n : f.app->tree().TreeView1.Nodes()) {
      if (n->Text().rfind(prefix, 0) == 0) return n;
    }
    ADD_FAILURE() << prefix;
    return nullptr;
  }
  // The centre of a node's row as the tree shows it now.
  QPoint RowOf(const TreeNode* n) {
    const QModelIndex index = tree_mirror().IndexOf(n);
    EXPECT_TRUE(index.isValid());
    tree().scrollTo(index);
    return tree().visualRect(index).center();
  }
  // A double click at a point of the icon view as the window system
  // delivers it (press, release, double click, release), with between(k)
  // run after the k-th event but the last; then the mirror looks.
  void DoubleClickIcon(const QPoint& at, const std::function<void(int)>& between) {
    const QEvent::Type events[] = {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                                   QEvent::MouseButtonRelease};
    for (int k = 0; k < 4; ++k) {
      Mouse(icons().viewport(), events[k], Qt::LeftButton, at);
      if (k < 3) between(k);
    }
    Settle();
  }
  // The device window is open on outlet 2 ("ルータ") of device 3.
  void ExpectDeviceWindowOfOutlet2OfDevice3() {
    DeviceWindow& device = f.app->Form7();
    ASSERT_TRUE(device.Visible());
    EXPECT_EQ(device.Panel4.Caption(), "ID0003");
    EXPECT_EQ(device.Panel6.Caption(), "2");
    EXPECT_EQ(device.Panel1.Caption(), "ルータ");
    EXPECT_TRUE(ui.device().isVisible());
  }
  std::vector<std::string> ShownMenuItems() {
    std::vector<std::string> shown;
    for (QAction* a : ui.main().device_tree->menu->actions()) {
      if (a->isVisible() && !a->isSeparator()) shown.push_back(a->objectName().toStdString());
    }
    return shown;
  }

  AppFixture f;
  ConsoleUi ui;
  std::uint32_t sequence = 0;
  size_t turn = 0;
  int fresh = 0;
};

// Double-clicks on the second outlet of device 3: icons of the devices
// before it (1, 2) or after it (4, 5, 6) come and go, or nothing moves, at
// 0 to 40 datagrams between the events. The device window opens for the
// icon the first press was on, whether the model was reset, rebuilt or is
// still waiting for the mirror's next look.
TEST_F(Gestures, AnIconDoubleClickOpensTheDeviceWindowOfTheIconPressed) {
  const struct {
    const char* layout;
    std::vector<int> devices;
  } layouts[] = {{"icons before it move", {1, 2}}, {"icons after it move", {4, 5, 6}}, {"nothing moves", {}}};
  for (const auto& layout : layouts) {
    for (const int rate : {0, 1, 6, 40}) {
      for (const bool poll : {false, true}) {
        SCOPED_TRACE(std::string(layout.layout) + ", " + std::to_string(rate) + " datagrams, mirror " +
                     (poll ? "looking" : "waiting"));
        f.app->Form7().BitBtn3Click();  // the device window closed
        for (int d = 1; d <= kDevices; ++d) Send(d, 1, 1);
        Settle();
        const std::string key = "0003 0002";
        const int row = main().icons.FindIcon(3, 2);
        ASSERT_GE(row, 0);
        ASSERT_EQ(icons().model()->index(row, 0).data().toString(), QStringLiteral(u"ルータ"));
        const QPoint at = icons().visualRect(icons().model()->index(row, 0)).center();
        // Whether the icon moved, or icons after it came or went, on the way.
        bool moved = false, counted = false;
        const size_t count = main().icons.ListView1.Count();
        auto traffic = [&] {
          if (!layout.devices.empty()) Traffic(layout.devices, rate, poll);
          else
            for (int k = 0; k < rate; ++k) {
              Send(3, 1, 1);
              if (poll) Settle();
            }
          moved = moved || main().icons.FindIcon(3, 2) != row;
          counted = counted || main().icons.ListView1.Count() != count;
        };
        DoubleClickIcon(at, [&](int) { traffic(); });
        ExpectDeviceWindowOfOutlet2OfDevice3();
        if (rate >= 6) {
          EXPECT_EQ(moved, layout.devices.size() == 2u);
          EXPECT_EQ(counted, !layout.devices.empty());
        }
        // The selection stayed on the icon across every rebuild.
        ASSERT_GE(main().icons.ListView1.Selected(), 0);
        EXPECT_EQ(main().icons.ListView1.Item(static_cast<size_t>(main().icons.ListView1.Selected())).key, key);
      }
    }
  }
  // A double click on empty space opens no device window.
  f.app->Form7().BitBtn3Click();
  Settle();
  const QPoint empty(icons().viewport()->width() - 5, icons().viewport()->height() - 5);
  ASSERT_FALSE(icons().indexAt(empty).isValid());
  QWidget* vp = icons().viewport();
  Mouse(vp, QEvent::MouseButtonPress, Qt::LeftButton, empty);
  Mouse(vp, QEvent::MouseButtonRelease, Qt::LeftButton, empty);
  Traffic({1, 2}, 6, true);
  Mouse(vp, QEvent::MouseButtonDblClick, Qt::LeftButton, empty);
  Mouse(vp, QEvent::MouseButtonRelease, Qt::LeftButton, empty);
  Settle();
  EXPECT_FALSE(f.app->Form7().Visible());
  EXPECT_EQ(main().icons.ListView1.Selected(), -1);
}

// The devices fall silent between the two clicks: the time-out scan turns
// every item to TimeOut and rebuilds the view, whose hidden PING items now
// show before the icon; the double click still opens the icon pressed.
TEST_F(Gestures, AnIconDoubleClickAcrossATimeOut) {
  const int row = main().icons.FindIcon(3, 2);
  ASSERT_GE(row, 0);
  const QPoint at = icons().visualRect(icons().model()->index(row, 0)).center();
  DoubleClickIcon(at, [&](int gap) {
    if (gap == 1) f.sim.Advance(11 * 60 * 1000);  // past the ten minutes of silence
  });
  EXPECT_GT(main().icons.FindIcon(3, 2), row);
  ExpectDeviceWindowOfOutlet2OfDevice3();
  EXPECT_EQ(f.app->Form7().Panel3.Caption(), "TimeOut");
}

// A right press on a node, datagrams, then the menu: the node pressed is
// selected and the menu is for it, whichever branch was open before (above
// the node, whose closing moves it up; below it; the node's own device).
TEST_F(Gestures, ATreeNodesMenuIsForTheNodeRightClicked) {
  const struct {
    const char* layout;
    const char* open;    // the node selected before, whose branch is open
    const char* target;  // the node right-clicked
    int category;        // or its category node of this place (-1: the node itself)
    std::vector<std::string> menu;  // the items the menu shows for it
  } cases[] = {
      {"a group below an open group", "G001", "G003", -1, {"PopBtn1", "PopBtn2", "PopBtn3", "PopBtn7"}},
      {"a device below an open device", "ID001", "ID002", -1, {"PopBtn5", "PopBtn6", "PopBtn8", "PopBtn9", "PopBtn7"}},
      {"a category of the open device", "ID002", "ID002", 6, {"PopBtn8", "PopBtn9", "PopBtn7"}},
      {"a group above an open group", "ID004", "G001", -1, {"PopBtn1", "PopBtn2", "PopBtn3", "PopBtn7"}},
      {"no branch open", "", "G002", -1, {"PopBtn1", "PopBtn2", "PopBtn3", "PopBtn7"}},
      {"an unregistered device below an open device", "ID005", "[02:5A:3C:00:00:A2]", -1, {"PopBtn4", "PopBtn7"}},
  };
  for (const auto& c : cases) {
    for (const int rate : {0, 1, 6, 30}) {
      for (const bool poll : {false, true}) {
        SCOPED_TRACE(std::string(c.layout) + ", " + std::to_string(rate) + " datagrams, mirror " +
                     (poll ? "looking" : "waiting"));
        QMenu* menu = ui.main().device_tree->menu;
        menu->hide();
        TreeView& core = f.app->tree().TreeView1;
        core.Select(*c.open ? NodeStarting(c.open) : nullptr);
        Settle();
        TreeNode* target = NodeStarting(c.target);
        ASSERT_NE(target, nullptr);
        if (c.category >= 0) target = target->Item(static_cast<size_t>(c.category));
        const QPoint at = RowOf(target);
        Mouse(tree().viewport(), QEvent::MouseButtonPress, Qt::RightButton, at);
        TreeTraffic(rate, poll);
        Mouse(tree().viewport(), QEvent::MouseButtonRelease, Qt::RightButton, at);
        QContextMenuEvent ev(QContextMenuEvent::Mouse, at, tree().viewport()->mapToGlobal(at));
        QApplication::sendEvent(tree().viewport(), &ev);
        ASSERT_TRUE(WaitFor([&] { return menu->isVisible(); }));
        EXPECT_EQ(core.Selected(), target);
        EXPECT_EQ(ShownMenuItems(), c.menu);
        // The highlight is on that node, and on no other.
        Settle();
        const QModelIndexList lit = tree().selectionModel()->selectedIndexes();
        ASSERT_EQ(lit.size(), 1);
        EXPECT_EQ(tree_mirror().NodeOf(lit.front()), target);
        menu->hide();
      }
    }
  }
}

// "詳細(&S)" of the menu opens the detail window of the device right-clicked.
TEST_F(Gestures, TheMenusDetailsAreForTheDeviceRightClicked) {
  TreeView& core = f.app->tree().TreeView1;
  core.Select(NodeStarting("ID001"));
  Settle();
  const QPoint at = RowOf(NodeStarting("ID002"));
  Mouse(tree().viewport(), QEvent::MouseButtonPress, Qt::RightButton, at);
  TreeTraffic(12, true);
  QContextMenuEvent ev(QContextMenuEvent::Mouse, at, tree().viewport()->mapToGlobal(at));
  QApplication::sendEvent(tree().viewport(), &ev);
  QMenu* menu = ui.main().device_tree->menu;
  ASSERT_TRUE(WaitFor([&] { return menu->isVisible(); }));
  TreeTraffic(12, true);  // datagrams while the menu is open
  for (QAction* a : menu->actions()) {
    if (a->objectName() == QStringLiteral("PopBtn8")) a->trigger();
  }
  EXPECT_EQ(f.app->receive_view().DetailDevice, 2);
  menu->hide();
}

// With monitoring stopped the menu's edits act: the tree refreshes between
// the right press and the menu (a new unregistered node, new counts), and
// "グループ削除(&K)" asks for the group pressed.
TEST_F(Gestures, TheMenusGroupDeleteIsForTheGroupRightClicked) {
  main().monitoring.ToolButton2Click();
  TreeView& core = f.app->tree().TreeView1;
  core.Select(NodeStarting("G001"));
  Settle();
  const QPoint at = RowOf(NodeStarting("G003"));
  Mouse(tree().viewport(), QEvent::MouseButtonPress, Qt::RightButton, at);
  f.app->tree().TreeUnRegData("[02:5A:3C:00:00:C1] 10.0.3.1", 1);
  f.app->tree().TreeNodeRef();
  Settle();
  QContextMenuEvent ev(QContextMenuEvent::Mouse, at, tree().viewport()->mapToGlobal(at));
  QApplication::sendEvent(tree().viewport(), &ev);
  QMenu* menu = ui.main().device_tree->menu;
  ASSERT_TRUE(WaitFor([&] { return menu->isVisible(); }));
  f.boxes.answers = {BoxResult::No};
  for (QAction* a : menu->actions()) {
    if (a->objectName() == QStringLiteral("PopBtn3")) a->trigger();
  }
  ASSERT_FALSE(f.boxes.shown.empty());
  EXPECT_EQ(f.boxes.shown.back().text, "G003 倉庫 (0) を削除しますか？");
  menu->hide();
}

// A left click on a node below an open device, with datagrams between the
// press and the release: the click acts on the node pressed, and the tree
// highlights that node only, where the closing branch moved it.
TEST_F(Gestures, ATreeClickSelectsAndHighlightsTheNodePressed) {
  for (const int rate : {0, 1, 6, 30}) {
    for (const bool poll : {false, true}) {
      SCOPED_TRACE(std::to_string(rate) + " datagrams, mirror " + (poll ? "looking" : "waiting"));
      TreeView& core = f.app->tree().TreeView1;
      core.Select(NodeStarting("ID001"));
      Settle();
      Grid& grid = f.app->detail_grid().StringGrid2;
      grid.SetRow(3);
      TreeNode* target = NodeStarting("ID003");
      const QPoint at = RowOf(target);
      Mouse(tree().viewport(), QEvent::MouseButtonPress, Qt::LeftButton, at);
      TreeTraffic(rate, poll);
      Mouse(tree().viewport(), QEvent::MouseButtonRelease, Qt::LeftButton, at);
      Settle();
      EXPECT_EQ(core.Selected(), target);
      EXPECT_EQ(grid.Row(), -1);  // the click handler ran
      EXPECT_EQ(grid.Cell(2, 2), "02:5A:3C:00:00:03");  // the detail grid lists the clicked device
      const QModelIndexList lit = tree().selectionModel()->selectedIndexes();
      ASSERT_EQ(lit.size(), 1);
      EXPECT_EQ(tree_mirror().NodeOf(lit.front()), target);
      EXPECT_EQ(tree().currentIndex(), tree_mirror().IndexOf(target));
      EXPECT_FALSE(core.Top(0)->Item(0)->Expanded());  // ID001 closed
    }
  }
}

// The tree is made again (a store of the settings or of a device does it)
// and the operator acts on a row before the view has shown the new tree:
// the node the row showed is gone, and no gesture acts on another node in
// its place (the menu of the node selected, the click of the node selected,
// the registration of another MAC).
TEST_F(Gestures, AGestureOnANodeGoneBeforeThePressDoesNothing) {
  const char* const gestures[] = {"menu", "click", "double click"};
  for (const char* gesture : gestures) {
    SCOPED_TRACE(gesture);
    QMenu* menu = ui.main().device_tree->menu;
    menu->hide();
    f.app->Form5().BitBtn2Click();  // the editor closed
    TreeView& core = f.app->tree().TreeView1;
    core.Select(NodeStarting("G002"));
    Settle();
    const QPoint at = RowOf(NodeStarting("[02:5A:3C:00:00:A2]"));
    f.app->tree().ReStetingData();  // every node made anew; the view not told yet
    TreeNode* selected = core.Selected();
    ASSERT_NE(selected, nullptr);
    Grid& grid = f.app->detail_grid().StringGrid2;
    grid.SetRow(3);
    QWidget* vp = tree().viewport();
    if (std::string(gesture) == "menu") {
      Mouse(vp, QEvent::MouseButtonPress, Qt::RightButton, at);
      Mouse(vp, QEvent::MouseButtonRelease, Qt::RightButton, at);
      QContextMenuEvent ev(QContextMenuEvent::Mouse, at, vp->mapToGlobal(at));
      QApplication::sendEvent(vp, &ev);
    } else {
      Mouse(vp, QEvent::MouseButtonPress, Qt::LeftButton, at);
      Mouse(vp, QEvent::MouseButtonRelease, Qt::LeftButton, at);
      if (std::string(gesture) == "double click") {
        Mouse(vp, QEvent::MouseButtonDblClick, Qt::LeftButton, at);
        Mouse(vp, QEvent::MouseButtonRelease, Qt::LeftButton, at);
      }
    }
    Settle();
    EXPECT_FALSE(menu->isVisible());
    EXPECT_EQ(grid.Row(), 3);  // no click handler ran
    EXPECT_FALSE(f.app->Form5().Visible());
    EXPECT_EQ(core.Selected(), selected);
  }
  ui.main().device_tree->menu->hide();
}

// A double click on an unregistered node below an open group: the first
// click closes the group, which moves the node up; with datagrams between
// the clicks the device editor opens for the MAC double-clicked.
TEST_F(Gestures, ATreeDoubleClickRegistersTheNodeDoubleClicked) {
  for (const int rate : {0, 1, 6, 30}) {
    for (const bool poll : {false, true}) {
      SCOPED_TRACE(std::to_string(rate) + " datagrams, mirror " + (poll ? "looking" : "waiting"));
      f.app->Form5().BitBtn2Click();  // the editor closed
      TreeView& core = f.app->tree().TreeView1;
      core.Select(NodeStarting("ID002"));
      Settle();
      const QPoint at = RowOf(NodeStarting("[02:5A:3C:00:00:A2]"));
      QWidget* vp = tree().viewport();
      Mouse(vp, QEvent::MouseButtonPress, Qt::LeftButton, at);
      TreeTraffic(rate, poll);
      Mouse(vp, QEvent::MouseButtonRelease, Qt::LeftButton, at);
      TreeTraffic(rate, poll);
      Mouse(vp, QEvent::MouseButtonDblClick, Qt::LeftButton, at);
      TreeTraffic(rate, poll);
      Mouse(vp, QEvent::MouseButtonRelease, Qt::LeftButton, at);
      Settle();
      ASSERT_TRUE(f.app->Form5().Visible());
      EXPECT_EQ(f.app->Form5().Panel18.Caption(), "02:5A:3C:00:00:A2");
    }
  }
  f.app->Form5().BitBtn2Click();
}

}  // namespace
}  // namespace zol
