// Record parser: the record text lines of one datagram (Form4.Memo1) become
// the live record, one text field per line (Form4.Memo2), stored in the ring
// of the last 20 records and handed on to the device-table match.
//
// The parser works on the hex text of each record line. A field that lies
// partly or wholly beyond the end of its line gives the part that is there.
// Lists stop at the end of the line: an item that would start past it is not
// read, so a forged count (up to 9999 outlets times 9999 targets) costs no
// more than the line is long, while every item of a complete record is read.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/files.h"
#include "common/text.h"
#include "console/app.h"
#include "console/console_settings.h"
#include "monitor/debug_window.h"
#include "monitor/icon_view.h"

namespace zol {

namespace {

constexpr int kRingSlots = 20;
constexpr int kLiveFields = 44;
constexpr int kMaxCapture = 9;

// The live record's fields, written one after the other into the strings
// of an earlier record, so that their buffers serve again.
class Fields {
 public:
  explicit Fields(std::vector<std::string>& v) : v_(v) {}
  // The next field, empty.
  std::string& Next() {
    if (n_ == v_.size()) v_.emplace_back();
    std::string& s = v_[n_++];
    s.clear();
    return s;
  }
  void Add(std::string_view text) { Next().assign(text.data(), text.size()); }
  size_t size() const { return n_; }
  const std::string& operator[](size_t i) const { return v_[i]; }
  // Drops what is left of the earlier record.
  void Finish() { v_.resize(n_); }

