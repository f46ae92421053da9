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
  auto* label1 = Named(new QLabel(this), "Label1");
  auto* label2 = Named(new QLabel(this), "Label2");
  counts->addWidget(label1);
  counts->addWidget(label2);
  counts->addStretch(1);
  top->addLayout(counts);
  mirror.Bind(label1, f.Label1);
  mirror.Bind(label2, f.Label2);

  auto* split = new QSplitter(Qt::Vertical, this);
  auto* grids = new QTabWidget(split);
  // A developer's window: its tables and texts are read by the names its
  // tabs show.
  table = Named(new QTableView(grids), "StringGrid1", QStringLiteral("StringGrid1"));
  unreg = Named(new QTableView(grids), "StringGrid2", QStringLiteral("StringGrid2"));
  ring = Named(new QTableView(grids), "StringGridBuff", QStringLiteral("StringGridBuff"));
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
  connect(table, &QTableView::doubleClicked, this, [&f, &mirror, this](const QModelIndex&) {
    if (mirror.Usable(table)) f.BitBtn1Click();
  });

  auto* texts = new QTabWidget(split);
  auto add_memo = [&](Memo& m, const char* name, bool mono) {
    const QString title = QString::fromLatin1(name);
    auto* e = Named(new QPlainTextEdit(texts), name, title);
    e->setReadOnly(true);
    e->setLineWrapMode(QPlainTextEdit::NoWrap);
    if (mono) e->setFont(fixed);
    mirror.Bind(e, m);
    texts->addTab(e, title);
  };
  add_memo(f.Memo1, "Memo1", true);
  add_memo(f.Memo2, "Memo2", true);
  add_memo(f.Memo3, "Memo3", false);
  add_memo(f.RichEdit1, "RichEdit1", false);
  add_memo(f.Memo4, "Memo4", true);
  top->addWidget(split, 1);

  auto* tools = new QHBoxLayout;
  dump = Named(new QPushButton(S("吐き出し"), this), "BitBtn1");
  inject = Named(new QPushButton(S("追加"), this), "BitBtn2");
  auto* edit1 = Named(new QLineEdit(this), "Edit1", QStringLiteral("Edit1"));
  auto* edit2 = Named(new QLineEdit(this), "Edit2", QStringLiteral("Edit2"));
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
  OnClicked(dump, mirror, [&f] { f.BitBtn1Click(); });
  OnClicked(inject, mirror, [&f] { f.BitBtn2Click(); });
  // Closing only hides the window.
  new FormView(mirror, this, f, [&f] { f.Hide(); });
}

}  // namespace zol
