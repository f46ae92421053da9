// Temporary stand-in for the data file save that monitoring stop calls;
// removed when the data files are merged.
#include "monitor/debug_window.h"

namespace zol {

void DebugWindow::SettingDataSave() {}

}  // namespace zol
