#include "common/charset.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>

namespace zol {

namespace {

bool IsAscii(const std::string& text) {
  for (unsigned char c : text) {
    if (c >= 0x80) return false;
  }
  return true;
}

// Length of the UTF-8 sequence that starts with c (1 for a stray byte).
size_t Utf8Length(unsigned char c) {
  return c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
}

// Converts with iconv; an input that cannot be converted is replaced by `bad`
// and skipped: one character of UTF-8 input, one byte of any other. Returns
// false when a replacement was made or the charsets are unknown (the input
// is then returned as it is).
bool Convert(const char* to, const char* from, const std::string& in, const std::string& bad, std::string* out) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    *out = in;
    return false;
  }
  const bool utf8_in = std::strcmp(from, "UTF-8") == 0;
  bool exact = true;
  out->clear();
  out->reserve(in.size() * 2);
  char* src = const_cast<char*>(in.data());
  size_t left = in.size();
  char buf[1024];
  while (left > 0) {
    char* dst = buf;
    size_t room = sizeof buf;
    const size_t r = iconv(cd, &src, &left, &dst, &room);
    out->append(buf, static_cast<size_t>(dst - buf));
    if (r == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      // EILSEQ or EINVAL (a truncated sequence at the end)
      exact = false;
      *out += bad;
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
  out->append(buf, static_cast<size_t>(dst - buf));
  iconv_close(cd);
  return exact;
}

}  // namespace

std::string SjisToUtf8(const std::string& sjis) {
  if (IsAscii(sjis)) return sjis;
  std::string out;
  Convert("UTF-8", "CP932", sjis, "\xEF\xBF\xBD", &out);
  return out;
}

std::string Utf8ToSjis(const std::string& utf8, bool* exact) {
  if (exact) *exact = true;
  if (IsAscii(utf8)) return utf8;
  std::string out;
  const bool ok = Convert("CP932", "UTF-8", utf8, "?", &out);
  if (exact) *exact = ok;
  return out;
}

std::string LocaleTextToSjis(const std::string& text, const char* codeset) {
  if (IsAscii(text)) return text;
  if (!codeset || !*codeset) codeset = "UTF-8";
  if (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0) return Utf8ToSjis(text);
  std::string out;
  Convert("CP932", codeset, text, "?", &out);
  return out;
}

}  // namespace zol
