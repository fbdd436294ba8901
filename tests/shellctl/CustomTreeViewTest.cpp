#include "shellctl/PTCustomTreeView.h"

#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "TestCanvas.h"
#include "ViewTestSupport.h"
#include "ui/Menu.h"

namespace shellctl {
namespace {

using namespace testing_support;
using TestTree = DrawingView<TPTCustomTreeView, TPTTvCustomDraw>;

class CustomTreeViewTest : public testing::Test {
  protected:
    CustomTreeViewTest() {
        menu.AddItem(L"Open");
        tree.SetPopupMenu(&menu);
        alpha = tree.AddNode(TVI_ROOT, L"Alpha");
        beta = tree.AddNode(TVI_ROOT, L"Beta");
        tree.OnNodeContextMenu = [this](TPTCustomTreeView&, HTREEITEM node, POINT& pos,
                                        ui::Menu*& popup) {
            hookNodes.push_back(node);
            hookPoints.push_back(pos);
            if (onHook) onHook(node, pos, popup);
        };
    }

    ViewForm form;
    TestTree tree{form, {0, 0, 200, 150}};
    ui::Menu menu{ui::Menu::Kind::Popup};
    ui::Menu other{ui::Menu::Kind::Popup};
    HTREEITEM alpha;
    HTREEITEM beta;
    std::vector<HTREEITEM> hookNodes;
    std::vector<POINT> hookPoints;
    std::function<void(HTREEITEM, POINT&, ui::Menu*&)> onHook;
    PopupRecorder popups;
};

TEST_F(CustomTreeViewTest, RightClickingANodeShowsItsMenuOnce) {
    onHook = [this](HTREEITEM, POINT& pos, ui::Menu*& popup) {
        pos.x += 3;
        popup = &other;
    };
    const POINT click = Centre(tree.NodeTextRect(beta));
    RightClick(tree.Handle(), click);
    ASSERT_EQ(hookNodes, std::vector<HTREEITEM>{beta});
    ASSERT_EQ(popups.Popups().size(), 1u);
    EXPECT_EQ(popups.Popups()[0].menu, &other);
    EXPECT_EQ(popups.Popups()[0].owner, tree.Handle());
    const POINT expected = ToScreen(tree.Handle(), {click.x + 3, click.y});
    EXPECT_EQ(popups.Popups()[0].screen.x, expected.x);
    EXPECT_EQ(popups.Popups()[0].screen.y, expected.y);
    // The release that follows the click adds nothing.
    tree.Send(WM_RBUTTONUP, 0, MAKELPARAM(click.x, click.y));
    EXPECT_EQ(popups.Popups().size(), 1u);
}

TEST_F(CustomTreeViewTest, ANodeMenuSetToNoneShowsNothingNotEvenOnTheRelease) {
    onHook = [](HTREEITEM node, POINT&, ui::Menu*& popup) {
        if (node != nullptr) popup = nullptr;
    };
    const POINT click = Centre(tree.NodeTextRect(alpha));
    RightClick(tree.Handle(), click);
    EXPECT_EQ(hookNodes, std::vector<HTREEITEM>{alpha});
    // (Taking the focus selected a node; with one, the tree ignores the context-menu message.)
    tree.Select(nullptr);
    tree.Send(WM_RBUTTONUP, 0, MAKELPARAM(click.x, click.y));
    EXPECT_TRUE(popups.Popups().empty());

    // The release cleared the flag: another one asks for the menu of no node, which the
    // handler leaves alone.
    tree.Send(WM_RBUTTONUP, 0, MAKELPARAM(click.x, click.y));
    EXPECT_EQ(hookNodes.back(), nullptr);
    ASSERT_EQ(popups.Popups().size(), 1u);
    EXPECT_EQ(popups.Popups()[0].menu, &menu);
}

TEST_F(CustomTreeViewTest, TheContextMenuKeysShowTheSelectionsMenu) {
    // No selection: the popup menu at the top-left corner, without asking the handler; the
    // key's release asks for nothing more.
    tree.Send(WM_KEYDOWN, VK_APPS, 0x015D0001);
    tree.Send(WM_KEYUP, VK_APPS, 0xC15D0001);
    ASSERT_EQ(popups.Popups().size(), 1u);
    EXPECT_EQ(popups.Popups()[0].menu, &menu);
    const POINT corner = ToScreen(tree.Handle(), {0, 0});
    EXPECT_EQ(popups.Popups()[0].screen.x, corner.x);
    EXPECT_EQ(popups.Popups()[0].screen.y, corner.y);
    EXPECT_TRUE(hookNodes.empty());

    // A selected node: its menu at the centre of its text, for Shift+F10 and the Apps key.
    tree.Select(beta);
    const POINT centre = Centre(tree.NodeTextRect(beta));
    {
        KeyStateGuard shift(VK_SHIFT, true);
        tree.Send(WM_SYSKEYDOWN, VK_F10, 0x00440001);
    }
    tree.Send(WM_KEYDOWN, VK_APPS, 0x015D0001);
    ASSERT_EQ(hookNodes, (std::vector<HTREEITEM>{beta, beta}));
    EXPECT_EQ(hookPoints[0].x, centre.x);
    EXPECT_EQ(hookPoints[0].y, centre.y);
    EXPECT_EQ(popups.Popups().size(), 3u);

    // With another modifier the key is the platform's.
    {
        KeyStateGuard control(VK_CONTROL, true);
        tree.Send(WM_KEYDOWN, VK_APPS, 0x015D0001);
    }
    EXPECT_EQ(popups.Popups().size(), 3u);
}

// The context-menu message is answered by the tree or by nobody: it never reaches the form, whose
// default handling could show the window menu.
TEST_F(CustomTreeViewTest, TheContextMenuMessageStopsAtTheTree) {
    const POINT inside = ToScreen(tree.Handle(), {60, 100});
    const POINT corner = ToScreen(tree.Handle(), {0, 0});
    const struct {
        const char* name;
        bool selected;
        LPARAM position;
        size_t popups;
        POINT at;
    } cases[] = {
        // Both coordinates -1, read as the signed numbers they are.
        {"keyboard", false, MAKELPARAM(-1, -1), 1, corner},
        {"mouse", false, MAKELPARAM(inside.x, inside.y), 1, inside},
        {"not answered with a selection", true, MAKELPARAM(inside.x, inside.y), 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        popups.Clear();
        tree.Select(c.selected ? alpha : nullptr);
        MessageCounter parent(form.Handle(), WM_CONTEXTMENU);
        tree.Send(WM_CONTEXTMENU, WPARAM(tree.Handle()), c.position);
        EXPECT_EQ(parent.Count(), 0);
        ASSERT_EQ(popups.Popups().size(), c.popups);
        if (c.popups == 0) continue;
        EXPECT_EQ(popups.Popups()[0].screen.x, c.at.x);
        EXPECT_EQ(popups.Popups()[0].screen.y, c.at.y);
    }
}

TEST_F(CustomTreeViewTest, CustomDrawHandlersChangeOnlyWhatTheyEdit) {
    const COLORREF red = RGB(255, 0, 0);
    const struct {
        const char* name;
        std::function<void(TPTTvCustomDraw&)> handler;
        LRESULT alphaResult;
        bool alphaRed;
    } cases[] = {
        {"recolour",
         [&](TPTTvCustomDraw& cd) {
             if (cd.Stage() == 4 && cd.Node() == alpha) cd.Font().SetColor(red);
         },
         CDRF_NEWFONT, true},
        {"read only", [&](TPTTvCustomDraw& cd) { (void)(cd.Font().Bold() || cd.Brush().Color()); },
         0, false},
        {"skip default",
         [&](TPTTvCustomDraw& cd) {
             if (cd.Stage() == 4 && cd.Node() == alpha) cd.SetSkipDefault(true);
         },
         CDRF_SKIPDEFAULT, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<int> stages;
        tree.onDraw = [&](TPTTvCustomDraw& cd) {
            stages.push_back(cd.Stage());
            c.handler(cd);
        };
        CustomDrawRecorder recorder(form.Handle(), tree.Handle());
        TestCanvas canvas(200, 150, RGB(0, 0, 255));
        tree.Send(WM_PRINTCLIENT, WPARAM(canvas.Dc()), PRF_CLIENT | PRF_ERASEBKGND);
        EXPECT_EQ(stages, (std::vector<int>{1, 4, 4}));
        recorder.ExpectItems(canvas, DWORD_PTR(alpha), tree.NodeTextRect(alpha), DWORD_PTR(beta),
                             tree.NodeTextRect(beta), c.alphaResult, c.alphaRed);
    }
}

TEST_F(CustomTreeViewTest, ImageIndexesComeFromTheImageIndexOperations) {
    tree.OnGetImageIndex = [&](TPTCustomTreeView&, HTREEITEM node, int& index) {
        index = node == alpha ? 3 : 5;
    };
    tree.OnGetSelectedIndex = [&](TPTCustomTreeView&, HTREEITEM, int& index) { index = 4; };
    TVITEMW item{};
    item.mask = TVIF_HANDLE | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    item.hItem = alpha;
    ASSERT_TRUE(tree.Send(TVM_GETITEMW, 0, LPARAM(&item)));
    EXPECT_EQ(item.iImage, 3);
    EXPECT_EQ(item.iSelectedImage, 4);
}

}  // namespace
}  // namespace shellctl
