// The console's icon list (icon view) as a list model for a QListView in
// icon mode, with the state pictures.
#pragma once

#include <QAbstractListModel>
#include <QPixmap>
#include <vector>

#include "common/controls.h"

namespace zol {

// An icon list as a list model for a QListView in icon mode.
class IconListModel : public QAbstractListModel {
  Q_OBJECT
 public:
  explicit IconListModel(const IconList& list, QObject* parent = nullptr);
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  void Refresh();

 private:
  const IconList& list_;
  int count_ = 0;
  std::vector<QPixmap> pictures_;
};

}  // namespace zol
