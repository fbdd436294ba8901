// Drags out of the shell list and drops onto it. The list never reads dropped data itself: every
// drop goes to the shell's drop target of the item under the pointer, or of the list's folder
// over the background, so that copying, moving, linking and the right-drag menu are the shell's.
#include "shellctl/ShellListDrag.h"

#include <utility>
#include <vector>

#include "base/Error.h"
#include "shell/DataObject.h"
#include "shell/DropSource.h"
#include "shell/ShellTransfer.h"

using Microsoft::WRL::ComPtr;

namespace shellctl {

HRESULT TPTCustomShellList::GetDropTarget(int item, ComPtr<IDropTarget>& target) {
    target.Reset();
    if (item >= 0) return GetUIObjectOf(item, IID_PPV_ARGS(&target));
    if (!folderIdList_) return E_FAIL;
    return GetUIObjectOfAbsolute(folderIdList_.Get(), target, ShellOwnerWindow());
}

IDropTarget* TPTCustomShellList::DropTarget() const noexcept { return dragDrop_->Target(); }

DWORD TPTCustomShellList::SelectedAttributes() const {
    std::vector<const ITEMIDLIST*> items;
    for (int item : SelectedItems()) items.push_back(items_[std::size_t(item)]->RelIdList());
    if (items.empty() || !shellFolder_) return 0;
    SFGAOF attributes = kAllDropEffects;
    base::ThrowIfFailed(
        shellFolder_->GetAttributesOf(UINT(items.size()), items.data(), &attributes));
    return attributes & kAllDropEffects;
}

void TPTCustomShellList::ItemsDroppedInto(const ITEMIDLIST* folderAbsIdList) {
    dragDrop_->RefreshAfterDrop(folderAbsIdList);
}

ULONGLONG TPTCustomShellList::DragTickCount() const { return SystemTickClock(); }

TPTCustomShellList::DragDrop::DragDrop(TPTCustomShellList& list)
    : list_(list), scroll_([this] { return list_.DragTickCount(); }) {}

TPTCustomShellList::DragDrop::~DragDrop() = default;

void TPTCustomShellList::DragDrop::FollowOptions() {
    KeepRegistered(registration_, list_.Handle(), list_.options_.Contains(ptsloOleDrop),
                   [this] { return MakeComObject<TDropTarget_shlv>(this); });
}

IDropTarget* TPTCustomShellList::DragDrop::Target() const noexcept {
    return registration_ ? registration_->Target() : nullptr;
}

bool TPTCustomShellList::DragDrop::BeginDrag(bool rightButton) {
    if (!list_.options_.Contains(ptsloOleDrag) || !list_.shellFolder_) return false;
    std::vector<const ITEMIDLIST*> items;
    for (int item : list_.SelectedItems())
        items.push_back(list_.items_[std::size_t(item)]->RelIdList());
    if (items.empty()) return false;
    const DWORD allowed = list_.SelectedAttributes();
    const ComPtr<IDataObject> object = MakeComObject<TDataObject_shlv>(
        PidlOrEmpty(list_.folderIdList_.Get()), list_.shellFolder_.Get(), items);

    HRESULT hr = E_FAIL;
    {
        struct End {
            DragDrop& drag;
            ~End() {
                drag.ownRightDrag_ = false;
                drag.list_.dragging_ = false;
            }
        } end{*this};
        ownRightDrag_ = rightButton;
        list_.dragging_ = true;
        DWORD effect = DROPEFFECT_NONE;
        hr = RunShellDrag(object.Get(), rightButton ? TDragButton::Right : TDragButton::Left,
                          allowed, effect);
    }
    // What was dropped, or asked for meanwhile, is shown now; items that came or went are put
    // in order (a refill orders them itself).
    const bool dropped = hr == DRAGDROP_S_DROP;
    const bool sort = (dropped || list_.refreshPending_) && !list_.refillPending_;
    list_.SetDragging(false, dropped);
    if (sort) list_.SortItems();
    return true;
}

void TPTCustomShellList::DragDrop::RefreshAfterDrop(const ITEMIDLIST* folder) {
    if (!list_.folderIdList_ || ComparePidls(folder, list_.folderIdList_.Get()) != 0) return;
    // A drag out of the list refreshes it when it ends.
    if (list_.dragging_) {
        list_.refreshPending_ = true;
        return;
    }
    // A watched local folder reports the change itself; a network folder may not.
    const std::wstring path = list_.FolderPath();
    if (list_.options_.Contains(ptsloDynamicRefresh) && !path.empty() && !path.starts_with(L"\\\\"))
        return;
    // After the drop, once the shell is done with it.
    list_.refreshTimer_.SetEnabled(false);
    list_.refreshTimer_.SetInterval(0);
    list_.refreshTimer_.SetEnabled(true);
}

TPTCustomShellList::DragDrop::Aim TPTCustomShellList::DragDrop::AimAt(POINTL point) {
    Aim aim;
    LVHITTESTINFO hit{};
    hit.pt = list_.ClientPoint(POINT{point.x, point.y});
    const int item = int(list_.Send(LVM_HITTEST, 0, LPARAM(&hit)));
    const bool onItem = (hit.flags & LVHT_ONITEM) != 0 && list_.ShellDataOf(item) != nullptr;
    if (onItem && SUCCEEDED(list_.GetDropTarget(item, aim.target)) && aim.target) {
        aim.item = item;
        return aim;
    }
    // An item the shell gives no target of its own takes drops for the folder.
    aim.target.Reset();
    if (!onItem && list_.dragging_) {
        aim.ownBackground = true;
    } else if (FAILED(list_.GetDropTarget(-1, aim.target))) {
        aim.target.Reset();
    }
    return aim;
}

void TPTCustomShellList::DragDrop::Highlight(int item) {
    if (item == highlighted_) return;
    const int old = std::exchange(highlighted_, item);
    for (int changed : {old, item})
        if (changed >= 0) list_.Send(LVM_REDRAWITEMS, WPARAM(changed), LPARAM(changed));
    UpdateWindow(list_.Handle());
}

HRESULT TPTCustomShellList::DragDrop::DragEnter(IDataObject* data, DWORD keys, POINTL point,
                                                DWORD* effect) {
    data_ = data;
    enterKeys_ = keys;
    scroll_.Start();
    const Aim aim = AimAt(point);
    if (aim.ownBackground)
        *effect = ownRightDrag_ ? *effect & DROPEFFECT_COPY : DROPEFFECT_NONE;
    else if (aim.target && data != nullptr)
        AskShellDropTarget(aim.target.Get(), data, keys, point, effect, false);
    else
        *effect = DROPEFFECT_NONE;
    Highlight(*effect != DROPEFFECT_NONE ? aim.item : -1);
    return S_OK;
}

HRESULT TPTCustomShellList::DragDrop::DragOver(DWORD keys, POINTL point, DWORD* effect) {
    const Aim aim = AimAt(point);
    // The list's own right drag over its background may copy there, and no more is done.
    if (aim.ownBackground && ownRightDrag_) {
        *effect &= DROPEFFECT_COPY;
        Highlight(-1);
        return S_OK;
    }
    if (aim.target && data_)
        AskShellDropTarget(aim.target.Get(), data_.Get(), keys, point, effect, true);
    else
        *effect = DROPEFFECT_NONE;
    Highlight(*effect != DROPEFFECT_NONE ? aim.item : -1);
    scroll_.Scroll(list_.Handle(), list_.ClientPoint(POINT{point.x, point.y}));
    *effect |= DROPEFFECT_SCROLL;
    return S_OK;
}

HRESULT TPTCustomShellList::DragDrop::DragLeave() {
    data_.Reset();
    Highlight(-1);
    return S_OK;
}

HRESULT TPTCustomShellList::DragDrop::Drop(IDataObject* data, DWORD keys, POINTL point,
                                           DWORD* effect) {
    struct Done {
        DragDrop& drag;
        ~Done() {
            drag.data_.Reset();
            drag.Highlight(-1);
        }
    } done{*this};
    Aim aim = AimAt(point);
    if (aim.ownBackground) {
        // The list's own items dropped where they are: a left drag does nothing, a right drag
        // may copy (or link) them there but never move them.
        if (ownRightDrag_ && SUCCEEDED(list_.GetDropTarget(-1, aim.target)))
            *effect &= ~DWORD(DROPEFFECT_MOVE);
        else
            aim.target.Reset();
    }
    if (!aim.target || data == nullptr) {
        *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    // The drop comes as the button is released; the shell wants to know which one it was.
    keys |= enterKeys_ & (MK_LBUTTON | MK_RBUTTON);
    const HRESULT hr = DropOnShellTarget(aim.target.Get(), data, keys, point, effect);
    RefreshAfterDrop(list_.folderIdList_.Get());
    return hr;
}

}  // namespace shellctl
