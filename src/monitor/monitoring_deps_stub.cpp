// Temporary stand-ins for the icon view, change detection, mail and data
// file routines that the monitoring control calls; removed when those are
// merged.
#include "console/app.h"
#include "console/main_window.h"
#include "monitor/debug_window.h"

namespace zol {

void MainWindow::IconReStetingData() {}
void MainWindow::IconDataCheck() {}
void MainWindow::ListDataCheck(int, int) {}
void DebugWindow::eMailSend1(int) {}
void DebugWindow::SettingDataSave() {}

}  // namespace zol
