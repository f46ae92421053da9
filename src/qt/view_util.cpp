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
  std::string sjis = ToSjis(input);
  if (FromSjis(sjis) != input) return Invalid;  // a character Shift-JIS cannot hold
  if (sjis.size() <= max_bytes_) return Acceptable;
  size_t cursor = ToSjis(input.left(pos)).size();
  if (!FitTypedText(ToSjis(before_), &sjis, &cursor, max_bytes_, 0)) return Invalid;
  input = FromSjis(sjis);
  pos = static_cast<int>(FromSjis(sjis.substr(0, cursor)).size());
  return Acceptable;
}

QString ColorName(Color c) { return QStringLiteral("#%1").arg(c & 0xFFFFFF, 6, 16, QLatin1Char('0')); }

void OnClicked(QAbstractButton* button, Mirror& mirror, std::function<void()> handler) {
  QObject::connect(button, &QAbstractButton::clicked, button, [&mirror, handler = std::move(handler)] {
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
