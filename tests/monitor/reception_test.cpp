// Reception of status datagrams: the record text lines, the drop of foreign
// datagrams, the legacy layout and the bounds of a datagram's bytes.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "console/console_settings.h"
#include "console/main_window.h"
#include "monitor/debug_window.h"
#include "support/app_fixture.h"
#include "support/datagram_hex.h"

namespace zol {
namespace {

class ReceptionTest : public ::testing::Test {
 protected:
  ReceptionTest() {
    f.sim.SetNow(DateTime{2010, 11, 16, 12, 52, 7});
    // The receive text as the parser saw it is kept in the capture file of
    // the datagram (the legacy layout's MAC FF:FF:FF:00:B5:B6 is registered).
    Form4().StringGrid1.SetCell(1, 1, "FF:FF:FF:00:B5:B6");
    Form4().LastDataCnt();
    f.app->settings().SaveRecvData = true;
    f.app->settings().LogDir = f.dir.path();
  }
  // The receive texts of the capture files ("a" + id + ".txt") written so far.
  std::vector<std::vector<std::string>> Parsed() {
    std::vector<std::vector<std::string>> out;
    for (const auto& e : std::filesystem::directory_iterator(f.dir.path())) {
      const std::string name = e.path().filename().string();
      if (name.rfind("a", 0) != 0 || name.size() < 5 || name.compare(name.size() - 4, 4, ".txt") != 0) continue;
      std::vector<std::string> lines;
      std::string text = ReadAll(e.path().string());
      for (size_t at = 0; at < text.size();) {
        const size_t end = text.find("\r\n", at);
        if (end == std::string::npos) break;
        lines.push_back(text.substr(at, end - at));
        at = end + 2;
      }
      out.push_back(lines);
    }
    return out;
  }
  DebugWindow& Form4() { return f.app->Form4(); }
  void Receive(const std::string& bytes) { f.app->Form2().reception.NMUDP1DataReceived(bytes, "192.168.0.205", 2100); }
  std::vector<std::string> Lines() { return Form4().Memo1.All(); }

