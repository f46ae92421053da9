// Stand-ins until the system log and the CSV log are merged in.
#include "console/main_window.h"

namespace zol {

void MainWindow::logdatasave(const std::string&, int, int) {}
void MainWindow::SysLoging(int, const std::string&) {}

}  // namespace zol
