#include "console/form_ws_event.h"

#include <time.h>

#include <set>
#include <stdexcept>

namespace zol {

namespace {
// The forms that carry a component of this class, once per component: only
// the first one placed on a form hooks it.
std::multiset<const Form*>& Placed() {
  static std::multiset<const Form*> placed;
  return placed;
}

void SleepOneMs() {
  timespec ts{0, 1000000};
  nanosleep(&ts, nullptr);
}
}  // namespace

FormWSEvent::FormWSEvent(Form* owner) : Sleep1ms(SleepOneMs), owner_(owner) {
  if (!owner_) return;
  const bool first = Placed().count(owner_) == 0;
  Placed().insert(owner_);
  if (!first) return;
  saved_proc_ = owner_->WindowProc;
  saved_owner_ = owner_->WindowProcOwner;
  owner_->WindowProc = [this](const WindowMessage& m) { Hook(m); };
  owner_->WindowProcOwner = this;
  hooked_ = true;
}

FormWSEvent::~FormWSEvent() {
  try {
    Unhook();
  } catch (const std::runtime_error&) {
    // The owner keeps the other code's window procedure.
  }
  if (owner_) {
    auto it = Placed().find(owner_);
    if (it != Placed().end()) Placed().erase(it);
  }
}

void FormWSEvent::Unhook() {
  if (!hooked_) return;
  if (owner_->WindowProcOwner != this) throw std::runtime_error("サブクラス化解除失敗");
  owner_->WindowProc = saved_proc_;
  owner_->WindowProcOwner = saved_owner_;
  saved_proc_ = nullptr;
  hooked_ = false;
}

void FormWSEvent::RaiseRequest(const ChangingEvent& ev) {
  if (!ev) return;
  ev(this);
  if (Sleep1ms) Sleep1ms();
}

void FormWSEvent::Hook(const WindowMessage& m) {
  const WindowState prev = owner_->State();
  const ChangedEvent* pending = nullptr;
  if (m.msg == kWmSize) {
    if (m.param == 0) pending = &OnRestored;
    else if (m.param == 1) pending = &OnMinimized;
    else if (m.param == 2) pending = &OnMaximized;
  }
  if (m.msg == kWmSysCommand) {
    if (m.param == kScMinimize) RaiseRequest(OnMinimizing);
    else if (m.param == kScMaximize) RaiseRequest(OnMaximizing);
    else if (m.param == kScRestore) RaiseRequest(OnRestoring);
  }
  if (saved_proc_) saved_proc_(m);
  else owner_->DefaultWindowProc(m);
  if (pending && *pending) (*pending)(this, prev);
}

}  // namespace zol
