// Japanese text for Internet mail: recognition of the Japanese code of a
// text, Shift-JIS and EUC-JP to ISO-2022-JP ("JIS") for mail bodies, and MIME
// encoded words for the sender and subject headers. Pure functions on byte
// strings: they keep no state, never fail and never read outside their input
// (a byte a rule looks at beyond the end counts as 0x00).
#pragma once

#include <cstdint>
#include <string>

namespace zol {

// The result of DetectKanjiCode.
using KanjiCode = int;
constexpr KanjiCode kKanjiAscii = 0;    // nothing that marks a Japanese code
constexpr KanjiCode kKanjiBinary = 1;   // a control byte below 0x08, or 0xFF
constexpr KanjiCode kKanjiJis = 2;      // ESC $ B seen
constexpr KanjiCode kKanjiJis78 = 3;    // ESC $ @ seen
constexpr KanjiCode kKanjiEuc = 4;      // EUC-JP
constexpr KanjiCode kKanjiSjis = 5;     // Shift-JIS
constexpr KanjiCode kKanjiEucOrSjis = 6;  // only pairs valid in both

// The full-width JIS X 0208 code of each half-width katakana byte 0xA1..0xDF,
// index 0 for 0xA1.
extern const uint16_t KanaTable[63];

// The Shift-JIS lead-byte test: 0x81..0x9F and 0xE0..0xFC.
bool LeadByte(unsigned char b);

KanjiCode DetectKanjiCode(const std::string& text);
// Converts text to the target code. Only the target JIS (2) converts; a text
// detected as ASCII, binary, ambiguous or already in the target comes back
// unchanged.
std::string ConvertKanjiCode(const std::string& text, KanjiCode target);

// ISO-2022-JP with the escapes ESC $ B and ESC ( J only; every line ends in
// the single-byte set before its CR or LF, and so does the text.
std::string SjisToJis(const std::string& text);
std::string EucToJis(const std::string& text);

// The two JIS X 0208 bytes of one Shift-JIS pair, by the published
// arithmetic alone.
std::string SjisPairToJis(unsigned char s1, unsigned char s2);
// The JIS bytes that the body and header conversion write for one Shift-JIS
// (CP932) pair: the place where mail readers find the character in the JIS
// code space. The standard rows, NEC row 13 and the NEC-selected IBM
// extensions (rows 89..92) by the arithmetic; an IBM extension (lead
// FA..FC) at its NEC-selected place, or where the character already has
// one (NEC row 13, the standard rows); a pair with no place (the user rows
// F0..F9, a malformed pair) as the geta mark 〓, so that no byte of 0x80 or
// above and no control byte goes out inside ESC $ B.
std::string SjisCharToJis(unsigned char s1, unsigned char s2);
// "〓", the geta mark, in JIS X 0208.
constexpr uint16_t kGetaMark = 0x222E;
// The JIS X 0208 bytes of the half-width katakana at text[pos] (0-based),
// merged with a following voicing mark where one applies; pos moves past the
// bytes used.
std::string SjisKanaToJis(const std::string& text, size_t& pos);
// The same for EUC-JP, where text[pos] is the 0x8E before the katakana byte.
std::string EucKanaToJis(const std::string& text, size_t& pos);

// RFC 2045 Base64, "=" padding, no line breaks.
std::string Base64Encode(const std::string& bytes);
// "=?ISO-2022-JP?B?" + Base64 of the ISO-2022-JP form of run + "?=".
std::string EncodedWord(const std::string& sjis_run);
// Each maximal run of Shift-JIS double-byte characters becomes one encoded
// word; single bytes (ASCII, half-width katakana) stay as they are; nothing
// is inserted around the words and nothing is folded.
std::string MimeHeaderEncode(const std::string& text);

}  // namespace zol
