// The record parser: live record fields of every record layout, the three
// number readings, the ring, the hand-over order and the capture files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/files.h"
#include "common/text.h"
#include "console/detail_window.h"
#include "console/main_window.h"
#include "monitor/debug_window.h"
#include "support/app_fixture.h"
#include "support/datagram_hex.h"

namespace zol {
namespace {

std::string Items(const std::string& item, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += (i ? " " : "") + item;
  return out;
}

std::string Hex4(int v) {
  static const char d[] = "0123456789ABCDEF";
  return {d[(v >> 12) & 15], d[(v >> 8) & 15], d[(v >> 4) & 15], d[v & 15]};
}

class RecordParserTest : public ::testing::Test {
 protected:
  DebugWindow& Form4() { return f.app->Form4(); }
  // Parses the record lines (from line 5 on) behind the fixed lines 0 to 4.
  std::vector<std::string> Parse(const std::vector<std::string>& records) {
    std::vector<std::string> text = {"2010/11/16", "12:52:07", "192.168.0.205", "2100", "010001CA0023C63A"};
    text.insert(text.end(), records.begin(), records.end());
    Form4().Memo1.Assign(text);
    Form4().RevDataLoging();
    return Form4().Memo2.All();
  }
  std::vector<std::string> SampleRecords() {
    std::vector<std::string> r = SampleRecordLines();
    r.erase(r.begin());  // the header
    return r;
  }
  // Runs probe from inside the match, as the match refills the detail
  // window of the device shown.
  void WatchRefill(std::function<void(int row)> probe) {
    struct Watched : DetailWindow {
      Watched(App& a, std::function<void(int)> p) : DetailWindow(a), probe(std::move(p)) {}
      void Refill(int row) override {
        probe(row);
        DetailWindow::Refill(row);
      }
      std::function<void(int)> probe;
    };
    f.app->form6 = std::make_unique<Watched>(*f.app, std::move(probe));
  }