  AppFixture f;
  // Matches so far: each adds one line to the receive list.
  size_t Matches() { return f.app->receive_view().ListBox1.Count(); }
};

std::vector<std::string> Prefix() { return {"2010/11/16", "12:52:07", "192.168.0.205", "2100"}; }

TEST_F(ReceptionTest, SampleGivesElevenLinesAndOneParse) {
  ASSERT_TRUE(f.udp.SetLocalPort(5000).empty());
  ASSERT_TRUE(f.udp.Deliver(SampleDatagram(), "192.168.0.205", 2100));
  std::vector<std::string> want = Prefix();
  for (const std::string& l : SampleRecordLines()) want.push_back(l);
  EXPECT_EQ(Lines(), want);
  EXPECT_EQ(Lines()[4], "010001CA0023C63A");
  EXPECT_EQ(Matches(), 1u);
  EXPECT_EQ(Form4().StringGridBuffTag, 1);
  EXPECT_EQ(Form4().Memo2.Line(4), "02:5A:3C:00:00:00");
}

// A filler record of type 0811 that brings the datagram to size bytes.
std::string OfSize(size_t size) {
  std::string d = Datagram({sim::IdentRecord(FamilyMac(0xAA))});
  size_t len = size - d.size();
  d += static_cast<char>(0x08);
  d += static_cast<char>(0x11);
  d += static_cast<char>(len >> 8);
  d += static_cast<char>(len & 0xFF);
  d.resize(size, '\0');
  return d;
}

TEST_F(ReceptionTest, OnlyExactly182BytesIsLegacy) {
  struct Case {
    size_t size;
    bool legacy;
  } cases[] = {{181, false}, {182, true}, {183, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    const size_t before = Matches();
    Receive(OfSize(c.size));
    ASSERT_EQ(Matches(), before + 1);
    if (c.legacy) {
      EXPECT_TRUE(Lines().empty());  // cleared again after the parse
      EXPECT_EQ(Form4().Memo2.Line(4), "FF:FF:FF:00:00:00");
    } else {
      ASSERT_EQ(Lines().size(), 7u);
      EXPECT_EQ(Lines()[5], "0001000C0006025A3C0000AA");
      EXPECT_EQ(Lines()[6].size(), 2 * (c.size - 20));
      EXPECT_EQ(Form4().Memo2.Line(4), "02:5A:3C:00:00:AA");
    }
  }
}

TEST_F(ReceptionTest, LegacyDatagramIsConvertedWithoutPrefixTest) {
  // Every word holds its own two offsets, so that each position reads differently.
  auto at = [](size_t offset) { return static_cast<uint16_t>(offset << 8 | (offset + 1)); };
  std::array<sim::OutletWords, 4> outlets;
  for (size_t o = 0; o < 4; ++o) outlets[o] = {at(8 + 6 * o), at(10 + 6 * o), at(12 + 6 * o)};
  std::array<sim::LegacyPingBlock, 4> ping;
  for (size_t b = 0; b < 4; ++b) {
    const size_t base = 32 + 30 * b;
    for (size_t j = 0; j < 9; ++j) ping[b].f[j] = at(base + 2 * j);
    for (size_t t = 0; t < 3; ++t) ping[b].no_response[t] = at(base + 18 + 4 * t + 2);
  }
  Receive(Wire(sim::LegacyDatagram(0xB5B6, outlets, ping)));
  EXPECT_EQ(Form4().CaptureNo, 1);  // one parse
  const std::vector<std::vector<std::string>> parsed = Parsed();
  ASSERT_EQ(parsed.size(), 1u);
  const std::vector<std::string>& t = parsed[0];
  ASSERT_EQ(t.size(), 9u);
  EXPECT_EQ(std::vector<std::string>(t.begin(), t.begin() + 4), Prefix());
  EXPECT_EQ(t[4], "0100010E00000000");
  EXPECT_EQ(t[5], "0001000C0006FFFFFF00B5B6");
  EXPECT_EQ(t[6], "0110001E0004" "08090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F");
  ASSERT_EQ(t[7].size(), 16u + 4 * 68);
  EXPECT_EQ(t[7].substr(0, 16), "0801009000040004");
  // Each block: its 30 bytes, then a fourth target entry of zeros.
  EXPECT_EQ(t[7].substr(16, 8), "20212223");
  EXPECT_EQ(t[7].substr(16 + 60, 8), "00000000");
  EXPECT_EQ(t[7].substr(16 + 68, 8), "3E3F4041");
  EXPECT_EQ(t[8], "0000");
  EXPECT_TRUE(Lines().empty());

  const Memo& live = Form4().Memo2;
  EXPECT_EQ(live.Line(4), "FF:FF:FF:00:B5:B6");
  EXPECT_EQ(live.Line(5), "4");
  EXPECT_EQ(live.Line(6), "0809 0E0F 1415 1A1B");
  EXPECT_EQ(live.Line(9), "4");
  EXPECT_EQ(live.Line(10), "4");
  EXPECT_EQ(live.Line(11), "2021 3E3F 5C5D 7A7B");
  // Target 0 of every outlet, ..., target 3 (the added zero entries).
  EXPECT_EQ(live.Line(20),
            "3435 5253 7071 8E8F 3839 5657 7475 9293 3C3D 5A5B 7879 9697 0000 0000 0000 0000");
  EXPECT_EQ(live.Count(), 22u);  // no temperature record: L22 on stay empty
}

TEST_F(ReceptionTest, ForeignOrBrokenFirstRecordIsDroppedWithoutTrace) {
  const sim::Bytes ident = sim::IdentRecord(FamilyMac(0));
  const sim::Bytes ident_payload(ident.begin() + 4, ident.end());
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"nothing at all", ""},
      {"less than a header", Wire(Fill(4, 0))},
      {"header only", Datagram({})},
      {"fewer than four record bytes", Datagram({Cut(ident, 3)})},
      {"foreign MAC", Datagram({sim::IdentRecord({0x00, 0x11, 0x22, 0x33, 0x44, 0x55})})},
      {"first record not the identity", Datagram({sim::Record(sim::kOutletType, ident_payload)})},
      {"prefix differs in the last digit", Datagram({sim::IdentRecord({0x02, 0x5A, 0x3D, 0, 0, 0})})},
      {"length 0", Datagram({WithLength(ident, 0)})},
      {"record ends before the prefix", Datagram({WithLength(ident, 8)})},
      {"datagram ends inside the prefix", Datagram({Cut(ident, 8)})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Form4().Memo2.Assign({"before"});
    Receive(c.bytes);
    EXPECT_TRUE(Lines().empty());
    EXPECT_EQ(Matches(), 0u);
    EXPECT_EQ(Form4().StringGridBuffTag, 0);
    EXPECT_EQ(Form4().Memo2.All(), std::vector<std::string>{"before"});
  }
}

TEST_F(ReceptionTest, RecordFraming) {
  using sim::Record;
  const sim::Bytes ident = sim::IdentRecord(FamilyMac(1));
  const std::string id = Line(ident);
  const sim::Bytes r0110 = Record(sim::kOutletType, {}), r0801 = Record(sim::kPingType, {}),
                   r0802 = Record(sim::kTempType, {}), r0811 = Record(sim::kRec0811Type, {}),
                   r0812 = Record(sim::kRec0812Type, {}), r0000 = Record(0x0000, {});
  struct Case {
    const char* name;
    std::vector<sim::Bytes> records;  // behind the header
    std::vector<std::string> lines;   // record lines expected
  } cases[] = {
      {"nine bytes of identity are enough", {WithLength(Cut(ident, 9), 9)}, {"000100090006025A3C"}},
      {"fifth and sixth of type 0000 are left out",
       {ident, r0110, r0801, r0802, r0000, WithLength(r0000, 2)},
       {id, "01100004", "08010004", "08020004"}},
      {"type 0000 before the fifth stays", {ident, r0000, r0110}, {id, "00000004", "01100004"}},
      {"length 1 of type 0000 is no 0000 text", {ident, r0811, r0811, r0811, WithLength(r0000, 1)},
       {id, "08110004", "08110004", "08110004", "00"}},
      {"a seventh record is ignored",
       {ident, r0811, r0811, r0811, r0811, r0812, r0812},
       {id, "08110004", "08110004", "08110004", "08110004", "08120004"}},
      {"length 0 gives empty lines read at the same place",
       {ident, WithLength(Record(sim::kRec0811Type, Fill(2, 0xAA)), 0)}, {id, "", "", "", "", ""}},
      {"a record running past the end takes what is there",
       {ident, WithLength(Record(sim::kOutletType, Words({8, 1, 1})), 0x36)}, {id, "01100036000800010001"}},
      {"fewer than four bytes left end the records", {ident, Cut(r0811, 3)}, {id}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Receive(Datagram(c.records));
    std::vector<std::string> want = Prefix();
    want.push_back("0000000000000000");
    want.insert(want.end(), c.lines.begin(), c.lines.end());
    EXPECT_EQ(Lines(), want);
  }
}

}  // namespace
}  // namespace zol
