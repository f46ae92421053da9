// Headless controls: the state of a window's controls as plain objects. The
// console's logic reads and writes them; the Qt layer mirrors them into
// widgets and forwards the operator's events. Every change raises the
// control's revision, by which the mirror finds what to repaint.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace zol {

class Control {
 public:
  uint64_t Revision() const { return revision_; }
  bool Visible() const { return visible_; }
  void SetVisible(bool v) { Set(visible_, v); }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v) { Set(enabled_, v); }
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& v) { Set(hint_, v); }

 protected:
  template <typename T>
  void Set(T& field, const T& value) {
    if (field == value) return;
    field = value;
    Touch();
  }
  void Touch() { ++revision_; }

 private:
  uint64_t revision_ = 0;
  bool visible_ = true;
  bool enabled_ = true;
  std::string hint_;
};

// RGB colour as 0xRRGGBB.
using Color = uint32_t;

// Label, panel, button and edit field share a caption (their text).
class TextControl : public Control {
 public:
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& v) { SetText(v); }
  const std::string& Text() const { return caption_; }
  void SetText(const std::string& v) {
    Set(caption_, v);
    Set(unheld_, false);
  }
  // The operator's typing as the Qt layer converts it: held is false when
  // it holds characters that Shift-JIS cannot hold, which stand as "?" in
  // the text. Such a text is not the operator's: Unheld() says so until the
  // operator or the program sets a text again, and the window that would
  // store it refuses (UnheldField).
  void SetTypedText(const std::string& v, bool held) {
    Set(caption_, v);
    Set(unheld_, !held);
  }
  bool Unheld() const { return unheld_; }
  Color FontColor() const { return font_color_; }
  void SetFontColor(Color c) { Set(font_color_, c); }
  // An entry box's limits on what the operator types or pastes (the
  // program's own texts are not cut): at most this many bytes of Shift-JIS,
  // a double-byte character counting two (0: no limit), and a character the
  // box refuses (0: none). FitTypedText (common/text.h) applies them.
  size_t MaxBytes() const { return max_bytes_; }
  void SetMaxBytes(size_t n) { Set(max_bytes_, n); }
  char RefusedChar() const { return refused_; }
  void SetRefusedChar(char c) { Set(refused_, c); }

 private:
  std::string caption_;
  Color font_color_ = 0x000000;
  size_t max_bytes_ = 0;
  char refused_ = 0;
  bool unheld_ = false;
};

// A text field of a window and the name the operator knows it by.
struct NamedField {
  const TextControl* field;
  const char* name;
};
// The name of the first field whose typed text Shift-JIS cannot hold, or
// nullptr.
inline const char* UnheldField(std::initializer_list<NamedField> fields) {
  for (const NamedField& f : fields)
    if (f.field->Unheld()) return f.name;
  return nullptr;
}
// The warning that refuses such a field.
inline std::string UnheldMessage(const std::string& name) { return name + "に使用できない文字が含まれています。"; }

using Label = TextControl;
using Panel = TextControl;
using Edit = TextControl;

// Push button, or a check-style tool button with a down state.
class Button : public TextControl {
 public:
  bool Down() const { return down_; }
  void SetDown(bool v) { Set(down_, v); }

 private:
  bool down_ = false;
};

class CheckBox : public TextControl {
 public:
  bool Checked() const { return checked_; }
  void SetChecked(bool v) { Set(checked_, v); }

 private:
  bool checked_ = false;
};

// A radio button: checked or not. The window keeps its group to one checked
// button.
using RadioButton = CheckBox;

// A list of text lines: text box (memo), list box, rich edit.
class Lines : public Control {
 public:
  size_t Count() const { return lines_.size(); }
  const std::string& operator[](size_t i) const { return lines_[i]; }
  const std::vector<std::string>& All() const { return lines_; }
  std::string Line(size_t i) const { return i < lines_.size() ? lines_[i] : std::string(); }
  void SetLine(size_t i, const std::string& s) {
    if (i >= lines_.size()) lines_.resize(i + 1);
    lines_[i] = s;
    Touch();
  }
  void Add(const std::string& s) {
    lines_.push_back(s);
    Touch();
  }
  void Insert(size_t i, std::string s) {
    if (i > lines_.size()) i = lines_.size();
    lines_.insert(lines_.begin() + static_cast<long>(i), std::move(s));
    Touch();
  }
  void Delete(size_t i) {
    if (i >= lines_.size()) return;
    lines_.erase(lines_.begin() + static_cast<long>(i));
    Touch();
  }
  void Clear() {
    if (lines_.empty()) return;
    lines_.clear();
    Touch();
  }
  void Assign(std::vector<std::string> lines) {
    lines_ = std::move(lines);
    Touch();
  }
  // Takes lines as the new lines and leaves the old ones in lines, so a
  // writer that replaces every line can reuse their strings.
  void Swap(std::vector<std::string>& lines) {
    lines_.swap(lines);
    Touch();
  }
  // Selected line, -1 for none.
  int ItemIndex() const { return item_index_; }
  void SetItemIndex(int i) { Set(item_index_, i); }

