#include "shell/Pidl.h"

#include <cstring>
#include <new>

#include <shlobj.h>
#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

namespace {

// The bytes of a list's items, without the terminator.
UINT ItemBytes(const ITEMIDLIST* pidl) {
    const UINT size = PidlSize(pidl);
    return size == 0 ? 0 : size - 2;
}

ITEMIDLIST* Allocate(IMalloc* malloc, std::size_t size) {
    return static_cast<ITEMIDLIST*>(malloc != nullptr ? malloc->Alloc(size) : ShellAlloc(size));
}

}  // namespace

IMalloc* ShellMalloc() {
    // The task allocator is a process-wide object that outlives every caller; it is never
    // released so that no late caller finds it gone.
    static IMalloc* const malloc = [] {
        IMalloc* result = nullptr;
        if (FAILED(SHGetMalloc(&result))) result = nullptr;
        return result;
    }();
    return malloc;
}

void* ShellAlloc(std::size_t size) {
    IMalloc* malloc = ShellMalloc();
    return malloc != nullptr ? malloc->Alloc(size) : nullptr;
}

void ShellFree(void* block) {
    if (block == nullptr) return;
    if (IMalloc* malloc = ShellMalloc()) malloc->Free(block);
}

const ITEMIDLIST* EmptyPidl() noexcept {
    static const USHORT terminator = 0;
    return reinterpret_cast<const ITEMIDLIST*>(&terminator);
}

UINT PidlSize(const ITEMIDLIST* pidl) {
    if (pidl == nullptr) return 0;
    UINT size = 2;
    for (; pidl->mkid.cb != 0; pidl = NextPidlItem(pidl)) size += pidl->mkid.cb;
    return size;
}

bool IsWellFormedPidl(const void* bytes, std::size_t size) {
    const auto* data = static_cast<const BYTE*>(bytes);
    std::size_t position = 0;
    while (position + 2 <= size) {
        const std::size_t count = data[position] | (data[position + 1] << 8);
        if (count == 0) return position + 2 == size;
        if (count < 2) return false;
        position += count;
    }
    return false;
}

ITEMIDLIST* CopyPidl(IMalloc* malloc, const ITEMIDLIST* pidl) {
    return ConcatPidls(malloc, pidl, nullptr);
}

ITEMIDLIST* ConcatPidls(IMalloc* malloc, const ITEMIDLIST* first, const ITEMIDLIST* second) {
    const UINT firstBytes = ItemBytes(first);
    const UINT secondBytes = ItemBytes(second);
    ITEMIDLIST* result = Allocate(malloc, firstBytes + secondBytes + 2);
    if (result == nullptr) return nullptr;
    auto* bytes = reinterpret_cast<BYTE*>(result);
    if (firstBytes != 0) std::memcpy(bytes, first, firstBytes);
    if (secondBytes != 0) std::memcpy(bytes + firstBytes, second, secondBytes);
    std::memset(bytes + firstBytes + secondBytes, 0, 2);
    return result;
}

int ComparePidls(const ITEMIDLIST* a, const ITEMIDLIST* b) {
    if (a == nullptr || b == nullptr) return a == b ? 0 : -1;
    const bool aEmpty = IsEmptyPidl(a);
    const bool bEmpty = IsEmptyPidl(b);
    if (aEmpty || bEmpty) return aEmpty == bEmpty ? 0 : -1;
    ComPtr<IShellFolder> desktop;
    if (FAILED(SHGetDesktopFolder(&desktop)) || !desktop) return kPidlsIncomparable;
    const HRESULT hr = desktop->CompareIDs(0, a, b);
    if (FAILED(hr)) return kPidlsIncomparable;
    return static_cast<short>(HRESULT_CODE(hr));
}

UniquePidl UniquePidl::CopyOf(const ITEMIDLIST* pidl) {
    UniquePidl copy(CopyPidl(nullptr, pidl));
    if (!copy) throw std::bad_alloc();
    return copy;
}

UniquePidl UniquePidl::Concat(const ITEMIDLIST* first, const ITEMIDLIST* second) {
    UniquePidl joined(ConcatPidls(nullptr, first, second));
    if (!joined) throw std::bad_alloc();
    return joined;
}
