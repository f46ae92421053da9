// The mirror between the core's windows and the widgets, on the simulated
// clock for the core and the offscreen platform for the widgets.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPaintEvent>
#include <QPlainTextEdit>
#include <QRegion>
#include <QScrollBar>
#include <QTableView>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>

#include <functional>

#include "console/main_window.h"
#include "console/splash_window.h"
#include "monitor/debug_window.h"
#include "qt/adapters.h"
#include "qt/icon_list_model.h"
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

// The debug window's texts change with every datagram while the window is
// usually hidden: they wait, and are current the moment it is shown (before
// its first paint). Showing or hiding a widget is applied at once.
TEST_F(Console, AHiddenWindowsTextsWaitAndAreCurrentWhenItIsShown) {
  DebugWindow& debug = f.app->Form4();
  auto* memo = ui.debug().findChild<QPlainTextEdit*>(QStringLiteral("Memo1"));
  ASSERT_NE(memo, nullptr);
  ASSERT_FALSE(ui.debug().isVisible());
  const QString before = memo->toPlainText();
  const uint64_t applied = ui.mirror().Applied();
  for (int i = 0; i < 5; ++i) {
    debug.Memo1.Assign({"2010/11/16", "12:52:0" + std::to_string(i)});
    ui.mirror().Poll();
  }
  EXPECT_EQ(memo->toPlainText(), before);
  EXPECT_EQ(ui.mirror().Applied(), applied);
  debug.Memo2.SetVisible(false);
  ui.mirror().Poll();
  auto* memo2 = ui.debug().findChild<QPlainTextEdit*>(QStringLiteral("Memo2"));
  ASSERT_NE(memo2, nullptr);
  EXPECT_TRUE(memo2->isHidden());

  QString at_show;
  struct OnShow : QObject {
    QPlainTextEdit* memo;
    QString* seen;
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::Show) *seen = memo->toPlainText();
      return false;
    }
  } probe;
  probe.memo = memo;
  probe.seen = &at_show;
  ui.debug().installEventFilter(&probe);  // the window's own show event comes after its widgets'
  debug.Show();
  ui.mirror().Poll();
  ASSERT_TRUE(ui.debug().isVisible());
  EXPECT_EQ(at_show, QStringLiteral("2010/11/16\n12:52:04"));
  EXPECT_EQ(memo->toPlainText(), at_show);
  // Shown, a change appears at the next look.
  debug.Memo1.Assign({"later"});
  ui.mirror().Poll();
  EXPECT_EQ(memo->toPlainText(), QStringLiteral("later"));
  ui.debug().removeEventFilter(&probe);
  debug.Hide();
  ui.mirror().Poll();
}

