#include "qt/debug_view.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "console/app.h"
#include "monitor/debug_window.h"
#include "qt/form_view.h"
#include "qt/mirror.h"
#include "qt/pictures.h"
#include "qt/view_util.h"

namespace zol {

DebugView::DebugView(App& app, Mirror& mirror) : QWidget(nullptr, Qt::Window) {
  DebugWindow& f = app.Form4();
  setWindowIcon(ProgramIcon());
  resize(900, 640);
  const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  auto* top = new QVBoxLayout(this);
  auto* counts = new QHBoxLayout;
  auto* label1 = new QLabel(this);
  auto* label2 = new QLabel(this);
  counts->addWidget(label1);
  counts->addWidget(label2);
  counts->addStretch(1);
  top->addLayout(counts);
  mirror.Bind(label1, f.Label1);
  mirror.Bind(label2, f.Label2);

  auto* split = new QSplitter(Qt::Vertical, this);
  auto* grids = new QTabWidget(split);
  table = new QTableView(grids);
  unreg = new QTableView(grids);
  ring = new QTableView(grids);
  for (QTableView* t : {table, unreg, ring}) {
    t->horizontalHeader()->setDefaultSectionSize(96);
    t->verticalHeader()->setDefaultSectionSize(18);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setWordWrap(false);
  }
  table->verticalHeader()->setDefaultSectionSize(16);
  mirror.Bind(table, f.StringGrid1);
  mirror.Bind(unreg, f.StringGrid2);
  mirror.Bind(ring, f.StringGridBuff);
  grids->addTab(table, QStringLiteral("StringGrid1"));
  grids->addTab(unreg, QStringLiteral("StringGrid2"));
  grids->addTab(ring, QStringLiteral("StringGridBuff"));
  connect(table, &QTableView::doubleClicked, this, [&f](const QModelIndex&) { f.BitBtn1Click(); });

  auto* texts = new QTabWidget(split);
  auto add_memo = [&](Memo& m, const QString& title, bool mono) {
    auto* e = new QPlainTextEdit(texts);
    e->setReadOnly(true);
    e->setLineWrapMode(QPlainTextEdit::NoWrap);
    if (mono) e->setFont(fixed);
    mirror.Bind(e, m);
    texts->addTab(e, title);
  };
  add_memo(f.Memo1, QStringLiteral("Memo1"), true);
  add_memo(f.Memo2, QStringLiteral("Memo2"), true);
  add_memo(f.Memo3, QStringLiteral("Memo3"), false);
  add_memo(f.RichEdit1, QStringLiteral("RichEdit1"), false);
  add_memo(f.Memo4, QStringLiteral("Memo4"), true);
  top->addWidget(split, 1);

  auto* tools = new QHBoxLayout;
  dump = new QPushButton(S("吐き出し"), this);
  inject = new QPushButton(S("追加"), this);
  auto* edit1 = new QLineEdit(this);
  auto* edit2 = new QLineEdit(this);
  edit1->setFont(fixed);
  edit1->setMinimumWidth(240);
  tools->addWidget(dump);
  tools->addSpacing(20);
  tools->addWidget(edit1, 1);
  tools->addWidget(edit2);
  tools->addWidget(inject);
  top->addLayout(tools);
  mirror.Bind(edit1, f.Edit1);
  mirror.Bind(edit2, f.Edit2);
  connect(dump, &QPushButton::clicked, this, [&f] { f.BitBtn1Click(); });
  connect(inject, &QPushButton::clicked, this, [&f] { f.BitBtn2Click(); });
  // Closing only hides the window.
  new FormView(mirror, this, f, [&f] { f.Hide(); });
}

}  // namespace zol
