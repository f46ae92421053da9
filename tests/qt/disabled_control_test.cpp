// A control the core has disabled (or whose window it has disabled) runs no
// handler, though its widget still looks usable until the mirror's next
// look: each click below comes right after the core's change, before the
// mirror has looked. The widget then shows the core's state at once.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

#include <functional>
#include <string>

#include "common/scramble.h"
#include "console/device_tree.h"
#include "console/device_window.h"
#include "console/group_dialog.h"
#include "console/main_window.h"
#include "console/tree_operations.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "qt/console_ui.h"
#include "qt/device_tree_view.h"
#include "qt/device_view.h"
#include "qt/main_view.h"
#include "qt/mirror.h"
#include "qt/settings_view.h"
#include "settings/settings_dialog.h"
#include "support/app_fixture.h"
#include "wait_for.h"

namespace zol {
namespace {

struct DisabledControls : ::testing::Test {
  DisabledControls() : ui(*f.app) {
    f.app->Start();
    f.sim.Advance(3001);
    Grid& t = f.app->Form4().StringGrid1;
    t.SetCell(dtcol::MacAddress, 1, "02:5A:3C:00:00:01");
    t.SetCell(dtcol::ConnectInfo, 1, "telnet,127.0.0.1,23," + Scramble("pw", 1) + ",23,0,1,0");
    t.SetCell(dtcol::DeviceName, 1, "ラック1");
    t.SetCell(dtcol::OutletNames, 1, "電源1,");
    t.SetCell(dtcol::GroupName, 1, "G001 グループ1");
    t.SetCell(dtcol::RecvDate, 1, "2024/05/01");
    t.SetCell(dtcol::OlWordA, 1, "0001");
    f.app->Form4().LastDataCnt();
    ui.mirror().Poll();
  }
  template <typename W>
  W* In(QWidget* top, const char* name) {
    W* w = top->findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  AppFixture f;
  ConsoleUi ui;
};

TEST_F(DisabledControls, AClickAfterTheCoreDisabledTheControlRunsNoHandler) {
  DeviceWindow& device = f.app->Form7();
  MainWindow& main = f.app->Form2();
  SettingsDialog& settings = f.app->Form8();
  const struct {
    const char* what;
    std::function<void()> before;   // brings the window up, the mirror looks
    std::function<void()> disable;  // the core's change, not yet mirrored
    std::function<QWidget*()> widget;
    std::function<void(QWidget*)> act;  // the operator's gesture
    std::function<bool()> ran;      // whether the handler ran
    std::function<bool()> shown;    // the widget shows the core's state again
  } cases[] = {
      {"the device window's ON after the switch buttons were disabled",
       [&] { device.listicondata("0001 0001 7", 0); },
       [&] { device.btnmask(0); },
       [&] { return static_cast<QWidget*>(ui.device().on); },
       [](QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); },
       [&] { return !device.Visible() || !f.telnet.attempts.empty(); },
       [&] { return !ui.device().on->isEnabled(); }},
      {"the start button after the core disabled it", [] {},
       [&] { main.monitoring.ToolButton1.SetEnabled(false); },
       [&] { return static_cast<QWidget*>(ui.main().start); },
       [](QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); },
       [&] { return f.udp.LocalPort() != 0; },
       [&] { return !ui.main().start->isEnabled(); }},
      {"a filter button after the core disabled it", [] {},
       [&] { main.icons.ToolButtonChk[2].SetEnabled(false); },
       [&] { return static_cast<QWidget*>(ui.main().filters[2]); },
       [](QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); },
       [&] { return !main.icons.ToolButtonChk[2].Down(); },
       [&] { return ui.main().filters[2]->isChecked() && !ui.main().filters[2]->isEnabled(); }},
      {"the settings button of a main window the core disabled", [] {},
       [&] { main.SetEnabled(false); },
       [&] { return static_cast<QWidget*>(ui.main().settings); },
       [](QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); },
       [&] { return settings.Visible(); },
       [] { return true; }},
      {"a check box of the settings dialog after its rule disabled it",
       [&] { main.ToolButton7Click(); },
       [&] {
         settings.CheckBox3.SetChecked(false);
         settings.CheckBox3Click();  // "ファイル保存" only with the log on
       },
       [&] { return static_cast<QWidget*>(In<QCheckBox>(&ui.settings(), "CheckBox4")); },
       [](QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(6, w->height() / 2)); },
       [&] { return settings.CheckBox4.Checked() != f.app->settings().SysLogSave; },
       [&] {
         auto* box = In<QCheckBox>(&ui.settings(), "CheckBox4");
         return !box->isEnabled() && box->isChecked() == settings.CheckBox4.Checked();
       }},
      {"a text field of the settings dialog after its rule disabled it",
       [&] {
         main.ToolButton7Click();
         settings.PageControl1.SetActivePageIndex(SettingsDialog::kMail);
         settings.cboAuthType.SetItemIndex(1);
         settings.cboAuthTypeChange();
       },
       [&] {
         settings.cboAuthType.SetItemIndex(0);
         settings.cboAuthTypeChange();  // "None": no user
       },
       [&] { return static_cast<QWidget*>(In<QLineEdit>(&ui.settings(), "edtAccount")); },
       [](QWidget* w) {
         auto* e = static_cast<QLineEdit*>(w);
         e->insert(QStringLiteral("x"));
       },
       [&] { return !settings.edtAccount.Text().empty(); },
       [&] { return In<QLineEdit>(&ui.settings(), "edtAccount")->text().isEmpty(); }},
      {"the tab グループ of a main window the core disabled", [] {},
       [&] { main.SetEnabled(false); },
       [&] { return static_cast<QWidget*>(ui.main().left_tabs->tabBar()); },
       [](QWidget* w) {
         auto* bar = static_cast<QTabBar*>(w);
         QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
       },
       [&] { return main.PageControl1.ActivePageIndex() != 0; },
       [&] { return ui.main().left_tabs->currentIndex() == 0; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    settings.FormClose();
    device.BitBtn3Click();
    main.SetEnabled(true);
    main.monitoring.ToolButton1.SetEnabled(true);
    main.icons.ToolButtonChk[2].SetEnabled(true);
    main.icons.ToolButtonChk[2].SetDown(true);
    ui.mirror().Poll();
    c.before();
    ui.mirror().Poll();
    QWidget* w = c.widget();
    ASSERT_TRUE(w->isVisible());
    ASSERT_TRUE(w->isEnabled());
    c.disable();
    c.act(w);
    EXPECT_FALSE(c.ran());
    EXPECT_TRUE(c.shown());
  }
  settings.FormClose();
  ui.mirror().Poll();
}

