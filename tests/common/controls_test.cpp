#include "common/controls.h"

#include <gtest/gtest.h>

namespace zol {
namespace {

// A scan may stop at UsedRowCount: no row from there on holds any text.
TEST(GridUsedRows, CoversEveryRowThatHoldsText) {
  Grid g(3, 10);
  EXPECT_EQ(g.UsedRowCount(), 0);
  g.SetCell(1, 4, "x");
  EXPECT_EQ(g.UsedRowCount(), 5);
  g.SetCell(2, 2, "y");  // below the last used row
  g.SetCell(0, 8, "");   // an empty text uses no row
  g.SetCell(0, 10, "z"); // outside the grid: not written
  EXPECT_EQ(g.UsedRowCount(), 5);
  g.SetCell(1, 4, "");   // emptied again: still counted, never too low
  EXPECT_EQ(g.UsedRowCount(), 5);
  g.SetCell(2, 9, "w");
  EXPECT_EQ(g.UsedRowCount(), 10);
  g.SetRowCount(3);  // the rows cut off are gone
  EXPECT_EQ(g.UsedRowCount(), 3);
  g.SetRowCount(10);
  EXPECT_EQ(g.Cell(2, 9), "");
  EXPECT_EQ(g.UsedRowCount(), 3);
}

}  // namespace
}  // namespace zol
