#include "console/splash_window.h"

#include "common/files.h"
#include "common/program_files.h"
#include "console/app.h"
#include "console/main_window.h"
#include "console/terms_dialog.h"

namespace zol {

SplashWindow::SplashWindow(App& a) : app(a), Timer2(a.timers(), 3000, false) {
  Timer2.OnTimer = [this] { Timer2Timer(); };
  test1.SetCaption("元のサイズに戻す(&R)");
  N2.SetCaption("-");
  Exit1.SetCaption("終了(&Q)");
}

void SplashWindow::FormCreate() {
  // The application has no task-bar entry: the views never give it one.
  TermsFile = "permis.txt";
  VersionText = "4.00";
  Timer2.SetEnabled(true);
  ClientWidth = 320;
  ClientHeight = 80;
  TryiconSet();
}

void SplashWindow::TryiconSet() {
  TrayIconData.cbSize = 88;
  TrayIconData.uID = 0;
  TrayIconData.uFlags = 7;
  TrayIconData.uCallbackMessage = 0x400 + 100;
  TrayIconData.szTip.assign(64, '\0');
  TrayIconData.SetVisible(true);  // a platform without a tray shows none, silently
}

void SplashWindow::Timer2Timer() {
  Timer2.SetEnabled(false);
  Timer2.SetInterval(0);
  Hide();
  SetWindowState(WindowState::Minimized);
  MainWindow& main = app.Form2();
  if (FileExists(ProgramFile(app.services.program_path, ".Ini")) || !FileExists(TermsFile)) {
    main.Show();
    main.Timer3.SetEnabled(true);
  } else {
    app.Form10().Show();
  }
}

void SplashWindow::TrayIconMessage(int mouse_msg) {
  if (mouse_msg == kWmLButtonDown || mouse_msg == kWmRButtonDown) PopupMenu1.Popup();
}

void SplashWindow::test1Click() {
  if (SavedWindowState == WindowState::Minimized) SavedWindowState = WindowState::Normal;
  MainWindow& main = app.Form2();
  main.SetWindowState(SavedWindowState);
  main.Show();
}

void SplashWindow::Exit1Click() { Close(); }

void SplashWindow::FormClose() { TrayIconData.SetVisible(false); }

void SplashWindow::Close() {
  if (closed_) return;
  closed_ = true;
  Hide();
  FormClose();
  app.Terminate();
}

}  // namespace zol
