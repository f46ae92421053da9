#include "console/main_window.h"

#include "common/program_files.h"
#include "console/app.h"

namespace zol {

MainWindow::MainWindow(App& a)
    : app(a), reception(a), monitoring(a), states(a), alerts(a), icons(a), system_log(a), tree(a), detail_grid(a) {
  LifeCycleSetUp();
  IniFile = ProgramFile(app.services.program_path, ".Ini");
}

}  // namespace zol
