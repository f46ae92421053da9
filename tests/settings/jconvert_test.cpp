#include "settings/jconvert.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "common/charset.h"
#include "common/text.h"
#include "support/fake_smtp.h"
#include "support/app_fixture.h"

namespace zol {
namespace {

const std::string kEsc = "\x1B";
const std::string kIn = "\x1B$B";   // to double-byte
const std::string kOut = "\x1B(J";  // to single-byte

std::string B(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s += static_cast<char>(b);
  return s;
}

// One converter case: input and the bytes it must give.
struct TextCase {
  const char* what;
  std::string in, want;
};

// glibc iconv over the whole text; "" with ok false when it fails.
std::string Iconv(const std::string& from, const std::string& to, const std::string& text, bool* ok) {
  iconv_t cd = iconv_open(to.c_str(), from.c_str());
  *ok = cd != reinterpret_cast<iconv_t>(-1);
  if (!*ok) return std::string();
  std::string out(text.size() * 4 + 16, '\0');
  char* in = const_cast<char*>(text.data());
  size_t in_left = text.size();
  char* o = &out[0];
  size_t out_left = out.size();
  if (iconv(cd, &in, &in_left, &o, &out_left) == static_cast<size_t>(-1) ||
      iconv(cd, nullptr, nullptr, &o, &out_left) == static_cast<size_t>(-1))
    *ok = false;
  iconv_close(cd);
  out.resize(out.size() - out_left);
  return out;
}

// Every Shift-JIS pair that glibc's SHIFT_JIS takes and writes in
// ISO-2022-JP as a JIS X 0208 character: its Shift-JIS bytes and its
// ISO-2022-JP double-byte form.
struct JisChar {
  std::string sjis;
  std::string jis;  // the two bytes after ESC $ B
};
const std::vector<JisChar>& AllJisX0208() {
  static const std::vector<JisChar> all = [] {
    std::vector<JisChar> out;
    for (int s1 = 0x81; s1 <= 0xEF; ++s1) {
      if (s1 > 0x9F && s1 < 0xE0) continue;
      for (int s2 = 0x40; s2 <= 0xFC; ++s2) {
        if (s2 == 0x7F) continue;
        const std::string c = B({s1, s2});
        bool ok = false;
        const std::string jis = Iconv("SHIFT_JIS", "ISO-2022-JP", c, &ok);
        if (!ok || jis.size() != 8 || jis.compare(0, 3, kIn) != 0) continue;
        out.push_back({c, jis.substr(3, 2)});
      }
    }
    return out;
  }();
  return all;
}

TEST(KanjiDetection, Rules) {
  struct Case {
    const char* what;
    std::string text;
    KanjiCode want;
  };
  const std::vector<Case> cases = {
      {"empty", "", 0},
      {"one byte is never examined", B({0x82}), 0},
      {"one control byte", B({0x01}), 0},
      {"ASCII", "ZOL YAB Report", 0},
      {"control byte in the middle", "ab" + B({0x02}) + "cd", 1},
      {"0xFF in the middle", "a" + B({0xFF}) + "b", 1},
      {"control byte as the last byte", "abc" + B({0x07}), 0},
      {"0x08 is no control byte", "a" + B({0x08}) + "b", 0},
      {"control byte after 512 bytes, found by the main loop", std::string(512, 'a') + B({0x01}) + "b", 1},
      {"control byte at 512 after a Shift-JIS pair", std::string(509, 'a') + "監" + B({0x01}) + "x", 1},
      {"control byte at 512", std::string(511, 'a') + B({0x01}) + "b", 1},
      {"control byte at 513 after a Shift-JIS pair", std::string(510, 'a') + "監" + B({0x01}) + "x", 5},
      {"ESC $ B", "a" + kEsc + "$Bxx", 2},
      {"ESC $ @", kEsc + "$@xx", 3},
      {"ESC $ B cut at the end", "a" + kEsc + "$", 0},
      {"ESC ( J only", kEsc + "(Jab", 0},
      {"JIS then Shift-JIS", kEsc + "$B" + "監視", 2},
      {"Shift-JIS lead 0x81..0x8D", "x監視", 5},
      {"Shift-JIS lead 0x8F..0x9F", B({0x95, 0x40, 0x20}), 5},
      {"Shift-JIS lead as the last byte", "ab" + B({0x8A}), 0},
      {"0x8E then 0x40", B({0x8E, 0x40, 0x20}), 5},
      {"0x8E then 0xE0", B({0x8E, 0xE0, 0x20}), 5},
      {"0x8E then kana: ambiguous", B({0x8E, 0xB1, 0x20}), 6},
      {"0x8E then 0xFD: nothing", B({0x8E, 0xFD, 0x20}), 0},
      {"kana then 0xF0: EUC", B({0xB1, 0xF0, 0x20}), 4},
      {"kana then kana: ambiguous", "ｱｲｳ", 6},
      {"kana then 0x40: Shift-JIS", B({0xB1, 0x40, 0x20}), 5},
      {"kana then ASCII: Shift-JIS", "ｱa", 5},
      {"kana then 0xA0: nothing", B({0xB1, 0xA0, 0x20}), 0},
      {"kana then 0xFF: binary by the scan", B({0xB1, 0xFF, 0x20}), 1},
      {"kana then 0xFF as the last byte: nothing", B({0xB1, 0xFF}), 0},
      {"look-ahead finds a Shift-JIS byte", B({0xB1, 0xE0, 0xA1, 0x81, 0x20}), 5},
      {"look-ahead finds an EUC byte", B({0xB1, 0xE0, 0xA1, 0xFD, 0x20}), 4},
      {"look-ahead 0x8E is neither", B({0xB1, 0xE0, 0x8E, 0x20}), 6},
      {"look-ahead 0x9D is neither", B({0xB1, 0xE0, 0x9D, 0x20}), 6},
      // The byte below 0x40 ends the look-ahead and is passed over; the next
      // step starts behind it.
      {"byte ending the look-ahead is skipped", B({0xB1, 0xE0, 0x30, 0x81, 0x40, 0x20}), 5},
      {"skipped byte is not examined", B({0xB1, 0xE0, 0x30, 0xF0, 0x20}), 4},
      {"look-ahead runs to the end", B({0xB1, 0xE0, 0xA1, 0xA1}), 6},
      // The console's texts are Shift-JIS: a lead F0..FC with a trail byte
      // is a pair of the user rows or the IBM extensions, not EUC.
      {"0xF0 lead with a trail byte: Shift-JIS", B({0xF0, 0x40, 0x20}), 5},
      {"髙 (0xFB 0xFC): Shift-JIS", B({0xFB, 0xFC, 0x20}), 5},
      {"﨑 (0xFA 0xB1): Shift-JIS", B({0xFA, 0xB1, 0x20}), 5},
      {"髙 at the very end", "ID" + B({0xFB, 0xFC}), 5},
      {"kana then 﨑: Shift-JIS", B({0xB1, 0xFA, 0xB1, 0x20}), 5},
      {"kana then 0xFD: EUC", B({0xB1, 0xFD, 0xA1, 0x20}), 4},
      {"kana then a user row: EUC as before", B({0xB1, 0xF0, 0xB4, 0x20}), 4},
      {"0xF0 lead without a trail byte: EUC", B({0xF0, 0x30, 0x20}), 4},
      {"0xFC then 0xFD: EUC", B({0xFC, 0xFD, 0x20}), 4},
      {"0xFD lead: EUC", B({0xFD, 0x40, 0x20}), 4},
      {"0xE0 then 0x40: Shift-JIS", B({0xE0, 0x40, 0x20}), 5},
      {"0xE0 then 0xFD: EUC", B({0xE0, 0xFD, 0x20}), 4},
      {"0xE0 then 0xA1: ambiguous", B({0xE0, 0xA1, 0x20}), 6},
      {"0xE0 then 0x30: nothing", B({0xE0, 0x30, 0x20}), 0},
      {"0xA0 and 0x80: nothing", B({0xA0, 0x80, 0x20}), 0},
      {"ambiguous, then decided", B({0xE0, 0xA1}) + "x" + B({0x88, 0x9F, 0x20}), 5},
      {"EUC text", B({0xB0, 0xF0, 0x0D, 0x0A}), 4},
      {"EUC pairs valid in both stay ambiguous", B({0xB4, 0xC6, 0xBB, 0xEB, 0x0D, 0x0A}), 6},
      {"kana pairs then CR: Shift-JIS", "ｱｲｳ\r\n", 5},
      {"ID001監視", "ID001監視", 5},
      {"あ first", "あいう", 5},
  };
  for (const Case& c : cases) EXPECT_EQ(DetectKanjiCode(c.text), c.want) << c.what;
}

TEST(KanjiConversion, SjisToJisExamples) {
  const std::vector<TextCase> cases = {
      {"empty", "", ""},
      {"ASCII", "abc", "abc"},
      {"監視", "監視", kIn + B({0x34, 0x46, 0x3B, 0x6B}) + kOut},
      {"ID001監視", "ID001監視", "ID001" + kIn + B({0x34, 0x46, 0x3B, 0x6B}) + kOut},
      {"two runs", "監 視", kIn + B({0x34, 0x46}) + kOut + " " + kIn + B({0x3B, 0x6B}) + kOut},
      {"CR LF after a run", "監\r\nx", kIn + B({0x34, 0x46}) + kOut + "\r\nx"},
      {"lone LF after a run", "監\n視", kIn + B({0x34, 0x46}) + kOut + "\n" + kIn + B({0x3B, 0x6B}) + kOut},
      // The pair 8A 00 has no place: the geta mark, never 8-bit bytes.
      {"trailing lead byte pairs with 0x00", "a" + B({0x8A}), "a" + kIn + B({0x22, 0x2E}) + kOut},
      {"ｶﾞ merges to ガ", "ｶﾞ", kIn + B({0x25, 0x2C}) + kOut},
      {"ﾊﾟ merges to パ", "ﾊﾟ", kIn + B({0x25, 0x51}) + kOut},
      {"ﾊﾞ merges to バ", "ﾊﾞ", kIn + B({0x25, 0x50}) + kOut},
      {"ｳﾞ merges to ヴ", "ｳﾞ", kIn + B({0x25, 0x74}) + kOut},
      {"ｷﾟ does not merge", "ｷﾟ", kIn + B({0x25, 0x2D, 0x21, 0x2C}) + kOut},
      {"ﾄﾞ ends the merging row", "ﾄﾞﾅﾞ", kIn + B({0x25, 0x49, 0x25, 0x4A, 0x21, 0x2B}) + kOut},
      {"stand-alone marks and punctuation", "ﾞﾟ｡ｰ", kIn + B({0x21, 0x2B, 0x21, 0x2C, 0x21, 0x23, 0x21, 0x3C}) + kOut},
      {"kana at the end takes no mark", "aｶ", "a" + kIn + B({0x25, 0x2B}) + kOut},
      {"kana and kanji in one run", "ｱ漢", kIn + B({0x25, 0x22, 0x34, 0x41}) + kOut},
  };
  for (const TextCase& c : cases) EXPECT_EQ(SjisToJis(c.in), c.want) << c.what;
}

TEST(KanjiConversion, EucToJisExamples) {
  const std::vector<TextCase> cases = {
      {"kanji", B({0xB4, 0xC6, 0xBB, 0xEB}) + "\r\n", kIn + B({0x34, 0x46, 0x3B, 0x6B}) + kOut + "\r\n"},
      {"0x8E kana", B({0x8E, 0xB1, 0x41}), kIn + B({0x25, 0x22}) + kOut + "A"},
      {"0x8E kana with a mark", B({0x8E, 0xB6, 0x8E, 0xDE}), kIn + B({0x25, 0x2C}) + kOut},
      {"0x8E ﾊ with a semi-voiced mark", B({0x8E, 0xCA, 0x8E, 0xDF}), kIn + B({0x25, 0x51}) + kOut},
      {"mark without its 0x8E is not merged", B({0x8E, 0xB6, 0xDE, 0xA1}), kIn + B({0x25, 0x2B, 0x5E, 0x21}) + kOut},
      {"0x8E at the end", "a" + B({0x8E}), "a" + kIn + B({0x0E, 0x00}) + kOut},
      {"odd byte at the end", "a" + B({0xB4}), "a" + kIn + B({0x34, 0x00}) + kOut},
  };
  for (const TextCase& c : cases) EXPECT_EQ(EucToJis(c.in), c.want) << c.what;
}

TEST(KanjiConversion, ConvertTakesTheDetectedCode) {
  const std::string euc = B({0xB0, 0xF0, 0xB4, 0xC6, 0x0D, 0x0A});
  const std::vector<TextCase> cases = {
      {"empty", "", ""},
      {"ASCII unchanged", "ZOL YAB Report\r\n", "ZOL YAB Report\r\n"},
      {"binary unchanged", "監\x01視x", "監\x01視x"},
      {"ambiguous unchanged", "ｱｲ\r\n", "ｱｲ\r\n"},
      {"JIS unchanged", kIn + "4F" + kOut, kIn + "4F" + kOut},
      {"JIS-1978 unchanged", kEsc + "$@4F", kEsc + "$@4F"},
      {"EUC converted", euc, kIn + B({0x30, 0x70, 0x34, 0x46}) + kOut + "\r\n"},
      {"Shift-JIS converted", "監視\r\nok\r\n", kIn + B({0x34, 0x46, 0x3B, 0x6B}) + kOut + "\r\nok\r\n"},
  };
  for (const TextCase& c : cases) EXPECT_EQ(ConvertKanjiCode(c.in, kKanjiJis), c.want) << c.what;
  // Only JIS is a target: Shift-JIS asked for EUC comes back as it is.
  EXPECT_EQ(ConvertKanjiCode("監視", kKanjiEuc), "監視");
  EXPECT_EQ(ConvertKanjiCode("監視", kKanjiSjis), "監視");
}

TEST(KanjiConversion, PairAndKanaHelpers) {
  EXPECT_EQ(SjisPairToJis(0x8A, 0xC4), B({0x34, 0x46}));
  EXPECT_EQ(SjisPairToJis(0x81, 0x40), B({0x21, 0x21}));
  EXPECT_EQ(SjisPairToJis(0xEA, 0xA4), B({0x74, 0x26}));
  EXPECT_EQ(SjisPairToJis(0x88, 0x9F), B({0x30, 0x21}));
  EXPECT_EQ(SjisPairToJis(0x88, 0x7E), B({0x2F, 0x5F}));
  EXPECT_EQ(SjisPairToJis(0x88, 0x80), B({0x2F, 0x60}));
  size_t p = 1;
  EXPECT_EQ(SjisKanaToJis("aﾊﾟb", p), B({0x25, 0x51}));
  EXPECT_EQ(p, 3u);
  p = 0;
  EXPECT_EQ(SjisKanaToJis("ｷﾟ", p), B({0x25, 0x2D}));
  EXPECT_EQ(p, 1u);
  p = 0;
  EXPECT_EQ(EucKanaToJis(B({0x8E, 0xB3, 0x8E, 0xDE, 0x41}), p), B({0x25, 0x74}));
  EXPECT_EQ(p, 4u);
  EXPECT_TRUE(LeadByte(0x81) && LeadByte(0x9F) && LeadByte(0xE0) && LeadByte(0xFC));
  EXPECT_FALSE(LeadByte(0x80) || LeadByte(0xA0) || LeadByte(0xB1) || LeadByte(0xDF) || LeadByte(0xFD));
  // The table maps every katakana byte to row 0x21 or 0x25.
  for (int k = 0; k < 63; ++k) EXPECT_TRUE(KanaTable[k] >> 8 == 0x21 || KanaTable[k] >> 8 == 0x25) << k;
}

TEST(Base64, PaddingAndAlphabet) {
  EXPECT_EQ(Base64Encode(""), "");
  EXPECT_EQ(Base64Encode("f"), "Zg==");
  EXPECT_EQ(Base64Encode("fo"), "Zm8=");
  EXPECT_EQ(Base64Encode("foo"), "Zm9v");
  EXPECT_EQ(Base64Encode("foobar"), "Zm9vYmFy");
  EXPECT_EQ(Base64Encode(B({0xFB, 0xFF, 0xBF})), "+/+/");
  EXPECT_EQ(Base64Encode(B({0x00})), "AA==");
  EXPECT_EQ(Base64Encode(std::string(100, 'x')).size(), 136u);
}

TEST(MimeHeader, Examples) {
  const std::vector<TextCase> cases = {
      {"empty", "", ""},
      {"ASCII unchanged", "ZOL YAB Report", "ZOL YAB Report"},
      {"監視", "監視", "=?ISO-2022-JP?B?GyRCNEY7axsoSg==?="},
      {"ID001監視", "ID001監視", "ID001=?ISO-2022-JP?B?GyRCNEY7axsoSg==?="},
      {"two runs keep the blank", "監 視 x",
       "=?ISO-2022-JP?B?" + Base64Encode(kIn + "4F" + kOut) + "?= =?ISO-2022-JP?B?" +
           Base64Encode(kIn + ";k" + kOut) + "?= x"},
      {"half-width katakana stays raw", "ｶﾞ監ｱ",
       "ｶﾞ=?ISO-2022-JP?B?" + Base64Encode(kIn + "4F" + kOut) + "?=ｱ"},
      {"trailing lead byte pairs with 0x00", "a" + B({0x8A}),
       "a=?ISO-2022-JP?B?" + Base64Encode(kIn + B({0x22, 0x2E}) + kOut) + "?="},
      {"address after a display name", "監視 <zol@example.com>",
       "=?ISO-2022-JP?B?GyRCNEY7axsoSg==?= <zol@example.com>"},
  };
  for (const TextCase& c : cases) EXPECT_EQ(MimeHeaderEncode(c.in), c.want) << c.what;
  // No folding or length limit: a long subject is one word on one line.
  std::string long_subject;
  for (int k = 0; k < 200; ++k) long_subject += "監";
  const std::string word = MimeHeaderEncode(long_subject);
  EXPECT_EQ(word.find_first_of("\r\n "), std::string::npos);
  EXPECT_EQ(word, EncodedWord(long_subject));
}

// Every JIS X 0208 character converts as glibc's iconv converts it.
TEST(KanjiCrossCheck, EveryJisX0208CharacterMatchesIconv) {
  const std::vector<JisChar>& all = AllJisX0208();
  ASSERT_EQ(all.size(), 6879u);
  for (const JisChar& c : all) ASSERT_EQ(SjisToJis(c.sjis), kIn + c.jis + kOut) << BytesToHex(c.sjis);
}

TEST(KanjiCrossCheck, OneBodyOfAllCharactersDecodesBack) {
  std::string body = "あ\r\n";
  int k = 0;
  for (const JisChar& c : AllJisX0208()) {
    body += c.sjis;
    if (++k % 40 == 0) body += "\r\n";
    else if (k % 7 == 0) body += " x ";
  }
  body += "\r\n";
  ASSERT_EQ(DetectKanjiCode(body), kKanjiSjis);
  const std::string jis = ConvertKanjiCode(body, kKanjiJis);
  for (unsigned char ch : jis) ASSERT_LT(ch, 0x80);
  bool ok_jis = false, ok_sjis = false;
  const std::string from_jis = Iconv("ISO-2022-JP", "UTF-8", jis, &ok_jis);
  const std::string from_sjis = Iconv("SHIFT_JIS", "UTF-8", body, &ok_sjis);
  ASSERT_TRUE(ok_jis && ok_sjis);
  EXPECT_EQ(from_jis, from_sjis);
}

// Where a converted text breaks the ISO-2022-JP rules that mail readers
// rely on, or "": every byte below 0x80, and inside ESC $ B only the
// printable pairs 0x21..0x7E.
std::string JisFault(const std::string& jis) {
  bool dbl = false;
  for (size_t i = 0; i < jis.size(); ++i) {
    const unsigned char ch = static_cast<unsigned char>(jis[i]);
    if (ch >= 0x80) return "byte " + BytesToHex(jis.substr(i, 1)) + " at " + std::to_string(i);
    if (ch == 0x1B) {
      dbl = jis.compare(i, 3, kIn) == 0;
      i += 2;
      continue;
    }
    if (dbl && (ch < 0x21 || ch > 0x7E)) return "byte " + BytesToHex(jis.substr(i, 1)) + " inside ESC $ B";
  }
  return std::string();
}

std::string Base64Decode(const std::string& text) {
  static const std::string kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  uint32_t acc = 0;
  int bits = 0;
  for (char ch : text) {
    const size_t v = kAlphabet.find(ch);
    if (v == std::string::npos) break;  // "=" ends it
    acc = (acc << 6) | static_cast<uint32_t>(v);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out += static_cast<char>((acc >> bits) & 0xFF);
    }
  }
  return out;
}

// Every double-byte character of CP932, on a line of a body and in a
// header, decodes back as mail readers decode ISO-2022-JP (the JIS pair to
// Shift-JIS by the standard arithmetic, then CP932) to the same character,
// or to "〓" for the user rows F0..F9; nothing of 0x80 or above and no
// control byte stands inside ESC $ B. Only the IBM extensions and the user
// rows are written otherwise than by the published arithmetic.
TEST(KanjiCrossCheck, EveryCp932CharacterComesBack) {
  const std::string geta_utf8 = SjisToUtf8("〓");
  int ibm = 0, user = 0, rest = 0;
  for (int s1 = 0x81; s1 <= 0xFC; ++s1) {
    if (s1 > 0x9F && s1 < 0xE0) continue;
    for (int s2 = 0x40; s2 <= 0xFC; ++s2) {
      if (s2 == 0x7F) continue;
      const std::string pair = B({s1, s2});
      const std::string utf8 = SjisToUtf8(pair);
      if (utf8.find("\xEF\xBF\xBD") != std::string::npos) continue;  // no CP932 character
      const bool user_row = s1 >= 0xF0 && s1 <= 0xF9;
      const bool ibm_row = s1 >= 0xFA;
      (user_row ? user : ibm_row ? ibm : rest) += 1;
      const std::string want = user_row ? geta_utf8 : utf8;
      const std::string hex = BytesToHex(pair);

      // A body: the character on the device line, an event line below.
      const std::string body = "ID001 " + pair + "\r\n3: PING 異常\r\n";
      ASSERT_EQ(DetectKanjiCode(body), kKanjiSjis) << hex;
      const std::string jis = ConvertKanjiCode(body, kKanjiJis);
      ASSERT_EQ(JisFault(jis), "") << hex;
      const std::string line = jis.substr(0, jis.find("\r\n"));
      ASSERT_EQ(SjisToUtf8(JisToSjis(line)), "ID001 " + want) << hex;

      // A subject: one encoded word behind the ASCII.
      const std::string header = MimeHeaderEncode("ID" + pair);
      const std::string prefix = "ID=?ISO-2022-JP?B?";
      ASSERT_EQ(header.compare(0, prefix.size(), prefix), 0) << hex;
      ASSERT_EQ(header.substr(header.size() - 2), "?=") << hex;
      const std::string word = Base64Decode(header.substr(prefix.size(), header.size() - prefix.size() - 2));
      ASSERT_EQ(JisFault(word), "") << hex;
      ASSERT_EQ(SjisToUtf8(JisToSjis(word)), want) << hex;

      if (!user_row && !ibm_row) {
        ASSERT_EQ(SjisCharToJis(s1, s2), SjisPairToJis(s1, s2)) << hex;
      }
    }
  }
  EXPECT_EQ(ibm, 388);
  EXPECT_EQ(user, 1880);
  EXPECT_GT(rest, 7000);
}

// The IBM extensions go to their NEC-selected places (rows 89..92), or to
// the place the character already has; 髙 and 﨑 as Japanese names use them.
TEST(KanjiConversion, IbmExtensionsAtTheirNecSelectedPlaces) {
  const std::vector<TextCase> cases = {
      {"髙 FB FC is ED E3", B({0xFB, 0xFC}), kIn + SjisPairToJis(0xEE, 0xE0) + kOut},
      {"﨑 FA B1", B({0xFA, 0xB1}), kIn + SjisPairToJis(0xED, 0x95) + kOut},
      {"first kanji FA 5C is ED 40", B({0xFA, 0x5C}), kIn + SjisPairToJis(0xED, 0x40) + kOut},
      {"last kanji FC 4B is EE EC", B({0xFC, 0x4B}), kIn + SjisPairToJis(0xEE, 0xEC) + kOut},
      {"small roman one FA 40 is EE EF", B({0xFA, 0x40}), kIn + SjisPairToJis(0xEE, 0xEF) + kOut},
      {"roman one FA 4A is NEC row 13", B({0xFA, 0x4A}), kIn + B({0x2D, 0x35}) + kOut},
      {"not-sign FA 54 is the standard row", B({0xFA, 0x54}), kIn + B({0x22, 0x4C}) + kOut},
      {"user row F0 40 is the geta mark", B({0xF0, 0x40}), kIn + B({0x22, 0x2E}) + kOut},
      {"user row F9 FC", B({0xF9, 0xFC}), kIn + B({0x22, 0x2E}) + kOut},
      {"a pair cut by CR", B({0x88, 0x0D}) + "\n", kIn + B({0x22, 0x2E}) + kOut + "\n"},
      {"NEC row 13 ① stays", "①", kIn + B({0x2D, 0x21}) + kOut},
      {"NEC-selected ED 40 stays", B({0xED, 0x40}), kIn + B({0x79, 0x21}) + kOut},
  };
  for (const TextCase& c : cases) EXPECT_EQ(SjisToJis(c.in), c.want) << c.what;
  // A name as the device line of a notice mail.
  const std::string name = "ID001 " + B({0xFB, 0xFC}) + "橋ラック1 (G001 " + B({0xFA, 0xB1}) + ")\r\n";
  EXPECT_EQ(ConvertKanjiCode(name, kKanjiJis), SjisToJis(name));
}

// Python's email package reads every encoded word back to its character.
TEST(KanjiCrossCheck, PythonEmailDecodesEveryHeaderWord) {
  TempDir dir;
  const std::string data = dir.File("words.txt");
  {
    std::ofstream out(data, std::ios::binary);
    for (const JisChar& c : AllJisX0208()) {
      bool ok = false;
      const std::string utf8 = Iconv("SHIFT_JIS", "UTF-8", c.sjis, &ok);
      ASSERT_TRUE(ok);
      out << MimeHeaderEncode("ID" + c.sjis + "x") << '\t' << "ID" << utf8 << "x\n";
    }
  }
  const std::string script =
      "import sys\n"
      "from email import message_from_bytes, policy\n"
      "bad = 0\n"
      "for line in open(sys.argv[1], 'rb').read().decode('utf-8').splitlines():\n"
      "    enc, want = line.split('\\t')\n"
      "    m = message_from_bytes(b'Subject: ' + enc.encode('ascii') + b'\\r\\n\\r\\n', policy=policy.default)\n"
      "    if str(m['Subject']) != want:\n"
      "        bad += 1\n"
      "        if bad < 5: print('mismatch', enc, want, str(m['Subject']))\n"
      "print('bad', bad)\n";
  const std::string script_path = dir.File("check.py");
  std::ofstream(script_path) << script;
  FILE* p = popen(("/usr/bin/python3 '" + script_path + "' '" + data + "' 2>&1").c_str(), "r");
  ASSERT_NE(p, nullptr);
  std::string out;
  char buf[512];
  while (fgets(buf, sizeof buf, p)) out += buf;
  const int rc = pclose(p);
  EXPECT_EQ(rc, 0) << out;
  EXPECT_EQ(out, "bad 0\n");
}

}  // namespace
}  // namespace zol
