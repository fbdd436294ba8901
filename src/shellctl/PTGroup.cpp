#include "shellctl/PTGroup.h"

#include <utility>

#include <windowsx.h>

#include "base/Handle.h"
#include "ui/DeviceContext.h"

namespace shellctl {
namespace {
constexpr wchar_t kGroupClass[] = L"TPTGroup";
}  // namespace

TPTGroup::TPTGroup(ui::Window& parent, int x, int y, int width, int height)
    : TPTGroup(parent, x, y, width, height, ptfsGroup) {}

TPTGroup::TPTGroup(ui::Window& parent, int x, int y, int width, int height, TPTFrameStyle style)
    : FrameLook(style) {
    // No redraw-on-resize class styles: the frame repaints only what a resize uncovers.
    RegisterClass(kGroupClass, CS_DBLCLKS, nullptr);
    CreateParams params;
    params.className = kGroupClass;
    params.style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    params.exStyle = WS_EX_CONTROLPARENT;  // tabbing enters the children
    params.SetBounds(x, y, width, height);
    Create(&parent, params);
    FrameChanged();
}

HFONT TPTGroup::DrawingFont() const {
    return Font() != nullptr ? Font() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

RECT TPTGroup::Inset() const {
    int top = 2;
    if (FrameStyle() == ptfsGroup) {
        const ui::WindowDc dc(Handle());
        top = GroupCaptionHeight(dc.Get(), DrawingFont(), !Text().empty());
    }
    return FrameInset(FrameStyle(), top);
}

LRESULT TPTGroup::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_NCCALCSIZE: {
            LRESULT result = DefaultHandler(msg, wParam, lParam);
            RECT& client = wParam ? reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0]
                                  : *reinterpret_cast<RECT*>(lParam);
            client = InnerRect(client, Inset());
            if (client.right < client.left) client.right = client.left;
            if (client.bottom < client.top) client.bottom = client.top;
            if (wParam && (!Text().empty() || styleChanged_)) result |= WVR_REDRAW;
            styleChanged_ = false;
            return result;
        }
        case WM_NCPAINT: {
            const LRESULT result = DefaultHandler(msg, wParam, lParam);
            const ui::WindowDc dc(Handle(), ui::WindowDc::Area::Whole);
            if (dc.Get() != nullptr) PaintNonClient(dc.Get());
            return result;
        }
        case WM_ERASEBKGND:
            if (DefaultDrawing()) EraseClient(reinterpret_cast<HDC>(wParam));
            return 1;
        case WM_PAINT: {
            const ui::PaintScope paint(Handle());
            PaintClient(paint.Dc());
            return 0;
        }
        case WM_PRINT:
            Print(reinterpret_cast<HDC>(wParam), lParam);
            return 0;
        case WM_PRINTCLIENT:
            PaintClient(reinterpret_cast<HDC>(wParam));
            return 0;
        case WM_ENABLE:
            for (HWND child = GetWindow(Handle(), GW_CHILD); child != nullptr;
                 child = GetWindow(child, GW_HWNDNEXT))
                EnableWindow(child, BOOL(wParam));
            Changed();
            return 0;
        case WM_SETTEXT: {
            const LRESULT result = DefaultHandler(msg, wParam, lParam);
            Changed();
            return result;
        }
        case WM_SETFONT:
            if (FrameStyle() == ptfsGroup) FrameChanged();
            Invalidate();
            return 0;
        case WM_LBUTTONDOWN:
            pressed_ = true;
            break;
        case WM_LBUTTONUP: {
            const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            const RECT client = ClientRect();
            if (std::exchange(pressed_, false) && PtInRect(&client, point) && OnClick)
                OnClick(*this);
            break;
        }
        case WM_LBUTTONDBLCLK:
            if (OnDblClick) OnDblClick(*this);
            break;
    }
    return Window::HandleMessage(msg, wParam, lParam);
}

void TPTGroup::EraseClient(HDC dc) { FillSolid(dc, ClientRect(), Background()); }

void TPTGroup::PaintClient(HDC dc) {
    if (FrameStyle() != ptfsGroup) DrawLookCaption(dc, ClientRect(), DrawingFont(), Text());
    if (OnPaint) OnPaint(*this, dc);
}

void TPTGroup::PaintNonClient(HDC dc) {
    RECT window{};
    GetWindowRect(Handle(), &window);
    const RECT whole{0, 0, window.right - window.left, window.bottom - window.top};
    const RECT client = InnerRect(whole, Inset());
    const base::SavedDc saved(dc);
    ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);
    if (FrameStyle() == ptfsGroup) {
        DrawGroupFrame(
            dc, whole,
            {Text(), DrawingFont(), ui::ColorToRgb(FontColor()), Background(), Enabled()});
    } else {
        DrawFrame(dc, whole, FrameStyle());
    }
}

// Renders the window into a device context (WM_PRINT), as the platform does for windows that
// paint themselves.
void TPTGroup::Print(HDC dc, LPARAM flags) {
    if ((flags & PRF_CHECKVISIBLE) && !Visible()) return;
    if (flags & PRF_NONCLIENT) PaintNonClient(dc);
    if (!(flags & (PRF_ERASEBKGND | PRF_CLIENT))) return;
    const RECT inset = Inset();
    const base::SavedDc saved(dc);
    OffsetViewportOrgEx(dc, inset.left, inset.top, nullptr);
    const RECT client = ClientRect();
    IntersectClipRect(dc, client.left, client.top, client.right, client.bottom);
    if ((flags & PRF_ERASEBKGND) && DefaultDrawing()) EraseClient(dc);
    if (flags & PRF_CLIENT) PaintClient(dc);
}

void TPTGroup::FrameChanged() {
    if (Handle() == nullptr) return;
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TPTGroup::Changed() {
    Invalidate();
    if (FrameStyle() == ptfsGroup) FrameChanged();
}

void TPTGroup::LookChanged(Part part) {
    switch (part) {
        case Part::Colors:
            Changed();
            break;
        case Part::Layout:
            Invalidate();
            break;
        case Part::Style:
            // The frame's size changes with the style: the platform recomputes the non-client
            // area and redraws the whole window, children included.
            styleChanged_ = true;
            FrameChanged();
            RedrawWindow(Handle(), nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
            break;
    }
}

TPTPane::TPTPane(ui::Window& parent, int x, int y, int width, int height)
    : TPTGroup(parent, x, y, width, height, ptfsLowered) {}

}  // namespace shellctl
