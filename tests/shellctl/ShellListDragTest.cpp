// The shell list in drag-and-drop: its drop target and the option, drops handed to the shell's
// target of the item under the pointer or of the folder, the list's own drags onto its
// background, the refresh after a drop, and the automatic scroll on an injected clock.
#include "shellctl/ShellList.h"

#include <algorithm>
#include <functional>

#include <gtest/gtest.h>

#include "DropTestSupport.h"
#include "ShellListTestSupport.h"
#include "shell/ShellTransfer.h"
#include "shell/ShellUtils.h"

using Microsoft::WRL::ComPtr;

namespace shellctl {
namespace {

using namespace testing_support;
using Calls = std::vector<std::string>;

// A list whose drag clock is the test's, and whose shell targets are noted on their way.
class DragList : public TPTShellList {
  public:
    ULONGLONG now = 1000;
    ShellTargetLog* shell = nullptr;

    HRESULT GetDropTarget(int item, ComPtr<IDropTarget>& target) override {
        const HRESULT hr = TPTShellList::GetDropTarget(item, target);
        if (shell != nullptr && SUCCEEDED(hr))
            target = shell->Wrap(item >= 0 ? ShellDataOf(item)->GetPath() : FolderPath(), target);
        return hr;
    }
    int IndexOf(const std::wstring& name) const {
        const std::vector<std::wstring> names = ColumnTexts(*this, 0);
        return int(std::find(names.begin(), names.end(), name) - names.begin());
    }
    // The item the list view shows as the drop target; -1 for none.
    int Highlighted() const {
        for (int item = 0; item < ShellItemCount(); ++item)
            if (Send(LVM_GETITEMSTATE, WPARAM(item), LVIS_DROPHILITED) != 0) return item;
        return -1;
    }
    // The screen point at the middle of an item's label; below every item for -1.
    POINTL PointOn(int item) const {
        const POINT point =
            ToScreen(Handle(), item >= 0 ? Centre(ItemLabelRect(item)) : POINT{200, 250});
        return {point.x, point.y};
    }

  protected:
    ULONGLONG DragTickCount() const override { return now; }
};

class ShellListDragTest : public testing::Test {
  protected:
    ShellListDragTest() {
        dir.MakeDir(L"sub");
        dir.Write(L"a.txt", "x");
        outside.Write(L"c.txt", "x");
        list.SetMultiSelect(true);
        list.SetOptions(TPTShellListOptions(kDefaultShellListOptions).Exclude(ptsloDynamicRefresh));
        list.Create(form, RECT{0, 0, 380, 280});
        list.Folder().SetPath(dir.Path());
        list.OnFillStart = [this](TPTCustomShellList&) { ++fills; };
    }
    // Runs the list's notice of the start of a drag, as the list view sends it.
    void BeginDrag(UINT code) {
        NMLISTVIEW notify{};
        notify.hdr = {list.Handle(), UINT_PTR(GetDlgCtrlID(list.Handle())), code};
        notify.iItem = list.IndexOf(L"a.txt");
        form.Send(WM_NOTIFY, notify.hdr.idFrom, LPARAM(&notify));
    }

