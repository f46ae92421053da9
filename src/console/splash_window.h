// The splash window (Form1): the application's main window. It shows the
// start picture for three seconds, owns the tray icon with its menu and
// decides whether the terms dialog or the main window comes first.
#pragma once

#include <cstdint>
#include <string>

#include "common/controls.h"
#include "common/platform.h"

namespace zol {

class App;

// Mouse messages of the tray icon's callback.
constexpr int kWmLButtonDown = 0x0201;
constexpr int kWmRButtonDown = 0x0204;

// The notification-area icon's description. Visible() tells whether the
// icon is in the notification area.
struct TrayIconRecord : Control {
  TrayIconRecord() { SetVisible(false); }
  uint32_t cbSize = 0;
  int uID = 0;
  uint32_t uFlags = 0;
  uint32_t uCallbackMessage = 0;
  std::string szTip;  // 64 characters, all zero: an empty tip
};

// A pop-up menu: its items and the requests to pop it up at the cursor.
class PopupMenu : public Control {
 public:
  uint64_t PopupCount() const { return popups_; }
  void Popup() {
    ++popups_;
    Touch();
  }

 private:
  uint64_t popups_ = 0;
};

class SplashWindow : public Form {
 public:
  explicit SplashWindow(App& app);

  App& app;

  void FormCreate();
  void TryiconSet();
  void Timer2Timer();
  // The tray icon's callback with the mouse message.
  void TrayIconMessage(int mouse_msg);
  void test1Click();  // "元のサイズに戻す(&R)"
  void Exit1Click();  // "終了(&Q)"
  void FormClose();
  // Closes the window (once): its close handler runs and the message loop
  // ends.
  void Close();
  bool Closed() const { return closed_; }

  std::string VersionText;
  std::string TermsFile;
  WindowState SavedWindowState = WindowState::Normal;
  TrayIconRecord TrayIconData;

  Panel Panel1;  // 320 x 80, holds the picture
  int ClientWidth = 0, ClientHeight = 0;
  Timer Timer2;
  PopupMenu PopupMenu1;
  Button test1;  // "元のサイズに戻す(&R)"
  Button N2;     // "-"
  Button Exit1;  // "終了(&Q)"

 private:
  bool closed_ = false;
};

}  // namespace zol
