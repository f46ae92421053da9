// Builder of the status datagrams that devices of the family send to the
// console: record framing, the record payloads, the 8-byte header, the older
// 182-byte layout and the debug window's sample datagram.
//
// Every number on the wire is big-endian. A record is type (16 bits), length
// (16 bits, the whole record including these four bytes) and its payload.
// The simulator builds its datagrams here, and tests of the receiver and the
// parser can build their expected bytes here too, so there is one way only.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zol::sim {

using Bytes = std::vector<std::uint8_t>;
using Mac = std::array<std::uint8_t, 6>;

// Record types.
constexpr std::uint16_t kIdentType = 0x0001;
constexpr std::uint16_t kOutletType = 0x0110;
constexpr std::uint16_t kPingType = 0x0801;
constexpr std::uint16_t kOldPingType = 0x0300;
constexpr std::uint16_t kTempType = 0x0802;
constexpr std::uint16_t kRec0811Type = 0x0811;
constexpr std::uint16_t kRec0812Type = 0x0812;

constexpr std::size_t kHeaderSize = 8;
constexpr std::size_t kLegacySize = 182;
constexpr std::int16_t kNoReading = 0x7FFF;  // CurTemp without a reading

// The three family bytes that start every device's MAC address.
constexpr std::uint8_t kMacPrefix[3] = {0x02, 0x5A, 0x3C};

// Appends v big-endian.
void PutU8(Bytes& out, std::uint8_t v);
void PutU16(Bytes& out, std::uint16_t v);
void PutU32(Bytes& out, std::uint32_t v);
void Append(Bytes& out, const Bytes& more);

// A whole record: type, length = payload size + 4, payload.
Bytes Record(std::uint16_t type, const Bytes& payload);

// 0001, length 12: MAC length 6, then the six MAC bytes.
Bytes IdentRecord(const Mac& mac);

// Outlet entry: three words. Devices send A = 1, B = power (1 ON, 0 OFF), C = 0.
struct OutletWords {
  std::uint16_t a = 1;
  std::uint16_t b = 1;
  std::uint16_t c = 0;
};
// 0110, length 6 + 6n.
Bytes OutletRecord(const std::vector<OutletWords>& outlets);

// One target entry of a PING block. A 4-byte entry is word0 and the
// no-response count; an 8-byte entry adds `tail` behind them.
struct TargetEntry {
  std::uint16_t word0 = 0;
  std::uint16_t no_response = 0;
  std::uint32_t tail = 0;
};

// One outlet's PING block: the nine words F1 to F9, then the target entries.
// F1 power, F2 judgement, F3 send count, F4 no-response limit, F5 target
// count, F6 watch action, F7, F8, F9 execution count.
struct PingBlock {
  std::array<std::uint16_t, 9> f{};
  std::vector<TargetEntry> targets;
};

// 0801, length 8 + n * (18 + m * entry_size); entry_size is 4 or 8. Every
// block is written with exactly m entries (missing ones are zero, extra ones
// left out).
Bytes PingRecord(const std::vector<PingBlock>& blocks, std::size_t targets, std::size_t entry_size);

// Older PING record without targets: 0300, length 6 + 4n.
struct OldPingEntry {
  std::uint16_t judgement = 0;
  std::uint16_t exec_count = 0;
};
Bytes OldPingRecord(const std::vector<OldPingEntry>& outlets);

// Temperature record fields; temperatures in signed hundredths of a degree.
struct TempFields {
  std::uint8_t enabled = 1;
  std::uint8_t test_mode = 0;
  std::uint8_t test_sim_mode = 0;
  std::uint8_t byte4 = 0;
  std::vector<std::uint8_t> actions;  // one action code per outlet; its size is n
  std::int16_t lower_alarm = -500;
  std::int16_t lower_caution = 0;
  std::int16_t lower_hys = 200;
  std::uint8_t lower_off = 1;
  std::uint8_t byte_low = 0;
  std::int16_t upper_alarm = 4500;
  std::int16_t upper_caution = 3500;
  std::int16_t upper_hys = 200;
  std::uint8_t upper_off = 1;
  std::uint8_t byte_up = 0;
  std::uint8_t status = 0;
  std::uint8_t action_status = 0;
  std::int16_t cur_temp = 0;  // kNoReading for no reading
};
// 0802, length 30 + n.
Bytes TempRecord(const TempFields& t);

// 0811: the outlet count and 6 zero bytes per outlet (carried, never read).
Bytes Rec0811(std::uint16_t outlets);
// 0812: six zero bytes (carried, never read).
Bytes Rec0812();

// The 8-byte header: not interpreted by the console. Devices of this
// simulator send 01 00 01 CA followed by a 32-bit sequence number.
Bytes Header(std::uint32_t sequence);

// Header followed by the records.
Bytes StatusDatagram(const Bytes& header, const std::vector<Bytes>& records);

// Older 182-byte datagram: terminal ID at offset 4, four outlet entries at 8,
// four PING blocks of nine words and three 4-byte target entries at 32.
struct LegacyPingBlock {
  std::array<std::uint16_t, 9> f{};
  std::array<std::uint16_t, 3> no_response{};
};
Bytes LegacyDatagram(std::uint16_t terminal_id, const std::array<OutletWords, 4>& outlets,
                     const std::array<LegacyPingBlock, 4>& ping);

// The debug window's sample: header 010001CA0023C63A and the records
// 0001 (MAC 02:5A:3C:00:00:00), 0110, 0801, 0802, 0811, 0812 of a device with
// eight outlets, four PING targets and a temperature sensor.
Bytes SampleHeader();
std::vector<Bytes> SampleRecords();
Bytes SampleDatagram();

// Upper-case hex, two digits per byte, no separators; and back (accepts
// both cases, ignores blanks; an odd or invalid digit makes it return false).
std::string ToHex(const Bytes& bytes);
bool FromHex(const std::string& hex, Bytes* out);

// Reads a big-endian word at offset (0 when it lies beyond the end).
std::uint16_t GetU16(const Bytes& b, std::size_t offset);

}  // namespace zol::sim
