#include "qt/device_tree_view.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
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
#include "console/tree_operations.h"
#include "qt/detail_grid_view.h"
#include "qt/mirror.h"
#include "qt/pictures.h"
#include "qt/sjis.h"

namespace zol {

const char* const kTreeNodeMime = "application/x-zolyab4-tree-node";

namespace {

// The id of the core's node an item shows (TreeNode::Id): the item names
// its node also while the model waits for the next look.
constexpr int kNodeRole = Qt::UserRole + 1;

}  // namespace

TreeMirror::TreeMirror(Mirror& mirror, QTreeView* view, TreeView& tree)
    : QObject(view), mirror_(mirror), view_(view), tree_(tree), model_(new TreeItemModel(view)) {
  for (int i = 0; i < kTreePictures; ++i) icons_.push_back(QIcon(TreePicture(i)));
  view_->setModel(model_);
  view_->setHeaderHidden(true);
  view_->setUniformRowHeights(true);
  view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view_->setSelectionMode(QAbstractItemView::SingleSelection);
  view_->setIconSize(QSize(16, 16));
  view_->setAnimated(false);
  mirror.Watch(tree_, [this] { Apply(); });
  mirror.Tie(view_, tree_);

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
}

void TreeMirror::PressBegins(const QPoint& at, Qt::MouseButton button) {
  const QModelIndex index = view_->indexAt(at);
  // The node the row shows, also when it is gone since the view was last
  // brought up to date: a gesture on it then acts on nothing.
  const QVariant id = index.isValid() ? model_->data(index, kNodeRole) : QVariant();
  pressed_ = id.isValid() ? id.toULongLong() : 0;
  TreeNode* node = tree_.NodeById(pressed_);
  click_pending_ = button == Qt::LeftButton && node;
  menu_press_ = button == Qt::RightButton;
  holding_ = true;
  // Either button selects the node under the pointer, but a press on the
  // branch's open/close mark left of the node only opens or closes it.
  if (node && at.x() >= view_->visualRect(index).left()) tree_.Select(node);
}

void TreeMirror::PressEnds() {
  holding_ = false;
  Apply();
}

TreeNode* TreeMirror::Pressed() const { return tree_.NodeById(pressed_); }

bool TreeMirror::Usable() { return mirror_.Usable(view_); }

void TreeMirror::Released(Qt::MouseButton button) {
  if (!click_pending_ || button != Qt::LeftButton) return;
  // A release refused ends the press all the same.
  click_pending_ = false;
  if (!Usable()) return;
  // The core's click handler acts on the selected node; a node that went
  // away since the press (a rebuild) takes no click.
  if (Pressed() && OnClick) OnClick();
}

void TreeMirror::DoubleClicked() {
  TreeNode* node = Pressed();
  // The first press selected the node, unless it only opened or closed it.
  if (!node || tree_.Selected() != node) return;
  if (OnDoubleClick) OnDoubleClick();
  // As the platform's tree does, a double click also opens or closes the
  // node's branch.
  node = Pressed();
  if (node && node->HasChildren()) tree_.SetExpanded(node, !node->Expanded());
  Apply();
}

void TreeMirror::ContextMenu(bool by_mouse, const QPoint& at, const QPoint& global) {
  // A menu refused ends the right press all the same.
  const bool after_press = by_mouse && menu_press_;
  if (by_mouse) menu_press_ = false;
  if (!Usable()) return;
  if (by_mouse) {
    TreeNode* node = nullptr;
    if (after_press) {
      // The node of the right press: gone since, no menu opens for it.
      node = Pressed();
      if (pressed_ && !node) return;
    } else {
      node = NodeOf(view_->indexAt(at));
    }
    if (node && tree_.Selected() != node) {
      tree_.Select(node);
      Apply();
    }
  }
  // From the keyboard, the menu is for the selected node.
  if (OnContextMenu) OnContextMenu(global);
}

TreeNode* TreeMirror::NodeOf(const QModelIndex& index) const {
  if (!index.isValid()) return nullptr;
  const QVariant id = model_->data(index, kNodeRole);
  return id.isValid() ? tree_.NodeById(id.toULongLong()) : nullptr;
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
  drop_item_ = nullptr;
  auto make = [this, &nodes](size_t i) {
    const TreeNode* n = nodes[i];
    const int image = n->ImageIndex();
    auto* item = new QStandardItem(FromSjis(n->Text()));
    if (image >= 0 && image < kTreePictures) item->setIcon(icons_[static_cast<size_t>(image)]);
    item->setEditable(false);
    item->setDragEnabled(true);  // drags start by themselves; the core decides what a drop does
    item->setDropEnabled(false);
    item->setData(QVariant::fromValue<qulonglong>(n->Id()), kNodeRole);
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
  } else if (sel->currentIndex() != want || !sel->isSelected(want) || sel->selectedIndexes().size() != 1) {
    // The highlight is on the core's selected node, and on no other.
    sel->setCurrentIndex(want, QItemSelectionModel::ClearAndSelect);
    view_->scrollTo(want);
  }
  // The drop target of a drag, marked as the tree marks it.
  QStandardItem* drop = nullptr;
  if (const TreeNode* target = tree_.DropTarget()) {
    const size_t abs = static_cast<size_t>(target->AbsoluteIndex());
    if (abs < items_.size()) drop = items_[abs];
  }
  if (drop != drop_item_) {
    if (drop_item_) drop_item_->setData(QVariant(), Qt::BackgroundRole);
    if (drop) drop->setData(view_->palette().color(QPalette::Highlight).lighter(160), Qt::BackgroundRole);
    drop_item_ = drop;
  }
  // Lines the core asked to scroll, as the scroll bar's arrows would.
  for (int n = tree_.TakeScroll(); n != 0; n += n < 0 ? 1 : -1) {
    view_->verticalScrollBar()->triggerAction(n < 0 ? QAbstractSlider::SliderSingleStepSub
                                                    : QAbstractSlider::SliderSingleStepAdd);
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
  // The other branches close at once; during a press once the view has
  // handled it, so the rows stay where they are until then.
  if (!holding_) ApplyView();
}

DeviceTreeWidget::DeviceTreeWidget(TreeOperations& ops, TreeView& tree, QWidget* parent)
    : QTreeView(parent), ops_(ops), tree_(tree) {
  setDragEnabled(true);
  setAcceptDrops(true);
  viewport()->setAcceptDrops(true);
  setDragDropMode(QAbstractItemView::DragDrop);
  setAutoScroll(false);
  setAutoExpandDelay(-1);
  setDropIndicatorShown(false);
  setVerticalScrollMode(QAbstractItemView::ScrollPerItem);  // one line per step
}

void DeviceTreeWidget::mousePressEvent(QMouseEvent* event) {
  if (mirror_ && !mirror_->Usable()) return;
  if (mirror_) mirror_->PressBegins(event->position().toPoint(), event->button());
  QTreeView::mousePressEvent(event);
  if (mirror_) mirror_->PressEnds();
}

void DeviceTreeWidget::mouseReleaseEvent(QMouseEvent* event) {
  QTreeView::mouseReleaseEvent(event);
  if (mirror_) mirror_->Released(event->button());
}

void DeviceTreeWidget::mouseDoubleClickEvent(QMouseEvent* event) {
  // Not handed to the tree view: where the first click moved the rows, it
  // would take the second click as a press on another node.
  event->accept();
  if (mirror_ && event->button() == Qt::LeftButton && mirror_->Usable()) mirror_->DoubleClicked();
}

void DeviceTreeWidget::contextMenuEvent(QContextMenuEvent* event) {
  event->accept();
  if (!mirror_) return;
  const bool by_mouse = event->reason() == QContextMenuEvent::Mouse;
  // A mouse's menu event comes through the viewport, in its coordinates.
  mirror_->ContextMenu(by_mouse, event->pos(), event->globalPos());
}

void DeviceTreeWidget::startDrag(Qt::DropActions) {
  ops_.TreeView1StartDrag();
  auto* drag = new QDrag(this);  // no pixmap: no drag image
  auto* data = new QMimeData;
  data->setData(QString::fromLatin1(kTreeNodeMime), QByteArray());
  drag->setMimeData(data);
  drag->exec(Qt::MoveAction);
  ops_.TreeView1EndDrag();
  if (mirror_) mirror_->Apply();
}

void DeviceTreeWidget::dragEnterEvent(QDragEnterEvent* event) {
  if (!event->mimeData()->hasFormat(QString::fromLatin1(kTreeNodeMime))) {
    event->ignore();
    return;
  }
  event->setDropAction(Qt::MoveAction);
  event->accept();
}

void DeviceTreeWidget::dragMoveEvent(QDragMoveEvent* event) {
  const bool from_tree = event->mimeData()->hasFormat(QString::fromLatin1(kTreeNodeMime));
  const QPoint at = event->position().toPoint();
  TreeNode* under = mirror_ ? mirror_->NodeOf(indexAt(at)) : nullptr;
  const bool accept = ops_.TreeView1DragOver(from_tree, under, at.y());
  if (mirror_) mirror_->Apply();
  if (accept) {
    event->setDropAction(Qt::MoveAction);
    event->accept();
  } else {
    event->ignore();
  }
}

void DeviceTreeWidget::dragLeaveEvent(QDragLeaveEvent* event) {
  ops_.TreeView1DragLeave();
  if (mirror_) mirror_->Apply();
  event->accept();
}

void DeviceTreeWidget::dropEvent(QDropEvent* event) {
  if (!event->mimeData()->hasFormat(QString::fromLatin1(kTreeNodeMime))) {
    event->ignore();
    return;
  }
  ops_.TreeView1DragDrop();
  if (mirror_) mirror_->Apply();
  event->setDropAction(Qt::MoveAction);
  event->accept();
}

void DeviceTreeWidget::resizeEvent(QResizeEvent* event) {
  QTreeView::resizeEvent(event);
  tree_.SetClientHeight(viewport()->height());
}

void DeviceTreeView::ApplyMenu() {
  for (const MenuItem& m : menu_items_) {
    m.action->setVisible(m.item->Visible());
    m.action->setEnabled(m.item->Enabled());
  }
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
  TreeOperations& ops = app.tree_ops();
  tree = new DeviceTreeWidget(ops, core.TreeView1, splitter);
  tree->setObjectName(QStringLiteral("TreeView1"));
  tree->setAccessibleName(FromSjis("機器一覧"));
  grid = new DetailGridView(app.detail_grid(), mirror, splitter);
  splitter->setStretchFactor(0, 3);
  splitter->setStretchFactor(1, 2);
  layout->addWidget(splitter, 1);
  tree_mirror = new TreeMirror(mirror, tree, core.TreeView1);
  tree->SetMirror(tree_mirror);
  tree_mirror->OnClick = [&app, &mirror] {
    app.detail_grid().TreeView1Click();
    mirror.Poll();
  };
  tree_mirror->OnDoubleClick = [&ops] { ops.TreeView1DblClick(); };

  // The popup menu PopupMenu1: its items bound to the core's; before it
  // opens the core fills them by the selected node.
  menu = new QMenu(tree);
  menu->setObjectName(QStringLiteral("PopupMenu1"));
  struct Item {
    const char* name;
    Button* item;
    void (TreeOperations::*click)();
  };
  const Item items[] = {
      {"PopBtn1", &ops.PopBtn1, &TreeOperations::PopBtn1Click}, {"PopBtn2", &ops.PopBtn2, &TreeOperations::PopBtn2Click},
      {"PopBtn3", &ops.PopBtn3, &TreeOperations::PopBtn3Click}, {"PopBtn4", &ops.PopBtn4, &TreeOperations::PopBtn4Click},
      {"PopBtn5", &ops.PopBtn5, &TreeOperations::PopBtn5Click}, {"PopBtn6", &ops.PopBtn6, &TreeOperations::PopBtn6Click},
      {"N1", &ops.N1, nullptr},                                 {"PopBtn8", &ops.PopBtn8, &TreeOperations::PopBtn8Click},
      {"PopBtn9", &ops.PopBtn9, &TreeOperations::PopBtn9Click}, {"N2", &ops.N2, nullptr},
      {"PopBtn7", &ops.PopBtn7, &TreeOperations::PopBtn7Click}};
  for (const Item& it : items) {
    Button* item = it.item;
    QAction* action = it.click ? menu->addAction(FromSjis(item->Caption())) : menu->addSeparator();
    action->setObjectName(QString::fromLatin1(it.name));
    mirror.Tie(action, *item);
    if (it.click) {
      connect(action, &QAction::triggered, this, [&ops, &mirror, action, click = it.click] {
        if (!mirror.Usable(action)) return;
        (ops.*click)();
        mirror.Poll();
      });
    }
    menu_items_.push_back(MenuItem{action, item});
  }
  tree_mirror->OnContextMenu = [this, &ops](const QPoint& global) {
    ops.PopupMenu1Popup();
    ApplyMenu();
    menu->popup(global);
  };

  // The program refills the selector with its signals blocked: only the
  // operator's choosing and typing reach the change handler.
  auto show = [this, &box] {
    const QSignalBlocker block(selector);
    const ProgramText program(selector->lineEdit());
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
  mirror.Tie(selector, box);
  connect(selector, &QComboBox::textActivated, this, [this, &box, &core, &mirror](const QString& text) {
    if (!mirror.Usable(selector)) return;
    box.SetText(ToSjis(text));
    box.SetItemIndex(selector->currentIndex());
    core.ComboBoxEx1Change();
    tree_mirror->Apply();
  });
  mirror.OnOperatorText(selector->lineEdit(), [this, &box, &core](const QString& text) {
    box.SetText(ToSjis(text));
    box.SetItemIndex(-1);
    core.ComboBoxEx1Change();
    tree_mirror->Apply();
  });
}

}  // namespace zol
