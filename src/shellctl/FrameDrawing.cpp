#include "shellctl/FrameDrawing.h"

#include <algorithm>

#include "base/Handle.h"

namespace shellctl {
namespace {

struct Roles {
    COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    COLORREF darkShadow = GetSysColor(COLOR_3DDKSHADOW);
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    COLORREF frame = GetSysColor(COLOR_WINDOWFRAME);
};

void HorzLine(HDC dc, LONG left, LONG right, LONG y, COLORREF color) {
    FillSolid(dc, RECT{left, y, right, y + 1}, color);
}

void VertLine(HDC dc, LONG x, LONG top, LONG bottom, COLORREF color) {
    FillSolid(dc, RECT{x, top, x + 1, bottom}, color);
}

// A one-pixel edge: the top and left lines first, the bottom and right lines over the corners.
void Edge(HDC dc, const RECT& r, COLORREF topLeft, COLORREF bottomRight) {
    HorzLine(dc, r.left, r.right - 1, r.top, topLeft);
    VertLine(dc, r.left, r.top, r.bottom - 1, topLeft);
    HorzLine(dc, r.left, r.right, r.bottom - 1, bottomRight);
    VertLine(dc, r.right - 1, r.top, r.bottom, bottomRight);
}

RECT Deflate(RECT r, LONG by) {
    InflateRect(&r, -by, -by);
    return r;
}

// An outline drawn the way a hollow rectangle is: right and bottom exclusive.
void Outline(HDC dc, const RECT& r, COLORREF color) { Edge(dc, r, color, color); }

}  // namespace

void FillSolid(HDC dc, const RECT& rect, COLORREF color) {
    if (color == CLR_INVALID) return;
    const COLORREF previous = SetBkColor(dc, color);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    SetBkColor(dc, previous);
}

RECT FrameInset(TPTFrameStyle style, int groupTop) {
    switch (style) {
        case ptfsGroup:
            return {2, groupTop, 2, 2};
        case ptfsLowered:
        case ptfsRaised:
            return {2, 2, 2, 2};
        case ptfsDint:
        case ptfsBump:
        case ptfsSingle:
            return {1, 1, 1, 1};
        case ptfsHorzLine:
            return {0, 2, 0, 0};
        case ptfsHorzEdge:
            return {0, 2, 0, 2};
        case ptfsVertLine:
            return {2, 0, 0, 0};
        case ptfsVertEdge:
            return {2, 0, 2, 0};
        case ptfsNone:
            break;
    }
    return {0, 0, 0, 0};
}

int GroupCaptionHeight(HDC dc, HFONT font, bool hasCaption) {
    if (!hasCaption) return 2;
    base::SelectGuard select(dc, font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
    SIZE size{};
    GetTextExtentPoint32W(dc, L"0", 1, &size);
    return size.cy;
}

RECT InnerRect(const RECT& rect, const RECT& inset) {
    return {rect.left + inset.left, rect.top + inset.top, rect.right - inset.right,
            rect.bottom - inset.bottom};
}

void DrawFrame(HDC dc, const RECT& r, TPTFrameStyle style) {
    const Roles c;
    switch (style) {
        case ptfsGroup:
            Outline(dc, RECT{r.left + 1, r.top + 1, r.right, r.bottom}, c.highlight);
            Outline(dc, RECT{r.left, r.top, r.right - 1, r.bottom - 1}, c.shadow);
            break;
        case ptfsLowered:
            Edge(dc, r, c.shadow, c.highlight);
            Edge(dc, Deflate(r, 1), c.darkShadow, c.face);
            break;
        case ptfsRaised:
            Edge(dc, r, c.highlight, c.darkShadow);
            Edge(dc, Deflate(r, 1), c.face, c.shadow);
            break;
        case ptfsDint:
            Edge(dc, r, c.shadow, c.highlight);
            break;
        case ptfsBump:
            Edge(dc, r, c.highlight, c.shadow);
            break;
        case ptfsSingle:
            Outline(dc, r, c.frame);
            break;
        case ptfsHorzEdge:
            HorzLine(dc, r.left, r.right, r.bottom - 2, c.shadow);
            HorzLine(dc, r.left, r.right, r.bottom - 1, c.highlight);
            [[fallthrough]];
        case ptfsHorzLine:
            HorzLine(dc, r.left, r.right, r.top, c.shadow);
            HorzLine(dc, r.left, r.right, r.top + 1, c.highlight);
            break;
        case ptfsVertEdge:
            VertLine(dc, r.right - 2, r.top, r.bottom, c.shadow);
            VertLine(dc, r.right - 1, r.top, r.bottom, c.highlight);
            [[fallthrough]];
        case ptfsVertLine:
            VertLine(dc, r.left, r.top, r.bottom, c.shadow);
            VertLine(dc, r.left + 1, r.top, r.bottom, c.highlight);
            break;
        case ptfsNone:
            break;
    }
}

void DrawGroupFrame(HDC dc, const RECT& rect, const GroupFrame& frame) {
    FillSolid(dc, rect, frame.background);
    const bool hasCaption = !frame.caption.empty();
    const int h = GroupCaptionHeight(dc, frame.font, hasCaption);
    RECT lines = rect;
    lines.top += h / 2 - 1;
    DrawFrame(dc, lines, ptfsGroup);
    if (!hasCaption) return;

    RECT box{rect.left + 8, rect.top, rect.right - 8, rect.top + h};
    if (box.right <= box.left) return;
    base::SelectGuard select(dc,
                             frame.font != nullptr ? frame.font : GetStockObject(DEFAULT_GUI_FONT));
    // The caption interrupts the frame line: its background covers the line behind the text
    // (one pixel more for the engraved shadow of a disabled caption).
    RECT extent = box;
    DrawTextExW(dc, const_cast<wchar_t*>(frame.caption.c_str()), int(frame.caption.size()), &extent,
                DT_SINGLELINE | DT_CALCRECT | DT_NOPREFIX, nullptr);
    FillSolid(dc, RECT{box.left, box.top, std::min(box.right, extent.right + 1), box.bottom},
              frame.background);

    const int mode = SetBkMode(dc, TRANSPARENT);
    const COLORREF color = GetTextColor(dc);
    const UINT flags = DT_LEFT | DT_END_ELLIPSIS | DT_NOPREFIX;
    if (frame.enabled) {
        SetTextColor(dc, frame.textColor);
        DrawCaption(dc, box, flags, frame.caption);
    } else {
        SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
        DrawCaption(dc, RECT{box.left + 1, box.top + 1, box.right + 1, box.bottom + 1}, flags,
                    frame.caption);
        SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
        DrawCaption(dc, box, flags, frame.caption);
    }
    SetTextColor(dc, color);
    SetBkMode(dc, mode);
}

void DrawCaption(HDC dc, RECT rect, UINT flags, const std::wstring& text) {
    // DrawTextEx may write the shortened text back when asked to; it is given a copy.
    std::wstring buffer = text;
    DrawTextExW(dc, buffer.data(), int(buffer.size()), &rect, flags | DT_SINGLELINE, nullptr);
}

void DrawFrameCaption(HDC dc, const RECT& rect, int frameSpace, CaptionAlignment alignment,
                      const std::wstring& text) {
    RECT area{rect.left + frameSpace, rect.top, rect.right - frameSpace, rect.bottom};
    UINT flags = DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX;
    if (alignment == CaptionAlignment::Right) flags |= DT_RIGHT;
    if (alignment == CaptionAlignment::Centre) flags |= DT_CENTER;
    DrawCaption(dc, area, flags, text);
}

}  // namespace shellctl
