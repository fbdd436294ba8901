#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "base/Error.h"
#include "ui/CommandIds.h"
#include "ui/Form.h"
#include "ui/ImageList.h"
#include "ui/Menu.h"

namespace {

TEST(CommandIds, ARangeIsBoundedAndHandsOutTheLowestFreedIdentifierFirst) {
    ui::CommandIdRange range(10, 12);
    for (UINT id : {10u, 11u, 12u}) EXPECT_EQ(range.Allocate(), id);
    EXPECT_THROW(range.Allocate(), base::Error);
    for (UINT id : {12u, 11u, 11u, 99u}) range.Free(id);  // twice, or not ours: no matter
    for (UINT id : {11u, 12u}) EXPECT_EQ(range.Allocate(), id);
    EXPECT_THROW(range.Allocate(), base::Error);
}

// The shell fills its context menus with identifiers 1 to 0x7FFF (Send To 1 to 999, its own
// commands from 1000); the dialog manager sends IDOK and IDCANCEL. None of them is ours.
TEST(CommandIds, NoCommandOfTheShellOrTheDialogManagerReachesAProgramMenuItem) {
    ui::Form form(L"Menus", 300, 200);
    int clicks = 0;
    std::vector<std::unique_ptr<ui::Menu>> menus;
    std::vector<UINT> ids;
    for (int m = 0; m < 3; ++m) {
        menus.push_back(std::make_unique<ui::Menu>(ui::Menu::Kind::Popup));
        for (int i = 0; i < 40; ++i) {
            ids.push_back(menus.back()->AddItem(L"Item", [&](ui::MenuItem&) { ++clicks; }).Id());
            EXPECT_TRUE(ui::ProgramCommandIds().Contains(ids.back()));
            EXPECT_GT(ids.back(), 0x7FFFu);
        }
    }
    std::vector<UINT> foreign{IDOK, IDCANCEL, 999, 1000, 1018, 0x7FFF};
    for (UINT id = 3; id < 0x7FFF; id += 61) foreign.push_back(id);
    for (UINT id : foreign) form.Send(WM_COMMAND, MAKEWPARAM(id, 0), 0);
    EXPECT_EQ(clicks, 0);
    form.Send(WM_COMMAND, MAKEWPARAM(ids[5], 0), 0);
    EXPECT_EQ(clicks, 1);

    // Identifiers come back when their menus go, and are handed out again.
    const std::vector<UINT> firstMenu(ids.begin(), ids.begin() + 40);
    menus.front().reset();
    ui::Menu again(ui::Menu::Kind::Popup);
    for (UINT id : firstMenu) EXPECT_EQ(again.AddItem(L"Again").Id(), id);
}

TEST(ImageList, ABorrowedListOutlivesItsWrapper) {
    HIMAGELIST system = ImageList_Create(16, 16, ILC_COLOR32, 1, 1);
    {
        ui::ImageList borrowed = ui::ImageList::Borrowed(system);
        EXPECT_FALSE(borrowed.Owned());
        EXPECT_EQ(borrowed.ImageSize(), 16);
    }
    EXPECT_EQ(ImageList_AddIcon(system, LoadIconW(nullptr, IDI_APPLICATION)), 0);
    ui::ImageList owned{ui::ImageListHandle(system)};
    EXPECT_TRUE(owned.Owned());
    EXPECT_EQ(owned.Count(), 1);
}

}  // namespace
