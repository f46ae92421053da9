#include "common/text.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstring>
#include <vector>

namespace zol {

std::string ZeroPad(int32_t value, int width) {
  std::string digits = std::to_string(value);
  int pad = width - static_cast<int>(digits.size());
  if (pad <= 0) return digits;
  if (pad > 16) pad = 16;
  return std::string(static_cast<size_t>(pad), '0') + digits;
}

std::string CsvField(const std::string& text, int n) {
  if (n < 1) return std::string();
  size_t start = 0;
  for (int k = 1;; ++k) {
    size_t comma = text.find(',', start);
    if (comma == std::string::npos) {
      // The appended comma ends the last field.
      return k == n ? text.substr(start) : std::string();
    }
    if (k == n) return text.substr(start, comma - start);
    start = comma + 1;
  }
}

std::string_view CsvFieldView(const std::string& text, int n) {
  if (n < 1) return std::string_view();
  size_t start = 0;
  for (int k = 1;; ++k) {
    size_t end = start;
    while (end < text.size() && text[end] != ',') ++end;
    if (end == text.size()) {
      // The appended comma ends the last field.
      return k == n ? std::string_view(text).substr(start) : std::string_view();
    }
    if (k == n) return std::string_view(text).substr(start, end - start);
    start = end + 1;
  }
}

std::string CsvSetField(const std::string& text, const std::string& value, int n) {
  if (n <= 0) return text;
  size_t start = 0;  // start of field k
  for (int k = 1; k < n; ++k) {
    size_t comma = text.find(',', start);
    if (comma == std::string::npos) {
      // Fewer than n commas: the field after the last comma is replaced.
      return text.substr(0, start) + value;
    }
    start = comma + 1;
  }
  size_t comma = text.find(',', start);
  if (comma == std::string::npos) return text.substr(0, start) + value;
  return text.substr(0, start) + value + text.substr(comma);
}

void AppendDecimalDigits(std::string& out, int32_t value) {
  char text[16];
  const char* end = std::to_chars(text, text + sizeof text, value).ptr;
  out.append(text, static_cast<size_t>(end - text));
}

int32_t HexToInt(std::string_view text) {
  uint32_t sum = 0;
  uint32_t weight = 1;
  for (size_t i = text.size(); i-- > 0;) {
    int d = HexDigitValue(text[i]);
    if (d < 0) continue;
    sum += static_cast<uint32_t>(d) * weight;
    weight *= 16;  // wraps to 0 after eight digits: earlier digits add nothing
  }
  return static_cast<int32_t>(sum);
}

template <typename Keep>
static std::string Filter(const std::string& text, Keep keep) {
  std::string out;
  size_t limit = text.size() < 255 ? text.size() : 255;
  for (size_t i = 0; i < limit; ++i) {
    char c = text[i];
    if (c == '\0' || c == '\r') break;
    if (keep(c)) out.push_back(c);
  }
  return out;
}

std::string DigitsOnly(const std::string& text) {
  return Filter(text, [](char c) { return c >= '0' && c <= '9'; });
}

std::string HexOnly(const std::string& text) {
  return Filter(text, [](char c) { return HexDigitValue(c) >= 0; });
}

bool ParseDecimal(std::string_view text, int32_t* out) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i == text.size()) return false;
  int64_t value = 0;
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
    if (value > static_cast<int64_t>(INT32_MAX) + 1) return false;
  }
  if (negative) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return false;
  *out = static_cast<int32_t>(value);
  return true;
}

int32_t DecimalOr(std::string_view text, int32_t def) {
  int32_t v;
  return ParseDecimal(text, &v) ? v : def;
}

bool ParseReal(std::string_view text, double* out) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  // Digits, at most one point, at least one digit: nothing else.
  int digits = 0, points = 0;
  for (char c : text) {
    if (c >= '0' && c <= '9') ++digits;
    else if (c == '.' && points == 0) ++points;
    else return false;
  }
  if (digits == 0) return false;
  double v = 0;
  const auto r = std::from_chars(text.data(), text.data() + text.size(), v, std::chars_format::fixed);
  if (r.ec != std::errc() || r.ptr != text.data() + text.size()) return false;
  *out = negative ? -v : v;
  return true;
}

std::string Copy(const std::string& text, int pos, int len) {
  if (pos < 1) {
    len += pos - 1;
    pos = 1;
  }
  if (len <= 0 || static_cast<size_t>(pos) > text.size()) return std::string();
  return text.substr(static_cast<size_t>(pos - 1), static_cast<size_t>(len));
}

namespace {

// The two upper-case hex digits of every byte value, one table lookup a byte.
struct HexPairs {
  char pair[256][2];
  HexPairs() {
    static const char kDigits[] = "0123456789ABCDEF";
    for (int b = 0; b < 256; ++b) {
      pair[b][0] = kDigits[b >> 4];
      pair[b][1] = kDigits[b & 0x0F];
    }
  }
};

}  // namespace

void BytesToHex(const uint8_t* data, size_t size, std::string* out) {
  static const HexPairs kHex;
  out->resize(size * 2);
  char* p = &(*out)[0];
  for (size_t i = 0; i < size; ++i, p += 2) std::memcpy(p, kHex.pair[data[i]], 2);
}

std::string BytesToHex(const uint8_t* data, size_t size) {
  std::string out;
  BytesToHex(data, size, &out);
  return out;
}

bool FitTypedText(const std::string& before, std::string* after, size_t* cursor, size_t max_bytes, char refused) {
  std::string& text = *after;
  size_t end = *cursor > text.size() ? text.size() : *cursor;
  if (refused != 0) {
    const auto count = [refused](const std::string& t) { return std::count(t.begin(), t.end(), refused); };
    if (count(text) > count(before)) return false;
  }
  const size_t limit = before.size() > max_bytes ? before.size() : max_bytes;
  if (max_bytes == 0 || text.size() <= limit) {
    *cursor = end;
    return true;
  }
  // The inserted part begins after what the edit left of before's start,
  // on a character boundary.
  size_t same = 0;
  while (same < end && same < before.size() && before[same] == text[same]) ++same;
  std::vector<size_t> starts;  // character starts from the inserted part on
  size_t i = 0;
  while (i < end) {
    const size_t len = IsSjisLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
    if (i + len > same) starts.push_back(i);
    i += len;
  }
  if (i > end) end = i;  // the cursor stood inside a double-byte character
  size_t cut_from = end;
  while (text.size() - (end - cut_from) > limit && !starts.empty()) {
    cut_from = starts.back();
    starts.pop_back();
  }
  if (text.size() - (end - cut_from) > limit) return false;
  text.erase(cut_from, end - cut_from);
  *cursor = cut_from;
  return true;
}

std::string BytesToHex(const std::string& bytes) {
  return BytesToHex(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

}  // namespace zol
