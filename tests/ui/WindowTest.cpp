#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

#include "common/TempDir.h"
#include "ui/Application.h"
#include "ui/Controls.h"
#include "ui/Cursor.h"
#include "base/Error.h"
#include "ui/Form.h"
#include "ui/Splitter.h"

using testing_support::MessageBoxRecorder;

namespace {

// A form whose handler for a private message throws.
class ThrowingForm : public ui::Form {
  public:
    static constexpr UINT kThrow = WM_APP + 1;
    static constexpr UINT kCount = WM_APP + 2;
    ThrowingForm() : ui::Form(L"Test", 300, 200) {}
    int counted = 0;

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == kThrow) throw base::Error(L"Something went wrong");
        if (msg == kCount) {
            ++counted;
            return 0;
        }
        return ui::Form::HandleMessage(msg, wParam, lParam);
    }
};

TEST(ErrorDisplay, ExceptionInHandlerIsShownAndTheLoopGoesOn) {
    MessageBoxRecorder boxes;
    ui::App().SetTitle(L"Lumora");
    ThrowingForm form;
    // Posted: thrown inside the loop's dispatch, then more work, then the end of the loop.
    form.Post(ThrowingForm::kThrow);
    form.Post(ThrowingForm::kCount);
    form.Post(ThrowingForm::kThrow);
    form.Post(ThrowingForm::kCount);
    PostQuitMessage(7);
    EXPECT_EQ(ui::App().Run(), 7);

    EXPECT_EQ(form.counted, 2);
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[0].text, L"Something went wrong");
    EXPECT_EQ(boxes.Boxes()[0].caption, L"Lumora");
    EXPECT_EQ(boxes.Boxes()[0].type, UINT(MB_OK | MB_ICONSTOP));
    // A sent message returns normally to its sender too.
    boxes.Clear();
    form.Send(ThrowingForm::kThrow);
    EXPECT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_TRUE(IsWindow(form.Handle()));
}

TEST(ErrorDisplay, StandardExceptionsShowTheirText) {
    MessageBoxRecorder boxes;
    try {
        throw std::runtime_error("plain failure");
    } catch (...) {
        ui::App().HandleCurrentException();
    }
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, L"plain failure");
}

// The real box: a watcher finds it by its caption, reads it and presses OK.
TEST(ErrorDisplay, ShowsAPlatformMessageBox) {
    ui::App().SetTitle(L"Lumora test box");
    std::wstring seenText;
    std::thread watcher([&] {
        for (int i = 0; i < 500; ++i) {
            HWND box = FindWindowW(L"#32770", L"Lumora test box");
            if (box != nullptr) {
                wchar_t text[256] = {};
                GetDlgItemTextW(box, 0xFFFF, text, 256);
                seenText = text;
                PostMessageW(box, WM_COMMAND, IDOK, 0);
                return;
            }
            Sleep(10);
        }
    });
    ui::App().ShowException(L"Cannot open file");
    watcher.join();
    EXPECT_EQ(seenText, L"Cannot open file");
    ui::App().SetTitle(L"Lumora");
}

TEST(CursorGuard, RestoresThePreviousCursorOnEveryPath) {
    HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    HCURSOR wait = LoadCursorW(nullptr, IDC_WAIT);
    ui::App().SetScreenCursor(nullptr);
    {
        ui::CursorGuard guard;
        EXPECT_EQ(ui::App().ScreenCursor(), wait);
        {
            ui::CursorGuard inner(IDC_ARROW);
            EXPECT_EQ(ui::App().ScreenCursor(), arrow);
        }
        EXPECT_EQ(ui::App().ScreenCursor(), wait);
    }
    EXPECT_EQ(ui::App().ScreenCursor(), nullptr);

    EXPECT_THROW(
        {
            ui::CursorGuard guard;
            throw base::Error(L"failed while busy");
        },
        base::Error);
    EXPECT_EQ(ui::App().ScreenCursor(), nullptr);
}

TEST(CursorGuard, WindowsShowTheScreenCursor) {
    ui::Form form(L"Cursor", 200, 200);
    ui::CursorGuard guard;
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    form.Send(WM_SETCURSOR, WPARAM(form.Handle()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));
}

TEST(PlatformError, CarriesTheSystemsTextForTheCode) {
    struct Case {
        DWORD code;
    } cases[] = {{ERROR_FILE_NOT_FOUND}, {ERROR_ACCESS_DENIED}, {ERROR_SHARING_VIOLATION}};
    for (const Case& c : cases) {
        wchar_t expected[512] = {};
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, c.code,
                       0, expected, 512, nullptr);
        std::wstring text = expected;
        while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) text.pop_back();
        ASSERT_FALSE(text.empty());

        base::PlatformError fromCode = base::PlatformError::FromWin32(c.code);
        EXPECT_EQ(fromCode.Message(), text) << c.code;
        EXPECT_EQ(fromCode.Code(), HRESULT_FROM_WIN32(c.code));
        EXPECT_EQ(base::PlatformError::FromHResult(HRESULT_FROM_WIN32(c.code)).Message(), text);
    }
    SetLastError(ERROR_PATH_NOT_FOUND);
    try {
        base::ThrowLastError();
        FAIL();
    } catch (const base::PlatformError& e) {
        EXPECT_EQ(e.Code(), HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
        EXPECT_EQ(e.Message(), base::SystemErrorMessage(DWORD(ERROR_PATH_NOT_FOUND)));
    }
    EXPECT_NO_THROW(base::ThrowIfFailed(S_OK));
    EXPECT_THROW(base::ThrowIfFailed(E_NOINTERFACE), base::PlatformError);
    EXPECT_EQ(base::SystemErrorMessage(DWORD(0x2000FFFF)), L"Error 0x2000FFFF");
}

