// The device window's view in the whole console's views: a double-click on
// an icon opens it, a switch disables its buttons until the scripted device
// has answered, the title bar's close hides it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QTest>

#include "common/scramble.h"
#include "console/device_window.h"
#include "console/main_window.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "qt/console_ui.h"
#include "qt/icon_list_model.h"
#include "qt/mirror.h"
#include "qt/pictures.h"
#include "accessible.h"
#include "support/app_fixture.h"
#include "support/fake_telnet.h"
#include "wait_for.h"

namespace zol {
namespace {

struct DeviceViewTest : ::testing::Test {
  DeviceViewTest() : ui(*f.app) {
    f.app->Start();
    f.sim.Advance(3001);  // splash over, start-up done
    Grid& t = f.app->Form4().StringGrid1;
    t.SetCell(dtcol::MacAddress, 1, "02:5A:3C:00:00:01");
    t.SetCell(dtcol::ConnectInfo, 1, "telnet,127.0.0.1,2300," + Scramble("pw", 1) + ",2300,0,1,0");
    t.SetCell(dtcol::IpAddress, 1, "127.0.0.1");
    t.SetCell(dtcol::DeviceName, 1, "ラック1");
    t.SetCell(dtcol::OutletNames, 1, "電源1,電源2,ルータ,");
    t.SetCell(dtcol::RecvDate, 1, "2024/05/01");
    t.SetCell(dtcol::RecvTime, 1, "09:30:05");
    t.SetCell(dtcol::OlWordA, 1, "0001 0001 0001 0000");
    f.app->Form2().icons.ListView1.Add(IconItem{"ルータ", 7, "0001 0003"});
    ui.mirror().Poll();
  }
  DeviceView& view() { return ui.device(); }
  DeviceWindow& core() { return f.app->Form7(); }
  // Double-clicks the first icon of the icon view.
  void DoubleClickFirstIcon() {
    QListView* icons = ui.main().icons;
    QApplication::processEvents();  // the icons laid out
    const QRect r = icons->visualRect(icons->model()->index(0, 0));
    // A click to select, then the double-click (as a person does).
    QTest::mouseClick(icons->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
    QTest::mouseDClick(icons->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
    ui.mirror().Poll();
  }
  std::vector<bool> SwitchWidgets() { return {view().on->isEnabled(), view().off->isEnabled(), view().reboot->isEnabled()}; }

  AppFixture f;
  ConsoleUi ui;
  ScriptedDevice dev{f.telnet};
};

TEST_F(DeviceViewTest, IconDoubleClickShowsTheOutlet) {
  ASSERT_TRUE(ui.main().isVisible());
  EXPECT_FALSE(view().isVisible());
  DoubleClickFirstIcon();
  ASSERT_TRUE(view().isVisible());
  EXPECT_EQ(view().windowTitle(), QStringLiteral(u"個別情報"));
  EXPECT_EQ(view().size(), QSize(345, 289));
  EXPECT_EQ(view().outlet_name->text(), QStringLiteral(u"ルータ"));
  EXPECT_EQ(view().device_name->text(), QStringLiteral(u"ラック1"));
  EXPECT_EQ(view().id->text(), QStringLiteral("ID0001"));
  EXPECT_EQ(view().outlet_no->text(), QStringLiteral("3"));
  EXPECT_EQ(view().updated->text(), QStringLiteral("2024/05/01 09:30:05"));
  EXPECT_EQ(view().ip->text(), QStringLiteral("127.0.0.1"));
  EXPECT_EQ(view().state->text(), QStringLiteral(u"電源 ON"));
  // The ON band of the strip.
  ASSERT_TRUE(view().picture->isVisible());
  EXPECT_EQ(view().picture->pixmap().toImage(), OnOffStrip().copy(0, 0, 80, 25).toImage());
  EXPECT_EQ(view().picture->accessibleDescription(), QStringLiteral("ON"));
  EXPECT_EQ(SwitchWidgets(), std::vector<bool>(3, true));
  EXPECT_EQ(view().connect_button->text(), QStringLiteral(u"接続(&C)"));
  EXPECT_EQ(view().connect_button->objectName(), QStringLiteral("BitBtn4"));
  for (QWidget* w : std::vector<QWidget*>{view().on, view().off, view().reboot, view().connect_button, view().details,
                                          view().edit, view().close_button, view().picture, view().state}) {
    EXPECT_FALSE(w->objectName().isEmpty());
    EXPECT_FALSE(ReadName(w).isEmpty()) << w->objectName().toStdString();
  }
  EXPECT_EQ(ReadName(view().state), QStringLiteral(u"電源 ON"));  // the value, not its caption
  EXPECT_EQ(ReadLabel(view().state), QStringLiteral(u"状態"));

  // Outlet 4 is OFF: the other band.
  core().listicondata("0001 0004 6", 0);
  ui.mirror().Poll();
  EXPECT_EQ(view().picture->pixmap().toImage(), OnOffStrip().copy(0, 25, 80, 25).toImage());
  EXPECT_EQ(view().state->text(), QStringLiteral(u"電源 OFF"));
}

TEST_F(DeviceViewTest, OffDisablesTheButtonsUntilTheDeviceAnswers) {
  dev.password = "pw";
  DoubleClickFirstIcon();
  QTest::mouseClick(view().off, Qt::LeftButton);
  ui.mirror().Poll();
  EXPECT_FALSE(view().isVisible());
  EXPECT_EQ(SwitchWidgets(), std::vector<bool>(3, false));
  f.sim.Advance(30000);
  ui.mirror().Poll();
  EXPECT_EQ(dev.lines, (std::vector<std::string>{"", "pw", "POF3"}));
  EXPECT_EQ(SwitchWidgets(), std::vector<bool>(3, true));
}

TEST_F(DeviceViewTest, AcceleratorAndTitleBarClose) {
  DoubleClickFirstIcon();
  view().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&view()));
  QTest::keyClick(&view(), Qt::Key_C, Qt::AltModifier);  // "接続(&C)"
  // A mnemonic presses the button visibly first, then clicks.
  EXPECT_TRUE(WaitFor([this] { return !f.shell.opened.empty(); }));
  EXPECT_EQ(f.shell.opened, std::vector<std::string>{"telnet 127.0.0.1 2300"});
  ui.mirror().Poll();
  EXPECT_FALSE(view().isVisible());

  DoubleClickFirstIcon();
  ASSERT_TRUE(view().isVisible());
  view().close();  // the title bar's close button
  EXPECT_FALSE(core().Visible());
  ui.mirror().Poll();
  EXPECT_FALSE(view().isVisible());
}

}  // namespace
}  // namespace zol
