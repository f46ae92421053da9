#include "qt/view_util.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>
#include <QWidget>

#include "common/text.h"
#include "qt/mirror.h"
#include "qt/sjis.h"

namespace zol {

QString S(const char* sjis) { return FromSjis(sjis); }

void CentreOnScreen(QWidget* w) {
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect r = screen->availableGeometry();
    w->move(r.center() - QPoint(w->width() / 2, w->height() / 2));
  }
}

SjisValidator::SjisValidator(size_t max_bytes, QLineEdit* entry) : QValidator(entry), max_bytes_(max_bytes) {
  QObject::connect(entry, &QLineEdit::textChanged, this, [this](const QString& text) { before_ = text; });
}

QValidator::State SjisValidator::validate(QString& input, int& pos) const {
  // A character Shift-JIS cannot hold counts as its "?"; the dialog refuses
  // it by name when the operator stores.
  const std::string sjis = ToSjis(input);
  if (sjis.size() <= max_bytes_) return Acceptable;
  std::string after = sjis;
  size_t cursor = ToSjis(input.left(pos)).size();
  if (!FitTypedText(ToSjis(before_), &after, &cursor, max_bytes_, 0)) return Invalid;
  // The bytes [cursor, cursor + cut) went: the same characters of input go.
  const size_t cut = sjis.size() - after.size();
  int from = -1, to = -1;
  size_t bytes = 0;
  for (int i = 0; i <= input.size();) {
    if (bytes == cursor && from < 0) from = i;
    if (bytes == cursor + cut) {
      to = i;
      break;
    }
    if (i == input.size()) break;
    const int len = input.at(i).isHighSurrogate() && i + 1 < input.size() ? 2 : 1;
    bytes += ToSjis(input.mid(i, len)).size();
    i += len;
  }
  if (from < 0 || to < 0) return Invalid;
  input.remove(from, to - from);
  pos = from;
  return Acceptable;
}

QString ColorName(Color c) { return QStringLiteral("#%1").arg(c & 0xFFFFFF, 6, 16, QLatin1Char('0')); }

void OnClicked(QAbstractButton* button, Mirror& mirror, std::function<void()> handler) {
  QObject::connect(button, &QAbstractButton::clicked, button, [button, &mirror, handler = std::move(handler)] {
    if (!mirror.Usable(button)) return;
    handler();
    mirror.Poll();
  });
}

QToolButton* ToolButton(QToolBar* bar, ToolPicture pic, bool checkable) {
  auto* b = new QToolButton(bar);
  b->setIcon(ToolIcon(pic));
  b->setIconSize(QSize(24, 24));
  b->setCheckable(checkable);
  b->setAutoRaise(true);
  bar->addWidget(b);
  return b;
}

}  // namespace zol
