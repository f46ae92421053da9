// The console program's run: the guard, the adapters, the run's owner, the
// views and the event loop. zolyab4's main calls Run.
#pragma once

#include "qt/app_font.h"

namespace zol {

class MessageBoxes;
class SingleInstance;

int RunConsole(int argc, char** argv);

// The guard could not take its lock for another reason than a second
// instance: the reason goes to standard error and into an error box; the
// result is the program's exit code (1).
int GuardFailed(const SingleInstance& guard, MessageBoxes& boxes);

}  // namespace zol
