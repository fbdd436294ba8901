// The window layer as the shell views use it: two-phase creation, subclassing the label editor,
// the keys a view takes inside a form, the menu messages of its popups, and the header bracket.
#include <algorithm>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "ViewTestSupport.h"
#include "base/Error.h"
#include "shellctl/PTCustomListView.h"
#include "shellctl/PTCustomTreeView.h"
#include "ui/Application.h"
#include "ui/Controls.h"
#include "ui/ImageList.h"
#include "ui/Menu.h"
#include "ui/PopupMenu.h"

namespace shellctl {
namespace {

using namespace testing_support;

// A tree that adds its own styles and records what it sees of its creation.
class StyledTree : public TPTCustomTreeView {
  public:
    DWORD styleAtCreate = 0;
    bool sawNcCreate = false;
    int created = 0;

  protected:
    void PrepareCreate(CreateParams& params) override {
        TPTCustomTreeView::PrepareCreate(params);
        params.style |= TVS_EDITLABELS | TVS_DISABLEDRAGDROP;
    }
    void Created() override {
        TPTCustomTreeView::Created();
        ++created;
    }
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
        sawNcCreate |= msg == WM_NCCREATE;
        if (msg == WM_CREATE) styleAtCreate = reinterpret_cast<CREATESTRUCTW*>(lParam)->style;
        return TPTCustomTreeView::HandleMessage(msg, wParam, lParam);
    }
};

TEST(ViewWindow, ADerivedViewChoosesItsStylesAndHearsItsOwnCreation) {
    ViewForm form;
    StyledTree tree;
    tree.Create(form, {0, 0, 200, 150});
    const DWORD wanted = TVS_EDITLABELS | TVS_DISABLEDRAGDROP | TVS_HASBUTTONS;
    EXPECT_TRUE(tree.sawNcCreate);
    EXPECT_EQ(tree.styleAtCreate & wanted, wanted);
    EXPECT_EQ(DWORD(GetWindowLongW(tree.Handle(), GWL_STYLE)) & wanted, wanted);
    EXPECT_THROW(tree.Create(form, {0, 0, 10, 10}), base::Error);
    EXPECT_EQ(tree.created, 1);
}

// Records the messages of a window it is attached to.
class Recorder : public ui::Window {
  public:
    std::vector<UINT> messages;
    bool destroyed = false;

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
        messages.push_back(msg);
        return ui::Window::HandleMessage(msg, wParam, lParam);
    }
    void Destroyed() override { destroyed = true; }
};

// A list with editable labels that records the keys reaching it.
class KeyList : public TPTCustomListView {
  public:
    std::vector<WORD> keys;
    bool wantsReturn = false;

  protected:
    void PrepareCreate(CreateParams& params) override {
        TPTCustomListView::PrepareCreate(params);
        params.style |= LVS_EDITLABELS;
    }
    void KeyDown(WORD& key, Shortcut modifiers) override {
        keys.push_back(key);
        TPTCustomListView::KeyDown(key, modifiers);
    }
    bool WantsReturnKey() const override {
        return wantsReturn || TPTCustomListView::WantsReturnKey();
    }
};

// A list in a form with a default OK and a cancel button.
class ListFormTest : public testing::Test {
  protected:
    ListFormTest() {
        list.AddColumn(L"Name", 120);
        list.AddItem(L"First");
        ok.OnClick = [this](ui::Window&) { ++okClicks; };
        cancel.OnClick = [this](ui::Window&) { ++cancelClicks; };
        form.SetCancelButton(&cancel);
        list.SetFocus();
    }
    // A key pressed on a window, through the message loop and so the dialog manager.
    static void Press(HWND window, WPARAM key) {
        PostMessageW(window, WM_KEYDOWN, key, 1);
        ui::App().ProcessMessages();
    }

    ViewForm form;
    MadeView<KeyList> list{form, {0, 0, 300, 150}};
    ui::Button ok{form, L"OK", 10, 160, 75, 23};
    ui::Button cancel{form, L"Cancel", 90, 160, 75, 23};
    int okClicks = 0, cancelClicks = 0;
};

TEST_F(ListFormTest, TheLabelEditorIsSubclassedGivenBackItsProcedureAndKeepsEsc) {
    HWND editor = reinterpret_cast<HWND>(list.Send(LVM_EDITLABELW, 0));
    ASSERT_NE(editor, nullptr);
    ASSERT_EQ(list.EditControl(), editor);
    const LONG_PTR procedure = GetWindowLongPtrW(editor, GWLP_WNDPROC);
    Recorder recorder;
    recorder.Attach(editor);
    EXPECT_EQ(ui::Window::FromHandle(editor), &recorder);
    EXPECT_THROW(Recorder().Attach(editor), base::Error);
    SendMessageW(editor, WM_APP, 0, 0);
    EXPECT_EQ(recorder.messages, std::vector<UINT>{WM_APP});
    EXPECT_EQ(recorder.Detach(), editor);
    EXPECT_EQ(GetWindowLongPtrW(editor, GWLP_WNDPROC), procedure);
    SendMessageW(editor, WM_APP, 0, 0);
    EXPECT_EQ(recorder.messages.size(), 1u);

    // Attached again until Esc ends the edit (not the form): the object lets go of the editor.
    recorder.Attach(editor);
    Press(editor, VK_ESCAPE);
    EXPECT_FALSE(IsWindow(editor));
    EXPECT_TRUE(recorder.destroyed);
    EXPECT_EQ(recorder.Handle(), nullptr);
    EXPECT_EQ(cancelClicks, 0);
}

