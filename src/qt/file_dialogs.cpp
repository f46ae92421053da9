#include "qt/file_dialogs.h"

#include <QApplication>
#include <QFileDialog>

#include "qt/sjis.h"

namespace zol {

bool QtFileOpenDialog::Execute(const std::string& filter, std::string* path, bool* held) {
  const QString chosen = QFileDialog::getOpenFileName(QApplication::activeWindow(), QString(), QString(),
                                                      FromSjis(filter));
  if (chosen.isEmpty()) return false;
  bool exact = true;
  *path = ToSjis(chosen, &exact);
  if (held) *held = exact;
  return true;
}

}  // namespace zol
