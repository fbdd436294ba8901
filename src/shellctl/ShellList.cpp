// The shell list's life, settings, link with a tree, and what the platform's list view asks of
// it: texts, icons and states of the rows it draws, type-ahead search, state changes.
#include "shellctl/ShellList.h"

#include <algorithm>
#include <utility>

#include <dbt.h>

#include "base/Error.h"
#include "shell/ChangeHandlerThread.h"
#include "shell/ShellMessages.h"
#include "shellctl/ShellListDrag.h"
#include "ui/Form.h"

namespace shellctl {

TPTCustomShellList::TPTCustomShellList()
    : refreshTimer_(400),
      deviceSubscription_(DeviceChangeMethod<&TPTCustomShellList::DeviceChanged>(this)),
      smallImages_(ui::ImageList::Borrowed(GetSystemImageList(silSmall))),
      largeImages_(ui::ImageList::Borrowed(GetSystemImageList(silLarge))),
      dragDrop_(std::make_unique<DragDrop>(*this)) {
    folder_.OnChange = [this](TPTShellLocator&) { FolderLocationChanged(); };
    refreshTimer_.OnTimer = [this](ui::Timer&) { RefreshTimerFired(); };
}

TPTCustomShellList::~TPTCustomShellList() {
    if (TPTShellTreeLink* tree = std::exchange(tree_, nullptr)) tree->ShellListDestroyed();
    // The window goes while this object can still hear it go.
    Destroy();
    refreshTimer_.SetEnabled(false);
    watcher_.reset();
    items_.clear();
}

void TPTCustomShellList::PrepareCreate(CreateParams& params) {
    TPTCustomListView::PrepareCreate(params);
    params.style &= ~DWORD(LVS_TYPEMASK | LVS_SHOWSELALWAYS);
    // The rows are the list's own; the control asks for what it draws. The system image lists
    // are shared with the whole process and never destroyed.
    params.style |= LVS_OWNERDATA | LVS_SHAREIMAGELISTS | LVS_AUTOARRANGE | (viewStyle_ & 3);
    if (!multiSelect_) params.style |= LVS_SINGLESEL;
    if (!hideSelection_) params.style |= LVS_SHOWSELALWAYS;
    if (!readOnly_) params.style |= LVS_EDITLABELS;
}

void TPTCustomShellList::Created() {
    TPTCustomListView::Created();
    Send(LVM_SETIMAGELIST, LVSIL_SMALL, LPARAM(smallImages_.Handle()));
    Send(LVM_SETIMAGELIST, LVSIL_NORMAL, LPARAM(largeImages_.Handle()));
    // Overlays, the dimmed look of hidden items and the drop target's mark come with each row's
    // texts.
    Send(LVM_SETCALLBACKMASK, LVIS_OVERLAYMASK | LVIS_CUT | LVIS_DROPHILITED);
    ApplyStyles();
    dragDrop_->FollowOptions();
    if (options_.Contains(ptsloAutoFill) && items_.empty()) Post(shell::kMsgDeferredFill);
}

void TPTCustomShellList::SetOptions(TPTShellListOptions options) {
    const TPTShellListOptions old = options_;
    if (options == old) return;
    options_ = options;
    if (Handle() != nullptr) OptionsChanged(old);
}

void TPTCustomShellList::OptionsChanged(TPTShellListOptions old) {
    const auto changed = [&](TPTShellListOption member) {
        return old.Contains(member) != options_.Contains(member);
    };
    dragDrop_->FollowOptions();
    if (changed(ptsloDynamicRefresh)) {
        if (options_.Contains(ptsloDynamicRefresh)) {
            StartWatching();
        } else {
            refreshTimer_.SetEnabled(false);
            if (watcher_) watcher_->RemoveAllWatches();
        }
    }
    // A merge keeps every item that is still in the folder, so a change of what is accepted
    // needs the list built again.
    const bool acceptance = changed(ptsloShowHidden) || changed(ptsloNonFilesystemAncestors) ||
                            (changed(ptsloHideFoldersWhenLinkedToTree) && tree_ != nullptr);
    if (acceptance && folderIdList_) Refill();
}

void TPTCustomShellList::SetFileFilter(const std::wstring& filter) {
    if (filter == fileFilter_) {
        if (filter.empty()) masks_.clear();
        return;
    }
    fileFilter_ = filter;
    masks_.clear();
    for (std::size_t start = 0; start <= filter.size();) {
        const std::size_t end = std::min(filter.find(L';', start), filter.size());
        if (end > start) masks_.push_back(filter.substr(start, end - start));
        start = end + 1;
    }
    if (options_.Contains(ptsloAutoFill)) Refill();
}

void TPTCustomShellList::SetMultiSelect(bool value) {
    multiSelect_ = value;
    ApplyStyles();
}

void TPTCustomShellList::SetRowSelect(bool value) {
    rowSelect_ = value;
    ApplyStyles();
}

void TPTCustomShellList::SetHideSelection(bool value) {
    hideSelection_ = value;
    ApplyStyles();
}

void TPTCustomShellList::SetViewStyle(DWORD view) {
    viewStyle_ = view & 3;
    ApplyStyles();
}

void TPTCustomShellList::ApplyStyles() {
    if (Handle() == nullptr) return;
    DWORD style = DWORD(GetWindowLongPtrW(Handle(), GWL_STYLE));
    const DWORD wanted = (style & ~DWORD(LVS_SINGLESEL | LVS_SHOWSELALWAYS)) |
                         (multiSelect_ ? 0 : LVS_SINGLESEL) |
                         (hideSelection_ ? 0 : LVS_SHOWSELALWAYS);
    if (wanted != style) SetWindowLongPtrW(Handle(), GWL_STYLE, LONG_PTR(wanted));
    if (DWORD(Send(LVM_GETVIEW)) != viewStyle_) Send(LVM_SETVIEW, viewStyle_);
    Send(LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, rowSelect_ ? LVS_EX_FULLROWSELECT : 0);
}

void TPTCustomShellList::BeginItemsUpdate() {
    if (itemsUpdate_++ == 0 && Handle() != nullptr) Send(WM_SETREDRAW, FALSE);
}

void TPTCustomShellList::EndItemsUpdate() {
    if (--itemsUpdate_ == 0 && Handle() != nullptr) {
        Send(WM_SETREDRAW, TRUE);
        InvalidateRect(Handle(), nullptr, TRUE);
    }
}

void TPTCustomShellList::FolderLocationChanged() {
    if (updateLock_ > 0) {
        // Followed once the list is done with what it is doing.
        folderChangePending_ = true;
    } else {
        FollowFolder();
    }
    DoFolderChanged();
}

void TPTCustomShellList::FollowFolder() {
    // A tree that cannot reach the folder may settle elsewhere and move the list on; a few
    // rounds settle any real tree.
    for (int round = 0; round < 4; ++round) {
        folderChangePending_ = false;
        {
            UpdateLock lock(*this);
            if (tree_ != nullptr && !followingTree_) tree_->NavigateTo(folder_.Pidl());
            Refill();
        }
        if (!folderChangePending_) return;
    }
    folderChangePending_ = false;
}

void TPTCustomShellList::DoFolderChanged() {
    if (OnFolderChanged) OnFolderChanged(*this);
}

void TPTCustomShellList::DoFillStart() {
    if (OnFillStart) OnFillStart(*this);
}

void TPTCustomShellList::DoFillComplete() {
    if (OnFillComplete) OnFillComplete(*this);
}

void TPTCustomShellList::DoDeleteItem(int item, TPTShListData& data) {
    if (OnDeleteItem) OnDeleteItem(*this, item, data);
}

void TPTCustomShellList::SetLinkedTree(TPTShellTreeLink* tree) {
    const bool refill = Handle() != nullptr && folderIdList_ && AcceptanceChangesWithTree(tree);
    tree_ = tree;
    if (refill) Refill();
}

bool TPTCustomShellList::AcceptanceChangesWithTree(TPTShellTreeLink* tree) const {
    return options_.Contains(ptsloHideFoldersWhenLinkedToTree) &&
           (tree != nullptr) != (tree_ != nullptr);
}

void TPTCustomShellList::TreeSelectionChanged(const ITEMIDLIST* absIdList) {
    const bool outer = std::exchange(followingTree_, true);
    struct Restore {
        bool& flag;
        bool value;
        ~Restore() { flag = value; }
    } restore{followingTree_, outer};
    folder_.SetPidl(absIdList);
}

bool TPTCustomShellList::HidesFoldersWhenLinked() const {
    return options_.Contains(ptsloHideFoldersWhenLinkedToTree);
}

void TPTCustomShellList::DeviceChanged(TPTDeviceChangeHandler&,
                                       const TDeviceChangeMessage& message) {
    if (message.event != DBT_DEVICEARRIVAL && message.event != DBT_DEVICEREMOVECOMPLETE) return;
    if (Handle() == nullptr || !folderIdList_) return;
    UniquePidl drives;
    if (FAILED(GetSpecialFolderLocation(nullptr, kDrivesFolder, drives))) return;
    if (ComparePidls(drives.Get(), folderIdList_.Get()) == 0) Refill();
}

TPTShListData* TPTCustomShellList::ShellDataOf(int item) const noexcept {
    return item >= 0 && std::size_t(item) < items_.size() ? items_[std::size_t(item)].get()
                                                          : nullptr;
}

TPTShListData& TPTCustomShellList::ShellDataAt(int index) const {
    TPTShListData* data = ShellDataOf(index);
    if (data == nullptr)
        throw base::Error(L"List index out of bounds (" + std::to_wstring(index) + L")");
    return *data;
}

TPTShListData* TPTCustomShellList::SelectedShellData() const {
    if (Handle() == nullptr) return nullptr;
    return ShellDataOf(int(Send(LVM_GETNEXTITEM, WPARAM(-1), MAKELPARAM(LVNI_SELECTED, 0))));
}

std::vector<int> TPTCustomShellList::SelectedItems() const {
    std::vector<int> selected;
    if (Handle() == nullptr) return selected;
    for (int item = -1;;) {
        item = int(Send(LVM_GETNEXTITEM, WPARAM(item), MAKELPARAM(LVNI_SELECTED, 0)));
        if (item < 0 || std::size_t(item) >= items_.size()) break;
        selected.push_back(item);
    }
    return selected;
}

void TPTCustomShellList::SelectAllItems() {
    if (Handle() == nullptr || !multiSelect_) return;
    SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
}

void TPTCustomShellList::ClearSelection() {
    if (Handle() != nullptr) SetItemState(-1, 0, LVIS_SELECTED);
}

bool TPTCustomShellList::Selected(int item) const {
    return Handle() != nullptr && ShellDataOf(item) != nullptr &&
           (Send(LVM_GETITEMSTATE, WPARAM(item), LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

void TPTCustomShellList::SetSelected(int item, bool selected) {
    if (Handle() != nullptr && ShellDataOf(item) != nullptr)
        SetItemState(item, selected ? LVIS_SELECTED : 0, LVIS_SELECTED);
}

HWND TPTCustomShellList::ShellOwnerWindow() const {
    const ui::Window* top = this;
    while (top->Parent() != nullptr) top = top->Parent();
    return dynamic_cast<const ui::Form*>(top) != nullptr ? top->Handle() : nullptr;
}

HRESULT TPTCustomShellList::GetUIObjectOf(int item, REFIID iid, void** object) const {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    TPTShListData* data = ShellDataOf(item);
    if (data == nullptr) return E_INVALIDARG;
    if (!shellFolder_) return E_FAIL;
    const ITEMIDLIST* relIdList = data->RelIdList();
    return shellFolder_->GetUIObjectOf(ShellOwnerWindow(), 1, &relIdList, iid, nullptr, object);
}

HRESULT TPTCustomShellList::GetUIObjectOfSelection(REFIID iid, void** object) const {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    std::vector<const ITEMIDLIST*> relIdLists;
    for (int item : SelectedItems()) relIdLists.push_back(items_[std::size_t(item)]->RelIdList());
    if (relIdLists.empty() || !shellFolder_) return E_FAIL;
    return shellFolder_->GetUIObjectOf(ShellOwnerWindow(), UINT(relIdLists.size()),
                                       relIdLists.data(), iid, nullptr, object);
}

LRESULT TPTCustomShellList::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT answer = 0;
    if (HandleCommandMessage(msg, wParam, lParam, answer)) return answer;
    switch (msg) {
        case shell::kMsgChangeNotify:
            ChangeNotified();
            return 0;
        case shell::kMsgDeferredFill:
            if (items_.empty() && !folderIdList_) Refill();
            return 0;
        case WM_DESTROY:
            WindowDestroying();
            break;
        case WM_WINDOWPOSCHANGED:
            if (destroying_) return 0;
            break;
    }
    return TPTCustomListView::HandleMessage(msg, wParam, lParam);
}

void TPTCustomShellList::WindowDestroying() {
    destroying_ = true;
    // The form around the list is going too: nobody is told of the last state changes.
    quietStates_ = true;
    RememberColumnWidths();
    refreshTimer_.SetEnabled(false);
    watcher_.reset();
    dragDrop_->Revoke();
    {
        UpdateLock lock(*this);
        ClearSelection();
    }
    DeleteAllShellItems();
}

void TPTCustomShellList::DeleteAllShellItems() {
    ItemsUpdate update(*this);
    if (OnDeleteItem) {
        for (std::size_t i = items_.size(); i-- > 0;) DoDeleteItem(int(i), *items_[i]);
    }
    // The control forgets its rows first, so that it asks for none of the data going now.
    if (Handle() != nullptr) Send(LVM_DELETEALLITEMS);
    items_.clear();
}

bool TPTCustomShellList::HandleNotify(NMHDR& header, LRESULT& result) {
    if (HandleCommandNotify(header, result)) return true;
    switch (header.code) {
        case LVN_GETDISPINFOW:
            DisplayInfo(reinterpret_cast<NMLVDISPINFOW&>(header));
            return true;
        case LVN_ODFINDITEMW:
            result = FindItem(reinterpret_cast<NMLVFINDITEMW&>(header));
            return true;
        case LVN_ITEMCHANGED:
            if (reinterpret_cast<NMLISTVIEW&>(header).uChanged & LVIF_STATE)
                ItemStateChanged(reinterpret_cast<NMLISTVIEW&>(header).iItem);
            return true;
        case LVN_ODSTATECHANGED:
            ItemStateChanged(-1);
            return true;
        case LVN_COLUMNCLICK:
            ColumnClicked(reinterpret_cast<NMLISTVIEW&>(header).iSubItem);
            return true;
        case LVN_BEGINDRAG:
        case LVN_BEGINRDRAG:
            TPTCustomListView::HandleNotify(header, result);  // notes that a drag began
            return dragDrop_->BeginDrag(header.code == LVN_BEGINRDRAG);
        case LVN_DELETEALLITEMS:
            // One notice for all rows, not one per row: the data is the list's to free.
            result = TRUE;
            return true;
    }
    return TPTCustomListView::HandleNotify(header, result);
}

void TPTCustomShellList::ItemStateChanged(int item) {
    if (!quietStates_ && OnChange) OnChange(*this, item);
}

void TPTCustomShellList::DisplayInfo(NMLVDISPINFOW& info) {
    LVITEMW& item = info.item;
    TPTShListData* data = ShellDataOf(item.iItem);
    if ((item.mask & LVIF_TEXT) != 0 && item.pszText != nullptr && item.cchTextMax > 0) {
        item.pszText[0] = L'\0';
        if (data != nullptr && item.iSubItem == 0) {
            lstrcpynW(item.pszText, data->GetDisplayText().c_str(), item.cchTextMax);
        } else if (data != nullptr && item.iSubItem <= DetailColumnCount()) {
            lstrcpynW(item.pszText, data->GetColumnText(item.iSubItem).c_str(), item.cchTextMax);
        }
    }
    if ((item.mask & LVIF_IMAGE) != 0 && item.iSubItem == 0) {
        int image = -1;
        if (OnGetImageIndex) OnGetImageIndex(*this, item.iItem, image);
        item.iImage = image >= 1 ? image : data != nullptr ? data->GetIconIndex() : 0;
    }
    if ((item.mask & LVIF_STATE) != 0 && data != nullptr) {
        const ULONG attributes = data->AcceptedAttributes();
        UINT state = 0;
        if (attributes & SFGAO_SHARE) {
            state |= INDEXTOOVERLAYMASK(1);
        } else if (attributes & SFGAO_LINK) {
            state |= INDEXTOOVERLAYMASK(2);
        }
        if (attributes & SFGAO_GHOSTED) state |= LVIS_CUT;
        if (item.iItem == dragDrop_->Highlighted()) state |= LVIS_DROPHILITED;
        const UINT ours = item.stateMask & (LVIS_OVERLAYMASK | LVIS_CUT | LVIS_DROPHILITED);
        item.state = (item.state & ~ours) | (state & ours);
    }
    if ((item.mask & LVIF_INDENT) != 0) item.iIndent = 0;
}

int TPTCustomShellList::FindItem(const NMLVFINDITEMW& find) {
    const LVFINDINFOW& info = find.lvfi;
    if ((info.flags & (LVFI_STRING | LVFI_PARTIAL)) == 0 || info.psz == nullptr || items_.empty())
        return -1;
    const int length = lstrlenW(info.psz);
    const bool partial = (info.flags & LVFI_PARTIAL) != 0;
    const int count = int(items_.size());
    const int start = std::clamp(find.iStart, 0, count);
    const int steps = (info.flags & LVFI_WRAP) != 0 ? count : count - start;
    for (int step = 0; step < steps; ++step) {
        const int item = (start + step) % count;
        const std::wstring& text = items_[std::size_t(item)]->GetDisplayText();
        const int compared = partial ? std::min(length, int(text.size())) : int(text.size());
        if ((partial ? int(text.size()) >= length : int(text.size()) == length) &&
            CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, text.c_str(), compared, info.psz,
                           length) == CSTR_EQUAL)
            return item;
    }
    return -1;
}

void TPTCustomShellList::DoCustomDraw(TPTLvCustomDraw& customDraw) {
    const int stage = customDraw.Stage();
    const int item = stage == 4 || stage == 5 ? customDraw.Item() : -1;
    TPTShListData* data = ShellDataOf(item);
    if (OnCustomDrawShEx) OnCustomDrawShEx(*this, customDraw, item, data);
    if (stage == 4 && OnCustomDrawSh) OnCustomDrawSh(*this, customDraw, item, data);
}

}  // namespace shellctl
