// The window layer as the shell views use it: two-phase creation, subclassing the label editor,
// the keys a view takes inside a form, the menu messages of its popups, and the header bracket.
#include <algorithm>
#include <functional>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "ViewTestSupport.h"
#include "shellctl/PTCustomListView.h"
#include "shellctl/PTCustomTreeView.h"
#include "base/Error.h"
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
    std::vector<UINT> creationMessages;  // the messages before Created
    DWORD styleAtCreate = 0;
    DWORD styleAtCreated = 0;
    int createdCount = 0;

  protected:
    void PrepareCreate(CreateParams& params) override {
        TPTCustomTreeView::PrepareCreate(params);
        params.style |= TVS_EDITLABELS | TVS_DISABLEDRAGDROP;
    }
    void Created() override {
        TPTCustomTreeView::Created();
        ++createdCount;
        styleAtCreated = DWORD(GetWindowLongW(Handle(), GWL_STYLE));
    }
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (createdCount == 0) creationMessages.push_back(msg);
        if (msg == WM_CREATE) styleAtCreate = reinterpret_cast<CREATESTRUCTW*>(lParam)->style;
        return TPTCustomTreeView::HandleMessage(msg, wParam, lParam);
    }
};

TEST(ViewWindow, ADerivedViewChoosesItsStylesAndHearsItsOwnCreation) {
    ViewForm form;
    StyledTree tree;
    EXPECT_EQ(tree.Handle(), nullptr);
    tree.Create(form, {0, 0, 200, 150});
    ASSERT_NE(tree.Handle(), nullptr);
    const DWORD wanted = TVS_EDITLABELS | TVS_DISABLEDRAGDROP | TVS_HASBUTTONS;
    EXPECT_EQ(tree.styleAtCreate & wanted, wanted);
    EXPECT_EQ(tree.styleAtCreated & wanted, wanted);
    EXPECT_EQ(tree.createdCount, 1);
    ASSERT_FALSE(tree.creationMessages.empty());
    EXPECT_EQ(tree.creationMessages.front(), UINT(WM_NCCREATE));
    EXPECT_NE(
        std::find(tree.creationMessages.begin(), tree.creationMessages.end(), UINT(WM_CREATE)),
        tree.creationMessages.end());
    EXPECT_THROW(tree.Create(form, {0, 0, 10, 10}), base::Error);
    EXPECT_EQ(tree.createdCount, 1);
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

class EditableList : public TPTCustomListView {
  protected:
    void PrepareCreate(CreateParams& params) override {
        TPTCustomListView::PrepareCreate(params);
        params.style |= LVS_EDITLABELS;
    }
};

TEST(ViewWindow, TheLabelEditorIsSubclassedAndGivenBackItsProcedure) {
    ViewForm form;
    MadeView<EditableList> list(form, {0, 0, 300, 200});
    list.AddColumn(L"Name", 120);
    list.AddItem(L"First");
    list.SetFocus();
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
    // The editor still works as before.
    SendMessageW(editor, WM_SETTEXT, 0, LPARAM(L"Renamed"));
    wchar_t text[16] = L"";
    GetWindowTextW(editor, text, 16);
    EXPECT_STREQ(text, L"Renamed");
    EXPECT_EQ(recorder.Detach(), editor);
    EXPECT_EQ(GetWindowLongPtrW(editor, GWLP_WNDPROC), procedure);
    EXPECT_EQ(ui::Window::FromHandle(editor), nullptr);
    const size_t seen = recorder.messages.size();
    SendMessageW(editor, WM_APP, 0, 0);
    EXPECT_EQ(recorder.messages.size(), seen);

    // Attached again until the editor goes: the object is told and lets go of it.
    recorder.Attach(editor);
    list.Send(LVM_CANCELEDITLABEL);
    EXPECT_FALSE(IsWindow(editor));
    EXPECT_TRUE(recorder.destroyed);
    EXPECT_EQ(recorder.Handle(), nullptr);
}

// A list that records the keys that reach it.
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

// A key pressed on a window, through the message loop and so through the dialog manager.
void PressKey(HWND window, WPARAM key) {
    PostMessageW(window, WM_KEYDOWN, key, 1);
    ui::App().ProcessMessages();
}

// The other keys the shell views bind (rename, delete, up, refresh) always reach them.
TEST(ViewWindow, EnterReachesAListUnlessTheFormPressesItsDefaultButtonWithIt) {
    const struct {
        const char* name;
        bool defaultButton;
        bool listWantsReturn;
        bool listGetsEnter;
    } cases[] = {
        {"no default button", false, false, true},
        {"a default button", true, false, false},
        {"a list that wants Enter anyway", true, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ViewForm form;
        MadeView<KeyList> list(form, {0, 0, 300, 150});
        list.wantsReturn = c.listWantsReturn;
        list.AddColumn(L"Name", 120);
        list.AddItem(L"First");
        ui::Button ok(form, L"OK", 10, 160, 75, 23);
        int clicks = 0;
        ok.OnClick = [&](ui::Window&) { ++clicks; };
        if (c.defaultButton) form.SetDefaultButton(&ok);
        list.SetFocus();
        std::vector<WORD> expected;
        if (c.listGetsEnter) expected.push_back(VK_RETURN);
        for (WORD key : {VK_RETURN, VK_F2, VK_DELETE, VK_BACK, VK_F5}) {
            PressKey(list.Handle(), key);
            if (key != VK_RETURN) expected.push_back(key);
        }
        EXPECT_EQ(list.keys, expected);
        EXPECT_EQ(clicks, c.listGetsEnter ? 0 : 1);
    }
}

TEST(ViewWindow, EscEndsTheLabelEditInsteadOfPressingTheCancelButton) {
    ViewForm form;
    MadeView<KeyList> list(form, {0, 0, 300, 150});
    list.AddColumn(L"Name", 120);
    list.AddItem(L"First");
    ui::Button cancel(form, L"Cancel", 10, 160, 75, 23);
    int clicks = 0;
    cancel.OnClick = [&](ui::Window&) { ++clicks; };
    form.SetCancelButton(&cancel);
    list.SetFocus();
    HWND editor = reinterpret_cast<HWND>(list.Send(LVM_EDITLABELW, 0));
    ASSERT_NE(editor, nullptr);
    PressKey(editor, VK_ESCAPE);
    EXPECT_FALSE(IsWindow(editor));
    EXPECT_EQ(clicks, 0);
    PressKey(list.Handle(), VK_ESCAPE);
    EXPECT_EQ(clicks, 1);
}

// Ends the menu loop that runs while the test shows a popup, once the test has seen what it waits
// for, or after a bound.
class MenuCloser {
  public:
    explicit MenuCloser(std::function<bool()> done) : done_(std::move(done)) {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, 10, Tick);
    }
    ~MenuCloser() {
        KillTimer(nullptr, timer_);
        current_ = nullptr;
    }

  private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        if (current_ != nullptr && (current_->done_() || ++current_->ticks_ > 200)) EndMenu();
    }
    static inline MenuCloser* current_ = nullptr;
    std::function<bool()> done_;
    UINT_PTR timer_;
    int ticks_ = 0;
};

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

    std::vector<UINT> handled;
    bool foreignDrawn = false;
    ui::MenuMessageScope hook(list, [&](UINT msg, WPARAM, LPARAM lParam, LRESULT& result) {
        handled.push_back(msg);
        if (msg == WM_MEASUREITEM) {
            auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
            EXPECT_EQ(item->itemID, kForeignItem);
            item->itemWidth = 80;
            item->itemHeight = 18;
            result = TRUE;
            return true;
        }
        if (msg == WM_DRAWITEM) {
            EXPECT_EQ(reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->itemID, kForeignItem);
            foreignDrawn = true;
            result = TRUE;
            return true;
        }
        return false;
    });
    {
        MenuCloser closer([&] { return foreignDrawn; });
        const POINT at = ToScreen(list.Handle(), {20, 20});
        ui::ShowPopupMenu(menu, list.Handle(), at);
    }
    auto count = [&](UINT msg) { return std::count(handled.begin(), handled.end(), msg); };
    EXPECT_EQ(count(WM_INITMENUPOPUP), 1);
    EXPECT_EQ(count(WM_MEASUREITEM), 1);  // ours is measured by the list itself
    EXPECT_GE(count(WM_DRAWITEM), 1);
    EXPECT_GE(count(WM_MENUSELECT), 1);
    EXPECT_TRUE(foreignDrawn);
}

