// One owner for every kind of platform handle: a move-only holder with a close policy, and the
// guards of a device context's state (a selected object, a saved state).
#pragma once

#include <utility>

#include <windows.h>

namespace base {

template <class Policy>
class UniqueHandle {
  public:
    using Type = typename Policy::Type;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Type handle) noexcept : handle_(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { Reset(); }

    Type Get() const noexcept { return handle_; }
    bool Valid() const noexcept { return handle_ != Policy::Invalid(); }
    explicit operator bool() const noexcept { return Valid(); }

    // Gives up ownership without closing.
    Type Release() noexcept { return std::exchange(handle_, Policy::Invalid()); }
    void Reset(Type handle = Policy::Invalid()) noexcept {
        Type old = std::exchange(handle_, handle);
        if (old != Policy::Invalid()) Policy::Close(old);
    }

  private:
    Type handle_ = Policy::Invalid();
};

namespace handle_policy {

struct Kernel {  // events, threads, processes, mappings: invalid is NULL
    using Type = HANDLE;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type h) noexcept { CloseHandle(h); }
};
struct File {  // CreateFile results: invalid is INVALID_HANDLE_VALUE
    using Type = HANDLE;
    static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) noexcept { CloseHandle(h); }
};
struct Find {
    using Type = HANDLE;
    static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) noexcept { FindClose(h); }
};
struct ChangeNotification {
    using Type = HANDLE;
    static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) noexcept { FindCloseChangeNotification(h); }
};
struct RegistryKey {
    using Type = HKEY;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type h) noexcept { RegCloseKey(h); }
};
struct Menu {
    using Type = HMENU;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type h) noexcept { DestroyMenu(h); }
};
struct Icon {
    using Type = HICON;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type h) noexcept { DestroyIcon(h); }
};
template <class T>
struct Gdi {
    using Type = T;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type h) noexcept { DeleteObject(h); }
};
struct MemoryDc {
    using Type = HDC;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type h) noexcept { DeleteDC(h); }
};
struct Module {
    using Type = HMODULE;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type h) noexcept { FreeLibrary(h); }
};

}  // namespace handle_policy

using KernelHandle = UniqueHandle<handle_policy::Kernel>;
using FileHandle = UniqueHandle<handle_policy::File>;
using FindHandle = UniqueHandle<handle_policy::Find>;
using ChangeNotificationHandle = UniqueHandle<handle_policy::ChangeNotification>;
using RegistryKey = UniqueHandle<handle_policy::RegistryKey>;
using MenuHandle = UniqueHandle<handle_policy::Menu>;
using IconHandle = UniqueHandle<handle_policy::Icon>;
using FontHandle = UniqueHandle<handle_policy::Gdi<HFONT>>;
using BrushHandle = UniqueHandle<handle_policy::Gdi<HBRUSH>>;
using PenHandle = UniqueHandle<handle_policy::Gdi<HPEN>>;
using BitmapHandle = UniqueHandle<handle_policy::Gdi<HBITMAP>>;
using MemoryDcHandle = UniqueHandle<handle_policy::MemoryDc>;
using ModuleHandle = UniqueHandle<handle_policy::Module>;

// Selects a GDI object into a device context and puts the previous one back.
class SelectGuard {
  public:
    SelectGuard(HDC dc, HGDIOBJ object) noexcept : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~SelectGuard() { SelectObject(dc_, previous_); }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;

  private:
    HDC dc_;
    HGDIOBJ previous_;
};

// Saves the whole state of a device context (selected objects, clipping, origins, colours) and
// restores it when it goes, so that a drawing routine can change what it likes on a context it
// was lent.
class SavedDc {
  public:
    explicit SavedDc(HDC dc) noexcept : dc_(dc), saved_(SaveDC(dc)) {}
    ~SavedDc() {
        if (saved_ != 0) RestoreDC(dc_, saved_);
    }
    SavedDc(const SavedDc&) = delete;
    SavedDc& operator=(const SavedDc&) = delete;

  private:
    HDC dc_;
    int saved_;
};

}  // namespace base
