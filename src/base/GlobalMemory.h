// Global memory blocks, as the clipboard and data objects exchange them: an owner that frees the
// block, and a lock that gives the bytes for as long as it lives.
//
//   base::GlobalHandle block = base::AllocateGlobal(size);   // movable, zero-filled
//   { base::GlobalLock<DROPFILES> lock(block.Get()); lock.Get()->pFiles = ...; }
//   medium.hGlobal = block.Release();                      // handed over to the receiver
#pragma once

#include <cstddef>

#include <windows.h>

#include "base/Handle.h"

namespace base {

namespace handle_policy {
struct Global {
    using Type = HGLOBAL;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type h) noexcept { GlobalFree(h); }
};
}  // namespace handle_policy

using GlobalHandle = UniqueHandle<handle_policy::Global>;

// A movable block of size bytes, zero-filled. Raises the platform error when there is no memory.
GlobalHandle AllocateGlobal(std::size_t size);
// A new movable block holding a copy of the bytes of another one (a data object hands out
// copies of the blocks it keeps).
GlobalHandle CopyGlobal(HGLOBAL source);

// Locks a block (owned or not) and unlocks it when it goes. Get() is null when the block could not
// be locked (a discarded block, or none).
template <class T = void>
class GlobalLock {
  public:
    explicit GlobalLock(HGLOBAL block) noexcept
        : block_(block), data_(block != nullptr ? ::GlobalLock(block) : nullptr) {}
    ~GlobalLock() {
        if (data_ != nullptr) ::GlobalUnlock(block_);
    }
    GlobalLock(const GlobalLock&) = delete;
    GlobalLock& operator=(const GlobalLock&) = delete;

    T* Get() const noexcept { return static_cast<T*>(data_); }
    // The block's size in bytes (at least what was asked for).
    std::size_t Size() const noexcept { return data_ != nullptr ? ::GlobalSize(block_) : 0; }

  private:
    HGLOBAL block_;
    void* data_;
};

}  // namespace base
