// What the user does with the shell list's items: opening, going up, the verb keys, renaming in
// place, the context menus, the wheel, and what the list hears of commands elsewhere.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "ShellCommandTestSupport.h"
#include "ShellListTestSupport.h"
#include "ShellTreeTestSupport.h"
#include "base/Error.h"
#include "base/Strings.h"
#include "shellctl/ShellList.h"
#include "ui/Application.h"
#include "ui/Controls.h"

namespace shellctl {
namespace {

using namespace testing_support;
using Microsoft::WRL::ComPtr;
using Texts = std::vector<std::wstring>;

// The main window's list: it neither watches its folder nor drags.
constexpr TPTShellListOptions kUnwatched{ptsloAutoFill,          ptsloDefaultKeyHandling,
                                         ptsloContextMenus,      ptsloHideFoldersWhenLinkedToTree,
                                         ptsloFolderContextMenu, ptsloShowHidden};

void MakeShortcut(const std::wstring& link, const std::wstring& target) {
    ComPtr<IShellLinkW> shortcut;
    ASSERT_EQ(
        CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&shortcut)),
        S_OK);
    shortcut->SetPath(target.c_str());
    ComPtr<IPersistFile> file;
    ASSERT_EQ(shortcut.As(&file), S_OK);
    ASSERT_EQ(file->Save(link.c_str(), TRUE), S_OK);
}

class ShellListCommandsTest : public testing::Test {
  protected:
    ShellListCommandsTest() {
        dir.Write(L"a file.txt", "a");
        dir.Write(L"b file.txt", "b");
        dir.Write(L"sub folder\\inner.txt", "i");
        MakeShortcut(dir / L"to sub.lnk", dir / L"sub folder");
        MakeShortcut(dir / L"to file.lnk", dir / L"a file.txt");
        view.list.SetOptions(kUnwatched);
        ClearClipboard();
    }
    ~ShellListCommandsTest() override { ClearClipboard(); }

