// Status datagram reception: one datagram becomes the record text lines of
// the receive text (Form4.Memo1), which the record parser then reads.
#include "monitor/reception.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "common/platform.h"
#include "common/text.h"
#include "console/app.h"
#include "monitor/debug_window.h"

namespace zol {

namespace {

// Older devices send a fixed layout of exactly this size.
constexpr size_t kLegacySize = 182;
// At most this many records are looked at; anything behind is ignored.
constexpr int kMaxRecords = 6;

const uint8_t* Bytes(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

// out made the upper-case hex digits of the bytes (BytesToHex), in the
// string's own buffer.
void AssignHex(std::string& out, const uint8_t* data, size_t size) {
  static const char kDigits[] = "0123456789ABCDEF";
  out.resize(size * 2);
  char* p = &out[0];
  for (size_t i = 0; i < size; ++i) {
    *p++ = kDigits[data[i] >> 4];
    *p++ = kDigits[data[i] & 0x0F];
  }
}

}  // namespace

Reception::Reception(App& a) : app(a) {
  // The receiver component NMUDP1: every datagram goes to the reception handler.
  if (app.services.udp) {
    app.services.udp->OnDataReceived = [this](const std::string& bytes, const std::string& from_ip, int port) {
      NMUDP1DataReceived(bytes, from_ip, port);
    };
  }
}

void Reception::NMUDP1DataReceived(const std::string& bytes, const std::string& from_ip, int port) {
  Memo& memo = app.Form4().Memo1;
  const DateTime now = app.clock().Now();
  // The lines are written into the strings of an earlier datagram's lines.
  std::vector<std::string>& lines = lines_;
  lines.resize(5 + kMaxRecords);
  lines[0] = DateText(now);
  lines[1] = TimeText(now);
  lines[2] = from_ip;
  lines[3] = std::to_string(port);
  size_t count = 4;

  const size_t size = bytes.size();
  if (size == kLegacySize) {
    lines.resize(count);
    memo.Swap(lines);
    oldZolDataCnv(bytes);
    memo.Clear();
    return;
  }

  const uint8_t* data = Bytes(bytes);
  AssignHex(lines[count++], data, size < 8 ? size : 8);

  // Records follow the header one behind the other. A record is taken only
  // as far as it lies within the datagram, and reading stops when fewer
  // than the four framing bytes remain.
  size_t pos = 8;
  for (int rec = 1; rec <= kMaxRecords; ++rec) {
    if (pos > size || size - pos < 4) {
      if (rec == 1) {
        memo.Clear();
        return;
      }
      break;
    }
    const size_t length = static_cast<size_t>(data[pos + 2]) << 8 | data[pos + 3];
    const size_t take = length < size - pos ? length : size - pos;
    std::string& text = lines[count];
    AssignHex(text, data + pos, take);
    pos += take;
    if (rec == 1) {
      // The identity record with the family's MAC prefix, or nothing at all.
      if (text.compare(0, 4, "0001") != 0 || text.size() < 18 || text.compare(12, 6, "025A3C") != 0) {
        memo.Clear();
        return;
      }
    } else if (rec >= 5 && text.compare(0, 4, "0000") == 0) {
      continue;
    }
    ++count;
  }
  lines.resize(count);
  memo.Swap(lines);
  app.Form4().RevDataLoging();
}

void Reception::oldZolDataCnv(const std::string& bytes) {
  if (bytes.size() < kLegacySize) return;
  Memo& memo = app.Form4().Memo1;
  const uint8_t* data = Bytes(bytes);
  memo.Add("0100010E00000000");
  memo.Add("0001000C0006FFFFFF00" + BytesToHex(data + 4, 2));
  memo.Add("0110001E0004" + BytesToHex(data + 8, 24));
  std::string ping = "0801009000040004";
  ping.reserve(16 + 4 * 68);
  for (int b = 0; b < 4; ++b) {
    ping += BytesToHex(data + 32 + 30 * b, 30);
    ping += "00000000";
  }
  memo.Add(ping);
  memo.Add("0000");
  app.Form4().RevDataLoging();
}

}  // namespace zol
