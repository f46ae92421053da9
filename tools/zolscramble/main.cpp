// zolscramble TEXT     prints TEXT scrambled as the settings file stores it
// zolscramble -d HEX   prints the text of a scrambled value
// The text's bytes are taken as they are: pass Shift-JIS for Japanese text.
#include <cstdio>
#include <cstring>
#include <string>

#include "common/scramble.h"

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--help") != 0) {
    std::printf("%s\n", zol::Scramble(argv[1], 1).c_str());
    return 0;
  }
  if (argc == 3 && std::strcmp(argv[1], "-d") == 0) {
    const std::string text = zol::Scramble(argv[2], 0);
    if (text.empty() && argv[2][0] != '\0') {
      std::fprintf(stderr, "zolscramble: damaged value\n");
      return 1;
    }
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    return 0;
  }
  std::fprintf(stderr, "usage: zolscramble TEXT | zolscramble -d HEX\n");
  return 2;
}
