// The data of a shell node: its lists and folders, made on first use and kept.
#include "shellctl/ShellTree.h"

#include "shell/IdListArray.h"
#include "shell/ShellTransfer.h"

using Microsoft::WRL::ComPtr;

namespace shellctl {
namespace {

// What CanRename asks of the item: the file-system bit and the capabilities.
constexpr SFGAOF kRenameQuery = SFGAO_FILESYSTEM | SFGAO_CAPABILITYMASK;

}  // namespace

TPTShTreeData::TPTShTreeData(TPTCustomShellTree& tree, TPTShTreeData* parent, UniquePidl relIdList,
                             SFGAOF attributes)
    : tree_(tree), parent_(parent), relIdList_(std::move(relIdList)), attributes_(attributes) {}

TPTShTreeData::~TPTShTreeData() = default;

bool TPTShTreeData::IsFolder() const noexcept {
    return IsRoot() || (attributes_ & SFGAO_FOLDER) != 0;
}

const ITEMIDLIST* TPTShTreeData::GetAbsIdList() {
    if (!absIdList_) {
        absIdList_ = IsRoot() ? UniquePidl::CopyOf(relIdList_.Get())
                              : UniquePidl::Concat(parent_->GetAbsIdList(), relIdList_.Get());
    }
    return absIdList_.Get();
}

const ITEMIDLIST* TPTShTreeData::GetItemIdList() {
    if (!IsRoot()) return relIdList_.Get();
    if (!rootItem_) {
        TPTIdListArray items(GetAbsIdList());
        rootItem_ =
            UniquePidl::CopyOf(items.Count() > 0 ? items.ItemPidl(items.Count() - 1) : EmptyPidl());
    }
    return rootItem_.Get();
}

IShellFolder* TPTShTreeData::GetShellFolder() {
    if (!shellFolder_) {
        if (IsRoot()) {
            tree_.BindFolder(GetAbsIdList(), shellFolder_);
        } else if (IShellFolder* parent = parent_->GetShellFolder()) {
            if (FAILED(
                    parent->BindToObject(relIdList_.Get(), nullptr, IID_PPV_ARGS(&shellFolder_))))
                shellFolder_.Reset();
        }
    }
    return shellFolder_.Get();
}

IShellFolder* TPTShTreeData::GetParentFolder() {
    if (!IsRoot()) return parent_->GetShellFolder();
    if (!parentFolder_) {
        // The desktop has no folder above it: it answers for itself.
        TPTIdListArray items(GetAbsIdList());
        tree_.BindFolder(items.Count() > 0 ? items.ParentPidl(1) : nullptr, parentFolder_);
    }
    return parentFolder_.Get();
}

bool TPTShTreeData::CanRename() {
    if (IsRoot() || IsEmptyPidl(GetAbsIdList())) return false;
    IShellFolder* parent = GetParentFolder();
    if (parent == nullptr) return false;
    const ITEMIDLIST* item = relIdList_.Get();
    SFGAOF attributes = kRenameQuery;
    return SUCCEEDED(parent->GetAttributesOf(1, &item, &attributes)) &&
           (attributes & SFGAO_CANRENAME) != 0;
}

std::wstring TPTShTreeData::GetPath() { return PidlToPath(GetAbsIdList()); }

void TPTShTreeData::ReplaceRelIdList(const ITEMIDLIST* relIdList) {
    UniquePidl copy = UniquePidl::CopyOf(relIdList);
    absIdList_.Reset();
    rootItem_.Reset();
    shellFolder_.Reset();
    relIdList_ = std::move(copy);
    GetAbsIdList();
}

void TPTShTreeData::Invalidate() {
    absIdList_.Reset();
    rootItem_.Reset();
    shellFolder_.Reset();
}

HRESULT TPTShTreeData::GetDropTarget(HWND window, ComPtr<IDropTarget>& target) {
    target.Reset();
    IShellFolder* parent = GetParentFolder();
    if (parent == nullptr) return E_FAIL;
    // The desktop takes drops as its file-system directory (not every platform's desktop folder
    // makes a drop target of its own).
    if (IsRoot() && IsEmptyPidl(GetAbsIdList()))
        return GetUIObjectOfAbsolute(EmptyPidl(), target, window);
    const ITEMIDLIST* item = GetItemIdList();
    return parent->GetUIObjectOf(window, 1, &item, IID_IDropTarget, nullptr,
                                 reinterpret_cast<void**>(target.GetAddressOf()));
}

}  // namespace shellctl
