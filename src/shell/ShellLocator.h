// A persistent reference to a shell namespace location: an item identifier list or a special
// folder number, with a change event. The shell controls name their folders with it.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "shell/Pidl.h"

class TPTShellLocator {
  public:
    static constexpr BYTE kPidlKind = 0;           // the location is a list
    static constexpr BYTE kSpecialFolderKind = 1;  // the location is a special folder

    // A new locator names the desktop.
    TPTShellLocator() = default;
    TPTShellLocator(const TPTShellLocator&) = delete;
    TPTShellLocator& operator=(const TPTShellLocator&) = delete;
    virtual ~TPTShellLocator() = default;

    BYTE Kind() const noexcept { return kind_; }
    // The absolute list of the location, owned by the locator: null for the desktop; for a
    // special folder, its list, looked up on first use and kept until the locator changes.
    const ITEMIDLIST* Pidl() const;
    // Names the location of a list (a copy is held; none for the desktop). Raises OnChange when
    // the location differs from the one held.
    void SetPidl(const ITEMIDLIST* pidl);
    // The special folder number with kSpecialFolderKind; kNoSpecialFolder (50) once a list is set.
    BYTE SpecialFolder() const noexcept { return specialFolder_; }
    // Names a special folder; raises OnChange unless the locator named that folder already.
    void SetSpecialFolder(BYTE folder);
    // The file-system path of the location; empty for a virtual one.
    std::wstring Path() const;
    // Names the location of a path, or the desktop when the shell cannot parse it.
    void SetPath(const std::wstring& path);
    // Names the desktop.
    void Clear() { SetPidl(nullptr); }

    // Whether both name the same location in the same way.
    bool IsSame(const TPTShellLocator& other) const;
    // Copies another locator's location (null: back to the desktop when a list is held), raising
    // OnChange when it differs. Locators take no other source: the type allows none.
    void Assign(const TPTShellLocator* source);

    // The stored form ("Pidl" in saved state): present only for a list or a special folder.
    bool HasStoredForm() const noexcept { return kind_ != kPidlKind || pidl_; }
    // Appends the stored form to stream.
    void WriteStoredForm(std::vector<std::uint8_t>& stream) const;
    // Reads a stored form from the start of block and returns the number of bytes it took. A
    // damaged form throws base::Error and leaves the locator as it was. Raises no OnChange.
    std::size_t ReadStoredForm(std::span<const std::uint8_t> block);

    // Raises OnChange.
    virtual void Change();
    std::function<void(TPTShellLocator& sender)> OnChange;

  private:
    BYTE kind_ = kPidlKind;
    BYTE specialFolder_ = 0;
    mutable UniquePidl pidl_;  // with kSpecialFolderKind a cache, hence mutable
};