 private:
  std::vector<std::string> lines_;
  int item_index_ = -1;
};

using ListBox = Lines;
using Memo = Lines;

// A list box whose lines carry check marks (CheckListBox).
class CheckListBox : public Control {
 public:
  size_t Count() const { return items_.size(); }
  const std::string& operator[](size_t i) const { return items_[i].text; }
  bool Checked(size_t i) const { return i < items_.size() && items_[i].checked; }
  void SetChecked(size_t i, bool v) {
    if (i >= items_.size() || items_[i].checked == v) return;
    items_[i].checked = v;
    Touch();
  }
  void Add(const std::string& text, bool checked) {
    items_.push_back({text, checked});
    Touch();
  }
  void Clear() {
    if (items_.empty()) return;
    items_.clear();
    item_index_ = -1;
    Touch();
  }
  int ItemIndex() const { return item_index_; }
  void SetItemIndex(int i) { Set(item_index_, i); }

 private:
  struct Item {
    std::string text;
    bool checked;
  };
  std::vector<Item> items_;
  int item_index_ = -1;
};

// Combo box: its items and the chosen one.
class ComboBox : public TextControl {
 public:
  Lines items;
  int ItemIndex() const { return item_index_; }
  void SetItemIndex(int i) { Set(item_index_, i); }

 private:
  int item_index_ = -1;
};

