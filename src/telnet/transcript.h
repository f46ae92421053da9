// The session transcript (the editor's Memo2): every received text is
// appended as it arrives, line breaks (LF, with or without CR) start a new
// line and text without one continues the last line. It keeps a bounded
// tail: a line that reaches kLineBytes goes on in a new line (never inside
// a double-byte character), and when more than kMaxLines + kSlackLines lines
// are held the oldest are dropped down to kMaxLines. Its cost per received
// text is that of the text, whatever the transcript held before.
#pragma once

#include <cstddef>
#include <string>

#include "common/controls.h"

namespace zol {

class Transcript {
 public:
  static constexpr size_t kMaxLines = 1000;
  static constexpr size_t kSlackLines = 100;
  static constexpr size_t kLineBytes = 512;

  explicit Transcript(Memo& memo) : memo_(memo) {}
  void Append(const std::string& text);

 private:
  Memo& memo_;
  bool open_ = false;  // the memo's last line goes on
  bool half_ = false;  // ... and ends with the first byte of a double-byte character
};

}  // namespace zol
