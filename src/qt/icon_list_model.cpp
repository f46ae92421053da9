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
    endResetModel();
  } else if (n > 0) {
    emit dataChanged(index(0), index(n - 1));
  }
}

void Mirror::Bind(QListView* w, IconList& l) {
  auto* model = new IconListModel(l, w);
  w->setModel(model);
  Watch(l, [w, model, &l] {
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
