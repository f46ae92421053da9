#include "common/ini_file.h"

#include <gtest/gtest.h>

namespace zol {
namespace {

TEST(IniInteger, WholeTextMustBeTheNumber) {
  struct Case {
    const char* text;
    bool ok;
    int32_t value;
  } cases[] = {
      {"0", true, 0},          {"8000", true, 8000},     {"-5", true, -5},
      {"+7", true, 7},         {"0x1F40", true, 8000},   {"0X1f40", true, 8000},
      {"0x0", true, 0},        {"0xFFFFFFFF", true, -1}, {"-2147483648", true, INT32_MIN},
      {"2147483647", true, INT32_MAX},
      {"", false, 0},          {"12AB", false, 0},       {"abc", false, 0},
      {"0x", false, 0},        {"0x1G", false, 0},       {"1F40", false, 0},
      {"2147483648", false, 0}, {"0x100000000", false, 0}, {"12 ", false, 0},
      {"-0x10", false, 0},     {"1.5", false, 0},
  };
  for (const Case& c : cases) {
    int32_t v = 12345;
    EXPECT_EQ(ParseIniInteger(c.text, &v), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(v, c.value) << c.text;
    }
  }
}

TEST(IniNames, CaseOnlyFoldsAscii) {
  EXPECT_TRUE(IniNameEqual("SYSTEM", "system"));
  EXPECT_TRUE(IniNameEqual("Fname_W", "FNAME_w"));
  EXPECT_FALSE(IniNameEqual("PORT", "PORTS"));
  // The second byte of a double-byte character is never folded.
  EXPECT_FALSE(IniNameEqual("\x83\x41", "\x83\x61"));
  EXPECT_TRUE(IniNameEqual("\x83\x41x", "\x83\x41X"));
}

TEST(IniRead, ValuesAndDefaults) {
  IniDocument ini;
  ini.Parse(
      "; comment\r\n"
      "stray=before any section\r\n"
      "[System]\r\n"
      "  Port = 0x1F40 \r\n"
      "Empty=\r\n"
      "Text=a=b; c\r\n"
      "Bool2=2\r\n"
      "BoolZero=0\r\n"
      "Junk=yes\r\n"
      "port=9999\r\n"  // a later duplicate is not seen
      "[OTHER]\n"
      "Port=1\r"
      "[system]\r\n"  // a second section of the same name is not seen
      "Late=1\r\n");
  EXPECT_EQ(ini.ReadInteger("SYSTEM", "PORT", 5000), 8000);
  EXPECT_EQ(ini.ReadInteger("other", "port", 5000), 1);
  EXPECT_EQ(ini.ReadString("SYSTEM", "TEXT", "d"), "a=b; c");
  EXPECT_EQ(ini.ReadString("SYSTEM", "EMPTY", "d"), "");
  EXPECT_EQ(ini.ReadString("SYSTEM", "MISSING", "d"), "d");
  EXPECT_EQ(ini.ReadString("NOSECTION", "PORT", "d"), "d");
  EXPECT_EQ(ini.ReadString("SYSTEM", "LATE", "d"), "d");
  EXPECT_EQ(ini.ReadString("SYSTEM", "STRAY", "d"), "d");
  EXPECT_EQ(ini.ReadInteger("SYSTEM", "EMPTY", 25), 25);
  EXPECT_EQ(ini.ReadInteger("SYSTEM", "JUNK", 25), 25);
  EXPECT_TRUE(ini.ReadBool("SYSTEM", "BOOL2", false));
  EXPECT_FALSE(ini.ReadBool("SYSTEM", "BOOLZERO", true));
  EXPECT_TRUE(ini.ReadBool("SYSTEM", "EMPTY", true));
  EXPECT_FALSE(ini.ReadBool("SYSTEM", "JUNK", false));
  EXPECT_TRUE(ini.ReadBool("SYSTEM", "MISSING", true));
}

TEST(IniRead, LongTextIsCut) {
  IniDocument ini;
  ini.Parse("[A]\r\nK=" + std::string(3000, 'x') + "\r\n");
  EXPECT_EQ(ini.ReadString("A", "K", ""), std::string(kIniMaxText, 'x'));
}

TEST(IniWrite, InPlaceAtSectionEndOrNewSection) {
  IniDocument ini;
  ini.Parse(
      "[START]\n"
      "; kept\n"
      "Auto = 1\n"
      "Unknown=stays\n"
      "\n"
      "[LOG]\n"
      "DIR=/x/");  // no line end on the last line
  ini.WriteBool("start", "AUTO", false);
  ini.WriteInteger("START", "WINDOW", 2);
  ini.WriteString("LOG", "DIR", "/y/");
  ini.WriteString("LOG", "NEW", "\x83\x41");
  ini.WriteString("ICON", "MASK01", "1");
  ini.WriteString("ICON", "MASK02", "0");
  EXPECT_EQ(ini.Bytes(),
            "[START]\r\n"
            "; kept\r\n"
            "Auto=0\r\n"
            "Unknown=stays\r\n"
            "WINDOW=2\r\n"
            "\r\n"
            "[LOG]\r\n"
            "DIR=/y/\r\n"
            "NEW=\x83\x41\r\n"
            "[ICON]\r\n"
            "MASK01=1\r\n"
            "MASK02=0\r\n");
}

TEST(IniWrite, EmptyDocumentAndEmptySection) {
  IniDocument ini;
  ini.Parse("[A]\r\n[B]\r\nx=1\r\n");
  ini.WriteString("A", "K", "");
  ini.WriteString("C", "K", "v");
  EXPECT_EQ(ini.Bytes(), "[A]\r\nK=\r\n[B]\r\nx=1\r\n[C]\r\nK=v\r\n");
  EXPECT_EQ(ini.ReadString("A", "K", "d"), "");
  IniDocument none;
  EXPECT_EQ(none.Bytes(), "");
}

}  // namespace
}  // namespace zol
