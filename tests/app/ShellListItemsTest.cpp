// The selection of the "Select files" list as the run takes it.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>
#include <vector>

#include "app/MainForm.h"
#include "app/ShellListItems.h"
#include "common/TempDir.h"
#include "shellctl/ShellList.h"

using testing_support::TempDir;

namespace {

// The paths the run takes are the shell's own paths of the selected items, in display order,
// whatever the names and whichever items are chosen.
TEST(ShellListItems, SelectedPathsAreTheShellsPathsOfTheSelection) {
    TempDir dir;
    const std::wstring folder = dir.MakeDir(L"a b \u0142");
    for (const wchar_t* name : {L"plain.txt", L"with  spaces .txt", L"\u0142\u00fc\u4e2d.txt",
                                L"no extension", L"dots.in.name.htm", L"~lumora-new-1.tmp"})
        dir.Write(std::wstring(L"a b \u0142\\") + name, "x");
    dir.MakeDir(L"a b \u0142\\sub folder");
    TMainForm form;
    shellctl::TPTShellList& list = *form.PTShellList1;
    list.Folder().SetPath(folder);
    ShellListItems items(list);
    ASSERT_GE(items.Count(), 6);  // the folder stays in the tree
    for (const std::vector<int>& chosen : std::vector<std::vector<int>>{{}, {0, 2, 5}, {4}}) {
        list.ClearSelection();
        for (int item : chosen) list.SetSelected(item, true);
        std::vector<std::wstring> expected;
        for (int item : chosen) {
            expected.push_back(list.ShellDataAt(item).GetPath());
            EXPECT_EQ(expected.back().rfind(folder + L"\\", 0), 0u);
        }
        EXPECT_EQ(items.SelectedPaths(), expected);
    }
    // Here and on the desktop, among virtual items and folders of other places.
    for (const bool desktop : {false, true}) {
        if (desktop) list.Folder().SetSpecialFolder(CSIDL_DESKTOP);
        list.SelectAllItems();
        std::vector<std::wstring> all;
        for (int item = 0; item < items.Count(); ++item) all.push_back(items.Path(item));
        EXPECT_EQ(items.SelectedPaths(), all) << desktop;
    }
}

}  // namespace
