// The shell tree's selection and its linked list, navigation, and the sync timer that passes
// keyboard travel on after a rest.
#include "shellctl/ShellTree.h"

#include "shell/IdListArray.h"
#include "shellctl/ShellTreeScopes.h"

namespace shellctl {
namespace {

// Whether an item named by a list made earlier is still there. The shell may answer for a
// file-system item from what its list recorded, so the file system is asked.
bool StillThere(const ITEMIDLIST* parentAbsIdList, const ITEMIDLIST* item) {
    const std::wstring path = PidlToPath(UniquePidl::Concat(parentAbsIdList, item).Get());
    return path.empty() || GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

void TPTCustomShellTree::SetShellList(TPTShellListLink* list) {
    if (list == shellList_) return;
    if (shellList_ != nullptr) std::exchange(shellList_, nullptr)->SetLinkedTree(nullptr);
    shellList_ = list;
    if (list == nullptr) return;
    list->SetLinkedTree(this);
    list->TreeSelectionChanged(PidlOrEmpty(currentFolder_.Pidl()));
}

void TPTCustomShellTree::SelectionChanged(HTREEITEM node) {
    TPTShTreeData* data = ShellDataOf(node);
    if (updateLock_ > 0) {
        if (data != nullptr) currentFolder_.SetPidl(data->GetAbsIdList());
        return;
    }
    DoChange(node);
    if (data == nullptr) return;
    if (syncNow_ || shellList_ == nullptr) {
        syncNow_ = false;
        PassSelection(node);
    } else {
        RequestSync(TSyncAction::PassSelection, kSelectionDelay);
    }
}

void TPTCustomShellTree::PassSelection(HTREEITEM node) {
    TPTShTreeData* data = ShellDataOf(node);
    if (data == nullptr || node != Selected()) return;
    UpdateLockScope lock(*this);
    currentFolder_.SetPidl(data->GetAbsIdList());
    if (shellList_ != nullptr) shellList_->TreeSelectionChanged(data->GetAbsIdList());
}

void TPTCustomShellTree::RequestSync(TSyncAction action, UINT interval) {
    // A refresh passes the selection on itself, so it is never dropped for a selection pass.
    if (pendingSync_ == TSyncAction::Refresh) action = TSyncAction::Refresh;
    pendingSync_ = action;
    syncTimer_.SetEnabled(false);
    syncTimer_.SetInterval(interval);
    syncTimer_.SetEnabled(true);
}

void TPTCustomShellTree::SyncTimerFired() {
    syncTimer_.SetEnabled(false);
    switch (std::exchange(pendingSync_, TSyncAction::None)) {
        case TSyncAction::PassSelection:
            PassSelection(Selected());
            break;
        case TSyncAction::Refresh:
            RefreshNodes();
            break;
        case TSyncAction::None:
            break;
    }
}

void TPTCustomShellTree::FlushPendingSync() {
    if (syncTimer_.Enabled()) SyncTimerFired();
}

void TPTCustomShellTree::CurrentFolderChanged() {
    if (updateLock_ == 0 && RootNode() != nullptr) NavigateTo(currentFolder_.Pidl());
}

void TPTCustomShellTree::BaseFolderChanged() {
    {
        UpdateLockScope lock(*this);
        currentFolder_.Clear();
    }
    if (!options_.Contains(ptstoAutoFill) || Handle() == nullptr) return;
    syncNow_ = true;
    Refill();
}

void TPTCustomShellTree::SetFolder(const TPTShellLocator& folder) {
    if (updateLock_ > 0) {
        if (shellList_ != nullptr)
            shellList_->TreeSelectionChanged(PidlOrEmpty(currentFolder_.Pidl()));
        return;
    }
    currentFolder_.Assign(&folder);
}

void TPTCustomShellTree::SetFolderPath(const std::wstring& path) {
    // No path (a setting never saved) and a path that is gone leave the tree where it is, rather
    // than sending it and its list back to the desktop.
    if (updateLock_ > 0 || path.empty()) return;
    UniquePidl pidl;
    if (SUCCEEDED(PathToPidl(path, pidl))) currentFolder_.SetPidl(pidl.Get());
}

std::wstring TPTCustomShellTree::SelectedPath() const {
    TPTShTreeData* data = ShellDataOf(Selected());
    return data != nullptr ? data->GetPath() : std::wstring();
}

void TPTCustomShellTree::GoUp(int levels) {
    HTREEITEM node = Selected();
    if (node == nullptr || ShellDataOf(node) == nullptr || node == RootNode()) return;
    for (int level = 0; level < levels; ++level) {
        HTREEITEM parent = ParentNode(node);
        if (parent == nullptr) break;
        node = parent;
    }
    syncNow_ = true;
    Select(node);
}

HTREEITEM TPTCustomShellTree::FindChild(HTREEITEM parent, IShellFolder* folder,
                                        const ITEMIDLIST* item) const {
    for (HTREEITEM child = FirstChild(parent); child != nullptr; child = NextSibling(child)) {
        TPTShTreeData* data = ShellDataOf(child);
        if (data == nullptr) continue;
        const HRESULT hr = folder->CompareIDs(0, data->RelIdList(), item);
        if (SUCCEEDED(hr) && HRESULT_CODE(hr) == 0) return child;
    }
    return nullptr;
}

bool TPTCustomShellTree::InsideBaseFolder(const ITEMIDLIST* absIdList, int baseCount) const {
    if (baseCount == 0) return true;
    TPTIdListArray target(absIdList);
    return ComparePidls(target.ParentPidl(target.Count() - baseCount), baseFolder_.Pidl()) == 0;
}

void TPTCustomShellTree::NavigateTo(const ITEMIDLIST* absIdList) {
    if (updateLock_ > 0) return;
    HTREEITEM root = RootNode();
    if (root == nullptr) {
        // Not filled yet: the fill goes there.
        UpdateLockScope lock(*this);
        currentFolder_.SetPidl(absIdList);
        return;
    }
    syncNow_ = true;
    NodeUpdateScope hold(*this);
    TPTIdListArray base(baseFolder_.Pidl());
    TPTIdListArray target(absIdList);
    HTREEITEM node = root;
    if (target.Count() > 0) Expand(root);
    // A target outside the base folder has no node: the root stands for it.
    if (target.Count() > base.Count() && InsideBaseFolder(absIdList, base.Count())) {
        const bool expandLast = shellList_ != nullptr && shellList_->HidesFoldersWhenLinked();
        for (int i = base.Count(); i < target.Count(); ++i) {
            TPTShTreeData* data = ShellDataOf(node);
            IShellFolder* folder = data->GetShellFolder();
            const ITEMIDLIST* item = target.ItemPidl(i);
            HTREEITEM child = folder != nullptr ? FindChild(node, folder, item) : nullptr;
            if (child == nullptr && folder != nullptr && StillThere(data->GetAbsIdList(), item)) {
                child = AddItem(folder, data->GetAbsIdList(), item, node);
                if (child != nullptr) SetHasChildren(node, true);
            }
            if (child == nullptr) {
                MessageBeep(MB_OK);
                break;
            }
            node = child;
            if (i + 1 < target.Count() || expandLast) Expand(node);
        }
    }
    if (node == Selected()) syncNow_ = false;  // no selection change will clear it
    Select(node);
    Tree(TVM_ENSUREVISIBLE, 0, LPARAM(node));
}

}  // namespace shellctl
