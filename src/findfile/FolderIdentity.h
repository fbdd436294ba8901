// Which folder a path leads to, whatever links it passes through, and the chain of folders a
// walk is in, so that links cannot lead it round in circles.
#pragma once

#include <optional>
#include <string>
#include <vector>

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

// The folders from a target down to the one being searched. Without links, a subfolder can never
// be one of its own ancestors, so identities (costly to read) are read only for links, for the
// folders below a link, and for the ancestors they are compared with.
class FolderChain {
  public:
    // Adds a folder (reached through a link when viaLink) unless it is already on the chain.
    // The folder string must live until Leave.
    bool Enter(const std::wstring& folder, bool viaLink);
    void Leave();

  private:
    struct Entry {
        const std::wstring* folder;
        bool viaLink;
        bool identityRead;
        std::optional<FolderIdentity> identity;
    };
    const std::optional<FolderIdentity>& IdentityOf(Entry& entry);

    std::vector<Entry> entries_;
    int links_ = 0;
};

}  // namespace findfile
