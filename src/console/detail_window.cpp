#include "console/detail_window.h"

#include <algorithm>
#include <cstdint>

#include "common/text.h"
#include "console/app.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "monitor/item_state.h"

namespace zol {

namespace {

// The grids have rows for eight outlets and columns for four targets.
constexpr int kShownOutlets = 8;
constexpr int kShownTargets = 4;

constexpr Color kHeaderFill = 0xA6CAF0;
constexpr Color kNumberFill = 0x808080;
constexpr Color kLightGreen = 0xA0FFA0;
constexpr Color kLightRed = 0xFFA0A0;
constexpr Color kLightYellow = 0xFFFFA0;
constexpr Color kLightGrey = 0xE0E0E0;
constexpr Color kWhite = 0xFFFFFF;

// OutletInfo field 1 (n) or 2 (m), default 1.
int OutletInfoCount(const std::string& info, int field) { return DecimalOr(CsvFieldView(info, field), 1); }

// A per-outlet word read as hexadecimal, as decimal text.
std::string HexWordText(const std::string& list, int i) { return std::to_string(HexToInt(WordAt(list, i))); }

// The word of outlet i and target t of a no-response list of n outlets:
// four characters at 5(n(t - 1) + i - 1) + 1; empty past the text.
std::string NoRespWord(const std::string& list, int n, int i, int t) {
  const int64_t pos = 5 * (static_cast<int64_t>(n) * (t - 1) + i - 1) + 1;
  if (pos < 1 || pos > static_cast<int64_t>(list.size())) return std::string();
  return Copy(list, static_cast<int>(pos), 4);
}

std::string PingActionText(int32_t v) {
  switch (v) {
    case 0: return "無動作";
    case 1: return "ログのみ";
    case 2: return "リブート";
    case 9: return "不明";
    default: return std::string();
  }
}

}  // namespace

DetailWindow::DetailWindow(App& a) : app(a) {
  SetCaption("詳細情報");
  BitBtn1.SetCaption("閉じる");
  TabCaption = {"基本情報", "死活状態", "応答状態", "温度情報"};
  for (int k = 1; k <= kShownOutlets; ++k) OlNoLabel[static_cast<size_t>(k)].SetCaption(std::to_string(k));
  Label7.SetCaption("MACアドレス");
  TempLabel.SetCaption("");
}

Panel& DetailWindow::SettingLine(int i) {
  Panel* const lines[8] = {&Panel16, &Panel17, &Panel18, &Panel19, &Panel20, &Panel21, &Panel22, &Panel23};
  return *lines[std::clamp(i, 1, 8) - 1];
}

void DetailWindow::FormCreate() {
  ClientWidth = 490;
  ClientHeight = 480;
  PageControl1.SetActivePageIndex(0);
  Outletst();
}

void DetailWindow::Outletst() {
  static const char* const kOlHeaders[8] = {"No.",          "電源",            "判定/温度判断",
                                            "送信数/動作設定", "無応答/警報温度", "対象数/注意温度",
                                            "動作/Hys温度",  "実行数/現在温度"};
  for (int c = 0; c < 8; ++c) OlGrid.SetCell(c, 0, kOlHeaders[c]);
  OlGrid2.SetCell(0, 0, "No.");
  for (int t = 1; t <= kShownTargets; ++t) {
    OlGrid2.SetCell(2 * t - 1, 0, "状態");
    OlGrid2.SetCell(2 * t, 0, "無応答数");
  }
  OlGrid.SetColWidth(0, 25);
  OlGrid.SetColWidth(1, 65);
  for (int c = 2; c <= 7; ++c) OlGrid.SetColWidth(c, 60);
  OlGrid2.SetColWidth(0, 25);
  for (int c = 1; c <= 8; ++c) OlGrid2.SetColWidth(c, 53);
  for (Grid* g : {&OlGrid, &OlGrid2}) {
    g->SetRowHeight(0, 40);
    for (int r = 1; r <= 8; ++r) {
      g->SetRowHeight(r, 25);
      g->SetCell(0, r, std::to_string(r));
    }
  }
}

void DetailWindow::Ol1_output(int row) {
  const Grid& table = app.Form4().StringGrid1;
  const auto cell = [&](int col) -> const std::string& { return table.Cell(col, row); };
  const int n = OutletInfoCount(cell(dtcol::OutletInfo), 1);
  const int m = OutletInfoCount(cell(dtcol::OutletInfo), 2);
  // Outlets past the eighth and targets past the fourth have no place.
  const int shown_n = std::min(n, kShownOutlets);
  const int shown_m = std::min(m, kShownTargets);
  OverlayRow = row;

  for (Grid* g : {&OlGrid, &OlGrid2})
    for (int r = 1; r < g->RowCount(); ++r)
      for (int c = 1; c < g->ColCount(); ++c) g->SetCell(c, r, std::string());

  for (int k = 1; k <= kShownOutlets; ++k) {
    const bool on = k <= n;
    OlNoLabel[static_cast<size_t>(k)].SetVisible(on);
    OlNamePanel[static_cast<size_t>(k)].SetVisible(on);
    OlImage[static_cast<size_t>(k)].SetVisible(on);
  }

  DatePanel.SetCaption(cell(dtcol::RecvDate) + " " + cell(dtcol::RecvTime));
  NamePanel.SetCaption(cell(dtcol::DeviceName));
  MemoPanel.SetCaption(cell(dtcol::DeviceMemo));
  IpaddrPanel.SetCaption(cell(dtcol::SrcIp));

  const std::string& mac = cell(dtcol::SrcMac);
  if (Copy(mac, 1, 8) == "FF:FF:FF") {
    Label7.SetCaption("ターミナルID");
    MacAddrPanel.SetCaption(ZeroPad(HexToInt(Copy(mac, 13, 2) + Copy(mac, 16, 2)), 3));
  } else {
    Label7.SetCaption("MACアドレス");
    MacAddrPanel.SetCaption(mac);
  }

  const std::string& action = cell(dtcol::PngAction);
  for (int i = 1; i <= shown_n; ++i) {
    OlGrid.SetCell(3, i, HexWordText(cell(dtcol::PngSendNum), i));
    OlGrid.SetCell(4, i, HexWordText(cell(dtcol::PngNoRespLimit), i));
    OlGrid.SetCell(5, i, HexWordText(cell(dtcol::PngTargetNum), i));
    OlGrid.SetCell(6, i, PingActionText(HexToInt(WordAt(action, i))));
    OlGrid.SetCell(7, i, HexWordText(cell(dtcol::PngExecNum), i));
  }

  for (int i = 1; i <= shown_n; ++i) {
    const int32_t act = HexToInt(WordAt(action, i));
    const int32_t limit = HexToInt(WordAt(cell(dtcol::PngNoRespLimit), i));
    for (int t = 1; t <= shown_m; ++t) {
      const std::string word = NoRespWord(cell(dtcol::PngNoResp), n, i, t);
      if (word.empty()) break;  // the outlet's further targets are not reported
      const int32_t v = HexToInt(word);
      std::string state;
      if (act > 0) {
        state = v == 0 ? "正常" : v == limit ? "異常" : "注意";
        OlGrid2.SetCell(2 * t, i, std::to_string(HexToInt(NoRespWord(cell(dtcol::PngNoResp2), n, i, t))));
      }
      OlGrid2.SetCell(2 * t - 1, i, state);
    }
  }

  const std::string& words = cell(dtcol::OlWordA);
  const std::string& names = cell(dtcol::OutletNames);
  for (int i = 1; i <= shown_n; ++i) {
    const std::string word = WordAt(words, i);
    // Only 1 (ON) and 0 (OFF) have a picture; an empty word or any other
    // value shows none rather than a picture of another device or state.
    const int32_t v = HexToInt(word);
    OlImage[static_cast<size_t>(i)].SetBand(word.empty() ? StripImage::kNone
                                            : v == 1     ? kStripOn
                                            : v == 0     ? kStripOff
                                                         : StripImage::kNone);
    OlNamePanel[static_cast<size_t>(i)].SetCaption(CsvField(names, i));
  }
}

void DetailWindow::temp_output(int row) {
  const Grid& table = app.Form4().StringGrid1;
  const auto cell = [&](int col) -> const std::string& { return table.Cell(col, row); };
  TempLabel.SetCaption(cell(dtcol::CurTemp));
  Panel10.SetCaption(cell(dtcol::UpperAlarm));
  Panel11.SetCaption(cell(dtcol::UpperCaution));
  Panel12.SetCaption(cell(dtcol::UpperHys));
  Panel13.SetCaption(cell(dtcol::LowerAlarm));
  Panel14.SetCaption(cell(dtcol::LowerCaution));
  Panel15.SetCaption(cell(dtcol::LowerHys));
  for (int i = 1; i <= 8; ++i) SettingLine(i).SetCaption(std::string());
  TempStatusImg(DecimalOr(cell(dtcol::Status), 99));

  const int n = std::min(OutletInfoCount(cell(dtcol::OutletInfo), 1), kShownOutlets);
  const std::string& actions = cell(dtcol::TmpActions);
  for (int i = 1; i <= n; ++i) {
    const int32_t a = DecimalOr(ByteItemAt(actions, i), 0);
    std::string line = "温度が";
    if (a == 1 || a == 3) line += Panel10.Caption();
    if (a == 2 || a == 4) line += Panel13.Caption();
    if (a > 0) TmpPngSt(row, i - 1);
    if (a == 1 || a == 3) line += "℃以上になった場合、";
    if (a == 2 || a == 4) line += "℃以下になった場合、";
    if (a == 0) line.clear();
    else if (a == 1 || a == 2) line += "アウトレット" + std::to_string(i) + "をON";
    else if (a == 3 || a == 4) line += "アウトレット" + std::to_string(i) + "をOFF";
    SettingLine(i).SetCaption(line);
  }
}

void DetailWindow::TmpPngSt(int row, int i) {
  const int32_t a = DecimalOr(ByteItemAt(app.Form4().StringGrid1.Cell(dtcol::TmpActions, row), i + 1), 0);
  if (a < 1 || a > 4) return;
  const bool upper = a == 1 || a == 3;
  static const char* const kSettings[5] = {"", "上限ON", "下限ON", "上限OFF", "下限OFF"};
  const int r = i + 1;
  OlGrid.SetCell(3, r, kSettings[a]);
  OlGrid.SetCell(4, r, (upper ? Panel10 : Panel13).Caption() + "℃");
  OlGrid.SetCell(5, r, (upper ? Panel11 : Panel14).Caption() + "℃");
  OlGrid.SetCell(6, r, (upper ? Panel12 : Panel15).Caption() + "℃");
  OlGrid.SetCell(7, r, TempLabel.Caption() + "℃");
}

void DetailWindow::TempStatusImg(int status) {
  switch (status) {
    case 1: AlamPanel.SetCaption("上限注意"); AlamPanel.SetBackColor(0xFFFF00); break;
    case 2: AlamPanel.SetCaption("上限警報"); AlamPanel.SetBackColor(0xFF0000); break;
    case 3: AlamPanel.SetCaption("下限注意"); AlamPanel.SetBackColor(0xFFFF00); break;
    case 4: AlamPanel.SetCaption("下限警報"); AlamPanel.SetBackColor(0xFF0000); break;
    case 99: AlamPanel.SetCaption("未測定"); AlamPanel.SetBackColor(0xC0C0C0); break;
    default: AlamPanel.SetCaption("正常"); AlamPanel.SetBackColor(0x00FF00); break;
  }
}

void DetailWindow::TmpPngrefh(int row) {
  OverlayRow = row;
  OlGrid.Invalidate();  // the overlay is computed as the cells are painted
}

CellPaint DetailWindow::BaseCell(const Grid& grid, int col, int row) const {
  CellPaint p;
  if (row == 0) {
    p.fill = kHeaderFill;
    p.font_points = 9;
  } else if (col == 0) {
    p.fill = kNumberFill;
    p.font_color = kWhite;
  }
  const std::string& text = grid.Cell(col, row);
  const size_t slash = text.find('/');
  if (slash == std::string::npos) {
    p.texts.push_back(CellText{text, true, 0});
  } else {
    p.texts.push_back(CellText{text.substr(0, slash), false, -8});
    p.texts.push_back(CellText{text.substr(slash + 1), false, 8});
  }
  return p;
}

CellPaint DetailWindow::OlGrid2DrawCell(int col, int row) const { return BaseCell(OlGrid2, col, row); }

CellPaint DetailWindow::OlGridDrawCell(int col, int row) {
  CellPaint p = BaseCell(OlGrid, col, row);
  if (OverlayRow <= 0 || row < 1 || (col != 1 && col != 2)) return p;
  const Grid& table = app.Form4().StringGrid1;
  const auto cell = [&](int c) -> const std::string& { return table.Cell(c, OverlayRow); };
  const int n = std::min(OutletInfoCount(cell(dtcol::OutletInfo), 1), kShownOutlets);
  if (row > n) return p;
  const int i = row;
  p.texts.assign(1, CellText{});
  if (col == 1) {
    const bool off = DecimalOr(WordAt(cell(dtcol::PngPower), i), 0) == 0;
    p.fill = off ? kLightGrey : kLightGreen;
    p.texts[0].text = off ? "OFF" : "ON";
    return p;
  }
  p.fill = kWhite;
  const std::string code = app.item_states().ItemState(OverlayRow, i);
  const char kind = code.empty() ? ' ' : code[0];
  const char digit = code.size() > 1 ? code[1] : ' ';
  std::string& text = p.texts[0].text;
  if (kind == '1') {
    switch (DecimalOr(WordAt(cell(dtcol::PngJudge), i), 0)) {
      case 0: case 1: p.fill = kLightGreen; text = "正常"; break;
      case 2: p.fill = kLightRed; text = "異常"; break;
      case 3: p.fill = kLightYellow; text = "回復中"; break;
      default: break;
    }
  } else if (kind == '2') {
    if (digit == '0') p.fill = kLightGreen, text = "正常";
    else if (digit == '1') p.fill = kLightYellow, text = "注意";
    else if (digit == '2') p.fill = kLightRed, text = "警報";
    if (digit != '0' && DecimalOr(cell(dtcol::ActionStatus), 0) > 0) text = "実行中";
  }
  return p;
}

void DetailWindow::Refill(int row) {
  Ol1_output(row);
  temp_output(row);
  TmpPngrefh(row);
}

void DetailWindow::BitBtn1Click() { Close(); }

void DetailWindow::OpenDevice(int row) {
  app.receive_view().DetailDevice = row;
  PageControl1.SetActivePageIndex(0);
  Ol1_output(row);
  temp_output(row);
  const Grid& table = app.Form4().StringGrid1;
  Label26.SetCaption(table.Cell(dtcol::DeviceInfo, row));
  TabSheet[3].SetVisible(DecimalOr(table.Cell(dtcol::TempEnabled, row), 0) > 0);
  Show();
}

}  // namespace zol
