// Drawing of the frame styles shared by the frame, group and pane controls, and of their
// one-line captions. Colours come from the system's 3D roles: button shadow, button highlight,
// 3D dark shadow, button face and window frame.
#pragma once

#include <string>

#include <windows.h>

namespace shellctl {

enum TPTFrameStyle {
    ptfsNone,
    ptfsGroup,
    ptfsLowered,
    ptfsRaised,
    ptfsDint,
    ptfsBump,
    ptfsSingle,
    ptfsHorzLine,
    ptfsHorzEdge,
    ptfsVertLine,
    ptfsVertEdge,
};

enum class CaptionAlignment { Left, Right, Centre };

// How far the inner area lies inside the frame on each side. groupTop is the top inset of
// ptfsGroup (see GroupCaptionHeight).
RECT FrameInset(TPTFrameStyle style, int groupTop);
// The top inset of a captioned group: the height of "0" in the font when there is a caption,
// else 2.
int GroupCaptionHeight(HDC dc, HFONT font, bool hasCaption);
// rect less the inset.
RECT InnerRect(const RECT& rect, const RECT& inset);

// Draws the lines of a style along the edges of rect (ptfsNone draws nothing; ptfsGroup draws
// its etched rectangle without a caption; use DrawGroupFrame for the captioned frame).
void DrawFrame(HDC dc, const RECT& rect, TPTFrameStyle style);

struct GroupFrame {
    std::wstring caption;
    HFONT font = nullptr;
    COLORREF textColor = 0;
    COLORREF background = 0;  // CLR_INVALID: leave the background as it is
    bool enabled = true;
};
// The captioned group box: background, etched rectangle lowered to the middle of the caption,
// and the caption in its top edge (engraved when disabled).
void DrawGroupFrame(HDC dc, const RECT& rect, const GroupFrame& frame);

// One line of text drawn with the platform's extended text drawing; flags are DT_* flags added
// to DT_SINGLELINE. Uses the font, colours and background mode selected in the device context.
void DrawCaption(HDC dc, RECT rect, UINT flags, const std::wstring& text);
// The caption of a frame: rect narrowed by frameSpace on the left and right, vertically
// centred, cut with an ellipsis at the end, aligned as asked.
void DrawFrameCaption(HDC dc, const RECT& rect, int frameSpace, CaptionAlignment alignment,
                      const std::wstring& text);

// Fills a rectangle with a solid colour.
void FillSolid(HDC dc, const RECT& rect, COLORREF color);

}  // namespace shellctl
