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

#include <cerrno>

#include "common/charset.h"
#include "common/files.h"
#include "support/japanese_locale.h"

namespace zol {
namespace {

TEST(Charset, SystemTextsBecomeShiftJis) {
  // Narrow literals are Shift-JIS, u8 literals UTF-8.
  const struct {
    const char* what;
    std::string text;
    const char* codeset;
    std::string sjis;
  } cases[] = {
      {"UTF-8 Japanese", u8"そのようなファイルやディレクトリはありません", "UTF-8",
       "そのようなファイルやディレクトリはありません"},
      {"EUC-JP Japanese", "\xCC\xB5\xB8\xFA\xA4\xCA\xB0\xFA\xBF\xF4\xA4\xC7\xA4\xB9", "EUC-JP", "無効な引数です"},
      {"ASCII in any charset", "No such file or directory", "ANSI_X3.4-1968", "No such file or directory"},
      {"no Shift-JIS form", u8"caf\u00E9", "UTF-8", "caf?"},
  };
  for (const auto& c : cases) EXPECT_EQ(LocaleTextToSjis(c.text, c.codeset), c.sjis) << c.what;
}

TEST(Charset, FileNamesBothWays) {
  EXPECT_EQ(SjisToUtf8("/tmp/監視ログ/d00101.csv"), u8"/tmp/監視ログ/d00101.csv");
  EXPECT_EQ(Utf8ToSjis(u8"/home/運用/zolyab4"), "/home/運用/zolyab4");
  bool exact = true;
  EXPECT_EQ(Utf8ToSjis(u8"/srv/caf\u00E9", &exact), "/srv/caf?");
  EXPECT_FALSE(exact);
  EXPECT_EQ(Utf8ToSjis("/plain/ascii", &exact), "/plain/ascii");
  EXPECT_TRUE(exact);
}

// Qt sets the C library's locale from the environment: on a Japanese
// desktop strerror answers in UTF-8 Japanese, and the boxes show Shift-JIS.
TEST(Charset, SystemReasonInAJapaneseUtf8Locale) {
  JapaneseUtf8Locale ja;
  if (!ja.Available()) GTEST_SKIP() << "no Japanese UTF-8 locale on this machine";
  EXPECT_EQ(SystemReason(ENOENT), "そのようなファイルやディレクトリはありません");
  EXPECT_EQ(SystemReason(EINVAL), "無効な引数です");
}

TEST(Charset, SystemReasonInTheCLocale) {
  EXPECT_EQ(SystemReason(ENOENT), "No such file or directory");
}

}  // namespace
}  // namespace zol
