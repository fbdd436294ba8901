// The look shared by the frame and the group controls: colours, caption alignment, default
// drawing, frame space and frame style. Each control decides what a change repaints.
#pragma once

#include <string>

#include <windows.h>

#include "shellctl/FrameDrawing.h"
#include "ui/Color.h"

namespace shellctl {

class FrameLook {
  public:
    virtual ~FrameLook() = default;

    // The background; none leaves the parent's background.
    ui::Color Color() const noexcept { return color_; }
    void SetColor(ui::Color color);
    ui::Color FontColor() const noexcept { return fontColor_; }
    void SetFontColor(ui::Color color);
    // The horizontal alignment of the caption.
    CaptionAlignment Alignment() const noexcept { return alignment_; }
    void SetAlignment(CaptionAlignment alignment);
    // Whether the background and the caption are drawn.
    bool DefaultDrawing() const noexcept { return defaultDrawing_; }
    void SetDefaultDrawing(bool value);
    // The caption's margin, left and right, inside the frame.
    int FrameSpace() const noexcept { return frameSpace_; }
    void SetFrameSpace(int space);
    TPTFrameStyle FrameStyle() const noexcept { return frameStyle_; }
    void SetFrameStyle(TPTFrameStyle style);

  protected:
    explicit FrameLook(TPTFrameStyle style) noexcept : frameStyle_(style) {}

    enum class Part { Colors, Layout, Style };
    virtual void LookChanged(Part part) = 0;

    // The background as an RGB value, CLR_INVALID for none.
    COLORREF Background() const noexcept;
    // The caption in the inner area, with default drawing.
    void DrawLookCaption(HDC dc, const RECT& inner, HFONT font, const std::wstring& text) const;

  private:
    ui::Color color_ = ui::SystemColor(COLOR_BTNFACE);
    ui::Color fontColor_ = ui::SystemColor(COLOR_BTNTEXT);
    CaptionAlignment alignment_ = CaptionAlignment::Centre;
    bool defaultDrawing_ = true;
    int frameSpace_ = 2;
    TPTFrameStyle frameStyle_;
};

}  // namespace shellctl
