// Mirrors of the core's control-state objects. Every ~50 ms the mirror
// compares each watched control's revision with the one it last showed and
// repaints only the controls that changed; a burst of changes between two
// looks costs one repaint. The contents of lists, texts and grids in a
// hidden window wait until it is shown: they are brought up to date as they
// appear, before they are painted. The operator's events go the other way,
// into the core's handlers, through the views.
#pragma once

#include <QAbstractTableModel>
#include <QListWidget>
#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>
#include <unordered_map>
#include <vector>

#include "common/controls.h"

class QAbstractButton;
class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QPixmap;
class QPlainTextEdit;
class QSpinBox;
class QTableView;
class QWidget;

namespace zol {

// A grid as a table model: cells converted when painted.
class GridModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit GridModel(const Grid& grid, QObject* parent = nullptr);
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  // After the grid changed: the shape again, or the cells in view.
  void Refresh();

 private:
  const Grid& grid_;
  int rows_ = 0, cols_ = 0;
};

// A list box whose lines change often (the receive list takes a line per
// datagram). SetLines sets only the lines that differ; while the list's
// extent holds (as many lines, all as high, the widest as wide) only their
// places are repainted. Any other change lays the list out again, which
// also fits the scroll bars and repaints the frame and what lies behind it.
class LineList : public QListWidget {
 public:
  using QListWidget::QListWidget;
  void SetLines(const QStringList& lines);
  void doItemsLayout() override;

 protected:
  void dataChanged(const QModelIndex& top_left, const QModelIndex& bottom_right,
                   const QList<int>& roles = QList<int>()) override;
  void rowsInserted(const QModelIndex& parent, int start, int end) override;
  void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;
  void reset() override;
  bool event(QEvent* e) override;

 private:
  void Measure();
  bool setting_ = false;     // SetLines is setting texts
  std::vector<int> widths_;  // per line, as last laid out; empty: a layout is due
  int height_ = -1;          // of every line; -1 when they differ
};

class Mirror : public QObject {
  Q_OBJECT
 public:
  explicit Mirror(QObject* parent = nullptr);

  // apply runs now and then whenever the control's revision has changed.
  void Watch(const Control& c, std::function<void()> apply);
  // The same for content shown in the widget w: while w's window is hidden
  // the changes wait, and apply runs as w is shown. A change of the
  // control's visibility is applied at once.
  void Watch(const Control& c, QWidget* w, std::function<void()> apply);
  // Looks at every watched control now.
  void Poll();
  // Number of repaints done (one per changed control per look).
  uint64_t Applied() const { return applied_; }

  // The operator's events go to the core's handlers only for controls the
  // core holds usable. The widgets follow the core at the next look, so a
  // widget may still look usable when the core has just disabled or hidden
  // its control (or its window): Usable tells, by the control that w (a
  // widget or an action) shows and the controls of the widgets that hold
  // it, as Bind and Tie record them, and by the form of its window, as
  // FormView records it. A refused event changes nothing, and the widget
  // is shown as the core has it at once.
  bool Usable(const QObject* w);
  // Records that w shows c, for a widget a view mirrors with Watch.
  void Tie(const QObject* w, const Control& c);
  // The control that w shows; null for none.
  const Control* ControlOf(const QObject* w) const;
  // Records that the window w shows the form f.
  void SetForm(const QWidget* w, const Form& f);
  // The watches of c run again at the next look, though c has not changed.
  void Reapply(const Control& c);
  // The operator's text in a line edit: edited runs with the new text for
  // every change of the text that the program did not make (typing,
  // pasting, an input method, undo, the accessibility interface), while w
  // is Usable; a change refused is taken back. The program sets texts
  // under a ProgramText.
  void OnOperatorText(QLineEdit* w, std::function<void(const QString&)> edited);

  // Generic mirrors: visibility, enabling, hint and the control's content.
  void Bind(QAbstractButton* w, const Button& b);
  void Bind(QAction* a, const Button& b);
  void Bind(QLabel* w, const TextControl& c);  // read by its text
  void Bind(QLineEdit* w, TextControl& c);  // two-way: the operator's typing goes back
  void Bind(QListWidget* w, const Lines& l);
  void Bind(LineList* w, const Lines& l);
  void Bind(QPlainTextEdit* w, const Lines& l);
  void Bind(QTableView* w, Grid& g);   // whole-row selection goes back
  // The band of the strip (25 rows) the picture shows, or nothing.
  void Bind(QLabel* w, const StripImage& p, const QPixmap& strip);
  // A combo box: its items and the item of its text (an editable one shows
  // any other text as typed, a list none); the views send the operator's
  // choosing and typing back themselves.
  void Bind(QComboBox* w, const ComboBox& c);
  // A spin control: range and position; the operator's changes go back.
  void Bind(QSpinBox* w, UpDown& u);
  // A picture control: shows the picture that draw gives while it names
  // one, else nothing.
  void Bind(QLabel* w, const Image& i, std::function<QPixmap()> draw);
  // The icon list mirror belongs to the console: defined with its model in
  // icon_list_model.cpp, in the console's Qt library.
  void Bind(QListView* w, IconList& l);

 protected:
  bool eventFilter(QObject* obj, QEvent* ev) override;

 private:
  struct Watched {
    const Control* control;
    uint64_t seen;
    std::function<void()> apply;
    QPointer<QWidget> shown_in;  // set for content that waits while unseen
  };
  // Whether w's changes wait: its window is hidden, and showing or hiding
  // the widget is not among them.
  static bool Unseen(const Watched& w);
  std::vector<Watched> watched_;
  QTimer timer_;
  uint64_t applied_ = 0;
  std::unordered_map<const QObject*, const Control*> ties_;
  std::unordered_map<const QObject*, const Form*> forms_;
};

// While one lives, the changes of a line edit's text are the program's own
// (the mirror showing the core's text), not the operator's: OnOperatorText
// does not send them back.
class ProgramText {
 public:
  explicit ProgramText(QLineEdit* w);
  ~ProgramText();
  ProgramText(const ProgramText&) = delete;
  ProgramText& operator=(const ProgramText&) = delete;
  // Whether w's text is being set by the program.
  static bool Active(const QLineEdit* w);

 private:
  QLineEdit* w_;
  bool was_;
};

// Sets a line edit's text as the program's own.
void SetProgramText(QLineEdit* w, const QString& text);

// Applies the common Control state (visible, enabled, hint) to a widget.
void ApplyControl(QWidget* w, const Control& c);

// Names a widget after the control it mirrors (its objectName, "ToolButton1")
// and gives it the name a screen reader reads: its caption, or the hint of a
// button that shows only a picture. A button bound with an empty accessible
// name takes its caption or hint from the core (Mirror::Bind).
template <typename W>
W* Named(W* w, const char* name, const QString& accessible = QString()) {
  w->setObjectName(QString::fromLatin1(name));
  if (!accessible.isEmpty()) w->setAccessibleName(accessible);
  return w;
}

}  // namespace zol
