// The detail grid's view: header row and number column from the grid's
// fixed cells, the colours painted by the delegate, selection and scroll
// position shared with the core.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QScrollBar>
#include <QSplitter>
#include <QTest>
#include <QTreeView>

#include "console/detail_grid.h"
#include "console/main_window.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "console/device_tree.h"
#include "qt/console_ui.h"
#include "qt/detail_grid_view.h"
#include "qt/device_tree_view.h"
#include "qt/main_view.h"
#include "qt/mirror.h"
#include "support/app_fixture.h"

namespace zol {
namespace {

// Pixels of the image inside rect whose colour is near c.
int PixelsNear(const QImage& image, const QRect& rect, QColor c) {
  int count = 0;
  for (int y = rect.top(); y <= rect.bottom(); ++y)
    for (int x = rect.left(); x <= rect.right(); ++x) {
      const QColor p = image.pixelColor(x, y);
      if (std::abs(p.red() - c.red()) < 40 && std::abs(p.green() - c.green()) < 40 && std::abs(p.blue() - c.blue()) < 40)
        ++count;
    }
  return count;
}

// Device r with three outlets: power ON, PING with the judgement word of
// outlet 2 as given (0002 abnormal), temperature on the upper limit with
// the given status (00 normal, 01 caution).
void StateDevice(Grid& t, int r, const std::string& judge2, const std::string& status) {
  t.SetCell(dtcol::MacAddress, r, "02:5A:3C:00:00:0" + std::to_string(r));
  t.SetCell(dtcol::ItemKinds, r, "01200000");
  t.SetCell(dtcol::OlCount, r, "3");
  t.SetCell(dtcol::PngPower, r, "0001 0001 0001");
  t.SetCell(dtcol::PngJudge, r, "0001 " + judge2 + " 0001");
  t.SetCell(dtcol::PngAction, r, "0001 0001 0001");
  t.SetCell(dtcol::TmpActions, r, "01 01 01");
  t.SetCell(dtcol::Status, r, status);
}

struct GridViewRig : ::testing::Test {
  GridViewRig() : view(area(), mirror) {
    StateDevice(f.app->Form4().StringGrid1, 3, "0002", "00");
    view.resize(360, 200);
    view.show();
    mirror.Poll();
  }
  DetailGrid& area() { return f.app->Form2().detail_grid; }
  // The rectangle of grid cell (col, row) in the view's viewport.
  QRect CellRect(int col, int row) { return view.visualRect(view.model()->index(row - 1, col - 1)); }
  QImage Grab() { return view.viewport()->grab().toImage(); }

  AppFixture f;
  Mirror mirror;
  DetailGridView view;
};

TEST_F(GridViewRig, FixedRowAndColumnAreHeadersOfTheGridsLayout) {
  area().TreeDataState(3, "状態表示");
  mirror.Poll();
  EXPECT_EQ(view.objectName(), QStringLiteral("StringGrid2"));
  EXPECT_EQ(view.model()->rowCount(), 29);
  EXPECT_EQ(view.model()->columnCount(), 4);
  EXPECT_EQ(view.model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral(u"設定内容"));
  EXPECT_EQ(view.model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral(u"状態"));
  EXPECT_EQ(view.model()->headerData(1, Qt::Vertical).toString(), QStringLiteral(u"2"));
  EXPECT_EQ(view.model()->index(1, 1).data().toString(), QStringLiteral(u"異常"));
  EXPECT_EQ(view.verticalHeader()->width(), 16);
  EXPECT_EQ(view.horizontalHeader()->height(), 16);
  EXPECT_EQ(view.rowHeight(0), 16);
  EXPECT_EQ(view.columnWidth(0), 73);
  EXPECT_EQ(view.columnWidth(1), 123);
  EXPECT_EQ(view.columnWidth(3), 62);
  EXPECT_EQ(view.editTriggers(), QAbstractItemView::NoEditTriggers);
}

TEST_F(GridViewRig, DelegatePaintsStateWordsInTheirColours) {
  area().TreeDataState(3, "状態表示");
  mirror.Poll();
  const QImage image = Grab();
  const QColor red(255, 0, 0), green(0, 128, 0);
  EXPECT_GT(PixelsNear(image, CellRect(2, 2), red), 5);      // "異常"
  EXPECT_EQ(PixelsNear(image, CellRect(2, 2), green), 0);
  EXPECT_GT(PixelsNear(image, CellRect(2, 1), green), 5);    // "電源ON"
  EXPECT_EQ(PixelsNear(image, CellRect(1, 2), red), 0);      // "PING監視" keeps the normal colour
  EXPECT_EQ(PixelsNear(image, CellRect(2, 3), red), 0);      // "正常"
  EXPECT_GT(PixelsNear(image, CellRect(2, 3), green), 5);
}

TEST_F(GridViewRig, SelectionAndScrollingGoBackToTheGridAndItsResetComesBack) {
  area().TreeDataState(3, "状態表示");
  mirror.Poll();
  QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, CellRect(2, 2).center());
  EXPECT_EQ(area().StringGrid2.Row(), 2);
  EXPECT_EQ(view.selectionModel()->selectedRows().size(), 1);