// A grid of text cells, addressed (column, row) from 0.
class Grid : public Control {
 public:
  Grid(int cols, int rows)
      : cols_(cols), rows_(rows), cells_(static_cast<size_t>(cols * rows)), row_revisions_(static_cast<size_t>(rows)) {}
  int ColCount() const { return cols_; }
  int RowCount() const { return rows_; }
  void SetRowCount(int rows) {
    if (rows < 0) rows = 0;
    cells_.resize(static_cast<size_t>(cols_ * rows));
    row_revisions_.assign(static_cast<size_t>(rows), ++cell_revision_);
    // Every row counts as written: the history starts again from here.
    writes_.clear();
    writes_floor_ = cell_revision_;
    rows_ = rows;
    if (used_rows_ > rows) used_rows_ = rows;
    Touch();
  }
  // Raised by every write of a cell (and by a change of the row count): the
  // whole grid's count, and per row the count at that row's last write, so
  // a reader that keeps what it derived from a row knows which rows to read
  // again.
  uint64_t CellRevision() const { return cell_revision_; }
  uint64_t RowRevision(int row) const {
    return row >= 0 && row < rows_ ? row_revisions_[static_cast<size_t>(row)] : 0;
  }
  // The rows written after the grid's CellRevision was since, ascending,
  // each once. false when the grid no longer holds that part of its history
  // (it keeps the last few thousand writes, and none from before the last
  // change of the row count): the reader then compares every row's
  // RowRevision.
  bool RowsWrittenSince(uint64_t since, std::vector<int>* rows) const {
    rows->clear();
    if (since < writes_floor_ || since > cell_revision_) return false;
    auto it = std::upper_bound(writes_.begin(), writes_.end(), since,
                               [](uint64_t rev, const Write& w) { return rev < w.revision; });
    for (; it != writes_.end(); ++it) rows->push_back(it->row);
    if (rows->size() > 1) {
      std::sort(rows->begin(), rows->end());
      rows->erase(std::unique(rows->begin(), rows->end()), rows->end());
    }
    return true;
  }
  // Every row from this one on holds only empty cells (rows past the last
  // row that was ever given a non-empty text), so a scan may stop here.
  int UsedRowCount() const { return used_rows_; }
  // Out-of-range reads give the empty text, out-of-range writes do nothing.
  const std::string& Cell(int col, int row) const {
    static const std::string kEmpty;
    if (!InRange(col, row)) return kEmpty;
    return cells_[Index(col, row)];
  }
  void SetCell(int col, int row, const std::string& v) {
    if (!InRange(col, row)) return;
    cells_[Index(col, row)] = v;
    if (!v.empty() && row >= used_rows_) used_rows_ = row + 1;
    row_revisions_[static_cast<size_t>(row)] = ++cell_revision_;
    Written(row);
    Touch();
  }
  // Selected row (whole-row selection), -1 for none.
  int Row() const { return row_; }
  void SetRow(int r) { Set(row_, r); }
  // Scroll position: the first column and row shown after the fixed ones.
  int LeftCol() const { return left_col_; }
  void SetLeftCol(int c) { Set(left_col_, c); }
  int TopRow() const { return top_row_; }
  void SetTopRow(int r) { Set(top_row_, r); }
  // Layout: the leading fixed (header) columns and rows, which stay in
  // place when the grid scrolls, the column widths and the row height in
  // pixels (0: the view's own).
  int FixedCols() const { return fixed_cols_; }
  int FixedRows() const { return fixed_rows_; }
  void SetFixed(int cols, int rows) {
    Set(fixed_cols_, cols);
    Set(fixed_rows_, rows);
  }
  int ColWidth(int col) const {
    return col >= 0 && static_cast<size_t>(col) < col_widths_.size() ? col_widths_[static_cast<size_t>(col)] : 0;
  }
  void SetColWidths(std::vector<int> widths) { Set(col_widths_, widths); }
  int DefaultRowHeight() const { return row_height_; }
  void SetDefaultRowHeight(int h) { Set(row_height_, h); }
  // One column's width; the height of one row, else the default height.
  void SetColWidth(int col, int px) { SetSize(col_widths_, col, px); }
  int RowHeight(int row) const {
    return row >= 0 && static_cast<size_t>(row) < row_heights_.size() && row_heights_[static_cast<size_t>(row)] > 0
               ? row_heights_[static_cast<size_t>(row)]
               : row_height_;
  }
  void SetRowHeight(int row, int px) { SetSize(row_heights_, row, px); }
  // Asks for a repaint: a grid whose cells are painted from more than their
  // texts changed what it shows.
  void Invalidate() { Touch(); }

 private:
  void SetSize(std::vector<int>& sizes, int i, int px) {
    if (i < 0) return;
    if (sizes.size() <= static_cast<size_t>(i)) sizes.resize(static_cast<size_t>(i) + 1, 0);
    Set(sizes[static_cast<size_t>(i)], px);
  }
  // The history of writes: one entry per run of writes to the same row,
  // with the revision of the run's last write, oldest first.
  struct Write {
    uint64_t revision;
    int row;
  };
  static constexpr size_t kWritesKept = 4096;
  void Written(int row) {
    if (!writes_.empty() && writes_.back().row == row) {
      writes_.back().revision = cell_revision_;
      return;
    }
    if (writes_.size() >= kWritesKept) {
      // The older half goes; a reader that far behind compares every row.
      const size_t gone = kWritesKept / 2;
      writes_floor_ = writes_[gone - 1].revision;
      writes_.erase(writes_.begin(), writes_.begin() + static_cast<long>(gone));
    }
    writes_.push_back(Write{cell_revision_, row});
  }
  std::vector<Write> writes_;
  uint64_t writes_floor_ = 0;  // no history for since below this
  std::vector<int> row_heights_;
  bool InRange(int c, int r) const { return c >= 0 && r >= 0 && c < cols_ && r < rows_; }
  size_t Index(int c, int r) const { return static_cast<size_t>(r) * static_cast<size_t>(cols_) + static_cast<size_t>(c); }
  int cols_;
  int rows_;
  std::vector<std::string> cells_;
  std::vector<uint64_t> row_revisions_;
  uint64_t cell_revision_ = 0;
  int row_ = -1;
  int used_rows_ = 0;
  int left_col_ = 0;
  int top_row_ = 0;
  int fixed_cols_ = 0;
  int fixed_rows_ = 0;
  std::vector<int> col_widths_;
  int row_height_ = 0;
};

