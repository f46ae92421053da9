// The icon view of the main window: one icon per monitored item, the
// filter buttons, the header counters and the status bar; and the keys of
// its items.
#pragma once

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "common/controls.h"
#include "monitor/item_index.h"

namespace zol {

// ZeroPad(row, 4) + " " + ZeroPad(outlet, 4): "0007 0003".
std::string ItemKey(int row, int outlet);

// ItemKey + " " + the icon's image: "0007 0003 2". The device window reads
// the row from characters 1-4, the outlet from 6-9 and the image from 11-12.
std::string ItemWindowKey(const std::string& key, int image);

// Row and outlet of a key (characters 1-4 and 6-9 as decimal numbers).
int KeyRow(const std::string& key, int def);
int KeyOutlet(const std::string& key, int def);

class App;
struct ItemRow;

class IconView {
 public:
  explicit IconView(App& app);

  App& app;

  IconList ListView1;
  std::vector<std::string> KeyList;
  Button ToolButton3;  // "ALL"
  std::array<Button, 8> ToolButtonChk;  // index 1..7 = ToolButtonChk1..7
  Panel Panel12, Panel13, Panel14, Panel15, Panel17, Panel19;  // header counters
  StatusBar StatusBar1{5};

  // The view made again from the device table: what IconReStetingDataPlain
  // makes, with the work of the rows whose inputs changed since the last
  // rebuild only (see ItemIndex).
  void IconReStetingData();
  // The straightforward rebuild: every icon removed, every shown item of
  // every registered row added and evaluated again. The selected icon stays
  // selected by its key while its item is shown, so a datagram between the
  // operator's clicks does not take the operator's choice away.
  void IconReStetingDataPlain();
  void IconDataCheck();
  void ListDataNew(int row, int outlet);
  void ListDataDel(int row, int outlet);
  void LvIconClk();
  // The operator selects the icon of key (empty: none, as a click on empty
  // space): the first icon of that key is selected, none when no icon has
  // it, and ListView1SelectItem runs when the selection changed. The view
  // names the icon that was under the pointer by its key, so the selection
  // is the icon pointed at whatever rebuilds came since.
  void SelectIcon(const std::string& key);
  void ListView1SelectItem();
  void ListView1Click();
  void ListView1DblClick();
  void ToolButton3Click();
  void ToolButtonChk1Click();
  void ToolButtonChk2Click();
  void ToolButtonChk3Click();
  void ToolButtonChk4Click();
  void ToolButtonChk5Click();
  void ToolButtonChk6Click();
  void ToolButtonChk7Click();
  void BitBtn1Click();  // chart button
  // The first icon of the item (row, outlet), -1 for none. Backed by an
  // index from key to icon so that a rebuild stays linear; icons are added
  // and removed only by IconReStetingData, ListDataNew and ListDataDel.
  int FindIcon(int row, int outlet);
  // Row and outlet of each icon's key, in icon order (the first icons of
  // the view); a binary search serves while they ascend, as a rebuild
  // leaves them.
  std::vector<std::pair<int, int>> IconIndex;
  bool IconIndexSorted = true;
  // ListDataNew on a row whose cells were looked up once, with the item's
  // ItemState code already computed from it (the rebuild evaluates every
  // outlet of a row from one lookup).
  void ListDataNew(const ItemRow& row, int outlet, const std::string& code);

  // true: the datagram's road reads the whole table every time (the plain
  // rebuild, counters, time-out scan and node icons), the reference that the
  // incremental road is tested against.
  bool PlainRoad = false;

  // The icons of row in the view, [*begin, *end); false when the view is
  // not in the rebuild's order (icons added or deleted singly since).
  bool RowIcons(int row, size_t* begin, size_t* end);
  // Raised whenever change detection or a rebuild sets an icon's picture,
  // per row and for the whole view, so the time-out scan knows when to look
  // at a row's pictures again.
  void ImagesChanged(int row);
  uint64_t ImageStamp() const { return image_stamp_; }
  uint64_t RowImageStamp(int row) const;

 private:
  // The shown outlets of row r with their item codes, as the rebuild
  // decides them.
  void ShownItems(const ItemRow& row, const bool down[8], std::vector<std::pair<int, std::string>>* shown);
  // Row r of the view made again in place: its icons re-created (picture 9,
  // the outlet's name) and evaluated, as the plain rebuild would.
  void RebuildRow(int r, int64_t now, int timeout_min, const bool down[8]);
  ViewInputs Inputs() const;
  // The key of the selected icon, empty for none; after a rebuild the first
  // icon of that key is selected again (none when it is no longer shown).
  std::string SelectedKey() const;
  void Reselect(const std::string& key);
  ItemIndex index_;
  size_t find_hint_ = 0;  // the icon after the one FindIcon found last
  std::vector<int> changed_rows_;
  std::vector<uint64_t> row_image_stamp_;
  uint64_t image_stamp_ = 0;
};

}  // namespace zol