// A column rebuild, as a list does for each folder it shows, with and without the bracket.
TEST(ViewWindow, AColumnRebuildInsideTheHeaderBracketRewritesTheHeaderOnce) {
    for (const bool bracket : {true, false}) {
        SCOPED_TRACE(bracket ? "bracketed" : "not bracketed");
        ViewForm form;
        MadeView<TPTCustomListView> list(form, {0, 0, 300, 200});
        list.AddColumn(L"Old", 100);
        list.SetSortColumn(1);
        list.SetSortDirection(0);
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
        if (bracket) {
            EXPECT_EQ(paints, 1);
        } else {
            EXPECT_GT(paints, 1);
        }
        // The one rewrite put the sort mark on the new second column.
        for (int column = 0; column < 4; ++column) {
            HDITEMW item{};
            item.mask = HDI_FORMAT;
            SendMessageW(list.Header(), HDM_GETITEMW, column, LPARAM(&item));
            const int expected = SortHeaderItemFormat(
                HDF_LEFT, column == 1, 0, list.HeaderSortDisplayMode(), CommonControlsVersion());
            EXPECT_EQ(item.fmt & ~HDF_IMAGE, expected) << column;
        }
        EXPECT_TRUE(IsWindowVisible(list.Header()));
    }
}

}  // namespace
}  // namespace shellctl
