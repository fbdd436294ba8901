#include "shellctl/ShortcutText.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "shellctl/ShellKeys.h"

namespace shellctl {
namespace {

TEST(ShortcutText, ParsesModifiersInAnyCaseOrderAndNumber) {
    const struct {
        const wchar_t* text;
        Shortcut expected;
    } cases[] = {
        {L"ctrl+a", kShortcutCtrl | 65},
        {L"Ctrl+A", kShortcutCtrl | 65},
        {L"^A", kShortcutCtrl | 65},
        {L"Del", 46},
        {L"Shift+Del", kShortcutShift | 46},
        {L"alt+SHIFT+f5", kShortcutAlt | kShortcutShift | 116},
        {L"Ctrl+^Ctrl+x", kShortcutCtrl | 'X'},
        {L"Shift+Ctrl+Alt+PgDn", kShortcutShift | kShortcutCtrl | kShortcutAlt | 34},
        {L"F24", 135},
        {L"#300", 300},
        {L"BkSp", 8},
        {L"Ctrl+", 0},
        {L"", 0},
        {L"Ctrl+Banana", 0},
        {L"Del ", 0},
        {L"#5", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseShortcutText(c.text), c.expected) << c.text;
}

TEST(ShortcutText, FormatsModifiersShiftFirstAndUnnamedKeysAsNumbers) {
    EXPECT_EQ(FormatShortcutText(kShortcutCtrl | kShortcutShift | 65), L"Shift+Ctrl+A");
    EXPECT_EQ(FormatShortcutText(kShortcutAlt | kShortcutCtrl | 13), L"Ctrl+Alt+Enter");
    EXPECT_EQ(FormatShortcutText(101), L"5");  // numeric keypad 5
    EXPECT_EQ(FormatShortcutText(112), L"F1");
    EXPECT_EQ(FormatShortcutText(kShortcutCtrl | 0xBA), L"#16570");
}

TEST(ShortcutText, EveryNamedKeyRoundTrips) {
    for (unsigned key = 0; key < 256; ++key) {
        const std::wstring name = FormatShortcutText(Shortcut(key));
        if (name[0] == L'#') continue;
        // The keypad digits share their names with the digit keys, which come first.
        const Shortcut expected = key >= 96 && key <= 105 ? Shortcut(key - 48) : Shortcut(key);
        for (Shortcut modifiers : {0, 0x2000, 0x4000, 0x8000, 0xE000}) {
            EXPECT_EQ(ParseShortcutText(FormatShortcutText(modifiers | key)), modifiers | expected)
                << key;
        }
    }
}

TEST(ShellKeys, TheSharedTableMatchesItsKeysAndShiftDel) {
    const struct {
        Shortcut pressed;
        int slot;
    } cases[] = {
        {Shortcut(kShortcutCtrl | 'A'), skSelectAll},
        {VK_DELETE, skDelete},
        {Shortcut(kShortcutShift | VK_DELETE), skDelete},
        {Shortcut(kShortcutCtrl | 'V'), skPaste},
        {VK_F5, skRefresh},
        {VK_F2, skRename},
        {Shortcut(kShortcutShift | VK_F2), kNoShellKey},
        {'C', kNoShellKey},
    };
    for (const auto& c : cases) EXPECT_EQ(MatchShellKey(c.pressed), c.slot) << c.pressed;
    EXPECT_STREQ(ShellControlDefKeys()[skCut].KeyText, L"Ctrl+X");
}

}  // namespace
}  // namespace shellctl