  view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
  ASSERT_GT(view.verticalScrollBar()->maximum(), 0);
  EXPECT_EQ(area().StringGrid2.TopRow(), view.verticalScrollBar()->maximum() + 1);
  // Scrolled to the bottom, the header row is still there with its texts.
  EXPECT_TRUE(view.horizontalHeader()->isVisible());
  EXPECT_EQ(view.horizontalHeader()->geometry().top(), view.viewport()->geometry().top() - 16);
  EXPECT_GT(view.rowAt(0), 0);

  area().StringGridSelectClear();
  mirror.Poll();
  EXPECT_EQ(view.verticalScrollBar()->value(), 0);
  EXPECT_EQ(view.horizontalScrollBar()->value(), 0);
  EXPECT_TRUE(view.selectionModel()->selectedRows().isEmpty());
  EXPECT_EQ(area().StringGrid2.Row(), -1);
}

// The whole main window: the operator clicks a device in the tree, then
// its "状態表示" node; the grid under the tree lists the states in colour.
TEST(DetailGridInWindow, ClickOnATreeNodeFillsTheGridUnderTheTree) {
  AppFixture f;
  ConsoleUi ui(*f.app);
  f.app->Start();
  f.sim.Advance(3001);  // splash over, start-up done
  Grid& t = f.app->Form4().StringGrid1;
  StateDevice(t, 1, "0002", "01");
  t.SetCell(dtcol::DeviceName, 1, "ラック1");
  t.SetCell(dtcol::GroupName, 1, "G001 グループ1");
  f.app->Form4().LastDataCnt();
  f.app->tree().ReStetingData();
  ui.mirror().Poll();

  DeviceTreeView& tab = *ui.main().device_tree;
  ASSERT_NE(tab.grid, nullptr);
  EXPECT_EQ(tab.splitter->indexOf(tab.grid), 1);  // below the tree
  QTreeView& tree = *tab.tree;
  const TreeNode* device = f.app->tree().TreeView1.Top(0)->Item(0);
  ASSERT_NE(device, nullptr);
  QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.visualRect(tab.tree_mirror->IndexOf(device)).center());
  ui.mirror().Poll();
  QAbstractItemModel& grid = *tab.grid->model();
  EXPECT_EQ(grid.headerData(1, Qt::Horizontal).toString(), QStringLiteral(u"値"));  // the device: network rows
  EXPECT_EQ(grid.index(1, 1).data().toString(), QStringLiteral(u"02:5A:3C:00:00:01"));

  const QModelIndex state = tab.tree_mirror->IndexOf(device->Item(0));
  ASSERT_TRUE(tree.visualRect(state).isValid());  // the device's branch is open
  QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.visualRect(state).center());
  ui.mirror().Poll();
  EXPECT_EQ(grid.headerData(1, Qt::Horizontal).toString(), QStringLiteral(u"状態"));
  EXPECT_EQ(grid.index(1, 1).data().toString(), QStringLiteral(u"異常"));
  EXPECT_EQ(grid.index(2, 1).data().toString(), QStringLiteral(u"注意"));
  const QImage image = tab.grid->viewport()->grab().toImage();
  // The text of column 2 starts at its left edge: the part in view holds it.
  const QRect abnormal = tab.grid->visualRect(grid.index(1, 1)).intersected(image.rect());
  ASSERT_GT(abnormal.width(), 30);
  EXPECT_GT(PixelsNear(image, abnormal, QColor(255, 0, 0)), 5);
  const QColor olive(128, 128, 0);
  EXPECT_GE(PixelsNear(image, tab.grid->visualRect(grid.index(2, 1)).intersected(image.rect()), olive), 3);  // "注意"
  EXPECT_EQ(PixelsNear(image, tab.grid->visualRect(grid.index(2, 0)).intersected(image.rect()), olive), 0);  // "温度監視"
}

}  // namespace
}  // namespace zol
