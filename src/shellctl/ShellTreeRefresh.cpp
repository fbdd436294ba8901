// Keeping the shell tree current: filling from the root, the merging refresh, the watching of
// the drives and the device broadcasts.
#include "shellctl/ShellTree.h"

#include <dbt.h>

#include <vector>

#include "shell/PidlList.h"
#include "shell/ShellCommands.h"
#include "shell/ShellMessages.h"
#include "shellctl/ShellTreeScopes.h"
#include "ui/Cursor.h"

using Microsoft::WRL::ComPtr;

namespace shellctl {
namespace {

bool IsSelfOrAncestor(const TPTCustomShellTree& tree, HTREEITEM ancestor, HTREEITEM node) {
    for (; node != nullptr; node = tree.ParentNode(node))
        if (node == ancestor) return true;
    return false;
}

// Everything a folder enumerates, or nothing when the enumeration fails on the way: a partial
// answer must not make nodes vanish.
bool ReadItems(IShellFolder* folder, HWND window, SHCONTF flags, std::vector<UniquePidl>& items) {
    ComPtr<IEnumIDList> enumerator;
    const HRESULT started = folder->EnumObjects(window, flags, &enumerator);
    if (FAILED(started)) return false;
    if (!enumerator) return true;
    ITEMIDLIST* raw = nullptr;
    ULONG fetched = 0;
    HRESULT hr;
    while ((hr = enumerator->Next(1, &raw, &fetched)) == S_OK && fetched == 1)
        items.emplace_back(raw);
    return SUCCEEDED(hr);
}

}  // namespace

bool TPTCustomShellTree::RefreshMustWait() {
    if (!dragging_ && !editing_) return false;
    refreshPending_ = true;
    return true;
}

void TPTCustomShellTree::SetDragging(bool dragging, bool dropped) {
    dragging_ = dragging;
    if (dragging) return;
    if (std::exchange(refreshPending_, false) || dropped) RefreshNodes();
}

void TPTCustomShellTree::Refill() {
    if (Handle() == nullptr || RefreshMustWait()) return;
    ui::CursorGuard hourglass;
    DeleteAllNodes();
    // Watching starts before the folders are read: some platforms extend a watch of a whole
    // drive only to the folders opened after it began.
    if (options_.Contains(ptstoDynamicRefresh)) StartWatching();
    ComPtr<IShellFolder> root;
    const HRESULT hr = BindFolder(baseFolder_.Pidl(), root);
    if (FAILED(hr) || !root) RaisePlatformError(FAILED(hr) ? hr : E_NOINTERFACE);
    {
        NodeUpdateScope hold(*this);
        FillNode(root.Get(), nullptr);
    }
    if (currentFolder_.Pidl() != nullptr)
        NavigateTo(currentFolder_.Pidl());
    else
        Select(RootNode());
    FlushPendingSync();
}

void TPTCustomShellTree::RefreshNodes() {
    if (Handle() == nullptr || RefreshMustWait()) return;
    if (RootNode() == nullptr) {
        Refill();
        return;
    }
    // What was pending is done by this refresh, the selection pass included.
    syncTimer_.SetEnabled(false);
    pendingSync_ = TSyncAction::None;
    ui::CursorGuard hourglass;
    NodeUpdateScope hold(*this);
    DoFillStart();
    Finally complete([this] { DoFillComplete(); });
    HTREEITEM remembered = Selected();
    {
        UpdateLockScope lock(*this);
        Select(nullptr);
        MergeNode(RootNode(), remembered);
    }
    if (remembered == nullptr) return;
    syncNow_ = true;
    Select(remembered);
}

void TPTCustomShellTree::MergeNode(HTREEITEM node, HTREEITEM& remembered) {
    TPTShTreeData* data = ShellDataOf(node);
    // Only folders are read, and only those whose children were loaded or that have none: a
    // node never expanded is read when it is.
    if (data == nullptr || !data->IsFolder()) return;
    if (FirstChild(node) == nullptr && HasChildrenMark(node)) return;
    IShellFolder* folder = data->GetShellFolder();
    std::vector<UniquePidl> fresh;
    if (folder == nullptr || !ReadItems(folder, ShellWindow(Handle()), EnumFlags(), fresh)) return;

    TPTPidlList current;
    current.SetShellFolder(folder);
    current.SetDuplicates(dupAccept);
    std::vector<NodeEntry> children;
    for (HTREEITEM child = FirstChild(node); child != nullptr; child = NextSibling(child)) {
        TPTShTreeData* childData = ShellDataOf(child);
        if (childData == nullptr) continue;
        current.AddObject(const_cast<ITEMIDLIST*>(childData->RelIdList()), child);
        children.push_back({child, childData});
    }
    current.SetSorted(true);
    std::vector<const ITEMIDLIST*> added;
    for (const UniquePidl& item : fresh) {
        const int index = current.IndexOf(item.Get());
        if (index >= 0)
            current.Delete(index);
        else
            added.push_back(item.Get());
    }
    // What is left has vanished.
    for (int i = current.Count() - 1; i >= 0; --i) {
        const auto gone = static_cast<HTREEITEM>(current.Objects(i));
        if (IsSelfOrAncestor(*this, gone, remembered)) remembered = node;
        std::erase_if(children, [gone](const NodeEntry& entry) { return entry.node == gone; });
        Tree(TVM_DELETEITEM, 0, LPARAM(gone));
    }
    const std::size_t kept = children.size();
    for (const ITEMIDLIST* item : added) {
        HTREEITEM child = AddItem(folder, data->GetAbsIdList(), item, node);
        if (child != nullptr && child == lastInserted_)
            children.push_back({child, lastInsertedData_});
    }
    if (children.size() > kept) SortChildren(node, folder, children);
    SetHasChildren(node, FirstChild(node) != nullptr);
    for (const NodeEntry& child : children) MergeNode(child.node, remembered);
}

void TPTCustomShellTree::ChangeNotified() {
    if (ignoreNextChange_ || dragging_) {
        ignoreNextChange_ = false;
        return;
    }
    RequestSync(TSyncAction::Refresh, Focused() ? kFocusedRefreshDelay : kRefreshDelay);
}

void TPTCustomShellTree::StartWatching() {
    if (Handle() == nullptr) return;
    if (!watcher_)
        watcher_ = std::make_unique<TChangeHandlerThread>(Handle(), shell::kMsgChangeNotify);
    else
        watcher_->RemoveAllWatches();
    const DWORD filter = options_.Contains(ptstoIncludeNonFolders)
                             ? FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME
                             : FILE_NOTIFY_CHANGE_DIR_NAME;
    const DWORD drives = GetLogicalDrives();
    for (int letter = 0; letter < 26; ++letter) {
        if ((drives & (1u << letter)) == 0) continue;
        const std::wstring root{wchar_t(L'A' + letter), L':', L'\\'};
        const UINT type = GetDriveTypeW(root.c_str());
        if (type != DRIVE_FIXED && type != DRIVE_REMOTE && type != DRIVE_RAMDISK) continue;
        int slot = -1;
        watcher_->AddWatch(root, filter, slot, true);
    }
}

void TPTCustomShellTree::StopWatching() {
    if (watcher_) watcher_->RemoveAllWatches();
}

void TPTCustomShellTree::DeviceChanged(TPTDeviceChangeHandler&,
                                       const TDeviceChangeMessage& message) {
    if (message.event != DBT_DEVICEARRIVAL && message.event != DBT_DEVICEREMOVECOMPLETE) return;
    if (Handle() == nullptr) return;
    ValidateDrives();
    ShellRefreshScope noFurtherValidation;
    RefreshNodes();
}

}  // namespace shellctl
