#include "qt/backup_view.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTreeView>
#include <QVBoxLayout>

#include "backup/backup_window.h"
#include "qt/mirror.h"
#include "qt/sjis.h"

namespace zol {

namespace {

const QString kRoot = QStringLiteral("/");

}  // namespace

BackupView::BackupView(BackupWindow& f, Mirror& mirror) : QWidget(nullptr, Qt::Window), form_(f), mirror_(mirror) {
  setWindowTitle(FromSjis(f.Caption()));
  setFixedSize(f.ClientWidth, f.ClientHeight);

  auto* top = new QVBoxLayout(this);
  top->setContentsMargins(6, 6, 6, 6);
  top->setSpacing(4);

  panel2 = Named(new QLabel(this), "Panel2", FromSjis(f.Panel2.Caption()));
  panel2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  panel2->setAlignment(Qt::AlignCenter);
  panel2->setMinimumHeight(28);
  mirror.Bind(panel2, f.Panel2);
  top->addWidget(panel2);

  label1 = Named(new QLabel(this), "Label1", FromSjis(f.Label1.Caption()));
  mirror.Bind(label1, f.Label1);
  top->addWidget(label1);

  combo = Named(new QComboBox(this), "ShellComboBox1", FromSjis(f.Label1.Caption()));
  top->addWidget(combo);

  folders = new QFileSystemModel(this);
  folders->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);  // folders only, hidden ones not listed
  folders->setReadOnly(true);
  folders->setRootPath(kRoot);
  tree = Named(new QTreeView(this), "ShellTreeView1", FromSjis(f.Label1.Caption()));
  tree->setModel(folders);
  tree->setRootIndex(folders->index(kRoot));  // the root node itself is not shown
  for (int c = 1; c < folders->columnCount(); ++c) tree->hideColumn(c);
  tree->header()->hide();
  tree->setSelectionMode(QAbstractItemView::SingleSelection);  // a right click selects too
  tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
  top->addWidget(tree, 1);

  edit1 = Named(new QLineEdit(this), "Edit1", FromSjis(f.Label1.Caption()));
  label1->setBuddy(edit1);
  mirror.Bind(edit1, f.Edit1);
  top->addWidget(edit1);

  auto* buttons = new QHBoxLayout;
  bitbtn1 = Named(new QPushButton(this), "BitBtn1", FromSjis(f.BitBtn1.Caption()));
  bitbtn2 = Named(new QPushButton(this), "BitBtn2", FromSjis(f.BitBtn2.Caption()));
  mirror.Bind(bitbtn1, f.BitBtn1);
  mirror.Bind(bitbtn2, f.BitBtn2);
  buttons->addWidget(bitbtn1);
  buttons->addWidget(bitbtn2);
  top->addLayout(buttons);

  connect(tree->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { SelectionChanged(); });
  connect(combo, QOverload<int>::of(&QComboBox::activated), this,
          [this](int i) {
            // "/" itself is no node of the tree: show the top instead.
            if (SelectFolder(combo->itemData(i).toString())) return;
            tree->scrollToTop();
            FillCombo();
          });
  connect(bitbtn1, &QPushButton::clicked, this, [this] {
    form_.BitBtn1Click();
    mirror_.Poll();
  });
  connect(bitbtn2, &QPushButton::clicked, this, [this] {
    form_.BitBtn2Click();
    mirror_.Poll();
  });

  // The home folder open and in view, nothing selected.
  const QModelIndex home = folders->index(QDir::homePath());
  for (QModelIndex i = home; i.isValid(); i = i.parent()) tree->expand(i);
  connect(folders, &QFileSystemModel::directoryLoaded, this, [this](const QString& path) {
    if (path == QDir::homePath() && !tree->selectionModel()->hasSelection())
      tree->scrollTo(folders->index(path), QAbstractItemView::PositionAtTop);
  });
  tree->scrollTo(home, QAbstractItemView::PositionAtTop);
  tree->setFocus();  // typing a folder's first letters finds it
  FillCombo();

  if (const QScreen* s = QGuiApplication::primaryScreen()) move(s->availableGeometry().center() - rect().center());
}

QString BackupView::SelectedFolder() const {
  const QModelIndexList sel = tree->selectionModel()->selectedRows(0);
  return sel.isEmpty() ? QString() : folders->filePath(sel.first());
}

bool BackupView::SelectFolder(const QString& path) {
  const QModelIndex index = folders->index(path);
  if (!index.isValid() || index == tree->rootIndex()) return false;
  for (QModelIndex i = index.parent(); i.isValid(); i = i.parent()) tree->expand(i);
  tree->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  tree->scrollTo(index);
  return true;
}

void BackupView::SelectionChanged() {
  const QString path = SelectedFolder();
  const QByteArray fs = QFile::encodeName(path);
  form_.ShellTreeView1Change(std::string(fs.constData(), static_cast<size_t>(fs.size())));
  FillCombo();
  mirror_.Poll();
}

void BackupView::FillCombo() {
  // The selected folder and its ancestors up to "/", then the home folder.
  const QString selected = SelectedFolder();
  QStringList chain;
  for (QString p = selected; !p.isEmpty(); p = p == kRoot ? QString() : QFileInfo(p).path()) chain.prepend(p);
  if (chain.isEmpty()) chain << kRoot;
  combo->clear();
  for (int depth = 0; depth < chain.size(); ++depth) {
    const QString& p = chain[depth];
    const QString name = p == kRoot ? kRoot : QFileInfo(p).fileName();
    combo->addItem(QString(depth * 2, QLatin1Char(' ')) + name, p);
    combo->setItemData(depth, p, Qt::ToolTipRole);
  }
  const QString home = QDir::homePath();
  if (!chain.contains(home)) {
    combo->addItem(home, home);
    combo->setItemData(combo->count() - 1, home, Qt::ToolTipRole);
  }
  combo->setCurrentIndex(selected.isEmpty() ? -1 : chain.size() - 1);
}

void BackupView::closeEvent(QCloseEvent* event) {
  event->accept();
  QCoreApplication::exit(0);  // the tool's only window: its close ends the program
}

}  // namespace zol
