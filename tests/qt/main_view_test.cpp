// The main window's view at its own 800 x 640 with a full table (999
// devices x 8 outlets): the left pane keeps its width whichever tab was shown
// (the tab グループ in send mode included), the icon view keeps its room with
// every filter button and "ALL", the tab captions are whole, and every header
// counter holds a four-digit count without pushing a panel of the header out
// of view. With ZOL_SCREENSHOT_DIR set, the window before and after the tab
// グループ is saved there as main_full_table.png and main_after_group_tab.png.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <cstdio>
#include <functional>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/files.h"
#include "console/main_window.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "qt/console_ui.h"
#include "qt/icon_list_model.h"
#include "qt/device_tree_view.h"
#include "qt/group_tab_view.h"
#include "qt/main_view.h"
#include "qt/mirror.h"
#include "support/app_fixture.h"

namespace zol {
namespace {

// Group names of the longest kind: 20 bytes after the number.
const char kGroup1[] = "G001 サーバ室ラック列一二";
const char kGroup2[] = "G002 本社ネットワーク機器";

struct MainView_ : ::testing::Test {
  MainView_() : ui(*f.app) {
    f.app->Start();
    f.sim.Advance(3001);
    core().EditUnlocked = true;
    Grid& t = f.app->Form4().StringGrid1;
    for (int r = 1; r <= 999; ++r) {
      char mac[32];
      std::snprintf(mac, sizeof mac, "02:5A:3C:00:%02X:%02X", r >> 8, r & 0xFF);
      t.SetCell(dtcol::MacAddress, r, mac);
      t.SetCell(dtcol::OutletInfo, r, "8,4");
      t.SetCell(dtcol::IconFlags, r, "11111111");
      t.SetCell(dtcol::LogFlags, r, "11111111");
      t.SetCell(dtcol::ItemKinds, r, "00111122");
      t.SetCell(dtcol::DeviceName, r, "ラック" + std::to_string(r));
      t.SetCell(dtcol::OutletNames, r, "電源1,電源2,PING3,PING4,PING5,PING6,温度7,温度8,");
      t.SetCell(dtcol::GroupName, r, r <= 500 ? kGroup1 : kGroup2);
      t.SetCell(dtcol::ConnectInfo, r, "telnet,127.0.0.1,23,,23,0,1,1");
    }
    f.app->group_selector().items.Assign({kGroup1, kGroup2, "G000 未登録グループ"});
    f.app->group_selector().SetText(kGroup1);
    tab().ComboBoxEx2Refill();
    std::string err;
    EXPECT_TRUE(WriteFileAtomic(f.dir.File("reboot.txt"), "@ZOL\r\nol 1 off\r\n", &err));
    core().GrpLastData[1] = "電源再投入," + f.dir.File("reboot.txt");
    tab().grpListRef();
    core().icons.IconReStetingData();
    core().icons.IconDataCheck();
    ui.mirror().Poll();
    main().show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&main()));
    Settle();
  }
  MainWindow& core() { return f.app->Form2(); }
  GroupTab& tab() { return core().group_tab; }
  MainView& main() { return ui.main(); }
  void Settle() {
    ui.mirror().Poll();
    QTest::qWait(30);
  }
  void Shoot(const char* name) {
    if (const char* out = std::getenv("ZOL_SCREENSHOT_DIR")) {
      EXPECT_TRUE(main().grab().save(QString::fromLocal8Bit(out) + QLatin1Char('/') + QString::fromLatin1(name)));
    }
  }

  AppFixture f;
  ConsoleUi ui;
};

// w lies whole inside its parent and is shown (a tool bar hides what does not fit).
::testing::AssertionResult ShownWhole(QWidget* w) {
  if (!w->isVisible()) return ::testing::AssertionFailure() << w->objectName().toStdString() << " hidden";
  const QRect r = w->geometry();
  if (!w->parentWidget()->rect().contains(r))
    return ::testing::AssertionFailure() << w->objectName().toStdString() << " at " << r.x() << "+" << r.width()
                                         << " outside " << w->parentWidget()->width();
  return ::testing::AssertionSuccess();
}

// Every tab of tabs shows its caption whole.
::testing::AssertionResult CaptionsWhole(QTabWidget* tabs) {
  QTabBar* bar = tabs->tabBar();
  const int space = bar->style()->pixelMetric(QStyle::PM_TabBarTabHSpace, nullptr, bar);
  for (int i = 0; i < bar->count(); ++i) {
    const QRect r = bar->tabRect(i);
    const int needed = bar->fontMetrics().horizontalAdvance(bar->tabText(i)) + space;
    if (r.width() < needed || !bar->rect().contains(r))
      return ::testing::AssertionFailure() << "tab " << i << " cut to " << r.width() << " of " << needed;
  }
  return ::testing::AssertionSuccess();
}

