// The application library linked as the program links it: a pane is created by name once the
// shell controls are initialised as the program initialises them at start-up (main.cpp), though
// nothing else of the pane's code is referenced. (Naming the pane's class here would pull its
// code in by itself.)
#include <memory>

#include <gtest/gtest.h>

#include "shellctl/ShellControls.h"
#include "ui/ControlRegistry.h"
#include "ui/Form.h"

namespace {

TEST(PaneByName, TheProgramCreatesAPaneByName) {
    ui::Form form(L"Panes", 200, 200);
    shellctl::ShellControlsUnit shellControls;
    std::unique_ptr<ui::Window> pane = ui::CreateControl(L"TPTPane", form);
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(pane->Parent(), &form);
    wchar_t className[32] = L"";
    GetClassNameW(pane->Handle(), className, 32);
    EXPECT_STREQ(className, L"TPTGroup");
    EXPECT_EQ(pane->Width(), 64);
}

}  // namespace
