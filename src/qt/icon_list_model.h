// The console's icon list (icon view) as a list model for a QListView in
// icon mode, with the state pictures.
#pragma once

#include <QAbstractListModel>
#include <QPixmap>
#include <cstdint>
#include <string>
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
  // After the list changed: a new number of icons resets the model; else
  // only the icons whose picture or caption changed since the last refresh
  // are reported, so the view repaints just their places.
  void Refresh();
  // Icons reported as changed by the refreshes so far (a reset not counted).
  uint64_t IconsRefreshed() const { return refreshed_; }

 private:
  struct Shown {
    int image;
    std::string caption;
  };
  void Snapshot();
  const IconList& list_;
  int count_ = 0;
  std::vector<QPixmap> pictures_;
  std::vector<Shown> shown_;  // what the view was last told, per icon
  std::vector<int> changed_;  // scratch of Refresh
  uint64_t refreshed_ = 0;
};

}  // namespace zol
