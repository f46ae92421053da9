// The owner of the run: every window and platform service, wired at start.
// Windows reach each other and the services through it; nothing is global.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/platform.h"

namespace zol {

class MainWindow;
class DebugWindow;
class SplashWindow;
class TermsDialog;
class GroupDialog;
class FolderChooser;
class PasswordDialog;
class DeviceEditor;
class DeviceWindow;
class SettingsDialog;
class GroupTab;
class DetailWindow;
class ChartWindow;
class MessageEditor;
struct ConsoleSettings;
class ComboBox;
class Form;
// Areas of the main window.
class Reception;
class MonitorControls;
class ItemStates;
class Alerts;
class IconView;
class ReceiveView;
class SystemLog;
class DetailGrid;
class DeviceTree;
class TreeOperations;

// Platform services the windows use. The program wires the real adapters,
// tests the fakes of tests/support.
struct Services {
  Clock* clock = nullptr;
  EventPump* pump = nullptr;
  TimerHost* timers = nullptr;
  MessageBoxes* boxes = nullptr;
  Sound* sound = nullptr;
  UdpReceiver* udp = nullptr;
  TelnetClient* telnet = nullptr;
  Shell* shell = nullptr;
  FileOpenDialog* open_dialog = nullptr;
  SmtpClient* smtp = nullptr;
  // Full path of the running program: the settings and data files lie
  // beside it under its name.
  std::string program_path;
};

class App {
 public:
  explicit App(const Services& services);
  ~App();
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  Services services;

  Clock& clock() { return *services.clock; }
  EventPump& pump() { return *services.pump; }
  TimerHost* timers() { return services.timers; }
  MessageBoxes& boxes() { return *services.boxes; }
  Sound& sound() { return *services.sound; }
  UdpReceiver& udp() { return *services.udp; }
  TelnetClient& telnet() { return *services.telnet; }
  Shell& shell() { return *services.shell; }
  FileOpenDialog& open_dialog() { return *services.open_dialog; }
  SmtpClient& smtp() { return *services.smtp; }

  // Delay on the run's clock and pump.
  void Delay(uint32_t ms) { zol::Delay(*services.clock, *services.pump, ms); }

  // The windows, created once in this order and living until the end.
  std::unique_ptr<SplashWindow> form1;  // splash window, the application's main window
  std::unique_ptr<MainWindow> form2;  // main window
  std::unique_ptr<GroupDialog> form3;  // group dialog
  std::unique_ptr<DebugWindow> form4;  // device-table window "通信debug"
  std::unique_ptr<DeviceEditor> form5;  // device editor, with the telnet session engine
  std::unique_ptr<DetailWindow> form6;  // detail window
  std::unique_ptr<DeviceWindow> form7;  // device window "個別情報"
  std::unique_ptr<SettingsDialog> form8;  // settings dialog "基本設定"
  std::unique_ptr<FolderChooser> form9;  // folder chooser
  std::unique_ptr<TermsDialog> form10;  // terms dialog
  std::unique_ptr<ChartWindow> form11;  // temperature chart
  std::unique_ptr<MessageEditor> message_editor;  // hidden mail form
  std::unique_ptr<PasswordDialog> form14;  // password dialog
  SplashWindow& Form1() { return *form1; }
  MainWindow& Form2() { return *form2; }
  GroupDialog& Form3() { return *form3; }
  Form& MainForm();  // the main window as a window, for those outside src/console
  DebugWindow& Form4() { return *form4; }
  DeviceEditor& Form5() { return *form5; }
  DetailWindow& Form6() { return *form6; }
  DeviceWindow& Form7() { return *form7; }
  SettingsDialog& Form8() { return *form8; }
  FolderChooser& Form9() { return *form9; }
  TermsDialog& Form10() { return *form10; }
  ChartWindow& Form11() { return *form11; }
  PasswordDialog& Form14() { return *form14; }
  MessageEditor& frmMessageEditor() { return *message_editor; }

  // The main window's settings and areas, for the other areas and windows:
  // nothing outside src/console needs the main window's own header.
  ConsoleSettings& settings();
  Reception& reception();
  MonitorControls& monitoring();
  ItemStates& item_states();
  Alerts& alerts();
  IconView& icons();
  ReceiveView& receive_view();
  SystemLog& system_log();
  DetailGrid& detail_grid();
  DeviceTree& tree();
  TreeOperations& tree_ops();  // drag and drop, registration, popup menu
  ComboBox& group_selector();  // Form2.ComboBoxEx1, held by the device tree
  GroupTab& group_tab();
  // Writes the console settings to the settings file (the main window's
  // IniSave): false after its error box when the file cannot be written.
  bool IniSave();

  // Closes the group dialog, device editor, detail window, device window,
  // settings dialog and folder chooser, in this order.
  void CloseDialogs();

  // Program entry: runs the windows' creation handlers in their order and
  // shows the splash window, as the message loop starts.
  void Start();
  // Program end, after the message loop: the windows' destruction handlers
  // (once; the program runs it when its event loop has ended).
  void End();
  // Ends the message loop (the splash window was closed).
  void Terminate();
  bool Terminated() const { return terminated_; }
  // Set by the program: quits its event loop.
  std::function<void()> OnTerminate;

 private:
  bool started_ = false;
  bool ended_ = false;
  bool terminated_ = false;
};

}  // namespace zol
