#include "qt/view_util.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>
#include <QWidget>

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

QValidator::State SjisValidator::validate(QString& input, int&) const {
  // A character Shift-JIS cannot hold counts as its "?"; the dialog refuses
  // it by name when the operator stores.
  return ToSjis(input).size() <= max_bytes_ ? Acceptable : Invalid;
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
