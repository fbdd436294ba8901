// The sort mark in the list view's column headers.
#include <string>

#include "shellctl/FrameDrawing.h"
#include "shellctl/PTCustomListView.h"
#include "base/Handle.h"

namespace shellctl {
namespace {

// Held while the header items are rewritten: the rewrite makes the header report changed
// items, which must not start another rewrite.
class LockGuard {
  public:
    explicit LockGuard(int& counter) noexcept : counter_(++counter) {}
    ~LockGuard() { --counter_; }
    LockGuard(const LockGuard&) = delete;
    LockGuard& operator=(const LockGuard&) = delete;

  private:
    int& counter_;
};

}  // namespace

HWND TPTCustomListView::Header() const {
    return Handle() != nullptr ? reinterpret_cast<HWND>(Send(LVM_GETHEADER)) : nullptr;
}

void TPTCustomListView::SetSortColumn(int column) {
    const int old = sortColumn_;
    sortColumn_ = column;
    InvalidateHeaderItem(old);
    InvalidateHeaderItem(column);
    if (CommonControlsVersion() >= ModuleVersion{6, 0}) UpdateHeaderItems();
}

void TPTCustomListView::SetSortDirection(int direction) {
    sortDirection_ = direction;
    InvalidateHeaderItem(sortColumn_);
    if (CommonControlsVersion() >= ModuleVersion{6, 0}) UpdateHeaderItems();
    if (HWND header = Header()) UpdateWindow(header);
}

void TPTCustomListView::SetHeaderSortDisplayMode(TPTLvHeaderSortDisplayMode mode) {
    sortMode_ = CommonControlsVersion() > ModuleVersion{4, 69} ? mode : ptlvNone;
    UpdateHeaderItems();
    RepaintHeader();
}

void TPTCustomListView::BeginHeaderUpdate() {
    if (headerUpdates_++ > 0) return;
    // Redrawing off and on again shows the header: only a header that is shown is switched.
    HWND header = Header();
    headerRedrawOff_ = header != nullptr && (GetWindowLongW(header, GWL_STYLE) & WS_VISIBLE) != 0;
    if (headerRedrawOff_) SendMessageW(header, WM_SETREDRAW, FALSE, 0);
}

void TPTCustomListView::EndHeaderUpdate() {
    if (headerUpdates_ == 0 || --headerUpdates_ > 0) return;
    HWND header = Header();
    if (headerRedrawOff_ && header != nullptr) SendMessageW(header, WM_SETREDRAW, TRUE, 0);
    headerRedrawOff_ = false;
    // Redrawing was off: this rewrite repaints the header even when no item had to change.
    UpdateHeaderItems();
}

void TPTCustomListView::UpdateHeaderItems() {
    HWND header = Header();
    if (headerUpdates_ > 0 || headerLock_ > 0 || header == nullptr) return;
    {
        LockGuard lock(headerLock_);
        const ModuleVersion version = CommonControlsVersion();
        for (int column = int(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) - 1; column >= 0;
             --column) {
            HDITEMW item{};
            item.mask = HDI_FORMAT;
            if (!SendMessageW(header, HDM_GETITEMW, WPARAM(column), LPARAM(&item))) continue;
            const int format = SortHeaderItemFormat(item.fmt, column == sortColumn_, sortDirection_,
                                                    sortMode_, version);
            if (format == item.fmt) continue;
            item.fmt = format;
            SendMessageW(header, HDM_SETITEMW, WPARAM(column), LPARAM(&item));
        }
    }
    RepaintHeader();
}

void TPTCustomListView::InvalidateHeaderItem(int column) const {
    HWND header = Header();
    RECT rect{};
    if (header != nullptr && column >= 0 &&
        SendMessageW(header, HDM_GETITEMRECT, WPARAM(column), LPARAM(&rect)))
        InvalidateRect(header, &rect, FALSE);
}

void TPTCustomListView::RepaintHeader() const {
    if (HWND header = Header()) {
        InvalidateRect(header, nullptr, TRUE);
        UpdateWindow(header);
    }
}

bool TPTCustomListView::HandleHeaderNotify(WPARAM wParam, NMHDR& header, LRESULT& result) {
    switch (header.code) {
        case HDN_BEGINTRACKW:
        case HDN_BEGINTRACKA:
        case HDN_ENDTRACKW:
        case HDN_ENDTRACKA:
        case HDN_ITEMCHANGEDW:
        case HDN_ITEMCHANGEDA:
            result = DefaultHandler(WM_NOTIFY, wParam, reinterpret_cast<LPARAM>(&header));
            UpdateHeaderItems();
            return true;
        case HDN_ITEMCLICKW:
        case HDN_ITEMCLICKA:
            RepaintHeader();
            return false;
    }
    return false;
}

void TPTCustomListView::DrawHeaderItem(const DRAWITEMSTRUCT& draw) {
    const int column = int(draw.itemID);
    wchar_t text[260] = L"";
    HDITEMW item{};
    item.mask = HDI_TEXT | HDI_FORMAT;
    item.pszText = text;
    item.cchTextMax = int(std::size(text));
    SendMessageW(draw.hwndItem, HDM_GETITEMW, WPARAM(column), LPARAM(&item));
    const std::wstring caption = text;

    HDC dc = draw.hDC;
    base::SavedDc saved(dc);
    const RECT& rect = draw.rcItem;
    IntersectClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
    SelectObject(dc, ControlFont());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    SIZE extent{};
    GetTextExtentPoint32W(dc, caption.c_str(), int(caption.size()), &extent);

    const int alignment = item.fmt & HDF_JUSTIFYMASK;
    const bool isSortColumn = column == sortColumn_;
    const SortHeaderItemLayout layout =
        LayoutSortHeaderItem(rect, extent.cx, alignment, isSortColumn, sortMode_);
    UINT flags = DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX;
    if (alignment == HDF_RIGHT) flags |= DT_RIGHT;
    if (alignment == HDF_CENTER) flags |= DT_CENTER;
    DrawCaption(dc, layout.text, flags, caption);
    if (layout.showArrow) DrawSortArrow(dc, layout.arrow, sortDirection_ == 1);
}

}  // namespace shellctl
