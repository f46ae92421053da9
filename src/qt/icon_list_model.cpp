#include "qt/icon_list_model.h"

#include <QItemSelectionModel>
#include <QListView>
#include <QMouseEvent>

#include "qt/mirror.h"
#include "qt/pictures.h"
#include "qt/sjis.h"

namespace zol {

IconListModel::IconListModel(const IconList& list, QObject* parent)
    : QAbstractListModel(parent), list_(list), count_(static_cast<int>(list.Count())) {
  for (int i = 0; i <= 9; ++i) pictures_.push_back(StatePicture(i, 32));
  Snapshot();
}

void IconListModel::Snapshot() {
  shown_.clear();
  shown_.reserve(list_.Count());
  for (size_t i = 0; i < list_.Count(); ++i) {
    const IconItem& item = list_.Item(i);
    shown_.push_back(Shown{item.image, item.caption, item.key});
  }
}

std::string IconListModel::KeyAt(int row) const {
  return row >= 0 && static_cast<size_t>(row) < shown_.size() ? shown_[static_cast<size_t>(row)].key : std::string();
}

int IconListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : count_; }

// The view paints what the model was last told, so what the operator sees
// at a row is the icon whose key KeyAt gives for it.
QVariant IconListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= static_cast<int>(shown_.size())) return QVariant();
  const Shown& item = shown_[static_cast<size_t>(index.row())];
  if (role == Qt::DisplayRole) return FromSjis(item.caption);
  if (role == Qt::SizeHintRole) return QSize(92, 66);  // every icon alike: uniform item sizes
  if (role == Qt::DecorationRole) {
    const int image = item.image >= 0 && item.image <= 9 ? item.image : 9;
    return pictures_[static_cast<size_t>(image)];
  }
  return QVariant();
}

void IconListModel::Refresh() {
  const int n = static_cast<int>(list_.Count());
  if (n != count_) {
    beginResetModel();
    count_ = n;
    Snapshot();
    endResetModel();
    return;
  }
  changed_.clear();
  for (int i = 0; i < n; ++i) {
    const IconItem& item = list_.Item(static_cast<size_t>(i));
    Shown& shown = shown_[static_cast<size_t>(i)];
    if (shown.key != item.key) shown.key = item.key;  // no repaint for a key alone
    if (shown.image == item.image && shown.caption == item.caption) continue;
    shown.image = item.image;
    shown.caption = item.caption;
    changed_.push_back(i);
  }
  if (changed_.empty()) return;
  refreshed_ += changed_.size();
  // One report per icon repaints each icon's own place; past a few hundred
  // (a filter, a time-out of many devices) one report of the span they
  // cover repaints the view once.
  constexpr size_t kOneByOne = 256;
  if (changed_.size() > kOneByOne) {
    emit dataChanged(index(changed_.front()), index(changed_.back()));
  } else {
    for (int i : changed_) emit dataChanged(index(i), index(i));
  }
}

void Mirror::Bind(QListView* w, IconList& l) {
  auto* model = new IconListModel(l, w);
  w->setModel(model);
  Watch(l, w, [w, model, &l] {
    model->SetApplying(true);
    ApplyControl(w, l);
    model->Refresh();
    const int sel = l.Selected();
    if (w->currentIndex().row() != sel || (sel >= 0 && !w->selectionModel()->isSelected(model->index(sel)))) {
      if (sel < 0) w->selectionModel()->clearSelection();
      else w->selectionModel()->setCurrentIndex(model->index(sel), QItemSelectionModel::ClearAndSelect);
    }
    model->SetApplying(false);
  });
}

std::string IconListView::KeyAt(const QPoint& at) const {
  const auto* m = qobject_cast<const IconListModel*>(model());
  const QModelIndex index = indexAt(at);
  return m && index.isValid() ? m->KeyAt(index.row()) : std::string();
}

void IconListView::mousePressEvent(QMouseEvent* e) {
  pressed_ = KeyAt(e->position().toPoint());
  if (OnPress) OnPress(pressed_);
  QListView::mousePressEvent(e);
}

void IconListView::mouseDoubleClickEvent(QMouseEvent* e) {
  // Not handed to the list view: where the rows changed since the first
  // press, it would take the second click as a press on another icon.
  e->accept();
  if (e->button() == Qt::LeftButton && OnDoubleClick) OnDoubleClick(pressed_);
}

}  // namespace zol
