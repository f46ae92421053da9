#include "console/device_window.h"

#include "common/scramble.h"
#include "common/text.h"
#include "console/console_settings.h"
#include "console/detail_window.h"
#include "console/password_dialog.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "monitor/monitoring.h"
#include "telnet/device_editor.h"

namespace zol {

DeviceWindow::DeviceWindow(App& a) : app(a) {
  SetCaption("個別情報");
  BitBtn7.SetCaption("ON");
  BitBtn8.SetCaption("OFF");
  BitBtn9.SetCaption("REBOOT");
  BitBtn4.SetCaption("接続(&C)");
  BitBtn1.SetCaption("詳細(&S)");
  BitBtn2.SetCaption("編集(&E)");
  BitBtn3.SetCaption("閉じる(&X)");
  BitBtn4.SetGlyph(kGlyphTelnet);
  // No device yet: nothing to switch.
  for (Button* b : {&BitBtn7, &BitBtn8, &BitBtn9}) b->SetEnabled(false);
  OlImage1.SetVisible(false);
}

void DeviceWindow::FormCreate() {
  // The panel Panel5 that holds every visible control.
  ClientWidth = 345;
  ClientHeight = 289;
}

std::string DeviceWindow::StateText(int image, const std::string& cur_temp) {
  switch (image) {
    case 0: return "PING 正常";
    case 1: return "PING 注意";
    case 2: return "PING 異常";
    case 3: return "温度 正常 (" + cur_temp + "℃)";
    case 4: return "温度 注意 (" + cur_temp + "℃)";
    case 5: return "温度 警報 (" + cur_temp + "℃)";
    case 6: return "電源 OFF";
    case 7: return "電源 ON";
    case 8: return "TimeOut";
    case 9: return "不明";
    default: return std::string();
  }
}

void DeviceWindow::listicondata(const std::string& key, int flag) {
  // Editing from here only while monitoring is stopped.
  BitBtn2.SetEnabled(app.monitoring().ToolButton1.Enabled());

  const int row = DecimalOr(CopyView(key, 1, 4), 0);
  const int outlet = DecimalOr(CopyView(key, 6, 4), 0);
  const int image = DecimalOr(CopyView(key, 11, 2), 0);
  CurrentRow = row;

  const Grid& table = app.Form4().StringGrid1;
  auto cell = [&](int col) -> const std::string& { return table.Cell(col, row); };
  const std::string& connect = cell(dtcol::ConnectInfo);

  const std::string method = CsvField(connect, 1);
  BitBtn4.SetEnabled(method != "なし");
  BitBtn4.SetGlyph(method == "telnet" ? kGlyphTelnet : kGlyphBrowser);

  const bool direct = CsvField(connect, 7) == "1";
  for (Button* b : {&BitBtn7, &BitBtn8, &BitBtn9}) b->SetEnabled(direct);
  ControlEnabled = BitBtn7.Enabled();

  Panel0.SetCaption(cell(dtcol::RecvDate) + " " + cell(dtcol::RecvTime));
  Panel1.SetCaption(CsvField(cell(dtcol::OutletNames), outlet));
  Panel2.SetCaption(cell(dtcol::DeviceName));
  Panel6.SetCaption(std::to_string(outlet));
  Panel7.SetCaption(cell(dtcol::IpAddress));

  std::string state = StateText(image, cell(dtcol::CurTemp));
  if (outlet == 0) {
    Panel6.SetCaption(std::string());
    state.clear();
  }
  Panel3.SetCaption(state);

  // The outlet's power word; the whole device shows its first outlet.
  OlImage1.SetVisible(false);
  const std::string word = Copy(cell(dtcol::OlWordA), outlet < 1 ? 1 : (outlet - 1) * 5 + 1, 4);
  if (!word.empty()) {
    // Only 1 (ON) and 0 (OFF) have a picture; any other value shows none.
    const int32_t v = HexToInt(word);
    OlImage1.SetBand(v == 1 ? kBandOn : v == 0 ? kBandOff : StripImage::kNone);
    OlImage1.SetVisible(true);
  }

  Panel4.SetCaption("ID" + ZeroPad(row, 4));
  // A device that has never reported shows " " as its update time.
  BitBtn1.SetEnabled(Panel0.Caption() != " ");

  if (flag == 0) {
    Show();
    BringToFront();
  }
}

void DeviceWindow::btnmask(int mode) {
  bool on;
  switch (mode) {
    case 0: on = false; break;
    case 1: on = true; break;
    case 2: on = ControlEnabled; break;
    default: return;
  }
  for (Button* b : {&BitBtn7, &BitBtn8, &BitBtn9}) b->SetEnabled(on);
}

int DeviceWindow::IdFieldRow() const { return DecimalOr(CopyView(Panel4.Caption(), 3, 4), 0); }

void DeviceWindow::BitBtn1Click() {
  Hide();
  const int row = IdFieldRow();
  app.receive_view().DetailDevice = row;
  app.Form6().OpenDevice(row);
}

void DeviceWindow::BitBtn2Click() {
  if (!app.settings().EditUnlocked) {
    app.Form14().password_check();
    return;
  }
  Hide();
  const int row = IdFieldRow();
  app.receive_view().DetailDevice = row;
  app.Form5().OpenEdit(row);
}

void DeviceWindow::BitBtn3Click() { Close(); }

void DeviceWindow::BitBtn4Click() {
  Hide();
  const int row = IdFieldRow();
  app.receive_view().DetailDevice = row;

  const Grid& table = app.Form4().StringGrid1;
  const std::string& connect = table.Cell(dtcol::ConnectInfo, row);
  const std::string host = CsvField(connect, 6) == "1" ? table.Cell(dtcol::IpAddress, row) : CsvField(connect, 2);
  std::string port = CsvField(connect, 3);
  // Nothing to open without a host; the window reports nothing.
  if (CsvField(connect, 1) == "telnet") {
    const std::string params = port == "23" ? host : host + " " + port;
    if (!host.empty()) app.shell().OpenTelnet(params);
  } else {
    if (port == "80") port.clear();
    const std::string address = "http://" + host + ":" + port;
    if (!host.empty()) app.shell().OpenAddress(address);
  }
}

void DeviceWindow::Switch(const char* word) {
  Close();
  btnmask(0);
  const std::string& connect = app.Form4().StringGrid1.Cell(dtcol::ConnectInfo, CurrentRow);
  DeviceEditor& editor = app.Form5();
  editor.SessionPassword = Scramble(CsvField(connect, 4), 0);
  editor.SessionPort = std::to_string(DecimalOr(CsvField(connect, 5), 23));
  editor.tenletcnt(1, word + Panel6.Caption(), CurrentRow);
}

void DeviceWindow::BitBtn7Click() { Switch("PON"); }
void DeviceWindow::BitBtn8Click() { Switch("POF"); }
void DeviceWindow::BitBtn9Click() { Switch("POR"); }

}  // namespace zol