    TPTCustomShellList& List() { return view.list; }
    // The paths of the listed items, in order.
    Texts Paths() {
        Texts paths;
        for (int i = 0; i < List().ShellItemCount(); ++i)
            paths.push_back(List().ShellDataAt(i).GetPath());
        return paths;
    }
    int ItemOf(const std::wstring& path) {
        const Texts paths = Paths();
        const auto found = std::find(paths.begin(), paths.end(), path);
        return found == paths.end() ? -1 : int(found - paths.begin());
    }
    // Selects and focuses the items of these paths only.
    void Select(const Texts& paths) {
        List().ClearSelection();
        for (const std::wstring& path : paths) {
            const int item = ItemOf(path);
            ASSERT_GE(item, 0) << base::WideToUtf8(path);
            List().SetItemState(item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        }
    }
    void PressKey(WORD key, int modifier = 0) {
        std::optional<KeyStateGuard> held;
        if (modifier != 0) held.emplace(modifier, true);
        List().Send(WM_KEYDOWN, key, 1);
        List().Send(WM_KEYUP, key, 0xC0000001);
    }
    void DoubleClick(POINT client) {
        List().Send(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(client.x, client.y));
    }
    POINT CentreOf(int item) { return Centre(List().ItemLabelRect(item)); }
    // A point below every item.
    POINT Background() { return {200, List().ClientRect().bottom - 5}; }

    TempDir dir;
    ListOnForm view;
    MessageBoxRecorder boxes;
    FakePane pane;
};

TEST_F(ShellListCommandsTest, OpeningEntersFoldersAndRunsTheDefaultCommandOfOtherItems) {
    const std::wstring sub = dir / L"sub folder";
    const struct {
        const char* name;
        std::wstring item;
        bool byEnter;
        bool dontChangeFolder;
        bool handled;  // by OnDblClickOpen
        std::wstring folderAfter;
        int events;  // of OnDblClickOpen
        Texts invoked;
    } cases[] = {
        {"folder, Enter", sub, true, false, false, sub, 0, {}},
        {"folder, double click", sub, false, false, false, sub, 0, {}},
        {"folder shortcut", dir / L"to sub.lnk", true, false, false, sub, 0, {}},
        {"folder, ptsloDontChangeFolder", sub, false, true, false, dir.Path(), 0, {}},
        {"file", dir / L"a file.txt", true, false, false, dir.Path(), 1, {L"open"}},
        {"file, handled", dir / L"a file.txt", false, false, true, dir.Path(), 1, {}},
        {"file shortcut", dir / L"to file.lnk", false, false, false, dir.Path(), 1, {L"open"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TPTShellListOptions options = kUnwatched;
        if (c.dontChangeFolder) options.Include(ptsloDontChangeFolder);
        List().SetOptions(options);
        view.Show(dir.Path());
        // The shell here runs nothing for a file's default command: its menu object is watched.
        const ComPtr<CommandSeamFolder> seam = MakeComObject<CommandSeamFolder>(dir.Path());
        List().FillList(seam.Get(), seam->IdList());
        int events = 0;
        List().OnDblClickOpen = [&](TPTCustomShellList&, bool& handled) {
            ++events;
            handled = c.handled;
        };
        Select({c.item});
        if (c.byEnter)
            List().Send(WM_CHAR, L'\r', 1);
        else
            DoubleClick(CentreOf(ItemOf(c.item)));
        EXPECT_EQ(List().FolderPath(), c.folderAfter);
        EXPECT_EQ(events, c.events);
        EXPECT_EQ(seam->invoked, c.invoked);
        List().OnDblClickOpen = nullptr;
    }
}

TEST_F(ShellListCommandsTest, SeveralItemsOpenTogetherAndABackgroundDoubleClickOpensNothing) {
    view.Show(dir.Path());
    const ComPtr<CommandSeamFolder> seam = MakeComObject<CommandSeamFolder>(dir.Path());
    List().FillList(seam.Get(), seam->IdList());
    Select({dir / L"sub folder"});
    DoubleClick(Background());
    EXPECT_EQ(List().FolderPath(), dir.Path());
    Select({dir / L"a file.txt", dir / L"b file.txt"});
    List().OpenSelection();
    EXPECT_EQ(seam->invoked, Texts{L"open"});  // one command for both
}

TEST_F(ShellListCommandsTest, BackspaceGoesUpToTheTopAndNoFurther) {
    StandInTree tree;
    const struct {
        const char* name;
        std::wstring start;  // empty: the desktop
        bool linked;
        bool dontChangeFolder;
        std::wstring after;
        std::vector<int> treeGoUps;
    } cases[] = {
        {"a folder", dir / L"sub folder", false, false, dir.Path(), {}},
        {"the desktop", L"", false, false, TPTShellLocator().Path(), {}},
        {"ptsloDontChangeFolder", dir / L"sub folder", false, true, dir / L"sub folder", {}},
        {"with a tree", dir / L"sub folder", true, false, dir / L"sub folder", {1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TPTShellListOptions options = kUnwatched;
        if (c.dontChangeFolder) options.Include(ptsloDontChangeFolder);
        List().SetOptions(options);
        view.Show(c.start);
        tree.goUps.clear();
        if (c.linked) List().SetLinkedTree(&tree);
        List().Send(WM_CHAR, L'\b', 1);
        EXPECT_EQ(List().Folder().Path(), c.after);
        EXPECT_EQ(tree.goUps, c.treeGoUps);
        List().SetLinkedTree(nullptr);
    }
}

TEST_F(ShellListCommandsTest, AFolderThatCannotBeEnteredLeavesTheListWhereItWas) {
    view.Show(dir.Path());
    const Texts before = Paths();
    Select({dir / L"sub folder"});
    RemoveTree(dir / L"sub folder");
    EXPECT_THROW(List().OpenSelection(), base::Error);
    EXPECT_EQ(List().FolderPath(), dir.Path());
    EXPECT_EQ(Paths(), before);
    // The answer to the shell's request for a browser: there is none.
    EXPECT_EQ(List().Send(WM_USER + 7), 0);
}

}  // namespace
}  // namespace shellctl
