// Reversible, keyless text scrambler for passwords and mail settings kept in
// the settings file and the device table. Not encryption: it keeps a text
// from being read at a glance and detects damage by a checksum.
#pragma once

#include <string>

namespace zol {

// mode 1 encodes to upper-case hex digits, mode 0 decodes (empty text when
// the checksum does not match); any other mode gives the empty text.
std::string Scramble(const std::string& text, int mode);

}  // namespace zol
