#include "qt/view_util.h"

#include <QGuiApplication>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>
#include <QWidget>

#include "qt/sjis.h"

namespace zol {

QString S(const char* sjis) { return FromSjis(sjis); }

void CentreOnScreen(QWidget* w) {
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect r = screen->availableGeometry();
    w->move(r.center() - QPoint(w->width() / 2, w->height() / 2));
  }
}

QString ColorName(Color c) { return QStringLiteral("#%1").arg(c & 0xFFFFFF, 6, 16, QLatin1Char('0')); }

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
