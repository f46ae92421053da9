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
#include "qt/folder_tree.h"
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

  folders_.Build(this);
  folders = folders_.model;
  tree = Named(folders_.view, "ShellTreeView1", FromSjis(f.Label1.Caption()));
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
    if (!mirror_.Usable(bitbtn1)) return;
    form_.BitBtn1Click();
    mirror_.Poll();
  });
  connect(bitbtn2, &QPushButton::clicked, this, [this] {
    if (!mirror_.Usable(bitbtn2)) return;
    form_.BitBtn2Click();
    mirror_.Poll();
  });

  // The home folder open and in view, nothing selected.
  folders_.ShowHome();
  tree->setFocus();  // typing a folder's first letters finds it
  FillCombo();

  if (const QScreen* s = QGuiApplication::primaryScreen()) move(s->availableGeometry().center() - rect().center());
}

QString BackupView::SelectedFolder() const { return folders_.Selected(); }

bool BackupView::SelectFolder(const QString& path) { return folders_.Select(path); }

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
