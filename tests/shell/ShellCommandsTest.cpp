#include <gtest/gtest.h>

#include <optional>

#include <windows.h>
#include <shellapi.h>

#include "CommandDoubles.h"
#include "TransferTestSupport.h"
#include "common/TempDir.h"
#include "shell/ShellCommands.h"
#include "base/Error.h"
#include "base/Strings.h"

using Microsoft::WRL::ComPtr;
using shell_test::FakeCommand;
using shell_test::FakeFolder;
using shell_test::FakeMenu;
using testing_support::TempDir;

namespace {

ComPtr<FakeMenu> MenuWithVerbs() {
    return MakeComObject<FakeMenu>(1, std::vector<FakeCommand>{
                                          {0, "paste", L"", "", L"", /*submenu*/ true},
                                          {1, "", L""},  // no verb at all
                                          {2, "rename", L""},
                                          {3, "", L"Paste"},  // only the wide form answers
                                          {4, "DELETE", L""},
                                          {5, "*", L""},  // fills the buffer without a terminator
                                          {6, "copy", L"", "", L"", false, /*default*/ true},
                                      });
}

std::wstring ClipboardFile() {
    ComPtr<IDataObject> clipboard;
    if (FAILED(OleGetClipboard(&clipboard))) return {};
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (FAILED(clipboard->GetData(&format, &medium))) return {};
    wchar_t path[MAX_PATH] = {};
    DragQueryFileW(static_cast<HDROP>(medium.hGlobal), 0, path, MAX_PATH);
    ReleaseStgMedium(&medium);
    return path;
}

// Puts a file on the clipboard as a list of file names only, as a program other than the shell
// does.
void PutFileNameOnClipboard(const std::wstring& path) {
    OleSetClipboard(nullptr);
    const std::size_t bytes = sizeof(DROPFILES) + (path.size() + 2) * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    auto* files = static_cast<DROPFILES*>(GlobalLock(block));
    files->pFiles = sizeof(DROPFILES);
    files->fWide = TRUE;
    std::memcpy(files + 1, path.c_str(), path.size() * sizeof(wchar_t));
    GlobalUnlock(block);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    SetClipboardData(CF_HDROP, block);
    CloseClipboard();
}

}  // namespace

TEST(ShellCommands, VerbsAreFoundWithoutRegardToCaseAndCommandsClassifiedByThem) {
    const ComPtr<FakeMenu> menu = MenuWithVerbs();
    const struct {
        std::wstring verb;
        std::optional<UINT> offset;
    } cases[] = {{L"paste", 3},
                 {L"PASTE", 3},
                 {L"Delete", 4},
                 {L"copy", 6},
                 {L"open", {}},
                 {L"", {}},
                 {std::wstring(259, L'x'), 5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.verb.size() < 20 ? c.verb : L"259 x"));
        EXPECT_EQ(FindVerb(menu.Get(), c.verb), c.offset);
    }
    EXPECT_EQ(menu->lastQueryFlags, UINT(CMF_EXPLORE));

    const struct {
        UINT command;
        TShellCommandKind kind;
    } commands[] = {{kNoCommand, TShellCommandKind::None},
                    {kFirstSendToCommand, TShellCommandKind::SendTo},
                    {kLastSendToCommand, TShellCommandKind::SendTo},
                    {kFirstShellCommand + 2, TShellCommandKind::Rename},
                    {kFirstShellCommand + 4, TShellCommandKind::Delete},
                    {kFirstShellCommand + 6, TShellCommandKind::Shell},
                    {kFirstShellCommand + 1, TShellCommandKind::Shell},
                    {kLastShellCommand + 1, TShellCommandKind::None},
                    {UINT(-1), TShellCommandKind::None}};
    for (const auto& c : commands)
        EXPECT_EQ(ClassifyCommand(menu.Get(), c.command), c.kind) << c.command;
    menu->queryResult = E_OUTOFMEMORY;
    EXPECT_THROW(FindVerb(menu.Get(), L"copy"), base::PlatformError);
}

