// The key bindings the shell tree and the shell list share: seven slots, each a key text and its
// shortcut, parsed once on first use by whichever control needs them first; and their wheel.
#pragma once

#include <array>

#include <windows.h>

#include "shellctl/ShortcutText.h"

namespace shellctl {

struct TPTShellControlDefKeyRec {
    const wchar_t* KeyText;
    Shortcut ShortCut;
};

// The slots, in table order.
enum TPTShellKeySlot : int {
    skSelectAll,  // "Ctrl+A"
    skDelete,     // "Del"; also with Shift held
    skCopy,       // "Ctrl+C"
    skCut,        // "Ctrl+X"
    skPaste,      // "Ctrl+V"
    skRefresh,    // "F5"
    skRename,     // "F2"
};
constexpr int kShellKeySlotCount = 7;
constexpr int kNoShellKey = -1;

// The table, its shortcuts parsed.
const std::array<TPTShellControlDefKeyRec, kShellKeySlotCount>& ShellControlDefKeys();

// The slot a key press (virtual-key code with its kShortcut* modifiers) is bound to, or
// kNoShellKey. The delete slot matches with Shift added too.
int MatchShellKey(Shortcut shortcut);

// Scrolls window by a wheel's delta: the system's lines a notch down (or up), a page when it
// says so, one column a notch sideways. What is left of a notch is kept in remainder; a bar
// with nothing to scroll forgets it.
void ScrollByWheel(HWND window, int delta, int& remainder, bool sideways);

}  // namespace shellctl
