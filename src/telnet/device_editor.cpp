#include "telnet/device_editor.h"

namespace zol {

DeviceEditor::DeviceEditor(App& a)
    : app(a),
      Timer1(a.timers(), 5000, false),
      Timer2(a.timers(), 1000, false),
      Timer3(a.timers(), 1000, false),
      IdTelnet1(a.telnet()) {
  SetCaption("機器情報　登録／編集");
  BitBtn3.SetCaption("情報取得");
  BitBtn4.SetCaption("CLS");
  MaskEdit1.SetText("kelpo");
  Edit12.SetText("23");
  Edit9.SetText("ゾルユニット");
  for (int i = 1; i <= 8; ++i) OutletEdit(i).SetText("Outlet" + std::to_string(i));

  Timer1.OnTimer = [this] { Timer1Timer(); };
  Timer2.OnTimer = [this] { Timer2Timer(); };
  Timer3.OnTimer = [this] { Timer3Timer(); };
  IdTelnet1.OnConnected = [this] { IdTelnet1Connected(); };
  IdTelnet1.OnDataAvailable = [this](const std::string& text) { IdTelnet1DataAvailable(text); };
  IdTelnet1.OnDisconnected = [this] { IdTelnet1Disconnected(); };
}

DeviceEditor::~DeviceEditor() {
  IdTelnet1.OnConnected = nullptr;
  IdTelnet1.OnDataAvailable = nullptr;
  IdTelnet1.OnDisconnected = nullptr;
}

Edit& DeviceEditor::OutletEdit(int i) {
  Edit* edits[] = {&Edit1, &Edit2, &Edit3, &Edit4, &Edit5, &Edit6, &Edit7, &Edit8};
  if (i < 1) i = 1;
  if (i > 8) i = 8;
  return *edits[i - 1];
}

}  // namespace zol
