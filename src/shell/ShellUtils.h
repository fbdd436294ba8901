// The small shell functions the shell controls rest on: folders, paths and lists, display names,
// special folders, icons and the system image lists, and drive validation.
#pragma once

#include <string>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <wrl/client.h>

#include "shell/Pidl.h"

// Interface pointers handed to event handlers that neither hold nor drop a reference: a plain
// pointer of these types is never added to or released.
using IUnknown_NRC = IUnknown;
using IShellDetails_NRC = IShellDetails;
using IShellFolder_NRC = IShellFolder;

// The special folder number that means "no special folder".
constexpr int kNoSpecialFolder = 50;
// The special folder holding the drives (the computer).
constexpr int kDrivesFolder = CSIDL_DRIVES;

// Which name GetDisplayName asks for.
enum TDisplayNameKind : int {
    dnNormal = 0,      // the name shown on its own
    dnInFolder = 1,    // the name shown inside its folder
    dnForParsing = 2,  // the name the shell parses back (a file-system path for files)
};

// The two system image lists.
enum TSystemImageListSize : int { silSmall = 0, silLarge = 1 };

// The folder of an absolute list (the desktop for a missing or empty one).
HRESULT BindToFolder(const ITEMIDLIST* pidl, Microsoft::WRL::ComPtr<IShellFolder>& folder);
// Parses a path (or any name the desktop understands) into a new absolute list.
HRESULT PathToPidl(const std::wstring& path, UniquePidl& pidl);
// The file-system path of a list; empty for a virtual location.
std::wstring PidlToPath(const ITEMIDLIST* pidl);
// The file-system path of a special folder; empty when it has none or does not exist.
std::wstring SpecialFolderPath(HWND owner, int folder);
// The absolute list of a special folder (the number masked to its low 7 bits).
HRESULT GetSpecialFolderLocation(HWND owner, int folder, UniquePidl& pidl);
// The index of a location's icon in the system image list; 0 when the shell cannot say.
int GetIconIndex(const ITEMIDLIST* pidl, UINT extraFlags = 0);
// The number of the first special folder (0 to 50) at the location of an absolute list;
// kNoSpecialFolder when none is.
int SpecialFolderOf(const ITEMIDLIST* pidl);
// A name of an item of a folder (the desktop when folder is null); empty when the shell fails.
std::wstring GetDisplayName(IShellFolder* folder, const ITEMIDLIST* pidl, TDisplayNameKind kind);
// The in-folder name of the location of an absolute list. Throws when its parent cannot be bound.
std::wstring DisplayNameOfPidl(const ITEMIDLIST* pidl);
// The system image list of the given size, with the shell's overlays installed first where the
// platform needs them.
HIMAGELIST GetSystemImageList(TSystemImageListSize size);
// Adds the shell library's link and share overlays to both system image lists; nothing where the
// library lacks the images.
void InstallShellOverlays();

// Makes the shell forget what it knows about drives, unless a refresh is in progress (see
// ShellRefreshScope). Throws when the computer folder cannot be reached.
void ValidateDrives();

// Held by a shell control around its refresh; ValidateDrives does nothing while one is held.
class ShellRefreshScope {
  public:
    ShellRefreshScope() noexcept { ++nesting_; }
    ~ShellRefreshScope() { --nesting_; }
    ShellRefreshScope(const ShellRefreshScope&) = delete;
    ShellRefreshScope& operator=(const ShellRefreshScope&) = delete;
    static int Nesting() noexcept { return nesting_; }

  private:
    static inline int nesting_ = 0;  // the user-interface thread's only
};
