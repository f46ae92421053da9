#include "settings/jconvert.h"

namespace zol {

namespace {

const char kToDouble[] = "\x1B$B";   // JIS X 0208-1983
const char kToSingle[] = "\x1B(J";   // JIS X 0201 Roman

// The byte at a 0-based position, 0x00 beyond the end.
unsigned char At(const std::string& s, size_t i) {
  return i < s.size() ? static_cast<unsigned char>(s[i]) : 0;
}

bool In(unsigned char b, unsigned char lo, unsigned char hi) { return b >= lo && b <= hi; }

std::string Code(uint16_t code) {
  std::string out;
  out += static_cast<char>(code >> 8);
  out += static_cast<char>(code & 0xFF);
  return out;
}

// The code of a half-width katakana k (0xA1..0xDF) with the mark m merged
// where one applies; merged tells whether m was used.
uint16_t KanaWithMark(unsigned char k, unsigned char m, bool* merged) {
  uint16_t code = KanaTable[k - 0xA1];
  *merged = false;
  if (k == 0xB3 && m == 0xDE) {
    code = 0x2574;
    *merged = true;
  } else if (In(k, 0xB6, 0xC4) && m == 0xDE) {
    code += 1;
    *merged = true;
  } else if (In(k, 0xCA, 0xCE) && (m == 0xDE || m == 0xDF)) {
    code += m == 0xDE ? 1 : 2;
    *merged = true;
  }
  return code;
}

// The shared walk of SjisToJis and EucToJis; euc selects the EUC rules of
// the double-byte step.
std::string ToJis(const std::string& text, bool euc) {
  std::string out;
  out.reserve(text.size() + text.size() / 2 + 8);
  bool dbl = false;
  size_t i = 0;
  const size_t n = text.size();
  while (i < n) {
    const unsigned char b = At(text, i);
    if (b > 0x7F) {
      if (!dbl) {
        out += kToDouble;
        dbl = true;
      }
      if (!euc && In(b, 0xA1, 0xDF)) {
        out += SjisKanaToJis(text, i);
      } else if (euc && b == 0x8E) {
        out += EucKanaToJis(text, i);
      } else if (euc) {
        out += static_cast<char>(b & 0x7F);
        out += static_cast<char>(At(text, i + 1) & 0x7F);
        i += 2;
      } else {
        out += SjisPairToJis(b, At(text, i + 1));
        i += 2;
      }
      continue;
    }
    // CR, LF and every other single byte end a double-byte stretch.
    if (dbl) {
      out += kToSingle;
      dbl = false;
    }
    out += static_cast<char>(b);
    ++i;
  }
  if (dbl) out += kToSingle;
  return out;
}

}  // namespace

const uint16_t KanaTable[63] = {
    0x2123, 0x2156, 0x2157, 0x2122, 0x2126, 0x2572, 0x2521, 0x2523, 0x2525, 0x2527, 0x2529,
    0x2563, 0x2565, 0x2567, 0x2543, 0x213C, 0x2522, 0x2524, 0x2526, 0x2528, 0x252A, 0x252B,
    0x252D, 0x252F, 0x2531, 0x2533, 0x2535, 0x2537, 0x2539, 0x253B, 0x253D, 0x253F, 0x2541,
    0x2544, 0x2546, 0x2548, 0x254A, 0x254B, 0x254C, 0x254D, 0x254E, 0x254F, 0x2552, 0x2555,
    0x2558, 0x255B, 0x255E, 0x255F, 0x2560, 0x2561, 0x2562, 0x2564, 0x2566, 0x2568, 0x2569,
    0x256A, 0x256B, 0x256C, 0x256D, 0x256F, 0x2573, 0x212B, 0x212C};

bool LeadByte(unsigned char b) { return In(b, 0x81, 0x9F) || In(b, 0xE0, 0xFC); }

KanjiCode DetectKanjiCode(const std::string& text) {
  const size_t n = text.size();
  // Control-byte scan over positions 1..512 that are not the last byte.
  for (size_t i = 0; i < 512 && i + 1 < n; ++i) {
    const unsigned char b = At(text, i);
    if (b < 0x08 || b == 0xFF) return kKanjiBinary;
  }
  KanjiCode r = kKanjiAscii;
  size_t i = 0;  // 0-based; the byte at i is never the last one
  while ((r == kKanjiAscii || r == kKanjiEucOrSjis) && i + 1 < n) {
    const unsigned char b = At(text, i);
    if (b == 0x1B) {
      ++i;
      if (At(text, i) == '$') {
        ++i;
        const unsigned char c = At(text, i);
        if (c == 'B') r = kKanjiJis;
        else if (c == '@') r = kKanjiJis78;
      }
    } else if (b < 0x08 || b == 0xFF) {
      r = kKanjiBinary;
    } else if (b <= 0x7F) {
      // nothing
    } else if (In(b, 0x81, 0x8D) || In(b, 0x8F, 0x9F)) {
      r = kKanjiSjis;
    } else if (b == 0x8E) {
      ++i;
      const unsigned char c = At(text, i);
      if (In(c, 0x40, 0x7E) || In(c, 0x80, 0xA0) || In(c, 0xE0, 0xFC)) r = kKanjiSjis;
      else if (In(c, 0xA1, 0xDF)) r = kKanjiEucOrSjis;
    } else if (In(b, 0xA1, 0xDF)) {
      ++i;
      const unsigned char c = At(text, i);
      if (In(c, 0xF0, 0xFE)) {
        r = kKanjiEuc;
      } else if (In(c, 0xA1, 0xDF)) {
        r = kKanjiEucOrSjis;
      } else if (In(c, 0xE0, 0xEF)) {
        r = kKanjiEucOrSjis;
        // Look ahead from c over bytes of 0x40 and above.
        while (i < n && At(text, i) >= 0x40 && r == kKanjiEucOrSjis) {
          const unsigned char d = At(text, i);
          if (In(d, 0x81, 0x8D) || In(d, 0x8F, 0x9C)) r = kKanjiSjis;
          else if (In(d, 0xFD, 0xFE)) r = kKanjiEuc;
          ++i;
        }
      } else if (c <= 0x9F) {
        r = kKanjiSjis;
      }
    } else if (In(b, 0xF0, 0xFE)) {
      r = kKanjiEuc;
    } else if (In(b, 0xE0, 0xEF)) {
      ++i;
      const unsigned char c = At(text, i);
      if (In(c, 0x40, 0x7E) || In(c, 0x80, 0xA0)) r = kKanjiSjis;
      else if (In(c, 0xFD, 0xFE)) r = kKanjiEuc;
      else if (In(c, 0xA1, 0xFC)) r = kKanjiEucOrSjis;
    }
    ++i;
  }
  return r;
}

std::string ConvertKanjiCode(const std::string& text, KanjiCode target) {
  const KanjiCode code = DetectKanjiCode(text);
  if (code == kKanjiAscii || code == kKanjiBinary || code == kKanjiEucOrSjis || code == target)
    return text;
  if (target == kKanjiJis) {
    if (code == kKanjiEuc) return EucToJis(text);
    if (code == kKanjiSjis) return SjisToJis(text);
  }
  return text;
}

std::string SjisToJis(const std::string& text) { return ToJis(text, false); }

std::string EucToJis(const std::string& text) { return ToJis(text, true); }

std::string SjisPairToJis(unsigned char s1, unsigned char s2) {
  uint8_t j1 = static_cast<uint8_t>((s1 < 0xA0 ? s1 - 0x70 : s1 - 0xB0) * 2);
  uint8_t j2;
  if (s2 < 0x9F) {
    j1 = static_cast<uint8_t>(j1 - 1);
    j2 = static_cast<uint8_t>(s2 <= 0x7F ? s2 - 0x1F : s2 - 0x20);
  } else {
    j2 = static_cast<uint8_t>(s2 - 0x7E);
  }
  std::string out;
  out += static_cast<char>(j1);
  out += static_cast<char>(j2);
  return out;
}

std::string SjisKanaToJis(const std::string& text, size_t& pos) {
  const unsigned char k = At(text, pos);
  if (!In(k, 0xA1, 0xDF)) {
    // Not a katakana byte: taken as a pair, as the body walk would.
    std::string out = SjisPairToJis(k, At(text, pos + 1));
    pos += 2;
    return out;
  }
  bool merged = false;
  const uint16_t code = KanaWithMark(k, At(text, pos + 1), &merged);
  pos += merged ? 2 : 1;
  return Code(code);
}

std::string EucKanaToJis(const std::string& text, size_t& pos) {
  const unsigned char k = At(text, pos + 1);
  if (!In(k, 0xA1, 0xDF)) {
    // 0x8E without a katakana byte: a double-byte pair with the top bits
    // cleared, as every other EUC pair.
    std::string out;
    out += static_cast<char>(At(text, pos) & 0x7F);
    out += static_cast<char>(k & 0x7F);
    pos += 2;
    return out;
  }
  bool merged = false;
  const unsigned char m = At(text, pos + 2) == 0x8E ? At(text, pos + 3) : 0;
  const uint16_t code = KanaWithMark(k, m, &merged);
  pos += merged ? 4 : 2;
  return Code(code);
}

std::string Base64Encode(const std::string& bytes) {
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const uint32_t v = (uint32_t(At(bytes, i)) << 16) | (uint32_t(At(bytes, i + 1)) << 8) | At(bytes, i + 2);
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += kAlphabet[(v >> 6) & 63];
    out += kAlphabet[v & 63];
  }
  const size_t rest = bytes.size() - i;
  if (rest > 0) {
    const uint32_t v = (uint32_t(At(bytes, i)) << 16) | (rest == 2 ? uint32_t(At(bytes, i + 1)) << 8 : 0);
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

std::string EncodedWord(const std::string& sjis_run) {
  return "=?ISO-2022-JP?B?" + Base64Encode(SjisToJis(sjis_run)) + "?=";
}

std::string MimeHeaderEncode(const std::string& text) {
  std::string out, run, pending;
  bool in_run = false;
  size_t i = 0;
  while (i < text.size()) {
    const unsigned char b = At(text, i);
    if (LeadByte(b)) {
      if (!in_run && !pending.empty()) {
        out += pending;
        pending.clear();
      }
      run += static_cast<char>(b);
      run += static_cast<char>(At(text, i + 1));
      in_run = true;
      i += 2;
    } else {
      if (in_run && !run.empty()) {
        out += EncodedWord(run);
        run.clear();
      }
      pending += static_cast<char>(b);
      in_run = false;
      ++i;
    }
  }
  if (in_run) out += EncodedWord(run);
  else out += pending;
  return out;
}

}  // namespace zol