 private:
  std::vector<std::string>& v_;
  size_t n_ = 0;
};

bool Within(const std::string& line, int64_t pos) { return pos >= 1 && static_cast<uint64_t>(pos) <= line.size(); }

// The width characters at 1-based position pos (the part that exists).
std::string_view At(const std::string& line, int64_t pos, size_t width) {
  if (!Within(line, pos)) return std::string_view();
  return std::string_view(line).substr(static_cast<size_t>(pos - 1), width);
}

// The four characters at 1-based position pos (the part that exists).
std::string_view Word(const std::string& line, int64_t pos) { return At(line, pos, 4); }
std::string_view Pair(const std::string& line, int64_t pos) { return At(line, pos, 2); }

// Appends the width characters at 1-based position pos (the part that
// exists).
void AppendAt(std::string& out, const std::string& line, int64_t pos, size_t width) {
  if (Within(line, pos)) out.append(line, static_cast<size_t>(pos - 1), width);
}

// Decimal reading of a count word: its digits as a decimal number; a text
// that is empty or holds anything but digits reads as 0 ("000A" reads 0).
int DecimalReading(std::string_view text) {
  if (text.empty()) return 0;
  int v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
    v = v * 10 + (c - '0');
  }
  return v;
}

// Signed reading of a temperature word: hex, 0 when empty or not hex, then
// taken as a signed 16-bit number.
int SignedReading(std::string_view text) {
  if (text.empty()) return 0;
  unsigned v = 0;
  for (char c : text) {
    int d = HexDigitValue(c);
    if (d < 0) return 0;
    v = v * 16 + static_cast<unsigned>(d);
  }
  return static_cast<int16_t>(static_cast<uint16_t>(v));
}

// Whole degrees of a temperature word (hundredths, truncated toward zero).
void WholeDegrees(const std::string& line, int64_t pos, std::string& out) {
  AppendDecimal(out, SignedReading(Word(line, pos)) / 100);
}

// One decimal of the current temperature; empty for "no reading".
void CurrentTemperature(std::string_view word, std::string& out) {
  const int v = SignedReading(word);
  if (word.size() == 4 && v == 0x7FFF) return;
  const int a = v < 0 ? -v : v;
  if (v <= -10) out += '-';
  AppendDecimal(out, a / 100);
  out += '.';
  AppendDecimal(out, (a % 100) / 10);
}

// Items of width chars at first + stride * i, i = 0 .. count-1, joined by
// blanks; the first is taken even when count is below 1; later ones only
// while they start within the line.
void List(const std::string& line, int64_t first, int64_t stride, int count, int width, std::string& out) {
  // The usual list is gathered in a buffer and added in one piece; a list
  // that may not fit goes word by word.
  char buf[512];
  size_t used = 0;
  const bool gather =
      width >= 0 && static_cast<int64_t>(std::max(count, 1)) * (width + 1) <= static_cast<int64_t>(sizeof buf);
  for (int i = 0; i == 0 || i < count; ++i) {
    const int64_t pos = first + stride * i;
    if (i > 0) {
      if (!Within(line, pos)) break;
      if (gather) {
        buf[used++] = ' ';
      } else {
        out += ' ';
      }
    }
    const std::string_view word = At(line, pos, static_cast<size_t>(width));
    if (word.empty()) continue;
    if (gather) {
      std::memcpy(buf + used, word.data(), word.size());
      used += word.size();
    } else {
      out.append(word.data(), word.size());
    }
  }
  if (used > 0) out.append(buf, used);
}

void OutletRecord(const std::string& line, Fields& f) {
  const int n = DecimalReading(Word(line, 9));
  AppendDecimal(f.Next(), n);
  List(line, 13, 12, n, 4, f.Next());
  List(line, 17, 12, n, 4, f.Next());
  List(line, 21, 12, n, 4, f.Next());
}

void OldPingRecord(const std::string& line, Fields& f) {
  static const std::string kZeros = "0000 0000 0000 0000";
  const int n = DecimalReading(Word(line, 9));
  // The B words of the outlet record before it, as the live record holds them now.
  const std::string words_b = f.size() > 7 ? f[7] : std::string();
  std::string judge, action, exec;
  for (int b = 0; b < n; ++b) {
    const int64_t pos = 13 + 8 * static_cast<int64_t>(b);
    if (b > 0 && !Within(line, pos)) break;
    if (b > 0) {
      judge += ' ';
      action += ' ';
      exec += ' ';
    }
    const int j = DecimalReading(Word(line, pos));
    judge += ZeroPad(j, 4);
    action += j > 0 ? "0009" : "0000";
    exec += ZeroPad(DecimalReading(Word(line, pos + 4)), 4);
  }
  AppendDecimal(f.Next(), n);
  f.Add("1");
  f.Add(words_b);
  f.Add(judge);
  f.Add(kZeros);
  f.Add(kZeros);
  f.Add(kZeros);
  f.Add(action);
  f.Add(kZeros);
  f.Add(kZeros);
  f.Add(exec);
  f.Next();
  f.Next();
}

void PingRecord(const std::string& line, Fields& f) {
  const int len = HexToInt(Word(line, 5));
  const int n = DecimalReading(Word(line, 9));
  const int m = DecimalReading(Word(line, 13));
  // Entry width: 8-byte entries when the record is long for its counts.
  // Counts of 0 have no entries to read; they take 4-byte entries.
  int64_t k = len;
  if (n == 8) k += 8;
  if (n == 2) k -= 2;
  if (k > 0 && n > 0 && m > 0) k = (k / n) / m;
  const int w = (n > 0 && m > 0 && k > 12) ? 2 : 1;
  AppendDecimal(f.Next(), n);
  AppendDecimal(f.Next(), m);
  const int64_t s = 36 + 8 * static_cast<int64_t>(m) * w;  // block stride in hex digits
  for (int word = 0; word < 9; ++word) List(line, 17 + 4 * word, s, n, 4, f.Next());
  // No-response counts, target by target, every outlet within a target.
  std::string& counts = f.Next();
  bool first = true;
  for (int j = 0; j < m && n > 0; ++j) {
    const int64_t base = 57 + 8 * static_cast<int64_t>(w) * j;
    if (j > 0 && !Within(line, base)) break;
    for (int b = 0; b < n; ++b) {
      const int64_t pos = base + s * b;
      if (b > 0 && !Within(line, pos)) break;
      if (!first) counts += ' ';
      first = false;
      AppendAt(counts, line, pos, 4);
    }
  }
  const size_t at = f.size() - 1;
  std::string& again = f.Next();  // may move the strings: counts is read again by index
  again = f[at];
}

void TempRecord(const std::string& line, Fields& f) {
  const int n = DecimalReading(Word(line, 9));
  AppendDecimal(f.Next(), n);
  for (int pos = 13; pos <= 19; pos += 2) f.Add(Pair(line, pos));
  List(line, 21, 2, n, 2, f.Next());
  const int64_t p = 2 * static_cast<int64_t>(n);
  WholeDegrees(line, p + 21, f.Next());
  WholeDegrees(line, p + 25, f.Next());
  WholeDegrees(line, p + 29, f.Next());
  f.Add(Pair(line, p + 33));
  f.Add(Pair(line, p + 35));
  WholeDegrees(line, p + 37, f.Next());
  WholeDegrees(line, p + 41, f.Next());
  WholeDegrees(line, p + 45, f.Next());
  for (int64_t pos = p + 49; pos <= p + 55; pos += 2) f.Add(Pair(line, pos));
  CurrentTemperature(Word(line, p + 57), f.Next());
}

std::string CrLfText(const std::vector<std::string>& lines) {
  std::string out;
  size_t size = 0;
  for (const std::string& l : lines) size += l.size() + 2;
  out.reserve(size);
  for (const std::string& l : lines) {
    out += l;
    out += "\r\n";
  }
  return out;
}

}  // namespace

