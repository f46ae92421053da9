#include "qt/folder_tree.h"

#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QTreeView>

namespace zol {

namespace {
const QString kRoot = QStringLiteral("/");
}  // namespace

void FolderTree::Build(QWidget* parent) {
  model = new QFileSystemModel(parent);
  model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);  // folders only, hidden ones not listed
  model->setReadOnly(true);
  model->setRootPath(kRoot);
  view = new QTreeView(parent);
  view->setModel(model);
  view->setRootIndex(model->index(kRoot));  // the root node itself is not shown
  for (int c = 1; c < model->columnCount(); ++c) view->hideColumn(c);
  view->header()->hide();
  view->setSelectionMode(QAbstractItemView::SingleSelection);  // a right click selects too
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
}

QString FolderTree::Selected() const {
  const QModelIndexList sel = view->selectionModel()->selectedRows(0);
  return sel.isEmpty() ? QString() : model->filePath(sel.first());
}

bool FolderTree::Select(const QString& path) {
  const QModelIndex index = model->index(path);
  if (!index.isValid() || index == view->rootIndex()) return false;
  for (QModelIndex i = index.parent(); i.isValid(); i = i.parent()) view->expand(i);
  view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  view->scrollTo(index);
  return true;
}

void FolderTree::ShowHome() {
  const QString home = QDir::homePath();
  const QModelIndex index = model->index(home);
  for (QModelIndex i = index; i.isValid(); i = i.parent()) view->expand(i);
  // The folders load on a thread: the home folder is scrolled to once more
  // when its branch has been read, unless the operator has chosen already.
  QObject::connect(model, &QFileSystemModel::directoryLoaded, view, [this, home](const QString& path) {
    if (path == home && !view->selectionModel()->hasSelection())
      view->scrollTo(model->index(path), QAbstractItemView::PositionAtTop);
  });
  view->scrollTo(index, QAbstractItemView::PositionAtTop);
}

}  // namespace zol
