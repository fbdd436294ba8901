#include "shellctl/PTCustomListView.h"

namespace shellctl {

TPTCustomListView::TPTCustomListView()
    : sortMode_(CommonControlsVersion() > ModuleVersion{4, 69} ? ptlvRightOfText : ptlvNone) {}

TPTCustomListView::~TPTCustomListView() = default;

void TPTCustomListView::PrepareCreate(CreateParams& params) {
    ViewControl::PrepareCreate(params);
    params.className = WC_LISTVIEWW;
    params.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS;
    params.exStyle = WS_EX_CLIENTEDGE;
}

void TPTCustomListView::Created() {
    ViewControl::Created();
    ApplyColor();
    UpdateHeaderItems();
    // Once more when the header surely exists.
    Post(kMsgHeaderRefresh);
}

HWND TPTCustomListView::EditControl() const {
    return Handle() != nullptr ? reinterpret_cast<HWND>(Send(LVM_GETEDITCONTROL)) : nullptr;
}

void TPTCustomListView::ApplyColor() {
    const COLORREF color = ui::ColorToRgb(Color());
    Send(LVM_SETBKCOLOR, 0, LPARAM(color));
    Send(LVM_SETTEXTBKCOLOR, 0, LPARAM(color));
}

int TPTCustomListView::AddColumn(const std::wstring& caption, int width, int format) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.pszText = const_cast<wchar_t*>(caption.c_str());
    column.cx = width;
    column.fmt = format;
    return int(Send(LVM_INSERTCOLUMNW, WPARAM(ColumnCount()), LPARAM(&column)));
}

void TPTCustomListView::DeleteAllColumns() {
    for (int column = ColumnCount() - 1; column >= 0; --column)
        Send(LVM_DELETECOLUMN, WPARAM(column));
}

int TPTCustomListView::ColumnCount() const {
    HWND header = Header();
    return header != nullptr ? int(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

int TPTCustomListView::AddItem(const std::wstring& caption, LPARAM data) {
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = ItemCount();
    item.pszText = const_cast<wchar_t*>(caption.c_str());
    item.lParam = data;
    return int(Send(LVM_INSERTITEMW, 0, LPARAM(&item)));
}

int TPTCustomListView::ItemCount() const { return int(Send(LVM_GETITEMCOUNT)); }

int TPTCustomListView::FocusedItem() const {
    return int(Send(LVM_GETNEXTITEM, WPARAM(-1), MAKELPARAM(LVNI_FOCUSED, 0)));
}

int TPTCustomListView::SelectedCount() const { return int(Send(LVM_GETSELECTEDCOUNT)); }

void TPTCustomListView::SetItemState(int item, UINT state, UINT mask) {
    LVITEMW value{};
    value.state = state;
    value.stateMask = mask;
    Send(LVM_SETITEMSTATE, WPARAM(item), LPARAM(&value));
}

RECT TPTCustomListView::ItemLabelRect(int item) const {
    RECT rect{};
    rect.left = LVIR_LABEL;
    if (!Send(LVM_GETITEMRECT, WPARAM(item), LPARAM(&rect))) rect = {};
    return rect;
}

LRESULT TPTCustomListView::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_NOTIFY: {
            auto& header = *reinterpret_cast<NMHDR*>(lParam);
            LRESULT result = 0;
            if (header.hwndFrom == Header() && HandleHeaderNotify(wParam, header, result))
                return result;
            break;
        }
        case WM_DRAWITEM: {
            const auto& item = *reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
            if (item.CtlType != ODT_HEADER || item.hwndItem != Header()) break;
            DrawHeaderItem(item);
            return TRUE;
        }
        case WM_PARENTNOTIFY:
            if (LOWORD(wParam) == WM_CREATE) UpdateHeaderItems();
            break;
        case WM_STYLECHANGED: {
            const LRESULT result = ViewControl::HandleMessage(msg, wParam, lParam);
            const auto& change = *reinterpret_cast<STYLESTRUCT*>(lParam);
            if (wParam == WPARAM(GWL_STYLE) && (change.styleNew & LVS_TYPEMASK) == LVS_REPORT &&
                (change.styleOld & LVS_TYPEMASK) != LVS_REPORT)
                UpdateHeaderItems();
            return result;
        }
        case LVM_INSERTCOLUMNW:
        case LVM_INSERTCOLUMNA:
        case LVM_SETCOLUMNW:
        case LVM_SETCOLUMNA: {
            // A new or rewritten column comes as a plain header item.
            const LRESULT result = ViewControl::HandleMessage(msg, wParam, lParam);
            UpdateHeaderItems();
            return result;
        }
        case LVM_SETVIEW: {
            const LRESULT result = ViewControl::HandleMessage(msg, wParam, lParam);
            if (wParam == LV_VIEW_DETAILS) UpdateHeaderItems();
            return result;
        }
        case kMsgHeaderRefresh:
            UpdateHeaderItems();
            return 0;
    }
    return ViewControl::HandleMessage(msg, wParam, lParam);
}

