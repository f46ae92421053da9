#include "common/scramble.h"

#include <gtest/gtest.h>

#include <random>

namespace zol {
namespace {

TEST(Scramble, WorkedExample) {
  EXPECT_EQ(Scramble("abc", 1), "837366B676");
  EXPECT_EQ(Scramble("837366B676", 0), "abc");
  EXPECT_EQ(Scramble("837366b676", 0), "abc");  // any case on input
}

TEST(Scramble, EmptyAndOtherModes) {
  EXPECT_EQ(Scramble("", 1), "");
  EXPECT_EQ(Scramble("", 0), "");
  EXPECT_EQ(Scramble("abc", 2), "");
  EXPECT_EQ(Scramble("837366B676", -1), "");
}

TEST(Scramble, RoundTripEveryLengthUpTo255) {
  std::mt19937 rng(1234);
  for (size_t n = 1; n <= 255; ++n) {
    std::string text(n, '\0');
    for (char& c : text) c = static_cast<char>(rng() & 0xFF);
    std::string enc = Scramble(text, 1);
    ASSERT_EQ(enc.size(), 2 * n + 4);
    for (char c : enc) ASSERT_TRUE((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) << enc;
    ASSERT_EQ(Scramble(enc, 0), text) << "length " << n;
  }
  // Shift-JIS text survives as bytes.
  EXPECT_EQ(Scramble(Scramble("パスワード", 1), 0), "パスワード");
}

TEST(Scramble, LongerTextComesBackCut) {
  std::string text(300, 'q');
  EXPECT_EQ(Scramble(Scramble(text, 1), 0), std::string(255, 'q'));
}

TEST(Scramble, DamagedInput) {
  struct Case {
    const char* in;
    const char* want;
  } cases[] = {
      {"837366B677", ""},   // last digit changed
      {"837366B6760", "abc"},  // a last odd character is ignored
      {"0", ""},
      {"ZZ", ""},
      {"837366B6", ""},  // truncated
  };
  for (const Case& c : cases) EXPECT_EQ(Scramble(c.in, 0), c.want) << c.in;
}

}  // namespace
}  // namespace zol
