#include "qt/device_tree_view.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTreeView>
#include <QVBoxLayout>

#include "console/app.h"
#include "console/detail_grid.h"
#include "console/device_tree.h"
#include "qt/detail_grid_view.h"
#include "qt/mirror.h"
#include "qt/pictures.h"
#include "qt/sjis.h"

namespace zol {

namespace {

// The core's absolute index of the node an item shows.
constexpr int kNodeRole = Qt::UserRole + 1;

}  // namespace

TreeMirror::TreeMirror(Mirror& mirror, QTreeView* view, TreeView& tree)
    : QObject(view), view_(view), tree_(tree), model_(new TreeItemModel(view)) {
  for (int i = 0; i < kTreePictures; ++i) icons_.push_back(QIcon(TreePicture(i)));
  view_->setModel(model_);
  view_->setHeaderHidden(true);
  view_->setUniformRowHeights(true);
  view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view_->setSelectionMode(QAbstractItemView::SingleSelection);
  view_->setIconSize(QSize(16, 16));
  view_->setAnimated(false);
  view_->setContextMenuPolicy(Qt::CustomContextMenu);
  mirror.Watch(tree_, [this] { Apply(); });

  connect(view_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& cur, const QModelIndex&) {
            if (!applying_) OperatorSelects(cur);
          });
  connect(view_, &QTreeView::expanded, this, [this](const QModelIndex& index) {
    if (!applying_) tree_.SetExpanded(NodeOf(index), true);
  });
  connect(view_, &QTreeView::collapsed, this, [this](const QModelIndex& index) {
    if (!applying_) tree_.SetExpanded(NodeOf(index), false);
  });
  // A click selects (on the press), then reaches the core's click handler
  // (on the release): the tree may have opened and closed branches
  // in between, so the release is not matched to an item.
  viewport_ = view_->viewport();
  viewport_->installEventFilter(this);
  // A right click selects the node under the pointer.
  connect(view_, &QTreeView::customContextMenuRequested, this, [this](const QPoint& at) {
    const QModelIndex index = view_->indexAt(at);
    if (!index.isValid() || !NodeOf(index)) return;
    OperatorSelects(index);
  });
}

bool TreeMirror::eventFilter(QObject* watched, QEvent* event) {
  // Only mouse events touch the view: the filter also sees the viewport's
  // events while the view is being destroyed.
  if (watched == viewport_) {
    if (event->type() == QEvent::MouseButtonPress) {
      const auto* e = static_cast<QMouseEvent*>(event);
      click_pending_ = e->button() == Qt::LeftButton && NodeOf(view_->indexAt(e->position().toPoint()));
    } else if (event->type() == QEvent::MouseButtonRelease) {
      const auto* e = static_cast<QMouseEvent*>(event);
      if (click_pending_ && e->button() == Qt::LeftButton) {
        click_pending_ = false;
        if (OnClick) OnClick();
      }
    }
  }
  return QObject::eventFilter(watched, event);
}

TreeNode* TreeMirror::NodeOf(const QModelIndex& index) const {
  if (!index.isValid() || shape_ != tree_.StructureRevision()) return nullptr;
  const QVariant abs = model_->data(index, kNodeRole);
  return abs.isValid() ? tree_.Node(static_cast<size_t>(abs.toInt())) : nullptr;
}

QModelIndex TreeMirror::IndexOf(const TreeNode* node) const {
  if (!node || shape_ != tree_.StructureRevision()) return QModelIndex();
  const size_t abs = static_cast<size_t>(node->AbsoluteIndex());
  return abs < items_.size() ? items_[abs]->index() : QModelIndex();
}

void TreeMirror::Apply() {
  ApplyControl(view_, tree_);
  if (shape_ != tree_.StructureRevision()) {
    Rebuild();
    return;
  }
  if (view_revision_ != tree_.ViewRevision()) ApplyView();
  RefreshIcons();
}

void TreeMirror::Rebuild() {
  applying_ = true;
  const int scroll = view_->verticalScrollBar()->value();
  const std::vector<TreeNode*>& nodes = tree_.Nodes();
  items_.assign(nodes.size(), nullptr);
  shown_images_.assign(nodes.size(), -1);
  auto make = [this, &nodes](size_t i) {
    const TreeNode* n = nodes[i];
    const int image = n->ImageIndex();
    auto* item = new QStandardItem(FromSjis(n->Text()));
    if (image >= 0 && image < kTreePictures) item->setIcon(icons_[static_cast<size_t>(image)]);
    item->setEditable(false);
    item->setDragEnabled(false);
    item->setDropEnabled(false);
    item->setData(static_cast<int>(i), kNodeRole);
    items_[i] = item;
    shown_images_[i] = image;
    return item;
  };
  // One reset for the whole rebuild: the items join the model quietly, each
  // node's children in one insertion under their (already inserted) parent.
  model_->BeginReset();
  model_->blockSignals(true);
  QStandardItem* root = model_->invisibleRootItem();
  root->removeRows(0, root->rowCount());
  std::vector<std::pair<QStandardItem*, const TreeNode*>> parents;
  QList<QStandardItem*> row;
  for (size_t t = 0; t < tree_.TopCount(); ++t) {
    const TreeNode* n = tree_.Top(t);
    row.push_back(make(static_cast<size_t>(n->AbsoluteIndex())));
    if (n->HasChildren()) parents.emplace_back(row.back(), n);
  }
  root->appendRows(row);
  while (!parents.empty()) {
    auto [item, node] = parents.back();
    parents.pop_back();
    row.clear();
    for (size_t k = 0; k < node->Count(); ++k) {
      const TreeNode* c = node->Item(k);
      row.push_back(make(static_cast<size_t>(c->AbsoluteIndex())));
      if (c->HasChildren()) parents.emplace_back(row.back(), c);
    }
    item->appendRows(row);
  }
  model_->blockSignals(false);
  model_->EndReset();
  shape_ = tree_.StructureRevision();
  ++rebuilds_;
  applying_ = false;
  ApplyView();
  view_->doItemsLayout();
  view_->verticalScrollBar()->setValue(scroll);
}

