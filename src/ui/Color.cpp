#include "ui/Color.h"

namespace ui {

COLORREF ColorToRgb(Color color) noexcept {
    if (color == kColorNone) return RGB(0, 0, 0);
    if (IsSystemColor(color)) return GetSysColor(int(color & 0xFF));
    return COLORREF(color & 0x00FFFFFF);
}

}  // namespace ui