// The status bar's panels.
class StatusBar : public Control {
 public:
  explicit StatusBar(size_t panels) : panels_(panels) {}
  size_t Count() const { return panels_.size(); }
  const std::string& Panel(size_t i) const { return panels_.at(i); }
  void SetPanel(size_t i, const std::string& v) {
    if (i < panels_.size() && panels_[i] != v) {
      panels_[i] = v;
      Touch();
    }
  }

 private:
  std::vector<std::string> panels_;
};

// Window state of a form: normal, minimised or maximised.
enum class WindowState { Normal, Minimized, Maximized };

// The two window messages the window-state component watches: the size
// notification (size type 0 restored, 1 minimised, 2 maximised) and the
// system command (0xF020 minimise, 0xF030 maximise, 0xF120 restore).
constexpr int kWmSize = 0x0005;
constexpr int kWmSysCommand = 0x0112;
constexpr int kScMinimize = 0xF020;
constexpr int kScMaximize = 0xF030;
constexpr int kScRestore = 0xF120;
struct WindowMessage {
  int msg = 0;
  int param = 0;
};

// A window: caption, shown or hidden, enabled, its window state.
class Form : public TextControl {
 public:
  Form() { SetVisible(false); }
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Asks for the window to be brought to the front of the others; counted,
  // so that a view sees every request.
  void BringToFront() {
    ++front_requests_;
    Touch();
  }
  uint64_t FrontRequests() const { return front_requests_; }

  WindowState State() const { return state_; }
  // The program sets the window state: the window gets the size
  // notification of the new state through its window procedure.
  void SetWindowState(WindowState s) {
    Perform(kWmSize, s == WindowState::Minimized ? 1 : s == WindowState::Maximized ? 2 : 0);
  }
  // Sends a message through the window procedure (a hook first, when one
  // is installed, else the default processing).
  void Perform(int msg, int param) {
    const WindowMessage m{msg, param};
    if (WindowProc) WindowProc(m);
    else DefaultWindowProc(m);
  }
  // The form's own processing: a size notification sets the state, a system
  // command performs the change, which sends its size notification back
  // through the window procedure.
  void DefaultWindowProc(const WindowMessage& m) {
    if (m.msg == kWmSize) {
      if (m.param == 0) Set(state_, WindowState::Normal);
      else if (m.param == 1) Set(state_, WindowState::Minimized);
      else if (m.param == 2) Set(state_, WindowState::Maximized);
    } else if (m.msg == kWmSysCommand) {
      if (m.param == kScMinimize) SetWindowState(WindowState::Minimized);
      else if (m.param == kScMaximize) SetWindowState(WindowState::Maximized);
      else if (m.param == kScRestore) SetWindowState(WindowState::Normal);
    }
  }
  // The replaceable window procedure and the object that installed it
  // (null: none installed, the default processing runs).
  std::function<void(const WindowMessage&)> WindowProc;
  const void* WindowProcOwner = nullptr;

 private:
  WindowState state_ = WindowState::Normal;
  uint64_t front_requests_ = 0;
};

// A button that shows one of its window's stored pictures beside its
// caption (0: none); the window names its pictures.
class GlyphButton : public Button {
 public:
  int Glyph() const { return glyph_; }
  void SetGlyph(int g) { Set(glyph_, g); }

 private:
  int glyph_ = 0;
};

// A panel with a background colour of its own.
class ColorPanel : public TextControl {
 public:
  Color BackColor() const { return back_color_; }
  void SetBackColor(Color c) { Set(back_color_, c); }

 private:
  Color back_color_ = 0xFFFFFF;
};

// A picture that shows one 25-row band of a picture strip, or nothing.
class StripImage : public Control {
 public:
  static constexpr int kNone = -1;
  // The band shown (0 the rows 0-24, 1 the rows 25-49, ...), kNone for none.
  int Band() const { return band_; }
  void SetBand(int b) { Set(band_, b); }

 private:
  int band_ = kNone;
};

// Page control: the index of the open tab.
class PageControl : public Control {
 public:
  int ActivePageIndex() const { return active_; }
  void SetActivePageIndex(int i) { Set(active_, i); }

 private:
  int active_ = 0;
};

