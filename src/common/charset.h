// Conversions between the system's Shift-JIS (CP932) texts and UTF-8, the
// form of Qt's strings and of the file system's names on Linux.
#pragma once

#include <string>

namespace zol {

// CP932 bytes to UTF-8; an undecodable byte becomes U+FFFD.
std::string SjisToUtf8(const std::string& sjis);
// UTF-8 to CP932 bytes; a character without a CP932 form (or a byte that is
// no UTF-8) becomes "?".
std::string Utf8ToSjis(const std::string& utf8);

}  // namespace zol
