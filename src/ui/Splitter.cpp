#include "ui/Splitter.h"

#include <algorithm>

#include <windowsx.h>

#include "base/Error.h"

namespace ui {
namespace {
constexpr wchar_t kSplitterClass[] = L"LumoraSplitter";
}

Splitter::Splitter(Window& parent, Align align, Window& control, int minSize, int thickness)
    : control_(control), minSize_(minSize) {
    if (align == Align::None || align == Align::Client)
        throw base::Error(L"A splitter must be aligned to an edge");
    RegisterClass(kSplitterClass, CS_DBLCLKS, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    CreateParams params;
    params.className = kSplitterClass;
    params.style = WS_CHILD | WS_VISIBLE;
    params.width = thickness;
    params.height = thickness;
    Create(&parent, params);
    SetAlign(align);
}

bool Splitter::Horizontal() const noexcept {
    return GetAlign() == Align::Left || GetAlign() == Align::Right;
}

int Splitter::ControlSize() const { return Horizontal() ? control_.Width() : control_.Height(); }

int Splitter::RestExtent() const {
    const RECT client = Parent()->ClientRect();
    int rest = Horizontal() ? client.right - client.left : client.bottom - client.top;
    for (Window* sibling : Parent()->Children()) {
        if (!sibling->Visible()) continue;
        const Align align = sibling->GetAlign();
        if (Horizontal() && (align == Align::Left || align == Align::Right))
            rest -= sibling->Width();
        if (!Horizontal() && (align == Align::Top || align == Align::Bottom))
            rest -= sibling->Height();
    }
    return rest;
}

int Splitter::RestMinimum() const {
    int minimum = minSize_;
    for (Window* sibling : Parent()->Children()) {
        if (sibling->Visible() && sibling->GetAlign() == Align::Client) {
            const SizeConstraints& c = sibling->Constraints();
            minimum = std::max(minimum, Horizontal() ? c.minWidth : c.minHeight);
        }
    }
    return minimum;
}

int Splitter::MoveBy(int delta) {
    if (Parent() == nullptr || delta == 0) return ControlSize();
    const int size = ControlSize();
    // Moving towards the control makes it smaller.
    const bool controlBefore = GetAlign() == Align::Left || GetAlign() == Align::Top;
    int wanted = controlBefore ? size + delta : size - delta;
    const SizeConstraints& c = control_.Constraints();
    const int lowest = std::max(minSize_, Horizontal() ? c.minWidth : c.minHeight);
    const int highest = size + RestExtent() - RestMinimum();
    if (highest < lowest) return size;
    wanted = std::clamp(wanted, lowest, highest);
    if (wanted == size) return size;
    if (Horizontal()) {
        control_.SetWidth(wanted);
    } else {
        control_.SetHeight(wanted);
    }
    Parent()->Realign();
    if (OnMoved) OnMoved(*this);
    return wanted;
}

int Splitter::Coordinate(LPARAM lParam) const {
    POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    MapWindowPoints(Handle(), Parent()->Handle(), &point, 1);
    return Horizontal() ? point.x : point.y;
}

LRESULT Splitter::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_SETCURSOR:
            if (LOWORD(lParam) == HTCLIENT) {
                SetCursor(LoadCursorW(nullptr, Horizontal() ? IDC_SIZEWE : IDC_SIZENS));
                return TRUE;
            }
            break;
        case WM_LBUTTONDOWN:
            dragging_ = true;
            dragOrigin_ = Coordinate(lParam);
            SetCapture(Handle());
            return 0;
        case WM_MOUSEMOVE:
            if (dragging_) {
                const int position = Coordinate(lParam);
                const int before = ControlSize();
                const int after = MoveBy(position - dragOrigin_);
                // Follow the bar only as far as it really moved.
                const bool controlBefore = GetAlign() == Align::Left || GetAlign() == Align::Top;
                dragOrigin_ += controlBefore ? after - before : before - after;
            }
            return 0;
        case WM_LBUTTONUP:
        case WM_CAPTURECHANGED:
            if (dragging_) {
                dragging_ = false;
                if (GetCapture() == Handle()) ReleaseCapture();
            }
            return 0;
    }
    return Window::HandleMessage(msg, wParam, lParam);
}

}  // namespace ui
