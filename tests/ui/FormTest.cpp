#include <gtest/gtest.h>

#include "common/TempDir.h"
#include "ui/Application.h"
#include "ui/Controls.h"
#include "ui/Form.h"
#include "ui/Timer.h"

namespace {

TEST(Form, KeepsItsMinimumSizeAndCentresWhenFirstShown) {
    ui::Form form(L"Min", 500, 454);
    form.SetConstraints({500, 200});
    MINMAXINFO info{};
    form.Send(WM_GETMINMAXINFO, 0, LPARAM(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 500);
    EXPECT_EQ(info.ptMinTrackSize.y, 200);

    form.Show();
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const RECT bounds = form.Bounds();
    EXPECT_EQ(bounds.right - bounds.left, 500);
    EXPECT_EQ(bounds.bottom - bounds.top, 454);
    EXPECT_LE(std::abs((bounds.left + bounds.right) - (work.left + work.right)), 1);
    EXPECT_LE(std::abs((bounds.top + bounds.bottom) - (work.top + work.bottom)), 1);
    EXPECT_TRUE(form.Visible());
}

TEST(Form, CloseRequestAsksFirstAndEndsTheLoopForTheMainWindow) {
    ui::Form form(L"Close", 300, 200);
    int queries = 0, closes = 0;
    bool allow = false;
    form.OnCloseQuery = [&](ui::Form&) {
        ++queries;
        return allow;
    };
    form.OnClose = [&](ui::Window&) { ++closes; };
    form.Close();
    EXPECT_EQ(queries, 1);
    EXPECT_EQ(closes, 0);
    EXPECT_FALSE(form.Closed());

    ui::App().SetMainWindow(&form);
    allow = true;
    form.Post(WM_CLOSE);
    EXPECT_EQ(ui::App().Run(), 0);
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(form.Closed());
    EXPECT_EQ(ui::App().MainWindow(), &form);
    ui::App().SetMainWindow(nullptr);
}

TEST(Form, MenuCommandsReachTheirItems) {
    ui::Form form(L"Menu", 300, 200);
    auto menu = std::make_unique<ui::Menu>(ui::Menu::Kind::Bar);
    int exits = 0;
    ui::Menu& file = menu->AddSubMenu(L"File");
    ui::MenuItem& exit = file.AddItem(L"Exit", [&](ui::MenuItem&) { ++exits; });
    form.SetMenu(std::move(menu));
    EXPECT_EQ(GetMenu(form.Handle()), form.MainMenu()->Handle());
    EXPECT_EQ(form.MainMenu()->Find({L"File", L"Exit"}), &exit);

    form.Send(WM_COMMAND, MAKEWPARAM(exit.Id(), 0), 0);
    EXPECT_EQ(exits, 1);
    exit.SetEnabled(false);
    EXPECT_FALSE(exit.Enabled());
}

TEST(Controls, ClicksFromTheControlReachTheirEvents) {
    ui::Form form(L"Controls", 300, 200);
    ui::Button button(form, L"&Start", 10, 10, 75, 25);
    ui::CheckBox check(form, L"&Case sensitive", 10, 40, 150, 20);
    int clicks = 0, toggles = 0;
    button.OnClick = [&](ui::Window& sender) {
        EXPECT_EQ(&sender, &button);
        ++clicks;
    };
    check.OnClick = [&](ui::Window&) { ++toggles; };

    // A real click: the control notifies its parent, which hands it back to the control.
    button.Send(BM_CLICK);
    check.Send(BM_CLICK);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(toggles, 1);
    EXPECT_TRUE(check.Checked());
    check.SetChecked(false);  // from code: no event
    EXPECT_EQ(toggles, 1);
    EXPECT_EQ(button.Text(), L"&Start");

    button.SetEnabled(false);
    button.Click();
    EXPECT_EQ(clicks, 1);
}

TEST(Timer, FiresOnTheLoopUntilDisabled) {
    ui::Timer timer(10);
    int fired = 0;
    timer.OnTimer = [&](ui::Timer& t) {
        if (++fired == 3) {
            t.SetEnabled(false);
            PostQuitMessage(0);
        }
    };
    timer.SetEnabled(true);
    ui::App().Run();
    EXPECT_EQ(fired, 3);
    EXPECT_FALSE(timer.Enabled());
}

}  // namespace
