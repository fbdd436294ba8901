// The shell's commands on the shell tree's nodes: its context menu, its verbs and verb keys, and
// what a command tells the other controls.
#include <gtest/gtest.h>

#include <algorithm>

#include "ShellCommandTestSupport.h"
#include "ShellTreeTestSupport.h"
#include "shell/ShellDelete.h"
#include "shellctl/ShellTree.h"
#include "base/Strings.h"
#include "ui/Application.h"
#include "ui/Menu.h"

namespace shellctl {
namespace {

using namespace testing_support;
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

}  // namespace
}  // namespace shellctl
