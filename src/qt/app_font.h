// The application font of both programs.
#pragma once

namespace zol {

// A Japanese-capable face when the machine has one.
void UseJapaneseFont();

}  // namespace zol
