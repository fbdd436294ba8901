// Colours of controls: a plain RGB value, a system colour role that follows the user's colour
// scheme, or none (transparent: nothing is painted).
#pragma once

#include <cstdint>

#include <windows.h>

namespace ui {

using Color = std::uint32_t;

// No colour: the control leaves its background as it is.
constexpr Color kColorNone = 0x1FFFFFFF;

// A system colour role (COLOR_BTNFACE, COLOR_WINDOW, ...).
constexpr Color SystemColor(int index) noexcept { return 0x80000000u | Color(index & 0xFF); }
constexpr bool IsSystemColor(Color color) noexcept { return (color & 0x80000000u) != 0; }

// The RGB value of a colour now: a system colour is looked up in the current scheme; none
// gives black.
COLORREF ColorToRgb(Color color) noexcept;

}  // namespace ui