  AppFixture f;
};

TEST_F(RecordParserTest, SampleGivesEveryField) {
  Form4().Memo1.Assign(Form4().Memo4.All());
  Form4().RevDataLoging();
  const std::vector<std::string> want = {
      "2010/11/16", "12:52:07", "192.168.0.205", "2100", "02:5A:3C:00:00:00", "8",
      Items("0001", 8), Items("0001", 8), Items("0000", 8),                     // L6-L8
      "8", "4",                                                                 // L9, L10
      Items("0001", 8), Items("0000", 8), Items("000A", 8), Items("000A", 8),   // L11-L14
      Items("0001", 8), Items("0000", 8), Items("0001", 8), Items("0001", 8),   // L15-L18
      Items("0000", 8), Items("0000", 32), Items("0000", 32),                   // L19-L21
      "8", "01", "00", "00", "00", Items("00", 8),                              // L22-L27
      "-5", "0", "2", "01", "00", "45", "35", "2", "01", "00", "03", "00", "0.0",  // L28-L40
  };
  EXPECT_EQ(Form4().Memo2.All(), want);
  // The ring holds the capture number and all 44 fields, L41 to L43 empty.
  const Grid& ring = Form4().StringGridBuff;
  EXPECT_EQ(ring.Cell(0, 1), "1");
  for (size_t k = 0; k < want.size(); ++k) EXPECT_EQ(ring.Cell(static_cast<int>(k) + 1, 1), want[k]) << k;
  for (int c = 42; c <= 44; ++c) EXPECT_EQ(ring.Cell(c, 1), "");
}

// A PING record with counts n and m and length len whose byte at offset k
// (from 8 on) is k, so that every position reads differently.
std::string PingLine(int n, int m, int len) {
  sim::Bytes payload = Words({static_cast<uint16_t>(n), static_cast<uint16_t>(m)});
  for (int k = 8; k < len; ++k) payload.push_back(static_cast<uint8_t>(k));
  return Line(WithLength(sim::Record(sim::kPingType, payload), static_cast<uint16_t>(len)));
}

TEST_F(RecordParserTest, PingEntryWidthFollowsLengthAndCounts) {
  struct Case {
    int n, m, len, w;
  } cases[] = {{8, 4, 280, 1}, {8, 4, 408, 2}, {4, 4, 144, 1}, {4, 4, 208, 2}, {2, 4, 76, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.n << " outlets, length " << c.len);
    std::vector<std::string> live = Parse({IdentLine(FamilyMac(0)), PingLine(c.n, c.m, c.len)});
    ASSERT_EQ(live.size(), 5u + 13);
    EXPECT_EQ(live[5], std::to_string(c.n));
    EXPECT_EQ(live[6], std::to_string(c.m));
    // F1 of the second outlet lies one block stride further on.
    const int stride_bytes = 18 + 4 * c.m * c.w;
    EXPECT_EQ(live[7].substr(5, 4), BytesToHex(std::string{static_cast<char>(8 + stride_bytes), static_cast<char>(9 + stride_bytes)}));
    // L20: n * m counts; the count of target 1 of outlet 0 is item n.
    const std::string& counts = live[16];
    ASSERT_EQ(counts.size(), static_cast<size_t>(5 * c.n * c.m - 1));
    const int at = 8 + 18 + 4 * c.w + 2;
    EXPECT_EQ(counts.substr(static_cast<size_t>(5 * c.n), 4),
              BytesToHex(std::string{static_cast<char>(at), static_cast<char>(at + 1)}));
    EXPECT_EQ(live[17], counts);
  }
}

TEST_F(RecordParserTest, ZeroCountsAndShortRecordsParseWithoutFailing) {
  struct Case {
    const char* name;
    std::string line;
    std::string l9, l10, l11, l20;
  } cases[] = {
      {"no outlets", PingLine(0, 4, 100), "0", "4", "0809", ""},
      {"no targets", PingLine(4, 0, 100), "4", "0", "0809 1A1B 2C2D 3E3F", ""},
      {"neither", PingLine(0, 0, 0), "0", "0", "", ""},
      {"type only", Line(Cut(sim::Record(sim::kPingType, {}), 2)), "0", "0", "", ""},
      {"letter digit in the count", Line(sim::Record(sim::kPingType, Join({Words({0x000A, 4}), Fill(24, 0x11)}))),
       "0", "4", "1111", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> live = Parse({IdentLine(FamilyMac(0)), c.line});
    ASSERT_EQ(live.size(), 18u);
    EXPECT_EQ(live[5], c.l9);
    EXPECT_EQ(live[6], c.l10);
    EXPECT_EQ(live[7], c.l11);
    EXPECT_EQ(live[16], c.l20);
    EXPECT_EQ(live[17], c.l20);
  }
}

TEST_F(RecordParserTest, OutletCountReadsAsDecimal) {
  sim::Bytes words;
  for (int i = 0; i < 10; ++i)
    sim::Append(words, Words({static_cast<uint16_t>(0x10 + i), static_cast<uint16_t>(0x20 + i),
                              static_cast<uint16_t>(0x30 + i)}));
  struct Case {
    uint16_t count;
    std::string l5, l6, l8;
  } cases[] = {
      {0x000A, "0", "0010", "0030"},  // ten outlets read as none: the first item all the same
      {0x0000, "0", "0010", "0030"},
      {0x0001, "1", "0010", "0030"},
      {0x0003, "3", "0010 0011 0012", "0030 0031 0032"},
      {0x0010, "10", "0010 0011 0012 0013 0014 0015 0016 0017 0018 0019",
       "0030 0031 0032 0033 0034 0035 0036 0037 0038 0039"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.count);
    std::vector<std::string> live =
        Parse({IdentLine(FamilyMac(0)), Line(sim::Record(sim::kOutletType, Join({Words({c.count}), words})))});
    ASSERT_EQ(live.size(), 9u);
    EXPECT_EQ(live[5], c.l5);
    EXPECT_EQ(live[6], c.l6);
    EXPECT_EQ(live[8], c.l8);
  }
}

TEST_F(RecordParserTest, CurrentTemperatureText) {
  struct Case {
    const char* word;
    const char* text;
  } cases[] = {{"0929", "23.4"}, {"0000", "0.0"},    {"FDEE", "-5.3"}, {"FFCE", "-0.5"},
               {"FFFB", "0.0"},  {"8000", "-327.6"}, {"7FFF", ""},     {"7fff", ""},
               {"7FFE", "327.6"}, {"fdee", "-5.3"},  {"ZZZZ", "0.0"},  {"", "0.0"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.word);
    std::vector<std::string> r = SampleRecords();
    r[3] = r[3].substr(0, r[3].size() - 4) + c.word;
    EXPECT_EQ(Parse(r).at(40), c.text);
  }
}

// The fields behind the action codes stand 2n digits further on; whole
// degrees are truncated toward zero.
TEST_F(RecordParserTest, TempRecordFieldsFollowTheOutletCount) {
  sim::TempFields t;
  t.enabled = 0x01;
  t.test_mode = 0x02;
  t.test_sim_mode = 0x03;
  t.byte4 = 0x04;
  t.lower_alarm = -150;
  t.lower_caution = -50;
  t.lower_hys = 199;
  t.lower_off = 0x05;
  t.byte_low = 0x06;
  t.upper_alarm = 4599;
  t.upper_caution = -32768;
  t.upper_hys = 32767;
  t.upper_off = 0x07;
  t.byte_up = 0x08;
  t.status = 0x09;
  t.action_status = 0x0A;
  struct Case {
    std::vector<uint8_t> actions;
    int16_t cur_temp;
    std::string l22, l27, l40;
  } cases[] = {
      {{0x11, 0x22}, 2345, "2", "11 22", "23.4"},
      {{0x01, 0x02, 0x03, 0x04}, -530, "4", "01 02 03 04", "-5.3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.l22);
    t.actions = c.actions;
    t.cur_temp = c.cur_temp;
    std::vector<std::string> live = Parse({IdentLine(FamilyMac(0)), Line(sim::TempRecord(t))});
    const std::vector<std::string> want = {c.l22, "01", "02", "03", "04", c.l27, "-1", "0", "1", "05", "06",
                                           "45", "-327", "327", "07", "08", "09", "0A", c.l40};
    EXPECT_EQ(std::vector<std::string>(live.begin() + 5, live.end()), want);
  }
}

TEST_F(RecordParserTest, MissingRecordsMoveFieldsUpAndRepeatedOnesAppendTwice) {
  std::vector<std::string> s = SampleRecords();
  std::vector<std::string> live = Parse({s[0], s[2], s[3]});  // no outlet record
  ASSERT_EQ(live.size(), 4u + 1 + 13 + 19);
  EXPECT_EQ(live[5], "8");
  EXPECT_EQ(live[6], "4");
  EXPECT_EQ(live[7], Items("0001", 8));
  EXPECT_EQ(live[36], "0.0");
  // A second identity record appends a second MAC; unknown lines add nothing.
  live = Parse({s[0], "", "0811", "zzzz", "0000", IdentLine(FamilyMac(0xFF))});
  EXPECT_EQ(live, (std::vector<std::string>{"2010/11/16", "12:52:07", "192.168.0.205", "2100",
                                           "02:5A:3C:00:00:00", "02:5A:3C:00:00:FF"}));
  EXPECT_EQ(Form4().StringGridBuff.Cell(7, 2), "");
}

TEST_F(RecordParserTest, OldPingRecordFillsThePingFields) {
  std::vector<std::string> live =
      Parse({IdentLine(FamilyMac(0)), Line(sim::OutletRecord({{1, 1, 0}, {1, 2, 0}, {1, 3, 0}, {1, 0x12, 0}})),
             Line(sim::OldPingRecord({{0x0001, 0x0005}, {0x0000, 0x0006}, {0x0012, 0x0007}, {0x000A, 0x0008}}))});
  const std::string zeros = "0000 0000 0000 0000";
  const std::vector<std::string> want = {
      "4", "1", "0001 0002 0003 0012", "0001 0000 0012 0000", zeros, zeros, zeros,
      "0009 0000 0009 0000", zeros, zeros, "0005 0006 0007 0008", "", ""};
  ASSERT_EQ(live.size(), 9u + 13);
  EXPECT_EQ(std::vector<std::string>(live.begin() + 9, live.end()), want);
}

TEST_F(RecordParserTest, ForgedCountsCostNoMoreThanTheLine) {
  // Counts of 9999 outlets and targets in short records: fields stay within
  // a small multiple of the line, and complete items are read as usual.
  const sim::Bytes body = Fill(100, 0x11);
  auto forged = [&](uint16_t type, uint16_t length, const std::vector<uint16_t>& counts) {
    return Line(WithLength(sim::Record(type, Join({Words(counts), body})), length));
  };
  const std::vector<std::string> lines = {
      forged(sim::kOutletType, 0x100, {0x9999}),      forged(sim::kPingType, 0xFFF, {0x9999, 0x9999}),
      forged(sim::kPingType, 0xFFF, {0x0001, 0x9999}), forged(sim::kPingType, 0xFFF, {0x9999, 0x0001}),
      forged(sim::kTempType, 0x100, {0x9999}),        forged(sim::kOldPingType, 0x100, {0x9999})};
  for (const std::string& line : lines) {
    SCOPED_TRACE(line.substr(0, 16));
    std::vector<std::string> live = Parse({line});
    for (const std::string& field : live) EXPECT_LE(field.size(), 2 * line.size());
  }
  std::vector<std::string> live = Parse({lines[2]});
  EXPECT_EQ(live[4], "1");
  EXPECT_EQ(live[5], "9999");
  EXPECT_EQ(live[15], Items("1111", 20));  // targets 0 to 19 start within the line
}

TEST_F(RecordParserTest, MatchRunsAfterTheIconRebuildAndBeforeTheCounters) {
  // Seen from inside the match (the detail refresh of a registered device):
  // the icon view has been rebuilt and the header counters are not yet written.
  std::vector<std::string> calls;
  MainWindow& main = f.app->Form2();
  Form4().StringGrid1.SetCell(1, 1, "02:5A:3C:00:00:00");
  Form4().LastDataCnt();
  main.receive.DetailDevice = 1;
  const uint64_t icons_before = main.icons.ListView1.Revision();
  WatchRefill([&](int row) {
    calls.push_back(main.icons.ListView1.Revision() > icons_before ? "icons" : "no icons");
    calls.push_back("match " + std::to_string(Form4().StringGridBuffTag) + " row " + std::to_string(row));
    calls.push_back(main.icons.Panel12.Caption().empty() ? "no counters" : "counters");
  });
  Parse(SampleRecords());
  EXPECT_EQ(calls, (std::vector<std::string>{"icons", "match 1 row 1", "no counters"}));
  EXPECT_EQ(main.icons.Panel12.Caption(), "0");
}

TEST_F(RecordParserTest, RingOfTwentySlotsAndCaptureNumbers) {
  MainWindow& main = f.app->Form2();
  Parse(SampleRecords());
  EXPECT_EQ(Form4().StringGridBuffTag, 1);
  EXPECT_EQ(Form4().StringGrid2.Cell(5, 1), "02:5A:3C:00:00:00");
  EXPECT_EQ(main.icons.Panel12.Caption(), "0");
  const Grid& ring = Form4().StringGridBuff;
  for (int i = 2; i <= 21; ++i) {
    Parse({IdentLine(FamilyMac(static_cast<uint32_t>(i)))});
    const int slot = (i - 1) % 20 + 1;
    EXPECT_EQ(Form4().StringGridBuffTag, slot);
    EXPECT_EQ(main.receive.ListBox1.Count(), static_cast<size_t>(i < 20 ? i : 20));  // one receive line per match
    // The match read this slot: the new MAC went into the unregistered list.
    EXPECT_EQ(Form4().StringGrid2.Cell(5, i), "02:5A:3C:00:00:" + Hex4(i).substr(2));
    EXPECT_EQ(ring.Cell(0, slot), std::to_string((i - 1) % 9 + 1)) << i;
    EXPECT_EQ(ring.Cell(5, slot), "02:5A:3C:00:00:" + Hex4(i).substr(2));
  }
  EXPECT_EQ(ring.Cell(5, 20), "02:5A:3C:00:00:14");  // slot 20 is stored
  // The 21st record took slot 1 and left the sample's fields there empty.
  EXPECT_EQ(ring.Cell(0, 1), "3");
  EXPECT_EQ(ring.Cell(6, 1), "");
  EXPECT_EQ(ring.Cell(41, 1), "");
}

class CaptureFileTest : public RecordParserTest {};

TEST_F(CaptureFileTest, PairIsWrittenIntoTheLogFolderAfterTheHandOver) {
  const std::string folder = f.dir.File("log");
  ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
  MainWindow& settings = f.app->Form2();
  settings.SaveRecvData = true;
  bool written_before = true;
  // Seen from inside the match: the sample's device is registered and shown
  // in the detail window.
  Form4().StringGrid1.SetCell(1, 1, "02:5A:3C:00:00:00");
  Form4().LastDataCnt();
  f.app->receive_view().DetailDevice = 1;
  WatchRefill([&](int) { written_before = FileExists(folder + "/a5A3C000000.txt"); });
  for (const std::string& dir : {folder, folder + "/"}) {
    SCOPED_TRACE(dir);
    settings.LogDir = dir;
    Form4().Memo1.Assign(Form4().Memo4.All());
    Form4().RevDataLoging();
    EXPECT_FALSE(written_before);
    EXPECT_EQ(ReadAll(folder + "/a5A3C000000.txt"), CrLf(Form4().Memo4.All()));
    EXPECT_EQ(ReadAll(folder + "/b5A3C000000.txt"), CrLf(Form4().Memo2.All()));
    ASSERT_EQ(::unlink((folder + "/a5A3C000000.txt").c_str()), 0);
  }
}

TEST_F(CaptureFileTest, NothingWhenOffAndErrorsAreIgnored) {
  MainWindow& settings = f.app->Form2();
  settings.LogDir = f.dir.path();
  Parse(SampleRecords());
  EXPECT_FALSE(FileExists(f.dir.File("a5A3C000000.txt")));
  settings.SaveRecvData = true;
  settings.LogDir = f.dir.File("missing/folder");
  const size_t matched = f.app->receive_view().ListBox1.Count();  // one receive line per match
  Parse(SampleRecords());
  EXPECT_EQ(f.app->receive_view().ListBox1.Count(), matched + 1);
  EXPECT_EQ(Form4().StringGridBuff.Cell(5, 2), "02:5A:3C:00:00:00");
  EXPECT_FALSE(FileExists(f.dir.File("missing")));
}

}  // namespace
}  // namespace zol