void TPTCustomListView::ContextMenuRequested(POINT screen, bool fromKeyboard) {
    if (MenuShown() || SelectedCount() == 0 || FocusedItem() < 0) return;
    ShowContextMenu(fromKeyboard ? POINT{0, 0} : ClientPoint(screen));
}

bool TPTCustomListView::HandleNotify(NMHDR& header, LRESULT& result) {
    switch (header.code) {
        case NM_RCLICK:
            ShowContextMenu(CursorPosition());
            return false;  // then the platform's own handling
        case NM_CUSTOMDRAW:
            result = 0;
            CustomDraw(reinterpret_cast<NMCUSTOMDRAW&>(header), result);
            return true;
        case LVN_BEGINDRAG:
        case LVN_BEGINRDRAG:
            dragBegun_ = true;
            return false;
    }
    return ViewControl::HandleNotify(header, result);
}

void TPTCustomListView::ShowContextMenu(POINT client) {
    const int focused = FocusedItem();
    int anchor = focused;
    if (anchor >= 0 && (Send(LVM_GETITEMSTATE, WPARAM(anchor), LVIS_FOCUSED) & LVIS_FOCUSED) == 0)
        anchor = int(Send(LVM_GETNEXTITEM, WPARAM(-1), MAKELPARAM(LVNI_SELECTED, 0)));
    if (anchor < 0) {
        if (PopupMenu() != nullptr) PopupAt(*PopupMenu(), client);
        return;
    }
    ShowFocusedItemContextMenu(CentreOf(ItemLabelRect(anchor)));
}

void TPTCustomListView::ShowFocusedItemContextMenu(POINT client) {
    ui::Menu* menu = PopupMenu();
    ItemContextMenu(FocusedItem(), client, menu);
    SetMenuShown(true);
    if (menu != nullptr) PopupAt(*menu, client);
}

void TPTCustomListView::ItemContextMenu(int item, POINT& pos, ui::Menu*& menu) {
    if (OnItemContextMenu) OnItemContextMenu(*this, item, pos, menu);
}

std::unique_ptr<TPTLvCustomDraw> TPTCustomListView::CreateCustomDraw(NMCUSTOMDRAW& notify,
                                                                     LRESULT& result) {
    return MakeCustomDraw<TPTLvCustomDraw>(ControlFont(), notify, result);
}

void TPTCustomListView::CustomDraw(NMCUSTOMDRAW& notify, LRESULT& result) {
    // The list's objects do not ask for the item stages themselves; this does.
    RunCustomDraw(
        customDraw_, notify, result, [&] { return CreateCustomDraw(notify, result); },
        [this](TPTLvCustomDraw& customDraw) { DoCustomDraw(customDraw); });
}

void TPTCustomListView::DoCustomDraw(TPTLvCustomDraw&) {}

}  // namespace shellctl
