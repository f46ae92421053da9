#include "common/scramble.h"

#include "common/text.h"

namespace zol {

static std::string Hex2(unsigned value) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string s(2, '0');
  s[0] = kDigits[(value >> 4) & 0x0F];
  s[1] = kDigits[value & 0x0F];
  return s;
}

static unsigned ByteSum(const std::string& s, size_t from) {
  unsigned sum = 0;
  for (size_t i = from; i < s.size(); ++i) sum += static_cast<unsigned char>(s[i]);
  return sum % 256;
}

static std::string Encode(const std::string& text) {
  std::string t = Hex2(ByteSum(text, 0)) + text;
  const size_t L = t.size();
  std::string x;
  x.reserve(2 * L);
  for (size_t i = 0; i < L; ++i) x += Hex2((static_cast<unsigned char>(t[i]) + L) % 256);
  std::string out;
  out.reserve(2 * L);
  for (size_t i = 0; i < L; ++i) {
    out.push_back(x[2 * L - 2 * i - 1]);  // 1-based position 2L - 2i
    out.push_back(x[2 * i]);              // 1-based position 2i + 1
  }
  return out;
}

static std::string Decode(const std::string& in) {
  const size_t h = in.size() / 2;
  std::string x(2 * h, '0');
  for (size_t i = 0; i < h; ++i) {
    x[2 * h - 2 * i - 1] = in[2 * i];
    x[2 * i] = in[2 * i + 1];
  }
  std::string t;
  t.reserve(h);
  for (size_t i = 0; i < h; ++i) {
    int32_t v = HexToInt(x.substr(2 * i, 2)) - static_cast<int32_t>(h);
    t.push_back(static_cast<char>(((v % 256) + 256) % 256));
  }
  if (t.size() < 2 || t.compare(0, 2, Hex2(ByteSum(t, 2))) != 0) return std::string();
  std::string plain = t.substr(2);
  if (plain.size() > 255) plain.resize(255);
  return plain;
}

std::string Scramble(const std::string& text, int mode) {
  if (text.empty()) return std::string();
  if (mode == 1) return Encode(text);
  if (mode == 0) return Decode(text);
  return std::string();
}

}  // namespace zol
