#include "shellctl/ShellListData.h"

#include <windows.h>
#include <shellapi.h>

#include "shell/ShellUtils.h"
#include "shellctl/ShellList.h"

namespace shellctl {
namespace {

const std::wstring kNoText;

bool IsRemovableDrive(const std::wstring& path) {
    if (path.size() < 3 || path[1] != L':') return false;
    const std::wstring root = path.substr(0, 2) + L"\\";
    return GetDriveTypeW(root.c_str()) == DRIVE_REMOVABLE;
}

}  // namespace

TPTShListData::TPTShListData(TPTCustomShellList& list, UniquePidl relIdList) noexcept
    : list_(&list), relIdList_(std::move(relIdList)) {}

TPTShListData::~TPTShListData() = default;

const ITEMIDLIST* TPTShListData::GetAbsIdList() {
    if (!absIdList_) absIdList_ = UniquePidl::Concat(list_->FolderIdList(), relIdList_.Get());
    return absIdList_.Get();
}

std::wstring TPTShListData::GetPath() {
    // Walking every item for its path keeps no absolute list per item.
    if (absIdList_) return PidlToPath(absIdList_.Get());
    return PidlToPath(UniquePidl::Concat(list_->FolderIdList(), relIdList_.Get()).Get());
}

ULONG TPTShListData::GetAttributes() {
    IShellFolder* folder = list_->ShellFolder();
    if (folder == nullptr) return 0;
    ULONG attributes = kItemAttributeRequest;
    // Asking for the read-only bit of an item on a removable drive reads the medium.
    const std::wstring path = GetPath();
    if (path.size() > 3 && IsRemovableDrive(path)) attributes &= ~ULONG(SFGAO_READONLY);
    const ITEMIDLIST* item = relIdList_.Get();
    if (FAILED(folder->GetAttributesOf(1, &item, &attributes))) return 0;
    return attributes;
}

bool TPTShListData::IsLink() {
    const std::wstring path = GetPath();
    return path.size() >= 4 &&
           CompareStringOrdinal(path.c_str() + path.size() - 4, 4, L".lnk", 4, TRUE) == CSTR_EQUAL;
}

const std::wstring& TPTShListData::GetDisplayText() {
    if (displayName_.empty()) {
        SHFILEINFOW info{};
        if (SHGetFileInfoW(reinterpret_cast<LPCWSTR>(GetAbsIdList()), 0, &info, sizeof info,
                           SHGFI_PIDL | SHGFI_DISPLAYNAME) != 0)
            displayName_ = info.szDisplayName;
    }
    return displayName_;
}

int TPTShListData::GetIconIndex() {
    if (iconIndex_ < 0) iconIndex_ = ::GetIconIndex(GetAbsIdList(), SHGFI_SMALLICON);
    return iconIndex_;
}

void TPTShListData::ReplaceRelIdList(UniquePidl relIdList) {
    relIdList_ = std::move(relIdList);
    Invalidate();
}

void TPTShListData::Invalidate() noexcept {
    absIdList_.Reset();
    displayName_.clear();
    displayName_.shrink_to_fit();
    details_.reset();
    iconIndex_ = -1;
}

const std::wstring& TPTShListData::SizeText() const noexcept {
    return details_ ? details_->size : kNoText;
}
const std::wstring& TPTShListData::TypeText() const noexcept {
    return details_ ? details_->type : kNoText;
}
const std::wstring& TPTShListData::ModifiedText() const noexcept {
    return details_ ? details_->modified : kNoText;
}

}  // namespace shellctl