TEST(Layout, AlignedChildrenArePlacedRightAfterAResize) {
    ui::Form form(L"Layout", 400, 300);
    ui::Panel top(form, 0, 0, 10, 30);
    top.SetAlign(ui::Align::Top);
    ui::Panel bottom(form, 0, 0, 10, 20);
    bottom.SetAlign(ui::Align::Bottom);
    ui::Panel right(form, 0, 0, 100, 10);
    right.SetAlign(ui::Align::Right);
    ui::Panel left(form, 0, 0, 50, 10);
    left.SetAlign(ui::Align::Left);
    ui::Panel client(form, 0, 0, 10, 10);
    client.SetAlign(ui::Align::Client);
    client.SetConstraints({40, 0});
    ui::Panel secondTop(form, 0, 0, 10, 15);  // created later: below the first top child
    secondTop.SetAlign(ui::Align::Top);

    for (int width : {400, 600, 250}) {
        form.SetSize(width, 300);
        const RECT area = form.ClientRect();
        const int w = area.right, h = area.bottom;
        auto bounds = [](const ui::Window& wnd) { return wnd.Bounds(); };
        EXPECT_EQ(bounds(top).top, 0);
        EXPECT_EQ(top.Width(), w);
        EXPECT_EQ(bounds(secondTop).top, 30);
        EXPECT_EQ(bounds(bottom).bottom, h);
        EXPECT_EQ(bounds(right).right, w);
        EXPECT_EQ(bounds(right).top, 45);
        EXPECT_EQ(right.Height(), h - 45 - 20);
        EXPECT_EQ(bounds(left).left, 0);
        EXPECT_EQ(bounds(client).left, 50);
        // Never smaller than its minimum width, even when the rest is narrower.
        EXPECT_EQ(client.Width(), std::max(w - 150, 40)) << width;
    }
    // Hiding a child gives its room to the others.
    secondTop.SetVisible(false);
    EXPECT_EQ(right.Bounds().top, 30);
}

TEST(Splitter, StopsAtTheMinimumSizesOnBothSides) {
    ui::Form form(L"Split", 600, 300);
    ui::Panel panel(form, 0, 0, 240, 10);
    panel.SetAlign(ui::Align::Right);
    ui::Splitter splitter(form, ui::Align::Right, panel, 200);
    ui::Panel rest(form, 0, 0, 10, 10);
    rest.SetAlign(ui::Align::Client);
    rest.SetConstraints({150, 0});
    const int clientWidth = form.ClientRect().right;
    EXPECT_EQ(splitter.Bounds().right, clientWidth - 240);

    // Dragging right shrinks the panel, down to the splitter's minimum.
    EXPECT_EQ(splitter.MoveBy(30), 210);
    EXPECT_EQ(splitter.MoveBy(30), 200);
    EXPECT_EQ(panel.Width(), 200);
    // Dragging left grows it until the other side reaches its own minimum (150 > 200? no: the
    // larger of the splitter's minimum and the client's constraint).
    splitter.MoveBy(-1000);
    EXPECT_EQ(rest.Width(), 200);
    EXPECT_EQ(panel.Width(), clientWidth - 5 - 200);
    EXPECT_EQ(splitter.Bounds().right, panel.Bounds().left);

    // The same through the mouse: press on the bar, move, release.
    splitter.Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    splitter.Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(2 + 50, 2));
    splitter.Send(WM_LBUTTONUP, 0, MAKELPARAM(2 + 50, 2));
    EXPECT_EQ(rest.Width(), 250);
}

TEST(Splitter, HonoursTheBoundControlsOwnMinimum) {
    ui::Form form(L"Split", 400, 400);
    ui::Panel tree(form, 0, 0, 10, 102);
    tree.SetAlign(ui::Align::Top);
    tree.SetConstraints({0, 40});
    ui::Splitter splitter(form, ui::Align::Top, tree, 50);
    ui::Panel list(form, 0, 0, 10, 10);
    list.SetAlign(ui::Align::Client);
    list.SetConstraints({0, 90});
    const int clientHeight = form.ClientRect().bottom;

    EXPECT_EQ(splitter.MoveBy(-100), 50);  // the splitter's minimum beats the tree's 40
    EXPECT_EQ(splitter.MoveBy(10000), clientHeight - 5 - 90);
    EXPECT_EQ(list.Height(), 90);
}

}  // namespace
