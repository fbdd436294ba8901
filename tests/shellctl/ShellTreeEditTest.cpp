// Renaming in place, new folders, and the mouse wheel of the shell tree.
#include "shellctl/ShellTree.h"

#include <gtest/gtest.h>

#include "ShellTreeTestSupport.h"
#include "base/Error.h"
#include "shell/ShellMessages.h"
#include "ui/Application.h"

namespace shellctl {
namespace {

using namespace testing_support;
using Texts = std::vector<std::wstring>;

class ShellTreeEditTest : public testing::Test {
  protected:
    ShellTreeEditTest() {
        dir.MakeDir(L"a\\a1");
        dir.MakeDir(L"b");
    }

    TempDir dir;
    ViewForm form;
    FakeShellList list;
    MessageBoxRecorder boxes;
    const TPTShellTreeOptions options = OptionsWithout({ptstoDynamicRefresh});
};

TEST_F(ShellTreeEditTest, F2RenamesInPlaceOrSaysWhyNot) {
    const struct {
        const char* name;
        std::wstring typed;
        std::wstring folder;  // empty: not renamed
        HRESULT refusal;      // the system's text for it is shown; S_OK: no box
    } cases[] = {
        {"renamed", L"  r\u00e9name  ", L"r\u00e9name", S_OK},
        {"name taken", L"b", L"", HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS)},
        {"too long", std::wstring(300, L'n'), L"", HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE)},
        {"bad character", L"a:b", L"", HRESULT_FROM_WIN32(ERROR_INVALID_NAME)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        boxes.Clear();
        TestTree tree(form, dir.Path(), options);
        tree.SetShellList(&list);
        tree.Refill();
        tree.SetFolderPath(dir / L"a\\a1");
        tree.SetFolderPath(dir / L"a");
        tree.SetFocus();
        tree.PressKey(VK_F2);
        ASSERT_NE(tree.EditControl(), nullptr);
        SetWindowTextW(tree.EditControl(), c.typed.c_str());
        tree.Send(TVM_ENDEDITLABELNOW, FALSE);

        const std::wstring folder = c.folder.empty() ? L"a" : c.folder;
        HTREEITEM node = tree.Selected();
        EXPECT_EQ(tree.NodeText(node), folder);
        EXPECT_TRUE(FolderExists(dir / folder));
        EXPECT_EQ(tree.SelectedPath(), dir / folder);
        EXPECT_EQ(list.Last(), dir / folder);
        // The expanded descendants know their new path.
        EXPECT_TRUE(tree.IsExpanded(node));
        EXPECT_EQ(tree.ShellDataOf(tree.FirstChild(node))->GetPath(), dir / folder + L"\\a1");
        // The tree's own rename is not read again when its notification comes.
        EXPECT_EQ(tree.IgnoreNextChange(), !c.folder.empty());
        tree.Post(shell::kMsgChangeNotify);
        ui::App().ProcessMessages();
        EXPECT_EQ(tree.PendingSync() == TPTCustomShellTree::TSyncAction::None, !c.folder.empty());
        ASSERT_EQ(boxes.Boxes().size(), c.refusal == S_OK ? 0u : 1u);
        if (c.refusal != S_OK) {
            EXPECT_EQ(boxes.Boxes()[0].text, base::SystemErrorMessage(c.refusal));
        }
        if (!c.folder.empty()) MoveFileW((dir / c.folder).c_str(), (dir / L"a").c_str());
    }
}

TEST_F(ShellTreeEditTest, KeysActOnlyWithDefaultKeyHandlingAndOtherKeysReachTheBaseOnce) {
    const struct {
        const char* name;
        WORD key;
        TPTShellTreeOptions options;
        int refreshes, menus;
        bool editing;
    } cases[] = {
        {"F5", VK_F5, options, 1, 0, false},
        {"F2", VK_F2, options, 0, 0, true},
        {"F5 unbound", VK_F5, OptionsWithout({ptstoDynamicRefresh, ptstoDefaultKeyHandling}), 0, 0,
         false},
        {"F2 unbound", VK_F2, OptionsWithout({ptstoDynamicRefresh, ptstoDefaultKeyHandling}), 0, 0,
         false},
        // Without the shell's menu, which would show after the event.
        {"menu key", VK_APPS, OptionsWithout({ptstoDynamicRefresh, ptstoContextMenus}), 0, 1,
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestTree tree(form, dir.Path(), c.options);
        tree.Refill();
        tree.SetFolderPath(dir / L"b");
        int refreshes = 0, menus = 0;
        tree.OnFillStart = [&](TPTCustomShellTree&) { ++refreshes; };
        tree.OnNodeContextMenu = [&](TPTCustomTreeView&, HTREEITEM node, POINT&, ui::Menu*& menu) {
            EXPECT_EQ(node, tree.Selected());
            menu = nullptr;
            ++menus;
        };
        tree.SetFocus();
        tree.PressKey(c.key);
        EXPECT_EQ(refreshes, c.refreshes);
        EXPECT_EQ(menus, c.menus);
        EXPECT_EQ(tree.EditControl() != nullptr, c.editing);
        if (tree.EditControl() != nullptr) tree.Send(TVM_ENDEDITLABELNOW, TRUE);
    }
}

TEST_F(ShellTreeEditTest, TheRootCannotBeRenamed) {
    TestTree tree(form, dir.Path(), options);
    tree.Refill();
    tree.SetFocus();
    tree.PressKey(VK_F2);
    EXPECT_EQ(tree.EditControl(), nullptr);
    EXPECT_FALSE(tree.ShellDataOf(tree.RootNode())->CanRename());
}

TEST_F(ShellTreeEditTest, ANewFolderAppearsOnceAndIsRenamedInPlace) {
    const struct {
        const char* name;
        std::wstring selected;
        bool expandedBefore;
        Texts children;
    } cases[] = {
        {"folder without subfolders", L"b", false, {L"New Folder"}},
        {"folder never expanded", L"a", false, {L"a1", L"New Folder"}},
        {"folder expanded", L"a", true, {L"a1", L"New Folder"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestTree tree(form, dir.Path(), options);
        tree.Refill();
        tree.SetFolderPath(dir / c.selected);
        if (c.expandedBefore) tree.Expand(tree.Selected());
        ASSERT_TRUE(tree.CreateNewFolder());
        EXPECT_EQ(tree.ChildTexts(tree.Selected()), c.children);
        EXPECT_TRUE(tree.IgnoreNextChange());
        EXPECT_EQ(tree.pauses, std::vector<DWORD>{TPTCustomShellTree::kNewFolderPause});
        ASSERT_NE(tree.EditControl(), nullptr);
        SetWindowTextW(tree.EditControl(), L"named");
        tree.Send(TVM_ENDEDITLABELNOW, FALSE);
        EXPECT_TRUE(FolderExists(dir / c.selected + L"\\named"));
        RemoveTree(dir / c.selected + L"\\named");
    }
    // A folder that cannot be made is said so once, and the next change is not ignored.
    TestTree tree(form, dir.Path(), options);
    tree.Refill();
    tree.SetFolderPath(dir / L"b");
    RemoveTree(dir / L"b");
    EXPECT_FALSE(tree.CreateNewFolder());
    EXPECT_FALSE(tree.IgnoreNextChange());
    EXPECT_EQ(boxes.Boxes().size(), 1u);
}

TEST_F(ShellTreeEditTest, TheWheelScrollsTheControlUnderThePointer) {
    for (int i = 0; i < 40; ++i) dir.MakeDir(L"f" + std::to_wstring(i));
    TestTree first(form, dir.Path(), options, {0, 0, 150, 120});
    TestTree second(form, dir.Path(), options, {160, 0, 310, 120});
    first.Refill();
    second.Refill();
    UINT lines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    const struct {
        const char* name;
        TestTree& under;
    } cases[] = {{"over itself", first}, {"over another tree", second}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const int before = GetScrollPos(c.under.Handle(), SB_VERT);
        const POINT over = ToScreen(c.under.Handle(), {20, 20});
        first.Send(WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-WHEEL_DELTA)), MAKELPARAM(over.x, over.y));
        EXPECT_EQ(GetScrollPos(c.under.Handle(), SB_VERT), before + int(lines));
    }
}

}  // namespace
}  // namespace shellctl
