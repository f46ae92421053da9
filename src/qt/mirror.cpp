#include "qt/mirror.h"

#include <QAbstractButton>
#include <QAccessible>
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
#include <QTextDocument>
#include <algorithm>
#include <memory>

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
  watched_.push_back(Watched{&c, c.Revision(), std::move(apply), nullptr});
}

void Mirror::Watch(const Control& c, QWidget* w, std::function<void()> apply) {
  apply();
  watched_.push_back(Watched{&c, c.Revision(), std::move(apply), w});
  w->installEventFilter(this);
  Tie(w, c);
}

void Mirror::Tie(const QObject* w, const Control& c) {
  if (ties_.emplace(w, &c).second) {
    connect(w, &QObject::destroyed, this, [this, w] { ties_.erase(w); });
  } else {
    ties_[w] = &c;
  }
}

const Control* Mirror::ControlOf(const QObject* w) const {
  const auto it = ties_.find(w);
  return it == ties_.end() ? nullptr : it->second;
}

void Mirror::SetForm(const QWidget* w, const Form& f) {
  if (forms_.emplace(w, &f).second) connect(w, &QObject::destroyed, this, [this, w] { forms_.erase(w); });
}

bool Mirror::Usable(const QObject* w) {
  // The control itself, the controls that hold it (a panel of buttons) and
  // the nearest window that shows a form; an action's menu belongs to the
  // widget it was made for.
  bool usable = true;
  for (const QObject* o = w; o && usable; o = o->parent()) {
    if (const Control* c = ControlOf(o)) usable = c->Enabled() && c->Visible();
    const auto it = forms_.find(o);
    if (it == forms_.end()) continue;
    usable = usable && it->second->Enabled() && it->second->Visible();
    break;
  }
  if (!usable) {
    if (const Control* c = ControlOf(w)) Reapply(*c);
    Poll();
  }
  return usable;
}

void Mirror::Reapply(const Control& c) {
  for (Watched& w : watched_) {
    if (w.control == &c) w.seen = c.Revision() - 1;
  }
}

namespace {
const char* const kProgramText = "zolProgramText";
}

ProgramText::ProgramText(QLineEdit* w) : w_(w), was_(Active(w)) {
  if (w_) w_->setProperty(kProgramText, true);
}

ProgramText::~ProgramText() {
  if (w_) w_->setProperty(kProgramText, was_);
}

bool ProgramText::Active(const QLineEdit* w) { return w && w->property(kProgramText).toBool(); }

void SetProgramText(QLineEdit* w, const QString& text) {
  const ProgramText program(w);
  w->setText(text);
}

void Mirror::OnOperatorText(QLineEdit* w, std::function<void(const QString&)> edited) {
  connect(w, &QLineEdit::textChanged, this, [this, w, edited = std::move(edited)](const QString& t) {
    if (ProgramText::Active(w)) return;
    // A combo box's edit is read by the combo box's control. A refused text
    // is taken back by Usable, which shows the control again.
    const QObject* owner = w;
    if (!ControlOf(w) && qobject_cast<const QComboBox*>(w->parent())) owner = w->parent();
    if (Usable(owner)) edited(t);
  });
}

bool Mirror::Unseen(const Watched& w) {
  const QWidget* widget = w.shown_in.data();
  // Only a hidden window holds its content back. A widget hidden for itself
  // (isHidden) shows nothing either way; one hidden by its window is told
  // (a show event) when it appears.
  return widget && !widget->window()->isVisible() && widget->isHidden() != w.control->Visible();
}

void Mirror::Poll() {
  for (size_t i = 0; i < watched_.size(); ++i) {
    Watched& w = watched_[i];
    const uint64_t rev = w.control->Revision();
    if (rev == w.seen) continue;
    if (Unseen(w)) {
      // Told when the window appears (a widget on a page in the background
      // gets no show event of its own).
      w.shown_in->window()->installEventFilter(this);
      continue;
    }
    w.seen = rev;
    ++applied_;
    w.apply();
  }
}

