#include "common/text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace zol {
namespace {

TEST(ZeroPad, Table) {
  struct Case {
    int32_t value;
    int width;
    const char* want;
  } cases[] = {
      {7, 3, "007"},     {1234, 2, "1234"}, {5, 20, "00000000000000005"}, {-5, 4, "00-5"},
      {42, 0, "42"},     {42, -3, "42"},    {0, 1, "0"},                  {0, 4, "0000"},
      {-2147483647 - 1, 12, "0-2147483648"},
  };
  for (const Case& c : cases) EXPECT_EQ(ZeroPad(c.value, c.width), c.want) << c.value << "," << c.width;
  for (int v : {0, 7, 42, 999, 1000, 9999}) {
    char out[4];
    ZeroPad4(v, out);
    EXPECT_EQ(std::string(out, 4), ZeroPad(v, 4)) << v;
  }
}

// AppendDecimal adds what std::to_string gives, with or without its
// single-digit shortcut, after what out already holds.
TEST(AppendDecimal, AsToString) {
  for (int32_t v : {0, 1, 9, 10, -1, -9, -10, 99, 12345, INT32_MAX, INT32_MIN}) {
    std::string out = "x,";
    AppendDecimal(out, v);
    EXPECT_EQ(out, "x," + std::to_string(v)) << v;
  }
}

TEST(CsvField, Table) {
  struct Case {
    const char* text;
    int n;
    const char* want;
  } cases[] = {
      {"name1,name2,,name4", 1, "name1"}, {"name1,name2,,name4", 3, ""}, {"name1,name2,,name4", 4, "name4"},
      {"name1,name2,,name4", 0, ""},      {"name1,name2,,name4", 5, ""}, {"a,b,", 3, ""},
      {"a,b,", 4, ""},                    {"", 1, ""},                   {"", 2, ""},
      {" a , b", 2, " b"},                {"x", 1, "x"},                 {"x", -1, ""},
  };
  for (const Case& c : cases) {
    const std::string text = c.text;  // the view points into it
    EXPECT_EQ(CsvField(text, c.n), c.want) << c.text << " n=" << c.n;
    EXPECT_EQ(CsvFieldView(text, c.n), c.want) << c.text << " n=" << c.n;
  }
}

TEST(CsvSetField, Table) {
  struct Case {
    const char* text;
    int n;
    const char* want;
  } cases[] = {
      {"a,b,c,", 2, "a,x,c,"}, {"a,b,c", 3, "a,b,x"}, {"a,b", 4, "a,x"}, {"a,b,", 3, "a,b,x"},
      {"a,b,", 4, "a,b,x"},    {"", 1, "x"},          {"", 5, "x"},     {"a,b,c", 0, "a,b,c"},
      {"a,b,c", -2, "a,b,c"},  {"a,b,c", 1, "x,b,c"}, {",,", 2, ",x,"},
  };
  for (const Case& c : cases) EXPECT_EQ(CsvSetField(c.text, "x", c.n), c.want) << c.text << " n=" << c.n;
}

TEST(HexDigitValue, Table) {
  struct Case {
    char c;
    int want;
  } cases[] = {
      {'0', 0},  {'9', 9},  {'A', 10}, {'F', 15}, {'a', 10}, {'f', 15}, {'/', -1},  {':', -1},
      {'@', -1}, {'G', -1}, {'`', -1}, {'g', -1}, {' ', -1}, {'\0', -1}, {'\x82', -1},
  };
  for (const Case& c : cases) EXPECT_EQ(HexDigitValue(c.c), c.want) << static_cast<int>(c.c);
}

TEST(HexToInt, Table) {
  struct Case {
    const char* text;
    int32_t want;
  } cases[] = {
      {"", 0},          {"00C8", 200},      {"0x1A", 26},         {"G1", 1},         {"1 2", 18},
      {"7FFF", 32767},  {"ffff", 65535},    {"FFFFFFFF", -1},     {"80000000", INT32_MIN},
      {"123456789", 0x23456789},            {"zz", 0},            {"aBc", 0xABC},
  };
  for (const Case& c : cases) EXPECT_EQ(HexToInt(c.text), c.want) << c.text;
}

TEST(DigitsAndHexOnly, Table) {
  EXPECT_EQ(DigitsOnly("a1b2 c3"), "123");
  EXPECT_EQ(HexOnly("0a:1B-2c"), "0a1B2c");
  EXPECT_EQ(DigitsOnly(""), "");
  EXPECT_EQ(DigitsOnly("12\r34"), "12");
  EXPECT_EQ(HexOnly(std::string("ab\0cd", 5)), "ab");
  std::string digits300(300, '7');
  EXPECT_EQ(DigitsOnly(digits300), std::string(255, '7'));
  // The 255-character window counts dropped characters too.
  std::string mixed = std::string(254, 'x') + "12";
  EXPECT_EQ(DigitsOnly(mixed), "1");
}

TEST(ParseDecimal, WholeTextOnly) {
  int32_t v = 0;
  EXPECT_TRUE(ParseDecimal("8000", &v));
  EXPECT_EQ(v, 8000);
  EXPECT_TRUE(ParseDecimal("-12", &v));
  EXPECT_EQ(v, -12);
  EXPECT_TRUE(ParseDecimal("2147483647", &v));
  EXPECT_TRUE(ParseDecimal("-2147483648", &v));
  EXPECT_EQ(v, INT32_MIN);
  for (const char* bad : {"", "12AB", "2147483648", "-2147483649", " 1", "1 ", "-", "000A", "99999999999999999999"})
    EXPECT_FALSE(ParseDecimal(bad, &v)) << bad;
  EXPECT_EQ(DecimalOr("000A", 7), 7);
  EXPECT_EQ(DecimalOr("0010", 7), 10);
}

TEST(ParseReal, DecimalTextsWithAPointOnly) {
  const std::vector<std::pair<std::string, double>> good = {
      {"23.5", 23.5}, {"-0.5", -0.5}, {"35", 35},    {"+4", 4},    {"0", 0}, {" 7 ", 7},
      {"5.", 5},      {".5", 0.5},    {"-20", -20}, {"100.25", 100.25}};
  for (const auto& [text, want] : good) {
    double v = -1;
    EXPECT_TRUE(ParseReal(text, &v)) << text;
    EXPECT_EQ(v, want) << text;
  }
  for (const std::string text : {"", " ", "-", ".", "+-1", "23,5", "1e3", "0x10", "inf", "nan", "1.2.3", "12a", "- 1", "１２"}) {
    double v = -1;
    EXPECT_FALSE(ParseReal(text, &v)) << text;
    EXPECT_EQ(v, -1) << text;  // untouched
  }
}

TEST(Copy, ClipsToText) {
  struct Case {
    const char* text;
    int pos, len;
    const char* want;
  } cases[] = {
      {"abcdef", 2, 3, "bcd"}, {"abcdef", 5, 10, "ef"}, {"abcdef", 7, 1, ""},
      {"abcdef", 0, 2, "a"},   {"abc", 1, 0, ""},       {"abc", -2, 4, "a"},
  };
  for (const Case& c : cases) {
    const std::string text = c.text;  // the view points into it
    EXPECT_EQ(Copy(text, c.pos, c.len), c.want) << c.text << " " << c.pos << "," << c.len;
    EXPECT_EQ(CopyView(text, c.pos, c.len), c.want) << c.text << " " << c.pos << "," << c.len;
  }
}

TEST(BytesToHex, UpperCasePairs) {
  const uint8_t bytes[] = {0x00, 0x0F, 0xA5, 0x5A, 0xF0, 0xFF};
  EXPECT_EQ(BytesToHex(bytes, sizeof bytes), "000FA55AF0FF");
  EXPECT_EQ(BytesToHex(std::string("\x02\x5A\x3C", 3)), "025A3C");
  EXPECT_EQ(BytesToHex(std::string()), "");
  // Into a string that held something longer, shorter or the same size.
  std::string out = "previous text, longer than the next";
  BytesToHex(bytes, sizeof bytes, &out);
  EXPECT_EQ(out, "000FA55AF0FF");
  BytesToHex(bytes, 2, &out);
  EXPECT_EQ(out, "000F");
  BytesToHex(bytes + 4, 2, &out);
  EXPECT_EQ(out, "F0FF");
  BytesToHex(bytes, 0, &out);
  EXPECT_EQ(out, "");
}

}  // namespace
}  // namespace zol