void TreeMirror::ApplyView() {
  applying_ = true;
  for (TreeNode* n : tree_.Nodes()) {
    if (!n->HasChildren()) continue;
    const QModelIndex index = IndexOf(n);
    if (view_->isExpanded(index) != n->Expanded()) view_->setExpanded(index, n->Expanded());
  }
  const QModelIndex want = IndexOf(tree_.Selected());
  QItemSelectionModel* sel = view_->selectionModel();
  if (!want.isValid()) {
    if (sel->currentIndex().isValid() || sel->hasSelection()) {
      sel->clearSelection();
      sel->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    }
  } else if (sel->currentIndex() != want || !sel->isSelected(want)) {
    sel->setCurrentIndex(want, QItemSelectionModel::ClearAndSelect);
    view_->scrollTo(want);
  }
  view_revision_ = tree_.ViewRevision();
  applying_ = false;
}

void TreeMirror::RefreshIcons() {
  const std::vector<TreeNode*>& nodes = tree_.Nodes();
  for (size_t i = 0; i < nodes.size() && i < items_.size(); ++i) {
    const int image = nodes[i]->ImageIndex();
    if (shown_images_[i] == image) continue;
    shown_images_[i] = image;
    items_[i]->setIcon(image >= 0 && image < kTreePictures ? icons_[static_cast<size_t>(image)] : QIcon());
  }
}

void TreeMirror::OperatorSelects(const QModelIndex& index) {
  TreeNode* node = NodeOf(index);
  if (!node) return;
  tree_.Select(node);
  ApplyView();  // the other branches close at once
}

DeviceTreeView::DeviceTreeView(App& app, Mirror& mirror, QWidget* parent) : QWidget(parent) {
  DeviceTree& core = app.tree();
  ComboBox& box = core.ComboBoxEx1;
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);

  selector = new QComboBox(this);
  selector->setObjectName(QStringLiteral("ComboBoxEx1"));
  selector->setAccessibleName(FromSjis("グループ選択"));
  selector->setEditable(true);
  selector->setInsertPolicy(QComboBox::NoInsert);
  selector->setMaxVisibleItems(20);
  layout->addWidget(selector);

  splitter = new QSplitter(Qt::Vertical, this);
  tree = new QTreeView(splitter);
  tree->setObjectName(QStringLiteral("TreeView1"));
  tree->setAccessibleName(FromSjis("機器一覧"));
  grid = new DetailGridView(app.detail_grid(), mirror, splitter);
  splitter->setStretchFactor(0, 3);
  splitter->setStretchFactor(1, 2);
  layout->addWidget(splitter, 1);
  tree_mirror = new TreeMirror(mirror, tree, core.TreeView1);
  tree_mirror->OnClick = [&app] { app.detail_grid().TreeView1Click(); };

  // The program refills the selector with its signals blocked: only the
  // operator's choosing and typing reach the change handler.
  auto show = [this, &box] {
    const QSignalBlocker block(selector);
    ApplyControl(selector, box);
    const std::vector<std::string>& items = box.items.All();
    bool same = selector->count() == static_cast<int>(items.size());
    for (int i = 0; same && i < selector->count(); ++i) same = selector->itemText(i) == FromSjis(items[static_cast<size_t>(i)]);
    if (!same) {
      selector->clear();
      for (const std::string& item : items) selector->addItem(FromSjis(item));
    }
    const QString text = FromSjis(box.Text());
    if (selector->currentText() != text) {
      const int at = selector->findText(text, Qt::MatchExactly);
      if (at >= 0) selector->setCurrentIndex(at);
      selector->setEditText(text);
    }
  };
  mirror.Watch(box, show);
  mirror.Watch(box.items, show);
  connect(selector, &QComboBox::textActivated, this, [this, &box, &core](const QString& text) {
    box.SetText(ToSjis(text));
    box.SetItemIndex(selector->currentIndex());
    core.ComboBoxEx1Change();
    tree_mirror->Apply();
  });
  connect(selector->lineEdit(), &QLineEdit::textEdited, this, [this, &box, &core](const QString& text) {
    box.SetText(ToSjis(text));
    box.SetItemIndex(-1);
    core.ComboBoxEx1Change();
    tree_mirror->Apply();
  });
}

}  // namespace zol
