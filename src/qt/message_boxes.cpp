#include "qt/message_boxes.h"

#include <QMessageBox>
#include <QPushButton>

#include "qt/sjis.h"

namespace zol {

BoxResult QtMessageBoxes::Show(const std::string& text, BoxKind kind, BoxButtons buttons) {
  QMessageBox box;
  box.setWindowTitle(FromSjis(BoxTitle(kind)));
  QString shown = FromSjis(text);
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));  // a CR alone breaks the line too
  box.setText(shown);
  switch (kind) {
    case BoxKind::Info: box.setIcon(QMessageBox::Information); break;
    case BoxKind::Warning: box.setIcon(QMessageBox::Warning); break;
    case BoxKind::Error: box.setIcon(QMessageBox::Critical); break;
    case BoxKind::Confirm: box.setIcon(QMessageBox::Question); break;
  }
  if (buttons == BoxButtons::Ok || buttons == BoxButtons::Yes) {
    // One button: it answers every way the box can be closed.
    const bool ok = buttons == BoxButtons::Ok;
    QPushButton* only = box.addButton(FromSjis(ok ? "OK" : "はい(&Y)"), ok ? QMessageBox::AcceptRole : QMessageBox::YesRole);
    box.setDefaultButton(only);
    box.setEscapeButton(only);
    box.exec();
    return ok ? BoxResult::Ok : BoxResult::Yes;
  }
  QPushButton* yes = box.addButton(FromSjis("はい(&Y)"), QMessageBox::YesRole);
  QPushButton* no = box.addButton(FromSjis("いいえ(&N)"), QMessageBox::NoRole);
  box.setDefaultButton(yes);
  box.setEscapeButton(no);
  box.exec();
  return box.clickedButton() == yes ? BoxResult::Yes : BoxResult::No;
}

}  // namespace zol
