// Filling the shell list: binding its folder, enumerating it, accepting items and appending them.
#include <utility>

#include "base/Error.h"
#include "shellctl/ShellList.h"
#include "ui/Application.h"
#include "ui/Cursor.h"
#include "ui/Dialogs.h"

using Microsoft::WRL::ComPtr;

namespace shellctl {
namespace {

// What AcceptItem asks the folder for: file system, folder, file-system ancestor, removable,
// ghosted, share and link.
constexpr ULONG kAcceptRequest = 0x720B0000;

// Critical-error boxes (an empty drive) stay away while a folder is read.
class NoCriticalErrorBoxes {
  public:
    NoCriticalErrorBoxes() : previous_(SetErrorMode(SEM_FAILCRITICALERRORS)) {}
    ~NoCriticalErrorBoxes() { SetErrorMode(previous_); }
    NoCriticalErrorBoxes(const NoCriticalErrorBoxes&) = delete;
    NoCriticalErrorBoxes& operator=(const NoCriticalErrorBoxes&) = delete;

  private:
    UINT previous_;
};

}  // namespace

void TPTCustomShellList::Refill() {
    if (Handle() == nullptr) return;
    if (dragging_ || EditControl() != nullptr) {
        refillPending_ = true;
        return;
    }
    refillPending_ = refreshPending_ = false;
    ui::CursorGuard hourglass;
    ClearSelection();
    DeleteAllShellItems();
    {
        ItemsUpdate update(*this);
        const UniquePidl target = UniquePidl::CopyOf(folder_.Pidl());
        ComPtr<IShellFolder> folder;
        const HRESULT hr = BindToFolder(target.Get(), folder);
        if (FAILED(hr)) throw base::PlatformError::FromHResult(hr);
        // The names the masks find are those of the folder about to be listed.
        PrepareFileFilter(target.Get());
        struct Release {
            TPTCustomShellList& list;
            ~Release() { list.ReleaseFileFilter(); }
        } release{*this};
        FillList(folder.Get(), target.Get());
    }
    SortItems();
    FocusFirstItem();
    if (options_.Contains(ptsloDynamicRefresh)) StartWatching();
}

void TPTCustomShellList::FocusFirstItem() {
    if (items_.empty()) return;
    SetItemState(0, LVIS_FOCUSED, LVIS_FOCUSED);
    if (viewStyle_ == LV_VIEW_ICON || viewStyle_ == LV_VIEW_SMALLICON) {
        POINT origin{};
        Send(LVM_GETORIGIN, 0, LPARAM(&origin));
        Send(LVM_SCROLL, WPARAM(-origin.x), LPARAM(-origin.y));
    }
}

void TPTCustomShellList::FillList(IShellFolder* folder, const ITEMIDLIST* absIdList) {
    if (folder == nullptr) throw base::Error(L"There is no folder to list");
    ItemsUpdate update(*this);
    DoFillStart();
    ComPtr<IShellFolder> oldFolder = shellFolder_;
    UniquePidl oldIdList = std::move(folderIdList_);
    try {
        NoCriticalErrorBoxes noBoxes;
        if (!items_.empty()) DeleteAllShellItems();
        folderIdList_ = UniquePidl::CopyOf(absIdList);
        shellFolder_ = folder;
        provider_.Reset();
        providerLookedUp_ = false;
        RebuildColumns(DetailsProvider());
        DataList accepted = AcceptedOf(EnumerateFolder());
        AppendItems(std::move(accepted));
    } catch (...) {
        // The list is left on its old folder, folder and list alike, with nothing of the new.
        DeleteAllShellItems();
        shellFolder_ = std::move(oldFolder);
        folderIdList_ = std::move(oldIdList);
        provider_.Reset();
        providerLookedUp_ = false;
        skippedItems_ = 0;
        DoFillComplete();
        throw;
    }
    DoFillComplete();
    ReportSkippedItems();
}

SHCONTF TPTCustomShellList::EnumerationFlags() const {
    return SHCONTF_FOLDERS | SHCONTF_NONFOLDERS |
           (options_.Contains(ptsloShowHidden) ? SHCONTF_INCLUDEHIDDEN : 0);
}

TPTCustomShellList::PidlList TPTCustomShellList::EnumerateFolder(bool* complete,
                                                                 const PidlFilter& keep) {
    PidlList collected;
    if (complete != nullptr) *complete = false;
    ComPtr<IEnumIDList> enumerator;
    HRESULT hr = shellFolder_->EnumObjects(ShellOwnerWindow(), EnumerationFlags(), &enumerator);
    // A folder that cannot be enumerated lists nothing; one that says it has nothing (S_FALSE,
    // or no enumerator) is empty.
    if (FAILED(hr)) return collected;
    if (hr != S_OK || !enumerator) {
        if (complete != nullptr) *complete = true;
        return collected;
    }
    collected.reserve(500);
    for (;;) {
        UniquePidl item;
        ULONG fetched = 0;
        hr = enumerator->Next(1, item.Receive(), &fetched);
        if (hr != S_OK || fetched != 1 || !item) break;
        if (!keep || keep(item.Get())) collected.push_back(std::move(item));
    }
    if (SUCCEEDED(hr) || hr == HRESULT_FROM_WIN32(ERROR_NO_MORE_ITEMS)) {
        if (complete != nullptr) *complete = true;
        return collected;
    }
    // A folder that gives up half way lists nothing, and says nothing.
    if (hr == E_FAIL) return {};
    throw base::PlatformError::FromHResult(hr);
}

TPTCustomShellList::DataList TPTCustomShellList::AcceptedOf(PidlList candidates) {
    DataList accepted;
    accepted.reserve(candidates.size());
    for (UniquePidl& item : candidates) {
        try {
            ULONG attributes = 0;
            if (!AcceptItem(folderIdList_.Get(), item.Get(), attributes)) continue;
            auto data = std::make_unique<TPTShListData>(*this, std::move(item));
            data->SetAcceptedAttributes(attributes);
            accepted.push_back(std::move(data));
        } catch (const std::exception&) {
            ++skippedItems_;
        }
    }
    return accepted;
}

void TPTCustomShellList::AppendItems(DataList accepted) {
    if (accepted.empty()) return;
    items_.reserve(items_.size() + accepted.size());
    for (std::unique_ptr<TPTShListData>& data : accepted) items_.push_back(std::move(data));
    if (Handle() != nullptr)
        Send(LVM_SETITEMCOUNT, WPARAM(items_.size()), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
}

void TPTCustomShellList::ReportSkippedItems() {
    if (std::exchange(skippedItems_, 0) == 0) return;
    ui::ShowMessageBox(L"Exception in AddNewShellItem", ui::App().Title(), MB_OK);
}

bool TPTCustomShellList::AcceptItem(const ITEMIDLIST* folderAbsIdList, const ITEMIDLIST* relIdList,
                                    ULONG& attributes) {
    attributes = kAcceptRequest;
    if (!shellFolder_ || FAILED(shellFolder_->GetAttributesOf(1, &relIdList, &attributes)))
        attributes = 0;
    attributes &= kAcceptRequest;
    const bool candidate = options_.Contains(ptsloNonFilesystemAncestors) ||
                           (attributes & (SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR)) != 0;
    if (!candidate) return false;
    constexpr ULONG kFileSystemFolder = SFGAO_FOLDER | SFGAO_FILESYSTEM;
    // The linked tree shows the folders; virtual folders stay.
    if (options_.Contains(ptsloHideFoldersWhenLinkedToTree) && tree_ != nullptr &&
        (attributes & kFileSystemFolder) == kFileSystemFolder)
        return false;
    return FilterItem(shellFolder_.Get(), folderAbsIdList, attributes, relIdList);
}

void TPTCustomShellList::AddNewShellItem(const ITEMIDLIST* folderAbsIdList, UniquePidl relIdList) {
    ULONG attributes = 0;
    if (!AcceptItem(folderAbsIdList, relIdList.Get(), attributes)) return;
    auto data = std::make_unique<TPTShListData>(*this, std::move(relIdList));
    data->SetAcceptedAttributes(attributes);
    DataList one;
    one.push_back(std::move(data));
    AppendItems(std::move(one));
}

}  // namespace shellctl
