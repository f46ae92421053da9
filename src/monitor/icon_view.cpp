#include "monitor/icon_view.h"

#include <algorithm>
#include <climits>
#include <utility>

#include "common/text.h"
#include "console/app.h"
#include "console/chart_window.h"
#include "console/console_settings.h"
#include "console/device_window.h"
#include "monitor/change_detection.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "monitor/item_state.h"
#include "monitor/monitoring.h"

namespace zol {

std::string ItemKey(int row, int outlet) {
  if (row < 0 || row > 9999 || outlet < 0 || outlet > 9999) return ZeroPad(row, 4) + " " + ZeroPad(outlet, 4);
  char key[9];
  ZeroPad4(row, key);
  key[4] = ' ';
  ZeroPad4(outlet, key + 5);
  return std::string(key, sizeof key);
}

std::string ItemWindowKey(const std::string& key, int image) { return key + " " + std::to_string(image); }

int KeyRow(const std::string& key, int def) { return DecimalOr(CopyView(key, 1, 4), def); }

int KeyOutlet(const std::string& key, int def) { return DecimalOr(CopyView(key, 6, 4), def); }

namespace {

// Row and outlet of a key, as FindIcon compares them.
std::pair<int, int> IndexKeyOf(const std::string& key) {
  return {WordDecimalOr(CopyView(key, 1, 4), 0), WordDecimalOr(CopyView(key, 6, 4), 0)};
}

// Whether key is the key of (row, outlet) as FindIcon compares them: its
// own text ItemKey(row, outlet) answers at once, any other is read.
bool KeyOf(const std::string& key, const std::pair<int, int>& want) {
  if (key.size() == 9 && want.first >= 0 && want.first <= 9999 && want.second >= 0 && want.second <= 9999) {
    char text[9];
    ZeroPad4(want.first, text);
    text[4] = ' ';
    ZeroPad4(want.second, text + 5);
    if (key.compare(0, 9, text, 9) == 0) return true;
  }
  return IndexKeyOf(key) == want;
}

}  // namespace

IconView::IconView(App& a) : app(a) {
  ToolButton3.SetHint("ALL");
  const char* hints[8] = {"", "アウトレット", "PING監視", "温度監視", "OK", "!", "NG", "?"};
  for (int i = 1; i <= 7; ++i) {
    ToolButtonChk[i].SetHint(hints[i]);
    ToolButtonChk[i].SetDown(true);
  }
}

int IconView::FindIcon(int row, int outlet) {
  const std::pair<int, int> want(row, outlet);
  // A row's items are evaluated in outlet order: the icon after the one
  // found last is looked at first. It answers only where the search below
  // would give the same icon (the first of the key, the index current).
  const size_t h = find_hint_;
  if (IconIndexSorted && h < IconIndex.size() && IconIndex.size() == ListView1.Count() && IconIndex[h] == want &&
      (h == 0 || IconIndex[h - 1] < want) && KeyOf(ListView1.Item(h).key, want)) {
    find_hint_ = h + 1;
    return static_cast<int>(h);
  }
  for (int pass = 0; pass < 2; ++pass) {
    // Icons are only appended between full re-indexings; a view that shrank
    // under the index, or changed under it (a stale entry below), is indexed
    // again from scratch.
    if (pass == 1 || ListView1.Count() < IconIndex.size()) {
      IconIndex.clear();
      IconIndexSorted = true;
    }
    const size_t fresh = IconIndex.size();  // entries from here on are new
    for (size_t k = fresh; k < ListView1.Count(); ++k) {
      IconIndex.push_back(IndexKeyOf(ListView1.Item(k).key));
      if (k > 0 && IconIndex[k] < IconIndex[k - 1]) IconIndexSorted = false;
    }
    // The first icon of the key.
    auto it = IconIndexSorted ? std::lower_bound(IconIndex.begin(), IconIndex.end(), want)
                              : std::find(IconIndex.begin(), IconIndex.end(), want);
    if (it == IconIndex.end() || *it != want) return -1;
    const size_t idx = static_cast<size_t>(it - IconIndex.begin());
    if (idx >= fresh || KeyOf(ListView1.Item(idx).key, want)) {
      find_hint_ = idx + 1;
      return static_cast<int>(idx);
    }
  }
  return -1;
}

ViewInputs IconView::Inputs() const {
  ViewInputs in;
  for (size_t b = 1; b <= 7; ++b) in.down[b] = ToolButtonChk[b].Down();
  in.timeout_min = app.settings().TimeOutMin;
  in.start_enabled = app.monitoring().ToolButton1.Enabled();
  in.table_rows = app.Form4().StringGrid1.RowCount();
  return in;
}

void IconView::ShownItems(const ItemRow& row, const bool down[8], std::vector<std::pair<int, std::string>>* shown) {
  shown->clear();
  const std::string& flags = app.Form4().StringGrid1.Cell(dtcol::IconFlags, row.row);
  const int outlets = std::min(row.outlets, kOutletSlots);
  for (int i = 1; i <= outlets && static_cast<size_t>(i) <= flags.size(); ++i) {
    if (flags[static_cast<size_t>(i - 1)] != '1') continue;
    std::string code = ItemStateOf(row, i);
    const int k = CodeDigit(code, 0, 99);
    const int s = CodeDigit(code, 1, 99);
    bool shown_item = true;
    if (!down[1] && k == 0) shown_item = false;
    if (!down[2] && k == 1) shown_item = false;
    if (!down[3] && k == 2) shown_item = false;
    if (!down[4] && s == 0) shown_item = false;
    if (!down[5] && s == 1) shown_item = false;
    if (!down[6] && s == 2) shown_item = false;
    if (down[1] && k == 0) shown_item = true;
    if (!down[7] && (s == 8 || s == 9)) shown_item = false;
    if (shown_item) shown->emplace_back(i, std::move(code));
  }
}

void IconView::IconReStetingDataPlain() {
  bool down[8];
  for (int b = 1; b <= 7; ++b) down[b] = ToolButtonChk[static_cast<size_t>(b)].Down();

  const std::string selected = SelectedKey();
  ListView1.Clear();
  KeyList.clear();
  IconIndex.clear();
  IconIndexSorted = true;

  const Grid& table = app.Form4().StringGrid1;
  const int64_t now = ReceiveClock(app.clock());
  const int TimeOutMin = app.settings().TimeOutMin;
  // Rows past the table's last written row hold no MAC.
  const int last = std::min(999, table.UsedRowCount() - 1);
  std::vector<std::pair<int, std::string>> shown;
  for (int r = 1; r <= last; ++r) {
    if (table.Cell(dtcol::MacAddress, r).size() <= 8) continue;
    const ItemRow row(table, r, now, TimeOutMin);
    ShownItems(row, down, &shown);
    for (const auto& item : shown) ListDataNew(row, item.first, item.second);
  }
  Reselect(selected);
}

std::string IconView::SelectedKey() const {
  const int sel = ListView1.Selected();
  return sel >= 0 && static_cast<size_t>(sel) < ListView1.Count() ? ListView1.Item(static_cast<size_t>(sel)).key
                                                                    : std::string();
}

void IconView::Reselect(const std::string& key) {
  if (key.empty()) return;
  ListView1.SetSelected(FindIcon(KeyRow(key, -1), KeyOutlet(key, -1)));
}

void IconView::IconReStetingData() {
  if (PlainRoad) {
    index_.Invalidate();
    IconReStetingDataPlain();
    return;
  }
  const ViewInputs inputs = Inputs();
  const Grid& table = app.Form4().StringGrid1;
  const int64_t now = ReceiveClock(app.clock());
  size_t begin = 0, end = 0;
  if (!index_.Current(inputs, ListView1, KeyList.size()) || !RowIcons(0, &begin, &end)) {
    // Something that every item reads has changed, or icons were added or
    // deleted outside a rebuild: the whole view is made again.
    IconReStetingDataPlain();
    RowIcons(0, &begin, &end);
    index_.Recorded(table, inputs, ListView1, now);
    return;
  }
  const std::string selected = SelectedKey();
  index_.ChangedRows(table, now, &changed_rows_);
  bool down[8];
  for (size_t b = 1; b <= 7; ++b) down[b] = inputs.down[b];
  for (int r : changed_rows_) RebuildRow(r, now, inputs.timeout_min, down);
  Reselect(selected);
  index_.ViewRecorded(table, ListView1);
}

void IconView::RebuildRow(int r, int64_t now, int timeout_min, const bool down[8]) {
  const Grid& table = app.Form4().StringGrid1;
  const ItemRow row(table, r, now, timeout_min);
  std::vector<std::pair<int, std::string>> shown;
  if (table.Cell(dtcol::MacAddress, r).size() > 8) ShownItems(row, down, &shown);

  size_t begin = 0, end = 0;
  RowIcons(r, &begin, &end);
  bool same = end - begin == shown.size();
  for (size_t k = 0; same && k < shown.size(); ++k) same = IconIndex[begin + k].second == shown[k].first;
  const std::string& names = table.Cell(dtcol::OutletNames, r);
  if (same) {
    // The icons start again from the outlet's name and picture 9.
    for (size_t k = 0; k < shown.size(); ++k) {
      const std::string_view name = CsvFieldView(names, shown[k].first);
      if (ListView1.Item(begin + k).caption != name) ListView1.SetCaption(begin + k, std::string(name));
      ListView1.SetImage(begin + k, kImageUnknown);
    }
  } else {
    const auto first = static_cast<long>(begin), last = static_cast<long>(end);
    ListView1.Delete(begin, end - begin);
    KeyList.erase(KeyList.begin() + first, KeyList.begin() + last);
    IconIndex.erase(IconIndex.begin() + first, IconIndex.begin() + last);
    for (size_t k = 0; k < shown.size(); ++k) {
      const int i = shown[k].first;
      IconItem icon;
      icon.image = kImageUnknown;
      icon.caption = CsvFieldView(names, i);
      icon.key = ItemKey(r, i);
      KeyList.insert(KeyList.begin() + first + static_cast<long>(k), icon.key);
      IconIndex.insert(IconIndex.begin() + first + static_cast<long>(k), std::make_pair(r, i));
      ListView1.Insert(begin + k, std::move(icon));
    }
  }
  ImagesChanged(r);
  for (const auto& item : shown) app.alerts().ListDataCheck(row, item.first, item.second);
  index_.RowRecorded(table, r, now);
}

bool IconView::RowIcons(int row, size_t* begin, size_t* end) {
  FindIcon(-1, -1);  // indexes the icons added since the last look
  *begin = *end = 0;
  if (!IconIndexSorted || IconIndex.size() != ListView1.Count()) return false;
  const auto from = std::lower_bound(IconIndex.begin(), IconIndex.end(), std::make_pair(row, INT_MIN));
  const auto to = std::lower_bound(from, IconIndex.end(), std::make_pair(row + 1, INT_MIN));
  *begin = static_cast<size_t>(from - IconIndex.begin());
  *end = static_cast<size_t>(to - IconIndex.begin());
  return true;
}

void IconView::ImagesChanged(int row) {
  if (row < 0) return;
  if (static_cast<size_t>(row) >= row_image_stamp_.size()) row_image_stamp_.resize(static_cast<size_t>(row) + 1, 0);
  row_image_stamp_[static_cast<size_t>(row)] = ++image_stamp_;
}

uint64_t IconView::RowImageStamp(int row) const {
  return row >= 0 && static_cast<size_t>(row) < row_image_stamp_.size() ? row_image_stamp_[static_cast<size_t>(row)] : 0;
}

void IconView::IconDataCheck() {
  size_t count[10] = {};
  if (PlainRoad) {
    for (size_t k = 0; k < ListView1.Count(); ++k) {
      const int image = ListView1.Item(k).image;
      if (image >= 0 && image <= 9) ++count[image];
    }
  } else {
    // The view keeps its icons counted by picture.
    for (int image = 0; image <= 9; ++image) count[image] = ListView1.ImageCount(image);
  }
  Panel12.SetCaption(std::to_string(count[0] + count[3]));
  Panel13.SetCaption(std::to_string(count[1] + count[4]));
  Panel14.SetCaption(std::to_string(count[2] + count[5]));
  Panel15.SetCaption(std::to_string(count[8] + count[9]));
  Panel17.SetCaption(std::to_string(count[7]));
  Panel19.SetCaption(std::to_string(count[6]));
}

void IconView::ListDataNew(int row, int outlet) {
  const int TimeOutMin = app.settings().TimeOutMin;
  const ItemRow item_row(app.Form4().StringGrid1, row, ReceiveClock(app.clock()), TimeOutMin);
  ListDataNew(item_row, outlet, ItemStateOf(item_row, outlet));
}

void IconView::ListDataNew(const ItemRow& row, int outlet, const std::string& code) {
  IconItem icon;
  icon.image = kImageUnknown;
  icon.caption = CsvFieldView(app.Form4().StringGrid1.Cell(dtcol::OutletNames, row.row), outlet);
  icon.key = ItemKey(row.row, outlet);
  KeyList.push_back(icon.key);
  ListView1.Add(std::move(icon));
  app.alerts().ListDataCheck(row, outlet, code);
}

void IconView::ListDataDel(int row, int outlet) {
  // Through the key index: the editor's pass of a rebuild deletes before it
  // adds each item, so a scan of the view would make the pass quadratic.
  const int k = FindIcon(row, outlet);
  if (k < 0) return;
  ListView1.Delete(static_cast<size_t>(k));
  IconIndex.clear();
  IconIndexSorted = true;
}

void IconView::LvIconClk() {
  for (size_t p = 0; p < 5; ++p) StatusBar1.SetPanel(p, std::string());
  const int sel = ListView1.Selected();
  if (sel < 0 || static_cast<size_t>(sel) >= ListView1.Count()) return;
  const std::string& key = ListView1.Item(static_cast<size_t>(sel)).key;
  const int r = KeyRow(key, 0);
  const int i = KeyOutlet(key, 0);
  const std::string code = app.item_states().ItemState(r, i);
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

void IconView::SelectIcon(const std::string& key) {
  const int idx = key.empty() ? -1 : FindIcon(KeyRow(key, -1), KeyOutlet(key, -1));
  if (idx == ListView1.Selected()) return;
  ListView1.SetSelected(idx);
  ListView1SelectItem();
}

void IconView::ListView1SelectItem() { LvIconClk(); }

void IconView::ListView1Click() {}

void IconView::ListView1DblClick() {
  MonitorControls& monitoring = app.monitoring();
  monitoring.ButtonPushMode();
  monitoring.ToolButton1.SetEnabled(!monitoring.ToolButton2.Enabled());
  const int sel = ListView1.Selected();
  if (sel < 0 || static_cast<size_t>(sel) >= ListView1.Count()) return;
  const IconItem& icon = ListView1.Item(static_cast<size_t>(sel));
  app.Form7().listicondata(ItemWindowKey(icon.key, icon.image), 0);
}

void IconView::ToolButton3Click() {
  for (int b = 1; b <= 7; ++b) ToolButtonChk[static_cast<size_t>(b)].SetDown(true);
  IconReStetingData();
  IconDataCheck();
}

// The click has already toggled the button.
void IconView::ToolButtonChk1Click() {
  IconReStetingData();
  IconDataCheck();
}
void IconView::ToolButtonChk2Click() {
  IconReStetingData();
  IconDataCheck();
}
void IconView::ToolButtonChk3Click() {
  IconReStetingData();
  IconDataCheck();
}
void IconView::ToolButtonChk4Click() {
  IconReStetingData();
  IconDataCheck();
}
void IconView::ToolButtonChk5Click() {
  IconReStetingData();
  IconDataCheck();
}
void IconView::ToolButtonChk6Click() {
  IconReStetingData();
  IconDataCheck();
}
void IconView::ToolButtonChk7Click() {
  IconReStetingData();
  IconDataCheck();
}

void IconView::BitBtn1Click() {
  const int TempDevice = app.settings().TempDevice;
  const std::string title =
      DeviceIdText(TempDevice) + " " + app.Form4().StringGrid1.Cell(dtcol::DeviceName, TempDevice);
  ChartWindow& chart = app.Form11();
  chart.SetChartTitle(title);
  chart.Show();
  chart.ChartRefresh();
}

}  // namespace zol
