// Keeps a window out of the task bar (X11: _NET_WM_STATE_SKIP_TASKBAR).
// Other platforms (offscreen) have no task bar: nothing to do.
#pragma once

class QWidget;

namespace zol {

// Before the window is shown: marks its state property. After it is shown:
// asks the window manager.
void SkipTaskbar(QWidget* w);

}  // namespace zol
