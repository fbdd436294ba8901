// Filling the shell tree from real folders, and what it does when the shell fails it.
#include "shellctl/ShellTree.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "ShellTreeTestSupport.h"
#include "base/Strings.h"
#include "shell/ShellUtils.h"

namespace shellctl {
namespace {

using namespace testing_support;
using Texts = std::vector<std::wstring>;

// a holds a1; b holds a file only; .h is hidden; f.txt is a file.
class ShellTreeTest : public testing::Test {
  protected:
    ShellTreeTest() {
        dir.MakeDir(L"a\\a1");
        dir.Write(L"b\\b.txt", "x");
        dir.MakeDir(L".h");
        SetFileAttributesW((dir / L".h").c_str(), FILE_ATTRIBUTE_HIDDEN);
        dir.Write(L"f.txt", "x");
        ShellDoubles::Reset();
    }
    ~ShellTreeTest() override { ShellDoubles::Reset(); }

    TempDir dir;
    ViewForm form;
    MessageBoxRecorder boxes;
};

TEST_F(ShellTreeTest, FillsLazilyWithWhatTheOptionsShow) {
    const struct {
        const char* name;
        TPTShellTreeOptions options;
        Texts children;
        bool everyFolderExpands;
    } cases[] = {
        {"defaults", OptionsWithout({ptstoDynamicRefresh}), {L".h", L"a", L"b"}, false},
        {"no hidden", OptionsWithout({ptstoDynamicRefresh, ptstoShowHidden}), {L"a", L"b"}, false},
        {"files too",
         OptionsWithout({ptstoDynamicRefresh}).Include(ptstoIncludeNonFolders),
         {L".h", L"a", L"b", L"f.txt"},
         true},
    };
    // A shell that knows which folders have subfolders (the one under test says all have).
    ShellDoubles::truthfulSubfolders = true;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestTree tree(form, dir.Path(), c.options);
        tree.counting = true;
        tree.Refill();
        HTREEITEM root = tree.RootNode();
        ASSERT_NE(root, nullptr);
        EXPECT_EQ(tree.NodeText(root), dir.Path().substr(dir.Path().rfind(L'\\') + 1));
        EXPECT_TRUE(tree.IsExpanded(root));
        EXPECT_EQ(tree.ChildTexts(root), c.children);
        // Expand buttons come from the attributes; children are read on the first expansion.
        HTREEITEM a = tree.NodeOf(dir / L"a");
        EXPECT_TRUE(tree.HasChildrenMark(a));
        EXPECT_EQ(tree.FirstChild(a), nullptr);
        EXPECT_EQ(tree.HasChildrenMark(tree.NodeOf(dir / L"b")), c.everyFolderExpands);
        tree.Expand(a);
        EXPECT_EQ(tree.ChildTexts(a), Texts{L"a1"});
        EXPECT_EQ(tree.HasChildrenMark(tree.NodeOf(dir / L"a\\a1")), c.everyFolderExpands);
    }
    // Where the shell says a folder has subfolders and it has none, its button goes once it
    // has been opened.
    ShellDoubles::truthfulSubfolders = false;
    TestTree tree(form, dir.Path(), OptionsWithout({ptstoDynamicRefresh}));
    tree.Refill();
    HTREEITEM b = tree.NodeOf(dir / L"b");
    tree.Expand(b);
    EXPECT_EQ(tree.FirstChild(b), nullptr);
    EXPECT_FALSE(tree.HasChildrenMark(b));
}

TEST_F(ShellTreeTest, TheDesktopTreeFillsItselfOnceItsWindowExists) {
    TestTree tree(form, L"", kDefaultShellTreeOptions);
    EXPECT_EQ(tree.RootNode(), nullptr);
    ASSERT_TRUE(PumpUntil([&] { return tree.RootNode() != nullptr; }));
    HTREEITEM root = tree.RootNode();
    EXPECT_EQ(tree.NodeText(root), GetDisplayName(nullptr, EmptyPidl(), dnInFolder));
    EXPECT_TRUE(tree.IsExpanded(root));
    EXPECT_NE(tree.FirstChild(root), nullptr);
    EXPECT_EQ(tree.ShellDataOf(tree.Selected()), tree.ShellDataOf(root));
}

TEST_F(ShellTreeTest, ANewBaseFolderRefillsTheTreeWhenItFillsItself) {
    const struct {
        const char* name;
        TPTShellTreeOptions options;
        std::wstring root, selected;
    } cases[] = {
        {"auto fill", OptionsWithout({ptstoDynamicRefresh}), dir / L"a", dir / L"a"},
        {"no auto fill", OptionsWithout({ptstoDynamicRefresh, ptstoAutoFill}), dir.Path(),
         dir / L"a\\a1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeShellList list;
        TestTree tree(form, dir.Path(), c.options);
        tree.SetShellList(&list);
        tree.Refill();
        tree.SetFolderPath(dir / L"a\\a1");
        tree.BaseFolder().SetPath(dir / L"a");
        EXPECT_EQ(tree.ShellDataOf(tree.RootNode())->GetPath(), c.root);
        EXPECT_EQ(tree.SelectedPath(), c.selected);
        EXPECT_EQ(list.Last(), c.selected);
    }
}

TEST_F(ShellTreeTest, ItemsTheShellFailsOnAreSkippedQuietly) {
    TestTree tree(form, dir.Path(), OptionsWithout({ptstoDynamicRefresh}));
    tree.counting = true;
    std::vector<ULONG> offered;
    tree.OnAddItem = [&](TPTCustomShellTree&, IShellFolder_NRC* folder, const ITEMIDLIST* parent,
                         const ITEMIDLIST* item, ULONG attributes, BOOL& allow) {
        EXPECT_EQ(ComparePidls(parent, tree.BaseFolder().Pidl()), 0);
        offered.push_back(attributes & SFGAO_FOLDER);
        if (GetDisplayName(folder, item, dnInFolder) == L".h") allow = FALSE;
    };
    ShellDoubles::unreadable = L"b";
    tree.Refill();
    EXPECT_EQ(tree.ChildTexts(tree.RootNode()), Texts{L"a"});
    EXPECT_EQ(offered, (std::vector<ULONG>{SFGAO_FOLDER, SFGAO_FOLDER}));
    tree.OnAddItem = nullptr;
    ShellDoubles::unreadable.clear();

    // Comparisons that fail or contradict each other still leave every child there once.
    ShellDoubles::scrambledCompare = true;
    tree.Refill();
    Texts children = tree.ChildTexts(tree.RootNode());
    std::sort(children.begin(), children.end());
    EXPECT_EQ(children, (Texts{L".h", L"a", L"b"}));
    ShellDoubles::scrambledCompare = false;

    // A folder whose enumeration fails keeps its button, to be tried again.
    HTREEITEM a = tree.NodeOf(dir / L"a");
    ShellDoubles::enumResult = E_FAIL;
    tree.Expand(a);
    EXPECT_EQ(tree.FirstChild(a), nullptr);
    EXPECT_TRUE(tree.HasChildrenMark(a));
    ShellDoubles::enumResult = S_OK;
    tree.Expand(a);
    EXPECT_EQ(tree.ChildTexts(a), Texts{L"a1"});
    // A refresh that cannot read a folder leaves its nodes as they are.
    ShellDoubles::enumResult = E_FAIL;
    tree.RefreshNodes();
    EXPECT_EQ(tree.ChildTexts(a), Texts{L"a1"});
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(ShellTreeTest, EveryFolderEnumeratorAndListIsReleased) {
    FakeShellList list;
    const auto cycle = [&] {
        TestTree tree(form, dir.Path(), OptionsWithout({ptstoDynamicRefresh}));
        tree.counting = true;
        tree.SetShellList(&list);
        tree.Refill();
        tree.Expand(tree.NodeOf(dir / L"a"));
        tree.SetFolderPath(dir / L"a\\a1");
        dir.MakeDir(L"c");
        RemoveTree(dir / L"a");
        tree.RefreshNodes();
        RemoveTree(dir / L"c");
        dir.MakeDir(L"a\\a1");
        EXPECT_GT(ShellDoubles::liveFolders, 0);
    };
    TaskMemoryWatch lists;
    cycle();  // what the shell keeps for itself after a first use stays out of the count
    const long before = lists.Outstanding();
    cycle();
    EXPECT_EQ(lists.Outstanding(), before);
    EXPECT_EQ(ShellDoubles::liveFolders, 0);
    EXPECT_EQ(ShellDoubles::liveEnumerators, 0);
}

TEST_F(ShellTreeTest, PaintsIconsOnItsOwnColourAndGivesTheSharedListItsColourBack) {
    TestTree tree(form, dir.Path(), OptionsWithout({ptstoDynamicRefresh}));
    tree.Refill();
    HIMAGELIST system = GetSystemImageList(silSmall);
    const COLORREF before = ImageList_GetBkColor(system);
    std::vector<COLORREF> whilePainting;
    tree.OnCustomDrawShEx = [&](TPTCustomShellTree&, TPTTvCustomDraw& draw, HTREEITEM node,
                                TPTShTreeData* data) {
        if (draw.Stage() == 4) {
            EXPECT_EQ(data, tree.ShellDataOf(node));
            whilePainting.push_back(ImageList_GetBkColor(system));
        }
    };
    tree.SetColor(ui::Color(RGB(250, 240, 200)));
    RedrawWindow(tree.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    ASSERT_FALSE(whilePainting.empty());
    EXPECT_EQ(whilePainting[0], RGB(250, 240, 200));
    EXPECT_EQ(ImageList_GetBkColor(system), before);
}

TEST_F(ShellTreeTest, DragsTheToolkitWayOnlyWithoutShellDrags) {
    TestTree tree(form, dir.Path(), kDefaultShellTreeOptions);
    const auto disabled = [&] {
        return (GetWindowLongW(tree.Handle(), GWL_STYLE) & TVS_DISABLEDRAGDROP) != 0;
    };
    EXPECT_FALSE(disabled());
    tree.SetOptions(OptionsWithout({ptstoOleDrag}));
    EXPECT_TRUE(disabled());
}

TEST(ShellTreeOptions, StoreAsSixteenBitsWithTheDefaultValue) {
    EXPECT_EQ(TPTShellTree().Options().Mask(), 955);
    EXPECT_EQ(TPTShellTreeOptions::FromMask(0x0240),
              (TPTShellTreeOptions{ptstoIncludeNonFolders, ptstoShowHidden}));
}

}  // namespace
}  // namespace shellctl
