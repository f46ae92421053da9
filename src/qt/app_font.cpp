#include "qt/app_font.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>

namespace zol {

void UseJapaneseFont() {
  const QStringList families = QFontDatabase::families();
  for (const QString& f : {QStringLiteral("IPAexGothic"), QStringLiteral("IPAGothic"),
                           QStringLiteral("Noto Sans CJK JP"), QStringLiteral("VL Gothic")}) {
    if (families.contains(f)) {
      QFont font(f);
      font.setPointSize(9);
      QApplication::setFont(font);
      return;
    }
  }
}

}  // namespace zol
