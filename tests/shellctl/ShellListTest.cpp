#include "shellctl/ShellList.h"

#include <algorithm>
#include <utility>

#include <windows.h>
#include <dbt.h>

#include <gtest/gtest.h>

#include "ShellListTestSupport.h"
#include "ShellTreeTestSupport.h"
#include "base/Error.h"
#include "shell/ShellMessages.h"
#include "shellctl/TolerantSort.h"

namespace shellctl {
namespace {

using namespace testing_support;
using Names = std::vector<std::wstring>;

UniquePidl PidlOf(const std::wstring& path) {
    UniquePidl pidl;
    EXPECT_TRUE(SUCCEEDED(PathToPidl(path, pidl))) << path;
    return pidl;
}

Names Sorted(Names names) {
    std::sort(names.begin(), names.end());
    return names;
}

// a.txt, b.log, c.doc, a hidden h.txt and the folder sub (holding c.doc too).
class ListedFolder : public testing::Test {
  protected:
    ListedFolder() {
        dir.Write(L"a.txt", "a");
        dir.Write(L"b.log", "bb");
        dir.Write(L"c.doc", "ccc");
        SetFileAttributesW(dir.Write(L"h.txt", "h").c_str(), FILE_ATTRIBUTE_HIDDEN);
        dir.Write(L"sub\\c.doc", "c");
        view.list.OnFillStart = [this](TPTCustomShellList&) { ++fills; };
    }