// Enter goes to the list unless the form presses its default button with it; the other keys the
// shell views bind (rename, delete, up, refresh) always reach the list.
TEST_F(ListFormTest, EnterReachesTheListUnlessTheFormPressesItsDefaultButton) {
    const struct {
        const char* name;
        bool defaultButton, listWantsReturn, listGetsEnter;
    } cases[] = {
        {"no default button", false, false, true},
        {"a default button", true, false, false},
        {"a list that wants Enter anyway", true, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        list.keys.clear();
        okClicks = 0;
        list.wantsReturn = c.listWantsReturn;
        form.SetDefaultButton(c.defaultButton ? &ok : nullptr);
        std::vector<WORD> expected;
        if (c.listGetsEnter) expected.push_back(VK_RETURN);
        for (WORD key : {VK_RETURN, VK_F2, VK_DELETE, VK_BACK, VK_F5}) {
            Press(list.Handle(), key);
            if (key != VK_RETURN) expected.push_back(key);
        }
        EXPECT_EQ(list.keys, expected);
        EXPECT_EQ(okClicks, c.listGetsEnter ? 0 : 1);
    }
}

// A popup of a list control holds one of our items with an image and an owner-drawn item of
// someone else's, as a shell context menu's Send To items are: the list draws the image itself
// and hands the other item's messages to the scope's handler.
TEST(ViewWindow, APopupOfAListControlIsMeasuredAndDrawnThroughTheMenuHook) {
    ViewForm form;
    MadeView<TPTCustomListView> list(form, {0, 0, 300, 200});
    ui::ImageList images(ui::ImageListHandle(ImageList_Create(16, 16, ILC_COLOR32, 1, 0)));
    ImageList_AddIcon(images.Handle(), LoadIconW(nullptr, IDI_APPLICATION));
    ui::Menu menu(ui::Menu::Kind::Popup);
    menu.AddItem(L"Open").SetImage(images, 0);
    constexpr UINT kForeignItem = 7;  // an identifier of the shell's Send To range
    AppendMenuW(menu.Handle(), MF_OWNERDRAW, kForeignItem, nullptr);

    static std::vector<UINT> handled;
    handled.clear();
    ui::MenuMessageScope hook(list, [&](UINT msg, WPARAM, LPARAM lParam, LRESULT& result) {
        handled.push_back(msg);
        if (msg == WM_MEASUREITEM) {
            auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
            EXPECT_EQ(item->itemID, kForeignItem);
            item->itemWidth = 80;
            item->itemHeight = 18;
        } else if (msg == WM_DRAWITEM) {
            EXPECT_EQ(reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->itemID, kForeignItem);
        } else {
            return false;
        }
        result = TRUE;
        return true;
    });
    // The menu loop ends once the foreign item has been drawn, or after a bound.
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) {
        static int ticks = 0;
        if (std::count(handled.begin(), handled.end(), WM_DRAWITEM) > 0 || ++ticks > 200) EndMenu();
    });
    ui::ShowPopupMenu(menu, list.Handle(), ToScreen(list.Handle(), {20, 20}));
    KillTimer(nullptr, timer);
    auto count = [&](UINT msg) { return std::count(handled.begin(), handled.end(), msg); };
    EXPECT_EQ(count(WM_INITMENUPOPUP), 1);
    EXPECT_EQ(count(WM_MEASUREITEM), 1);  // ours is measured by the list itself
    EXPECT_GE(count(WM_DRAWITEM), 1);
    EXPECT_GE(count(WM_MENUSELECT), 1);
}

// A column rebuild, as a list does for each folder it shows, with and without the bracket.
TEST(ViewWindow, AColumnRebuildInsideTheHeaderBracketRewritesTheHeaderOnce) {
    for (const bool bracket : {true, false}) {
        SCOPED_TRACE(bracket ? "bracketed" : "not bracketed");
        ViewForm form;
        MadeView<TPTCustomListView> list(form, {0, 0, 300, 200});
        list.AddColumn(L"Old", 100);
        list.SetSortColumn(1);
        ui::App().ProcessMessages();
        Recorder header;
        header.Attach(list.Header());
        {
            std::optional<TPTCustomListView::HeaderUpdate> update;
            if (bracket) update.emplace(list);
            list.DeleteAllColumns();
            for (const wchar_t* caption : {L"Name", L"Size", L"Type", L"Modified"})
                list.AddColumn(caption, 80);
        }
        const auto paints = std::count(header.messages.begin(), header.messages.end(), WM_PAINT);
        EXPECT_EQ(paints == 1, bracket) << paints;
        // The one rewrite put the sort mark on the new second column.
        for (int column = 0; column < 4; ++column) {
            HDITEMW item{};
            item.mask = HDI_FORMAT;
            SendMessageW(list.Header(), HDM_GETITEMW, column, LPARAM(&item));
            EXPECT_EQ(item.fmt & ~HDF_IMAGE,
                      SortHeaderItemFormat(HDF_LEFT, column == 1, 0, list.HeaderSortDisplayMode(),
                                           CommonControlsVersion()))
                << column;
        }
        EXPECT_TRUE(IsWindowVisible(list.Header()));
    }
}

}  // namespace
}  // namespace shellctl
