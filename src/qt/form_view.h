// The mirror of a window: caption, shown or hidden, window state; the
// window manager's state changes and close requests go to the core.
#pragma once

#include <QObject>
#include <functional>

#include "common/controls.h"

class QWidget;

namespace zol {

class Mirror;

class FormView : public QObject {
  Q_OBJECT
 public:
  // on_close: the core's close handler for the title bar's close button.
  FormView(Mirror& mirror, QWidget* widget, Form& form, std::function<void()> on_close);
  bool eventFilter(QObject* obj, QEvent* ev) override;

 private:
  void Apply();
  QWidget* widget_;
  Form& form_;
  std::function<void()> on_close_;
  bool applying_ = false;
  uint64_t front_seen_ = 0;  // the form's front requests already carried out
};

}  // namespace zol