    TempDir dir;
    ListOnForm view;
    int fills = 0;
};

TEST_F(ListedFolder, ListsItemsWithHiddenOnesOnlyWhenAskedAndRefillsWhenThatChanges) {
    view.Show(dir.Path());
    EXPECT_EQ(view.Names(), (Names{L"sub", L"a.txt", L"b.log", L"c.doc", L"h.txt"}));
    view.list.SetOptions(TPTShellListOptions(kDefaultShellListOptions).Exclude(ptsloShowHidden));
    EXPECT_EQ(view.Names(), (Names{L"sub", L"a.txt", L"b.log", L"c.doc"}));

    // Linking a tree, and then asking for folders to be left to it, lists the files alone.
    StandInTree tree;
    view.list.SetLinkedTree(&tree);
    EXPECT_EQ(view.Names().size(), 4u);
    view.list.SetOptions(
        TPTShellListOptions(view.list.Options()).Include(ptsloHideFoldersWhenLinkedToTree));
    EXPECT_EQ(view.Names(), (Names{L"a.txt", L"b.log", L"c.doc"}));
    view.list.SetLinkedTree(nullptr);
    EXPECT_EQ(view.Names(), (Names{L"sub", L"a.txt", L"b.log", L"c.doc"}));
}

TEST_F(ListedFolder, FiltersFilesByMasksAndNeverLooksIntoAnotherFolder) {
    const std::wstring parent = dir.Path().substr(0, dir.Path().rfind(L'\\'));
    const struct {
        std::wstring filter;
        bool linked;
        Names names;
    } cases[] = {
        {L"*.txt;*.log", false, {L"sub", L"a.txt", L"b.log", L"h.txt"}},
        {L"*.txt;*.log", true, {L"a.txt", L"b.log", L"h.txt"}},
        {L"*.TXT", false, {L"sub", L"a.txt", L"h.txt"}},
        {L";;a.txt;", false, {L"sub", L"a.txt"}},
        {L"*", false, {L"sub", L"a.txt", L"b.log", L"c.doc", L"h.txt"}},
        {L"*.*", false, {L"sub", L"a.txt", L"b.log", L"c.doc", L"h.txt"}},
        {L"", false, {L"sub", L"a.txt", L"b.log", L"c.doc", L"h.txt"}},
        // Masks naming other folders find nothing here, even names this folder shares.
        {L"sub\\*.doc", false, {L"sub"}},
        {L"..\\*", false, {L"sub"}},
        {dir.Path() + L"\\sub\\c.doc", false, {L"sub"}},
        {L"C:c.doc", false, {L"sub"}},
    };
    StandInTree tree;
    view.list.SetOptions(
        TPTShellListOptions(kDefaultShellListOptions).Include(ptsloHideFoldersWhenLinkedToTree));
    view.Show(dir.Path());
    for (const auto& row : cases) {
        view.list.SetLinkedTree(row.linked ? &tree : nullptr);
        view.list.SetFileFilter(row.filter);
        EXPECT_EQ(view.Names(), row.names) << row.filter;
    }
    // The same text again is no change.
    view.list.SetFileFilter(L"*.log");
    const int before = fills;
    view.list.SetFileFilter(L"*.log");
    EXPECT_EQ(fills, before);
}

TEST_F(ListedFolder, TheFilterReadsTheFolderBeingFilled) {
    TempDir other;
    other.Write(L"other.txt", "o");
    view.list.SetFileFilter(L"*.txt");
    view.Show(dir.Path());
    view.Show(other.Path());
    EXPECT_EQ(view.Names(), Names{L"other.txt"});
}

TEST(ShellList, AVirtualFolderIsNeverFiltered) {
    ListOnForm view;
    view.list.Create(view.form, RECT{0, 0, 380, 280});
    view.list.Folder().SetSpecialFolder(CSIDL_DRIVES);
    const Names all = view.Names();
    ASSERT_FALSE(all.empty());
    view.list.SetFileFilter(L"*.txt");
    EXPECT_EQ(view.Names(), all);
}

TEST(ShellList, SortsByTheClickedColumnWithTheHeadersSortMark) {
    TempDir dir;
    dir.Write(L"b.txt", std::string(3000, 'b'));
    dir.Write(L"a.txt", std::string(10, 'a'));
    dir.Write(L"c.txt", std::string(2000, 'c'));
    // The platform under test compares by name whatever the column; this folder compares sizes
    // in the Size column.
    ListOnForm view;
    view.list.Create(view.form, RECT{0, 0, 380, 280});
    auto folder = SeamFolder::Of(dir.Path());
    folder->sizeColumn = 1;
    view.list.FillList(folder.Get(), folder->IdList());
    view.list.SortItems();
    const struct {
        int click;  // -1: none
        Names names;
        int sortValue;
        int markColumn, markDirection;
    } steps[] = {
        {-1, {L"a.txt", L"b.txt", L"c.txt"}, 1, 0, 1},
        {0, {L"c.txt", L"b.txt", L"a.txt"}, -1, 0, 0},
        {1, {L"a.txt", L"c.txt", L"b.txt"}, 2, 1, 1},
        {1, {L"b.txt", L"c.txt", L"a.txt"}, -2, 1, 0},
        {0, {L"a.txt", L"b.txt", L"c.txt"}, 1, 0, 1},
    };
    for (const auto& step : steps) {
        if (step.click >= 0) ClickColumn(view.list, step.click);
        EXPECT_EQ(view.Names(), step.names) << step.click;
        EXPECT_EQ(view.list.SortValue(), step.sortValue);
        EXPECT_EQ(view.list.SortColumn(), step.markColumn);
        EXPECT_EQ(view.list.SortDirection(), step.markDirection);
    }
    // A handler that sorts on its own has the last word.
    view.list.OnColumnClick = [](TPTCustomShellList& list, int) { list.SetSortColumn(-1); };
    ClickColumn(view.list, 1);
    EXPECT_EQ(view.list.SortValue(), -1);
}

TEST(ShellList, SortingWithAnErraticComparisonKeepsEveryItem) {
    TempDir dir;
    Names written;
    for (int i = 0; i < 150; ++i) {
        written.push_back(L"f" + std::to_wstring(1000 + i) + L".txt");
        dir.Write(written.back(), "x");
    }
    ListOnForm view;
    view.list.Create(view.form, RECT{0, 0, 380, 280});
    auto folder = SeamFolder::Of(dir.Path());
    folder->erratic = true;
    view.list.FillList(folder.Get(), folder->IdList());
    view.list.SetSelected(7, true);
    const std::wstring selected = CellText(view.list, 7, 0);
    view.list.SortItems();
    EXPECT_GT(folder->compareCalls, 0);
    EXPECT_EQ(Sorted(view.Names()), written);
    ASSERT_EQ(view.list.SelectedItems().size(), 1u);
    EXPECT_EQ(CellText(view.list, view.list.SelectedItems()[0], 0), selected);

    // With a consistent comparison the sort is stable.
    std::vector<std::pair<int, int>> values = {{2, 0}, {1, 1}, {2, 2}, {0, 3}, {1, 4}};
    TolerantStableSort(values, [](auto& a, auto& b) { return a.first - b.first; });
    EXPECT_EQ(values, (std::vector<std::pair<int, int>>{{0, 3}, {1, 1}, {1, 4}, {2, 0}, {2, 2}}));
}

TEST(ShellList, ARefreshMergesChangesKeepsTheSelectionAndRereadsChangedItems) {
    TempDir dir;
    for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt", L"d.txt", L"x.txt", L"y.txt"})
        dir.Write(name, "1");
    ListOnForm view;
    view.Show(dir.Path());
    view.list.SetSelected(1, true);  // b
    view.list.SetSelected(3, true);  // d
    const std::wstring smallSize = CellText(view.list, 1, 1);
    dir.Write(L"e.txt", "new");
    DeleteFileW((dir / L"c.txt").c_str());
    DeleteFileW((dir / L"x.txt").c_str());
    dir.Write(L"b.txt", std::string(300000, 'b'));
    view.list.RefreshItems();
    EXPECT_EQ(view.Names(), (Names{L"a.txt", L"b.txt", L"d.txt", L"y.txt", L"e.txt"}));
    EXPECT_EQ(view.list.SelectedItems(), (std::vector<int>{1, 2}));
    EXPECT_NE(CellText(view.list, 1, 1), smallSize);
}

TEST(ShellList, WhatADragHeldBackRunsWhenItEnds) {
    TempDir dir, other;
    dir.Write(L"a.txt", "a");
    other.Write(L"other.txt", "o");
    ListOnForm view;
    view.Show(dir.Path());
    // A refresh waits, and so does a move to another folder, which a refresh cannot stand for.
    view.list.SetDragging(true);
    dir.Write(L"b.txt", "b");
    view.list.RefreshItems();
    EXPECT_EQ(view.Names(), Names{L"a.txt"});
    view.list.SetDragging(false);
    EXPECT_EQ(view.Names(), (Names{L"a.txt", L"b.txt"}));
    view.list.SetDragging(true);
    view.list.Folder().SetPath(other.Path());
    EXPECT_TRUE(view.list.RefreshPending());
    view.list.SetDragging(false);
    EXPECT_EQ(view.list.FolderPath(), other.Path());
    EXPECT_EQ(view.Names(), Names{L"other.txt"});
    EXPECT_FALSE(view.list.RefreshPending());
    // A drop refreshes even when nothing waited.
    view.list.SetDragging(true);
    other.Write(L"dropped.txt", "d");
    view.list.SetDragging(false, true);
    EXPECT_EQ(view.Names(), (Names{L"other.txt", L"dropped.txt"}));
}

TEST(ShellList, DynamicRefreshFollowsTheFolder) {
    TempDir dir;
    dir.Write(L"a.txt", "a");
    ListOnForm view;
    view.Show(dir.Path());
    view.list.SetFocus();
    dir.Write(L"new.txt", "n");
    EXPECT_TRUE(PumpUntil([&] { return view.Names() == Names{L"a.txt", L"new.txt"}; }));
    DeleteFileW((dir / L"a.txt").c_str());
    EXPECT_TRUE(PumpUntil([&] { return view.Names() == Names{L"new.txt"}; }));
}

TEST(ShellList, AFolderThatCannotBeReadListsNothingAndSaysNothing) {
    TempDir dir;
    dir.Write(L"a.txt", "a");
    dir.Write(L"b.txt", "b");
    TempDir first;
    first.Write(L"first.txt", "f");
    const struct {
        HRESULT enumResult;
        int endAfter;
        HRESULT endCode;
        bool throws;
        size_t listed;
    } cases[] = {
        {E_ACCESSDENIED, -1, S_FALSE, false, 0},  // the enumeration cannot start
        {S_FALSE, -1, S_FALSE, false, 0},         // nothing to enumerate, no enumerator
        {S_OK, 1, E_FAIL, false, 0},              // gives up half way
        {S_OK, 1, HRESULT_FROM_WIN32(ERROR_NO_MORE_ITEMS), false, 1},
        {S_OK, 1, E_ACCESSDENIED, true, 0},  // fails: the list stays on its old folder
    };
    for (const auto& row : cases) {
        ListOnForm view;
        view.Show(first.Path());
        IShellFolder* oldFolder = view.list.ShellFolder();
        auto folder = SeamFolder::Of(dir.Path());
        folder->enumResult = row.enumResult;
        folder->endAfter = row.endAfter;
        folder->endCode = row.endCode;
        MessageBoxRecorder boxes;
        if (row.throws) {
            EXPECT_THROW(view.list.FillList(folder.Get(), folder->IdList()), base::Error);
            EXPECT_EQ(view.list.ShellFolder(), oldFolder);
            EXPECT_EQ(view.list.FolderPath(), first.Path());
        } else {
            view.list.FillList(folder.Get(), folder->IdList());
            EXPECT_EQ(view.list.ShellFolder(), folder.Get());
            EXPECT_EQ(view.list.FolderPath(), dir.Path());
        }
        EXPECT_EQ(size_t(view.list.ItemCount()), row.listed) << std::hex << row.endCode;
        EXPECT_EQ(size_t(view.list.ShellItemCount()), row.listed);
        EXPECT_TRUE(boxes.Boxes().empty());
    }
}

TEST(ShellList, AnItemThatCannotBeAddedIsSkippedAndReportedOnce) {
    TempDir dir;
    for (const wchar_t* name : {L"a.txt", L"bad1.txt", L"c.txt"}) dir.Write(name, "x");
    ListOnForm view;
    view.list.OnAddItem = [](TPTCustomShellList&, IShellFolder_NRC* folder, const ITEMIDLIST*,
                             const ITEMIDLIST* item, ULONG, BOOL&) {
        if (GetDisplayName(folder, item, dnInFolder).starts_with(L"bad"))
            throw base::Error(L"cannot add");
    };
    MessageBoxRecorder boxes;
    view.Show(dir.Path());
    EXPECT_EQ(view.Names(), (Names{L"a.txt", L"c.txt"}));
    dir.Write(L"bad2.txt", "x");
    dir.Write(L"bad3.txt", "x");
    dir.Write(L"d.txt", "x");
    view.list.RefreshItems();
    EXPECT_EQ(view.Names(), (Names{L"a.txt", L"c.txt", L"d.txt"}));
    ASSERT_EQ(boxes.Boxes().size(), 2u);  // one per fill or refresh
    EXPECT_EQ(boxes.Boxes()[0].text, L"Exception in AddNewShellItem");
}

TEST(ShellList, RefusesSortColumnsAndPositionsOutOfRange) {
    TempDir dir;
    dir.Write(L"a.txt", "a");
    dir.Write(L"b.txt", "b");
    ListOnForm view;
    view.Show(dir.Path());
    const int columns = view.list.ColumnCount();
    ASSERT_GE(columns, 4);
    for (int value : {0, columns + 1, -(columns + 1)}) {
        EXPECT_FALSE(view.list.SetSortColumn(value)) << value;
        EXPECT_EQ(view.list.SortValue(), 1);
    }
    EXPECT_TRUE(view.list.SetSortColumn(-columns));
    for (int index : {-1, 2}) {
        EXPECT_THROW(view.list.ShellDataAt(index), base::Error);
        EXPECT_EQ(view.list.ShellDataOf(index), nullptr);
        void* object = nullptr;
        EXPECT_EQ(view.list.GetUIObjectOf(index, IID_IContextMenu, &object), E_INVALIDARG);
    }
    EXPECT_EQ(view.list.ShellDataAt(1).GetPath(), dir / CellText(view.list, 1, 0));
    void* object = nullptr;
    EXPECT_EQ(view.list.GetUIObjectOfSelection(IID_IContextMenu, &object), E_FAIL);
    view.list.SelectAllItems();
    Microsoft::WRL::ComPtr<IContextMenu> menu;
    EXPECT_EQ(view.list.GetUIObjectOfSelection(IID_PPV_ARGS(&menu)), S_OK);
}

TEST(ShellList, FollowsALinkedTreeAndKeepsItInStep) {
    TempDir one, two;
    one.Write(L"one.txt", "1");
    two.Write(L"two.txt", "2");
    StandInTree tree;
    auto view = std::make_unique<ListOnForm>();
    view->list.SetLinkedTree(&tree);
    view->Show(one.Path());
    EXPECT_EQ(tree.navigatedTo, Names{one.Path()});
    // The tree's own moves are not told back to it.
    view->list.TreeSelectionChanged(PidlOf(two.Path()).Get());
    EXPECT_EQ(view->Names(), Names{L"two.txt"});
    EXPECT_EQ(tree.navigatedTo.size(), 1u);

    // A refresh waiting for its timer runs now, after the tree's pending selection, which
    // moves the list along: both end on the same folder.
    bool pending = true;
    tree.onFlush = [&] {
        if (std::exchange(pending, false))
            view->list.TreeSelectionChanged(PidlOf(one.Path()).Get());
    };
    view->list.Send(shell::kMsgChangeNotify);
    view->list.FlushPendingSync(true);
    EXPECT_EQ(view->list.FolderPath(), one.Path());
    EXPECT_EQ(view->list.Folder().Path(), one.Path());
    EXPECT_EQ(view->Names(), Names{L"one.txt"});

    view.reset();
    EXPECT_TRUE(tree.listDestroyed);
}

TEST(ShellList, ARealTreeAndTheListStayOnOneFolder) {
    TempDir dir;
    dir.Write(L"top.txt", "t");
    dir.Write(L"a\\one.txt", "1");
    dir.MakeDir(L"a\\inner");
    dir.Write(L"b\\two.txt", "2");
    ListOnForm view;
    view.list.SetOptions({ptsloAutoFill, ptsloHideFoldersWhenLinkedToTree, ptsloShowHidden});
    view.Show(dir.Path());
    auto tree =
        std::make_unique<TestTree>(view.form, dir.Path(), OptionsWithout({ptstoDynamicRefresh}));
    tree->SetShellList(&view.list);
    tree->Refill();
    const auto inStep = [&](const std::wstring& path, const Names& names) {
        EXPECT_EQ(tree->SelectedPath(), path);
        EXPECT_EQ(view.list.FolderPath(), path);
        EXPECT_EQ(view.Names(), names) << path;
    };
    inStep(dir.Path(), {L"top.txt"});
    tree->Click(tree->NodeOf(dir / L"a"));
    inStep(dir / L"a", {L"one.txt"});
    view.list.Folder().SetPath(dir / L"b");
    inStep(dir / L"b", {L"two.txt"});

    // Keyboard travel waits in the tree; the list's flush brings both to where it ends.
    tree->SetFocus();
    tree->PressKey(VK_UP);
    EXPECT_EQ(view.list.FolderPath(), dir / L"b");
    view.list.FlushPendingSync(true);
    inStep(dir / L"a", {L"one.txt"});

    // Without the tree the list shows the folders again.
    tree.reset();
    EXPECT_EQ(view.list.LinkedTree(), nullptr);
    EXPECT_EQ(view.Names(), (Names{L"inner", L"one.txt"}));
}

TEST(ShellList, MediaComingAndGoingRefillTheDrivesFolderOnly) {
    TempDir dir;
    ListOnForm drives, folder;
    drives.list.Create(drives.form, RECT{0, 0, 380, 280});
    drives.list.Folder().SetSpecialFolder(CSIDL_DRIVES);
    folder.Show(dir.Path());
    int drivesFills = 0, folderFills = 0;
    drives.list.OnFillStart = [&](TPTCustomShellList&) { ++drivesFills; };
    folder.list.OnFillStart = [&](TPTCustomShellList&) { ++folderFills; };
    const HWND receiver = TPTDeviceChangeHandler::Instance().Handle();
    for (WPARAM event : {WPARAM(DBT_DEVICEARRIVAL), WPARAM(DBT_DEVICEREMOVECOMPLETE),
                         WPARAM(DBT_DEVNODES_CHANGED)})
        SendMessageW(receiver, WM_DEVICECHANGE, event, 0);
    EXPECT_TRUE(PumpUntil([&] { return drivesFills == 2; }));
    EXPECT_EQ(folderFills, 0);
}

}  // namespace
}  // namespace shellctl