// Spin control (UpDown): a position kept within its minimum and maximum,
// shown in its associated edit field, whose text follows every change.
class UpDown : public Control {
 public:
  UpDown(int min, int max, Edit* associate = nullptr) : min_(min), max_(max), associate_(associate) {
    SetPosition(min);
  }
  int Min() const { return min_; }
  int Max() const { return max_; }
  int Position() const { return position_; }
  // A value outside the range takes the nearest end of it.
  void SetPosition(int v) {
    Set(position_, v < min_ ? min_ : v > max_ ? max_ : v);
    if (associate_) associate_->SetText(std::to_string(position_));
  }

 private:
  int min_;
  int max_;
  Edit* associate_;
  int position_ = 0;
};

// A picture control: shows one of the program's pictures by its name
// (empty: none); the view draws it.
class Image : public Control {
 public:
  const std::string& Picture() const { return picture_; }
  void SetPicture(const std::string& v) { Set(picture_, v); }

 private:
  std::string picture_;
};

}  // namespace zol

namespace zol {

// One icon of an icon-mode list view.
struct IconItem {
  std::string caption;
  int image = 9;
  std::string key;  // the item key text the icon refers to
};

// Icon-mode list view: icons in order, one selected or none.
class IconList : public Control {
 public:
  size_t Count() const { return items_.size(); }
  const IconItem& Item(size_t i) const { return items_.at(i); }
  size_t Add(IconItem item) {
    Counted(item.image, +1);
    items_.push_back(std::move(item));
    Shaped();
    return items_.size() - 1;
  }
  // Inserts an icon before position i (at the end when i is past it).
  void Insert(size_t i, IconItem item) {
    if (i > items_.size()) i = items_.size();
    Counted(item.image, +1);
    items_.insert(items_.begin() + static_cast<long>(i), std::move(item));
    if (selected_ >= static_cast<int>(i)) ++selected_;
    Shaped();
  }
  void Delete(size_t i) { Delete(i, 1); }
  // Deletes count icons from position i on.
  void Delete(size_t i, size_t count) {
    if (i >= items_.size() || count == 0) return;
    if (count > items_.size() - i) count = items_.size() - i;
    for (size_t k = i; k < i + count; ++k) Counted(items_[k].image, -1);
    items_.erase(items_.begin() + static_cast<long>(i), items_.begin() + static_cast<long>(i + count));
    if (selected_ >= static_cast<int>(i) && selected_ < static_cast<int>(i + count)) selected_ = -1;
    else if (selected_ >= static_cast<int>(i + count)) selected_ -= static_cast<int>(count);
    Shaped();
  }
  void Clear() {
    items_.clear();
    image_counts_.fill(0);
    selected_ = -1;
    Shaped();
  }
  void SetImage(size_t i, int image) {
    if (i < items_.size() && items_[i].image != image) {
      Counted(items_[i].image, -1);
      Counted(image, +1);
      items_[i].image = image;
      Touch();
    }
  }
  void SetCaption(size_t i, const std::string& caption) {
    if (i < items_.size() && items_[i].caption != caption) {
      items_[i].caption = caption;
      Touch();
    }
  }
  void SetCaption(size_t i, std::string&& caption) {
    if (i < items_.size() && items_[i].caption != caption) {
      items_[i].caption = std::move(caption);
      Touch();
    }
  }
  // The number of icons showing picture image (0 to 9; 0 for any other).
  size_t ImageCount(int image) const {
    return image >= 0 && image < kCountedImages ? image_counts_[static_cast<size_t>(image)] : 0;
  }
  // Raised when icons are added, inserted, deleted or cleared (not by a
  // change of picture, caption or selection).
  uint64_t StructureRevision() const { return structure_revision_; }
  // Selected icon, -1 for none.
  int Selected() const { return selected_; }
  void SetSelected(int i) { Set(selected_, i); }

 private:
  static constexpr int kCountedImages = 10;
  void Counted(int image, int delta) {
    if (image >= 0 && image < kCountedImages) image_counts_[static_cast<size_t>(image)] += static_cast<size_t>(delta);
  }
  void Shaped() {
    ++structure_revision_;
    Touch();
  }
  std::vector<IconItem> items_;
  std::array<size_t, kCountedImages> image_counts_{};
  uint64_t structure_revision_ = 0;
  int selected_ = -1;
};

}  // namespace zol

