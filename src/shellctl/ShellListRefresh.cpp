// Keeping the shell list current: merging the folder's present contents into the list, watching
// the folder, and folding bursts of change notifications into one refresh.
#include <string_view>
#include <unordered_map>

#include "shell/ChangeHandlerThread.h"
#include "shell/ShellMessages.h"
#include "shell/ShellStrings.h"
#include "shellctl/ShellList.h"
#include "ui/Cursor.h"

namespace shellctl {
namespace {

// How long a refresh waits for more changes, with and without the focus.
constexpr UINT kFocusedRefreshDelay = 400;
constexpr UINT kUnfocusedRefreshDelay = 2000;

std::string_view BytesOf(const ITEMIDLIST* pidl) {
    return {reinterpret_cast<const char*>(pidl), PidlSize(pidl)};
}

// What names an item in its folder whatever else its list carries (a file's list holds its size
// and times): the parsing name, without regard to case; the list's bytes for an item without one.
std::wstring IdentityOf(IShellFolder* folder, const ITEMIDLIST* relIdList) {
    STRRET name{};
    name.uType = STRRET_CSTR;
    std::wstring key;
    if (SUCCEEDED(folder->GetDisplayNameOf(relIdList, SHGDN_INFOLDER | SHGDN_FORPARSING, &name))) {
        key = StrRetToString(relIdList, name);
        FreeStrRet(name);
    }
    if (key.empty()) {
        const std::string_view bytes = BytesOf(relIdList);
        key.assign(1, L'\x01');
        for (char byte : bytes) key.push_back(wchar_t(static_cast<unsigned char>(byte)));
        return key;
    }
    CharUpperBuffW(key.data(), DWORD(key.size()));
    return key;
}

}  // namespace

void TPTCustomShellList::RefreshItems() {
    if (Handle() == nullptr) return;
    if (dragging_ || EditControl() != nullptr) {
        refreshPending_ = true;
        return;
    }
    if (items_.empty() || !shellFolder_) {
        Refill();
        return;
    }
    refreshPending_ = false;
    ui::CursorGuard hourglass;
    DoFillStart();
    PrepareFileFilter(folderIdList_.Get());
    struct Finish {
        TPTCustomShellList& list;
        ~Finish() { list.ReleaseFileFilter(); }
    } finish{*this};
    std::vector<bool> kept(items_.size(), false);
    bool complete = false;
    PidlList changed = ChangedItems(kept, complete);
    // A folder that could not be read this time keeps what it showed.
    if (complete) MergeItems(std::move(changed), std::move(kept));
    DoFillComplete();
    ReportSkippedItems();
}

TPTCustomShellList::PidlList TPTCustomShellList::ChangedItems(std::vector<bool>& kept,
                                                              bool& complete) {
    // Most items come back with the same bytes: they stay as they are, and the copies are let go
    // as soon as they are fetched, so that a large folder is not held twice.
    std::unordered_map<std::string_view, std::size_t> byBytes;
    byBytes.reserve(items_.size());
    for (std::size_t i = 0; i < items_.size(); ++i)
        byBytes.emplace(BytesOf(items_[i]->RelIdList()), i);
    return EnumerateFolder(&complete, [&](const ITEMIDLIST* item) {
        const auto found = byBytes.find(BytesOf(item));
        if (found == byBytes.end() || kept[found->second]) return true;
        kept[found->second] = true;
        return false;
    });
}

void TPTCustomShellList::MergeItems(PidlList changed, std::vector<bool> kept) {
    // Changed items are matched by name, so that a file that grew keeps its place and selection
    // and shows its new size; the rest are new.
    PidlList added;
    if (!changed.empty()) {
        std::unordered_map<std::wstring, std::size_t> byName;
        for (std::size_t i = 0; i < items_.size(); ++i)
            if (!kept[i]) byName.emplace(IdentityOf(shellFolder_.Get(), items_[i]->RelIdList()), i);
        for (UniquePidl& item : changed) {
            const auto found = byName.find(IdentityOf(shellFolder_.Get(), item.Get()));
            if (found != byName.end() && !kept[found->second]) {
                kept[found->second] = true;
                items_[found->second]->ReplaceRelIdList(std::move(item));
            } else {
                added.push_back(std::move(item));
            }
        }
    }
    ItemsUpdate update(*this);
    RemoveItems(kept);
    AppendItems(AcceptedOf(std::move(added)));
}

void TPTCustomShellList::RemoveItems(const std::vector<bool>& kept) {
    // One pass from the end: the control moves the selection of the rows after each one it
    // drops, and the list closes its gaps once.
    bool removed = false;
    for (std::size_t i = items_.size(); i-- > 0;) {
        if (kept[i]) continue;
        DoDeleteItem(int(i), *items_[i]);
        Send(LVM_DELETEITEM, WPARAM(i));
        removed = true;
    }
    if (!removed) return;
    std::size_t next = 0;
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (kept[i]) items_[next++] = std::move(items_[i]);
    items_.resize(next);
}

void TPTCustomShellList::SetDragging(bool dragging, bool dropped) {
    dragging_ = dragging;
    if (dragging) return;
    if (dropped) refreshPending_ = true;
    RunPendingRefresh();
}

void TPTCustomShellList::RunPendingRefresh() {
    if (dragging_ || EditControl() != nullptr) return;
    // A refill waited for a change of folder: a refresh would merge the old folder's items.
    if (refillPending_) {
        Refill();
    } else if (refreshPending_) {
        RefreshItems();
    }
}

void TPTCustomShellList::StartWatching() {
    refreshTimer_.SetEnabled(false);
    if (Handle() == nullptr) return;
    if (!watcher_) {
        watcher_ = std::make_unique<TChangeHandlerThread>(Handle(), shell::kMsgChangeNotify);
    } else {
        watcher_->RemoveAllWatches();
    }
    const std::wstring path = FolderPath();
    if (path.empty()) return;
    int slot = -1;
    watcher_->AddWatch(path, FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME, slot,
                       false);
}

void TPTCustomShellList::ChangeNotified() {
    if (ignoreNextChange_ || dragging_) {
        ignoreNextChange_ = false;
        return;
    }
    const HWND focus = GetFocus();
    const bool focused = focus != nullptr && (focus == Handle() || IsChild(Handle(), focus));
    // Each notice starts the wait again, so that a burst of changes makes one refresh.
    refreshTimer_.SetEnabled(false);
    refreshTimer_.SetInterval(focused ? kFocusedRefreshDelay : kUnfocusedRefreshDelay);
    refreshTimer_.SetEnabled(true);
}

void TPTCustomShellList::RefreshTimerFired() {
    refreshTimer_.SetEnabled(false);
    // The tree first: when it moves the list to another folder, the list refills there now,
    // rather than refreshing a folder it no longer shows.
    if (tree_ != nullptr) tree_->FlushPendingSync();
    {
        UpdateLock lock(*this);
        RefreshItems();
    }
    if (folderChangePending_) FollowFolder();
}

void TPTCustomShellList::FlushPendingSync(bool withTree) {
    if (withTree && tree_ != nullptr) tree_->FlushPendingSync();
    if (refreshTimer_.Enabled()) RefreshTimerFired();
}

}  // namespace shellctl