// The icon view is told only of the icons whose picture or caption changed
// between two looks, and shows the final state of every icon after any
// burst: changes undone within the burst, many icons at once, an icon
// deleted and another added.
TEST_F(Console, TheIconViewIsToldOfChangedIconsAndShowsTheFinalState) {
  IconList& list = core().icons.ListView1;
  for (int i = 0; i < 400; ++i) list.Add(IconItem{"Outlet" + std::to_string(i), i % 10, "key" + std::to_string(i)});
  ui.mirror().Poll();
  auto* model = qobject_cast<IconListModel*>(ui.main().icons->model());
  ASSERT_NE(model, nullptr);
  auto shows_the_core = [&] {
    if (model->rowCount() != static_cast<int>(list.Count())) return false;
    for (int i = 0; i < model->rowCount(); ++i) {
      const QModelIndex index = model->index(i);
      const IconItem& item = list.Item(static_cast<size_t>(i));
      if (index.data().toString() != FromSjis(item.caption)) return false;
      const QPixmap shown = index.data(Qt::DecorationRole).value<QPixmap>();
      if (shown.toImage() != model->index(0).data(Qt::DecorationRole).value<QPixmap>().toImage() &&
          item.image == list.Item(0).image)
        return false;
    }
    return true;
  };
  int changed_rows = 0;
  QObject::connect(model, &QAbstractItemModel::dataChanged, [&](const QModelIndex& a, const QModelIndex& b) {
    changed_rows += b.row() - a.row() + 1;
  });
  const uint64_t told = model->IconsRefreshed();
  list.SetImage(5, 8);
  list.SetImage(100, 4);
  list.SetCaption(200, "改名");
  list.SetImage(7, 2);
  list.SetImage(7, 7);  // back as it was
  for (int i = 0; i < 50; ++i) list.SetCaption(300, "c" + std::to_string(i));
  ui.mirror().Poll();
  EXPECT_EQ(model->IconsRefreshed() - told, 4u);
  EXPECT_EQ(changed_rows, 4);
  EXPECT_EQ(model->index(200).data().toString(), QStringLiteral(u"改名"));
  EXPECT_EQ(model->index(300).data().toString(), QStringLiteral("c49"));
  EXPECT_TRUE(shows_the_core());

  // Many at once: one report of the span.
  changed_rows = 0;
  for (size_t i = 10; i < 390; ++i) list.SetImage(i, (list.Item(i).image + 1) % 10);
  ui.mirror().Poll();
  EXPECT_EQ(changed_rows, 380);
  EXPECT_TRUE(shows_the_core());

  // A deletion and an addition between two looks: the same count, other icons.
  list.Delete(0);
  list.Add(IconItem{"new", 3, "keyN"});
  ui.mirror().Poll();
  EXPECT_EQ(model->index(0).data().toString(), QStringLiteral("Outlet1"));
  EXPECT_EQ(model->index(399).data().toString(), QStringLiteral("new"));
  EXPECT_TRUE(shows_the_core());
  // Nothing changed: nothing told.
  changed_rows = 0;
  ui.mirror().Poll();
  EXPECT_EQ(changed_rows, 0);
}

// A list box of often changing lines keeps its layout while the lines keep
// its extent, and is laid out again when they widen it, or narrow it (the
// widest line shortened): its scroll range and line places are always
// those of a list filled afresh with the same lines.
TEST(LineList, KeepsItsExtentExactAndRepaintsOnlyChangedLines) {
  LineList list;
  QListWidget fresh;
  for (QListWidget* w : {static_cast<QListWidget*>(&list), &fresh}) {
    w->resize(160, 120);
    w->show();
  }
  QStringList lines = {QStringLiteral("short"), QStringLiteral("a line long enough to scroll sideways"),
                       QStringLiteral("middle line"), QStringLiteral("x"), QStringLiteral("y")};
  auto matches = [&] {
    fresh.clear();
    fresh.addItems(lines);
    QApplication::processEvents();
    QApplication::processEvents();
    bool same = list.count() == fresh.count() &&
                list.horizontalScrollBar()->maximum() == fresh.horizontalScrollBar()->maximum() &&
                list.verticalScrollBar()->maximum() == fresh.verticalScrollBar()->maximum();
    for (int i = 0; same && i < lines.size(); ++i) {
      same = list.item(i)->text() == lines[i] && list.visualItemRect(list.item(i)) == fresh.visualItemRect(fresh.item(i));
    }
    return same;
  };
  list.SetLines(lines);
  ASSERT_TRUE(matches());
  ASSERT_GT(list.horizontalScrollBar()->maximum(), 0);
  // Counts the scroll bar's paints and collects what the lines' viewport
  // repainted.
  int scroll_bar_paints = 0;
  QRegion repainted;
  struct Watch : QObject {
    QObject* bar;
    int* bar_paints;
    QRegion* lines;
    bool eventFilter(QObject* o, QEvent* e) override {
      if (e->type() != QEvent::Paint) return false;
      if (o == bar) ++*bar_paints;
      else *lines += static_cast<QPaintEvent*>(e)->region();
      return false;
    }
  } watch;
  watch.bar = list.horizontalScrollBar();
  watch.bar_paints = &scroll_bar_paints;
  watch.lines = &repainted;
  list.horizontalScrollBar()->installEventFilter(&watch);
  list.viewport()->installEventFilter(&watch);

  // The lines move down by one and the last drops out (the receive list's
  // way): the widest line passes from line to line, the layout holds, and
  // every line is repainted in its place.
  for (int round = 0; round < 3; ++round) {
    lines.prepend(QStringLiteral("new %1").arg(round));
    lines.removeLast();
    repainted = QRegion();
    list.SetLines(lines);
    EXPECT_TRUE(matches()) << round;
    for (int i = 0; i < list.count(); ++i) {
      const QRect place = list.visualItemRect(list.item(i)).intersected(list.viewport()->rect());
      if (!place.isEmpty()) {
        EXPECT_TRUE(repainted.contains(place)) << round << " line " << i;
      }
    }
  }
  EXPECT_EQ(scroll_bar_paints, 0);
  // One line changed in place, as wide as it was: its place is repainted.
  repainted = QRegion();
  lines[0] = QStringLiteral("new 9");
  list.SetLines(lines);
  EXPECT_TRUE(matches());
  EXPECT_TRUE(repainted.contains(list.visualItemRect(list.item(0))));
  EXPECT_EQ(scroll_bar_paints, 0);

  const struct {
    int row;
    const char* text;
  } steps[] = {
      {0, "a much longer line than any line before it, wider still"},  // widens
      {0, "short again"},                                             // the widest shortened: narrows
      {2, "a line long enough to scroll sideways"},                   // as wide as the widest: holds
      {3, "z"},                                                       // one of two widest shortened: holds
      {2, "q"},                                                       // the last widest shortened: narrows
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.text);
    lines[step.row] = QString::fromLatin1(step.text);
    list.SetLines(lines);
    EXPECT_TRUE(matches());
  }
  // More lines, and fewer.
  lines << QStringLiteral("six") << QStringLiteral("a seventh line, the widest of them all by far");
  list.SetLines(lines);
  EXPECT_TRUE(matches());
  lines = QStringList{QStringLiteral("one")};
  list.SetLines(lines);
  EXPECT_TRUE(matches());
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

