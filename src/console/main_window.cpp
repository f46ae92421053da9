#include "console/main_window.h"

#include "common/program_files.h"
#include "console/app.h"

namespace zol {

MainWindow::MainWindow(App& a) : app(a), Timer4(a.timers(), 2000, false) {
  ToolButton1.SetHint("監視開始");
  ToolButton2.SetHint("監視停止");
  ToolButton2.SetEnabled(false);
  ToolButton7.SetHint("設定");
  Panel20.SetCaption("停止");
  Panel20.SetFontColor(0x40C0FF);
  Label5.SetCaption("●");
  Label5.SetVisible(false);
  ToolButton3.SetHint("ALL");
  const char* hints[8] = {"", "アウトレット", "PING監視", "温度監視", "OK", "!", "NG", "?"};
  for (int i = 1; i <= 7; ++i) {
    ToolButtonChk[i].SetHint(hints[i]);
    ToolButtonChk[i].SetDown(true);
  }
  Panel21.SetVisible(false);
  RefTimePanel.SetHint("更新時刻");
  LifeCycleSetUp();
  // The receiver component NMUDP1: every datagram goes to the reception handler.
  if (app.services.udp) {
    app.services.udp->OnDataReceived = [this](const std::string& bytes, const std::string& from_ip, int port) {
      NMUDP1DataReceived(bytes, from_ip, port);
    };
  }
  IniFile = ProgramFile(app.services.program_path, ".Ini");
  ComboBoxEx1.SetEnabled(false);
}

}  // namespace zol
