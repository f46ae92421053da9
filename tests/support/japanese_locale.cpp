#include "support/japanese_locale.h"

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "support/app_fixture.h"

namespace zol {

namespace {

// The folder with the built locale, for the test program's run; empty when
// localedef failed.
const std::string& LocaleFolder() {
  static std::unique_ptr<TempDir> dir;
  static std::string folder;
  if (!dir) {
    dir = std::make_unique<TempDir>();
    const std::string cmd =
        "localedef -i ja_JP -f UTF-8 '" + dir->File("ja_JP.UTF-8") + "' >/dev/null 2>&1";
    if (std::system(cmd.c_str()) == 0) folder = dir->path();
  }
  return folder;
}

}  // namespace

JapaneseUtf8Locale::JapaneseUtf8Locale() {
  if (const char* old = std::getenv("LOCPATH")) {
    had_locpath_ = true;
    old_locpath_ = old;
  }
  const std::string& folder = LocaleFolder();
  if (folder.empty()) return;
  setenv("LOCPATH", folder.c_str(), 1);
  if (!std::setlocale(LC_ALL, "ja_JP.UTF-8")) return;
  // Messages in Japanese: the first byte of a UTF-8 Japanese text is not ASCII.
  available_ = static_cast<unsigned char>(std::strerror(2)[0]) >= 0x80;
}

JapaneseUtf8Locale::~JapaneseUtf8Locale() {
  std::setlocale(LC_ALL, "C");
  if (had_locpath_) setenv("LOCPATH", old_locpath_.c_str(), 1);
  else unsetenv("LOCPATH");
}

}  // namespace zol
