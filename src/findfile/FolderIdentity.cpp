#include "findfile/FolderIdentity.h"

#include "ui/Handle.h"

namespace findfile {

std::optional<FolderIdentity> ReadFolderIdentity(const std::wstring& folder) {
    // Opening for attributes only needs no access to the folder's content; the backup flag
    // lets a folder be opened at all.
    ui::FileHandle handle(CreateFileW(folder.empty() ? L"." : folder.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!handle || !GetFileInformationByHandle(handle.Get(), &info)) return std::nullopt;
    return FolderIdentity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

}  // namespace findfile
