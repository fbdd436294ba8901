// Renaming a namespace item through its folder: the one rename of the shell tree and the shell
// list.
#pragma once

#include <string>

#include <windows.h>
#include <shlobj.h>

#include "shell/Pidl.h"

// How the new name is meant: the in-folder name, as the user edited it in place.
constexpr SHGDNF kRenameNameFlags = SHGDN_INFOLDER | SHGDN_FOREDITING;

struct TRenameResult {
    // The item has the new name.
    bool renamed = false;
    // Its new list relative to the folder; none when the shell gave none and the new name could
    // not be parsed back either (the caller then reads the folder again).
    UniquePidl newItem;
};

// Renames item (relative to folder) to name, which is passed whole: a name the platform cannot
// take (too long for its path, or with a character a file name cannot hold) is refused before
// the shell is asked, never cut. A refusal or a failure shows one warning box with the system's
// text for it; a cancellation (the shell has spoken to the user itself) shows nothing. Both leave
// renamed false. window owns the shell's own questions.
TRenameResult SetNameOf(HWND window, IShellFolder* folder, const ITEMIDLIST* item,
                        const std::wstring& name);
