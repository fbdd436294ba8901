// The decisions a control takes while a drag is over it: when to scroll near its edges and when
// to expand the node the pointer rests on. Both read time from an injectable clock.
#pragma once

#include <functional>
#include <optional>

#include <windows.h>

// Milliseconds from an arbitrary start; GetTickCount64 unless a test injects its own.
using TickClock = std::function<ULONGLONG()>;
ULONGLONG SystemTickClock();

// The directions to scroll: -1 one line left (up), +1 one line right (down), 0 not at all.
struct DragScrollStep {
    int horizontal = 0;
    int vertical = 0;

    bool Any() const noexcept { return horizontal != 0 || vertical != 0; }
};

// Scrolls a line at a time while the pointer is near an edge: within 26 pixels of the left or
// right, within 20 of the top or bottom, at most once every 100 ms, and only along a bar that
// has something to scroll.
class DragAutoScroll {
  public:
    static constexpr int kHorizontalMargin = 26;
    static constexpr int kVerticalMargin = 20;
    static constexpr ULONGLONG kInterval = 100;

    explicit DragAutoScroll(TickClock clock = SystemTickClock);

    // At DragEnter: the first scroll comes no sooner than one interval from now.
    void Start();
    // The step for a pointer at point (client coordinates) over a client area of the given size;
    // a step other than none restarts the interval.
    DragScrollStep Decide(POINT point, SIZE client, bool canScrollHorizontally,
                          bool canScrollVertically);
    // Decide for a window, from its client area and scroll bars, and send it the scroll
    // messages. True when it scrolled.
    bool Scroll(HWND window, POINT point);

  private:
    TickClock clock_;
    ULONGLONG last_ = 0;
};

// True when the window shows its scroll bar (SB_HORZ or SB_VERT) with a range larger than its
// page.
bool CanScroll(HWND window, int bar);

// The system's hover rectangle and time; 2 by 2 pixels and 400 ms where it gives none.
struct HoverSettings {
    SIZE size{2, 2};
    ULONGLONG time = 400;
};
HoverSettings SystemHoverSettings();

// Expands the node the pointer rests on: when the pointer has stayed within the hover rectangle
// centred on the hover point for longer than the hover time.
class DragHoverExpansion {
  public:
    explicit DragHoverExpansion(HoverSettings settings = SystemHoverSettings(),
                                TickClock clock = SystemTickClock);

    // At DragEnter: the next Track sets the hover point.
    void Reset() noexcept { tracking_ = false; }
    // Called in DragOver with the pointer (client coordinates). Answers the hover point whose
    // node is to be expanded now (and the wait starts again at the pointer); nothing otherwise.
    // A pointer outside the rectangle becomes the new hover point and restarts the wait.
    std::optional<POINT> Track(POINT pointer);

    const HoverSettings& Settings() const noexcept { return settings_; }

  private:
    bool Inside(POINT pointer) const noexcept;

    HoverSettings settings_;
    TickClock clock_;
    bool tracking_ = false;
    POINT point_{};
    ULONGLONG since_ = 0;
};
