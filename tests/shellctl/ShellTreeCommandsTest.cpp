// The shell's commands on the shell tree's nodes: its context menu, its verbs and verb keys, and
// what a command tells the other controls.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "ShellCommandTestSupport.h"
#include "ShellTreeTestSupport.h"
#include "shell/ShellDelete.h"
#include "shell/ShellTransfer.h"
#include "shellctl/ShellTree.h"
#include "base/Strings.h"
#include "ui/Application.h"
#include "ui/Menu.h"

namespace shellctl {
namespace {

using namespace testing_support;
using Microsoft::WRL::ComPtr;
using Texts = std::vector<std::wstring>;

bool Contains(const Texts& texts, const std::wstring& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

class ShellTreeCommandsTest : public testing::Test {
  protected:
    ShellTreeCommandsTest() {
        dir.MakeDir(L"doomed folder\\inner");
        dir.MakeDir(L"kept");
        dir.Write(L"kept\\file.txt", "x");
        ClearClipboard();
    }
    ~ShellTreeCommandsTest() override {
        ClearClipboard();
        ShellDoubles::Reset();
    }

    // A filled tree on the folder, with a folder selected.
    std::unique_ptr<TestTree> TreeAt(
        const std::wstring& selected,
        TPTShellTreeOptions options = OptionsWithout({ptstoDynamicRefresh})) {
        auto tree = std::make_unique<TestTree>(form, dir.Path(), options);
        tree->counting = true;
        tree->SetShellList(&list);
        tree->Refill();
        tree->SetFolderPath(selected);
        tree->SetFocus();
        return tree;
    }

    TempDir dir;
    ViewForm form;
    FakeShellList list;
    FakePane pane;
    MessageBoxRecorder boxes;
};

TEST_F(ShellTreeCommandsTest, TheContextMenuIsTheShellsAndRunsTheChosenCommand) {
    const std::wstring doomed = dir / L"doomed folder";
    const struct {
        const char* name;
        std::wstring verb;  // empty: the menu is closed
        bool byMouse;
        int answer;
        bool gone;
        bool editing;
        Texts clipboard;
        Texts told;  // the folders the other controls hear of
    } cases[] = {
        {"delete, yes", L"delete", true, IDYES, true, false, {}, {dir.Path(), doomed}},
        {"delete, no", L"Delete", false, IDNO, false, false, {}, {}},
        {"rename", L"rename", true, 0, false, true, {}, {}},
        {"copy", L"copy", false, 0, false, false, {doomed}, {dir.Path(), doomed}},
        {"closed", L"", false, 0, false, false, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dir.MakeDir(L"doomed folder\\inner");
        boxes.Clear();
        pane.changed.clear();
        // The shell here has no rename in its explorer menus; one that has is stood in for.
        if (c.editing) ShellDoubles::wrapMenu = OfferingRename;
        if (c.answer != 0) boxes.Answer(c.answer);
        auto tree = TreeAt(doomed);
        Texts hints;
        tree->OnPopupHint = [&](TPTCustomShellTree&, const std::wstring& hint) {
            hints.push_back(hint);
        };
        HTREEITEM node = tree->Selected();
        const auto object = MenuObjectOf(doomed);
        MenuPicker picker(PickVerb(object, c.verb));
        if (c.byMouse)
            RightClick(tree->Handle(), Centre(tree->NodeTextRect(node)));
        else
            tree->PressKey(VK_APPS);
        ASSERT_EQ(picker.MenusShown(), 1);
        const Texts verbs = VerbsOf(object.Get(), picker.Commands());
        for (const wchar_t* verb : {L"cut", L"copy", L"delete", L"properties"})
            EXPECT_TRUE(Contains(verbs, verb)) << base::WideToUtf8(verb);

        EXPECT_EQ(boxes.Boxes().size(), c.answer != 0 ? 1u : 0u);
        EXPECT_EQ(FolderExists(doomed), !c.gone);
        EXPECT_EQ(tree->NodeOf(doomed) == nullptr, c.gone);
        EXPECT_EQ(tree->EditControl() != nullptr, c.editing);
        // The help text of the command under the pointer, where the menu object has one.
        EXPECT_EQ(Contains(hints, L"Renames the item."), c.editing);
        if (c.editing) tree->Send(TVM_ENDEDITLABELNOW, TRUE);
        EXPECT_EQ(ClipboardPaths(), c.clipboard);
        EXPECT_EQ(pane.changed, c.told);
        EXPECT_FALSE(tree->Dragging());
        ClearClipboard();
        ShellDoubles::wrapMenu = {};
    }
}

TEST_F(ShellTreeCommandsTest, NodesWithoutAShellMenuShowTheControlsOwn) {
    ui::Menu popup{ui::Menu::Kind::Popup};
    PopupRecorder popups;
    const struct {
        const char* name;
        TPTShellTreeOptions options;
        std::wstring base;  // the tree's root
    } cases[] = {
        {"without ptstoContextMenus", OptionsWithout({ptstoDynamicRefresh, ptstoContextMenus}),
         dir.Path()},
        {"the desktop", OptionsWithout({ptstoDynamicRefresh}), L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        popups.Clear();
        TestTree tree(form, c.base, c.options);
        tree.SetPopupMenu(&popup);
        tree.Refill();
        tree.Select(tree.RootNode());
        MenuPicker picker;
        tree.PressKey(VK_APPS);
        EXPECT_EQ(picker.MenusShown(), 0);
        EXPECT_EQ(popups.Popups().size(), 1u);
    }
}

TEST_F(ShellTreeCommandsTest, VerbKeysDeleteCopyCutAndPasteTheSelectedFolder) {
    const std::wstring doomed = dir / L"doomed folder";
    const std::wstring file = dir / L"kept\\file.txt";
    const struct {
        const char* name;
        WORD key;
        int modifier;  // held with the key; 0 for none
        int answer;    // to the question; 0: none is asked
        std::wstring selected;
        bool gone;
        Texts clipboard;
        Texts told;
    } cases[] = {
        {"Del", VK_DELETE, 0, IDYES, doomed, true, {}, {dir.Path(), doomed}},
        {"Shift+Del", VK_DELETE, VK_SHIFT, IDYES, doomed, true, {}, {dir.Path(), doomed}},
        {"Del, answered no", VK_DELETE, 0, IDNO, doomed, false, {}, {}},
        {"Del on the root", VK_DELETE, 0, 0, dir.Path(), false, {}, {}},
        {"Ctrl+C", 'C', VK_CONTROL, 0, doomed, false, {doomed}, {}},
        {"Ctrl+X", 'X', VK_CONTROL, 0, doomed, false, {doomed}, {}},
        // The shell here pastes only names of files: another program's copy is pasted.
        {"Ctrl+V", 'V', VK_CONTROL, 0, doomed, false, {file}, {dir / L"kept", doomed}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dir.MakeDir(L"doomed folder\\inner");
        boxes.Clear();
        pane.changed.clear();
        if (c.answer != 0) boxes.Answer(c.answer);
        if (c.key == 'V') PutPathsOnClipboard({file});
        auto tree = TreeAt(c.selected);
        {
            std::optional<KeyStateGuard> held;
            if (c.modifier != 0) held.emplace(c.modifier, true);
            tree->PressKey(c.key);
        }
        EXPECT_EQ(boxes.Boxes().size(), c.answer != 0 ? 1u : 0u);
        EXPECT_EQ(FolderExists(doomed), !c.gone);
        EXPECT_EQ(tree->NodeOf(doomed) == nullptr, c.gone);
        if (c.gone) {
            EXPECT_EQ(tree->SelectedPath(), dir.Path());
            EXPECT_EQ(list.Last(), dir.Path());
        }
        EXPECT_EQ(ClipboardPaths(), c.clipboard);
        EXPECT_EQ(pane.changed, c.told);
        EXPECT_EQ(FileExists(doomed + L"\\file.txt"), c.key == 'V');
        EXPECT_TRUE(FileExists(file));
        ClearClipboard();
        RemoveTree(doomed);
    }
}

TEST_F(ShellTreeCommandsTest, AChangeElsewhereRefreshesATreeThatDoesNotWatch) {
    TempDir elsewhere;
    const struct {
        const char* name;
        TPTShellTreeOptions options;
        std::wstring changed;
        bool refreshed;
    } cases[] = {
        {"not watching", OptionsWithout({ptstoDynamicRefresh}), dir.Path(), true},
        {"a folder inside", OptionsWithout({ptstoDynamicRefresh}), dir / L"kept", true},
        {"a folder outside", OptionsWithout({ptstoDynamicRefresh}), elsewhere.Path(), false},
        {"watching", kDefaultShellTreeOptions, dir.Path(), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto tree = TreeAt(dir / L"kept", c.options);
        dir.MakeDir(L"new folder");
        const UniquePidl changed = PidlOf(c.changed);
        const ITEMIDLIST* folders[] = {changed.Get()};
        NotifyFoldersChanged(folders, nullptr);
        EXPECT_EQ(tree->NodeOf(dir / L"new folder") != nullptr, c.refreshed);
        // The sender is not told of its own change.
        FakePane other;
        NotifyFoldersChanged(folders, &other);
        EXPECT_TRUE(other.changed.empty());
        RemoveTree(dir / L"new folder");
    }
}

TEST(ShellPanes, PlacesInsideChangedFoldersAndTheFoldersOfClipboardItems) {
    TempDir dir;
    dir.Write(L"a\\b\\file.txt", "x");
    dir.Write(L"c\\other.txt", "x");
    const auto path = [&](const wchar_t* relative) {
        return PidlOf(*relative ? dir / relative : dir.Path());
    };
    const UniquePidl a = path(L"a"), c = path(L"c");
    const ITEMIDLIST* changed[] = {a.Get(), c.Get()};
    const struct {
        const wchar_t* place;
        bool inside;
    } places[] = {{L"a", true}, {L"a\\b", true}, {L"c", true}, {L"", false}};
    for (const auto& p : places)
        EXPECT_EQ(IsInsideAny(changed, path(p.place).Get()), p.inside) << base::WideToUtf8(p.place);
    const ITEMIDLIST* desktop[] = {nullptr};
    EXPECT_TRUE(IsInsideAny(desktop, a.Get()));
    EXPECT_FALSE(IsInsideAny(changed, nullptr));

    PutPathsOnClipboard({dir / L"a\\b\\file.txt", dir / L"c\\other.txt"});
    std::vector<std::wstring> sources;
    for (const UniquePidl& folder : ClipboardSourceFolders())
        sources.push_back(PidlToPath(folder.Get()));
    EXPECT_EQ(sources, (Texts{dir / L"a\\b", dir / L"c"}));
    // The shell's own cut leaves an item array.
    ComPtr<IDataObject> data;
    ASSERT_EQ(GetUIObjectOfAbsolute(path(L"c\\other.txt").Get(), data), S_OK);
    OleSetClipboard(data.Get());
    sources.clear();
    for (const UniquePidl& folder : ClipboardSourceFolders())
        sources.push_back(PidlToPath(folder.Get()));
    EXPECT_EQ(sources, (Texts{dir / L"c"}));
    ClearClipboard();
    EXPECT_TRUE(ClipboardSourceFolders().empty());
}

}  // namespace
}  // namespace shellctl
