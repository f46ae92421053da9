#include "monitor/icon_view.h"

#include "common/text.h"
#include "console/app.h"
#include "console/main_window.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "monitor/item_state.h"

namespace zol {

std::string ItemKey(int row, int outlet) { return ZeroPad(row, 4) + " " + ZeroPad(outlet, 4); }

std::string ItemWindowKey(const std::string& key, int image) { return key + " " + std::to_string(image); }

int KeyRow(const std::string& key, int def) { return DecimalOr(Copy(key, 1, 4), def); }

int KeyOutlet(const std::string& key, int def) { return DecimalOr(Copy(key, 6, 4), def); }

namespace {

int IndexKey(int row, int outlet) { return row * 10000 + outlet; }

int IndexKeyOf(const std::string& key) { return IndexKey(KeyRow(key, 0), KeyOutlet(key, 0)); }

}  // namespace

int MainWindow::FindIcon(int row, int outlet) {
  // Icons are only appended between full re-indexings; a view that shrank
  // or changed under the index is indexed again from scratch.
  if (ListView1.Count() < IconIndexed) {
    IconIndex.clear();
    IconIndexed = 0;
  }
  for (; IconIndexed < ListView1.Count(); ++IconIndexed)
    IconIndex.emplace(IndexKeyOf(ListView1.Item(IconIndexed).key), IconIndexed);
  auto it = IconIndex.find(IndexKey(row, outlet));
  if (it != IconIndex.end() && it->second < ListView1.Count() &&
      IndexKeyOf(ListView1.Item(it->second).key) == IndexKey(row, outlet))
    return static_cast<int>(it->second);
  if (it == IconIndex.end()) return -1;
  // Stale entry: index the view again.
  IconIndex.clear();
  IconIndexed = 0;
  for (; IconIndexed < ListView1.Count(); ++IconIndexed)
    IconIndex.emplace(IndexKeyOf(ListView1.Item(IconIndexed).key), IconIndexed);
  it = IconIndex.find(IndexKey(row, outlet));
  return it == IconIndex.end() ? -1 : static_cast<int>(it->second);
}

void MainWindow::IconReStetingData() {
  bool down[8];
  for (int b = 1; b <= 7; ++b) down[b] = ToolButtonChk[static_cast<size_t>(b)].Down();

  ListView1.Clear();
  KeyList.clear();
  IconIndex.clear();
  IconIndexed = 0;

  const Grid& table = app.Form4().StringGrid1;
  for (int r = 1; r <= 999; ++r) {
    if (table.Cell(dtcol::MacAddress, r).size() <= 8) continue;
    const int n = DecimalOr(CsvField(table.Cell(dtcol::OutletInfo, r), 1), 1);
    const std::string& flags = table.Cell(dtcol::IconFlags, r);
    for (int i = 1; i <= n && static_cast<size_t>(i) <= flags.size(); ++i) {
      if (flags[static_cast<size_t>(i - 1)] != '1') continue;
      const std::string code = ItemState(r, i);
      const int k = CodeDigit(code, 0, 99);
      const int s = CodeDigit(code, 1, 99);
      bool shown = true;
      if (!down[1] && k == 0) shown = false;
      if (!down[2] && k == 1) shown = false;
      if (!down[3] && k == 2) shown = false;
      if (!down[4] && s == 0) shown = false;
      if (!down[5] && s == 1) shown = false;
      if (!down[6] && s == 2) shown = false;
      if (down[1] && k == 0) shown = true;
      if (!down[7] && (s == 8 || s == 9)) shown = false;
      if (shown) ListDataNew(r, i);
    }
  }
}

void MainWindow::IconDataCheck() {
  int ok = 0, caution = 0, ng = 0, unknown = 0, on = 0, off = 0;
  for (size_t k = 0; k < ListView1.Count(); ++k) {
    switch (ListView1.Item(k).image) {
      case 0: case 3: ++ok; break;
      case 1: case 4: ++caution; break;
      case 2: case 5: ++ng; break;
      case 8: case 9: ++unknown; break;
      case 7: ++on; break;
      case 6: ++off; break;
      default: break;
    }
  }
  Panel12.SetCaption(std::to_string(ok));
  Panel13.SetCaption(std::to_string(caution));
  Panel14.SetCaption(std::to_string(ng));
  Panel15.SetCaption(std::to_string(unknown));
  Panel17.SetCaption(std::to_string(on));
  Panel19.SetCaption(std::to_string(off));
}

void MainWindow::ListDataNew(int row, int outlet) {
  IconItem icon;
  icon.image = kImageUnknown;
  icon.caption = CsvField(app.Form4().StringGrid1.Cell(dtcol::OutletNames, row), outlet);
  icon.key = ItemKey(row, outlet);
  KeyList.push_back(icon.key);
  ListView1.Add(std::move(icon));
  ListDataCheck(row, outlet);
}

void MainWindow::ListDataDel(int row, int outlet) {
  const std::string key = ItemKey(row, outlet);
  for (size_t k = 0; k < ListView1.Count(); ++k) {
    if (ListView1.Item(k).key == key) {
      ListView1.Delete(k);
      IconIndex.clear();
      IconIndexed = 0;
      return;
    }
  }
}

void MainWindow::LvIconClk() {
  for (size_t p = 0; p < 5; ++p) StatusBar1.SetPanel(p, std::string());
  const int sel = ListView1.Selected();
  if (sel < 0 || static_cast<size_t>(sel) >= ListView1.Count()) return;
  const std::string& key = ListView1.Item(static_cast<size_t>(sel)).key;
  const int r = KeyRow(key, 0);
  const int i = KeyOutlet(key, 0);
  const std::string code = ItemState(r, i);
  const int k = CodeDigit(code, 0, 9);
  const int s = CodeDigit(code, 1, 9);
  const Grid& table = app.Form4().StringGrid1;

  StatusBar1.SetPanel(0, " " + table.Cell(dtcol::IpAddress, r));
  StatusBar1.SetPanel(1, " ID" + ZeroPad(r, 3) + " " + table.Cell(dtcol::DeviceName, r));
  StatusBar1.SetPanel(2, " " + table.Cell(dtcol::GroupName, r));

  std::string state;
  if (s != 9) {
    if (k == 0) {
      state = s == 0 ? " 電源OFF" : " 電源ON";
    } else if (k == 1) {
      static const char* const kPing[3] = {" PING 正常", " PING 注意", " PING 異常"};
      state = s >= 0 && s <= 2 ? kPing[s] : "PING";
    } else if (k == 2) {
      static const char* const kTemp[3] = {" 温度 正常", " 温度 注意", " 温度 警報"};
      state = s >= 0 && s <= 2 ? kTemp[s] : "温度";
      const std::string& cur = table.Cell(dtcol::CurTemp, r);
      if (!cur.empty()) state += " (" + cur + "℃)";
    }
  }
  StatusBar1.SetPanel(3, state);

  const std::string& date = table.Cell(dtcol::RecvDate, r);
  if (!date.empty()) StatusBar1.SetPanel(4, "更新時間 " + date + " " + table.Cell(dtcol::RecvTime, r));
}

void MainWindow::ListView1SelectItem() { LvIconClk(); }

void MainWindow::ListView1Click() {}

void MainWindow::ListView1DblClick() {
  ButtonPushMode();
  ToolButton1.SetEnabled(!ToolButton2.Enabled());
  const int sel = ListView1.Selected();
  if (sel < 0 || static_cast<size_t>(sel) >= ListView1.Count()) return;
  const IconItem& icon = ListView1.Item(static_cast<size_t>(sel));
  if (app.hooks.listicondata) app.hooks.listicondata(ItemWindowKey(icon.key, icon.image), 0);
}

void MainWindow::ToolButton3Click() {
  for (int b = 1; b <= 7; ++b) ToolButtonChk[static_cast<size_t>(b)].SetDown(true);
  IconReStetingData();
  IconDataCheck();
}

// The click has already toggled the button.
void MainWindow::ToolButtonChk1Click() {
  IconReStetingData();
  IconDataCheck();
}
void MainWindow::ToolButtonChk2Click() {
  IconReStetingData();
  IconDataCheck();
}
void MainWindow::ToolButtonChk3Click() {
  IconReStetingData();
  IconDataCheck();
}
void MainWindow::ToolButtonChk4Click() {
  IconReStetingData();
  IconDataCheck();
}
void MainWindow::ToolButtonChk5Click() {
  IconReStetingData();
  IconDataCheck();
}
void MainWindow::ToolButtonChk6Click() {
  IconReStetingData();
  IconDataCheck();
}
void MainWindow::ToolButtonChk7Click() {
  IconReStetingData();
  IconDataCheck();
}

void MainWindow::BitBtn1Click() {
  const std::string title =
      DeviceIdText(TempDevice) + " " + app.Form4().StringGrid1.Cell(dtcol::DeviceName, TempDevice);
  if (app.hooks.ChartTitle) app.hooks.ChartTitle(title);
  if (app.hooks.ShowChart) app.hooks.ShowChart();
  if (app.hooks.ChartRefresh) app.hooks.ChartRefresh();
}

}  // namespace zol
