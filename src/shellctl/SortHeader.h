// The sort mark in a list view's column headers: which header items are the platform's own
// text items (with its sort arrows) and which we draw, where the text and the arrow go in an
// item we draw, and the arrow itself.
#pragma once

#include <windows.h>

#include "shellctl/ControlVersions.h"

namespace shellctl {

enum TPTLvHeaderSortDisplayMode { ptlvNone, ptlvLeftAlign, ptlvRightOfText, ptlvRightAlign };

// The box the arrow is drawn in; a column shows the arrow only when it is more than twice as
// wide.
constexpr int kSortArrowSize = 8;

// Whether the header's own items are used: always without a sort mark, and for the mark right
// of the text where the platform draws sort arrows itself (common controls 6).
bool UsesNativeSortMarks(TPTLvHeaderSortDisplayMode mode, ModuleVersion commonControls);

// The format of a header item for the sort settings, keeping the item's alignment.
// direction: 1 ascending, 0 descending.
int SortHeaderItemFormat(int format, bool isSortColumn, int direction,
                         TPTLvHeaderSortDisplayMode mode, ModuleVersion commonControls);

struct SortHeaderItemLayout {
    RECT text;  // where the caption is drawn (one line, ellipsis at the end)
    RECT arrow;
    bool showArrow;
};
// Lays out a header item we draw. item is the item's rectangle, textWidth the width of its
// caption, alignment its HDF_JUSTIFYMASK bits.
SortHeaderItemLayout LayoutSortHeaderItem(const RECT& item, int textWidth, int alignment,
                                          bool isSortColumn, TPTLvHeaderSortDisplayMode mode);

// A raised triangle on the button face in the box: shadow on its upper and left edges,
// highlight on the others; pointing up when ascending.
void DrawSortArrow(HDC dc, const RECT& box, bool ascending);

}  // namespace shellctl
