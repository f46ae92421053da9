#include "qt/folder_chooser_view.h"

#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QPushButton>
#include <QTreeView>

#include "console/app.h"
#include "console/folder_chooser.h"
#include "qt/form_view.h"
#include "qt/mirror.h"
#include "qt/pictures.h"
#include "qt/sjis.h"
#include "qt/view_util.h"

namespace zol {

FolderChooserView::FolderChooserView(App& app, Mirror& mirror) : QWidget(nullptr, Qt::Dialog) {
  FolderChooser& f = app.Form9();
  // Opened from the application-modal settings dialog, it must be modal
  // too to take the operator's input.
  setWindowModality(Qt::ApplicationModal);
  setFixedSize(f.ClientWidth, f.ClientHeight);
  folders.Build(this);
  Named(folders.view, "ShellTreeView1", FromSjis(f.Caption()));
  folders.view->setGeometry(8, 8, f.ClientWidth - 16, f.ClientHeight - 56);
  ok = new QPushButton(this);
  cancel = new QPushButton(this);
  Named(ok, "BitBtn1", FromSjis(f.BitBtn1.Caption()));
  Named(cancel, "BitBtn2", FromSjis(f.BitBtn2.Caption()));
  ok->setGeometry(f.ClientWidth - 216, f.ClientHeight - 40, 100, 32);
  cancel->setGeometry(f.ClientWidth - 108, f.ClientHeight - 40, 100, 32);
  mirror.Bind(ok, f.BitBtn1);
  mirror.Bind(cancel, f.BitBtn2);

  connect(folders.view->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this, &f] {
    const QByteArray fs = QFile::encodeName(folders.Selected());
    f.ShellTreeView1Change(std::string(fs.constData(), static_cast<size_t>(fs.size())));
  });
  // The folders load on a thread: when a folder on the way to the selected
  // one has been read (its rows push the selection down), the selection is
  // scrolled into view again.
  connect(folders.model, &QFileSystemModel::directoryLoaded, this, [this](const QString& path) {
    const QString selected = folders.Selected();
    if (!selected.isEmpty() && (selected.startsWith(path + QLatin1Char('/')) || path == QStringLiteral("/")))
      folders.view->scrollTo(folders.model->index(selected));
  });
  OnClicked(ok, mirror, [&f] { f.BitBtn1Click(); });
  OnClicked(cancel, mirror, [&f] { f.BitBtn2Click(); });
  setWindowIcon(ProgramIcon());
  CentreOnScreen(this);
  new FormView(mirror, this, f, [&f] { f.Close(); });
}

void FolderChooserView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (shown_before_) return;
  shown_before_ = true;
  folders.Select(QDir::homePath());
  folders.view->setFocus();
}

}  // namespace zol