    TempDir dir, outside;
    ViewForm form;
    DragList list;
    ShellTargetLog shell;
    int fills = 0;
};

TEST_F(ShellListDragTest, TheDropTargetFollowsTheOptionOnALiveWindow) {
    EXPECT_TRUE(TakesDrops(list.Handle()));
    list.SetOptions(TPTShellListOptions(list.Options()).Exclude(ptsloOleDrop));
    EXPECT_FALSE(TakesDrops(list.Handle()));
    EXPECT_EQ(list.DropTarget(), nullptr);
    list.SetOptions(TPTShellListOptions(list.Options()).Include(ptsloOleDrop));
    EXPECT_TRUE(TakesDrops(list.Handle()));
    DestroyWindow(list.Handle());
    EXPECT_EQ(list.DropTarget(), nullptr);
}

TEST_F(ShellListDragTest, DropsGoToTheItemUnderThePointerOrToTheFolder) {
    list.shell = &shell;
    IDropTarget* drop = list.DropTarget();
    ASSERT_NE(drop, nullptr);
    const ComPtr<IDataObject> files = FileData(outside.Path(), {L"c.txt"});
    const int sub = list.IndexOf(L"sub"), file = list.IndexOf(L"a.txt");
    ASSERT_LT(file, list.ShellItemCount());
    enum Call { Enter, Over, Drop };
    constexpr DWORD kShells = 0xFFFF;  // whatever the shell's own Drop answers
    const std::wstring folder = dir.Path(), subfolder = dir / L"sub";
    const struct Step {
        Call call;
        int over;
        DWORD keys, effect;
        int highlighted;
        std::wstring asked;
        Calls shellCalls;
    } steps[] = {
        // clang-format off
        {Enter, sub, 1, DROPEFFECT_MOVE, sub, subfolder, {"enter 1 7", "leave"}},
        {Over, -1, 9, DROPEFFECT_COPY | DROPEFFECT_SCROLL, -1, folder, {"enter 9 7", "over 9 7", "leave"}},
        {Over, file, 9, DROPEFFECT_COPY | DROPEFFECT_SCROLL, file, dir / L"a.txt", {"enter 9 7", "over 9 7", "leave"}},
        {Drop, -1, 8, kShells, -1, folder, {"enter 9 7", "over 9 7", "drop 9 7"}},
        // clang-format on
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(testing::Message() << "step " << &step - steps);
        shell.Clear();
        fills = 0;
        const POINTL point = list.PointOn(step.over);
        DWORD effect = kAllDropEffects;
        const HRESULT hr = step.call == Enter  ? drop->DragEnter(files.Get(), 1, point, &effect)
                           : step.call == Over ? drop->DragOver(step.keys, point, &effect)
                                               : drop->Drop(files.Get(), step.keys, point, &effect);
        EXPECT_EQ(hr, S_OK);
        EXPECT_EQ(shell.calls, step.shellCalls);
        EXPECT_EQ(shell.asked, std::vector<std::wstring>{step.asked});
        for (const POINTL& at : shell.points) EXPECT_TRUE(at.x == point.x && at.y == point.y);
        EXPECT_TRUE(step.effect == kShells || effect == step.effect) << effect;
        EXPECT_EQ(list.Highlighted(), step.highlighted);
    }
    // The shell got the real file with the drag's own data, and the list, which does not watch
    // its folder, reads it again.
    EXPECT_EQ(DroppedFiles(shell.dropped), std::vector<std::wstring>{outside / L"c.txt"});
    list.FlushPendingSync(false);
    EXPECT_EQ(fills, 1);
}

// Runs a check inside the platform's drag loop, which handles a message posted before the drag.
std::function<void()> insideDragLoop;
LRESULT CALLBACK RunInsideDragLoop(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                   DWORD_PTR) {
    if (msg != WM_APP + 78) return DefSubclassProc(window, msg, wParam, lParam);
    insideDragLoop();
    return 0;
}

TEST_F(ShellListDragTest, ItsOwnItemsDroppedOnItsBackgroundAreCopiedByTheRightButtonOnly) {
    list.shell = &shell;
    list.SetSelected(list.IndexOf(L"a.txt"), true);
    IDropTarget* drop = list.DropTarget();
    const ComPtr<IDataObject> own = FileData(dir.Path(), {L"a.txt"});
    SetCursorPos(2000, 2000);  // the platform's loop finds none of the test's windows
    SetWindowSubclass(form.Handle(), RunInsideDragLoop, 1, 0);
    const POINTL background = list.PointOn(-1);
    // Copy and move offered: the right drag may copy there (the shell is asked only at the
    // drop, and never to move), the left drag does nothing.
    const struct {
        UINT code;
        DWORD keys, enter, over;
        Calls shellCalls;
    } cases[] = {
        {LVN_BEGINRDRAG,
         MK_RBUTTON,
         DROPEFFECT_COPY,
         DROPEFFECT_COPY,
         {"enter 2 1", "over 2 1", "drop 2 1"}},
        {LVN_BEGINDRAG, MK_LBUTTON, DROPEFFECT_NONE, DROPEFFECT_SCROLL, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        shell.Clear();
        fills = 0;
        const long live = ComObjectCounter::Live();
        DWORD entered = 0, over = 0, dropped = 0;
        insideDragLoop = [&] {
            entered = over = dropped = DROPEFFECT_COPY | DROPEFFECT_MOVE;
            drop->DragEnter(own.Get(), c.keys, background, &entered);
            drop->DragOver(c.keys, background, &over);
            drop->Drop(own.Get(), 0, background, &dropped);
        };
        PostMessageW(form.Handle(), WM_APP + 78, 0, 0);
        BeginDrag(c.code);
        EXPECT_EQ(entered, c.enter);
        EXPECT_EQ(over, c.over);
        EXPECT_EQ(shell.calls, c.shellCalls);
        EXPECT_TRUE(c.shellCalls.empty()
                        ? dropped == DROPEFFECT_NONE
                        : DroppedFiles(shell.dropped) == std::vector<std::wstring>{dir / L"a.txt"});
        // After the drag the list reads its folder again, once; nothing of the drag is left.
        list.FlushPendingSync(false);
        EXPECT_EQ(fills, 1);
        EXPECT_FALSE(list.Dragging());
        EXPECT_EQ(ComObjectCounter::Live(), live);
    }
    RemoveWindowSubclass(form.Handle(), RunInsideDragLoop, 1);
}

TEST_F(ShellListDragTest, ALinkedTreesDropRefreshesTheListOnlyWhereItsWatchWouldNotSee) {
    UniquePidl shown, other;
    ASSERT_EQ(PathToPidl(dir.Path(), shown), S_OK);
    ASSERT_EQ(PathToPidl(outside.Path(), other), S_OK);
    const struct {
        const ITEMIDLIST* folder;
        bool watching;
        int fills;
    } cases[] = {{shown.Get(), false, 1}, {other.Get(), false, 0}, {shown.Get(), true, 0}};
    for (const auto& c : cases) {
        TPTShellListOptions options = list.Options();
        list.SetOptions(c.watching ? options.Include(ptsloDynamicRefresh)
                                   : options.Exclude(ptsloDynamicRefresh));
        fills = 0;
        list.ItemsDroppedInto(c.folder);
        list.FlushPendingSync(false);
        EXPECT_EQ(fills, c.fills);
    }
}

TEST_F(ShellListDragTest, ScrollsALineNearTheBottomAtMostEveryIntervalOnTheListsClock) {
    for (int i = 10; i < 50; ++i) dir.Write(L"f" + std::to_wstring(i) + L".txt", "x");
    list.Refill();
    IDropTarget* drop = list.DropTarget();
    const ComPtr<IDataObject> files = FileData(outside.Path(), {L"c.txt"});
    RECT client{};
    GetClientRect(list.Handle(), &client);
    const POINT bottom = ToScreen(list.Handle(), POINT{100, client.bottom - 3});
    DWORD effect = DROPEFFECT_COPY;
    drop->DragEnter(files.Get(), MK_LBUTTON, {bottom.x, bottom.y}, &effect);
    for (const auto& [time, top] : {std::pair{1050, 0}, {1100, 1}, {1150, 1}, {1200, 2}}) {
        list.now = ULONGLONG(time);
        effect = DROPEFFECT_COPY;
        drop->DragOver(MK_LBUTTON, {bottom.x, bottom.y}, &effect);
        EXPECT_TRUE(effect & DROPEFFECT_SCROLL);
        EXPECT_EQ(list.Send(LVM_GETTOPINDEX), top) << time;
    }
    drop->DragLeave();
}

}  // namespace
}  // namespace shellctl
