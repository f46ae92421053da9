#include "monitor/debug_window.h"

#include "console/app.h"

namespace zol {

DebugWindow::DebugWindow(App& a) : app(a) {
  SetCaption("通信debug");
}

}  // namespace zol