TEST(ShellCommands, RunCommandInvokesWithThePlatformRecordOrNothing) {
    const ComPtr<FakeMenu> menu = MenuWithVerbs();
    HWND window = GetDesktopWindow();
    EXPECT_TRUE(RunCommand(window, menu.Get(), 7));
    ASSERT_EQ(menu->invoked.size(), 1u);
    const CMINVOKECOMMANDINFO& record = menu->invoked[0];
    EXPECT_EQ(record.cbSize, sizeof(CMINVOKECOMMANDINFO));  // not the 36 bytes of 32-bit builds
    EXPECT_EQ(record.fMask, 0u);
    EXPECT_EQ(record.hwnd, window);
    EXPECT_TRUE(IS_INTRESOURCE(record.lpVerb));
    EXPECT_EQ(record.nShow, SW_SHOWNORMAL);
    EXPECT_EQ(record.lpParameters, nullptr);
    EXPECT_EQ(record.lpDirectory, nullptr);

    EXPECT_TRUE(RunCommand(window, menu.Get(), L"Paste", CMIC_MASK_FLAG_NO_UI));
    EXPECT_EQ(menu->invoked.back().fMask, DWORD(CMIC_MASK_FLAG_NO_UI));
    EXPECT_FALSE(RunCommand(window, menu.Get(), L"properties"));
    EXPECT_FALSE(RunCommand(window, menu.Get(), kMaxShellCommandOffset + 1));
    EXPECT_EQ(menu->InvokedOffsets(), (std::vector<UINT>{7, 3}));

    // A command that fails raises its error; one the user cancelled does not.
    menu->invokeResult = E_ACCESSDENIED;
    try {
        RunCommand(window, menu.Get(), 6);
        ADD_FAILURE() << "no error raised";
    } catch (const base::PlatformError& error) {
        EXPECT_EQ(error.Message(), base::SystemErrorMessage(E_ACCESSDENIED));
    }
    menu->invokeResult = HRESULT_FROM_WIN32(ERROR_CANCELLED);
    EXPECT_TRUE(RunCommand(window, menu.Get(), 6));
}

