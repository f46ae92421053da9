#include "support/datagram_hex.h"

#include <stdexcept>

namespace zol {

std::string HexBytes(const std::string& hex) {
  sim::Bytes b;
  if (!sim::FromHex(hex, &b)) throw std::invalid_argument("bad hex text: " + hex);
  return Wire(b);
}

std::string Wire(const sim::Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

std::string Line(const sim::Bytes& bytes) { return sim::ToHex(bytes); }

std::string SampleDatagram() { return Wire(sim::SampleDatagram()); }

std::vector<std::string> SampleRecordLines() {
  std::vector<std::string> lines = {Line(sim::SampleHeader())};
  for (const sim::Bytes& r : sim::SampleRecords()) lines.push_back(Line(r));
  return lines;
}

sim::Mac FamilyMac(std::uint32_t suffix) {
  return {sim::kMacPrefix[0],
          sim::kMacPrefix[1],
          sim::kMacPrefix[2],
          static_cast<std::uint8_t>(suffix >> 16),
          static_cast<std::uint8_t>(suffix >> 8),
          static_cast<std::uint8_t>(suffix)};
}

std::string IdentLine(const sim::Mac& mac) { return Line(sim::IdentRecord(mac)); }

std::string Datagram(const std::vector<sim::Bytes>& records) {
  return Wire(sim::StatusDatagram(sim::Bytes(sim::kHeaderSize, 0), records));
}

sim::Bytes Words(const std::vector<std::uint16_t>& words) {
  sim::Bytes b;
  for (std::uint16_t w : words) sim::PutU16(b, w);
  return b;
}

sim::Bytes Fill(std::size_t count, std::uint8_t value) { return sim::Bytes(count, value); }

sim::Bytes Join(const std::vector<sim::Bytes>& parts) {
  sim::Bytes b;
  for (const sim::Bytes& p : parts) sim::Append(b, p);
  return b;
}

sim::Bytes WithLength(sim::Bytes record, std::uint16_t length) {
  if (record.size() >= 4) {
    record[2] = static_cast<std::uint8_t>(length >> 8);
    record[3] = static_cast<std::uint8_t>(length & 0xFF);
  }
  return record;
}

sim::Bytes Cut(sim::Bytes bytes, std::size_t size) {
  if (bytes.size() > size) bytes.resize(size);
  return bytes;
}

}  // namespace zol
