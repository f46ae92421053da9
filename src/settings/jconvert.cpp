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

// A Shift-JIS trail byte.
bool TrailByte(unsigned char b) { return In(b, 0x40, 0x7E) || In(b, 0x80, 0xFC); }

// The IBM extensions FA40..FC4B that are not kanji, in order: the place of
// each character in the rest of the code (the NEC-selected rows ED/EE, NEC
// row 13 or the standard rows), as Shift-JIS.
const uint16_t kIbmNonKanji[28] = {
    0xEEEF, 0xEEF0, 0xEEF1, 0xEEF2, 0xEEF3, 0xEEF4, 0xEEF5, 0xEEF6, 0xEEF7, 0xEEF8,  // small roman numerals
    0x8754, 0x8755, 0x8756, 0x8757, 0x8758, 0x8759, 0x875A, 0x875B, 0x875C, 0x875D,  // roman numerals
    0x81CA, 0xEEFA, 0xEEFB, 0xEEFC, 0x878A, 0x8782, 0x8784, 0x81E6};

// The place of an IBM extension (lead FA..FC, a trail byte) in the rest of
// the code: its 360 kanji are the NEC-selected kanji ED40..EEEC in the same
// order.
uint16_t IbmToNec(unsigned char s1, unsigned char s2) {
  const int index = (s1 - 0xFA) * 188 + (s2 - 0x40 - (s2 > 0x7F ? 1 : 0));
  if (index < 28) return kIbmNonKanji[index];
  const int k = index - 28;
  const int t = k % 188;
  return static_cast<uint16_t>(((0xED + k / 188) << 8) | (0x40 + t + (t >= 0x3F ? 1 : 0)));
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
        out += SjisCharToJis(b, At(text, i + 1));
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
      if (In(c, 0xFA, 0xFC) && TrailByte(At(text, i + 1))) {
        // A half-width katakana and a pair of the IBM extensions: the
        // console's texts are Shift-JIS. (An EUC pair whose second byte is
        // F0..F9 is common; one of the user rows after a katakana is not.)
        r = kKanjiSjis;
      } else if (In(c, 0xF0, 0xFE)) {
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
    } else if (In(b, 0xF0, 0xFC) && TrailByte(At(text, i + 1))) {
      // A valid pair of the IBM extensions (FA..FC) or the user rows
      // (F0..F9): Shift-JIS, as the console holds its texts.
      r = kKanjiSjis;
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

std::string SjisCharToJis(unsigned char s1, unsigned char s2) {
  if (In(s1, 0xFA, 0xFC) && TrailByte(s2)) {
    const uint16_t nec = IbmToNec(s1, s2);
    return SjisPairToJis(static_cast<unsigned char>(nec >> 8), static_cast<unsigned char>(nec & 0xFF));
  }
  std::string jis = SjisPairToJis(s1, s2);
  const unsigned char j1 = static_cast<unsigned char>(jis[0]), j2 = static_cast<unsigned char>(jis[1]);
  if (!In(j1, 0x21, 0x7E) || !In(j2, 0x21, 0x7E)) return Code(kGetaMark);
  return jis;
}

std::string SjisKanaToJis(const std::string& text, size_t& pos) {
  const unsigned char k = At(text, pos);
  if (!In(k, 0xA1, 0xDF)) {
    // Not a katakana byte: taken as a pair, as the body walk would.
    std::string out = SjisCharToJis(k, At(text, pos + 1));
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
