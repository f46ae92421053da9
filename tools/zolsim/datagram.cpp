#include "zolsim/datagram.h"

namespace zol::sim {

void PutU8(Bytes& out, std::uint8_t v) { out.push_back(v); }

void PutU16(Bytes& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v >> 8));
  out.push_back(static_cast<std::uint8_t>(v & 0xFF));
}

void PutU32(Bytes& out, std::uint32_t v) {
  PutU16(out, static_cast<std::uint16_t>(v >> 16));
  PutU16(out, static_cast<std::uint16_t>(v & 0xFFFF));
}

void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

static void PutS16(Bytes& out, std::int16_t v) { PutU16(out, static_cast<std::uint16_t>(v)); }

Bytes Record(std::uint16_t type, const Bytes& payload) {
  Bytes r;
  r.reserve(payload.size() + 4);
  PutU16(r, type);
  PutU16(r, static_cast<std::uint16_t>(payload.size() + 4));
  Append(r, payload);
  return r;
}

Bytes IdentRecord(const Mac& mac) {
  Bytes p;
  PutU16(p, 6);
  p.insert(p.end(), mac.begin(), mac.end());
  return Record(kIdentType, p);
}

Bytes OutletRecord(const std::vector<OutletWords>& outlets) {
  Bytes p;
  PutU16(p, static_cast<std::uint16_t>(outlets.size()));
  for (const OutletWords& o : outlets) {
    PutU16(p, o.a);
    PutU16(p, o.b);
    PutU16(p, o.c);
  }
  return Record(kOutletType, p);
}

Bytes PingRecord(const std::vector<PingBlock>& blocks, std::size_t targets, std::size_t entry_size) {
  Bytes p;
  PutU16(p, static_cast<std::uint16_t>(blocks.size()));
  PutU16(p, static_cast<std::uint16_t>(targets));
  for (const PingBlock& b : blocks) {
    for (std::uint16_t f : b.f) PutU16(p, f);
    for (std::size_t j = 0; j < targets; ++j) {
      TargetEntry e = j < b.targets.size() ? b.targets[j] : TargetEntry{};
      PutU16(p, e.word0);
      PutU16(p, e.no_response);
      if (entry_size == 8) PutU32(p, e.tail);
    }
  }
  return Record(kPingType, p);
}

Bytes OldPingRecord(const std::vector<OldPingEntry>& outlets) {
  Bytes p;
  PutU16(p, static_cast<std::uint16_t>(outlets.size()));
  for (const OldPingEntry& o : outlets) {
    PutU16(p, o.judgement);
    PutU16(p, o.exec_count);
  }
  return Record(kOldPingType, p);
}

Bytes TempRecord(const TempFields& t) {
  Bytes p;
  PutU16(p, static_cast<std::uint16_t>(t.actions.size()));
  PutU8(p, t.enabled);
  PutU8(p, t.test_mode);
  PutU8(p, t.test_sim_mode);
  PutU8(p, t.byte4);
  for (std::uint8_t a : t.actions) PutU8(p, a);
  PutS16(p, t.lower_alarm);
  PutS16(p, t.lower_caution);
  PutS16(p, t.lower_hys);
  PutU8(p, t.lower_off);
  PutU8(p, t.byte_low);
  PutS16(p, t.upper_alarm);
  PutS16(p, t.upper_caution);
  PutS16(p, t.upper_hys);
  PutU8(p, t.upper_off);
  PutU8(p, t.byte_up);
  PutU8(p, t.status);
  PutU8(p, t.action_status);
  PutS16(p, t.cur_temp);
  return Record(kTempType, p);
}

Bytes Rec0811(std::uint16_t outlets) {
  Bytes p;
  PutU16(p, outlets);
  p.resize(p.size() + 6u * outlets, 0);
  return Record(kRec0811Type, p);
}

Bytes Rec0812() { return Record(kRec0812Type, Bytes(6, 0)); }

Bytes Header(std::uint32_t sequence) {
  Bytes h;
  PutU16(h, 0x0100);
  PutU16(h, 0x01CA);
  PutU32(h, sequence);
  return h;
}

Bytes StatusDatagram(const Bytes& header, const std::vector<Bytes>& records) {
  Bytes d = header;
  for (const Bytes& r : records) Append(d, r);
  return d;
}

Bytes LegacyDatagram(std::uint16_t terminal_id, const std::array<OutletWords, 4>& outlets,
                     const std::array<LegacyPingBlock, 4>& ping) {
  Bytes d;
  d.reserve(kLegacySize);
  PutU32(d, 0);
  PutU16(d, terminal_id);
  PutU16(d, 0);
  for (const OutletWords& o : outlets) {
    PutU16(d, o.a);
    PutU16(d, o.b);
    PutU16(d, o.c);
  }
  for (const LegacyPingBlock& b : ping) {
    for (std::uint16_t f : b.f) PutU16(d, f);
    for (std::uint16_t n : b.no_response) {
      PutU16(d, 0);
      PutU16(d, n);
    }
  }
  d.resize(kLegacySize, 0);
  return d;
}

Bytes SampleHeader() {
  Bytes h;
  FromHex("010001CA0023C63A", &h);
  return h;
}

std::vector<Bytes> SampleRecords() {
  const Mac mac = {0x02, 0x5A, 0x3C, 0x00, 0x00, 0x00};
  std::vector<OutletWords> outlets(8, OutletWords{1, 1, 0});
  PingBlock block;
  block.f = {0x0001, 0x0000, 0x000A, 0x000A, 0x0001, 0x0000, 0x0001, 0x0001, 0x0000};
  block.targets.assign(4, TargetEntry{});
  std::vector<PingBlock> blocks(8, block);
  TempFields t;
  t.actions.assign(8, 0);
  t.lower_alarm = -500;
  t.lower_caution = 0;
  t.lower_hys = 200;
  t.upper_alarm = 4500;
  t.upper_caution = 3500;
  t.upper_hys = 200;
  t.status = 3;
  t.cur_temp = 0;
  return {IdentRecord(mac), OutletRecord(outlets), PingRecord(blocks, 4, 4),
          TempRecord(t),    Rec0811(8),           Rec0812()};
}

Bytes SampleDatagram() { return StatusDatagram(SampleHeader(), SampleRecords()); }

std::string ToHex(const Bytes& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string s;
  s.reserve(bytes.size() * 2);
  for (std::uint8_t b : bytes) {
    s.push_back(kDigits[b >> 4]);
    s.push_back(kDigits[b & 0x0F]);
  }
  return s;
}

static int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool FromHex(const std::string& hex, Bytes* out) {
  Bytes b;
  int high = -1;
  for (char c : hex) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
    int v = HexValue(c);
    if (v < 0) return false;
    if (high < 0) {
      high = v;
    } else {
      b.push_back(static_cast<std::uint8_t>(high * 16 + v));
      high = -1;
    }
  }
  if (high >= 0) return false;
  *out = std::move(b);
  return true;
}

std::uint16_t GetU16(const Bytes& b, std::size_t offset) {
  if (offset + 2 > b.size()) return 0;
  return static_cast<std::uint16_t>((b[offset] << 8) | b[offset + 1]);
}

}  // namespace zol::sim
