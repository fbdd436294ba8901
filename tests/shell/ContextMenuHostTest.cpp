#include <gtest/gtest.h>

#include <vector>

#include "CommandDoubles.h"
#include "common/TempDir.h"
#include "shell/ContextMenuHost.h"
#include "shell/ShellDelete.h"
#include "base/Error.h"

using Microsoft::WRL::ComPtr;
using shell_test::FakeCommand;
using shell_test::FakeFolder;
using shell_test::FakeMenu;

namespace {

ComPtr<FakeMenu> HelpfulMenu() {
    return MakeComObject<FakeMenu>(1, std::vector<FakeCommand>{
                                          {2, "copy", L"", "Copies the item", L""},
                                          {3, "paste", L"", "", L"Pastes caf\u00e9"},
                                          {4, "delete"},
                                          {5, "rename"},
                                      });
}

// The owner of a tracked menu: it notes whether the menu's object was there for the menu
// messages, and closes the menu at once.
ComPtr<IContextMenu> activeMenu;
bool objectWasActive = false;

LRESULT CALLBACK OwnerProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITMENUPOPUP) {
        objectWasActive = activeMenu != nullptr;
        EndMenu();
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

}  // namespace

TEST(ContextMenuHost, MenuSelectReportsTheHelpTextOfShellCommandsOnly) {
    const ComPtr<FakeMenu> menu = HelpfulMenu();
    const base::MenuHandle popup(CreatePopupMenu());
    const LPARAM open = reinterpret_cast<LPARAM>(popup.Get());
    const struct {
        WPARAM wParam;
        LPARAM lParam;
        std::wstring hint;
    } cases[] = {
        {MAKEWPARAM(1002, MF_STRING), open, L"Copies the item"},
        {MAKEWPARAM(1003, MF_HILITE), open, L"Pastes caf\u00e9"},  // the wide form only
        {MAKEWPARAM(1004, 0), open, L""},                          // no help text
        {MAKEWPARAM(2, 0), open, L""},                             // a Send To item
        {MAKEWPARAM(1002, MF_POPUP), open, L""},                   // a submenu
        {MAKEWPARAM(1002, MF_SYSMENU), open, L""},
        {MAKEWPARAM(0, 0xFFFF), 0, L""},  // the menu closes
    };
    for (const auto& c : cases) {
        std::vector<std::wstring> hints;
        const MenuMessageResult result =
            ForwardMenuMessage(menu.Get(), WM_MENUSELECT, c.wParam, c.lParam,
                               [&](const std::wstring& hint) { hints.push_back(hint); });
        EXPECT_FALSE(result.handled);
        EXPECT_EQ(hints, std::vector<std::wstring>{c.hint}) << LOWORD(c.wParam);
    }
    // Nothing without a sink or without a menu object.
    EXPECT_FALSE(ForwardMenuMessage(menu.Get(), WM_MENUSELECT, MAKEWPARAM(1002, 0), open).handled);
    int calls = 0;
    ForwardMenuMessage(nullptr, WM_MENUSELECT, MAKEWPARAM(1002, 0), open,
                       [&](const std::wstring&) { ++calls; });
    EXPECT_EQ(calls, 0);
}

TEST(ContextMenuHost, TheObjectTakesTheMenuMessagesOnlyWhileItsMenuIsOpen) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = OwnerProc;
    windowClass.lpszClassName = L"LumoraMenuOwnerTest";
    RegisterClassW(&windowClass);
    HWND owner = CreateWindowExW(0, windowClass.lpszClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 100,
                                 100, nullptr, nullptr, nullptr, nullptr);
    const ComPtr<FakeMenu> menu = HelpfulMenu();
    const ComPtr<FakeFolder> folder = MakeComObject<FakeFolder>(menu.Get());
    const UniquePidl item = shell_test::MakeItems({6});
    const ITEMIDLIST* items[] = {item.Get()};
    ShellContextMenu built;
    ASSERT_TRUE(SUCCEEDED(BuildContextMenu(owner, folder.Get(), items, CMF_EXPLORE, built)));
    EXPECT_EQ(TrackContextMenu(owner, built, POINT{10, 10}, activeMenu), kNoCommand);
    EXPECT_TRUE(objectWasActive);
    EXPECT_FALSE(activeMenu);
    DestroyWindow(owner);
}

TEST(ContextMenuHost, TheChosenCommandRuns) {
    const UniquePidl item = shell_test::MakeItems({6});
    const ITEMIDLIST* items[] = {item.Get()};
    const struct {
        UINT command;
        TShellCommandKind kind;
        std::vector<UINT> invoked;
        std::size_t questions, dataObjects;
    } cases[] = {
        {kFirstShellCommand + 2, TShellCommandKind::Shell, {2}, 0, 0},
        {kFirstShellCommand + 5, TShellCommandKind::Rename, {}, 0, 0},  // the control's to do
        {kFirstShellCommand + 4, TShellCommandKind::Delete, {}, 1, 0},  // asked first: "no"
        {kNoCommand, TShellCommandKind::None, {}, 0, 0},
        {kLastShellCommand + 1, TShellCommandKind::None, {}, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        const ComPtr<FakeMenu> menu = HelpfulMenu();
        const ComPtr<FakeFolder> folder = MakeComObject<FakeFolder>(menu.Get());
        ShellContextMenu built;
        ASSERT_TRUE(SUCCEEDED(BuildContextMenu(nullptr, folder.Get(), items, CMF_EXPLORE, built)));
        testing_support::MessageBoxRecorder boxes;
        boxes.Answer(IDNO);
        std::size_t dataObjects = 0;
        EXPECT_EQ(RunContextMenuCommand(nullptr, built, c.command, folder.Get(), items,
                                        [&] {
                                            ++dataObjects;
                                            return ComPtr<IDataObject>();
                                        }),
                  c.kind);
        EXPECT_EQ(menu->InvokedOffsets(), c.invoked);
        EXPECT_EQ(boxes.Boxes().size(), c.questions);
        EXPECT_EQ(dataObjects, c.dataObjects);
    }
    // A Send To item needs the data of the items; without any it raises.
    const ComPtr<FakeMenu> menu = HelpfulMenu();
    const ComPtr<FakeFolder> folder = MakeComObject<FakeFolder>(menu.Get());
    ShellContextMenu built;
    ASSERT_TRUE(SUCCEEDED(BuildContextMenu(nullptr, folder.Get(), items, CMF_EXPLORE, built)));
    int dataObjects = 0;
    EXPECT_THROW(RunContextMenuCommand(nullptr, built, kFirstSendToCommand, folder.Get(), items,
                                       [&] {
                                           ++dataObjects;
                                           return ComPtr<IDataObject>();
                                       }),
                 base::PlatformError);
    EXPECT_EQ(dataObjects, 1);
}