bool Mirror::eventFilter(QObject* obj, QEvent* ev) {
  if (ev->type() == QEvent::Show) {
    // A window or widget is about to appear: what waited for it is applied
    // before the first paint.
    for (size_t i = 0; i < watched_.size(); ++i) {
      Watched& w = watched_[i];
      if (!w.shown_in) continue;
      const uint64_t rev = w.control->Revision();
      if (rev == w.seen || Unseen(w)) continue;
      w.seen = rev;
      ++applied_;
      w.apply();
    }
  }
  return QObject::eventFilter(obj, ev);
}

void Mirror::Bind(QAbstractButton* w, const Button& b) {
  Tie(w, b);
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
  Tie(a, b);
  Watch(b, [a, &b] {
    a->setEnabled(b.Enabled());
    a->setVisible(b.Visible());
    a->setToolTip(FromSjis(b.Hint()));
    if (!b.Caption().empty()) a->setText(FromSjis(b.Caption()));
    if (a->isCheckable() && a->isChecked() != b.Down()) a->setChecked(b.Down());
  });
}

void Mirror::Bind(QLabel* w, const TextControl& c) {
  Tie(w, c);
  // A screen reader reads the label's text, the value the operator sees;
  // its caption is its label by relation (a caption's buddy, a group box).
  w->setAccessibleName(QString());
  Watch(c, [w, &c] {
    ApplyControl(w, c);
    const QString t = FromSjis(c.Caption());
    if (w->text() != t) w->setText(t);
  });
}

void Mirror::Bind(QLineEdit* w, TextControl& c) {
  Tie(w, c);
  Watch(c, [w, &c] {
    ApplyControl(w, c);
    const QString t = FromSjis(c.Text());
    // Typing that Shift-JIS cannot hold stays as typed, for the operator to mend.
    if (!c.Unheld() && w->text() != t) SetProgramText(w, t);
  });
  OnOperatorText(w, [&c](const QString& t) { SetTyped(c, t); });
}

void Mirror::Bind(QComboBox* w, const ComboBox& c) {
  Tie(w, c);
  auto apply = [w, &c] {
    ApplyControl(w, c);
    const ProgramText program(w->lineEdit());
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
    if (c.Unheld()) return;  // the operator's typing stays as typed
    if (i >= 0) w->setCurrentIndex(i);
    else if (w->isEditable()) w->setEditText(text);
    else w->setCurrentIndex(-1);
  };
  Watch(c, apply);
  Watch(c.items, apply);
}

void Mirror::Bind(QSpinBox* w, UpDown& u) {
  Tie(w, u);
  Watch(u, [w, &u] {
    ApplyControl(w, u);
    const QSignalBlocker quiet(w);
    if (w->minimum() != u.Min() || w->maximum() != u.Max()) w->setRange(u.Min(), u.Max());
    if (w->value() != u.Position()) w->setValue(u.Position());
  });
  connect(w, qOverload<int>(&QSpinBox::valueChanged), this, [this, w, &u](int v) {
    if (Usable(w)) u.SetPosition(v);
  });
}

void Mirror::Bind(QLabel* w, const Image& i, std::function<QPixmap()> draw) {
  Watch(i, [w, &i, draw] {
    ApplyControl(w, i);
    if (i.Picture().empty()) w->clear();
    else w->setPixmap(draw());
  });
}

