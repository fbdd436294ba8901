// The shell tree's selection reaching its linked list, and navigation from paths and the list.
#include "shellctl/ShellTree.h"

#include <gtest/gtest.h>

#include "ShellTreeTestSupport.h"
#include "base/Strings.h"
#include "shell/ShellUtils.h"

namespace shellctl {
namespace {

using namespace testing_support;
using Paths = std::vector<std::wstring>;

UniquePidl Parsed(const std::wstring& path) {
    UniquePidl pidl;
    EXPECT_EQ(PathToPidl(path, pidl), S_OK) << base::WideToUtf8(path);
    return pidl;
}

// a\a1\a2, b, and the hidden .h\h1.
class ShellTreeNavigateTest : public testing::Test {
  protected:
    ShellTreeNavigateTest() {
        dir.MakeDir(L"a\\a1\\a2");
        dir.MakeDir(L"b");
        dir.MakeDir(L".h\\h1");
        SetFileAttributesW((dir / L".h").c_str(), FILE_ATTRIBUTE_HIDDEN);
    }

    TempDir dir;
    ViewForm form;
    FakeShellList list;
    const TPTShellTreeOptions options = OptionsWithout({ptstoDynamicRefresh});
};

TEST_F(ShellTreeNavigateTest, AClickMovesTheListAtOnceAndKeyboardTravelAfterARest) {
    TestTree tree(form, dir.Path(), options);
    tree.SetShellList(&list);
    tree.Refill();
    EXPECT_EQ(list.Last(), dir.Path());
    list.shown.clear();

    tree.Click(tree.NodeOf(dir / L"b"));
    EXPECT_EQ(list.shown, Paths{dir / L"b"});
    EXPECT_EQ(tree.PendingSync(), TPTCustomShellTree::TSyncAction::None);

    // Each key moves one node; the list hears of the last one only, after the rest.
    tree.SetFocus();
    tree.PressKey(VK_UP);
    tree.PressKey(VK_UP);
    EXPECT_EQ(tree.SelectedPath(), dir / L".h");
    EXPECT_EQ(list.shown.size(), 1u);
    EXPECT_EQ(tree.PendingSync(), TPTCustomShellTree::TSyncAction::PassSelection);
    EXPECT_EQ(tree.PendingSyncInterval(), TPTCustomShellTree::kSelectionDelay);
    tree.FlushPendingSync();
    EXPECT_EQ(list.shown, (Paths{dir / L"b", dir / L".h"}));

    tree.PressKey(VK_DOWN);
    EXPECT_TRUE(PumpUntil([&] { return list.shown.size() == 3; }));
    EXPECT_EQ(list.Last(), dir / L"a");
}

TEST_F(ShellTreeNavigateTest, NavigateToWalksThePathAddingWhatIsMissing) {
    const struct {
        const char* name;
        std::wstring target;
        TPTShellTreeOptions options;
        std::wstring refused;  // a name OnAddItem refuses
        bool listHidesFolders;
        std::wstring selected;
        bool expanded;
    } cases[] = {
        {"never loaded", dir / L"a\\a1\\a2", options, L"", false, dir / L"a\\a1\\a2", false},
        {"not enumerated", dir / L".h\\h1", OptionsWithout({ptstoDynamicRefresh, ptstoShowHidden}),
         L"", false, dir / L".h\\h1", false},
        {"cannot be added", dir / L"a\\a1\\a2", options, L"a2", false, dir / L"a\\a1", false},
        {"outside the base", SpecialFolderPath(nullptr, CSIDL_WINDOWS), options, L"", false,
         dir.Path(), true},
        // The last node is expanded for a list that leaves the folders to the tree.
        {"list hides folders", dir / L"a\\a1", options, L"", true, dir / L"a\\a1", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestTree tree(form, dir.Path(), c.options);
        list.hidesFolders = c.listHidesFolders;
        tree.SetShellList(&list);
        tree.Refill();
        tree.OnAddItem = [&](TPTCustomShellTree&, IShellFolder_NRC* folder, const ITEMIDLIST*,
                             const ITEMIDLIST* item, ULONG, BOOL& allow) {
            if (GetDisplayName(folder, item, dnInFolder) == c.refused) allow = FALSE;
        };
        tree.NavigateTo(Parsed(c.target).Get());
        EXPECT_EQ(tree.SelectedPath(), c.selected);
        EXPECT_EQ(list.Last(), c.selected);
        EXPECT_EQ(tree.IsExpanded(tree.Selected()), c.expanded);
        tree.SetShellList(nullptr);
    }
}

TEST_F(ShellTreeNavigateTest, PathsRoundTripAndGoUpStopsAtTheRoot) {
    TestTree tree(form, dir.Path(), options);
    tree.SetShellList(&list);
    // Set before the first fill, the folder is where the fill ends.
    tree.SetFolderPath(dir / L"a\\a1\\a2");
    tree.Refill();
    EXPECT_EQ(tree.SelectedPath(), dir / L"a\\a1\\a2");
    EXPECT_EQ(list.Last(), dir / L"a\\a1\\a2");

    // The list goes up through its link.
    const struct {
        int levels;
        std::wstring selected;
    } ups[] = {{1, dir / L"a\\a1"}, {5, dir.Path()}, {1, dir.Path()}};
    for (const auto& up : ups) {
        list.tree->GoUp(up.levels);
        EXPECT_EQ(tree.SelectedPath(), up.selected);
        EXPECT_EQ(list.Last(), up.selected);
    }

    // A list that opens a folder sets the tree's current folder: the tree goes there.
    list.tree->CurrentFolder().SetPath(dir / L"b");
    EXPECT_EQ(tree.SelectedPath(), dir / L"b");
    tree.SetFolderPath(dir / L".h\\h1");
    // No path and a path that cannot be reached leave the tree and the list where they are.
    tree.SetFolderPath(L"");
    tree.SetFolderPath(dir / L"nowhere\\deeper");
    EXPECT_EQ(tree.SelectedPath(), dir / L".h\\h1");
    EXPECT_EQ(list.Last(), dir / L".h\\h1");

    // A folder gone since the list named it: the walk stops at the deepest node it reached.
    dir.MakeDir(L"b\\gone");
    const UniquePidl gone = Parsed(dir / L"b\\gone");
    RemoveTree(dir / L"b\\gone");
    tree.NavigateTo(gone.Get());
    EXPECT_EQ(tree.SelectedPath(), dir / L"b");
    EXPECT_EQ(list.Last(), dir / L"b");
}

TEST_F(ShellTreeNavigateTest, EachSideForgetsTheOtherWhenItGoes) {
    FakeShellList other;
    {
        TestTree tree(form, dir.Path(), options);
        tree.SetShellList(&list);
        EXPECT_EQ(list.tree, &tree);
        tree.SetShellList(&other);
        EXPECT_EQ(list.tree, nullptr);
        EXPECT_EQ(other.tree, &tree);
        tree.ShellListDestroyed();
        EXPECT_EQ(tree.ShellList(), nullptr);
        tree.SetShellList(&list);
    }
    EXPECT_EQ(list.tree, nullptr);
}

}  // namespace
}  // namespace shellctl
