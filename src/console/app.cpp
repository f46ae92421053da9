#include "console/app.h"

#include "console/main_window.h"
#include "monitor/debug_window.h"

namespace zol {

App::App(const Services& s) : services(s) {
  form2 = std::make_unique<MainWindow>(*this);
  form4 = std::make_unique<DebugWindow>(*this);
}

App::~App() = default;

}  // namespace zol
