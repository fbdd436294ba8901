#include <gtest/gtest.h>

#include <windows.h>

#include "shell/DragTracking.h"

namespace {

struct FakeClock {
    ULONGLONG now = 1000;
    TickClock Clock() {
        return [this] { return now; };
    }
};

}  // namespace

TEST(DragAutoScroll, ScrollsALineNearAnEdgeAtMostEveryIntervalAlongBarsThatCanScroll) {
    FakeClock clock;
    DragAutoScroll scroll(clock.Clock());
    scroll.Start();
    const SIZE client{200, 100};
    const struct Step {
        ULONGLONG time;
        POINT point;
        bool canScrollHorizontally;
        int horizontal, vertical;
    } steps[] = {
        {1050, {5, 50}, true, 0, 0},  // too soon after the drag entered
        {1100, {5, 50}, true, -1, 0},  {1199, {5, 50}, true, 0, 0},
        {1200, {174, 50}, true, 1, 0}, {1300, {173, 19}, true, 0, -1},
        {1400, {100, 80}, true, 0, 1}, {1500, {100, 79}, true, 0, 0},
        {1600, {25, 50}, false, 0, 0}, {1601, {25, 50}, true, -1, 0},
        {1701, {0, 0}, true, -1, -1},
    };
    for (const Step& s : steps) {
        clock.now = s.time;
        const DragScrollStep step = scroll.Decide(s.point, client, s.canScrollHorizontally, true);
        EXPECT_EQ(step.horizontal, s.horizontal) << s.time;
        EXPECT_EQ(step.vertical, s.vertical) << s.time;
    }
}

TEST(DragAutoScroll, ScrollsARealWindowOnlyWhereItsBarHasSomethingToScroll) {
    const HWND list =
        CreateWindowExW(0, L"LISTBOX", L"", WS_POPUP | WS_VSCROLL | LBS_NOINTEGRALHEIGHT, 0, 0, 200,
                        100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(list, nullptr);
    EXPECT_FALSE(CanScroll(list, SB_VERT));
    for (int i = 0; i < 50; ++i) SendMessageW(list, LB_ADDSTRING, 0, LPARAM(L"item"));
    EXPECT_TRUE(CanScroll(list, SB_VERT));
    EXPECT_FALSE(CanScroll(list, SB_HORZ));
    FakeClock clock;
    DragAutoScroll scroll(clock.Clock());
    scroll.Start();
    clock.now += DragAutoScroll::kInterval;
    EXPECT_FALSE(scroll.Scroll(list, {100, 50}));
    EXPECT_TRUE(scroll.Scroll(list, {0, 95}));  // down only: nothing to scroll sideways
    EXPECT_EQ(SendMessageW(list, LB_GETTOPINDEX, 0, 0), 1);
    DestroyWindow(list);
}

TEST(DragHoverExpansion, ExpandsAfterTheHoverTimeWithinACentredRectangle) {
    FakeClock clock;
    DragHoverExpansion hover(HoverSettings{{4, 4}, 400}, clock.Clock());
    const struct Step {
        ULONGLONG time;
        POINT pointer;
        bool expands;
        POINT expanded;
    } steps[] = {
        {0, {10, 10}, false, {}},        // the first pointer becomes the hover point
        {300, {8, 12}, false, {}},       // two pixels off on either side is still inside
        {400, {12, 8}, false, {}},       // not longer than the hover time yet
        {401, {11, 9}, true, {10, 10}},  // expands at the hover point; waits anew at the pointer
        {500, {14, 9}, false, {}},       // three pixels off: outside, the wait restarts
        {900, {14, 9}, false, {}},      {901, {14, 9}, true, {14, 9}},
    };
    for (const Step& s : steps) {
        clock.now = s.time;
        const std::optional<POINT> expand = hover.Track(s.pointer);
        ASSERT_EQ(expand.has_value(), s.expands) << s.time;
        if (expand) {
            EXPECT_TRUE(expand->x == s.expanded.x && expand->y == s.expanded.y);
        }
    }
    hover.Reset();
    clock.now = 5000;
    EXPECT_FALSE(hover.Track({14, 9}));
    const HoverSettings system = SystemHoverSettings();
    EXPECT_TRUE(system.size.cx > 0 && system.size.cy > 0 && system.time > 0);
}
