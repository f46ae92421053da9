// Test datagrams written as hex text, and the 8-outlet sample datagram of
// the debug window as record lines.
#pragma once

#include <string>
#include <vector>

namespace zol {

// Bytes of a hex text; blanks are skipped. Throws on an odd or bad digit.
std::string HexBytes(const std::string& hex);

// The sample's record lines: header, then the records 0001, 0110, 0801,
// 0802, 0811 and 0812.
std::vector<std::string> SampleRecordLines();

// The header and records of the sample as one datagram.
std::string SampleDatagram();

// The sample's identity line with another MAC (12 hex digits).
std::string IdentLine(const std::string& mac_hex);

// A legacy datagram of 182 bytes with the terminal ID tid (bytes 4 and 5),
// the bytes after the header filled with fill.
std::string LegacyDatagram(int tid, unsigned char fill = 0);

// Datagram of header 0000000000000000 followed by the given records (hex).
std::string Datagram(const std::vector<std::string>& records);

}  // namespace zol
