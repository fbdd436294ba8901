#include "shellctl/ShellKeys.h"

#include <cstdlib>

namespace shellctl {

const std::array<TPTShellControlDefKeyRec, kShellKeySlotCount>& ShellControlDefKeys() {
    static const std::array<TPTShellControlDefKeyRec, kShellKeySlotCount> keys = [] {
        std::array<TPTShellControlDefKeyRec, kShellKeySlotCount> table{{
            {L"Ctrl+A", 0},
            {L"Del", 0},
            {L"Ctrl+C", 0},
            {L"Ctrl+X", 0},
            {L"Ctrl+V", 0},
            {L"F5", 0},
            {L"F2", 0},
        }};
        for (TPTShellControlDefKeyRec& key : table) key.ShortCut = ParseShortcutText(key.KeyText);
        return table;
    }();
    return keys;
}

int MatchShellKey(Shortcut shortcut) {
    const auto& keys = ShellControlDefKeys();
    for (int slot = 0; slot < kShellKeySlotCount; ++slot) {
        const Shortcut bound = keys[slot].ShortCut;
        if (shortcut == bound || (slot == skDelete && shortcut == (bound | kShortcutShift)))
            return slot;
    }
    return kNoShellKey;
}

void ScrollByWheel(HWND window, int delta, int& remainder, bool sideways) {
    SCROLLINFO bar{};
    bar.cbSize = sizeof bar;
    bar.fMask = SIF_RANGE | SIF_PAGE;
    if (!GetScrollInfo(window, sideways ? SB_HORZ : SB_VERT, &bar) ||
        bar.nMax - bar.nMin + 1 <= int(bar.nPage)) {
        remainder = 0;
        return;
    }
    remainder += delta;
    const int notches = remainder / WHEEL_DELTA;
    remainder %= WHEEL_DELTA;
    UINT lines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    const bool pages = lines == WHEEL_PAGESCROLL;
    const WPARAM code =
        notches > 0 ? (pages ? SB_PAGEUP : SB_LINEUP) : (pages ? SB_PAGEDOWN : SB_LINEDOWN);
    const int steps = std::abs(notches) * (pages || sideways ? 1 : int(lines));
    for (int step = 0; step < steps; ++step)
        SendMessageW(window, sideways ? WM_HSCROLL : WM_VSCROLL, code, 0);
}

}  // namespace shellctl
