// The mirror between the core's windows and the widgets, on the simulated
// clock for the core and the offscreen platform for the widgets.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QTableView>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "console/main_window.h"
#include "console/splash_window.h"
#include "monitor/debug_window.h"
#include "qt/adapters.h"
#include "qt/mirror.h"
#include "qt/sjis.h"
#include "qt/console_ui.h"
#include "support/app_fixture.h"

namespace zol {
namespace {

struct Console : ::testing::Test {
  Console() : ui(*f.app) {
    f.app->Start();
    f.sim.Advance(3001);  // splash over, start-up done (hint box answered by the fake)
    ui.mirror().Poll();
  }
  MainWindow& core() { return f.app->Form2(); }
  AppFixture f;
  ConsoleUi ui;
};

TEST_F(Console, StartButtonClickStartsMonitoringInTheCore) {
  ASSERT_TRUE(ui.main().isVisible());
  ASSERT_TRUE(ui.main().start->isEnabled());
  EXPECT_FALSE(ui.main().stop->isEnabled());
  QTest::mouseClick(ui.main().start, Qt::LeftButton);
  EXPECT_EQ(f.udp.LocalPort(), 5000);
  EXPECT_FALSE(core().monitoring.ToolButton1.Enabled());
  ui.mirror().Poll();
  EXPECT_FALSE(ui.main().start->isEnabled());
  EXPECT_TRUE(ui.main().stop->isEnabled());
  EXPECT_FALSE(ui.main().settings->isEnabled());
  EXPECT_EQ(ui.main().panel20->text(), QStringLiteral(u"監視中"));
  EXPECT_TRUE(ui.main().syslog_list->item(0)->text().endsWith(QStringLiteral(u"監視開始")));
  QTest::mouseClick(ui.main().stop, Qt::LeftButton);
  EXPECT_EQ(f.udp.LocalPort(), 0);
  ui.mirror().Poll();
  EXPECT_EQ(ui.main().panel20->text(), QStringLiteral(u"停止"));
}

TEST_F(Console, CoreChangesShowAndABurstCostsOneRepaint) {
  core().receive.RefTimePanel.SetCaption("12:00:00");
  core().icons.StatusBar1.SetPanel(0, "ID007");
  core().receive.ListBox1.Insert(0, "2010/11/16 12:52:07 DATAを受信しました。[192.168.0.205]ID007");
  for (int i = 0; i < 3; ++i) core().icons.ListView1.Add(IconItem{"Outlet" + std::to_string(i), i * 3, "0001 000" + std::to_string(i)});
  const uint64_t before = ui.mirror().Applied();
  for (int i = 0; i < 500; ++i) core().icons.Panel12.SetCaption(std::to_string(i));
  ui.mirror().Poll();
  EXPECT_EQ(ui.main().ref_time_panel->text(), QStringLiteral("12:00:00"));
  EXPECT_EQ(ui.main().status[0]->text(), QStringLiteral("ID007"));
  EXPECT_EQ(ui.main().counters[0]->text(), QStringLiteral("499"));
  EXPECT_TRUE(ui.main().recv_list->item(0)->text().contains(QStringLiteral(u"DATAを受信しました。")));
  ASSERT_EQ(ui.main().icons->model()->rowCount(), 3);
  EXPECT_EQ(ui.main().icons->model()->index(2, 0).data().toString(), QStringLiteral("Outlet2"));
  // Five controls changed: five repaints, however many changes each had.
  EXPECT_EQ(ui.mirror().Applied() - before, 5u);
  ui.mirror().Poll();
  EXPECT_EQ(ui.mirror().Applied() - before, 5u);
}

TEST_F(Console, SelectingAnIconFillsTheStatusBarThroughTheCore) {
  core().icons.ListView1.Add(IconItem{"Outlet1", 7, "0001 0001"});
  ui.mirror().Poll();
  ui.main().icons->setCurrentIndex(ui.main().icons->model()->index(0, 0));
  EXPECT_EQ(core().icons.ListView1.Selected(), 0);
}

TEST_F(Console, FilterButtonTogglesTheCoreButton) {
  ASSERT_TRUE(ui.main().filters[2]->isChecked());
  QTest::mouseClick(ui.main().filters[2], Qt::LeftButton);
  EXPECT_FALSE(core().icons.ToolButtonChk[2].Down());
  QTest::mouseClick(ui.main().all, Qt::LeftButton);
  EXPECT_TRUE(core().icons.ToolButtonChk[2].Down());
  ui.mirror().Poll();
  EXPECT_TRUE(ui.main().filters[2]->isChecked());
}

TEST_F(Console, WindowManagerMinimiseHidesIntoTheTrayAndTheMenuRestores) {
  core().SetWindowState(WindowState::Maximized);
  ui.mirror().Poll();
  EXPECT_TRUE(ui.main().isMaximized());
  ui.main().setWindowState(Qt::WindowMinimized);  // as the window manager would
  EXPECT_FALSE(core().Visible());
  EXPECT_EQ(f.app->Form1().SavedWindowState, WindowState::Maximized);
  ui.mirror().Poll();
  EXPECT_FALSE(ui.main().isVisible());
  ui.tray().menu()->actions().first()->trigger();  // "元のサイズに戻す(&R)"
  ui.mirror().Poll();
  EXPECT_TRUE(ui.main().isVisible());
  EXPECT_TRUE(ui.main().isMaximized());
  EXPECT_EQ(ui.tray().menu()->actions().first()->text(), QStringLiteral(u"元のサイズに戻す(&R)"));
  EXPECT_EQ(ui.tray().menu()->actions().last()->text(), QStringLiteral(u"終了(&Q)"));
}

TEST_F(Console, DebugWindowToolsReachTheCore) {
  f.app->Form4().Show();
  ui.mirror().Poll();
  ASSERT_TRUE(ui.debug().isVisible());
  EXPECT_EQ(ui.debug().windowTitle(), QStringLiteral(u"通信debug"));
  QTest::mouseClick(ui.debug().inject, Qt::LeftButton);  // "追加": a test datagram
  ui.mirror().Poll();
  EXPECT_EQ(f.app->Form4().StringGrid2.Cell(5, 1), "02:5A:3C:00:00:00");
  EXPECT_EQ(ui.debug().unreg->model()->index(1, 5).data().toString(), QStringLiteral("02:5A:3C:00:00:00"));
  ui.debug().close();  // closing only hides
  EXPECT_FALSE(f.app->Form4().Visible());
}

// Answers the next modal box: checks its title and clicks the button with
// the given text.
void AnswerNextBox(const QString& title, const QString& button, QString* text_seen) {
  QTimer::singleShot(0, [=] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->windowTitle(), title);
    *text_seen = box->text();
    for (QAbstractButton* b : box->buttons()) {
      if (b->text() == button) {
        b->click();
        return;
      }
    }
    ADD_FAILURE() << "no button " << button.toStdString();
    box->reject();
  });
}

