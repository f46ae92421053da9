// The device window (Form7, "個別情報"): one outlet of one registered
// device, a snapshot taken when the window is filled. From here the
// operator switches the outlet ON, OFF or REBOOT over the device's telnet
// console, opens the device's own console (telnet or browser), the detail
// window or the device editor. Created once, then only filled, shown and
// hidden; not modal.
#pragma once

#include <string>

#include "common/controls.h"
#include "console/app.h"

namespace zol {

class DeviceWindow : public Form {
 public:
  // The bands of the ON / OFF picture strip (80 x 50).
  static constexpr int kBandOn = 0;
  static constexpr int kBandOff = 1;
  // The connect button's two stored pictures (BitBtn6 and BitBtn5).
  static constexpr int kGlyphTelnet = 1;
  static constexpr int kGlyphBrowser = 2;

  explicit DeviceWindow(App& app);
  DeviceWindow(const DeviceWindow&) = delete;
  DeviceWindow& operator=(const DeviceWindow&) = delete;

  App& app;

  // --- Controls, top to bottom ---
  StripImage OlImage1;                 // the outlet's ON or OFF picture (80 x 25)
  Button BitBtn7, BitBtn8, BitBtn9;    // "ON", "OFF", "REBOOT"
  Panel Panel1;                        // "アウトレット名称"
  Panel Panel2;                        // "機器名称"
  Panel Panel4, Panel6;                // "登録ID/アウトレットNo": ID0012, outlet number
  Panel Panel0;                        // "更新日時"
  Panel Panel7;                        // "IPアドレス"
  Panel Panel3;                        // "状態"
  GlyphButton BitBtn4;                 // "接続(&C)"
  Button BitBtn1;                      // "詳細(&S)"
  Button BitBtn2;                      // "編集(&E)"
  Button BitBtn3;                      // "閉じる(&X)"
  // The client area, sized to the panel that holds every visible control.
  int ClientWidth = 0, ClientHeight = 0;

  // --- State ---
  int CurrentRow = 0;            // device row of the last fill; the switches use it
  bool ControlEnabled = false;   // the switch buttons' state of the last fill

  void FormCreate();
  // Fills the window from an item window key ("dddd oooo i") or a bare
  // device ID ("dddd", the whole device); flag 0 also shows the window and
  // brings it to the front.
  void listicondata(const std::string& key, int flag);
  // 0 disables the three switch buttons, 1 enables them, 2 gives them the
  // state of the last fill; other modes do nothing.
  void btnmask(int mode);
  void BitBtn1Click();  // details
  void BitBtn2Click();  // edit
  void BitBtn3Click();  // close
  void BitBtn4Click();  // the device's own console
  void BitBtn7Click();  // ON
  void BitBtn8Click();  // OFF
  void BitBtn9Click();  // REBOOT
  void Close() { Hide(); }

  // The state text of a state image (0..9) and the current temperature;
  // empty for any other image.
  static std::string StateText(int image, const std::string& cur_temp);

 private:
  // The device row written in the ID field (characters 3 to 6 of "ID0012").
  int IdFieldRow() const;
  // The switch operations: the command word "PON", "POF" or "POR".
  void Switch(const char* word);
};

}  // namespace zol
