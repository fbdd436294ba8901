#include "shell/DragTracking.h"

#include <cstdlib>

ULONGLONG SystemTickClock() { return GetTickCount64(); }

DragAutoScroll::DragAutoScroll(TickClock clock) : clock_(std::move(clock)) {}

void DragAutoScroll::Start() { last_ = clock_(); }

DragScrollStep DragAutoScroll::Decide(POINT point, SIZE client, bool canScrollHorizontally,
                                      bool canScrollVertically) {
    const ULONGLONG now = clock_();
    if (now - last_ < kInterval) return {};
    DragScrollStep step;
    if (canScrollHorizontally) {
        if (point.x < kHorizontalMargin)
            step.horizontal = -1;
        else if (client.cx - 1 - point.x < kHorizontalMargin)
            step.horizontal = 1;
    }
    if (canScrollVertically) {
        if (point.y < kVerticalMargin)
            step.vertical = -1;
        else if (client.cy - 1 - point.y < kVerticalMargin)
            step.vertical = 1;
    }
    if (step.Any()) last_ = now;
    return step;
}

bool DragAutoScroll::Scroll(HWND window, POINT point) {
    RECT client{};
    if (!GetClientRect(window, &client)) return false;
    const DragScrollStep step = Decide(point, SIZE{client.right, client.bottom},
                                       CanScroll(window, SB_HORZ), CanScroll(window, SB_VERT));
    if (step.horizontal != 0)
        SendMessageW(window, WM_HSCROLL, step.horizontal < 0 ? SB_LINELEFT : SB_LINERIGHT, 0);
    if (step.vertical != 0)
        SendMessageW(window, WM_VSCROLL, step.vertical < 0 ? SB_LINEUP : SB_LINEDOWN, 0);
    return step.Any();
}

bool CanScroll(HWND window, int bar) {
    // A hidden bar keeps a range of its own; only a shown one scrolls anything.
    const LONG_PTR shown = bar == SB_HORZ ? WS_HSCROLL : WS_VSCROLL;
    if ((GetWindowLongPtrW(window, GWL_STYLE) & shown) == 0) return false;
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE;
    if (!GetScrollInfo(window, bar, &info) || info.nMax <= info.nMin) return false;
    return static_cast<long long>(info.nMax) - info.nMin + 1 > static_cast<long long>(info.nPage);
}

HoverSettings SystemHoverSettings() {
    HoverSettings settings;
    UINT width = 0, height = 0, time = 0;
    if (SystemParametersInfoW(SPI_GETMOUSEHOVERWIDTH, 0, &width, 0) && width != 0)
        settings.size.cx = static_cast<LONG>(width);
    if (SystemParametersInfoW(SPI_GETMOUSEHOVERHEIGHT, 0, &height, 0) && height != 0)
        settings.size.cy = static_cast<LONG>(height);
    if (SystemParametersInfoW(SPI_GETMOUSEHOVERTIME, 0, &time, 0) && time != 0)
        settings.time = time;
    return settings;
}

DragHoverExpansion::DragHoverExpansion(HoverSettings settings, TickClock clock)
    : settings_(settings), clock_(std::move(clock)) {}

bool DragHoverExpansion::Inside(POINT pointer) const noexcept {
    return 2 * std::labs(pointer.x - point_.x) <= settings_.size.cx &&
           2 * std::labs(pointer.y - point_.y) <= settings_.size.cy;
}

std::optional<POINT> DragHoverExpansion::Track(POINT pointer) {
    const ULONGLONG now = clock_();
    if (!tracking_ || !Inside(pointer)) {
        tracking_ = true;
        point_ = pointer;
        since_ = now;
        return std::nullopt;
    }
    if (now - since_ <= settings_.time) return std::nullopt;
    const POINT expand = point_;
    point_ = pointer;
    since_ = now;
    return expand;
}