// A label's text fits its frame, on as many lines as the label wraps into.
::testing::AssertionResult TextWhole(QLabel* l) {
  const QRect inside = l->contentsRect();
  const int flags = static_cast<int>(l->alignment()) | (l->wordWrap() ? Qt::TextWordWrap : 0);
  const QRect needed = l->fontMetrics().boundingRect(inside, flags, l->text());
  const int indent = l->indent() > 0 ? l->indent() : 0;
  if (needed.width() + indent > inside.width() || needed.height() > inside.height())
    return ::testing::AssertionFailure() << l->objectName().toStdString() << " \"" << l->text().toStdString()
                                         << "\" needs " << needed.width() + indent << "x" << needed.height()
                                         << " in " << inside.width() << "x" << inside.height();
  return ::testing::AssertionSuccess();
}

TEST_F(MainView_, PanesKeepTheirWidthsWhicheverTabWasShown) {
  ASSERT_EQ(main().size(), QSize(800, 640));
  ASSERT_EQ(main().icons->model()->rowCount(), 7992);
  const QList<int> sizes = main().split->sizes();
  const int icon_width = main().icons->width();
  // The detail grid under the tree shows its five columns whole; the icon
  // view keeps the rest, four columns of icons at least.
  QTableView* grid = main().device_tree->grid;
  EXPECT_LE(grid->horizontalHeader()->length(), grid->viewport()->width());
  EXPECT_GE(main().icons->viewport()->width() / main().icons->gridSize().width(), 4);
  Shoot("main_full_table.png");

  struct Step {
    const char* what;
    std::function<void()> act;
  } steps[] = {
      {"the tab グループ", [&] { main().left_tabs->setCurrentIndex(1); }},
      {"its send mode", [&] { QTest::mouseClick(main().group_tab->file_btn, Qt::LeftButton); }},
      {"back on 機器一覧", [&] { main().left_tabs->setCurrentIndex(0); }},
      {"グループ again", [&] { main().left_tabs->setCurrentIndex(1); }},
      {"機器一覧 again", [&] { main().left_tabs->setCurrentIndex(0); }},
  };
  for (const Step& s : steps) {
    s.act();
    Settle();
    EXPECT_EQ(main().split->sizes(), sizes) << s.what;
    EXPECT_EQ(main().icons->width(), icon_width) << s.what;
    for (int i = 1; i <= 7; ++i) EXPECT_TRUE(ShownWhole(main().filters[static_cast<size_t>(i)])) << s.what;
    EXPECT_TRUE(ShownWhole(main().all)) << s.what;
    EXPECT_TRUE(CaptionsWhole(main().left_tabs)) << s.what;
    EXPECT_TRUE(CaptionsWhole(main().right_tabs)) << s.what;
  }
  // Send mode was shown on the way: its list holds the group's 500 devices.
  EXPECT_EQ(main().group_tab->list->count(), 500);
  Shoot("main_after_group_tab.png");
}

TEST_F(MainView_, EveryHeaderPanelHoldsAFullTablesCountsInView) {
  // The icons of a full table, every one 不明 until a datagram comes.
  EXPECT_EQ(main().counters[3]->text(), QStringLiteral("7992"));
  core().TimePanel.SetCaption("2026/12/31 23:59:59");
  core().receive.RefTimePanel.SetCaption("2026/12/31 23:59:58");
  // The temperature panel of a charted device shares the filter row.
  core().receive.Panel21.SetVisible(true);
  core().receive.TempLabel.SetCaption("-20.5");
  Panel* counters[] = {&core().icons.Panel12, &core().icons.Panel13, &core().icons.Panel14,
                       &core().icons.Panel15, &core().icons.Panel17, &core().icons.Panel19};
  for (const char* count : {"7992", "5994", "1998", "8888", "0", ""}) {
    for (Panel* p : counters) p->SetCaption(count);
    Settle();
    for (QLabel* c : main().counters) {
      EXPECT_EQ(c->text(), QString::fromLatin1(count));
      EXPECT_TRUE(TextWhole(c)) << count;
      EXPECT_TRUE(ShownWhole(c)) << count;
    }
    for (QWidget* w : std::vector<QWidget*>{main().start, main().stop, main().settings, main().panel20,
                                            main().time_panel, main().ref_time_panel})
      EXPECT_TRUE(ShownWhole(w)) << count;
    EXPECT_TRUE(TextWhole(main().time_panel));
    EXPECT_TRUE(TextWhole(main().ref_time_panel));
    EXPECT_TRUE(ShownWhole(main().temp_panel));
    for (int i = 1; i <= 7; ++i) EXPECT_TRUE(ShownWhole(main().filters[static_cast<size_t>(i)]));
    EXPECT_TRUE(ShownWhole(main().all));
  }
}

}  // namespace
}  // namespace zol
