#include "shellctl/FrameLook.h"

#include "base/Handle.h"

namespace shellctl {

void FrameLook::SetColor(ui::Color color) {
    if (color == color_) return;
    color_ = color;
    LookChanged(Part::Colors);
}

void FrameLook::SetFontColor(ui::Color color) {
    if (color == fontColor_) return;
    fontColor_ = color;
    LookChanged(Part::Colors);
}

void FrameLook::SetAlignment(CaptionAlignment alignment) {
    if (alignment == alignment_) return;
    alignment_ = alignment;
    LookChanged(Part::Layout);
}

void FrameLook::SetDefaultDrawing(bool value) {
    if (value == defaultDrawing_) return;
    defaultDrawing_ = value;
    LookChanged(Part::Layout);
}

void FrameLook::SetFrameSpace(int space) {
    if (space == frameSpace_) return;
    frameSpace_ = space;
    LookChanged(Part::Layout);
}

void FrameLook::SetFrameStyle(TPTFrameStyle style) {
    if (style == frameStyle_) return;
    frameStyle_ = style;
    LookChanged(Part::Style);
}

COLORREF FrameLook::Background() const noexcept {
    return color_ == ui::kColorNone ? CLR_INVALID : ui::ColorToRgb(color_);
}

void FrameLook::DrawLookCaption(HDC dc, const RECT& inner, HFONT font,
                                const std::wstring& text) const {
    if (!defaultDrawing_) return;
    base::SelectGuard select(dc, font);
    const int mode = SetBkMode(dc, TRANSPARENT);
    const COLORREF color = SetTextColor(dc, ui::ColorToRgb(fontColor_));
    DrawFrameCaption(dc, inner, frameSpace_, alignment_, text);
    SetTextColor(dc, color);
    SetBkMode(dc, mode);
}

}  // namespace shellctl
