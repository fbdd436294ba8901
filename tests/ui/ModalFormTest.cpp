#include <functional>
#include <utility>

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "base/Error.h"
#include "ui/Application.h"
#include "ui/Controls.h"
#include "ui/Form.h"

namespace {

using ui::ModalResult;

// A dialog owned by a shown main window, with a default OK button and a cancel button.
class ModalFormTest : public testing::Test {
  protected:
    ModalFormTest() {
        owner.SetCentreOnFirstShow(false);
        owner.Show();
        ok.SetModalResult(ModalResult::Ok);
        cancel.SetModalResult(ModalResult::Cancel);
        dialog.SetDefaultButton(&ok);
        dialog.SetCancelButton(&cancel);
        ok.OnClick = [this](ui::Window&) { ++okClicks; };
        cancel.OnClick = [this](ui::Window&) { ++cancelClicks; };
        dialog.OnCloseQuery = [this](ui::Form&) {
            ownerEnabledMeanwhile = IsWindowEnabled(owner.Handle()) != FALSE;
            dialogShownMeanwhile = dialog.Visible();
            return queries++ >= refusals;
        };
    }

    // A key pressed on the check box, seen by the loop of the modal run when it starts.
    void PostKey(WPARAM key) { PostMessageW(check.Handle(), WM_KEYDOWN, key, 1); }

    ui::Form owner{L"Owner", 400, 300};
    ui::Form dialog{L"Dialog", 300, 200, {.owner = &owner, .minimizeBox = false, .sizeGrip = true}};
    ui::CheckBox check{dialog, L"&Check", 10, 10, 100, 20};
    ui::Button ok{dialog, L"OK", 10, 40, 75, 23};
    ui::Button cancel{dialog, L"Cancel", 90, 40, 75, 23};
    int okClicks = 0, cancelClicks = 0, queries = 0, refusals = 0;
    bool ownerEnabledMeanwhile = true, dialogShownMeanwhile = false;
};

TEST_F(ModalFormTest, ARunEndsWithTheResultOfTheButtonOrKeyThatEndedIt) {
    const struct {
        const char* name;
        std::function<void()> end;
        ModalResult result;
        int okClicks, cancelClicks;
    } cases[] = {
        {"Enter", [&] { PostKey(VK_RETURN); }, ModalResult::Ok, 1, 0},
        {"Esc", [&] { PostKey(VK_ESCAPE); }, ModalResult::Cancel, 0, 1},
        {"a click on OK", [&] { PostMessageW(ok.Handle(), BM_CLICK, 0, 0); }, ModalResult::Ok, 1,
         0},
        {"the close box", [&] { dialog.Post(WM_CLOSE); }, ModalResult::Cancel, 0, 0},
        {"Enter refused by the close query, then Esc",
         [&] {
             refusals = 1;
             PostKey(VK_RETURN);
             PostKey(VK_ESCAPE);
         },
         ModalResult::Cancel, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        okClicks = cancelClicks = queries = refusals = 0;
        c.end();
        EXPECT_EQ(dialog.ShowModal(), c.result);
        EXPECT_EQ(okClicks, c.okClicks);
        EXPECT_EQ(cancelClicks, c.cancelClicks);
        EXPECT_FALSE(ownerEnabledMeanwhile);
        EXPECT_TRUE(dialogShownMeanwhile);
        // Afterwards the owner is usable again and the dialog hidden, not gone.
        EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
        EXPECT_FALSE(dialog.Visible());
        EXPECT_FALSE(dialog.Closed());
        EXPECT_FALSE(dialog.Modal());
    }
    // Without a cancel button Esc still ends the run.
    dialog.SetCancelButton(nullptr);
    PostKey(VK_ESCAPE);
    EXPECT_EQ(dialog.ShowModal(), ModalResult::Cancel);
}

TEST_F(ModalFormTest, ARunEndsWhenTheLoopIsAskedToQuit) {
    PostQuitMessage(3);
    EXPECT_EQ(dialog.ShowModal(), ModalResult::Cancel);
    EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
    // The quit message is left for the outer loop.
    EXPECT_EQ(ui::App().Run(), 3);
    dialog.Destroy();
    EXPECT_THROW(dialog.ShowModal(), base::Error);
}

// The tooltip the form made for the hints, and the text it shows over a control.
HWND ToolTipOf(HWND owner) {
    std::pair<HWND, HWND> search{owner, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM data) -> BOOL {
            auto& [owner, found] = *reinterpret_cast<std::pair<HWND, HWND>*>(data);
            wchar_t name[64] = L"";
            GetClassNameW(hwnd, name, 64);
            if (GetWindow(hwnd, GW_OWNER) == owner && lstrcmpiW(name, TOOLTIPS_CLASSW) == 0)
                found = hwnd;
            return found == nullptr;
        },
        LPARAM(&search));
    return search.second;
}

std::wstring ToolText(HWND tooltip, HWND owner, HWND control) {
    wchar_t text[80] = L"";
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = owner;
    tool.uId = UINT_PTR(control);
    tool.lpszText = text;
    SendMessageW(tooltip, TTM_GETTEXTW, 80, LPARAM(&tool));
    return text;
}

TEST_F(ModalFormTest, TheDialogHasItsFrameGripAndHints) {
    const LONG style = GetWindowLongW(dialog.Handle(), GWL_STYLE);
    EXPECT_EQ(style & WS_MINIMIZEBOX, 0);
    EXPECT_NE(style & WS_MAXIMIZEBOX, 0);
    EXPECT_NE(style & WS_THICKFRAME, 0);
    EXPECT_EQ(GetWindow(dialog.Handle(), GW_OWNER), owner.Handle());
    ui::Form fixed(L"Fixed", 200, 100, {.resizable = false, .maximizeBox = false});
    EXPECT_EQ(GetWindowLongW(fixed.Handle(), GWL_STYLE) & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0);
    EXPECT_EQ(fixed.SizeGripControl(), nullptr);

    // The grip stays in the lower right corner.
    ASSERT_NE(dialog.SizeGripControl(), nullptr);
    for (int width : {300, 420}) {
        dialog.SetSize(width, 260);
        const RECT client = dialog.ClientRect();
        const RECT grip = dialog.SizeGripControl()->Bounds();
        EXPECT_EQ(grip.right, client.right);
        EXPECT_EQ(grip.bottom, client.bottom);
    }

    // Hints: the text before the bar, shown by one tooltip of the dialog.
    ok.SetHint(L"Confirm|Takes the folder chosen.");
    cancel.SetHint(L"Cancel");
    HWND tooltip = ToolTipOf(dialog.Handle());
    ASSERT_NE(tooltip, nullptr);
    EXPECT_EQ(SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), 2);
    EXPECT_EQ(ToolText(tooltip, dialog.Handle(), ok.Handle()), L"Confirm");
    ok.SetHint(L"Agree");
    EXPECT_EQ(ToolText(tooltip, dialog.Handle(), ok.Handle()), L"Agree");
    cancel.SetHint(L"");
    EXPECT_EQ(SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), 1);
}

}  // namespace
