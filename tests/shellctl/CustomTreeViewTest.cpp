#include "shellctl/PTCustomTreeView.h"

#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "TestCanvas.h"
#include "ViewTestSupport.h"
#include "ui/Application.h"
#include "ui/Menu.h"

namespace shellctl {
namespace {

using testing_support::CustomDrawRecorder;
using testing_support::KeyStateGuard;
using testing_support::PopupRecorder;
using testing_support::TestCanvas;

class TestTree : public TPTCustomTreeView {
  public:
    using TPTCustomTreeView::TPTCustomTreeView;
    std::function<void(TPTTvCustomDraw&)> onDraw;

  protected:
    void DoCustomDraw(TPTTvCustomDraw& customDraw) override {
        if (onDraw) onDraw(customDraw);
    }
};

POINT Centre(const RECT& rect) {
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

POINT ToScreen(HWND hwnd, POINT point) {
    ClientToScreen(hwnd, &point);
    return point;
}

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

    // A right click on a point of the tree, the way the mouse makes one: the platform's tree
    // tracks the button until it is released, then tells its parent.
    void RightClick(POINT client) {
        const POINT screen = ToScreen(tree.Handle(), client);
        SetCursorPos(screen.x, screen.y);
        tree.Post(WM_RBUTTONUP, 0, MAKELPARAM(client.x, client.y));
        tree.Send(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(client.x, client.y));
        ui::App().ProcessMessages();
    }

    testing_support::ViewForm form;
    TestTree tree{form, 0, 0, 200, 150};
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
    RightClick(click);
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
    RightClick(click);
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
    // No selection: the popup menu at the top-left corner, without asking the handler.
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

TEST_F(CustomTreeViewTest, CustomDrawHandlersChangeOnlyWhatTheyEdit) {
    const COLORREF red = RGB(255, 0, 0);
    const struct {
        const char* name;
        std::function<void(TPTTvCustomDraw&)> handler;
        LRESULT alphaResult;
        bool alphaRed;
        bool alphaText;
    } cases[] = {
        {"recolour",
         [&](TPTTvCustomDraw& cd) {
             if (cd.Stage() == 4 && cd.Node() == alpha) cd.Font().SetColor(red);
         },
         CDRF_NEWFONT, true, true},
        {"read only",
         [&](TPTTvCustomDraw& cd) {
             if (cd.Stage() == 4) {
                 EXPECT_FALSE(cd.Font().Bold() && cd.Font().Color() == red);
             }
         },
         0, false, true},
        {"skip default",
         [&](TPTTvCustomDraw& cd) {
             if (cd.Stage() == 4 && cd.Node() == alpha) cd.SetSkipDefault(true);
         },
         CDRF_SKIPDEFAULT, false, false},
    };
    const COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
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
        ASSERT_NE(recorder.Prepaint(), nullptr);
        EXPECT_EQ(recorder.Prepaint()->result, CDRF_NOTIFYITEMDRAW);
        const auto* first = recorder.ItemPrepaint(DWORD_PTR(alpha));
        const auto* second = recorder.ItemPrepaint(DWORD_PTR(beta));
        ASSERT_NE(first, nullptr);
        ASSERT_NE(second, nullptr);
        EXPECT_EQ(first->result, c.alphaResult);
        EXPECT_EQ(first->textAfter, c.alphaRed ? red : first->textBefore);
        EXPECT_EQ(second->result, 0);
        EXPECT_EQ(second->textAfter, second->textBefore);

        const RECT alphaText = tree.NodeTextRect(alpha);
        const RECT betaText = tree.NodeTextRect(beta);
        EXPECT_EQ(canvas.Count(alphaText, red) > 0, c.alphaRed);
        EXPECT_EQ(canvas.Count(alphaText, text) > 0, c.alphaText && !c.alphaRed);
        EXPECT_EQ(canvas.Count(betaText, red), 0);
        EXPECT_GT(canvas.Count(betaText, text), 0);
        ASSERT_NE(tree.CustomDrawObject(), nullptr);
    }
}

TEST_F(CustomTreeViewTest, ImageIndexesComeFromTheImageIndexOperations) {
    int imageCalls = 0, selectedCalls = 0;
    tree.OnGetImageIndex = [&](TPTCustomTreeView&, HTREEITEM node, int& index) {
        ++imageCalls;
        index = node == alpha ? 3 : 5;
    };
    tree.OnGetSelectedIndex = [&](TPTCustomTreeView&, HTREEITEM, int& index) {
        ++selectedCalls;
        index = 4;
    };
    TVITEMW item{};
    item.mask = TVIF_HANDLE | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    item.hItem = alpha;
    ASSERT_TRUE(tree.Send(TVM_GETITEMW, 0, LPARAM(&item)));
    EXPECT_EQ(item.iImage, 3);
    EXPECT_EQ(item.iSelectedImage, 4);
    EXPECT_EQ(imageCalls, 1);
    EXPECT_EQ(selectedCalls, 1);
}

TEST_F(CustomTreeViewTest, ASystemColourFollowsTheColourScheme) {
    const int role = COLOR_INFOBK;
    const COLORREF saved = GetSysColor(role);
    const COLORREF changed = RGB(1, 2, 3);
    tree.SetColor(ui::SystemColor(role));
    TestTree fixed(form, 0, 0, 50, 50);
    fixed.SetColor(RGB(9, 9, 9));
    SetSysColors(1, &role, &changed);
    form.Send(WM_SYSCOLORCHANGE);
    EXPECT_EQ(COLORREF(tree.Send(TVM_GETBKCOLOR)), changed);
    EXPECT_EQ(COLORREF(fixed.Send(TVM_GETBKCOLOR)), RGB(9, 9, 9));
    SetSysColors(1, &role, &saved);
}

}  // namespace
}  // namespace shellctl
