// Stand-in for the monitoring control's clock restart until it is merged in.
#include "common/text.h"
#include "console/app.h"
#include "console/main_window.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "monitor/item_state.h"

namespace zol {

void MainWindow::ButtonPushMode() {
  Grid& table = app.Form4().StringGrid1;
  for (int r = 1; r <= 999; ++r) {
    if (!table.Cell(dtcol::RecvTick, r).empty())
      table.SetCell(dtcol::RecvTick, r, std::to_string(ReceiveClock(app.clock())));
  }
  if (app.hooks.CloseDialogs) app.hooks.CloseDialogs();
}

}  // namespace zol