TEST(ShellCommands, BuildingAMenuAndRunningItsDefaultCommand) {
    const UniquePidl item = shell_test::MakeItems({8});
    const ITEMIDLIST* items[] = {item.Get(), item.Get()};
    struct Case {
        const char* name;
        std::vector<FakeCommand> commands;
        HRESULT uiResult, queryResult;
        bool ran;
        std::vector<UINT> invoked;
    };
    const Case cases[] = {
        {"default item",
         {{2, "open", L""}, {4, "edit", L"", "", L"", false, true}},
         S_OK,
         S_OK,
         true,
         {4}},
        {"no default item", {{2, "open", L""}}, S_OK, S_OK, false, {}},
        {"no menu object", {}, E_ACCESSDENIED, S_OK, false, {}},
        {"menu not filled", {}, S_OK, E_OUTOFMEMORY, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const long live = ComObjectCounter::Live();
        ComPtr<FakeMenu> menu = MakeComObject<FakeMenu>(1, c.commands);
        menu->queryResult = c.queryResult;
        ComPtr<FakeFolder> folder = MakeComObject<FakeFolder>(menu.Get());
        folder->uiResult = c.uiResult;
        if (FAILED(c.uiResult) || FAILED(c.queryResult)) {
            ShellContextMenu built;
            if (FAILED(c.uiResult))
                EXPECT_EQ(BuildContextMenu(nullptr, folder.Get(), items, 0, built), c.uiResult);
            else
                EXPECT_THROW(BuildContextMenu(nullptr, folder.Get(), items, 0, built),
                             base::PlatformError);
            EXPECT_FALSE(built.object);
            EXPECT_FALSE(built.menu);
            EXPECT_THROW(RunDefaultCommand(nullptr, folder.Get(), items), base::PlatformError);
        } else {
            EXPECT_EQ(RunDefaultCommand(nullptr, folder.Get(), items), c.ran);
            EXPECT_EQ(folder->lastItemCount, 2u);
            EXPECT_EQ(menu->lastQueryFlags, UINT(CMF_EXPLORE));
        }
        EXPECT_EQ(menu->InvokedOffsets(), c.invoked);
        folder.Reset();
        menu.Reset();
        EXPECT_EQ(ComObjectCounter::Live(), live);  // no reference left behind on any path
    }
}

TEST(ShellCommands, TheShellsMenusOfARealFileAndFolder) {
    TempDir dir;
    dir.Write(L"a file.txt", "x");
    dir.MakeDir(L"a folder");
    const shell_test::RealItems real(dir.Path(), {L"a file.txt", L"a folder"});
    for (const ITEMIDLIST* item : real.Pointers()) {
        ShellContextMenu menu;
        const ITEMIDLIST* items[] = {item};
        const HRESULT hr = BuildContextMenu(nullptr, real.folder.Get(), items, CMF_EXPLORE, menu);
        ASSERT_TRUE(SUCCEEDED(hr)) << std::hex << hr;
        EXPECT_GT(GetMenuItemCount(menu.menu.Get()), 0);
        for (const wchar_t* verb : {L"copy", L"CUT", L"Delete", L"properties"}) {
            const std::optional<UINT> offset = FindVerb(menu.object.Get(), verb);
            ASSERT_TRUE(offset) << base::WideToUtf8(verb);
            EXPECT_TRUE(base::SameTextIgnoringCase(CommandVerb(menu.object.Get(), *offset), verb));
        }
        const std::optional<UINT> deleteOffset = FindVerb(menu.object.Get(), L"delete");
        EXPECT_EQ(ClassifyCommand(menu.object.Get(), kFirstShellCommand + *deleteOffset),
                  TShellCommandKind::Delete);
        // An item's menu has no "paste" here: asking for it runs nothing.
        EXPECT_FALSE(RunCommand(nullptr, menu.object.Get(), L"paste"));
    }
    // The rename command is found by its verb, wherever this shell puts it.
    ShellContextMenu menu;
    const ITEMIDLIST* file[] = {real.items[0].Get()};
    ASSERT_TRUE(SUCCEEDED(BuildContextMenu(nullptr, real.folder.Get(), file, CMF_CANRENAME, menu)));
    int renames = 0;
    for (int position = 0; position < GetMenuItemCount(menu.menu.Get()); ++position) {
        const UINT id = GetMenuItemID(menu.menu.Get(), position);
        if (ClassifyCommand(menu.object.Get(), id) != TShellCommandKind::Rename) continue;
        ++renames;
        EXPECT_EQ(CommandVerb(menu.object.Get(), id - kFirstShellCommand), kRenameVerb);
    }
    EXPECT_EQ(renames, 1);
    // A file's default command is run (the platform here has nothing to show for it).
    EXPECT_TRUE(RunDefaultCommand(nullptr, real.folder.Get(), file));
}

TEST(ShellCommands, CopyAndCutPutTheFileOnTheClipboardAndPasteCopiesIntoAFolder) {
    TempDir dir;
    const std::wstring source = dir.Write(L"copy me.txt", "content");
    const std::wstring target = dir.MakeDir(L"target");
    const shell_test::RealItems real(dir.Path(), {L"copy me.txt"});
    for (const wchar_t* verb : {L"copy", L"cut"}) {
        OleSetClipboard(nullptr);
        ShellContextMenu menu;
        ASSERT_TRUE(SUCCEEDED(
            BuildContextMenu(nullptr, real.folder.Get(), real.Pointers(), CMF_EXPLORE, menu)));
        EXPECT_TRUE(RunCommand(nullptr, menu.object.Get(), verb));
        EXPECT_EQ(ClipboardFile(), source) << base::WideToUtf8(verb);
    }
    // The shell here pastes from a folder's background menu (its item menus have no "paste"), and
    // only names of files: put them there as another program would.
    PutFileNameOnClipboard(source);
    EXPECT_TRUE(RunFolderVerb(nullptr, shell_test::ParsePath(target).Get(), L"paste"));
    EXPECT_EQ(testing_support::ReadFileBytes(target + L"\\copy me.txt"), "content");
    EXPECT_FALSE(RunFolderVerb(nullptr, shell_test::ParsePath(target).Get(), L"no such verb"));
    OleSetClipboard(nullptr);
    OpenClipboard(nullptr);
    EmptyClipboard();
    CloseClipboard();
}

TEST(ShellCommands, WindowHelpers) {
    HWND form = CreateWindowExW(0, L"STATIC", L"form", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200, nullptr,
                                nullptr, nullptr, nullptr);
    HWND panel = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 100, 100, form, nullptr,
                                 nullptr, nullptr);
    HWND control = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD, 0, 0, 10, 10, panel, nullptr,
                                   nullptr, nullptr);
    EXPECT_EQ(ShellWindow(control), form);
    EXPECT_EQ(ShellWindow(panel), form);
    EXPECT_EQ(ShellWindow(form), nullptr);
    EXPECT_EQ(ShellWindow(nullptr), nullptr);

    const struct {
        DWORD bits;
        bool on, changed;
    } styles[] = {{WS_BORDER, true, true},
                  {WS_BORDER, true, false},
                  {WS_BORDER | WS_TABSTOP, false, true},
                  {WS_TABSTOP, false, false}};
    for (const auto& s : styles) {
        EXPECT_EQ(SetStyleBits(control, s.bits, s.on), s.changed);
        EXPECT_EQ((GetWindowLongPtrW(control, GWL_STYLE) & s.bits) != 0, s.on);
    }
    DestroyWindow(form);
}