namespace zol {

class TreeView;

// One node of a tree view: text, picture, expanded flag and ordered
// children. The tree owns its nodes; a pointer to one stays valid until that
// node (or an ancestor) is deleted or the tree is cleared. What a node stands
// for is read from its text and level by the window that uses the tree.
class TreeNode {
 public:
  const std::string& Text() const { return text_; }
  int ImageIndex() const { return image_; }
  int SelectedIndex() const { return image_; }  // the selected picture is the same
  bool Expanded() const { return expanded_; }
  TreeNode* Parent() const { return parent_; }
  // 0 for a top-level node.
  int Level() const { return level_; }
  size_t Count() const { return children_.size(); }
  TreeNode* Item(size_t i) const { return i < children_.size() ? children_[i] : nullptr; }
  bool HasChildren() const { return !children_.empty(); }
  // Position among all nodes in tree order (depth first, parents before
  // their children), from 0.
  int AbsoluteIndex() const;
  // The node's identity for the run, never given to another node of its
  // tree: a node held by its id is found again while it exists, and not
  // after it was deleted (TreeView::NodeById).
  uint64_t Id() const { return id_; }

 private:
  friend class TreeView;
  explicit TreeNode(TreeView* owner) : owner_(owner) {}
  TreeView* owner_;
  uint64_t id_ = 0;
  std::string text_;
  int image_ = -1;
  bool expanded_ = false;
  TreeNode* parent_ = nullptr;
  int level_ = 0;
  std::vector<TreeNode*> children_;  // owned
  mutable int absolute_ = -1;  // valid while the owner's order is
};

// Tree view: the top-level nodes in order, the selected node and the drop
// target. Every change raises the revision; a change of the tree's shape or
// of a node's text raises the structure revision too, a change of expanded
// flags, selection or drop target the view revision; a picture change only
// the revision, so a mirror can repaint pictures without rebuilding.
class TreeView : public Control {
 public:
  TreeView() = default;
  ~TreeView() { Free(top_); }
  TreeView(const TreeView&) = delete;
  TreeView& operator=(const TreeView&) = delete;

  uint64_t StructureRevision() const { return structure_revision_; }
  uint64_t ViewRevision() const { return view_revision_; }

  size_t TopCount() const { return top_.size(); }
  TreeNode* Top(size_t i) const { return i < top_.size() ? top_[i] : nullptr; }
  TreeNode* GetFirstNode() const { return top_.empty() ? nullptr : top_.front(); }
  // Every node in tree order; valid until the next change of the shape.
  const std::vector<TreeNode*>& Nodes() const {
    if (!order_valid_) Reorder();
    return order_;
  }
  size_t Count() const { return Nodes().size(); }
  // The node at an absolute index, null past the end.
  TreeNode* Node(size_t absolute) const {
    const std::vector<TreeNode*>& all = Nodes();
    return absolute < all.size() ? all[absolute] : nullptr;
  }

  // The node of an id (TreeNode::Id), null when it is no node of the tree
  // (any more).
  TreeNode* NodeById(uint64_t id) const {
    if (id == 0) return nullptr;
    for (TreeNode* n : Nodes()) {
      if (n->id_ == id) return n;
    }
    return nullptr;
  }

  // Adds a node as the last child of parent (null: as the last top-level node).
  TreeNode* AddChild(TreeNode* parent, const std::string& text, int image) {
    TreeNode* n = Make(text, image);
    Attach(n, parent, parent ? parent->children_.size() : top_.size());
    return n;
  }
  // Inserts a node directly before sibling, on its level (null: as the last
  // top-level node).
  TreeNode* Insert(TreeNode* sibling, const std::string& text, int image) {
    TreeNode* n = Make(text, image);
    if (!sibling) {
      Attach(n, nullptr, top_.size());
    } else {
      Attach(n, sibling->parent_, IndexIn(Siblings(sibling->parent_), sibling));
    }
    return n;
  }
  // Deletes the node with its descendants.
  void Delete(TreeNode* node) {
    if (!node) return;
    Forget(node);
    Detach(node);
    std::vector<TreeNode*> gone{node};
    Free(gone);
    Shaped();
  }
  // Moves the node with its descendants to the end of parent's children (null:
  // to the end of the top level). A move under itself or one of its own
  // descendants is refused (false).
  bool MoveTo(TreeNode* node, TreeNode* parent) {
    if (!node || IsWithin(parent, node)) return false;
    Detach(node);
    Attach(node, parent, parent ? parent->children_.size() : top_.size());
    return true;
  }
  void Clear() {
    if (top_.empty()) return;
    for (TreeNode* n : top_) Forget(n);
    Free(top_);
    top_.clear();
    Shaped();
  }

