#include "shellctl/PTCustomListView.h"

#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "TestCanvas.h"
#include "ViewTestSupport.h"
#include "shellctl/PTCustomTreeView.h"
#include "ui/Menu.h"

namespace shellctl {
namespace {

using namespace testing_support;
using TestList = DrawingView<TPTCustomListView, TPTLvCustomDraw>;

class CustomListViewTest : public testing::Test {
  protected:
    CustomListViewTest() {
        menu.AddItem(L"Open");
        list.SetPopupMenu(&menu);
        list.AddColumn(L"Name", 120);
        for (const wchar_t* name : {L"First", L"Second", L"Third"}) list.AddItem(name);
        list.OnItemContextMenu = [this](TPTCustomListView&, int item, POINT& pos,
                                        ui::Menu*& popup) {
            hookItems.push_back(item);
            hookPoints.push_back(pos);
            if (menuNone) popup = nullptr;
        };
    }

    ViewForm form;
    TestList list{form, {0, 0, 300, 200}};
    ui::Menu menu{ui::Menu::Kind::Popup};
    std::vector<int> hookItems;
    std::vector<POINT> hookPoints;
    bool menuNone = false;
    PopupRecorder popups;
};

TEST_F(CustomListViewTest, RightClickingShowsTheFocusedItemsMenuOnce) {
    const POINT centre = Centre(list.ItemLabelRect(1));
    RightClick(list.Handle(), {centre.x - 10, centre.y});
    ASSERT_EQ(list.FocusedItem(), 1);
    ASSERT_EQ(hookItems, std::vector<int>{1});
    // At the centre of the label, not where the pointer was.
    EXPECT_EQ(hookPoints[0].x, centre.x);
    ASSERT_EQ(popups.Popups().size(), 1u);
    EXPECT_EQ(popups.Popups()[0].screen.x, ToScreen(list.Handle(), centre).x);
    EXPECT_EQ(popups.Popups()[0].owner, list.Handle());
    list.Send(WM_RBUTTONUP, 0, MAKELPARAM(centre.x, centre.y));
    EXPECT_EQ(popups.Popups().size(), 1u);
}

TEST_F(CustomListViewTest, AnItemMenuSetToNoneShowsNothingNotEvenOnTheRelease) {
    menuNone = true;
    const POINT centre = Centre(list.ItemLabelRect(2));
    RightClick(list.Handle(), centre);
    EXPECT_EQ(hookItems, std::vector<int>{2});
    list.Send(WM_RBUTTONUP, 0, MAKELPARAM(centre.x, centre.y));
    EXPECT_TRUE(popups.Popups().empty());
    // The flag is gone: the next release asks for the focused item's menu again.
    list.Send(WM_RBUTTONUP, 0, MAKELPARAM(centre.x, centre.y));
    EXPECT_EQ(hookItems, (std::vector<int>{2, 2}));
}

TEST_F(CustomListViewTest, WithoutAFocusedItemThePopupMenuShowsWhereAsked) {
    list.Send(WM_KEYDOWN, VK_APPS, 0x015D0001);
    ASSERT_EQ(popups.Popups().size(), 1u);
    EXPECT_EQ(popups.Popups()[0].menu, &menu);
    EXPECT_EQ(popups.Popups()[0].screen.x, ToScreen(list.Handle(), {0, 0}).x);
    const POINT below{100, 150};
    RightClick(list.Handle(), below);
    ASSERT_EQ(popups.Popups().size(), 2u);
    EXPECT_EQ(popups.Popups()[1].screen.y, ToScreen(list.Handle(), below).y);
    EXPECT_TRUE(hookItems.empty());
}

TEST_F(CustomListViewTest, AContextMenuMessageItDoesNotAnswerStopsAtTheList) {
    MessageCounter parent(form.Handle(), WM_CONTEXTMENU);
    const POINT inside = ToScreen(list.Handle(), {100, 150});
    list.Send(WM_CONTEXTMENU, WPARAM(list.Handle()), MAKELPARAM(inside.x, inside.y));
    list.Send(WM_CONTEXTMENU, WPARAM(list.Handle()), MAKELPARAM(-1, -1));
    EXPECT_EQ(parent.Count(), 0);
    EXPECT_TRUE(popups.Popups().empty());
}

TEST_F(CustomListViewTest, CustomDrawHandlersChangeOnlyWhatTheyEdit) {
    const COLORREF red = RGB(255, 0, 0);
    const struct {
        const char* name;
        std::function<void(TPTLvCustomDraw&)> handler;
        LRESULT firstResult;
        bool firstRed;
    } cases[] = {
        {"recolour",
         [&](TPTLvCustomDraw& cd) {
             if (cd.Stage() == 4 && cd.Item() == 0) cd.Font().SetColor(red);
         },
         CDRF_NEWFONT, true},
        {"read only", [&](TPTLvCustomDraw& cd) { (void)cd.Font().Color(); }, 0, false},
        {"skip default",
         [&](TPTLvCustomDraw& cd) {
             if (cd.Stage() == 4 && cd.Item() == 0) cd.SetSkipDefault(true);
         },
         CDRF_SKIPDEFAULT, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        list.onDraw = c.handler;
        CustomDrawRecorder recorder(form.Handle(), list.Handle());
        TestCanvas canvas(300, 200, RGB(0, 0, 255));
        list.Send(WM_PRINTCLIENT, WPARAM(canvas.Dc()), PRF_CLIENT | PRF_ERASEBKGND);
        recorder.ExpectItems(canvas, 0, list.ItemLabelRect(0), 1, list.ItemLabelRect(1),
                             c.firstResult, c.firstRed);
    }
}

// The list takes its colour as both background colours; the tree and the list follow the
// colour scheme when their colour is a system colour, and keep a fixed one.
TEST_F(CustomListViewTest, ViewsTakeTheirColoursAndFollowTheScheme) {
    EXPECT_EQ(COLORREF(list.Send(LVM_GETBKCOLOR)), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(COLORREF(list.Send(LVM_GETTEXTBKCOLOR)), GetSysColor(COLOR_WINDOW));
    MadeView<TPTCustomTreeView> tree(form, {0, 0, 50, 50});
    MadeView<TPTCustomListView> fixed(form, {0, 0, 50, 50});
    fixed.SetColor(RGB(9, 9, 9));
    const int role = COLOR_INFOBK;
    const COLORREF saved = GetSysColor(role);
    const COLORREF changed = RGB(1, 2, 3);
    list.SetColor(ui::SystemColor(role));
    tree.SetColor(ui::SystemColor(role));
    SetSysColors(1, &role, &changed);
    form.Send(WM_SYSCOLORCHANGE);
    EXPECT_EQ(COLORREF(list.Send(LVM_GETBKCOLOR)), changed);
    EXPECT_EQ(COLORREF(list.Send(LVM_GETTEXTBKCOLOR)), changed);
    EXPECT_EQ(COLORREF(tree.Send(TVM_GETBKCOLOR)), changed);
    EXPECT_EQ(COLORREF(fixed.Send(LVM_GETBKCOLOR)), RGB(9, 9, 9));
    SetSysColors(1, &role, &saved);
}

}  // namespace
}  // namespace shellctl
