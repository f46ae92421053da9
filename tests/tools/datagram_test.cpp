// The datagram builder against the wire format devices use, and the
// simulator's device model on top of it.
#include "zolsim/datagram.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "zolsim/model.h"

namespace zol::sim {
namespace {

std::string Repeat(const std::string& s, int n) {
  std::string r;
  for (int i = 0; i < n; ++i) r += s;
  return r;
}

// Splits a datagram into its header and records by the record framing.
std::vector<Bytes> Records(const Bytes& d) {
  std::vector<Bytes> out;
  std::size_t at = kHeaderSize;
  while (at + 4 <= d.size()) {
    std::size_t len = GetU16(d, at + 2);
    if (len < 4 || at + len > d.size()) break;
    out.emplace_back(d.begin() + static_cast<long>(at), d.begin() + static_cast<long>(at + len));
    at += len;
  }
  EXPECT_EQ(at, d.size()) << "records must fill the datagram exactly";
  return out;
}

TEST(Datagram, SampleIsTheDebugWindowsSampleByteForByte) {
  const std::string block = "0001" "0000" "000A" "000A" "0001" "0000" "0001" "0001" "0000" + std::string(32, '0');
  const std::vector<std::string> lines = {
      "010001CA0023C63A",
      "0001000C0006025A3C000000",
      "011000360008" + Repeat("000100010000", 8),
      "0801011800080004" + Repeat(block, 8),
      "080200260008010000000000000000000000FE0C000000C8010011940DAC00C8010003000000",
      "081100360008" + std::string(96, '0'),
      "0812000A000000000000",
  };
  const Bytes d = SampleDatagram();
  std::string all;
  for (const std::string& l : lines) all += l;
  EXPECT_EQ(ToHex(d), all);

  std::vector<Bytes> recs = Records(d);
  ASSERT_EQ(recs.size(), 6u);
  EXPECT_EQ(ToHex(Bytes(d.begin(), d.begin() + 8)), lines[0]);
  for (std::size_t i = 0; i < recs.size(); ++i) EXPECT_EQ(ToHex(recs[i]), lines[i + 1]) << "record " << i + 1;
  EXPECT_EQ(recs[2].size(), 0x118u);  // the PING record of 8 outlets with 4-byte entries: 280
}

TEST(Datagram, FramingCountsTheWholeRecord) {
  const Bytes r = Record(0x1234, Bytes{0xAA, 0xBB, 0xCC});
  EXPECT_EQ(ToHex(r), "12340007AABBCC");
  EXPECT_EQ(ToHex(Record(0x0812, {})), "08120004");
  EXPECT_EQ(ToHex(IdentRecord({0x02, 0x5A, 0x3C, 0x12, 0x34, 0x56})), "0001000C0006025A3C123456");
}

TEST(Datagram, OutletRecordHoldsThreeWordsPerOutlet) {
  const Bytes r = OutletRecord({{1, 0, 0}, {1, 1, 0x00FF}});
  EXPECT_EQ(ToHex(r), "01100012" "0002" "000100000000" "0001000100FF");
  for (int n : {2, 4, 8}) EXPECT_EQ(OutletRecord(std::vector<OutletWords>(n)).size(), 6u + 6u * n) << n;
}

// The length of a PING record, and which entry width the console's parser
// reads from it: k := length (+8 for 8 outlets, -2 for 2), k := k / n / m,
// 8-byte entries when k is above 12.
int ParserEntrySize(std::size_t len, int n, int m) {
  long k = static_cast<long>(len);
  if (n == 8) k += 8;
  if (n == 2) k -= 2;
  if (k > 0) k = (k / n) / m;
  return k > 12 ? 8 : 4;
}

TEST(Datagram, PingRecordLengthsForBothEntryWidths) {
  struct Case {
    int outlets;
    int width;
    std::size_t length;
  };
  const Case cases[] = {{8, 4, 280}, {8, 8, 408}, {4, 4, 144}, {4, 8, 208}, {2, 4, 76}, {2, 8, 108}};
  for (const Case& c : cases) {
    std::vector<PingBlock> blocks(static_cast<std::size_t>(c.outlets));
    const Bytes r = PingRecord(blocks, 4, static_cast<std::size_t>(c.width));
    EXPECT_EQ(r.size(), c.length) << c.outlets << " outlets, " << c.width << "-byte entries";
    EXPECT_EQ(GetU16(r, 2), c.length);
    EXPECT_EQ(GetU16(r, 4), c.outlets);
    EXPECT_EQ(GetU16(r, 6), 4);
    EXPECT_EQ(ParserEntrySize(r.size(), c.outlets, 4), c.width) << c.outlets << " outlets";
  }
}

TEST(Datagram, PingBlockWordsAndNoResponseCountsStandWhereTheParserReadsThem) {
  for (std::size_t width : {4u, 8u}) {
    const int n = 4, m = 4;
    std::vector<PingBlock> blocks(n);
    for (int b = 0; b < n; ++b) {
      for (int f = 0; f < 9; ++f) blocks[b].f[f] = static_cast<std::uint16_t>(0x100 * (b + 1) + f + 1);
      for (int j = 0; j < m; ++j)
        blocks[b].targets.push_back({0xEEEE, static_cast<std::uint16_t>(0x10 * (b + 1) + j + 1), 0xDDDDDDDD});
    }
    const Bytes r = PingRecord(blocks, m, width);
    const std::size_t stride = 18 + width * m;
    for (int b = 0; b < n; ++b) {
      for (int f = 0; f < 9; ++f) EXPECT_EQ(GetU16(r, 8 + stride * b + 2 * f), 0x100 * (b + 1) + f + 1);
      for (int j = 0; j < m; ++j) {
        const std::size_t e = 8 + stride * b + 18 + width * j;
        EXPECT_EQ(GetU16(r, e), 0xEEEE);
        EXPECT_EQ(GetU16(r, e + 2), 0x10 * (b + 1) + j + 1) << "width " << width << " block " << b << " target " << j;
        if (width == 8) {
          EXPECT_EQ(GetU16(r, e + 4), 0xDDDD);
        }
      }
    }
  }
}

TEST(Datagram, PingRecordWritesExactlyTheAnnouncedTargets) {
  PingBlock b;
  b.targets.assign(6, TargetEntry{0, 7, 0});
  EXPECT_EQ(PingRecord({b}, 2, 4).size(), 8u + 18u + 8u);  // extra entries left out
  EXPECT_EQ(PingRecord({PingBlock{}}, 3, 8).size(), 8u + 18u + 24u);  // missing ones zero
}

TEST(Datagram, OldPingRecordHoldsJudgementAndExecutionCount) {
  const Bytes r = OldPingRecord({{1, 2}, {3, 4}});
  EXPECT_EQ(ToHex(r), "0300000E" "0002" "00010002" "00030004");
}

TEST(Datagram, TempRecordLayout) {
  TempFields t;
  t.actions = {1, 2, 3, 4};
  t.lower_alarm = -500;
  t.upper_alarm = 4500;
  t.upper_caution = 3500;
  t.status = 0x99;
  t.action_status = 0x12;
  t.cur_temp = kNoReading;
  const Bytes r = TempRecord(t);
  const std::size_t n = 4;
  ASSERT_EQ(r.size(), 30 + n);
  EXPECT_EQ(GetU16(r, 0), kTempType);
  EXPECT_EQ(GetU16(r, 2), 30 + n);
  EXPECT_EQ(GetU16(r, 4), n);
  EXPECT_EQ(ToHex(Bytes(r.begin() + 6, r.begin() + 14)), "0100000001020304");
  EXPECT_EQ(GetU16(r, 10 + n), 0xFE0C);
  EXPECT_EQ(GetU16(r, 18 + n), 0x1194);
  EXPECT_EQ(GetU16(r, 20 + n), 0x0DAC);
  EXPECT_EQ(r[26 + n], 0x99);
  EXPECT_EQ(r[27 + n], 0x12);
  EXPECT_EQ(GetU16(r, 28 + n), 0x7FFF);
  t.cur_temp = -530;
  EXPECT_EQ(GetU16(TempRecord(t), 28 + n), 0xFDEE);
}

TEST(Datagram, LegacyLayout) {
  std::array<OutletWords, 4> outlets{};
  std::array<LegacyPingBlock, 4> ping{};
  for (int i = 0; i < 4; ++i) {
    outlets[i] = {static_cast<std::uint16_t>(0xA0 + i), static_cast<std::uint16_t>(0xB0 + i), static_cast<std::uint16_t>(0xC0 + i)};
    for (int f = 0; f < 9; ++f) ping[i].f[f] = static_cast<std::uint16_t>(0x100 * i + f);
    for (int j = 0; j < 3; ++j) ping[i].no_response[j] = static_cast<std::uint16_t>(0x50 + 4 * i + j);
  }
  const Bytes d = LegacyDatagram(0xB5B6, outlets, ping);
  ASSERT_EQ(d.size(), kLegacySize);
  EXPECT_EQ(d[4], 0xB5);
  EXPECT_EQ(d[5], 0xB6);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(GetU16(d, 8 + 6 * i), 0xA0 + i);
    EXPECT_EQ(GetU16(d, 10 + 6 * i), 0xB0 + i);
    EXPECT_EQ(GetU16(d, 12 + 6 * i), 0xC0 + i);
    for (int f = 0; f < 9; ++f) EXPECT_EQ(GetU16(d, 32 + 30 * i + 2 * f), 0x100 * i + f);
    for (int j = 0; j < 3; ++j) EXPECT_EQ(GetU16(d, 32 + 30 * i + 18 + 4 * j + 2), 0x50 + 4 * i + j);
  }
  for (std::size_t k = 152; k < kLegacySize; ++k) EXPECT_EQ(d[k], 0) << k;
}

TEST(Datagram, HexRoundTrip) {
  Bytes b;
  ASSERT_TRUE(FromHex("00ff 7Fa0", &b));
  EXPECT_EQ(ToHex(b), "00FF7FA0");
  EXPECT_FALSE(FromHex("ABC", &b));
  EXPECT_FALSE(FromHex("XY", &b));
}

// ---- the device model ----

Device Dev(const std::vector<std::string>& lines) {
  Device d = MakeDevice(1, 0x000000);
  for (const std::string& l : lines) {
    Event e;
    bool has = false;
    std::string err;
    EXPECT_TRUE(ParseEvent(l, "test", &e, &has, &err)) << err;
    EXPECT_TRUE(ApplyVerb(d, e.verb, e.args, e.at_ms, &err)) << err;
  }
  return d;
}

std::vector<std::uint16_t> Types(const Bytes& d) {
  std::vector<std::uint16_t> t;
  for (const Bytes& r : Records(d)) t.push_back(GetU16(r, 0));
  return t;
}

TEST(DeviceModel, DefaultDeviceSendsTheRecordsInDeviceOrder) {
  Device d = MakeDevice(3, 0x00FF00);
  const Bytes dg = BuildDatagram(d, 0);
  EXPECT_EQ(Types(dg), (std::vector<std::uint16_t>{kIdentType, kOutletType, kPingType, kTempType, kRec0811Type, kRec0812Type}));
  EXPECT_EQ(ToHex(Records(dg)[0]), "0001000C0006025A3C00FF02");
  EXPECT_EQ(ToHex(Bytes(dg.begin(), dg.begin() + 8)), "010001CA00000001");
  EXPECT_EQ(Records(dg)[2].size(), 280u);
  EXPECT_EQ(GetU16(BuildDatagram(d, 0), 6), 2);  // sequence number in the header
}

TEST(DeviceModel, OutletCountsWidthsAndVariants) {
  struct Case {
    std::vector<std::string> lines;
    std::vector<std::uint16_t> types;
    std::size_t ping_length;
  };
  const std::vector<std::uint16_t> full = {kIdentType, kOutletType, kPingType, kTempType, kRec0811Type, kRec0812Type};
  const Case cases[] = {
      {{"0 1 outlets 4"}, full, 144},
      {{"0 1 outlets 4", "0 1 width 8"}, full, 208},
      {{"0 1 outlets 2"}, full, 76},
      {{"0 1 width 8"}, full, 408},
      {{"0 1 oldping on"}, {kIdentType, kOutletType, kOldPingType, kTempType, kRec0811Type, kRec0812Type}, 6 + 4 * 8},
      {{"0 1 notemp on"}, {kIdentType, kOutletType, kPingType, kRec0811Type, kRec0812Type}, 280},
  };
  for (const Case& c : cases) {
    Device d = Dev(c.lines);
    const Bytes dg = BuildDatagram(d, 0);
    EXPECT_EQ(Types(dg), c.types) << c.lines.back();
    EXPECT_EQ(Records(dg)[2].size(), c.ping_length) << c.lines.back();
  }
}

TEST(DeviceModel, LegacyDeviceSendsTerminalIdFromItsMac) {
  Device d = MakeDevice(1, 0x00B5B6);
  std::string err;
  ASSERT_TRUE(ApplyVerb(d, "legacy", {"on"}, 0, &err));
  ASSERT_TRUE(ApplyVerb(d, "power", {"2", "off"}, 0, &err));
  const Bytes dg = BuildDatagram(d, 0);
  ASSERT_EQ(dg.size(), kLegacySize);
  EXPECT_EQ(GetU16(dg, 4), 0xB5B6);
  EXPECT_EQ(GetU16(dg, 10 + 6), 0);  // word B of outlet 2
  EXPECT_EQ(GetU16(dg, 32 + 30), 0);  // F1 of outlet 2
}

// Offsets inside an 8-outlet default datagram.
constexpr std::size_t kOutletRec = 8 + 12;
constexpr std::size_t kPingRec = kOutletRec + 54;
constexpr std::size_t kTempRec = kPingRec + 280;
std::uint16_t PowerB(const Bytes& d, int outlet) { return GetU16(d, kOutletRec + 6 + 6 * (outlet - 1) + 2); }
std::uint16_t PingWord(const Bytes& d, int outlet, int f) { return GetU16(d, kPingRec + 8 + 34 * (outlet - 1) + 2 * (f - 1)); }
std::uint16_t NoResp(const Bytes& d, int outlet, int target) { return GetU16(d, kPingRec + 8 + 34 * (outlet - 1) + 18 + 4 * (target - 1) + 2); }
std::int16_t CurTemp(const Bytes& d) { return static_cast<std::int16_t>(GetU16(d, kTempRec + 28 + 8)); }
std::uint8_t Status(const Bytes& d) { return d[kTempRec + 26 + 8]; }

TEST(DeviceModel, ScenarioVerbsChangeTheWords) {
  Device d = Dev({"0 1 power 3 off", "0 1 ping 5 abnormal", "0 1 ping 6 caution", "0 1 noresp 7 2 000C", "0 1 watch 8 0"});
  const Bytes dg = BuildDatagram(d, 0);
  EXPECT_EQ(PowerB(dg, 3), 0);
  EXPECT_EQ(PingWord(dg, 3, 1), 0);
  EXPECT_EQ(PowerB(dg, 4), 1);
  EXPECT_EQ(PingWord(dg, 5, 2), 2);
  EXPECT_EQ(PingWord(dg, 6, 2), 1);
  EXPECT_EQ(NoResp(dg, 6, 1), 1);
  EXPECT_EQ(NoResp(dg, 7, 2), 0x000C);
  EXPECT_EQ(NoResp(dg, 7, 1), 0);
  EXPECT_EQ(PingWord(dg, 8, 6), 0);
  EXPECT_EQ(PingWord(dg, 1, 6), 1);
}

TEST(DeviceModel, RebootIsOffThenOnAfterTheDelay) {
  Device d = Dev({"0 1 reboot-delay 3", "0 1 reboot 2"});
  EXPECT_EQ(PowerB(BuildDatagram(d, 100), 2), 0);
  Tick(d, 2999);
  EXPECT_EQ(PowerB(BuildDatagram(d, 2999), 2), 0);
  Tick(d, 3000);
  EXPECT_EQ(PowerB(BuildDatagram(d, 3000), 2), 1);
}

TEST(DeviceModel, TemperatureRampStatusAndNoReading) {
  Device d = Dev({"0 1 ramp 20 50 10"});
  EXPECT_EQ(CurTemp(BuildDatagram(d, 0)), 2000);
  EXPECT_EQ(CurTemp(BuildDatagram(d, 5000)), 3500);
  EXPECT_EQ(Status(BuildDatagram(d, 5000)), 1);  // upper caution at 35
  EXPECT_EQ(CurTemp(BuildDatagram(d, 20000)), 5000);
  EXPECT_EQ(Status(BuildDatagram(d, 20000)), 2);  // upper alarm from 45
  struct Case {
    const char* temp;
    int status;
  };
  for (Case c : {Case{"20", 0}, Case{"0", 3}, Case{"-5", 4}, Case{"-4.99", 3}, Case{"none", 0x99}}) {
    Device t = Dev({std::string("0 1 temp ") + c.temp});
    EXPECT_EQ(Status(BuildDatagram(t, 0)), c.status) << c.temp;
  }
  Device none = Dev({"0 1 temp none"});
  EXPECT_EQ(static_cast<std::uint16_t>(CurTemp(BuildDatagram(none, 0))), 0x7FFF);
  Device forced = Dev({"0 1 status 03", "0 1 temp 25"});
  EXPECT_EQ(Status(BuildDatagram(forced, 0)), 3);
}

TEST(DeviceModel, BadScenarioLinesAreRefusedWithTheirSource) {
  const char* bad[] = {"x 1 power 1 on",   "5 0 power 1 on",   "5 1000 silent",  "5 1 power 9 on",
                       "5 1 power 1 maybe", "5 1 fly",          "5 1 outlets 3",  "5 1 width 6",
                       "5 1 ramp 20 x 5",  "5 1 rate 0",        "5 1 fault nope", "-1 1 silent",
                       "5 1"};
  for (const char* line : bad) {
    Event e;
    bool has = false;
    std::string err;
    EXPECT_FALSE(ParseEvent(line, "file:7", &e, &has, &err)) << line;
    EXPECT_EQ(err.rfind("file:7", 0), 0u) << err;
  }
  Event e;
  bool has = true;
  std::string err;
  EXPECT_TRUE(ParseEvent("   # only a comment", "f", &e, &has, &err));
  EXPECT_FALSE(has);
  EXPECT_TRUE(ParseEvent("2.5 * ping all abnormal  # comment", "f", &e, &has, &err));
  EXPECT_TRUE(has);
  EXPECT_EQ(e.at_ms, 2500);
  EXPECT_EQ(e.device, 0);
  EXPECT_EQ(e.args, (std::vector<std::string>{"all", "abnormal"}));
}

}  // namespace
}  // namespace zol::sim
