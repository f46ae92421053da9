// Reception of status datagrams: the record text lines, the drop of foreign
// datagrams, the legacy layout and the bounds of a datagram's bytes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

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
    // The match of each parsed record ends with the node icon refresh.
    f.app->hooks.ListIconRef = [this] {
      slots.push_back(Form4().StringGridBuffTag);
      parsed.push_back(Form4().Memo1.All());
    };
  }
  DebugWindow& Form4() { return f.app->Form4(); }
  void Receive(const std::string& bytes) { f.app->Form2().NMUDP1DataReceived(bytes, "192.168.0.205", 2100); }
  std::vector<std::string> Lines() { return Form4().Memo1.All(); }

  AppFixture f;
  std::vector<int> slots;
  std::vector<std::vector<std::string>> parsed;  // receive text as the parser saw it
};

std::vector<std::string> Prefix() { return {"2010/11/16", "12:52:07", "192.168.0.205", "2100"}; }

TEST_F(ReceptionTest, SampleGivesElevenLinesAndOneParse) {
  ASSERT_TRUE(f.udp.SetLocalPort(5000).empty());
  ASSERT_TRUE(f.udp.Deliver(SampleDatagram(), "192.168.0.205", 2100));
  std::vector<std::string> want = Prefix();
  for (const std::string& l : SampleRecordLines()) want.push_back(l);
  EXPECT_EQ(Lines(), want);
  EXPECT_EQ(Lines()[4], "010001CA0023C63A");
  EXPECT_EQ(slots, std::vector<int>{1});
  EXPECT_EQ(Form4().Memo2.Line(4), "02:5A:3C:00:00:00");
}

// A filler record of type 0811 that brings the datagram to size bytes.
std::string OfSize(size_t size) {
  std::string d = Datagram({IdentLine("025A3C0000AA")});
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
    slots.clear();
    Receive(OfSize(c.size));
    ASSERT_EQ(slots.size(), 1u);
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
  std::string d(182, '\0');
  for (size_t i = 0; i < d.size(); ++i) d[i] = static_cast<char>(i);
  d[4] = static_cast<char>(0xB5);
  d[5] = static_cast<char>(0xB6);
  Receive(d);
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
  const std::string header = "0000000000000000";
  const std::string cases[] = {
      "",                                         // nothing at all
      "00000000",                                 // less than a header
      header,                                     // header only
      header + "000100",                          // fewer than four record bytes
      header + "0001000C0006001122334455",        // foreign MAC
      header + "0110000C0006025A3C000000",        // first record not the identity
      header + "0001000C0006025A3D000000",        // prefix differs in the last digit
      header + "00010000" "0006025A3C000000",     // length 0
      header + "00010008" "0006025A3C000000",     // record ends before the prefix
      header + "0001000C0006025A",                // datagram ends inside the prefix
  };
  for (const std::string& hex : cases) {
    SCOPED_TRACE(hex);
    Form4().Memo2.Assign({"before"});
    Receive(HexBytes(hex));
    EXPECT_TRUE(Lines().empty());
    EXPECT_TRUE(slots.empty());
    EXPECT_EQ(Form4().StringGridBuffTag, 0);
    EXPECT_EQ(Form4().Memo2.All(), std::vector<std::string>{"before"});
  }
}

TEST_F(ReceptionTest, RecordFraming) {
  const std::string ident = "0001000C0006025A3C000001";
  struct Case {
    const char* name;
    std::vector<std::string> records;  // hex, behind the header
    std::vector<std::string> lines;    // record lines expected
  } cases[] = {
      {"nine bytes of identity are enough", {"00010009" "0006025A3C"}, {"000100090006025A3C"}},
      {"fifth and sixth of type 0000 are left out",
       {ident, "01100004", "08010004", "08020004", "00000004", "00000002"},
       {ident, "01100004", "08010004", "08020004"}},
      {"type 0000 before the fifth stays",
       {ident, "00000004", "01100004"}, {ident, "00000004", "01100004"}},
      {"length 1 of type 0000 is no 0000 text", {ident, "08110004", "08110004", "08110004", "00000001"},
       {ident, "08110004", "08110004", "08110004", "00"}},
      {"a seventh record is ignored",
       {ident, "08110004", "08110004", "08110004", "08110004", "08120004", "08120004"},
       {ident, "08110004", "08110004", "08110004", "08110004", "08120004"}},
      {"length 0 gives empty lines read at the same place",
       {ident, "08110000AAAA"}, {ident, "", "", "", "", ""}},
      {"a record running past the end takes what is there",
       {ident, "01100036000800010001"}, {ident, "01100036000800010001"}},
      {"fewer than four bytes left end the records", {ident, "081100"}, {ident}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string d = HexBytes("0000000000000000");
    for (const std::string& r : c.records) d += HexBytes(r);
    Receive(d);
    std::vector<std::string> want = Prefix();
    want.push_back("0000000000000000");
    want.insert(want.end(), c.lines.begin(), c.lines.end());
    EXPECT_EQ(Lines(), want);
  }
}

}  // namespace
}  // namespace zol
