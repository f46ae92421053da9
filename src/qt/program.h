// The console program's run: the guard, the adapters, the run's owner, the
// views and the event loop. zolyab4's main calls Run.
#pragma once

namespace zol {

int RunConsole(int argc, char** argv);

// The application font: a Japanese-capable face when the machine has one.
void UseJapaneseFont();

}  // namespace zol
