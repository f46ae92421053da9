// The one conversion between the console's Shift-JIS (CP932) texts and the
// system's charsets: UTF-8 file names and the C library's messages. The Qt
// layer builds its QString conversion on it.
#pragma once

#include <string>

namespace zol {

// CP932 bytes as UTF-8; bytes that do not decode become U+FFFD.
std::string SjisToUtf8(const std::string& sjis);

// UTF-8 as CP932 bytes; characters without a CP932 form (and bytes that are
// not UTF-8) become "?", and *exact, when given, is set to false.
std::string Utf8ToSjis(const std::string& utf8, bool* exact = nullptr);

// text written in the charset codeset (as nl_langinfo(CODESET) names it) as
// CP932 bytes; unconvertible characters become "?". ASCII stays as it is.
// SystemReason (common/files.h) takes the system's error texts through it.
std::string LocaleTextToSjis(const std::string& text, const char* codeset);

}  // namespace zol
