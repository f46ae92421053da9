// Small text helpers used on the system's 8-bit (Shift-JIS) text.
// Positions are 1-based byte positions; none of them fails or throws.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zol {

// Decimal text of value with "0"s in front up to width (at most 16 zeros are
// added; the text is never cut). ZeroPad(-5, 4) == "00-5".
std::string ZeroPad(int32_t value, int width);
// The decimal text of value (as std::to_string gives it) added to out.
void AppendDecimalDigits(std::string& out, int32_t value);
// The same; a single digit, the usual value of a state or a flag, is added
// without a call.
inline void AppendDecimal(std::string& out, int32_t value) {
  if (value >= 0 && value <= 9) {
    out += static_cast<char>('0' + value);
    return;
  }
  AppendDecimalDigits(out, value);
}
// ZeroPad(value, 4) of a value from 0 to 9999, as the four characters at out.
inline void ZeroPad4(int32_t value, char* out) {
  out[0] = static_cast<char>('0' + value / 1000);
  out[1] = static_cast<char>('0' + value / 100 % 10);
  out[2] = static_cast<char>('0' + value / 10 % 10);
  out[3] = static_cast<char>('0' + value % 10);
}

// Field n (1-based) of a comma-separated list; empty for n < 1 or past the end.
std::string CsvField(const std::string& text, int n);
// The same field as a view into text, without a copy.
std::string_view CsvFieldView(const std::string& text, int n);

// Text with field n replaced by value (see the rules in text.cpp).
std::string CsvSetField(const std::string& text, const std::string& value, int n);

// Value 0..15 of a hex digit (either case), -1 for any other character.
inline int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Sum of the hex digits from the right, non-hex characters skipped; wraps at 32 bits.
int32_t HexToInt(std::string_view text);

// The digits (or hex digits) among the first 255 characters, up to a NUL or CR.
std::string DigitsOnly(const std::string& text);
std::string HexOnly(const std::string& text);

// Parses the whole text as a decimal integer (optional sign); false when the
// text is not a plain number or does not fit 32 bits.
bool ParseDecimal(std::string_view text, int32_t* out);

// The whole text as a decimal number, or def when it is not one.
int32_t DecimalOr(std::string_view text, int32_t def);

// A decimal number with an optional sign and fraction ("23.5", "-0.5",
// "35"), blanks around it allowed; the same in every locale. False for any
// other text (empty, a decimal comma, an exponent, letters).
bool ParseReal(std::string_view text, double* out);

// Byte range [pos, pos+len) of text with 1-based pos; the part that exists.
std::string Copy(const std::string& text, int pos, int len);
// The same range as a view into text, without a copy; valid while text is
// neither changed nor destroyed. (Inline: the road reads its words with it.)
inline std::string_view CopyView(const std::string& text, int pos, int len) {
  if (pos < 1) {
    len += pos - 1;
    pos = 1;
  }
  if (len <= 0 || static_cast<size_t>(pos) > text.size()) return std::string_view();
  return std::string_view(text).substr(static_cast<size_t>(pos - 1), static_cast<size_t>(len));
}

// The Shift-JIS lead-byte test: 0x81..0x9F and 0xE0..0xFC begin a
// double-byte character.
inline bool IsSjisLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// The operator's edit of an entry box, held to the box's limits: before is
// the box's text, *after the text the edit would leave, whose inserted part
// ends at byte *cursor. Characters are cut from the end of the inserted
// part, whole, until the text has at most max_bytes bytes (or, when before
// was already longer, no more than before); a text that still does not fit,
// or an edit that adds the refused character (0: none), is refused: false,
// and the box keeps before. True: *after and *cursor are the edit to apply.
bool FitTypedText(const std::string& before, std::string* after, size_t* cursor, size_t max_bytes, char refused);

// Upper-case hex digits of the bytes.
std::string BytesToHex(const std::string& bytes);
std::string BytesToHex(const uint8_t* data, size_t size);
// The same written into *out, whose buffer serves again.
void BytesToHex(const uint8_t* data, size_t size, std::string* out);

}  // namespace zol
