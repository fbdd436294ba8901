#include "shellctl/SortHeader.h"

#include <gtest/gtest.h>

#include "TestCanvas.h"
#include "ViewTestSupport.h"
#include "shellctl/PTCustomListView.h"

namespace shellctl {
namespace {

using testing_support::TestCanvas;

constexpr ModuleVersion kVersion6{6, 0};
constexpr ModuleVersion kVersion5{5, 81};

TEST(SortHeader, NativeItemsCarryTheArrowOnlyWhereThePlatformDrawsIt) {
    const struct {
        int format;
        bool sortColumn;
        int direction;
        TPTLvHeaderSortDisplayMode mode;
        ModuleVersion version;
        int expected;
    } cases[] = {
        {HDF_STRING, true, 1, ptlvRightOfText, kVersion6, HDF_STRING | HDF_SORTUP},
        {HDF_STRING | HDF_RIGHT, true, 0, ptlvRightOfText, kVersion6,
         HDF_STRING | HDF_RIGHT | HDF_SORTDOWN},
        {HDF_STRING | HDF_SORTUP, false, 1, ptlvRightOfText, kVersion6, HDF_STRING},
        {HDF_OWNERDRAW | HDF_CENTER, true, 1, ptlvNone, kVersion6, HDF_STRING | HDF_CENTER},
        {HDF_STRING | HDF_CENTER, true, 1, ptlvRightOfText, kVersion5, HDF_OWNERDRAW | HDF_CENTER},
        {HDF_STRING | HDF_SORTDOWN, true, 1, ptlvLeftAlign, kVersion6, HDF_OWNERDRAW},
        {HDF_STRING | HDF_RIGHT, false, 1, ptlvRightAlign, kVersion6, HDF_OWNERDRAW | HDF_RIGHT},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SortHeaderItemFormat(c.format, c.sortColumn, c.direction, c.mode, c.version),
                  c.expected)
            << "mode " << c.mode << " format " << c.format;
    }
}

TEST(SortHeader, TheArrowSitsWhereTheModeSays) {
    const RECT item{100, 0, 200, 20};  // text area 106..194, rows 2..18
    const struct {
        TPTLvHeaderSortDisplayMode mode;
        int alignment;
        int textWidth;
        LONG arrowLeft, textLeft, textRight;
    } cases[] = {
        {ptlvLeftAlign, HDF_LEFT, 30, 106, 119, 194},
        {ptlvRightOfText, HDF_LEFT, 30, 141, 106, 136},
        {ptlvRightOfText, HDF_RIGHT, 30, 186, 106, 182},
        {ptlvRightOfText, HDF_LEFT, 500, 186, 106, 181},  // a long text leaves room
        {ptlvRightAlign, HDF_LEFT, 30, 186, 106, 182},
    };
    for (const auto& c : cases) {
        const auto layout = LayoutSortHeaderItem(item, c.textWidth, c.alignment, true, c.mode);
        ASSERT_TRUE(layout.showArrow) << c.mode;
        EXPECT_EQ(layout.arrow.left, c.arrowLeft) << c.mode;
        EXPECT_EQ(layout.arrow.right - layout.arrow.left, kSortArrowSize);
        EXPECT_EQ(layout.arrow.top, 6);
        EXPECT_EQ(layout.text.left, c.textLeft) << c.mode;
        EXPECT_EQ(layout.text.right, c.textRight) << c.mode;
    }
    // Other columns, and sort columns no wider than twice the arrow, show none.
    EXPECT_FALSE(LayoutSortHeaderItem(item, 30, HDF_LEFT, false, ptlvRightAlign).showArrow);
    const RECT narrow{0, 0, 2 * kSortArrowSize, 20};
    EXPECT_FALSE(LayoutSortHeaderItem(narrow, 5, HDF_LEFT, true, ptlvRightAlign).showArrow);
    const RECT justWide{0, 0, 2 * kSortArrowSize + 1, 20};
    EXPECT_TRUE(LayoutSortHeaderItem(justWide, 5, HDF_LEFT, true, ptlvRightAlign).showArrow);
}

// The arrow in a header item as seen on the screen. Its shadow-coloured edges give it away
// whatever the header's background: the upper and left edges, so an arrow pointing down has a
// horizontal run of shadow (its base) and one pointing up only a slope.
struct ArrowSeen {
    int pixels = 0;
    bool pointsUp = false;
};

ArrowSeen FindArrow(const TestCanvas& canvas, RECT area) {
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    InflateRect(&area, -2, -2);  // inside the header's own edges
    ArrowSeen seen;
    seen.pixels = canvas.Count(area, shadow);
    int widest = 0;
    for (LONG y = area.top; y < area.bottom; ++y)
        widest = std::max(widest, canvas.Count({area.left, y, area.right, y + 1}, shadow));
    seen.pointsUp = seen.pixels > 0 && widest <= 2;
    return seen;
}

TEST(SortHeader, TheHeaderShowsTheArrowOnTheSortColumnOnly) {
    testing_support::ViewForm form;
    for (auto mode : {ptlvLeftAlign, ptlvRightOfText, ptlvRightAlign, ptlvNone}) {
        SCOPED_TRACE(testing::Message() << "mode " << mode);
        testing_support::MadeView<TPTCustomListView> list(form, {0, 0, 300, 200});
        list.SetHeaderSortDisplayMode(mode);
        list.SetSortColumn(0);
        list.SetSortDirection(1);
        // Columns made after the sort settings, as a list that rebuilds its columns makes them.
        list.AddColumn(L"Name", 100);
        list.AddColumn(L"Size", 100, LVCFMT_RIGHT);
        list.AddColumn(L"X", 2 * kSortArrowSize);
        HWND header = list.Header();
        ASSERT_NE(header, nullptr);
        for (int column = 0; column < 3; ++column) {
            HDITEMW item{};
            item.mask = HDI_FORMAT;
            SendMessageW(header, HDM_GETITEMW, column, LPARAM(&item));
            const bool native = UsesNativeSortMarks(mode, CommonControlsVersion());
            EXPECT_EQ((item.fmt & HDF_OWNERDRAW) != 0, !native) << column;
            EXPECT_EQ(item.fmt & HDF_JUSTIFYMASK, column == 1 ? HDF_RIGHT : HDF_LEFT);
            if (mode == ptlvNone) {
                EXPECT_EQ(item.fmt & (HDF_SORTUP | HDF_SORTDOWN), 0);
            }
        }
        if (UsesNativeSortMarks(mode, CommonControlsVersion()) && mode != ptlvNone) continue;

        auto arrows = [&] {
            RECT bounds{};
            GetClientRect(header, &bounds);
            TestCanvas canvas(bounds.right, bounds.bottom, RGB(0, 0, 255));
            SendMessageW(header, WM_PRINTCLIENT, WPARAM(canvas.Dc()), PRF_CLIENT);
            std::vector<ArrowSeen> seen;
            for (int column = 0; column < 3; ++column) {
                RECT item{};
                SendMessageW(header, HDM_GETITEMRECT, column, LPARAM(&item));
                seen.push_back(FindArrow(canvas, item));
            }
            return seen;
        };
        auto seen = arrows();
        const bool shown = mode != ptlvNone;
        EXPECT_EQ(seen[0].pixels > 0, shown);
        EXPECT_EQ(seen[0].pointsUp, shown);
        EXPECT_EQ(seen[1].pixels, 0);
        EXPECT_EQ(seen[2].pixels, 0);

        list.SetSortColumn(1);
        list.SetSortDirection(0);
        seen = arrows();
        EXPECT_EQ(seen[0].pixels, 0);
        EXPECT_EQ(seen[1].pixels > 0, shown);
        EXPECT_FALSE(seen[1].pointsUp);

        // Too narrow for the arrow.
        list.SetSortColumn(2);
        seen = arrows();
        for (const ArrowSeen& column : seen) EXPECT_EQ(column.pixels, 0);
    }
}

}  // namespace
}  // namespace shellctl
