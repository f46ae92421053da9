// The one place where the console's Shift-JIS (CP932) texts meet Qt's
// Unicode strings.
#pragma once

#include <QString>
#include <string>

#include "common/controls.h"

namespace zol {

// CP932 bytes to a QString; undecodable bytes become U+FFFD.
QString FromSjis(const std::string& bytes);
// A QString to CP932 bytes; characters without a CP932 form become "?"
// (and *held, when given, is set to false).
std::string ToSjis(const QString& text, bool* held = nullptr);

// The operator's typing into a text control: its CP932 form, marked when
// it holds characters that CP932 cannot hold (TextControl::Unheld).
void SetTyped(TextControl& control, const QString& text);

}  // namespace zol
