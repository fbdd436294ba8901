// Keyboard shortcuts as text ("Ctrl+A", "Shift+Del") and back.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace shellctl {

// The low byte is the virtual-key code; the high bits are the modifiers.
using Shortcut = std::uint16_t;
constexpr Shortcut kShortcutShift = 0x2000;
constexpr Shortcut kShortcutCtrl = 0x4000;
constexpr Shortcut kShortcutAlt = 0x8000;

// "Shift+", "Ctrl+" and "Alt+" in that order before the key's name; a key without a name is
// written "#" and the decimal value of the whole shortcut.
std::wstring FormatShortcutText(Shortcut shortcut);
// Modifier prefixes ("Shift+", "^", "Ctrl+", "Alt+") in any order, case and number, then a key
// name; 0 when the text names no key.
Shortcut ParseShortcutText(std::wstring_view text);

}  // namespace shellctl
