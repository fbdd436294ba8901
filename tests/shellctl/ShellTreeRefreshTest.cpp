// The shell tree kept current: the merging refresh, change notifications folded into one, the
// watch on the drives and the device broadcasts.
#include "shellctl/ShellTree.h"

#include <dbt.h>

#include <gtest/gtest.h>

#include "ShellTreeTestSupport.h"
#include "shell/ShellMessages.h"
#include "ui/Application.h"

namespace shellctl {
namespace {

using namespace testing_support;
using Sync = TPTCustomShellTree::TSyncAction;

class ShellTreeRefreshTest : public testing::Test {
  protected:
    ShellTreeRefreshTest() {
        dir.MakeDir(L"a\\a1");
        dir.MakeDir(L"b\\b1");
    }

    TempDir dir;
    ViewForm form;
    FakeShellList list;
    const TPTShellTreeOptions options = OptionsWithout({ptstoDynamicRefresh});
};

TEST_F(ShellTreeRefreshTest, VanishedFoldersGoNewOnesComeAndExpansionStays) {
    const struct {
        const char* name;
        std::function<void(TestTree&)> refresh;
    } triggers[] = {
        {"RefreshNodes", [](TestTree& tree) { tree.RefreshNodes(); }},
        {"F5", [](TestTree& tree) { tree.PressKey(VK_F5); }},
    };
    for (const auto& trigger : triggers) {
        SCOPED_TRACE(trigger.name);
        TestTree tree(form, dir.Path(), options);
        tree.SetShellList(&list);
        tree.Refill();
        tree.Expand(tree.NodeOf(dir / L"b"));
        tree.SetFolderPath(dir / L"a\\a1");
        int fills = 0;
        tree.OnFillStart = [&](TPTCustomShellTree&) { ++fills; };
        ASSERT_EQ(tree.LastInsertedNode(), tree.NodeOf(dir / L"a\\a1"));

        RemoveTree(dir / L"a");
        trigger.refresh(tree);
        EXPECT_EQ(fills, 1);
        EXPECT_EQ(tree.NodeOf(dir / L"a"), nullptr);
        EXPECT_EQ(tree.LastInsertedNode(), nullptr);
        EXPECT_TRUE(tree.IsExpanded(tree.NodeOf(dir / L"b")));
        // The selection moved up to the parent of what vanished, and the list with it.
        EXPECT_EQ(tree.SelectedPath(), dir.Path());
        EXPECT_EQ(list.Last(), dir.Path());

        dir.MakeDir(L"c");
        trigger.refresh(tree);
        EXPECT_EQ(tree.ChildTexts(tree.RootNode()), (std::vector<std::wstring>{L"b", L"c"}));
        RemoveTree(dir / L"c");
        dir.MakeDir(L"a\\a1");
    }
}

TEST_F(ShellTreeRefreshTest, NotificationsFoldIntoOneRefreshThatSelectionTravelKeeps) {
    TestTree tree(form, dir.Path(), options);
    tree.SetShellList(&list);
    tree.Refill();
    int fills = 0;
    tree.OnFillStart = [&](TPTCustomShellTree&) { ++fills; };
    const auto notify = [&](int times) {
        for (int i = 0; i < times; ++i) tree.Post(shell::kMsgChangeNotify);
        ui::App().ProcessMessages();
    };

    form.SetFocus();
    notify(3);
    EXPECT_EQ(tree.PendingSync(), Sync::Refresh);
    EXPECT_EQ(tree.PendingSyncInterval(), TPTCustomShellTree::kRefreshDelay);
    tree.SetFocus();
    notify(1);
    EXPECT_EQ(tree.PendingSyncInterval(), TPTCustomShellTree::kFocusedRefreshDelay);
    // Keyboard travel meanwhile does not drop the refresh; the refresh passes it on.
    tree.PressKey(VK_DOWN);
    EXPECT_EQ(tree.PendingSync(), Sync::Refresh);
    tree.FlushPendingSync();
    EXPECT_EQ(fills, 1);
    EXPECT_EQ(list.Last(), dir / L"a");

    // While a drag from the tree runs, refreshes wait for its end and notifications are dropped.
    tree.SetDragging(true);
    tree.RefreshNodes();
    notify(1);
    EXPECT_EQ(tree.PendingSync(), Sync::None);
    tree.SetDragging(false);
    EXPECT_EQ(fills, 2);

    // The tree's own change is not read twice: its notification is dropped, the next is not.
    ASSERT_TRUE(tree.CreateNewFolder());
    fills = 0;
    notify(1);
    EXPECT_EQ(tree.PendingSync(), Sync::None);
    EXPECT_FALSE(tree.IgnoreNextChange());
    notify(1);
    EXPECT_EQ(tree.PendingSync(), Sync::Refresh);
}

TEST_F(ShellTreeRefreshTest, TheWatchReportsFoldersMadeAndDeletedOnDisk) {
    // From the desktop down, as a user goes: the platform under test follows a watched drive
    // only into the folders opened after the watch began.
    TestTree tree(form, L"", kDefaultShellTreeOptions);
    tree.SetShellList(&list);
    tree.Refill();
    tree.SetFolderPath(dir / L"b\\b1");
    ASSERT_EQ(tree.SelectedPath(), dir / L"b\\b1");
    const auto refreshed = [&] {
        if (!PumpUntil([&] { return tree.PendingSync() == Sync::Refresh; })) return false;
        tree.FlushPendingSync();
        return true;
    };
    dir.MakeDir(L"made");
    ASSERT_TRUE(refreshed());
    EXPECT_NE(tree.NodeOf(dir / L"made"), nullptr);
    RemoveTree(dir / L"b");
    ASSERT_TRUE(refreshed());
    EXPECT_EQ(tree.NodeOf(dir / L"b"), nullptr);
    EXPECT_EQ(tree.SelectedPath(), dir.Path());
    EXPECT_EQ(list.Last(), dir.Path());
}

TEST_F(ShellTreeRefreshTest, ADriveArrivingRefreshesWithoutFurtherValidation) {
    TestTree tree(form, dir.Path(), options);
    tree.Refill();
    std::vector<int> nesting;
    tree.OnFillStart = [&](TPTCustomShellTree&) {
        nesting.push_back(ShellRefreshScope::Nesting());
    };
    DEV_BROADCAST_VOLUME volume{sizeof volume, DBT_DEVTYP_VOLUME, 0, 1u << 4, 0};
    for (const WPARAM event : {WPARAM(DBT_DEVICEQUERYREMOVE), WPARAM(DBT_DEVICEARRIVAL)}) {
        SendMessageW(TPTDeviceChangeHandler::Instance().Handle(), WM_DEVICECHANGE, event,
                     reinterpret_cast<LPARAM>(&volume));
    }
    ASSERT_TRUE(PumpUntil([&] { return !nesting.empty(); }));
    EXPECT_EQ(nesting, std::vector<int>{1});
}

}  // namespace
}  // namespace shellctl
