// Row counters of the device table.
#include <string>

#include "monitor/debug_window.h"

namespace zol {

// LastRow: the highest row holding a device (1 when there is none);
// UsedRows: how many rows hold one.
void DebugWindow::LastDataCnt() {
  LastRow = 1;
  UsedRows = 0;
  for (int r = 1; r <= 999; ++r) {
    if (!StringGrid1.Cell(1, r).empty()) {
      LastRow = r;
      ++UsedRows;
    }
  }
  Label1.SetCaption(std::to_string(LastRow) + "/" + std::to_string(UsedRows));
  Label2.SetCaption("Max: " + std::to_string(UsedRows));
}

}  // namespace zol