  void SetText(TreeNode* node, const std::string& text) {
    if (!node || node->text_ == text) return;
    node->text_ = text;
    ++structure_revision_;
    Touch();
  }
  void SetImageIndex(TreeNode* node, int image) {
    if (!node || node->image_ == image) return;
    node->image_ = image;
    Touch();
  }
  void SetExpanded(TreeNode* node, bool expanded) {
    if (!node || node->expanded_ == expanded) return;
    node->expanded_ = expanded;
    Viewed();
  }

  TreeNode* Selected() const { return selected_; }
  // Selects the node (null: none). The tree expands one branch at a time:
  // afterwards exactly the selected node and its ancestors are expanded.
  void Select(TreeNode* node) {
    bool changed = selected_ != node;
    selected_ = node;
    for (TreeNode* n : Nodes()) {
      const bool want = IsWithin(node, n);
      if (n->expanded_ != want) {
        n->expanded_ = want;
        changed = true;
      }
    }
    if (changed) Viewed();
  }

  // The node under a drag, highlighted as the place of a drop (null: none).
  TreeNode* DropTarget() const { return drop_target_; }
  void SetDropTarget(TreeNode* node) {
    if (drop_target_ == node) return;
    drop_target_ = node;
    Viewed();
  }

  // Height of the tree's client area in pixels, written by the view that
  // shows it (0 until it is shown).
  int ClientHeight() const { return client_height_; }
  void SetClientHeight(int h) { client_height_ = h; }
  // Scrolls the tree by lines (negative: up), as the scroll bar's arrows
  // do. The requests add up until the view carries them out.
  void ScrollLines(int lines) {
    if (lines == 0) return;
    pending_scroll_ += lines;
    scroll_requests_ += static_cast<uint64_t>(lines < 0 ? -lines : lines);
    Viewed();
  }
  // The lines asked for since the last take (the view takes them).
  int TakeScroll() {
    const int lines = pending_scroll_;
    pending_scroll_ = 0;
    return lines;
  }
  int PendingScroll() const { return pending_scroll_; }
  // Every line ever asked for, up or down.
  uint64_t ScrollRequests() const { return scroll_requests_; }

  // Node texts cannot be edited in place; drags start by themselves.
  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool v) { Set(read_only_, v); }
  bool AutoDrag() const { return auto_drag_; }
  void SetAutoDrag(bool v) { Set(auto_drag_, v); }

  // True when node is ancestor or ancestor's descendant; false for no node.
  static bool IsWithin(const TreeNode* node, const TreeNode* ancestor) {
    if (!ancestor) return false;
    for (const TreeNode* n = node; n; n = n->parent_) {
      if (n == ancestor) return true;
    }
    return false;
  }

