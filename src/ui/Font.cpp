#include "ui/Font.h"

#include <cwchar>

#include "base/Error.h"

namespace ui {

base::FontHandle CreateUiFont(const wchar_t* face, int points, bool bold) {
    HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen != nullptr) ReleaseDC(nullptr, screen);
    LOGFONTW font{};
    font.lfHeight = -MulDiv(points, dpi, 72);
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = DEFAULT_QUALITY;
    wcsncpy(font.lfFaceName, face, LF_FACESIZE - 1);
    base::FontHandle handle(CreateFontIndirectW(&font));
    if (!handle) base::ThrowLastError();
    return handle;
}

}  // namespace ui
