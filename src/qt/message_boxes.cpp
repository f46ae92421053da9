#include "qt/message_boxes.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

#include "qt/sjis.h"

namespace zol {

namespace {

// Title, text (a CR alone breaks the line too) and icon of a box.
void Fill(QMessageBox& box, const std::string& text, BoxKind kind) {
  box.setWindowTitle(FromSjis(BoxTitle(kind)));
  QString shown = FromSjis(text);
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  box.setText(shown);
  switch (kind) {
    case BoxKind::Info: box.setIcon(QMessageBox::Information); break;
    case BoxKind::Warning: box.setIcon(QMessageBox::Warning); break;
    case BoxKind::Error: box.setIcon(QMessageBox::Critical); break;
    case BoxKind::Confirm: box.setIcon(QMessageBox::Question); break;
  }
}

}  // namespace

QtMessageBoxes::~QtMessageBoxes() {
  for (QPointer<QMessageBox>& box : open_) {
    if (!box) continue;
    box->disconnect();
    delete box.data();
  }
}

void QtMessageBoxes::Open(const std::string& text, BoxKind kind, std::function<void()> closed) {
  auto* box = new QMessageBox;
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowModality(Qt::ApplicationModal);
  Fill(*box, text, kind);
  QPushButton* only = box->addButton(FromSjis("OK"), QMessageBox::AcceptRole);
  box->setDefaultButton(only);
  box->setEscapeButton(only);
  QObject::connect(box, &QMessageBox::finished, box, [closed = std::move(closed)](int) {
    if (closed) closed();
  });
  open_.erase(std::remove(open_.begin(), open_.end(), nullptr), open_.end());
  open_.emplace_back(box);
  // Shown from the event loop, whatever the caller is in the middle of.
  QTimer::singleShot(0, box, [box] { box->show(); });
}

BoxResult QtMessageBoxes::Show(const std::string& text, BoxKind kind, BoxButtons buttons) {
  QMessageBox box;
  Fill(box, text, kind);
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
