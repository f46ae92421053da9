#include "qt/console_ui.h"

#include "qt/mirror.h"

namespace zol {

ConsoleUi::ConsoleUi(App& app) {
  mirror_ = new Mirror;
  tray_ = new TrayView(app, *mirror_);
  splash_ = new SplashView(app, *mirror_);
  main_ = new MainView(app, *mirror_, tray_->menu());
  debug_ = new DebugView(app, *mirror_);
  editor_ = new DeviceEditorView(app, *mirror_);
  terms_ = new TermsView(app, *mirror_);
  device_ = new DeviceView(app, *mirror_);
  detail_ = new DetailView(app, *mirror_);
  chart_ = new ChartView(app, *mirror_);
  group_dialog_ = new GroupDialogView(app, *mirror_);
  settings_ = new SettingsView(app, *mirror_);
  folder_chooser_ = new FolderChooserView(app, *mirror_);
  password_ = new PasswordView(app, *mirror_);
}

ConsoleUi::~ConsoleUi() {
  delete mirror_;
  delete device_;
  delete chart_;
  delete detail_;
  delete password_;
  delete folder_chooser_;
  delete settings_;
  delete group_dialog_;
  delete terms_;
  delete editor_;
  delete debug_;
  delete main_;
  delete splash_;
  delete tray_;
}

}  // namespace zol
