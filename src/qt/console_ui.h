// Every view of the run on one mirror. The views are one file per window
// (splash_view, terms_view, tray_view, main_view, debug_view, settings_view,
// detail_view, chart_view, device_editor_view, device_view): each builds its widgets, binds
// them to the core window's controls through the mirror and forwards the
// operator's events to the core's handlers. No rule of the system here.
#pragma once

#include "qt/chart_view.h"
#include "qt/debug_view.h"
#include "qt/device_view.h"
#include "qt/detail_view.h"
#include "qt/device_editor_view.h"
#include "qt/folder_chooser_view.h"
#include "qt/group_dialog_view.h"
#include "qt/main_view.h"
#include "qt/settings_view.h"
#include "qt/password_view.h"
#include "qt/splash_view.h"
#include "qt/terms_view.h"
#include "qt/tray_view.h"

namespace zol {

class App;
class Mirror;

// Every view of the run, on one mirror.
class ConsoleUi {
 public:
  explicit ConsoleUi(App& app);
  ~ConsoleUi();
  Mirror& mirror() { return *mirror_; }
  MainView& main() { return *main_; }
  DebugView& debug() { return *debug_; }
  DeviceEditorView& editor() { return *editor_; }
  SplashView& splash() { return *splash_; }
  TermsView& terms() { return *terms_; }
  SettingsView& settings() { return *settings_; }
  TrayView& tray() { return *tray_; }
  DeviceView& device() { return *device_; }
  DetailView& detail() { return *detail_; }
  ChartView& chart() { return *chart_; }
  GroupDialogView& group_dialog() { return *group_dialog_; }
  FolderChooserView& folder_chooser() { return *folder_chooser_; }
  PasswordView& password() { return *password_; }

 private:
  Mirror* mirror_;
  TrayView* tray_;
  SplashView* splash_;
  MainView* main_;
  DebugView* debug_;
  DeviceEditorView* editor_;
  TermsView* terms_;
  DeviceView* device_;
  DetailView* detail_;
  ChartView* chart_;
  GroupDialogView* group_dialog_;
  SettingsView* settings_;
  FolderChooserView* folder_chooser_;
  PasswordView* password_;
};

}  // namespace zol
