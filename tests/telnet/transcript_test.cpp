// The session transcript: lines as the device breaks them, a bounded tail of
// bounded lines whatever the device sends, and double-byte characters kept
// whole.
#include "telnet/transcript.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace zol {
namespace {

using Lines = std::vector<std::string>;

TEST(Transcript, LinesAsTheDeviceBreaksThemAcrossPieces) {
  struct Case {
    const char* what;
    Lines pieces;
    Lines lines;
  };
  const std::string a512(512, 'a');
  const Case cases[] = {
      {"one piece", {"one\r\ntwo\r\n"}, {"one", "two"}},
      {"text without a break goes on", {"RPC1>", "sysName=\"RPC1\"\r\n"}, {"RPC1>sysName=\"RPC1\""}},
      {"CR and LF in two pieces", {"abc\r", "\ndef"}, {"abc", "def"}},
      {"LF alone, empty lines", {"\n\r\n", "x\n"}, {"", "", "x"}},
      {"a long line goes on in a new one", {a512 + "bc", "d"}, {a512, "bcd"}},
      // A double-byte character at the bound stays whole, also across pieces.
      {"double-byte character at the bound", {std::string(511, 'a') + "\x82", "\xA0z"},
       {std::string(511, 'a') + "\x82\xA0", "z"}},
      {"double-byte character right after the bound", {a512 + "\x82\xA0"}, {a512, "\x82\xA0"}},
  };
  for (const Case& c : cases) {
    Memo memo;
    Transcript t(memo);
    for (const std::string& p : c.pieces) t.Append(p);
    EXPECT_EQ(memo.All(), c.lines) << c.what;
  }
}

TEST(Transcript, KeepsABoundedTailWhateverComes) {
  struct Case {
    const char* what;
    std::string piece;
    size_t pieces;
    std::string tail;  // the end of the transcript's last line
  };
  const Case cases[] = {
      {"5000 lines, one a piece", "line\r\n", 5000, "line"},
      {"100 MB without a line break in 64 KB pieces", std::string(65536, 'x') + "yz", 1600, "xyz"},
  };
  const size_t max_lines = Transcript::kMaxLines + Transcript::kSlackLines + 65538 / Transcript::kLineBytes + 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Memo memo;
    Transcript t(memo);
    size_t most_lines = 0, longest = 0;
    for (size_t i = 0; i < c.pieces; ++i) {
      t.Append(c.piece);
      most_lines = std::max(most_lines, memo.Count());
      for (size_t k = memo.Count() > 3 ? memo.Count() - 3 : 0; k < memo.Count(); ++k) longest = std::max(longest, memo[k].size());
    }
    EXPECT_LE(most_lines, max_lines);
    EXPECT_GE(memo.Count(), Transcript::kMaxLines);
    EXPECT_LE(longest, Transcript::kLineBytes + 1);
    EXPECT_GT(memo.Dropped(), 0u);  // the oldest went from the front
    ASSERT_FALSE(memo.All().empty());
    const std::string& last = memo.All().back();
    EXPECT_EQ(last.substr(last.size() - c.tail.size()), c.tail);
  }
}

}  // namespace
}  // namespace zol
