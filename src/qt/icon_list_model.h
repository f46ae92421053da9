// The console's icon list (icon view) as a list model for a QListView in
// icon mode, with the state pictures.
#pragma once

#include <QAbstractListModel>
#include <QListView>
#include <QPixmap>
#include <cstdint>
#include <functional>
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
  // The key of the icon the view shows in a row, as the model last told it
  // (empty for no row): what the operator points at while the list has
  // changed and the mirror has not looked yet.
  std::string KeyAt(int row) const;
  // The mirror is bringing the model and its selection up to the list: the
  // view's selection changes are its own, not the operator's.
  bool Applying() const { return applying_; }
  void SetApplying(bool on) { applying_ = on; }

 private:
  struct Shown {
    int image;
    std::string caption;
    std::string key;
  };
  void Snapshot();
  const IconList& list_;
  int count_ = 0;
  std::vector<QPixmap> pictures_;
  std::vector<Shown> shown_;  // what the view was last told, per icon
  std::vector<int> changed_;  // scratch of Refresh
  uint64_t refreshed_ = 0;
  bool applying_ = false;
};

// The icon view's widget. A press names the icon under the pointer by the
// key the view shows there, before the view handles it; the double click
// that follows is for that icon, whatever datagrams rebuilt the list or
// reset the model between the clicks (Qt's own double click needs both
// clicks on one row of an unchanged model).
class IconListView : public QListView {
  Q_OBJECT
 public:
  using QListView::QListView;
  // The key of the icon at a position of the viewport (empty: none).
  std::string KeyAt(const QPoint& at) const;
  // The operator pressed on the icon of key (empty: on empty space).
  std::function<void(const std::string& key)> OnPress;
  // The operator double-clicked; key names the icon of the first press.
  std::function<void(const std::string& key)> OnDoubleClick;

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;

 private:
  std::string pressed_;  // the key of the last press
};

}  // namespace zol
