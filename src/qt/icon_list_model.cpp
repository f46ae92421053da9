#include "qt/icon_list_model.h"

#include <QItemSelectionModel>
#include <QListView>

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
  for (size_t i = 0; i < list_.Count(); ++i) shown_.push_back(Shown{list_.Item(i).image, list_.Item(i).caption});
}

int IconListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : count_; }

QVariant IconListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= static_cast<int>(list_.Count())) return QVariant();
  const IconItem& item = list_.Item(static_cast<size_t>(index.row()));
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
    ApplyControl(w, l);
    model->Refresh();
    const int sel = l.Selected();
    if (w->currentIndex().row() != sel || (sel >= 0 && !w->selectionModel()->isSelected(model->index(sel)))) {
      if (sel < 0) w->selectionModel()->clearSelection();
      else w->selectionModel()->setCurrentIndex(model->index(sel), QItemSelectionModel::ClearAndSelect);
    }
  });
}

}  // namespace zol