namespace zol {
namespace {

TEST(FitTypedText, Table) {
  const std::string a = "あ";  // two bytes
  const std::string ten_a = [&] {
    std::string s;
    for (int i = 0; i < 10; ++i) s += a;
    return s;
  }();
  struct Case {
    std::string name;
    std::string before, after;
    size_t cursor;
    size_t max;
    char refused;
    bool ok;
    std::string result;
    size_t result_cursor;
  };
  const Case cases[] = {
      {"fits", "ab", "abc", 3, 20, 0, true, "abc", 3},
      {"no limit", std::string(30, 'x'), std::string(31, 'x'), 31, 0, 0, true, std::string(31, 'x'), 31},
      {"eleventh double-byte character typed", ten_a, ten_a + a, 22, 20, 0, true, ten_a, 20},
      {"double-byte after 19 bytes never cut in half", std::string(19, 'x'), std::string(19, 'x') + a, 21, 20, 0,
       true, std::string(19, 'x'), 19},
      {"paste cut at a whole character", "ab", "a" + ten_a + "b", 21, 10, 0, true, "a" + a + a + a + a + "b", 9},
      {"paste in the middle keeps the tail", "abcd", "ab1234567cd", 9, 8, 0, true, "ab1234cd", 6},
      {"long text set by the program, deletion", std::string(25, 'x'), std::string(24, 'x'), 10, 20, 0, true,
       std::string(24, 'x'), 10},
      {"long text set by the program, typing refused", std::string(25, 'x'), std::string(26, 'x'), 26, 20, 0,
       true, std::string(25, 'x'), 25},
      {"selection replaced by a longer paste", "abcdefghij", "abXXXXXXXXXXXXXXXX", 18, 12, 0, true, "abXXXXXXXXXX",
       12},
      {"comma typed", "1.2.3", "1.2,3", 4, 20, ',', false, "", 0},
      {"comma pasted", "", "a,b", 3, 20, ',', false, "", 0},
      {"comma kept on deletion", "a,bc", "a,b", 3, 20, ',', true, "a,b", 3},
      {"comma allowed elsewhere", "a", "a,", 2, 20, 0, true, "a,", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string text = c.after;
    size_t cursor = c.cursor;
    EXPECT_EQ(FitTypedText(c.before, &text, &cursor, c.max, c.refused), c.ok);
    if (!c.ok) continue;
    EXPECT_EQ(text, c.result);
    EXPECT_EQ(cursor, c.result_cursor);
  }
}

}  // namespace
}  // namespace zol
