// Fonts for the windows of the program.
#pragma once

#include "base/Handle.h"

namespace ui {

// A font of the given face and point size for the screen.
base::FontHandle CreateUiFont(const wchar_t* face, int points, bool bold = false);

}  // namespace ui
