// The detail grid's view: header row and number column from the grid's
// fixed cells, the colours painted by the delegate, selection and scroll
// position shared with the core.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QScrollBar>
#include <QTest>

#include "console/detail_grid.h"
#include "console/main_window.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "qt/detail_grid_view.h"
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

struct GridViewRig : ::testing::Test {
  GridViewRig() : view(area(), mirror) {
    Grid& t = f.app->Form4().StringGrid1;
    t.SetCell(dtcol::MacAddress, 3, "02:5A:3C:00:00:03");
    t.SetCell(dtcol::ItemKinds, 3, "01200000");
    t.SetCell(dtcol::OlCount, 3, "3");
    t.SetCell(dtcol::PngPower, 3, "0001 0001 0001");
    t.SetCell(dtcol::PngJudge, 3, "0001 0002 0001");
    t.SetCell(dtcol::PngAction, 3, "0001 0001 0001");
    t.SetCell(dtcol::TmpActions, 3, "01 01 01");
    t.SetCell(dtcol::Status, 3, "00");
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

}  // namespace
}  // namespace zol
