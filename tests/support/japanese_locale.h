// The C library switched to Japanese UTF-8, as Qt switches it on a Japanese
// desktop: strerror then answers in Japanese UTF-8.
#pragma once

#include <string>

namespace zol {

class JapaneseUtf8Locale {
 public:
  // Builds the locale once per test program (localedef into a temporary
  // folder named by LOCPATH) and selects it for every category.
  JapaneseUtf8Locale();
  // Back to the "C" locale and the LOCPATH before.
  ~JapaneseUtf8Locale();
  JapaneseUtf8Locale(const JapaneseUtf8Locale&) = delete;
  JapaneseUtf8Locale& operator=(const JapaneseUtf8Locale&) = delete;

  // False when the machine cannot build the locale or has no Japanese
  // messages of the C library; the test then skips.
  bool Available() const { return available_; }

 private:
  bool available_ = false;
  bool had_locpath_ = false;
  std::string old_locpath_;
};

}  // namespace zol
