#include "findfile/FolderIdentity.h"

#include "base/Handle.h"

namespace findfile {

std::optional<FolderIdentity> ReadFolderIdentity(const std::wstring& folder) {
    // Opening for attributes only needs no access to the folder's content; the backup flag
    // lets a folder be opened at all.
    base::FileHandle handle(
        CreateFileW(folder.empty() ? L"." : folder.c_str(), FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!handle || !GetFileInformationByHandle(handle.Get(), &info)) return std::nullopt;
    return FolderIdentity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

bool FolderChain::Enter(const std::wstring& folder, bool viaLink) {
    Entry entry{&folder, viaLink, false, std::nullopt};
    if (viaLink || links_ > 0) {
        entry.identity = ReadFolderIdentity(folder);
        entry.identityRead = true;
        if (entry.identity) {
            for (Entry& ancestor : entries_)
                if (IdentityOf(ancestor) == entry.identity) return false;
        }
    }
    entries_.push_back(entry);
    if (viaLink) ++links_;
    return true;
}

void FolderChain::Leave() {
    if (entries_.back().viaLink) --links_;
    entries_.pop_back();
}

const std::optional<FolderIdentity>& FolderChain::IdentityOf(Entry& entry) {
    if (!entry.identityRead) {
        entry.identity = ReadFolderIdentity(*entry.folder);
        entry.identityRead = true;
    }
    return entry.identity;
}

}  // namespace findfile
