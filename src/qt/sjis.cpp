#include "qt/sjis.h"

#include "common/charset.h"

namespace zol {

QString FromSjis(const std::string& bytes) {
  const std::string utf8 = SjisToUtf8(bytes);
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string ToSjis(const QString& text, bool* held) {
  const QByteArray utf8 = text.toUtf8();
  return Utf8ToSjis(std::string(utf8.constData(), static_cast<size_t>(utf8.size())), held);
}

void SetTyped(TextControl& control, const QString& text) {
  bool held = true;
  const std::string sjis = ToSjis(text, &held);
  control.SetTypedText(sjis, held);
}

}  // namespace zol
