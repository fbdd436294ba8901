#include "shellctl/SortHeader.h"

#include <algorithm>

#include <commctrl.h>

#include "shellctl/FrameDrawing.h"
#include "base/Handle.h"

namespace shellctl {

bool UsesNativeSortMarks(TPTLvHeaderSortDisplayMode mode, ModuleVersion commonControls) {
    return mode == ptlvNone || (mode == ptlvRightOfText && commonControls >= ModuleVersion{6, 0});
}

int SortHeaderItemFormat(int format, bool isSortColumn, int direction,
                         TPTLvHeaderSortDisplayMode mode, ModuleVersion commonControls) {
    const int alignment = format & HDF_JUSTIFYMASK;
    if (!UsesNativeSortMarks(mode, commonControls)) return HDF_OWNERDRAW | alignment;
    int result = HDF_STRING | alignment;
    // "None" shows no mark at all.
    if (isSortColumn && mode != ptlvNone) result |= direction == 1 ? HDF_SORTUP : HDF_SORTDOWN;
    return result;
}

SortHeaderItemLayout LayoutSortHeaderItem(const RECT& item, int textWidth, int alignment,
                                          bool isSortColumn, TPTLvHeaderSortDisplayMode mode) {
    RECT area = item;
    InflateRect(&area, -2, -2);
    SortHeaderItemLayout layout{area, {}, false};
    RECT& text = layout.text;
    text.left += 4;
    text.right -= 4;
    const LONG width = item.right - item.left;
    layout.showArrow = isSortColumn && mode != ptlvNone && width > 2 * kSortArrowSize;
    if (mode == ptlvLeftAlign && width <= 15) layout.showArrow = false;
    if (!layout.showArrow) return layout;

    RECT& box = layout.arrow;
    box.top = area.top + (area.bottom - area.top - kSortArrowSize) / 2;
    box.bottom = box.top + kSortArrowSize;
    const bool rightAligned = (alignment & HDF_JUSTIFYMASK) == HDF_RIGHT;
    if (mode == ptlvLeftAlign) {
        box.left = text.left;
        text.left = box.left + kSortArrowSize + 5;
    } else if (mode == ptlvRightAlign || rightAligned) {
        box.left = text.right - kSortArrowSize;
        text.right = box.left - 4;
    } else {
        // The arrow follows the text; a long text makes room for it.
        const LONG room = std::max<LONG>(text.right - text.left - kSortArrowSize - 5, 0);
        const LONG drawn = std::min<LONG>(textWidth, room);
        if ((alignment & HDF_JUSTIFYMASK) == HDF_CENTER) text.left += (room - drawn) / 2;
        text.right = text.left + drawn;
        box.left = text.right + 5;
    }
    box.right = box.left + kSortArrowSize;
    return layout;
}

void DrawSortArrow(HDC dc, const RECT& box, bool ascending) {
    FillSolid(dc, box, GetSysColor(COLOR_BTNFACE));
    base::PenHandle shadow(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW)));
    base::PenHandle light(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT)));
    // A triangle seven pixels wide and six high, in the middle of the box.
    const LONG left = box.left, right = box.left + 6, middle = box.left + 3;
    const LONG top = box.top + 1, bottom = box.top + 6;
    base::SelectGuard select(dc, shadow.Get());
    if (ascending) {
        MoveToEx(dc, left, bottom, nullptr);
        LineTo(dc, middle, top);
        SelectObject(dc, light.Get());
        LineTo(dc, right, bottom);
        LineTo(dc, left, bottom);
    } else {
        MoveToEx(dc, right, top, nullptr);
        LineTo(dc, left, top);
        LineTo(dc, middle, bottom);
        SelectObject(dc, light.Get());
        LineTo(dc, right, top);
    }
}

}  // namespace shellctl
