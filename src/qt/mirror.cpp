#include "qt/mirror.h"

#include <QAbstractButton>
#include <QAction>
#include <QColor>
#include <QComboBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTableView>

#include "qt/sjis.h"

namespace zol {

GridModel::GridModel(const Grid& grid, QObject* parent)
    : QAbstractTableModel(parent), grid_(grid), rows_(grid.RowCount()), cols_(grid.ColCount()) {}

int GridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }
int GridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : cols_; }

QVariant GridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return QVariant();
  // Row 0 and column 0 are the grid's fixed header cells.
  if (role == Qt::BackgroundRole && (index.row() == 0 || index.column() == 0)) return QColor(0xE4, 0xE4, 0xE4);
  if (role != Qt::DisplayRole) return QVariant();
  return FromSjis(grid_.Cell(index.column(), index.row()));
}

void GridModel::Refresh() {
  if (grid_.RowCount() != rows_ || grid_.ColCount() != cols_) {
    beginResetModel();
    rows_ = grid_.RowCount();
    cols_ = grid_.ColCount();
    endResetModel();
  } else if (rows_ > 0 && cols_ > 0) {
    emit dataChanged(index(0, 0), index(rows_ - 1, cols_ - 1), {Qt::DisplayRole});
  }
}

void ApplyControl(QWidget* w, const Control& c) {
  if (w->isEnabled() != c.Enabled()) w->setEnabled(c.Enabled());
  const QString tip = FromSjis(c.Hint());
  if (w->toolTip() != tip) w->setToolTip(tip);
  if (w->isHidden() == c.Visible()) w->setVisible(c.Visible());
}

Mirror::Mirror(QObject* parent) : QObject(parent) {
  timer_.setInterval(50);
  connect(&timer_, &QTimer::timeout, this, &Mirror::Poll);
  timer_.start();
}

void Mirror::Watch(const Control& c, std::function<void()> apply) {
  apply();
  watched_.push_back(Watched{&c, c.Revision(), std::move(apply)});
}

void Mirror::Poll() {
  for (size_t i = 0; i < watched_.size(); ++i) {
    Watched& w = watched_[i];
    const uint64_t rev = w.control->Revision();
    if (rev == w.seen) continue;
    w.seen = rev;
    ++applied_;
    w.apply();
  }
}

void Mirror::Bind(QAbstractButton* w, const Button& b) {
  Watch(b, [w, &b] {
    ApplyControl(w, b);
    if (!b.Caption().empty()) w->setText(FromSjis(b.Caption()));
    if (w->isCheckable() && w->isChecked() != b.Down()) w->setChecked(b.Down());
    // What a screen reader reads: the caption, or the hint of a button that
    // shows only a picture.
    const QString name = FromSjis(b.Caption().empty() ? b.Hint() : b.Caption());
    if (w->accessibleName() != name) w->setAccessibleName(name);
  });
}

void Mirror::Bind(QAction* a, const Button& b) {
  Watch(b, [a, &b] {
    a->setEnabled(b.Enabled());
    a->setVisible(b.Visible());
    a->setToolTip(FromSjis(b.Hint()));
    if (!b.Caption().empty()) a->setText(FromSjis(b.Caption()));
    if (a->isCheckable() && a->isChecked() != b.Down()) a->setChecked(b.Down());
  });
}

void Mirror::Bind(QLabel* w, const TextControl& c) {
  Watch(c, [w, &c] {
    ApplyControl(w, c);
    const QString t = FromSjis(c.Caption());
    if (w->text() != t) w->setText(t);
  });
}

void Mirror::Bind(QLineEdit* w, TextControl& c) {
  Watch(c, [w, &c] {
    ApplyControl(w, c);
    const QString t = FromSjis(c.Text());
    if (w->text() != t) w->setText(t);
  });
  connect(w, &QLineEdit::textEdited, this, [&c](const QString& t) { c.SetText(ToSjis(t)); });
}

