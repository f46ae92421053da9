// Change detection: which alert a changed item raises and the mail line
// that tells it.
#pragma once

#include <string>

namespace zol {

enum class AlertKind { None, Caution, Alarm, Recovery, TimeOut };

// The alert of an item whose picture changed from old_image to new_image: a
// recovery only when the old picture was a real state (below 9).
AlertKind AlertKindOf(int new_image, int old_image);

// text cut to width bytes or padded with blanks to width bytes.
std::string PadBytes(const std::string& text, size_t width);

// One mail line: outlet + ": " + new text (20 bytes) + "<- " + old text up
// to its "(" (12 bytes) + the outlet's name.
std::string EventLine(int outlet, const std::string& new_text, const std::string& old_text,
                      const std::string& outlet_name);

}  // namespace zol
