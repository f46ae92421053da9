#include "common/charset.h"

#include <iconv.h>

#include <cerrno>

namespace zol {

namespace {

bool IsAscii(const std::string& s) {
  for (unsigned char c : s) {
    if (c >= 0x80) return false;
  }
  return true;
}

// Length of the UTF-8 sequence that starts with c (1 for a stray byte).
size_t Utf8Length(unsigned char c) {
  return c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
}

// Converts with iconv from one charset to another; an input that cannot be
// converted is replaced by `bad` and skipped: one byte of CP932, one
// character of UTF-8.
std::string Convert(const char* to, const char* from, const std::string& in, const std::string& bad, bool utf8_in) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string();
  std::string out;
  out.reserve(in.size() * 2);
  char* src = const_cast<char*>(in.data());
  size_t left = in.size();
  char buf[1024];
  while (left > 0) {
    char* dst = buf;
    size_t room = sizeof buf;
    const size_t r = iconv(cd, &src, &left, &dst, &room);
    out.append(buf, static_cast<size_t>(dst - buf));
    if (r == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      // EILSEQ or EINVAL (a truncated sequence at the end)
      out += bad;
      const size_t unit = utf8_in ? Utf8Length(static_cast<unsigned char>(*src)) : 1;
      const size_t skip = left < unit ? left : unit;
      src += skip;
      left -= skip;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  char* dst = buf;
  size_t room = sizeof buf;
  iconv(cd, nullptr, nullptr, &dst, &room);
  out.append(buf, static_cast<size_t>(dst - buf));
  iconv_close(cd);
  return out;
}

}  // namespace

std::string SjisToUtf8(const std::string& sjis) {
  if (IsAscii(sjis)) return sjis;
  return Convert("UTF-8", "CP932", sjis, "\xEF\xBF\xBD", false);
}

std::string Utf8ToSjis(const std::string& utf8) {
  if (IsAscii(utf8)) return utf8;
  return Convert("CP932", "UTF-8", utf8, "?", true);
}

}  // namespace zol
