#include "qt/form_view.h"

#include <QCloseEvent>
#include <QEvent>
#include <QWidget>

#include "qt/mirror.h"
#include "qt/sjis.h"
#include "qt/taskbar.h"

namespace zol {

FormView::FormView(Mirror& mirror, QWidget* widget, Form& form, std::function<void()> on_close)
    : QObject(widget), widget_(widget), form_(form), on_close_(std::move(on_close)) {
  widget_->installEventFilter(this);
  mirror.SetForm(widget_, form_);
  mirror.Watch(form_, [this] { Apply(); });
}

void FormView::Apply() {
  applying_ = true;
  const QString title = FromSjis(form_.Caption());
  if (!title.isEmpty() && widget_->windowTitle() != title) widget_->setWindowTitle(title);
  if (widget_->isEnabled() != form_.Enabled()) widget_->setEnabled(form_.Enabled());
  if (!form_.Visible()) {
    if (widget_->isVisible()) widget_->hide();
  } else {
    const bool was_visible = widget_->isVisible();
    if (!was_visible) SkipTaskbar(widget_);  // the program has no task-bar button
    switch (form_.State()) {
      case WindowState::Maximized:
        if (!widget_->isVisible() || !widget_->isMaximized()) widget_->showMaximized();
        break;
      case WindowState::Minimized:
        if (!widget_->isVisible() || !widget_->isMinimized()) widget_->showMinimized();
        break;
      case WindowState::Normal:
        if (widget_->isMinimized() || widget_->isMaximized()) widget_->showNormal();
        else if (!widget_->isVisible()) widget_->show();
        break;
    }
    if (!was_visible) SkipTaskbar(widget_);
    if (form_.FrontRequests() != front_seen_) {
      widget_->raise();
      widget_->activateWindow();
    }
  }
  front_seen_ = form_.FrontRequests();
  applying_ = false;
}

bool FormView::eventFilter(QObject* obj, QEvent* ev) {
  if (obj == widget_) {
    if (ev->type() == QEvent::Close) {
      // The core decides; the widget follows the form's state.
      ev->ignore();
      if (on_close_) on_close_();
      return true;
    }
    if (ev->type() == QEvent::WindowStateChange && !applying_) {
      const Qt::WindowStates s = widget_->windowState();
      const WindowState now = (s & Qt::WindowMinimized)   ? WindowState::Minimized
                              : (s & Qt::WindowMaximized) ? WindowState::Maximized
                                                          : WindowState::Normal;
      // The change has happened: the form hears its size notification.
      if (now != form_.State()) form_.SetWindowState(now);
    }
  }
  return QObject::eventFilter(obj, ev);
}

}  // namespace zol
