// The detail grid under the device tree (Form2.StringGrid2): a click on a
// device node or one of its category nodes fills it with one category of
// that device's data, read from the device-table row at the moment of the
// click. It is a snapshot: later datagrams do not refresh it. State words
// are drawn in colour by a rule of their text (DetailTextColor).
#pragma once

#include <optional>
#include <string>

#include "common/controls.h"

namespace zol {

class App;

// Item code texts: mode 1 the outlet power text of a four-character word
// ("ON" when it reads as a non-zero decimal number, else "OFF"); mode 3 the
// kind text of an item kind character ("電源状態", "PING監視", "温度監視"; a
// character that is not a digit or is missing reads as 0, any other number
// gives the empty text). Any other mode gives the empty text.
std::string ItemCodeText(const std::string& code, int mode);

// The state text of an item code (kind digit, state digit), empty for a
// combination without one.
std::string ItemStateText(const std::string& code);

// Colours of the grid's state words, as 0xRRGGBB.
constexpr Color kDetailGreen = 0x008000;
constexpr Color kDetailBlue = 0x0000FF;
constexpr Color kDetailOlive = 0x808000;
constexpr Color kDetailRed = 0xFF0000;

// The font colour of a cell's text by its column and text; none for the
// grid's normal colour. Column 2: "電源ON"/"正常" green, "TimeOut"/"不明" blue,
// "注意" olive, "警報"/"異常" red; column 1: "ON" green; whatever the category.
std::optional<Color> DetailTextColor(int col, const std::string& text);

// A cell's rectangle in pixels, as the view paints it.
struct CellRect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

// What the cell painting handler draws over the grid's own painting of a
// cell: nothing (the grid's painting alone), or the text at (x, y) in a
// colour (none: the grid's normal font colour for the cell's state).
struct CellDrawing {
  bool draw = false;
  std::string text;
  std::optional<Color> color;
  int x = 0, y = 0;
};

class DetailGrid {
 public:
  explicit DetailGrid(App& app);

  App& app;

  // 5 columns by 30 rows; column 0 and row 0 fixed; whole-row selection.
  Grid StringGrid2{5, 30};

  // The data rows below the header row.
  static constexpr int kDataRows = 29;

  // No selection, scrolled to the first column and row after the fixed ones.
  void StringGridSelectClear();

  // The tree's click handler, run after a click has selected a node: the
  // node's level-1 and level-2 ancestor texts go to NodeClick.
  void TreeView1Click();

  // The click on a node, given the texts of the clicked node's
  // level-1 and level-2 ancestors (the node's own text at its own level,
  // empty deeper than the node): clears the selection, then fills the grid
  // when the level-1 text names a registered device ("ID" and a device ID
  // from 1), with the level-2 text as the category (empty: the device node
  // itself). A group, G000 or an unregistered device keeps what the grid
  // shows.
  void NodeClick(const std::string& level1, const std::string& level2);

  // Fills the grid with a category of device R: every cell emptied, the
  // header row included, then the header and rows of the category; an
  // empty category shows "ネットワーク", an unknown one leaves the grid empty.
  void TreeDataState(int R, const std::string& category);

  // The cell painting handler: for columns 1 and 2, the cell's text 2
  // pixels right of and below the cell's corner in its colour; other
  // columns are drawn by the grid alone.
  CellDrawing StringGrid2DrawCell(int col, int row, const CellRect& rect) const;

};

}  // namespace zol
