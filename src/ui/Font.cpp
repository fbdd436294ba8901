#include "ui/Font.h"

#include <cwchar>

#include "base/Error.h"
#include "ui/DeviceContext.h"

namespace ui {

base::FontHandle CreateUiFont(const wchar_t* face, int points, bool bold) {
    const WindowDc screen;
    const int dpi = screen.Get() != nullptr ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 96;
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
