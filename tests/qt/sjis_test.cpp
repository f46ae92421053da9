#include "qt/sjis.h"

#include <gtest/gtest.h>

namespace zol {
namespace {

TEST(Sjis, TheConsoleTextsGoBothWays) {
  // The narrow literals are CP932 bytes; the u"" literals are UTF-16.
  const struct {
    std::string sjis;
    QString text;
  } cases[] = {
      {"監視開始", QStringLiteral(u"監視開始")},
      {"元のサイズに戻す(&R)", QStringLiteral(u"元のサイズに戻す(&R)")},
      {"終了してよろしいですか？", QStringLiteral(u"終了してよろしいですか？")},
      {"ﾃｽﾄ ①～№ \\ ~", QStringLiteral(u"ﾃｽﾄ ①～№ \\ ~")},
      {"ZOL YAB V4", QStringLiteral(u"ZOL YAB V4")},
      {"", QString()},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FromSjis(c.sjis), c.text) << c.sjis;
    EXPECT_EQ(ToSjis(c.text), c.sjis) << c.sjis;
  }
  EXPECT_EQ(std::string("監視開始").size(), 8u);
}

TEST(Sjis, BadBytesAndUnmappableCharactersAreReplaced) {
  EXPECT_EQ(FromSjis(std::string("A\x82")), QStringLiteral(u"A\uFFFD"));  // lead byte cut off
  EXPECT_EQ(FromSjis(std::string("\xA0Z")), QStringLiteral(u"\uFFFDZ"));
  EXPECT_EQ(ToSjis(QStringLiteral(u"a\u00E9b\U0001F600c")), "a?b?c");
}

}  // namespace
}  // namespace zol