// A read-only text view follows a growing text: what was dropped from the
// front goes, a changed last line is set again, new lines are added, and
// the lines it already shows stay as they are (their blocks keep a mark);
// any other change sets the whole text again.
TEST(TextMirror, FollowsAGrowingTextAndSetsItAllOnlyWhenItMust) {
  Mirror mirror;
  QPlainTextEdit view;
  view.setReadOnly(true);
  view.show();
  Lines l;
  mirror.Bind(&view, l);
  struct Step {
    const char* what;
    std::function<void(Lines&)> change;
    bool kept;  // the view's first line is one it showed before
  };
  const Step steps[] = {
      {"first lines", [](Lines& x) { x.Assign({"a", "b", "c"}); }, false},
      {"appended", [](Lines& x) { x.Add("d"); }, true},
      {"last line goes on", [](Lines& x) { x.SetLine(3, "d2"); }, true},
      {"dropped from the front, more appended", [](Lines& x) {
         x.DropFront(2);
         x.Add("e");
         x.Add("日本語");
       }, true},
      {"last line goes on, then appended", [](Lines& x) {
         x.SetLine(x.Count() - 1, "日本語と");
         x.Add("f");
       }, true},
      {"a line before the last changed", [](Lines& x) { x.SetLine(0, "c2"); }, false},
      {"all dropped, one appended", [](Lines& x) {
         x.DropFront(x.Count());
         x.Add("g");
       }, false},
      {"emptied", [](Lines& x) { x.Clear(); }, false},
  };
  for (const Step& s : steps) {
    for (QTextBlock b = view.document()->firstBlock(); b.isValid(); b = b.next()) b.setUserState(7);
    s.change(l);
    mirror.Poll();
    QString want;
    for (size_t i = 0; i < l.Count(); ++i) {
      if (i) want += QLatin1Char('\n');
      want += FromSjis(l[i]);
    }
    EXPECT_EQ(view.toPlainText(), want) << s.what;
    EXPECT_EQ(view.document()->firstBlock().userState() == 7, s.kept) << s.what;
  }
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
