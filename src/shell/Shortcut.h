// Reading shell shortcuts (.lnk files).
#pragma once

#include <string>

#include <windows.h>

#include "shell/Pidl.h"

// How ReadShortcut resolves a link whose target has moved.
enum TShortcutResolveMode : BYTE {
    srmQuiet = 0,        // no user interface, a short search, the link file left as it is
    srmInteractive = 1,  // may ask the user (owned by the main window) and update the link
};

// What ReadShortcut learnt of a shortcut.
struct TPTShortcutInfo {
    static constexpr DWORD kAllFields = 63;

    std::wstring Path;  // the target's file-system path; empty for a virtual target
    DWORD Mask = 0;     // kAllFields once every field up to HotKey has been read
    std::wstring Description;
    std::wstring Arguments;
    std::wstring IconLocation;
    int IconIndex = 0;
    std::wstring WorkingDirectory;
    int ShowCommand = 0;
    WORD HotKey = 0;
    TShortcutResolveMode ResolveMode = srmQuiet;  // set by the caller
    UniquePidl Pidl;                              // the target's list, when asked for
    WIN32_FIND_DATAW FindData{};                  // the target as found with its path
};

// Loads and resolves a shortcut and reads its fields in order, stopping at the first failure.
// Returns the result of the last call made.
HRESULT ReadShortcut(const std::wstring& fileName, TPTShortcutInfo& info, bool wantPidl);
