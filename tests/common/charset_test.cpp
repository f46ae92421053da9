// Narrow literals must be Shift-JIS bytes in every target.
#include <gtest/gtest.h>

#include <string>

TEST(Charset, JapaneseLiteralsAreShiftJis) {
  const std::string text = "監視開始";
  const unsigned char want[] = {0x8A, 0xC4, 0x8E, 0x8B, 0x8A, 0x4A, 0x8E, 0x6E};
  ASSERT_EQ(text.size(), sizeof want);
  for (size_t i = 0; i < sizeof want; ++i) EXPECT_EQ(static_cast<unsigned char>(text[i]), want[i]) << i;
  EXPECT_EQ(std::string("℃"), "\x81\x8E");
  EXPECT_EQ(std::string("ｱ").size(), 1u);  // half-width katakana is one byte
}