 private:
  friend class TreeNode;
  // The selection and drop target leave a subtree that goes away.
  void Forget(const TreeNode* root) {
    bool changed = false;
    if (IsWithin(selected_, root)) {
      selected_ = nullptr;
      changed = true;
    }
    if (IsWithin(drop_target_, root)) {
      drop_target_ = nullptr;
      changed = true;
    }
    if (changed) ++view_revision_;
  }
  TreeNode* Make(const std::string& text, int image) {
    TreeNode* n = new TreeNode(this);
    n->id_ = ++last_id_;
    n->text_ = text;
    n->image_ = image;
    return n;
  }
  std::vector<TreeNode*>& Siblings(TreeNode* parent) { return parent ? parent->children_ : top_; }
  static size_t IndexIn(const std::vector<TreeNode*>& v, const TreeNode* n) {
    for (size_t i = 0; i < v.size(); ++i) {
      if (v[i] == n) return i;
    }
    return v.size();
  }
  void Attach(TreeNode* n, TreeNode* parent, size_t at) {
    std::vector<TreeNode*>& s = Siblings(parent);
    s.insert(s.begin() + static_cast<long>(at < s.size() ? at : s.size()), n);
    n->parent_ = parent;
    SetLevels(n, parent ? parent->level_ + 1 : 0);
    Shaped();
  }
  void Detach(TreeNode* n) {
    std::vector<TreeNode*>& s = Siblings(n->parent_);
    const size_t i = IndexIn(s, n);
    if (i < s.size()) s.erase(s.begin() + static_cast<long>(i));
    n->parent_ = nullptr;
  }
  static void SetLevels(TreeNode* n, int level) {
    std::vector<TreeNode*> stack{n};
    n->level_ = level;
    while (!stack.empty()) {
      TreeNode* p = stack.back();
      stack.pop_back();
      for (TreeNode* c : p->children_) {
        c->level_ = p->level_ + 1;
        stack.push_back(c);
      }
    }
  }
  // Frees the nodes and all their descendants.
  static void Free(const std::vector<TreeNode*>& roots) {
    std::vector<TreeNode*> stack(roots.begin(), roots.end());
    while (!stack.empty()) {
      TreeNode* p = stack.back();
      stack.pop_back();
      stack.insert(stack.end(), p->children_.begin(), p->children_.end());
      delete p;
    }
  }
  void Reorder() const {
    order_.clear();
    std::vector<TreeNode*> stack(top_.rbegin(), top_.rend());
    while (!stack.empty()) {
      TreeNode* p = stack.back();
      stack.pop_back();
      p->absolute_ = static_cast<int>(order_.size());
      order_.push_back(p);
      stack.insert(stack.end(), p->children_.rbegin(), p->children_.rend());
    }
    order_valid_ = true;
  }
  void Shaped() {
    order_valid_ = false;
    ++structure_revision_;
    Touch();
  }
  void Viewed() {
    ++view_revision_;
    Touch();
  }

  std::vector<TreeNode*> top_;  // owned
  uint64_t last_id_ = 0;
  TreeNode* selected_ = nullptr;
  TreeNode* drop_target_ = nullptr;
  uint64_t structure_revision_ = 0;
  uint64_t view_revision_ = 0;
  bool read_only_ = false;
  bool auto_drag_ = false;
  int client_height_ = 0;
  int pending_scroll_ = 0;
  uint64_t scroll_requests_ = 0;
  mutable std::vector<TreeNode*> order_;
  mutable bool order_valid_ = true;
};

inline int TreeNode::AbsoluteIndex() const {
  owner_->Nodes();
  return absolute_;
}

// A line chart: title lines, series of points with a label each, a fixed or
// automatic vertical axis.
struct ChartPoint {
  double x = 0;
  double y = 0;
  std::string label;
};

struct ChartPen {
  Color color = 0x000000;
  int width = 1;
  bool dotted = false;
};

struct ChartAxis {
  bool automatic = true;
  double minimum = 0;
  double maximum = 0;
  double increment = 0;
};

class Chart : public Control {
 public:
  explicit Chart(size_t series) : series_(series), pens_(series) {}

  const std::vector<std::string>& Title() const { return title_; }
  // Sets title line i (0 the first), adding empty lines before it as needed.
  void SetTitleLine(size_t i, const std::string& text) {
    if (i < title_.size() && title_[i] == text) return;
    if (title_.size() <= i) title_.resize(i + 1);
    title_[i] = text;
    Touch();
  }

  size_t SeriesCount() const { return series_.size(); }
  const std::vector<ChartPoint>& Points(size_t s) const { return series_.at(s); }
  void Clear(size_t s) {
    if (series_.at(s).empty()) return;
    series_[s].clear();
    Touch();
  }
  void AddXY(size_t s, double x, double y, const std::string& label) {
    series_.at(s).push_back(ChartPoint{x, y, label});
    Touch();
  }
  const ChartPen& Pen(size_t s) const { return pens_.at(s); }
  void SetPen(size_t s, const ChartPen& pen) {
    pens_.at(s) = pen;
    Touch();
  }

  const ChartAxis& LeftAxis() const { return left_axis_; }
  void SetLeftAxis(const ChartAxis& a) {
    left_axis_ = a;
    Touch();
  }
  bool LegendVisible() const { return legend_; }
  void SetLegendVisible(bool v) { Set(legend_, v); }
  bool PointMarks() const { return marks_; }
  void SetPointMarks(bool v) { Set(marks_, v); }

 private:
  std::vector<std::string> title_;
  std::vector<std::vector<ChartPoint>> series_;
  std::vector<ChartPen> pens_;
  ChartAxis left_axis_;
  bool legend_ = true;
  bool marks_ = true;
};

}  // namespace zol
