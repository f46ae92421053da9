// Datagrams for the tests, all built by the device simulator's datagram
// builder (zolsim/datagram.h), so that expected bytes are made one way only.
// What stays here is no builder: the hand-over of built bytes to the
// receiver as a byte string, the record text lines of built bytes, and the
// hex text of bytes a test states itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "zolsim/datagram.h"

namespace zol {

// Bytes of a hex text (blanks skipped), for bytes a test states as hex.
// Throws on an odd number of digits or a bad digit.
std::string HexBytes(const std::string& hex);

// Built bytes as the byte string the receiver is handed.
std::string Wire(const sim::Bytes& bytes);

// The record text line of built bytes: upper-case hex.
std::string Line(const sim::Bytes& bytes);

// The debug window's sample datagram, as bytes and as its record lines
// (header, then the records 0001, 0110, 0801, 0802, 0811 and 0812).
std::string SampleDatagram();
std::vector<std::string> SampleRecordLines();

// A MAC of the family: 02:5A:3C followed by the 24-bit suffix.
sim::Mac FamilyMac(std::uint32_t suffix);

// The identity record of mac as a record line.
std::string IdentLine(const sim::Mac& mac);

// A datagram of a zero header followed by the records.
std::string Datagram(const std::vector<sim::Bytes>& records);

// Payload parts: big-endian words, count bytes of one value, and the
// parts joined.
sim::Bytes Words(const std::vector<std::uint16_t>& words);
sim::Bytes Fill(std::size_t count, std::uint8_t value);
sim::Bytes Join(const std::vector<sim::Bytes>& parts);

// Forged framing: a record whose length word says length, and bytes cut
// after their first size bytes.
sim::Bytes WithLength(sim::Bytes record, std::uint16_t length);
sim::Bytes Cut(sim::Bytes bytes, std::size_t size);

}  // namespace zol
