#include "telnet/transcript.h"

#include "common/text.h"

namespace zol {

void Transcript::Append(const std::string& text) {
  // The open line is built here and written back once per line.
  std::string line;
  bool held = false;  // line holds the memo's last line, to be written back
  if (open_ && memo_.Count() > 0) {
    line = memo_[memo_.Count() - 1];
    held = true;
  } else {
    open_ = false;
  }
  auto write_back = [&] {
    if (held) memo_.SetLine(memo_.Count() - 1, line);
    held = false;
  };
  auto new_line = [&] {
    write_back();
    memo_.Add(std::string());
    line.clear();
    held = true;
    open_ = true;
    half_ = false;
  };
  for (const char ch : text) {
    if (ch == '\r') continue;
    if (ch == '\n') {
      if (!open_) new_line();
      write_back();
      open_ = false;
      continue;
    }
    if (!open_ || (line.size() >= kLineBytes && !half_)) new_line();
    line += ch;
    half_ = !half_ && IsSjisLeadByte(static_cast<unsigned char>(ch));
  }
  write_back();
  if (memo_.Count() > kMaxLines + kSlackLines) memo_.DropFront(memo_.Count() - kMaxLines);
}

}  // namespace zol
