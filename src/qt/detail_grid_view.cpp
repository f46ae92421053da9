#include "qt/detail_grid_view.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionHeader>

#include "console/detail_grid.h"
#include "qt/mirror.h"
#include "qt/sjis.h"

namespace zol {

DetailGridModel::DetailGridModel(const Grid& grid, QObject* parent) : QAbstractTableModel(parent), grid_(grid) {}

int DetailGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : std::max(grid_.RowCount() - grid_.FixedRows(), 0);
}

int DetailGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : std::max(grid_.ColCount() - grid_.FixedCols(), 0);
}

QVariant DetailGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || role != Qt::DisplayRole) return QVariant();
  return FromSjis(grid_.Cell(index.column() + grid_.FixedCols(), index.row() + grid_.FixedRows()));
}

QVariant DetailGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return QVariant();
  if (orientation == Qt::Horizontal) return FromSjis(grid_.Cell(section + grid_.FixedCols(), 0));
  return FromSjis(grid_.Cell(0, section + grid_.FixedRows()));
}

void DetailGridModel::Refresh() {
  const int rows = rowCount(), cols = columnCount();
  if (rows > 0 && cols > 0) emit dataChanged(index(0, 0), index(rows - 1, cols - 1), {Qt::DisplayRole});
  if (cols > 0) emit headerDataChanged(Qt::Horizontal, 0, cols - 1);
  if (rows > 0) emit headerDataChanged(Qt::Vertical, 0, rows - 1);
}

DetailGridDelegate::DetailGridDelegate(const DetailGrid& area, QObject* parent)
    : QStyledItemDelegate(parent), area_(area) {}

void DetailGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  const Grid& g = area_.StringGrid2;
  const QRect r = option.rect;
  const CellDrawing d = area_.StringGrid2DrawCell(index.column() + g.FixedCols(), index.row() + g.FixedRows(),
                                                   CellRect{r.left(), r.top(), r.right() + 1, r.bottom() + 1});
  if (!d.draw) {
    QStyledItemDelegate::paint(painter, option, index);
    return;
  }
  // The view's own painting of the cell without its text, then the text.
  QStyleOptionViewItem opt(option);
  initStyleOption(&opt, index);
  opt.text.clear();
  const QWidget* w = opt.widget;
  QStyle* style = w ? w->style() : QApplication::style();
  style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, w);
  const bool selected = opt.state & QStyle::State_Selected;
  const QPalette::ColorGroup group = opt.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
  const QColor colour = d.color ? QColor::fromRgb(*d.color)
                                : opt.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);
  painter->save();
  painter->setClipRect(r);
  painter->setFont(opt.font);
  painter->setPen(colour);
  painter->drawText(QRect(d.x, d.y, r.right() + 1 - d.x, r.bottom() + 1 - d.y),
                    Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, FromSjis(d.text));
  painter->restore();
}

DetailGridView::DetailGridView(DetailGrid& area, Mirror& mirror, QWidget* parent)
    : QTableView(parent), area_(area), model_(new DetailGridModel(area.StringGrid2, this)) {
  Grid& g = area.StringGrid2;
  setObjectName(QStringLiteral("StringGrid2"));
  setAccessibleName(FromSjis("機器詳細"));
  setModel(model_);
  setItemDelegate(new DetailGridDelegate(area, this));
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
  setWordWrap(false);

  // Fixed column 0 and row 0 are the view's headers, so they never scroll.
  const int h = g.DefaultRowHeight();
  QHeaderView* rows = verticalHeader();
  rows->setSectionResizeMode(QHeaderView::Fixed);
  rows->setMinimumSectionSize(h);
  rows->setDefaultSectionSize(h);
  rows->setDefaultAlignment(Qt::AlignCenter);
  rows->setFixedWidth(g.ColWidth(0));
  QHeaderView* cols = horizontalHeader();
  cols->setSectionResizeMode(QHeaderView::Fixed);
  cols->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  cols->setMinimumSectionSize(1);
  cols->setFixedHeight(h);
  for (int c = g.FixedCols(); c < g.ColCount(); ++c) setColumnWidth(c - g.FixedCols(), g.ColWidth(c));
  corner_ = findChild<QAbstractButton*>();
  if (corner_) corner_->installEventFilter(this);

  mirror.Watch(g, [this, &g] {
    ApplyControl(this, g);
    model_->Refresh();
    if (corner_) corner_->update();
    const int row = g.Row() - g.FixedRows();
    if (row < 0) {
      if (selectionModel()->hasSelection() || currentIndex().isValid()) selectionModel()->clear();
    } else if (currentIndex().row() != row) {
      selectRow(row);
    }
    verticalScrollBar()->setValue(g.TopRow() - g.FixedRows());
    horizontalScrollBar()->setValue(g.LeftCol() - g.FixedCols());
  });
  connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, [&g](const QModelIndex& cur) {
    g.SetRow(cur.isValid() ? cur.row() + g.FixedRows() : -1);
  });
  connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [&g](int v) { g.SetTopRow(v + g.FixedRows()); });
  connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [&g](int v) { g.SetLeftCol(v + g.FixedCols()); });
}

bool DetailGridView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == corner_ && event->type() == QEvent::Paint) {
    QPainter painter(corner_);
    QStyleOptionHeader opt;
    opt.initFrom(corner_);
    opt.rect = corner_->rect();
    opt.position = QStyleOptionHeader::OnlyOneSection;
    style()->drawControl(QStyle::CE_HeaderSection, &opt, &painter, corner_);
    painter.drawText(opt.rect.adjusted(1, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                     FromSjis(area_.StringGrid2.Cell(0, 0)));
    return true;
  }
  return QTableView::eventFilter(watched, event);
}

}  // namespace zol
