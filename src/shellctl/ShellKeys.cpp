#include "shellctl/ShellKeys.h"

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

}  // namespace shellctl
