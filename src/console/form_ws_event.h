// The window-state event component: placed on a form, it watches the
// form's window messages and reports minimise, maximise and restore
// requests before the form processes them, and the changes after, with the
// state the form had before.
#pragma once

#include <functional>
#include <string>

#include "common/controls.h"

namespace zol {

class FormWSEvent {
 public:
  using ChangedEvent = std::function<void(FormWSEvent* sender, WindowState change_pre_form_win_state)>;
  using ChangingEvent = std::function<void(FormWSEvent* sender)>;

  // Hooks the owner's window procedure unless the owner is null or another
  // component of this class hooked it already; then it stays passive.
  explicit FormWSEvent(Form* owner);
  // Unhooks quietly; a component that can no longer unhook (other code
  // replaced its hook) leaves the owner's window procedure as it is.
  ~FormWSEvent();
  FormWSEvent(const FormWSEvent&) = delete;
  FormWSEvent& operator=(const FormWSEvent&) = delete;

  // Puts the saved window procedure back. Throws std::runtime_error
  // "サブクラス化解除失敗" when the owner's procedure is no longer this
  // component's hook; the owner's procedure is then left unchanged.
  void Unhook();

  // The owner while this component has hooked it, else null.
  Form* HookForm() const { return hooked_ ? owner_ : nullptr; }

  ChangedEvent OnMaximized, OnMinimized, OnRestored;
  ChangingEvent OnMaximizing, OnMinimizing, OnRestoring;

  // The 1 ms pause after a request handler (replaceable for tests).
  std::function<void()> Sleep1ms;

 private:
  void Hook(const WindowMessage& m);
  void RaiseRequest(const ChangingEvent& ev);

  Form* owner_;
  bool hooked_ = false;
  std::function<void(const WindowMessage&)> saved_proc_;
  const void* saved_owner_ = nullptr;
};

}  // namespace zol