TEST(QtMessageBoxes, AnsweredWithoutHanging) {
  QtMessageBoxes boxes;
  QString seen;
  AnswerNextBox(QStringLiteral(u"確認"), QStringLiteral(u"いいえ(&N)"), &seen);
  EXPECT_EQ(boxes.Show("終了してよろしいですか？", BoxKind::Confirm, BoxButtons::YesNo), BoxResult::No);
  EXPECT_EQ(seen, QStringLiteral(u"終了してよろしいですか？"));
  AnswerNextBox(QStringLiteral(u"確認"), QStringLiteral(u"はい(&Y)"), &seen);
  EXPECT_EQ(boxes.Show("x", BoxKind::Confirm, BoxButtons::YesNo), BoxResult::Yes);
  AnswerNextBox(QStringLiteral(u"情報"), QStringLiteral(u"OK"), &seen);
  EXPECT_EQ(boxes.Show("x", BoxKind::Info, BoxButtons::Ok), BoxResult::Ok);
  AnswerNextBox(QStringLiteral(u"エラー"), QStringLiteral(u"OK"), &seen);
  boxes.Show("x", BoxKind::Error, BoxButtons::Ok);
  AnswerNextBox(QStringLiteral(u"警告"), QStringLiteral(u"OK"), &seen);
  boxes.Show("x", BoxKind::Warning, BoxButtons::Ok);
}

TEST_F(Console, ClosingTheMainWindowAsksAndEndsOnYes) {
  f.boxes.answers = {BoxResult::No, BoxResult::Yes};
  ui.main().close();
  EXPECT_TRUE(ui.main().isVisible());
  EXPECT_FALSE(f.app->Terminated());
  ui.main().close();
  EXPECT_TRUE(f.app->Terminated());
  ui.mirror().Poll();
  EXPECT_FALSE(ui.main().isVisible());
}

}  // namespace
}  // namespace zol
