// The tray icon and its menu (also the icon view's context menu).
#pragma once

#include <QObject>

class QMenu;
class QSystemTrayIcon;


namespace zol {

class App;
class Mirror;

class TrayView : public QObject {
  Q_OBJECT
 public:
  TrayView(App& app, Mirror& mirror);
  ~TrayView() override;
  QMenu* menu() const { return menu_; }
  QSystemTrayIcon* icon() const { return icon_; }

 private:
  App& app_;
  QMenu* menu_;
  QSystemTrayIcon* icon_;
};

}  // namespace zol
