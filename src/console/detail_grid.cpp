#include "console/detail_grid.h"

#include <algorithm>

#include "common/text.h"
#include "console/app.h"
#include "console/device_tree.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "monitor/item_state.h"
#include "monitor/system_log.h"

namespace zol {

std::string ItemCodeText(const std::string& code, int mode) {
  if (mode == 1) return DecimalOr(code, 0) != 0 ? "ON" : "OFF";
  if (mode == 3) {
    switch (DecimalOr(code, 0)) {
      case 0: return "電源状態";
      case 1: return "PING監視";
      case 2: return "温度監視";
      default: return std::string();
    }
  }
  return std::string();
}

std::string ItemStateText(const std::string& code) {
  // The state is all that follows the kind digit: a code of another length
  // (a kind without a code, a judgement word beyond the known ones) names no
  // state of the table.
  if (code.size() != 2) return std::string();
  const int k = CodeDigit(code, 0, -1);
  const int s = CodeDigit(code, 1, -1);
  if (k < 0 || k > 2) return std::string();
  if (s == 8) return "TimeOut";
  if (s == 9) return "不明";
  static const char* const kTexts[3][4] = {
      {"電源OFF", "電源ON", "", ""},
      {"正常", "注意", "異常", "回復中"},
      {"正常", "注意", "警報", ""},
  };
  if (s < 0 || s > 3) return std::string();
  return kTexts[k][s];
}

std::optional<Color> DetailTextColor(int col, const std::string& text) {
  if (col == 2) {
    if (text == "電源ON" || text == "正常") return kDetailGreen;
    if (text == "TimeOut" || text == "不明") return kDetailBlue;
    if (text == "注意") return kDetailOlive;
    if (text == "警報" || text == "異常") return kDetailRed;
  } else if (col == 1) {
    if (text == "ON") return kDetailGreen;
  }
  return std::nullopt;
}

DetailGrid::DetailGrid(App& a) : app(a) {
  StringGrid2.SetFixed(1, 1);
  StringGrid2.SetColWidths({16, 73, 123, 62, 62});
  StringGrid2.SetDefaultRowHeight(16);
}

void DetailGrid::StringGridSelectClear() {
  StringGrid2.SetRow(-1);
  StringGrid2.SetLeftCol(1);
  StringGrid2.SetTopRow(1);
}

void DetailGrid::TreeView1Click() {
  const TreeNode* node = app.tree().TreeView1.Selected();
  NodeClick(DeviceTree::NodeAncestorText(node, 1), DeviceTree::NodeAncestorText(node, 2));
}

void DetailGrid::NodeClick(const std::string& level1, const std::string& level2) {
  StringGridSelectClear();
  const int r = DecimalOr(Copy(level1, 3, 3), 0);
  if (level1.compare(0, 2, "ID") == 0 && r >= 1) TreeDataState(r, level2);
}

void DetailGrid::TreeDataState(int R, const std::string& category) {
  const Grid& t = app.Form4().StringGrid1;
  auto cell = [&](int col) -> const std::string& { return t.Cell(col, R); };
  // The outlet count of the last datagram. Devices send 1 to 8; a forged
  // count word may read up to 9999, of which only the grid's rows are shown.
  const int n = std::min(DecimalOr(cell(dtcol::OlCount), 0), kDataRows);

  Grid& g = StringGrid2;
  for (int r = 0; r < g.RowCount(); ++r)
    for (int c = 0; c < g.ColCount(); ++c) g.SetCell(c, r, std::string());
  auto row = [&g](int r, const std::string& c0, const std::string& c1, const std::string& c2) {
    g.SetCell(0, r, c0);
    g.SetCell(1, r, c1);
    g.SetCell(2, r, c2);
  };

  const std::string& cat = category.empty() ? std::string("ネットワーク") : category;
  if (cat == "状態表示") {
    row(0, "No", "設定内容", "状態");
    for (int i = 1; i <= n; ++i)
      row(i, std::to_string(i), ItemCodeText(Copy(cell(dtcol::ItemKinds), i, 1), 3),
          ItemStateText(app.item_states().ItemState(R, i)));
  } else if (cat == "アウトレット") {
    row(0, "No", "電源状態", "アウトレット名称");
    for (int i = 1; i <= n; ++i)
      row(i, std::to_string(i), ItemCodeText(WordAt(cell(dtcol::PngPower), i), 1),
          CsvField(cell(dtcol::OutletNames), i));
  } else if (cat == "温度監視") {
    row(0, "", "名", "値");
    const std::string u = cell(dtcol::UpperAlarm).empty() ? "" : "℃";
    const std::string& cur = cell(dtcol::CurTemp);
    row(1, "", "現在温度", cur.empty() ? cur : cur + "℃");
    row(2, "", "上限警報", cell(dtcol::UpperAlarm) + u);
    row(3, "", "上限注意", cell(dtcol::UpperCaution) + u);
    row(4, "", "上限Hys", cell(dtcol::UpperHys) + u);
    row(5, "", "下限警報", cell(dtcol::LowerAlarm) + u);
    row(6, "", "下限注意", cell(dtcol::LowerCaution) + u);
    row(7, "", "下限Hys", cell(dtcol::LowerHys) + u);
    row(8, "", "UpperOff", cell(dtcol::UpperOff));
    row(9, "", "LowerOff", cell(dtcol::LowerOff));
    row(10, "", "Status", cell(dtcol::Status));
    row(11, "", "ActionStatus", cell(dtcol::ActionStatus));
    row(12, "", "TempEnabled", cell(dtcol::TempEnabled));
    row(13, "", "TestMode", cell(dtcol::TestMode));
    row(14, "", "TestSimMode", cell(dtcol::TestSimMode));
  } else if (cat == "ネットワーク") {
    row(0, "", "名", "値");
    row(1, "", "更新日時", cell(dtcol::RecvDate) + " " + cell(dtcol::RecvTime));
    const std::string& mac = cell(dtcol::MacAddress);
    if (mac.compare(0, 8, "FF:FF:FF") == 0)
      row(2, "", "ターミナルID", ZeroPad(HexToInt(Copy(mac, 13, 2) + Copy(mac, 16, 2)), 3));
    else
      row(2, "", "MACアドレス", mac);
    row(3, "", "IPアドレス", cell(dtcol::IpAddress));
    const std::string& connect = cell(dtcol::ConnectInfo);
    row(4, "", "接続方式", CsvField(connect, 1));
    row(5, "", "接続IPアドレス", CsvField(connect, 2));
    row(6, "", "接続PORT", CsvField(connect, 3));
  } else if (cat == "設定内容") {
    row(0, "No", "名", "値");
    row(1, "", "ID番号", DeviceIdText(R));
    row(2, "", "機器名称", cell(dtcol::DeviceName));
    row(3, "", "グループ名", GroupBaseText(cell(dtcol::GroupName)));
    row(4, "", "アウトレット数", CsvField(cell(dtcol::OutletInfo), 1));
    row(5, "", "PING監視数", CsvField(cell(dtcol::OutletInfo), 2));
    row(6, "", "前回受信時間", cell(dtcol::PrevRecv));
  } else if (cat == "ログ記録") {
    row(0, "No", "記録", "ファイル名");
    const DateTime now = app.clock().Now();
    for (int i = 1; i <= n; ++i)
      row(i, std::to_string(i), Copy(cell(dtcol::LogFlags), i, 1) == "1" ? "有効" : "無効",
          OutletCsvLogName(R, i, now));
  } else if (cat == "メモ") {
    row(0, "", "", "メモ内容");
    g.SetCell(2, 1, cell(dtcol::DeviceMemo));
  }
}

CellDrawing DetailGrid::StringGrid2DrawCell(int col, int row, const CellRect& rect) const {
  CellDrawing d;
  if (col != 1 && col != 2) return d;
  d.draw = true;
  d.text = StringGrid2.Cell(col, row);
  d.color = DetailTextColor(col, d.text);
  d.x = rect.left + 2;
  d.y = rect.top + 2;
  return d;
}

}  // namespace zol
