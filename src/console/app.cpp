#include "console/app.h"

#include "console/device_window.h"
#include "console/chart_window.h"
#include "console/detail_window.h"
#include "console/main_window.h"
#include "console/folder_chooser.h"
#include "console/group_dialog.h"
#include "console/password_dialog.h"
#include "console/splash_window.h"
#include "console/terms_dialog.h"
#include "monitor/debug_window.h"
#include "telnet/device_editor.h"
#include "telnet/group_tab.h"
#include "settings/message_editor.h"
#include "settings/settings_dialog.h"

namespace zol {

App::App(const Services& s) : services(s) {
  form1 = std::make_unique<SplashWindow>(*this);
  form2 = std::make_unique<MainWindow>(*this);
  form3 = std::make_unique<GroupDialog>(*this);
  form4 = std::make_unique<DebugWindow>(*this);
  form5 = std::make_unique<DeviceEditor>(*this);
  form6 = std::make_unique<DetailWindow>(*this);
  form7 = std::make_unique<DeviceWindow>(*this);
  form8 = std::make_unique<SettingsDialog>(*this);
  form9 = std::make_unique<FolderChooser>(*this);
  form10 = std::make_unique<TermsDialog>(*this);
  form11 = std::make_unique<ChartWindow>(*this);
  message_editor = std::make_unique<MessageEditor>(*this);
  form14 = std::make_unique<PasswordDialog>(*this);
}

App::~App() = default;

Form& App::MainForm() { return *form2; }
ConsoleSettings& App::settings() { return *form2; }
Reception& App::reception() { return form2->reception; }
MonitorControls& App::monitoring() { return form2->monitoring; }
ItemStates& App::item_states() { return form2->states; }
Alerts& App::alerts() { return form2->alerts; }
IconView& App::icons() { return form2->icons; }
ReceiveView& App::receive_view() { return form2->receive; }
SystemLog& App::system_log() { return form2->system_log; }
DetailGrid& App::detail_grid() { return form2->detail_grid; }
DeviceTree& App::tree() { return form2->tree; }
TreeOperations& App::tree_ops() { return form2->tree_ops; }
ComboBox& App::group_selector() { return form2->tree.ComboBoxEx1; }
GroupTab& App::group_tab() { return form2->group_tab; }
bool App::IniSave() { return form2->IniSave(); }

void App::CloseDialogs() {
  form3->Close();
  form5->Close();
  form6->Close();
  form7->Close();
  form8->FormClose();
  form9->Close();
}

void App::Start() {
  if (started_) return;
  started_ = true;
  form1->FormCreate();
  form2->FormCreate();
  // The device-table window sets itself up as it is constructed.
  form5->FormCreate();
  form6->FormCreate();
  form7->FormCreate();
  form10->FormCreate();
  form11->FormCreate();
  form1->Show();
}

void App::End() {
  if (!started_ || ended_) return;
  ended_ = true;
  form2->FormDestroy();
}

void App::Terminate() {
  terminated_ = true;
  if (OnTerminate) OnTerminate();
}

}  // namespace zol
