// Global memory blocks, the currency of the clipboard and of drag-and-drop: an owner that frees
// the block and a scope that keeps it locked. Nothing here raises: the data objects that use them
// answer a failure with a result code.
//
//   base::GlobalMemoryHandle block = base::AllocGlobal(size);   // movable, zero-filled
//   { base::ScopedGlobalLock<DROPFILES> lock(block.Get()); lock.Data()->pFiles = ...; }
//   medium.hGlobal = block.Release();                          // handed over to the receiver
#pragma once

#include <cstddef>
#include <cstring>

#include <windows.h>

#include "base/Handle.h"

namespace base {

namespace handle_policy {
struct GlobalMemory {
    using Type = HGLOBAL;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type h) noexcept { GlobalFree(h); }
};
}  // namespace handle_policy

using GlobalMemoryHandle = UniqueHandle<handle_policy::GlobalMemory>;

// A block with the number of bytes that count (GlobalSize may report more).
struct GlobalBlock {
    GlobalMemoryHandle memory;
    std::size_t size = 0;

    explicit operator bool() const noexcept { return memory.Valid(); }
};

// Locks a block (owned or not) for as long as the scope lives. Data() is null when the block
// could not be locked (a null or discarded block); Size() is then 0.
template <class T = BYTE>
class ScopedGlobalLock {
  public:
    explicit ScopedGlobalLock(HGLOBAL block) noexcept
        : block_(block), data_(block != nullptr ? static_cast<T*>(GlobalLock(block)) : nullptr) {
        if (data_ != nullptr) size_ = GlobalSize(block);
    }
    ~ScopedGlobalLock() {
        if (data_ != nullptr) GlobalUnlock(block_);
    }
    ScopedGlobalLock(const ScopedGlobalLock&) = delete;
    ScopedGlobalLock& operator=(const ScopedGlobalLock&) = delete;

    T* Data() const noexcept { return data_; }
    // The size of the block in bytes, which may exceed what was asked for at allocation.
    std::size_t Size() const noexcept { return size_; }

  private:
    HGLOBAL block_;
    T* data_;
    std::size_t size_ = 0;
};

// A new movable, zero-filled block of size bytes; empty when out of memory.
inline GlobalMemoryHandle AllocGlobal(std::size_t size) {
    return GlobalMemoryHandle(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size));
}

// A new movable block with the first size bytes of source; empty when out of memory or when
// source is shorter than size.
inline GlobalMemoryHandle CopyGlobal(HGLOBAL source, std::size_t size) {
    ScopedGlobalLock<> from(source);
    if (from.Data() == nullptr || from.Size() < size) return {};
    GlobalMemoryHandle copy = AllocGlobal(size);
    ScopedGlobalLock<> to(copy.Get());
    if (to.Data() == nullptr) return {};
    std::memcpy(to.Data(), from.Data(), size);
    return copy;
}

}  // namespace base
