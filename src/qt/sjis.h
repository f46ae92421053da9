// The one place where the console's Shift-JIS (CP932) texts meet Qt's
// Unicode strings.
#pragma once

#include <QString>
#include <string>

namespace zol {

// CP932 bytes to a QString; undecodable bytes become U+FFFD.
QString FromSjis(const std::string& bytes);
// A QString to CP932 bytes; characters without a CP932 form become "?".
std::string ToSjis(const QString& text);

}  // namespace zol
