// The detail window (Form6, "詳細情報"): everything the console knows about
// one registered device on four pages - its outlets, the PING watch of each
// outlet, the answers of each watched target and the temperature function.
// Filled from the device table row; refilled by every datagram of the
// device shown (DetailDevice), whether the window is open or not.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "common/controls.h"

namespace zol {

class App;

// The colour of a window's client area on the desktop (not an RGB value).
constexpr Color kWindowColor = 0x01000000;

// How one grid cell is painted: the fill, the font and its texts. A text
// is either centred in the cell, or drawn left-aligned 4 pixels from the
// left edge with its vertical centre dy pixels off the cell's centre.
struct CellText {
  std::string text;
  bool centred = true;
  int dy = 0;
};
struct CellPaint {
  Color fill = kWindowColor;
  Color font_color = 0x000000;
  int font_points = 11;
  std::vector<CellText> texts;
};

// The picture strip's bands: the ON picture, then the OFF picture.
constexpr int kStripOn = 0;
constexpr int kStripOff = 1;

class DetailWindow : public Form {
 public:
  explicit DetailWindow(App& app);
  virtual ~DetailWindow() = default;

  App& app;

  // The refill by a datagram of the device shown: Ol1_output, temp_output
  // and TmpPngrefh for the row. (Virtual, so that a test can watch the
  // moment at which the registration match reaches it.)
  virtual void Refill(int row);

  void FormCreate();
  // Headers, widths, header heights and row numbers of both grids.
  void Outletst();
  // Header fields, page 1, the PING columns of OlGrid and all of OlGrid2.
  void Ol1_output(int row);
  // Page 4 and the temperature rows of OlGrid (after Ol1_output).
  void temp_output(int row);
  // The OlGrid row of outlet index i (0-based) with a temperature action.
  void TmpPngSt(int row, int i);
  void TempStatusImg(int status);
  // The overlay cells (columns 1 and 2) of OlGrid for the row's outlets.
  void TmpPngrefh(int row);
  // How a cell of each grid is painted; OlGrid's overlay is computed here,
  // as the cell is painted.
  CellPaint OlGridDrawCell(int col, int row);
  CellPaint OlGrid2DrawCell(int col, int row) const;
  void BitBtn1Click();  // "閉じる"
  void Close() { Hide(); }

  // Opens the window on device row: DetailDevice := row, page "基本情報",
  // the device's values, its description line, page "温度情報" shown when
  // the device has the temperature function; then shows the window. The
  // device window's details button and the tree popup's "詳細(&S)" run it.
  void OpenDevice(int row);

  int ClientWidth = 0, ClientHeight = 0;
  // The device row the window was last filled from (0: never); the overlay
  // shows this row, so values and overlay always belong to one device.
  int OverlayRow = 0;

  Panel NamePanel;  // "機器名称"
  Panel MemoPanel;  // "メモ"
  Panel DatePanel;  // "更新時間"
  Button BitBtn1;   // "閉じる"
  PageControl PageControl1;
  // The four pages "基本情報", "死活状態", "応答状態", "温度情報".
  std::array<Control, 4> TabSheet;
  std::array<std::string, 4> TabCaption;

  // Page 1.
  Panel IpaddrPanel;
  Label Label7;  // "MACアドレス" / "ターミナルID"
  Panel MacAddrPanel;
  std::array<Label, 9> OlNoLabel;       // 1..8: the outlet number labels
  std::array<Panel, 9> OlNamePanel;     // 1..8
  std::array<StripImage, 9> OlImage;    // 1..8: ON / OFF picture (80 x 25)
  Label Label26;  // the device description

  // Pages 2 and 3.
  Grid OlGrid{8, 9};
  Grid OlGrid2{9, 9};

  // Page 4.
  Panel Panel10, Panel11, Panel12;  // upper alarm, caution, hysteresis
  Panel Panel13, Panel14, Panel15;  // lower alarm, caution, hysteresis
  // The setting lines "1" to "8".
  Panel Panel16, Panel17, Panel18, Panel19, Panel20, Panel21, Panel22, Panel23;
  ColorPanel AlamPanel;
  Label TempLabel;
  Panel& SettingLine(int i);  // i = 1..8: Panel16 .. Panel23

 private:
  CellPaint BaseCell(const Grid& grid, int col, int row) const;
};

}  // namespace zol
