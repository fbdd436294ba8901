// Which folder a path leads to, whatever links it passes through.
#pragma once

#include <optional>
#include <string>

#include <windows.h>

namespace findfile {

// The volume and the file index of a folder: two paths with equal identities name the same
// folder (a link to a folder has the identity of its target).
struct FolderIdentity {
    DWORD VolumeSerial = 0;
    DWORD IndexHigh = 0;
    DWORD IndexLow = 0;
    friend bool operator==(const FolderIdentity&, const FolderIdentity&) = default;
};

// The identity of a folder (empty path: the current directory); none when it cannot be opened.
std::optional<FolderIdentity> ReadFolderIdentity(const std::wstring& folder);

}  // namespace findfile
