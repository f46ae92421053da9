// The tab "機器一覧": the group selector above the device tree. The tree is
// mirrored into a QStandardItemModel under a QTreeView: a change of the
// tree's shape or texts rebuilds the model (at most once per mirror look,
// keeping the open branches, the selection and the scroll position), a
// change of pictures only repaints the changed icons. The operator's
// selection, expanding, collapsing and clicks go back to the core; the
// program's own changes never come back as the operator's.
#pragma once

#include <QIcon>
#include <QObject>
#include <QStandardItemModel>
#include <QTreeView>
#include <QWidget>
#include <functional>
#include <vector>

#include "common/controls.h"

class QComboBox;
class QMenu;
class QSplitter;
class QTableView;

namespace zol {

class App;
class DeviceTree;
class Mirror;
class TreeOperations;

// The MIME type of a drag that starts in the device tree: a drag carrying
// it comes from this tree.
extern const char* const kTreeNodeMime;

// The tree's item model, rebuilt whole under one reset.
class TreeItemModel : public QStandardItemModel {
  Q_OBJECT
 public:
  using QStandardItemModel::QStandardItemModel;
  void BeginReset() { beginResetModel(); }
  void EndReset() { endResetModel(); }
};

// A tree view control mirrored into a QTreeView. The operator's gestures
// act on the node that was under the pointer at the press, whatever the
// tree did between the press and the gesture's end: the press remembers
// the node by its id (TreeNode::Id) and selects it, and the view's rows
// stay in place until the view has handled the press (the tree then
// closes the other branches, which moves the rows).
class TreeMirror : public QObject {
  Q_OBJECT
 public:
  TreeMirror(Mirror& mirror, QTreeView* view, TreeView& tree);

  // The operator clicked a node (it is selected by then).
  std::function<void()> OnClick;
  // The operator double-clicked the node selected by the first click.
  std::function<void()> OnDoubleClick;
  // The operator asked for the context menu at a global position (the node
  // under the pointer is selected by then).
  std::function<void(const QPoint& global)> OnContextMenu;

  // The tree widget's mouse, handed over: a press at a point of the
  // viewport (PressBegins before the view handles it, PressEnds after), its
  // release, a double click, a context menu asked for by the mouse (at a
  // point of the viewport) or by the keyboard. A release or menu that is
  // not Usable does nothing, but ends the press it belongs to.
  void PressBegins(const QPoint& at, Qt::MouseButton button);
  void PressEnds();
  void Released(Qt::MouseButton button);
  void DoubleClicked();
  void ContextMenu(bool by_mouse, const QPoint& at, const QPoint& global);
  // The node of the last press while it exists; null for none or gone.
  TreeNode* Pressed() const;
  // Whether the operator's events reach the core now (Mirror::Usable).
  bool Usable();

  QStandardItemModel* model() const { return model_; }
  // Model rebuilds so far.
  uint64_t Rebuilds() const { return rebuilds_; }
  // The core's node of a model index, also while the model waits for the
  // next look; null when the node is gone.
  TreeNode* NodeOf(const QModelIndex& index) const;
  // The model index of a core node (invalid when the model is out of date).
  QModelIndex IndexOf(const TreeNode* node) const;
  // Brings the widget up to the core's state now.
  void Apply();

 private:
  void Rebuild();
  void ApplyView();
  void RefreshIcons();
  void OperatorSelects(const QModelIndex& index);

  Mirror& mirror_;
  QTreeView* view_;
  TreeView& tree_;
  TreeItemModel* model_;
  std::vector<QIcon> icons_;
  std::vector<QStandardItem*> items_;  // by the core's absolute index
  std::vector<int> shown_images_;
  QStandardItem* drop_item_ = nullptr;  // the item shown as the drop target
  uint64_t shape_ = ~uint64_t{0};
  uint64_t view_revision_ = ~uint64_t{0};
  uint64_t rebuilds_ = 0;
  bool applying_ = false;
  bool holding_ = false;        // a press is being handled: the view waits
  uint64_t pressed_ = 0;        // the id of the node of the last press, 0 none
  bool click_pending_ = false;  // a left press on a node, waiting for its release
  bool menu_press_ = false;     // a right press, waiting for its menu
};

// The tree widget: drags of its nodes and drops on it go to the tree
// operations, never to the base class (which would move model rows); the
// core's timers expand and scroll, so Qt's own auto-scroll is off.
class DeviceTreeWidget : public QTreeView {
  Q_OBJECT
 public:
  DeviceTreeWidget(TreeOperations& ops, TreeView& tree, QWidget* parent);
  void SetMirror(TreeMirror* mirror) { mirror_ = mirror; }

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void startDrag(Qt::DropActions actions) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  TreeOperations& ops_;
  TreeView& tree_;
  TreeMirror* mirror_ = nullptr;
};

class DeviceTreeView : public QWidget {
  Q_OBJECT
 public:
  DeviceTreeView(App& app, Mirror& mirror, QWidget* parent);

  QComboBox* selector = nullptr;  // ComboBoxEx1
  DeviceTreeWidget* tree = nullptr;  // TreeView1
  QSplitter* splitter = nullptr;  // the tree above, the detail grid below
  QTableView* grid = nullptr;     // StringGrid2
  TreeMirror* tree_mirror = nullptr;
  QMenu* menu = nullptr;          // PopupMenu1

  // Brings the menu's items up to the core's state now (the menu is about
  // to open; the mirror's next look would be too late).
  void ApplyMenu();

 private:
  struct MenuItem {
    QAction* action;
    const Button* item;
  };
  std::vector<MenuItem> menu_items_;
};

}  // namespace zol
