// Seeded random and mutated datagrams through reception and parsing: no
// fault under the sanitizers, no read beyond the datagram, and work and
// output bounded by the datagram's size whatever its counts and lengths say.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "console/main_window.h"
#include "monitor/debug_window.h"
#include "support/app_fixture.h"
#include "support/datagram_hex.h"

namespace zol {
namespace {

class Mutator {
 public:
  explicit Mutator(uint64_t seed) : rng_(seed), sample_(SampleDatagram()) {}

  uint32_t Below(uint32_t n) { return n ? static_cast<uint32_t>(rng_() % n) : 0; }
  uint8_t Byte() { return static_cast<uint8_t>(rng_()); }

  std::string Garbage(size_t size) {
    std::string s(size, '\0');
    for (char& c : s) c = static_cast<char>(Byte());
    return s;
  }

  // A 16-bit word that is most often one of the troublesome values.
  uint16_t Word() {
    static const uint16_t kWords[] = {0x0000, 0x0001, 0x0002, 0x0003, 0x0004, 0x0008, 0x9999,
                                      0x0999, 0x7FFF, 0x8000, 0xFFFF, 0x000A, 0x0118, 0x0198};
    if (Below(4) == 0) return static_cast<uint16_t>(rng_());
    return kWords[Below(sizeof kWords / sizeof kWords[0])];
  }

  void PutWord(std::string& d, size_t at, uint16_t w) {
    if (at + 1 >= d.size()) return;
    d[at] = static_cast<char>(w >> 8);
    d[at + 1] = static_cast<char>(w & 0xFF);
  }

  // Record offsets of the sample datagram (type words).
  std::vector<size_t> RecordStarts(const std::string& d) {
    std::vector<size_t> starts;
    size_t pos = 8;
    while (pos + 4 <= d.size() && starts.size() < 8) {
      starts.push_back(pos);
      size_t len = static_cast<uint8_t>(d[pos + 2]) << 8 | static_cast<uint8_t>(d[pos + 3]);
      if (len == 0) break;
      pos += len;
    }
    return starts;
  }

  std::string Next() {
    switch (Below(6)) {
      case 0:
      case 1:
        return Mutated();
      case 2: {  // valid identity, then garbage
        std::string d = Datagram({sim::IdentRecord(FamilyMac(1))});
        return d + Garbage(Below(2049 - static_cast<uint32_t>(d.size())));
      }
      case 3:  // anything at all
        return Garbage(Below(2049));
      case 4:  // the legacy size
        return Garbage(182);
      default:
        return Constructed();
    }
  }

 private:
  std::string Mutated() {
    std::string d = sample_;
    const int steps = 1 + static_cast<int>(Below(4));
    for (int i = 0; i < steps; ++i) {
      std::vector<size_t> starts = RecordStarts(d);
      switch (Below(6)) {
        case 0:  // a byte behind the identity's prefix changes
          if (d.size() > 18) d[18 + Below(static_cast<uint32_t>(d.size() - 18))] = static_cast<char>(Byte());
          break;
        case 1:  // a record length
          if (!starts.empty()) PutWord(d, starts[Below(static_cast<uint32_t>(starts.size()))] + 2, Word());
          break;
        case 2:  // a count word
          if (!starts.empty()) PutWord(d, starts[Below(static_cast<uint32_t>(starts.size()))] + 4 + 2 * Below(2), Word());
          break;
        case 3:  // truncation
          d.resize(Below(static_cast<uint32_t>(d.size() + 1)));
          break;
        case 4:  // garbage appended up to the receive size
          if (d.size() < 2048) d += Garbage(Below(static_cast<uint32_t>(2049 - d.size())));
          break;
        default:  // a record type
          if (!starts.empty()) {
            static const uint16_t kTypes[] = {0x0001, 0x0110, 0x0300, 0x0801, 0x0802, 0x0000};
            PutWord(d, starts[Below(static_cast<uint32_t>(starts.size()))], kTypes[Below(6)]);
          }
      }
    }
    return d;
  }

