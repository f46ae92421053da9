#include "support/datagram_hex.h"

#include <stdexcept>

namespace zol {

namespace {

int Digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  throw std::invalid_argument(std::string("bad hex digit ") + c);
}

std::string Repeat(const std::string& s, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += s;
  return out;
}

}  // namespace

std::string HexBytes(const std::string& hex) {
  std::string digits;
  for (char c : hex)
    if (c != ' ') digits += c;
  if (digits.size() % 2) throw std::invalid_argument("odd number of hex digits");
  std::string out;
  for (size_t i = 0; i < digits.size(); i += 2)
    out += static_cast<char>(Digit(digits[i]) * 16 + Digit(digits[i + 1]));
  return out;
}

std::vector<std::string> SampleRecordLines() {
  // F1..F9 of one PING block, then four 4-byte target entries of zeros.
  const std::string block = std::string("0001" "0000" "000A" "000A" "0001" "0000" "0001" "0001" "0000") + std::string(32, '0');
  return {
      "010001CA0023C63A",
      "0001000C0006025A3C000000",
      "011000360008" + Repeat("000100010000", 8),
      "0801011800080004" + Repeat(block, 8),
      "080200260008010000000000000000000000FE0C000000C8010011940DAC00C8010003000000",
      "081100360008" + std::string(96, '0'),
      "0812000A000000000000",
  };
}

std::string SampleDatagram() {
  std::string out;
  for (const std::string& line : SampleRecordLines()) out += HexBytes(line);
  return out;
}

std::string IdentLine(const std::string& mac_hex) { return "0001000C0006" + mac_hex; }

std::string LegacyDatagram(int tid, unsigned char fill) {
  std::string out(182, static_cast<char>(fill));
  for (int i = 0; i < 4; ++i) out[static_cast<size_t>(i)] = 0;
  out[4] = static_cast<char>((tid >> 8) & 0xFF);
  out[5] = static_cast<char>(tid & 0xFF);
  out[6] = out[7] = 0;
  return out;
}

std::string Datagram(const std::vector<std::string>& records) {
  std::string out = HexBytes("0000000000000000");
  for (const std::string& r : records) out += HexBytes(r);
  return out;
}

}  // namespace zol
