// zolv4backup: backs up and restores the console's three data files, which
// it finds beside its own program file.
#include <QApplication>

#include "backup/backup_window.h"
#include "common/files.h"
#include "qt/app_font.h"
#include "qt/backup_view.h"
#include "qt/message_boxes.h"
#include "qt/mirror.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  zol::UseJapaneseFont();
  zol::QtMessageBoxes boxes;
  zol::BackupWindow form(boxes, zol::ProgramPath());
  form.FormCreate();
  zol::Mirror mirror;
  zol::BackupView view(form, mirror);
  view.show();
  return QApplication::exec();
}
