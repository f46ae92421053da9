#include "qt/tray_view.h"

#include <QCursor>
#include <QMenu>
#include <QSystemTrayIcon>
#include <memory>

#include "console/app.h"
#include "console/splash_window.h"
#include "qt/mirror.h"
#include "qt/pictures.h"
#include "qt/view_util.h"

namespace zol {

TrayView::TrayView(App& app, Mirror& mirror) : app_(app), menu_(new QMenu), icon_(new QSystemTrayIcon(this)) {
  SplashWindow& f = app.Form1();
  QAction* restore = menu_->addAction(S(f.test1.Caption().c_str()));
  menu_->addSeparator();
  QAction* quit = menu_->addAction(S(f.Exit1.Caption().c_str()));
  connect(restore, &QAction::triggered, this, [&f] { f.test1Click(); });
  connect(quit, &QAction::triggered, this, [&f] { f.Exit1Click(); });
  icon_->setIcon(ProgramIcon());
  // No context menu of Qt's own: a left or right press goes to the core,
  // which pops the menu up.
  connect(icon_, &QSystemTrayIcon::activated, this, [&f](QSystemTrayIcon::ActivationReason r) {
    if (r == QSystemTrayIcon::Trigger) f.TrayIconMessage(kWmLButtonDown);
    else if (r == QSystemTrayIcon::Context) f.TrayIconMessage(kWmRButtonDown);
  });
  auto popups = std::make_shared<uint64_t>(f.PopupMenu1.PopupCount());
  mirror.Watch(f.PopupMenu1, [this, &f, popups] {
    if (f.PopupMenu1.PopupCount() == *popups) return;
    *popups = f.PopupMenu1.PopupCount();
    menu_->popup(QCursor::pos());
  });
  mirror.Watch(f.TrayIconData, [this, &f] {
    // Without a notification area the program runs without the icon.
    const bool want = f.TrayIconData.Visible() && QSystemTrayIcon::isSystemTrayAvailable();
    if (want) icon_->show();
    else icon_->hide();
  });
}

TrayView::~TrayView() {
  icon_->hide();
  delete menu_;
}

}  // namespace zol
