// The view of the detail window: four pages over the window's state; both
// grids painted cell by cell from the core's paint functions.
#pragma once

#include <QStyledItemDelegate>
#include <QWidget>
#include <array>
#include <functional>

#include "console/detail_window.h"

class QLabel;
class QPushButton;
class QTabWidget;
class QTableView;

namespace zol {

class App;
class Mirror;

// Paints every cell of a grid as the core's function for (column, row) says.
class CellDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  CellDelegate(std::function<CellPaint(int col, int row)> paint, QObject* parent);
  void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  std::function<CellPaint(int, int)> paint_;
};

class DetailView : public QWidget {
  Q_OBJECT
 public:
  DetailView(App& app, Mirror& mirror);
  QTabWidget* pages = nullptr;
  QTableView* ol_grid = nullptr;
  QTableView* ol_grid2 = nullptr;
  QLabel* alam_panel = nullptr;
  QPushButton* close = nullptr;
  std::array<QLabel*, 9> images{};  // 1..8
};

}  // namespace zol