void Mirror::Bind(QComboBox* w, const ComboBox& c) {
  auto apply = [w, &c] {
    ApplyControl(w, c);
    const QSignalBlocker block(w);
    QStringList items;
    for (const std::string& s : c.items.All()) items << FromSjis(s);
    QStringList shown;
    for (int i = 0; i < w->count(); ++i) shown << w->itemText(i);
    if (shown != items) {
      w->clear();
      w->addItems(items);
    }
    const QString text = FromSjis(c.Text());
    const int i = w->findText(text);
    if (i >= 0) w->setCurrentIndex(i);
    else if (w->isEditable()) w->setEditText(text);
    else w->setCurrentIndex(-1);
  };
  Watch(c, apply);
  Watch(c.items, apply);
}

void Mirror::Bind(QSpinBox* w, UpDown& u) {
  Watch(u, [w, &u] {
    ApplyControl(w, u);
    const QSignalBlocker quiet(w);
    if (w->minimum() != u.Min() || w->maximum() != u.Max()) w->setRange(u.Min(), u.Max());
    if (w->value() != u.Position()) w->setValue(u.Position());
  });
  connect(w, qOverload<int>(&QSpinBox::valueChanged), this, [&u](int v) { u.SetPosition(v); });
}

void Mirror::Bind(QLabel* w, const Image& i, std::function<QPixmap()> draw) {
  Watch(i, [w, &i, draw] {
    ApplyControl(w, i);
    if (i.Picture().empty()) w->clear();
    else w->setPixmap(draw());
  });
}

void Mirror::Bind(QListWidget* w, const Lines& l) {
  Watch(l, [w, &l] {
    ApplyControl(w, l);
    w->setUpdatesEnabled(false);
    const int n = static_cast<int>(l.Count());
    while (w->count() > n) delete w->takeItem(w->count() - 1);
    for (int i = 0; i < n; ++i) {
      const QString t = FromSjis(l[static_cast<size_t>(i)]);
      if (i < w->count()) {
        if (w->item(i)->text() != t) w->item(i)->setText(t);
      } else {
        w->addItem(t);
      }
    }
    if (w->currentRow() != l.ItemIndex()) w->setCurrentRow(l.ItemIndex());
    w->setUpdatesEnabled(true);
  });
}

void Mirror::Bind(QPlainTextEdit* w, const Lines& l) {
  Watch(l, [w, &l] {
    ApplyControl(w, l);
    QString text;
    for (size_t i = 0; i < l.Count(); ++i) {
      if (i) text += QLatin1Char('\n');
      text += FromSjis(l[i]);
    }
    if (w->toPlainText() != text) w->setPlainText(text);
  });
}

void Mirror::Bind(QTableView* w, Grid& g) {
  auto* model = new GridModel(g, w);
  w->setModel(model);
  w->setSelectionBehavior(QAbstractItemView::SelectRows);
  w->setSelectionMode(QAbstractItemView::SingleSelection);
  w->horizontalHeader()->hide();  // the grid's own row 0 and column 0 are its headers
  w->verticalHeader()->hide();
  Watch(g, [w, model, &g] {
    ApplyControl(w, g);
    model->Refresh();
    const int row = g.Row();
    if (w->currentIndex().row() != row) {
      if (row < 0) w->selectionModel()->clearSelection();
      else w->selectRow(row);
    }
  });
  connect(w->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [&g](const QModelIndex& cur, const QModelIndex&) { g.SetRow(cur.isValid() ? cur.row() : -1); });
}

void Mirror::Bind(QLabel* w, const StripImage& p, const QPixmap& strip) {
  Watch(p, [w, &p, strip] {
    ApplyControl(w, p);
    const int top = p.Band() * 25;
    if (p.Band() == StripImage::kNone || top + 25 > strip.height()) w->clear();
    else w->setPixmap(strip.copy(0, top, strip.width(), 25));
  });
}

}  // namespace zol
