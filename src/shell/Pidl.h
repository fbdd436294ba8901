// Item identifier lists: the shell allocator, the free functions over raw lists, and the owning
// holder the rest of the program keeps its lists in.
#pragma once

#include <cstddef>

#include <windows.h>
#include <objidl.h>
#include <shtypes.h>

// ComparePidls' answer when the shell could not compare the two lists. Never 0.
constexpr int kPidlsIncomparable = 2147483647;

// The shell's task allocator, obtained once and kept for the life of the process.
IMalloc* ShellMalloc();
// Allocates through the shell's allocator; null when it cannot.
void* ShellAlloc(std::size_t size);
// Frees through the shell's allocator; null is ignored.
void ShellFree(void* block);

// The size of a list in bytes, its terminator included; 0 for a missing list.
UINT PidlSize(const ITEMIDLIST* pidl);
// A new list with the items of pidl (an empty list for a missing or empty one), allocated through
// malloc or, when that is null, the shell's allocator. Null when the allocation fails.
ITEMIDLIST* CopyPidl(IMalloc* malloc, const ITEMIDLIST* pidl);
// A new list with the items of first followed by those of second; either may be missing or empty.
ITEMIDLIST* ConcatPidls(IMalloc* malloc, const ITEMIDLIST* first, const ITEMIDLIST* second);
// Compares two absolute lists through the desktop folder: 0 when they name the same location,
// negative when a sorts first, positive when b does; kPidlsIncomparable when the shell cannot
// compare them. A missing or empty list sorts before any other (-1 whichever it is).
int ComparePidls(const ITEMIDLIST* a, const ITEMIDLIST* b);

// The empty list (the desktop), a constant that is never freed.
const ITEMIDLIST* EmptyPidl() noexcept;
// pidl, or the empty list when it is missing: for calls that want a location.
inline const ITEMIDLIST* PidlOrEmpty(const ITEMIDLIST* pidl) noexcept {
    return pidl != nullptr ? pidl : EmptyPidl();
}
// True for the empty list (the desktop), false for a missing one.
inline bool IsEmptyPidl(const ITEMIDLIST* pidl) { return pidl != nullptr && pidl->mkid.cb == 0; }
// The rest of a non-empty list after its first item (the terminator when it had one item).
inline const ITEMIDLIST* NextPidlItem(const ITEMIDLIST* pidl) {
    return reinterpret_cast<const ITEMIDLIST*>(reinterpret_cast<const BYTE*>(pidl) + pidl->mkid.cb);
}

// True when size bytes hold exactly one list: items of at least 2 bytes each, ending with the
// terminator in the last two bytes. For lists that come from outside the process.
bool IsWellFormedPidl(const void* bytes, std::size_t size);

// Owns one list allocated through the shell's allocator and frees it there.
class UniquePidl {
  public:
    UniquePidl() noexcept = default;
    explicit UniquePidl(ITEMIDLIST* pidl) noexcept : pidl_(pidl) {}
    UniquePidl(UniquePidl&& other) noexcept : pidl_(other.Release()) {}
    UniquePidl& operator=(UniquePidl&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    UniquePidl(const UniquePidl&) = delete;
    UniquePidl& operator=(const UniquePidl&) = delete;
    ~UniquePidl() { Reset(); }

    // A copy of pidl (an empty list for a missing one); throws std::bad_alloc when out of memory.
    static UniquePidl CopyOf(const ITEMIDLIST* pidl);
    // first joined with second; throws std::bad_alloc when out of memory.
    static UniquePidl Concat(const ITEMIDLIST* first, const ITEMIDLIST* second);

    ITEMIDLIST* Get() const noexcept { return pidl_; }
    explicit operator bool() const noexcept { return pidl_ != nullptr; }
    UINT Size() const noexcept { return PidlSize(pidl_); }

    // Gives up ownership without freeing.
    ITEMIDLIST* Release() noexcept {
        ITEMIDLIST* pidl = pidl_;
        pidl_ = nullptr;
        return pidl;
    }
    void Reset(ITEMIDLIST* pidl = nullptr) noexcept {
        ITEMIDLIST* old = pidl_;
        pidl_ = pidl;
        if (old != nullptr && old != pidl) ShellFree(old);
    }
    // Frees what is held and returns the slot, for the platform's out parameters.
    ITEMIDLIST** Receive() noexcept {
        Reset();
        return &pidl_;
    }

  private:
    ITEMIDLIST* pidl_ = nullptr;
};
