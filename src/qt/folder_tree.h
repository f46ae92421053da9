// A tree of the file system's folders, shared by the backup tool and the
// console's folder chooser: a QFileSystemModel (folders only, hidden ones
// not listed, loaded on a thread) under a QTreeView rooted at "/", the root
// node itself not shown, names only, a right click selecting too.
#pragma once

#include <QString>

class QFileSystemModel;
class QTreeView;
class QWidget;

namespace zol {

// Lives as a member of the window that shows it.
class FolderTree {
 public:
  // Makes the model and the view, children of parent.
  void Build(QWidget* parent);
  QTreeView* view = nullptr;
  QFileSystemModel* model = nullptr;

  // The path of the selected folder, empty for none.
  QString Selected() const;
  // Selects the folder, its ancestors expanded, and scrolls it into view;
  // false when the tree does not hold it.
  bool Select(const QString& path);
  // Opens the home folder's branch and scrolls it to the top of the view,
  // selecting nothing.
  void ShowHome();
};

}  // namespace zol
