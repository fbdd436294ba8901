// Helpers of the shell tests: synthetic lists of given item sizes and real lists of real folders.
#pragma once

#include <initializer_list>
#include <string>

#include <gtest/gtest.h>

#include "shell/Pidl.h"
#include "shell/ShellUtils.h"

namespace shell_test {

// A list with items of the given sizes; the bytes of item i after its count are all seed + i.
inline UniquePidl MakeItems(std::initializer_list<USHORT> sizes, BYTE seed = 0x40) {
    UINT total = 2;
    for (USHORT size : sizes) total += size;
    UniquePidl pidl(static_cast<ITEMIDLIST*>(ShellAlloc(total)));
    auto* bytes = reinterpret_cast<BYTE*>(pidl.Get());
    BYTE fill = seed;
    for (USHORT size : sizes) {
        bytes[0] = BYTE(size);
        bytes[1] = BYTE(size >> 8);
        for (USHORT i = 2; i < size; ++i) bytes[i] = fill;
        bytes += size;
        ++fill;
    }
    bytes[0] = bytes[1] = 0;
    return pidl;
}

inline std::string Bytes(const ITEMIDLIST* pidl) {
    return std::string(reinterpret_cast<const char*>(pidl), PidlSize(pidl));
}

// The absolute list of a path; fails the test when the shell cannot parse it.
inline UniquePidl ParsePath(const std::wstring& path) {
    UniquePidl pidl;
    const HRESULT hr = PathToPidl(path, pidl);
    EXPECT_TRUE(SUCCEEDED(hr)) << std::hex << hr;
    return pidl;
}

}  // namespace shell_test
