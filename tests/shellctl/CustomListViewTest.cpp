#include "shellctl/PTCustomListView.h"

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
using testing_support::PopupRecorder;
using testing_support::TestCanvas;

class TestList : public TPTCustomListView {
  public:
    using TPTCustomListView::TPTCustomListView;
    std::function<void(TPTLvCustomDraw&)> onDraw;

  protected:
    void DoCustomDraw(TPTLvCustomDraw& customDraw) override {
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
            if (onHook) onHook(item, popup);
        };
    }

    void RightClick(POINT client) {
        const POINT screen = ToScreen(list.Handle(), client);
        SetCursorPos(screen.x, screen.y);
        list.Post(WM_RBUTTONUP, 0, MAKELPARAM(client.x, client.y));
        list.Send(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(client.x, client.y));
        ui::App().ProcessMessages();
    }

    testing_support::ViewForm form;
    TestList list{form, 0, 0, 300, 200};
    ui::Menu menu{ui::Menu::Kind::Popup};
    std::vector<int> hookItems;
    std::vector<POINT> hookPoints;
    std::function<void(int, ui::Menu*&)> onHook;
    PopupRecorder popups;
};

TEST_F(CustomListViewTest, RightClickingShowsTheFocusedItemsMenuOnce) {
    const POINT centre = Centre(list.ItemLabelRect(1));
    RightClick({centre.x - 10, centre.y});
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
    onHook = [](int, ui::Menu*& popup) { popup = nullptr; };
    const POINT centre = Centre(list.ItemLabelRect(2));
    RightClick(centre);
    EXPECT_EQ(hookItems, std::vector<int>{2});
    list.Send(WM_RBUTTONUP, 0, MAKELPARAM(centre.x, centre.y));
    EXPECT_TRUE(popups.Popups().empty());
    // The flag is gone: the next release asks for the focused item's menu again.
    list.Send(WM_RBUTTONUP, 0, MAKELPARAM(centre.x, centre.y));
    EXPECT_EQ(hookItems, (std::vector<int>{2, 2}));
}

TEST_F(CustomListViewTest, WithoutAFocusedItemThePopupMenuShowsWhereAsked) {
    const POINT below{100, 150};
    list.Send(WM_KEYDOWN, VK_APPS, 0x015D0001);
    ASSERT_EQ(popups.Popups().size(), 1u);
    EXPECT_EQ(popups.Popups()[0].menu, &menu);
    EXPECT_EQ(popups.Popups()[0].screen.x, ToScreen(list.Handle(), {0, 0}).x);
    RightClick(below);
    ASSERT_EQ(popups.Popups().size(), 2u);
    EXPECT_EQ(popups.Popups()[1].screen.y, ToScreen(list.Handle(), below).y);
    EXPECT_TRUE(hookItems.empty());
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
    const COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        list.onDraw = c.handler;
        CustomDrawRecorder recorder(form.Handle(), list.Handle());
        TestCanvas canvas(300, 200, RGB(0, 0, 255));
        list.Send(WM_PRINTCLIENT, WPARAM(canvas.Dc()), PRF_CLIENT | PRF_ERASEBKGND);

        ASSERT_NE(recorder.Prepaint(), nullptr);
        EXPECT_EQ(recorder.Prepaint()->result, CDRF_NOTIFYITEMDRAW);
        const auto* first = recorder.ItemPrepaint(0);
        const auto* second = recorder.ItemPrepaint(1);
        ASSERT_NE(first, nullptr);
        ASSERT_NE(second, nullptr);
        EXPECT_EQ(first->result, c.firstResult);
        EXPECT_EQ(first->textAfter, c.firstRed ? red : first->textBefore);
        EXPECT_EQ(second->result, 0);
        EXPECT_EQ(second->textAfter, second->textBefore);
        EXPECT_EQ(canvas.Count(list.ItemLabelRect(0), red) > 0, c.firstRed);
        EXPECT_EQ(canvas.Count(list.ItemLabelRect(0), text) > 0, c.firstResult == 0);
        EXPECT_GT(canvas.Count(list.ItemLabelRect(1), text), 0);
        EXPECT_EQ(canvas.Count(list.ItemLabelRect(1), red), 0);
    }
}

TEST_F(CustomListViewTest, TheListTakesItsColourAsBackgroundAndFollowsTheScheme) {
    EXPECT_EQ(COLORREF(list.Send(LVM_GETBKCOLOR)), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(COLORREF(list.Send(LVM_GETTEXTBKCOLOR)), GetSysColor(COLOR_WINDOW));
    const int role = COLOR_INFOBK;
    const COLORREF saved = GetSysColor(role);
    const COLORREF changed = RGB(1, 2, 3);
    list.SetColor(ui::SystemColor(role));
    SetSysColors(1, &role, &changed);
    form.Send(WM_SYSCOLORCHANGE);
    EXPECT_EQ(COLORREF(list.Send(LVM_GETBKCOLOR)), changed);
    EXPECT_EQ(COLORREF(list.Send(LVM_GETTEXTBKCOLOR)), changed);
    SetSysColors(1, &role, &saved);
}

}  // namespace
}  // namespace shellctl