  // Identity, then up to five records of the known types with forged counts.
  std::string Constructed() {
    std::string d = Datagram({sim::IdentRecord(FamilyMac(2))});
    static const uint16_t kTypes[] = {0x0110, 0x0300, 0x0801, 0x0802, 0x0000, 0x0811};
    const int records = static_cast<int>(Below(6));
    for (int r = 0; r < records && d.size() < 2048; ++r) {
      const size_t body = Below(400);
      std::string rec(4 + body, '\0');
      PutWord(rec, 0, kTypes[Below(6)]);
      PutWord(rec, 2, Below(3) ? static_cast<uint16_t>(rec.size()) : Word());
      for (size_t k = 4; k + 1 < rec.size(); k += 2) PutWord(rec, k, Below(3) ? Word() : static_cast<uint16_t>(rng_()));
      d += rec;
    }
    if (d.size() > 2048) d.resize(2048);
    return d;
  }

  std::mt19937_64 rng_;
  std::string sample_;
};

size_t TotalSize(const std::vector<std::string>& lines) {
  size_t n = 0;
  for (const std::string& l : lines) n += l.size();
  return n;
}

TEST(RobustnessTest, RandomAndMutatedDatagrams) {
  AppFixture f;
  MainWindow& form2 = f.app->Form2();
  DebugWindow& form4 = f.app->Form4();
  int parsed = 0;
  Mutator gen(20101116);
  for (int i = 0; i < 100000; ++i) {
    const std::string d = gen.Next();
    // The match of each parsed record adds a line to the receive list.
    const uint64_t before = form2.receive.ListBox1.Revision();
    form2.reception.NMUDP1DataReceived(d, "192.168.0.205", 2100);
    if (form2.receive.ListBox1.Revision() == before) {
      ASSERT_TRUE(form4.Memo1.All().empty());  // dropped without trace
      continue;
    }
    ++parsed;
    ASSERT_GE(form4.StringGridBuffTag, 1);
    ASSERT_LE(form4.StringGridBuffTag, 20);
    const std::vector<std::string>& text = form4.Memo1.All();
    if (!text.empty()) {
      ASSERT_GE(text.size(), 6u);
      ASSERT_LE(text.size(), 11u);
      // Nothing beyond the datagram: the record lines hold at most its bytes.
      size_t hex = 0;
      for (size_t k = 5; k < text.size(); ++k) hex += text[k].size();
      ASSERT_LE(hex, 2 * (d.size() - 8));
    }
    ASSERT_LE(TotalSize(form4.Memo2.All()), 12 * d.size() + 2000) << i;
  }
  EXPECT_GT(parsed, 20000);  // the mix reaches the parser, not only the drop
}

// The parser also takes record text typed or built elsewhere (test
// injection, manual entry): any text lines at all.
TEST(RobustnessTest, RandomRecordText) {
  AppFixture f;
  DebugWindow& form4 = f.app->Form4();
  std::mt19937_64 rng(42);
  static const char* kTypes[] = {"0001", "0110", "0300", "0801", "0802", "0000", "08", ""};
  static const char kChars[] = "0123456789ABCDEFabcdef9999 zZ-";
  for (int i = 0; i < 20000; ++i) {
    std::vector<std::string> lines(5 + rng() % 8);
    for (size_t k = 5; k < lines.size(); ++k) {
      std::string& l = lines[k];
      l = kTypes[rng() % 8];
      if (rng() % 2) l += "0FFF" + std::string(rng() % 2 ? "9999" : "0008") + (rng() % 2 ? "9999" : "0004");
      const size_t len = rng() % 600;
      for (size_t c = 0; c < len; ++c) l += kChars[rng() % (sizeof kChars - 1)];
    }
    form4.Memo1.Assign(lines);
    form4.RevDataLoging();
    ASSERT_LE(TotalSize(form4.Memo2.All()), 6 * TotalSize(lines) + 200 * lines.size());
  }
}

}  // namespace
}  // namespace zol
