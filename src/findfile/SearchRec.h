// The platform enumeration's record of one directory entry, as the search reports it.
#pragma once

#include <cstdint>
#include <string>

#include <windows.h>

namespace findfile {

struct TSearchRec {
    std::wstring Name;            // without the folder
    DWORD Attr = 0;               // the platform's attribute bits
    std::uint32_t Size = 0;       // the low 32 bits of the size
    WIN32_FIND_DATAW FindData{};  // the full record: UTC times, 64-bit size, short name

    // The size with all 64 bits.
    std::uint64_t FullSize() const noexcept {
        return (std::uint64_t(FindData.nFileSizeHigh) << 32) | FindData.nFileSizeLow;
    }
    // The last-write time in local time, packed as a date word (high) and a time word (low).
    std::int32_t Time() const noexcept;

    // Takes name, attributes and size from FindData.
    void Fill() {
        Name.assign(FindData.cFileName);
        Attr = FindData.dwFileAttributes;
        Size = FindData.nFileSizeLow;
    }
};

}  // namespace findfile
