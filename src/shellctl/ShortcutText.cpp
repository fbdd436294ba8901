#include "shellctl/ShortcutText.h"

#include <array>

#include "base/Strings.h"

namespace shellctl {
namespace {

// The names of the keys from Space (32) to Down (40).
constexpr std::array<const wchar_t*, 9> kCursorKeyNames = {
    L"Space", L"PgUp", L"PgDn", L"End", L"Home", L"Left", L"Up", L"Right", L"Down"};

std::wstring KeyName(unsigned key) {
    switch (key) {
        case 8:
            return L"BkSp";
        case 9:
            return L"Tab";
        case 13:
            return L"Enter";
        case 27:
            return L"Esc";
        case 45:
            return L"Ins";
        case 46:
            return L"Del";
    }
    if (key >= 32 && key <= 40) return kCursorKeyNames[key - 32];
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return std::wstring(1, key);
    if (key >= 96 && key <= 105) return std::wstring(1, wchar_t(L'0' + key - 96));
    if (key >= 112 && key <= 135) return L"F" + std::to_wstring(key - 111);
    return {};
}

// Removes a prefix, compared without regard to case, from the front of the text.
bool ConsumePrefix(std::wstring_view& text, std::wstring_view prefix) {
    if (text.size() < prefix.size() ||
        !base::SameTextIgnoringCase(text.substr(0, prefix.size()), prefix))
        return false;
    text.remove_prefix(prefix.size());
    return true;
}

}  // namespace

std::wstring FormatShortcutText(Shortcut shortcut) {
    const std::wstring name = KeyName(shortcut & 0xFF);
    if (name.empty()) return L"#" + std::to_wstring(shortcut);
    std::wstring text;
    if (shortcut & kShortcutShift) text += L"Shift+";
    if (shortcut & kShortcutCtrl) text += L"Ctrl+";
    if (shortcut & kShortcutAlt) text += L"Alt+";
    return text + name;
}

Shortcut ParseShortcutText(std::wstring_view text) {
    Shortcut modifiers = 0;
    for (;;) {
        if (ConsumePrefix(text, L"Shift+")) {
            modifiers |= kShortcutShift;
        } else if (ConsumePrefix(text, L"^") || ConsumePrefix(text, L"Ctrl+")) {
            modifiers |= kShortcutCtrl;
        } else if (ConsumePrefix(text, L"Alt+")) {
            modifiers |= kShortcutAlt;
        } else {
            break;
        }
    }
    if (text.empty()) return 0;
    for (unsigned key = 8; key <= 597; ++key) {
        if (base::SameTextIgnoringCase(text, FormatShortcutText(Shortcut(key))))
            return Shortcut(modifiers | key);
    }
    return 0;
}

}  // namespace shellctl
