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
#include <QWidget>
#include <functional>
#include <vector>

#include "common/controls.h"

class QComboBox;
class QSplitter;
class QTableView;
class QTreeView;

namespace zol {

class App;
class DeviceTree;
class Mirror;

// The tree's item model, rebuilt whole under one reset.
class TreeItemModel : public QStandardItemModel {
  Q_OBJECT
 public:
  using QStandardItemModel::QStandardItemModel;
  void BeginReset() { beginResetModel(); }
  void EndReset() { endResetModel(); }
};

// A tree view control mirrored into a QTreeView.
class TreeMirror : public QObject {
  Q_OBJECT
 public:
  TreeMirror(Mirror& mirror, QTreeView* view, TreeView& tree);

  // The operator clicked a node (it is selected by then).
  std::function<void()> OnClick;

  QStandardItemModel* model() const { return model_; }
  // Model rebuilds so far.
  uint64_t Rebuilds() const { return rebuilds_; }
  // The core's node of a model index; null when the model is out of date.
  TreeNode* NodeOf(const QModelIndex& index) const;
  // The model index of a core node (invalid when the model is out of date).
  QModelIndex IndexOf(const TreeNode* node) const;
  // Brings the widget up to the core's state now.
  void Apply();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Rebuild();
  void ApplyView();
  void RefreshIcons();
  void OperatorSelects(const QModelIndex& index);

  QTreeView* view_;
  QWidget* viewport_ = nullptr;
  TreeView& tree_;
  TreeItemModel* model_;
  std::vector<QIcon> icons_;
  std::vector<QStandardItem*> items_;  // by the core's absolute index
  std::vector<int> shown_images_;
  uint64_t shape_ = ~uint64_t{0};
  uint64_t view_revision_ = ~uint64_t{0};
  uint64_t rebuilds_ = 0;
  bool applying_ = false;
  bool click_pending_ = false;  // a left press on a node, waiting for its release
};

class DeviceTreeView : public QWidget {
  Q_OBJECT
 public:
  DeviceTreeView(App& app, Mirror& mirror, QWidget* parent);

  QComboBox* selector = nullptr;  // ComboBoxEx1
  QTreeView* tree = nullptr;      // TreeView1
  QSplitter* splitter = nullptr;  // the tree above, the detail grid below
  QTableView* grid = nullptr;     // StringGrid2
  TreeMirror* tree_mirror = nullptr;
};

}  // namespace zol