void DebugWindow::RevDataLoging() {
  const std::vector<std::string>& text = Memo1.All();

  // 1. The reception lines.
  Fields fields(live_scratch_);
  for (size_t i = 0; i < 4; ++i) fields.Add(i < text.size() ? std::string_view(text[i]) : std::string_view());

  // 2. Every record line, by its type.
  for (size_t i = 5; i < text.size(); ++i) {
    const std::string& line = text[i];
    if (line.size() < 4) continue;
    if (line.compare(0, 4, "0001") == 0) {
      std::string& mac = fields.Next();
      for (int b = 0; b < 6; ++b) {
        if (b > 0) mac += ':';
        AppendAt(mac, line, 13 + 2 * b, 2);
      }
    } else if (line.compare(0, 4, "0110") == 0) {
      OutletRecord(line, fields);
    } else if (line.compare(0, 4, "0300") == 0) {
      OldPingRecord(line, fields);
    } else if (line.compare(0, 4, "0801") == 0) {
      PingRecord(line, fields);
    } else if (line.compare(0, 4, "0802") == 0) {
      TempRecord(line, fields);
    }
  }
  fields.Finish();

  // 3. The ring: capture number 1..9, slot 1..20.
  CaptureNo = CaptureNo % kMaxCapture + 1;
  StringGridBuffTag = StringGridBuffTag % kRingSlots + 1;
  const int slot = StringGridBuffTag;
  StringGridBuff.SetCell(0, slot, std::to_string(CaptureNo));
  static const std::string kEmpty;
  for (int k = 0; k < kLiveFields; ++k) {
    StringGridBuff.SetCell(k + 1, slot, static_cast<size_t>(k) < fields.size() ? fields[static_cast<size_t>(k)] : kEmpty);
  }
  // The live record text takes the fields; the strings of the record it
  // held serve the next one.
  Memo2.Swap(live_scratch_);

  // 4. Icon view rebuild, device-table match, header counters.
  IconView& main = app.icons();
  main.IconReStetingData();
  DataInviteCheck(slot);
  main.IconDataCheck();

  // 5. The capture files of the device; write errors lose them.
  const ConsoleSettings& settings = app.settings();
  if (settings.SaveRecvData) {
    const std::string id = Copy(Memo1.Line(5), 15, 12);
    std::string err;
    WriteFileAtomic(JoinPath(settings.LogDir, "a" + id + ".txt"), CrLfText(Memo1.All()), &err);
    WriteFileAtomic(JoinPath(settings.LogDir, "b" + id + ".txt"), CrLfText(Memo2.All()), &err);
  }
}

}  // namespace zol
