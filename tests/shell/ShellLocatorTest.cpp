#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "ShellTestSupport.h"
#include "common/TempDir.h"
#include "shell/ShellLocator.h"
#include "base/Error.h"

using shell_test::Bytes;
using shell_test::MakeItems;
using shell_test::ParsePath;
using Block = std::vector<std::uint8_t>;

namespace {

struct CountingLocator : TPTShellLocator {
    int changes = 0;
    CountingLocator() {
        OnChange = [this](TPTShellLocator& sender) { changes += &sender == this ? 1 : 100; };
    }
};

Block StoredForm(const TPTShellLocator& locator) {
    Block block;
    locator.WriteStoredForm(block);
    return block;
}

}  // namespace

TEST(ShellLocator, ListsPathsAndTheDesktop) {
    testing_support::TempDir dir;
    const std::wstring folder = dir.MakeDir(L"Ordner \u00e9\u4e2d");
    const UniquePidl first = ParsePath(folder);
    CountingLocator locator;
    EXPECT_EQ(locator.Pidl(), nullptr);
    EXPECT_EQ(locator.Path(), SpecialFolderPath(nullptr, CSIDL_DESKTOPDIRECTORY));
    locator.Clear();
    EXPECT_EQ(locator.changes, 0);

    locator.SetPidl(first.Get());
    locator.SetPidl(ParsePath(folder + L"\\").Get());  // equal: no second change
    EXPECT_EQ(locator.changes, 1);
    EXPECT_NE(locator.Pidl(), first.Get());  // a copy is held
    EXPECT_EQ(locator.SpecialFolder(), kNoSpecialFolder);
    EXPECT_EQ(locator.Path(), folder);
    locator.SetPidl(EmptyPidl());
    EXPECT_EQ(locator.changes, 2);
    EXPECT_EQ(locator.Pidl(), nullptr);  // the desktop is held as no list
    locator.SetPath(folder);
    locator.SetPath(dir / L"no such folder");  // unparsable: back to the desktop
    EXPECT_EQ(locator.changes, 4);
    EXPECT_EQ(locator.Pidl(), nullptr);
}

TEST(ShellLocator, SpecialFoldersCompareByNumberAndAssignCopies) {
    CountingLocator drives, sameDrives, personal;
    drives.SetSpecialFolder(CSIDL_DRIVES);
    sameDrives.SetSpecialFolder(CSIDL_DRIVES);
    personal.SetSpecialFolder(CSIDL_PERSONAL);
    EXPECT_TRUE(drives.IsSame(sameDrives));
    EXPECT_FALSE(drives.IsSame(personal));
    UniquePidl expected;
    ASSERT_EQ(GetSpecialFolderLocation(nullptr, CSIDL_DRIVES, expected), S_OK);
    EXPECT_EQ(Bytes(drives.Pidl()), Bytes(expected.Get()));

    personal.Assign(&drives);
    personal.Assign(&sameDrives);
    EXPECT_EQ(personal.changes, 2);  // setting the number, then one copy
    EXPECT_EQ(personal.SpecialFolder(), CSIDL_DRIVES);
    EXPECT_EQ(Bytes(personal.Pidl()), Bytes(expected.Get()));  // not the old folder's list

    TPTShellLocator byList, desktop;
    byList.SetPidl(expected.Get());
    EXPECT_FALSE(byList.IsSame(drives));  // same place, another kind
    personal.Assign(&byList);
    EXPECT_TRUE(personal.IsSame(byList));
    personal.Assign(&desktop);
    personal.Assign(&desktop);
    EXPECT_EQ(personal.Pidl(), nullptr);
    personal.Assign(&byList);
    personal.Assign(nullptr);
    personal.Assign(nullptr);
    EXPECT_EQ(personal.changes, 6);
}

TEST(ShellLocator, StoredFormsOfBothLayoutsRoundTrip) {
    const UniquePidl list = MakeItems({20, 14});
    TPTShellLocator byList, special;
    byList.SetPidl(list.Get());
    special.SetSpecialFolder(5);
    const Block listForm = StoredForm(byList);
    ASSERT_EQ(listForm.size(), 41u);
    EXPECT_EQ(Block(listForm.begin(), listForm.begin() + 5), (Block{0, 36, 0, 0, 0}));
    EXPECT_EQ(StoredForm(special), (Block{1, 5}));

    CountingLocator read;
    EXPECT_EQ(read.ReadStoredForm(listForm), 41u);
    EXPECT_EQ(Bytes(read.Pidl()), Bytes(list.Get()));
    EXPECT_EQ(read.ReadStoredForm(Block{1, 5}), 2u);
    EXPECT_EQ(read.Kind(), TPTShellLocator::kSpecialFolderKind);
    EXPECT_EQ(Bytes(read.Pidl()), Bytes(special.Pidl()));  // not the list read before
    EXPECT_EQ(read.ReadStoredForm(Block{0, 0, 0, 0, 0}), 5u);
    EXPECT_EQ(read.Kind(), TPTShellLocator::kSpecialFolderKind);
    EXPECT_EQ(read.SpecialFolder(), 0);
    EXPECT_EQ(read.changes, 0);
}

TEST(ShellLocator, DamagedStoredFormsAreRefusedAndChangeNothing) {
    TPTShellLocator good;
    good.SetPidl(MakeItems({20, 14}).Get());
    const Block form = StoredForm(good);
    ASSERT_EQ(form.size(), 41u);
    Block pastList = form, tooShort = form, early = form;
    pastList[5 + 20] = 40;  // the second item claims to run past the list's end
    tooShort[5] = 1;        // an item too short to hold its own count
    early[5 + 20] = early[5 + 21] = 0;
    const Block cases[] = {{},
                           {1},
                           {0, 36, 0},
                           Block(form.begin(), form.end() - 1),
                           {0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0},
                           {0, 1, 0, 0, 0, 0},
                           pastList,
                           tooShort,
                           early};
    testing_support::TempDir dir;
    const UniquePidl folder = ParsePath(dir.Path());
    TPTShellLocator locator;
    locator.SetPidl(folder.Get());
    for (const Block& block : cases) {
        EXPECT_THROW(locator.ReadStoredForm(block), base::Error) << block.size();
        EXPECT_EQ(Bytes(locator.Pidl()), Bytes(folder.Get()));
    }
}
