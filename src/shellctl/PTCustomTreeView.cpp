#include "shellctl/PTCustomTreeView.h"

#include "shellctl/ControlVersions.h"

namespace shellctl {

TPTCustomTreeView::TPTCustomTreeView() = default;

TPTCustomTreeView::~TPTCustomTreeView() = default;

void TPTCustomTreeView::PrepareCreate(CreateParams& params) {
    ViewControl::PrepareCreate(params);
    params.className = WC_TREEVIEWW;
    params.style =
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT;
    if (PlatformIsNT() && CommonControlsVersion() < ModuleVersion{4, 72})
        params.style |= TVS_NOTOOLTIPS;
    params.exStyle = WS_EX_CLIENTEDGE;
}

void TPTCustomTreeView::Created() {
    ViewControl::Created();
    ApplyColor();
}

HWND TPTCustomTreeView::EditControl() const {
    return Handle() != nullptr ? reinterpret_cast<HWND>(Send(TVM_GETEDITCONTROL)) : nullptr;
}

HTREEITEM TPTCustomTreeView::AddNode(HTREEITEM parent, const std::wstring& text, LPARAM data,
                                     bool callbackImages) {
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = const_cast<wchar_t*>(text.c_str());
    insert.item.lParam = data;
    if (callbackImages) {
        insert.item.mask |= TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        insert.item.iImage = I_IMAGECALLBACK;
        insert.item.iSelectedImage = I_IMAGECALLBACK;
    }
    return reinterpret_cast<HTREEITEM>(Send(TVM_INSERTITEMW, 0, LPARAM(&insert)));
}

HTREEITEM TPTCustomTreeView::Selected() const {
    return reinterpret_cast<HTREEITEM>(Send(TVM_GETNEXTITEM, TVGN_CARET, 0));
}

void TPTCustomTreeView::Select(HTREEITEM node) { Send(TVM_SELECTITEM, TVGN_CARET, LPARAM(node)); }

HTREEITEM TPTCustomTreeView::NodeAt(POINT client) const {
    TVHITTESTINFO hit{};
    hit.pt = client;
    const auto node = reinterpret_cast<HTREEITEM>(Send(TVM_HITTEST, 0, LPARAM(&hit)));
    return (hit.flags & TVHT_ONITEM) != 0 ? node : nullptr;
}

RECT TPTCustomTreeView::NodeTextRect(HTREEITEM node) const {
    RECT rect{};
    if (node != nullptr && !TreeView_GetItemRect(Handle(), node, &rect, TRUE)) rect = {};
    return rect;
}

LPARAM TPTCustomTreeView::NodeData(HTREEITEM node) const {
    TVITEMW item{};
    item.mask = TVIF_PARAM | TVIF_HANDLE;
    item.hItem = node;
    return Send(TVM_GETITEMW, 0, LPARAM(&item)) ? item.lParam : 0;
}

void TPTCustomTreeView::ApplyColor() { Send(TVM_SETBKCOLOR, 0, LPARAM(ui::ColorToRgb(Color()))); }

void TPTCustomTreeView::ContextMenuRequested(POINT screen, bool fromKeyboard) {
    if (MenuShown() || Selected() != nullptr) return;
    if (fromKeyboard) {
        ShowSelectionContextMenu();
    } else {
        ShowNodeContextMenu(nullptr, ClientPoint(screen));
    }
}

bool TPTCustomTreeView::HandleNotify(NMHDR& header, LRESULT& result) {
    switch (header.code) {
        case NM_RCLICK:
            RightClick();
            return false;  // then the platform's own handling
        case NM_CUSTOMDRAW:
            result = 0;
            CustomDraw(reinterpret_cast<NMCUSTOMDRAW&>(header), result);
            return true;
        case TVN_GETDISPINFOW:
        case TVN_GETDISPINFOA: {
            // The image fields lie at the same place in both forms.
            TVITEMW& item = reinterpret_cast<NMTVDISPINFOW&>(header).item;
            if (item.mask & TVIF_IMAGE) item.iImage = GetImageIndex(item.hItem);
            if (item.mask & TVIF_SELECTEDIMAGE) item.iSelectedImage = GetSelectedIndex(item.hItem);
            return true;
        }
    }
    return ViewControl::HandleNotify(header, result);
}

void TPTCustomTreeView::RightClick() {
    POINT point = CursorPosition();
    HTREEITEM node = NodeAt(point);
    if (node == nullptr) return;
    ui::Menu* menu = PopupMenu();
    NodeContextMenu(node, point, menu);
    if (menu != nullptr) PopupAt(*menu, point);
    SetMenuShown(true);
}

void TPTCustomTreeView::ShowSelectionContextMenu() {
    HTREEITEM node = Selected();
    if (node == nullptr) {
        if (PopupMenu() != nullptr) PopupAt(*PopupMenu(), POINT{0, 0});
        return;
    }
    ShowNodeContextMenu(node, CentreOf(NodeTextRect(node)));
}

void TPTCustomTreeView::ShowNodeContextMenu(HTREEITEM node, POINT client) {
    ui::Menu* menu = PopupMenu();
    NodeContextMenu(node, client, menu);
    if (menu != PopupMenu()) SetMenuShown(true);
    if (menu != nullptr) PopupAt(*menu, client);
}

void TPTCustomTreeView::NodeContextMenu(HTREEITEM node, POINT& pos, ui::Menu*& menu) {
    if (OnNodeContextMenu) OnNodeContextMenu(*this, node, pos, menu);
}

std::unique_ptr<TPTTvCustomDraw> TPTCustomTreeView::CreateCustomDraw(NMCUSTOMDRAW& notify,
                                                                     LRESULT& result) {
    return MakeCustomDraw<TPTTvCustomDraw>(ControlFont(), notify, result);
}

void TPTCustomTreeView::CustomDraw(NMCUSTOMDRAW& notify, LRESULT& result) {
    RunCustomDraw(
        customDraw_, notify, result, [&] { return CreateCustomDraw(notify, result); },
        [this](TPTTvCustomDraw& customDraw) { DoCustomDraw(customDraw); });
}

void TPTCustomTreeView::DoCustomDraw(TPTTvCustomDraw&) {}

int TPTCustomTreeView::GetImageIndex(HTREEITEM node) {
    int index = 0;
    if (OnGetImageIndex) OnGetImageIndex(*this, node, index);
    return index;
}

int TPTCustomTreeView::GetSelectedIndex(HTREEITEM node) {
    int index = 0;
    if (OnGetSelectedIndex) OnGetSelectedIndex(*this, node, index);
    return index;
}

}  // namespace shellctl
