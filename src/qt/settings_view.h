// The view of the settings dialog "基本設定" (Form8): an application-modal
// dialog shown without a loop of its own, so the settings button's handler
// returns at once. Its close box and Esc go to the core's close.
#pragma once

#include <QDialog>

class QPushButton;
class QTabWidget;

namespace zol {

class App;
class Mirror;
class SettingsDialog;

class SettingsView : public QDialog {
  Q_OBJECT
 public:
  SettingsView(App& app, Mirror& mirror);
  QTabWidget* tabs = nullptr;

  // Esc: the core closes the dialog (QDialog would only hide it).
  void reject() override;

 protected:
  void showEvent(QShowEvent* ev) override;

 private:
  SettingsDialog& form_;
};

}  // namespace zol
