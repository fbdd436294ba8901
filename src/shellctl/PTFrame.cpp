#include "shellctl/PTFrame.h"

#include <algorithm>

#include <commctrl.h>
#include <windowsx.h>

#include "ui/Application.h"
#include "base/Error.h"
#include "base/Handle.h"
#include "ui/DeviceContext.h"

namespace shellctl {

TPTFrame::TPTFrame(ui::Window& parent, int x, int y, int width, int height)
    : FrameLook(ptfsLowered),
      parent_(parent),
      parentHandle_(parent.Handle()),
      bounds_{x, y, x + width, y + height} {
    if (parentHandle_ == nullptr) throw base::Error(L"The frame's parent has no window");
    if (!SetWindowSubclass(parentHandle_, ParentProc, reinterpret_cast<UINT_PTR>(this),
                           reinterpret_cast<DWORD_PTR>(this)))
        base::ThrowLastError();
    hooked_ = true;
    InvalidateArea(bounds_, false);
}

TPTFrame::~TPTFrame() {
    if (!hooked_) return;
    RemoveWindowSubclass(parentHandle_, ParentProc, reinterpret_cast<UINT_PTR>(this));
    if (visible_) InvalidateArea(bounds_, true);
}

LRESULT CALLBACK TPTFrame::ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR refData) {
    auto* frame = reinterpret_cast<TPTFrame*>(refData);
    try {
        return frame->HandleParentMessage(hwnd, msg, wParam, lParam);
    } catch (...) {
        ui::App().HandleCurrentException();
    }
    return 0;
}

LRESULT TPTFrame::HandleParentMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_PAINT: {
            // The parent paints first, then the frame paints over its own part of what was
            // invalid.
            base::UniqueHandle<base::handle_policy::Gdi<HRGN>> update(CreateRectRgn(0, 0, 0, 0));
            const int kind = GetUpdateRgn(hwnd, update.Get(), FALSE);
            const LRESULT result = DefSubclassProc(hwnd, msg, wParam, lParam);
            if (visible_ && kind != NULLREGION && kind != ERROR) {
                const ui::WindowDc dc(hwnd);
                PaintOnParent(dc.Get(), update.Get());
            }
            return result;
        }
        case WM_PRINTCLIENT: {
            const LRESULT result = DefSubclassProc(hwnd, msg, wParam, lParam);
            if (visible_) PaintOnParent(reinterpret_cast<HDC>(wParam), nullptr);
            return result;
        }
        case WM_LBUTTONDOWN:
            if (!Contains(lParam)) break;
            pressed_ = true;
            return 0;
        case WM_LBUTTONUP:
            if (!pressed_) break;
            pressed_ = false;
            if (!Contains(lParam)) break;
            if (OnClick) OnClick(*this);
            return 0;
        case WM_LBUTTONDBLCLK:
            if (!Contains(lParam)) break;
            if (OnDblClick) OnDblClick(*this);
            return 0;
        case WM_NCDESTROY:
            // The platform removes the subclass with the window.
            hooked_ = false;
            break;
    }
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

void TPTFrame::PaintOnParent(HDC dc, HRGN clip) {
    const base::SavedDc saved(dc);
    if (clip != nullptr) ExtSelectClipRgn(dc, clip, RGN_AND);
    IntersectClipRect(dc, bounds_.left, bounds_.top, bounds_.right, bounds_.bottom);
    OffsetViewportOrgEx(dc, bounds_.left, bounds_.top, nullptr);
    Paint(dc);
}

bool TPTFrame::Contains(LPARAM lParam) const {
    const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    return visible_ && PtInRect(&bounds_, point);
}

void TPTFrame::Paint(HDC dc) {
    const RECT rect{0, 0, bounds_.right - bounds_.left, bounds_.bottom - bounds_.top};
    if (DefaultDrawing()) FillSolid(dc, rect, Background());
    if (FrameStyle() == ptfsGroup) {
        DrawGroupFrame(dc, rect, {caption_, Font(), ui::ColorToRgb(FontColor()), Background()});
        return;
    }
    DrawFrame(dc, rect, FrameStyle());
    DrawLookCaption(dc, ::shellctl::InnerRect(rect, InsetOf(dc)), Font(), caption_);
    if (OnPaint) OnPaint(*this, dc);
}

RECT TPTFrame::InsetOf(HDC dc) const {
    return FrameInset(FrameStyle(), GroupCaptionHeight(dc, Font(), !caption_.empty()));
}

RECT TPTFrame::InnerRect() const {
    const ui::WindowDc screen;
    return ::shellctl::InnerRect(bounds_, InsetOf(screen.Get()));
}

void TPTFrame::InvalidateArea(const RECT& area, bool erase) const {
    if (hooked_) InvalidateRect(parentHandle_, &area, erase);
}

void TPTFrame::Repaint() const {
    if (!hooked_ || !visible_) return;
    InvalidateArea(bounds_, false);
    UpdateWindow(parentHandle_);
}

void TPTFrame::SetBounds(int x, int y, int width, int height) {
    if (visible_) InvalidateArea(bounds_, true);
    bounds_ = {x, y, x + std::max(width, 0), y + std::max(height, 0)};
    if (visible_) InvalidateArea(bounds_, false);
}

void TPTFrame::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    InvalidateArea(bounds_, !visible);
}

void TPTFrame::SetCaption(const std::wstring& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    LookChanged(Part::Colors);
}

HFONT TPTFrame::Font() const {
    if (font_ != nullptr) return font_;
    if (parent_.Font() != nullptr) return parent_.Font();
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void TPTFrame::SetFont(HFONT font) {
    font_ = font;
    LookChanged(Part::Colors);
}

// Caption, colours and font affect only the inside of the frame, redrawn without erasing so that
// the frame lines do not flicker; except in a group frame, whose caption sits in its top edge.
void TPTFrame::LookChanged(Part part) {
    if (part != Part::Colors) {
        Repaint();
    } else if (visible_) {
        InvalidateArea(FrameStyle() == ptfsGroup ? bounds_ : InnerRect(), false);
    }
}

}  // namespace shellctl
