// The console program's run: the guard, the adapters, the run's owner, the
// views and the event loop. zolyab4's main calls Run.
#pragma once

#include "qt/app_font.h"

namespace zol {

int RunConsole(int argc, char** argv);

}  // namespace zol