void Mirror::Bind(QListWidget* w, const Lines& l) {
  Watch(l, w, [w, &l] {
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

void Mirror::Bind(LineList* w, const Lines& l) {
  Watch(l, w, [w, &l] {
    ApplyControl(w, l);
    QStringList lines;
    lines.reserve(static_cast<qsizetype>(l.Count()));
    for (const std::string& s : l.All()) lines << FromSjis(s);
    w->SetLines(lines);
    if (w->currentRow() != l.ItemIndex()) w->setCurrentRow(l.ItemIndex());
  });
}

void LineList::SetLines(const QStringList& lines) {
  const int n = static_cast<int>(lines.size());
  while (count() > n) delete takeItem(count() - 1);
  std::vector<int> changed;
  setting_ = true;
  for (int i = 0; i < count(); ++i) {
    if (item(i)->text() == lines[i]) continue;
    item(i)->setText(lines[i]);
    changed.push_back(i);
  }
  setting_ = false;
  for (int i = count(); i < n; ++i) addItem(lines[i]);
  if (changed.empty()) return;
  // Whether the list keeps its extent is told by all the new lines together:
  // lines that move down by one pass the widest from line to line.
  bool keeps = static_cast<int>(widths_.size()) == count() && height_ >= 0;
  if (keeps) {
    const int widest = *std::max_element(widths_.begin(), widths_.end());
    for (int r : changed) {
      const QSize size = sizeHintForIndex(model()->index(r, 0));
      widths_[static_cast<size_t>(r)] = size.width();
      if (size.height() != height_) keeps = false;
    }
    keeps = keeps && *std::max_element(widths_.begin(), widths_.end()) == widest;
  }
  if (!keeps) {
    widths_.clear();
    scheduleDelayedItemsLayout();  // repaints it all
  } else {
    // The lines set are as a rule every line in view (they moved down by
    // one): the viewport is repainted, without placing each line again
    // (which measures its text once more).
    viewport()->update();
  }
  if (QAccessible::isActive()) {
    QAccessibleTableModelChangeEvent event(this, QAccessibleTableModelChangeEvent::DataChanged);
    event.setFirstRow(changed.front());
    event.setLastRow(changed.back());
    event.setFirstColumn(0);
    event.setLastColumn(0);
    QAccessible::updateAccessibility(&event);
  }
}

void LineList::Measure() {
  const int n = count();
  widths_.assign(static_cast<size_t>(n), 0);
  height_ = -1;
  for (int r = 0; r < n; ++r) {
    const QSize size = sizeHintForIndex(model()->index(r, 0));
    widths_[static_cast<size_t>(r)] = size.width();
    if (r == 0) height_ = size.height();
    else if (size.height() != height_) height_ = -1;
  }
}

void LineList::doItemsLayout() {
  QListWidget::doItemsLayout();
  Measure();
}

void LineList::dataChanged(const QModelIndex& top_left, const QModelIndex& bottom_right, const QList<int>& roles) {
  if (setting_) return;  // SetLines reports the lines it set once they are all set
  widths_.clear();
  QListWidget::dataChanged(top_left, bottom_right, roles);  // lays the list out again
}

void LineList::rowsInserted(const QModelIndex& parent, int start, int end) {
  widths_.clear();
  QListWidget::rowsInserted(parent, start, end);
}

void LineList::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) {
  widths_.clear();
  QListWidget::rowsAboutToBeRemoved(parent, start, end);
}

void LineList::reset() {
  widths_.clear();
  QListWidget::reset();
}

bool LineList::event(QEvent* e) {
  // Lines are measured in the list's font and style.
  if (e->type() == QEvent::FontChange || e->type() == QEvent::StyleChange) widths_.clear();
  return QListWidget::event(e);
}

void Mirror::Bind(QPlainTextEdit* w, const Lines& l) {
  // The lines last set, and the document's revision right after: while
  // both hold, the widget shows them and nothing is converted again.
  struct Shown {
    std::vector<std::string> lines;
    int revision = -1;
  };
  auto shown = std::make_shared<Shown>();
  Watch(l, w, [w, &l, shown] {
    ApplyControl(w, l);
    if (shown->revision == w->document()->revision() && shown->lines == l.All()) return;
    QString text;
    for (size_t i = 0; i < l.Count(); ++i) {
      if (i) text += QLatin1Char('\n');
      text += FromSjis(l[i]);
    }
    if (w->toPlainText() != text) w->setPlainText(text);
    shown->lines = l.All();
    shown->revision = w->document()->revision();
  });
}

void Mirror::Bind(QTableView* w, Grid& g) {
  auto* model = new GridModel(g, w);
  w->setModel(model);
  w->setSelectionBehavior(QAbstractItemView::SelectRows);
  w->setSelectionMode(QAbstractItemView::SingleSelection);
  w->horizontalHeader()->hide();  // the grid's own row 0 and column 0 are its headers
  w->verticalHeader()->hide();
  Watch(g, w, [w, model, &g] {
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
