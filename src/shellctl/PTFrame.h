// A frame without a window of its own: it paints a frame of a chosen style, and optionally a
// one-line caption inside it, on its parent within its bounds, after the parent has painted.
#pragma once

#include <functional>
#include <string>

#include <windows.h>

#include "shellctl/FrameDrawing.h"
#include "shellctl/FrameLook.h"
#include "ui/Color.h"
#include "ui/Window.h"

namespace shellctl {

// Fired after the default drawing, so that the owner can draw more; the canvas's origin is the
// control's top-left corner.
template <class Sender>
using TPTFramePaintEvent = std::function<void(Sender& aSender, HDC aCanvas)>;

class TPTFrame : public FrameLook {
  public:
    explicit TPTFrame(ui::Window& parent, int x = 0, int y = 0, int width = 64, int height = 48);
    ~TPTFrame() override;
    TPTFrame(const TPTFrame&) = delete;
    TPTFrame& operator=(const TPTFrame&) = delete;

    // In the parent's client coordinates.
    RECT Bounds() const noexcept { return bounds_; }
    void SetBounds(int x, int y, int width, int height);
    bool Visible() const noexcept { return visible_; }
    void SetVisible(bool visible);

    const std::wstring& Caption() const noexcept { return caption_; }
    void SetCaption(const std::wstring& caption);
    // Not owned; none means the parent's font.
    HFONT Font() const;
    void SetFont(HFONT font);

    // The area inside the frame lines, in the parent's client coordinates.
    RECT InnerRect() const;
    // Paints the control on a device context whose origin is the control's top-left corner.
    void Paint(HDC dc);

    TPTFramePaintEvent<TPTFrame> OnPaint;
    std::function<void(TPTFrame& aSender)> OnClick;
    std::function<void(TPTFrame& aSender)> OnDblClick;

  protected:
    void LookChanged(Part part) override;

  private:
    static LRESULT CALLBACK ParentProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    LRESULT HandleParentMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void PaintOnParent(HDC dc, HRGN clip);
    bool Contains(LPARAM lParam) const;
    // Redraws the parent under the given part of the control (in the parent's coordinates).
    void InvalidateArea(const RECT& area, bool erase) const;
    void Repaint() const;
    RECT InsetOf(HDC dc) const;

    ui::Window& parent_;
    HWND parentHandle_;
    bool hooked_ = false;
    RECT bounds_;
    bool visible_ = true;
    bool pressed_ = false;
    std::wstring caption_;
    HFONT font_ = nullptr;
};

}  // namespace shellctl