// A menu item the core disabled after the menu was filled does nothing:
// monitoring starts while the tree's menu is open.
TEST_F(DisabledControls, AMenuItemDisabledWhileTheMenuIsOpenDoesNothing) {
  f.app->tree().ReStetingData();
  ui.mirror().Poll();
  QTreeView* tree = ui.main().device_tree->tree;
  const QModelIndex g1 = tree->model()->index(0, 0);
  const QPoint at = tree->visualRect(g1).center();
  QContextMenuEvent ev(QContextMenuEvent::Mouse, at, tree->viewport()->mapToGlobal(at));
  QApplication::sendEvent(tree->viewport(), &ev);
  QMenu* menu = ui.main().device_tree->menu;
  ASSERT_TRUE(WaitFor([&] { return menu->isVisible(); }));
  QAction* add = nullptr;
  for (QAction* a : menu->actions()) {
    if (a->objectName() == QStringLiteral("PopBtn1")) add = a;
  }
  ASSERT_NE(add, nullptr);
  ASSERT_TRUE(add->isEnabled());
  f.app->Form2().monitoring.ToolButton1Click();  // the menu's edits are off while monitoring runs
  f.app->tree_ops().PopupMenu1Popup();
  add->trigger();
  EXPECT_FALSE(f.app->Form3().Visible());
  menu->hide();
}

// A press on the tree, then the core disables the main window before the
// release or the menu comes (the release or menu is refused); the operator
// presses another node while the window is disabled, and releases once it
// is usable again. That release runs no click, and a menu asked for then is
// for the node under the pointer: the refused release and menu of the
// first press left nothing behind.
TEST_F(DisabledControls, AGestureRefusedLeavesNothingForTheNextRelease) {
  f.app->tree().ReStetingData();
  ui.mirror().Poll();
  MainWindow& main = f.app->Form2();
  QTreeView* tree = ui.main().device_tree->tree;
  TreeMirror* mirror = ui.main().device_tree->tree_mirror;
  TreeView& core = f.app->tree().TreeView1;
  QWidget* vp = tree->viewport();
  auto mouse = [vp](QEvent::Type type, Qt::MouseButton button, const QPoint& at) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent e(type, QPointF(at), QPointF(vp->mapToGlobal(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(vp, &e);
  };
  QMenu* menu = ui.main().device_tree->menu;
  Grid& grid = f.app->detail_grid().StringGrid2;
  for (const Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
    SCOPED_TRACE(button == Qt::LeftButton ? "click" : "menu");
    menu->hide();
    core.Select(nullptr);
    ui.mirror().Poll();
    const QPoint first = tree->visualRect(mirror->IndexOf(core.Top(0))).center();  // G001
    mouse(QEvent::MouseButtonPress, button, first);
    ASSERT_EQ(core.Selected(), core.Top(0));
    main.SetEnabled(false);  // a dialog opened over the window
    mouse(QEvent::MouseButtonRelease, button, first);
    QContextMenuEvent refused(QContextMenuEvent::Mouse, first, vp->mapToGlobal(first));
    if (button == Qt::RightButton) QApplication::sendEvent(vp, &refused);
    EXPECT_FALSE(menu->isVisible());
    ASSERT_FALSE(tree->isEnabled());  // shown as the core has it at once
    const QPoint second = tree->visualRect(mirror->IndexOf(core.Top(1))).center();  // G000, where it is now
    mouse(QEvent::MouseButtonPress, button, second);  // not delivered: disabled
    main.SetEnabled(true);
    ui.mirror().Poll();
    ASSERT_TRUE(tree->isEnabled());
    grid.SetRow(3);
    mouse(QEvent::MouseButtonRelease, button, second);
    if (button == Qt::RightButton) {
      QContextMenuEvent ev(QContextMenuEvent::Mouse, second, vp->mapToGlobal(second));
      QApplication::sendEvent(vp, &ev);
    }
    EXPECT_EQ(grid.Row(), 3);  // no click handler ran
    if (button == Qt::LeftButton) {
      EXPECT_EQ(core.Selected(), core.Top(0));
    } else {
      // The menu is for the node under the pointer, not for the node of
      // the refused gesture.
      EXPECT_TRUE(menu->isVisible());
      EXPECT_EQ(core.Selected(), core.Top(1));
    }
  }
  menu->hide();
}

}  // namespace
}  // namespace zol
