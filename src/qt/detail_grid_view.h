// The view of the main window's detail grid: a read-only table whose
// header row and number column are the grid's fixed row 0 and column 0
// (so they stay in place when the grid scrolls), sized from the grid's
// layout, with its cells painted through a delegate that asks the core's
// cell painting handler for the text, its place and its colour.
#pragma once

#include <QAbstractTableModel>
#include <QStyledItemDelegate>
#include <QTableView>

namespace zol {

class DetailGrid;
class Grid;
class Mirror;

// Rows 1.. and columns 1.. of the grid as the model's cells; row 0 and
// column 0 as the header data.
class DetailGridModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit DetailGridModel(const Grid& grid, QObject* parent = nullptr);
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  void Refresh();

 private:
  const Grid& grid_;
};

class DetailGridDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  DetailGridDelegate(const DetailGrid& area, QObject* parent = nullptr);
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  const DetailGrid& area_;
};

class DetailGridView : public QTableView {
  Q_OBJECT
 public:
  DetailGridView(DetailGrid& area, Mirror& mirror, QWidget* parent = nullptr);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  DetailGrid& area_;
  DetailGridModel* model_;
  QWidget* corner_ = nullptr;  // shows the grid's cell (0, 0)
};

}  // namespace zol
