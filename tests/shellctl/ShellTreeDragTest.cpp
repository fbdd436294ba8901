// The shell tree in drag-and-drop: its drop target and the option, drops handed to the shell's
// target of the node under the pointer, drags of nodes out of the tree, and the automatic scroll
// and hover expansion on an injected clock.
#include "shellctl/ShellTree.h"

#include <functional>

#include <gtest/gtest.h>

#include "DropTestSupport.h"
#include "ShellTreeTestSupport.h"
#include "shell/DragTracking.h"
#include "shell/ShellTransfer.h"
#include "ui/Application.h"

using Microsoft::WRL::ComPtr;

namespace shellctl {
namespace {

using namespace testing_support;

// A tree whose drag clock is the test's, and whose shell targets are noted on their way.
class DragTree : public TestTree {
  public:
    using TestTree::TestTree;
    ULONGLONG now = 1000;
    ShellTargetLog* shell = nullptr;

    HRESULT GetDropTarget(HTREEITEM node, ComPtr<IDropTarget>& target) override {
        const HRESULT hr = TestTree::GetDropTarget(node, target);
        if (shell != nullptr && SUCCEEDED(hr))
            target = shell->Wrap(ShellDataOf(node)->GetPath(), target);
        return hr;
    }
    HTREEITEM Highlighted() const { return TreeView_GetDropHilight(Handle()); }
    std::wstring HighlightedPath() const {
        const TPTShTreeData* data = ShellDataOf(Highlighted());
        return data != nullptr ? const_cast<TPTShTreeData*>(data)->GetPath() : L"";
    }
    // The screen point at the middle of a node's text; a point below every node for none.
    POINTL PointOn(HTREEITEM node) const {
        RECT client{};
        GetClientRect(Handle(), &client);
        const POINT point = ToScreen(
            Handle(), node != nullptr ? Centre(NodeTextRect(node)) : POINT{10, client.bottom - 5});
        return {point.x, point.y};
    }
    HTREEITEM FirstVisible() const { return TreeView_GetFirstVisible(Handle()); }

  protected:
    ULONGLONG DragTickCount() const override { return now; }
};

// A linked list that notes the folders dropped into through the tree.
class DropList : public FakeShellList {
  public:
    std::vector<std::wstring> droppedInto;
    void ItemsDroppedInto(const ITEMIDLIST* folder) override {
        droppedInto.push_back(PidlToPath(folder));
    }
};

class ShellTreeDragTest : public testing::Test {
  protected:
    ShellTreeDragTest() {
        dir.MakeDir(L"a\\a1");
        dir.Write(L"source\\b.txt", "x");
        dir.MakeDir(L"target");
    }

    TempDir dir;
    ViewForm form;
    ShellTargetLog shell;
    const TPTShellTreeOptions options = OptionsWithout({ptstoDynamicRefresh});
};

TEST_F(ShellTreeDragTest, TheDropTargetFollowsTheOptionAndOutlivesNoControl) {
    const long live = ComObjectCounter::Live();
    ComPtr<IDropTarget> kept;
    {
        DragTree tree(form, dir.Path(), OptionsWithout({ptstoDynamicRefresh, ptstoOleDrop}));
        EXPECT_FALSE(TakesDrops(tree.Handle()));
        const struct {
            TPTShellTreeOptions options;
            bool takesDrops;
        } steps[] = {
            {options, true},
            {TPTShellTreeOptions(options).Exclude(ptstoOleDrag), true},  // no change of its own
            {OptionsWithout({ptstoDynamicRefresh, ptstoOleDrop}), false},
            {options, true},
        };
        for (const auto& step : steps) {
            tree.SetOptions(step.options);
            EXPECT_EQ(TakesDrops(tree.Handle()), step.takesDrops);
            EXPECT_EQ(tree.DropTarget() != nullptr, step.takesDrops);
        }
        kept = tree.DropTarget();
        DestroyWindow(tree.Handle());
        EXPECT_EQ(tree.DropTarget(), nullptr);
    }
    // Whoever still holds the target after its control has gone gets "none", and nothing else.
    const ComPtr<IDataObject> data = FileData(dir / L"source", {L"b.txt"});
    DWORD effect = DROPEFFECT_COPY;
    EXPECT_EQ(kept->DragEnter(data.Get(), MK_LBUTTON, POINTL{}, &effect), S_OK);
    EXPECT_EQ(effect, DWORD(DROPEFFECT_NONE));
    kept.Reset();
    EXPECT_EQ(ComObjectCounter::Live(), live + 1);  // the data only
}

TEST_F(ShellTreeDragTest, DropsGoToTheShellTargetOfTheNodeUnderThePointer) {
    DragTree tree(form, dir.Path(), options);
    DropList list;
    tree.SetShellList(&list);
    tree.Refill();
    tree.Select(tree.NodeOf(dir / L"a"));  // the platform cannot drop-highlight the selection
    tree.shell = &shell;
    IDropTarget* drop = tree.DropTarget();
    ASSERT_NE(drop, nullptr);
    const ComPtr<IDataObject> files = FileData(dir / L"source", {L"b.txt"});
    const ComPtr<IDataObject> computer = ComputerData();
    using Calls = std::vector<std::string>;
    enum Call { Enter, Over, Leave, Drop };
    constexpr DWORD kShells = 0xFFFF;  // whatever the shell's own Drop answers
    constexpr DWORD kScroll = DROPEFFECT_SCROLL;
    const std::wstring root = dir.Path(), folder = dir / L"target", none;
    // The shell answers a left drag with move, and with copy when Ctrl is held. The button is
    // up by the time of a drop: the one the drag entered with is added. Data that the shell
    // says cannot be copied or moved (the computer) is not dropped.
    const struct Step {
        Call call;
        IDataObject* data;
        std::wstring over;  // none: below the nodes
        DWORD keys, offered, effect;
        std::wstring highlighted;
        Calls shellCalls;
    } steps[] = {
        // clang-format off
        {Enter, files.Get(), folder, 1, 7, DROPEFFECT_MOVE, folder, {"enter 1 7", "leave"}},
        {Over, nullptr, none, 1, 7, kScroll, none, {}},
        {Over, nullptr, folder, 9, 7, DROPEFFECT_COPY | kScroll, folder, {"enter 9 7", "over 9 7", "leave"}},
        {Over, nullptr, root, 9, 7, DROPEFFECT_COPY | kScroll, root, {"enter 9 7", "over 9 7", "leave"}},
        {Leave, nullptr, none, 0, 0, 0, none, {}},
        {Enter, files.Get(), folder, 1, 7, DROPEFFECT_MOVE, folder, {"enter 1 7", "leave"}},
        {Drop, files.Get(), folder, 8, 7, kShells, none, {"enter 9 7", "over 9 7", "drop 9 7"}},
        {Drop, files.Get(), none, 8, 7, DROPEFFECT_NONE, none, {}},
        {Drop, computer.Get(), folder, 1, 3, DROPEFFECT_NONE, none, {"enter 1 3", "over 1 3", "leave"}},
        // clang-format on
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(testing::Message() << "step " << &step - steps);
        shell.Clear();
        list.droppedInto.clear();
        tree.FlushPendingSync();
        const POINTL point = tree.PointOn(step.over.empty() ? nullptr : tree.NodeOf(step.over));
        DWORD effect = step.offered;
        const HRESULT hr = step.call == Enter
                               ? drop->DragEnter(step.data, step.keys, point, &effect)
                           : step.call == Over ? drop->DragOver(step.keys, point, &effect)
                           : step.call == Drop ? drop->Drop(step.data, step.keys, point, &effect)
                                               : drop->DragLeave();
        EXPECT_EQ(hr, S_OK);
        EXPECT_EQ(shell.calls, step.shellCalls);
        for (const POINTL& at : shell.points) EXPECT_TRUE(at.x == point.x && at.y == point.y);
        EXPECT_EQ(tree.HighlightedPath(), step.highlighted);
        EXPECT_TRUE(step.effect == kShells || effect == step.effect) << effect;
        // The shell got the real files with the drag's own data; after a drop onto a node the
        // tree refreshes, and so does a list showing that folder.
        if (step.effect == kShells) {
            EXPECT_EQ(shell.dropped, files.Get());
            EXPECT_EQ(DroppedFiles(shell.dropped),
                      std::vector<std::wstring>{dir / L"source\\b.txt"});
        }
        const bool ontoNode = step.call == Drop && !step.over.empty();
        EXPECT_EQ(list.droppedInto,
                  ontoNode ? std::vector<std::wstring>{folder} : std::vector<std::wstring>{});
        EXPECT_EQ(tree.PendingSync() == TPTCustomShellTree::TSyncAction::Refresh, ontoNode);
    }
}

// Runs a check inside the platform's drag loop, which handles a message posted before the drag.
std::function<void()> insideDragLoop;
LRESULT CALLBACK RunInsideDragLoop(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                   DWORD_PTR) {
    if (msg != WM_APP + 77) return DefSubclassProc(window, msg, wParam, lParam);
    insideDragLoop();
    return 0;
}

TEST_F(ShellTreeDragTest, ANodeDragsOutAsItsShellItemAndTheTreeShowsTheResultAfter) {
    DragTree tree(form, dir.Path(), options);
    tree.Refill();
    tree.shell = &shell;
    int fills = 0;
    tree.OnFillStart = [&](TPTCustomShellTree&) { ++fills; };
    SetWindowSubclass(form.Handle(), RunInsideDragLoop, 1, 0);
    bool draggingInside = false;
    std::wstring highlightedInside;
    insideDragLoop = [&] {
        draggingInside = tree.Dragging();
        highlightedInside = tree.HighlightedPath();
    };
    const POINTL over = tree.PointOn(tree.NodeOf(dir / L"target"));
    SetCursorPos(over.x, over.y);
    const struct {
        const char* what;
        std::wstring node;
        UINT code;
        TPTShellTreeOptions options;
        bool drags;
    } cases[] = {
        {"left", dir / L"source", TVN_BEGINDRAGW, options, true},
        {"right", dir / L"source", TVN_BEGINRDRAGW, options, true},
        {"root", dir.Path(), TVN_BEGINDRAGW, options, false},
        {"without ptstoOleDrag", dir / L"source", TVN_BEGINDRAGW,
         TPTShellTreeOptions(options).Exclude(ptstoOleDrag), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        tree.SetOptions(c.options);
        fills = 0;
        shell.Clear();
        const long live = ComObjectCounter::Live();
        NMTREEVIEWW notify{};
        notify.hdr = {tree.Handle(), UINT_PTR(GetDlgCtrlID(tree.Handle())), c.code};
        notify.itemNew.hItem = tree.NodeOf(c.node);
        notify.itemNew.lParam = tree.NodeData(notify.itemNew.hItem);
        PostMessageW(form.Handle(), WM_APP + 77, 0, 0);
        form.Send(WM_NOTIFY, notify.hdr.idFrom, LPARAM(&notify));
        ui::App().ProcessMessages();
        // The platform's drag loop ran with the node shown as the one dragged, and took the
        // drag over the tree's own node "target" to the shell's target of that folder. (With no
        // button down the shell answers none, and the loop drops nothing.)
        EXPECT_EQ(draggingInside, c.drags);
        EXPECT_EQ(highlightedInside, c.drags ? c.node : L"");
        using Calls = std::vector<std::string>;
        EXPECT_EQ(shell.calls, (c.drags ? Calls{"enter 0 7", "leave"} : Calls{}));
        // Afterwards the tree shows what the drag did, and nothing of the drag is left.
        EXPECT_EQ(fills, c.drags ? 1 : 0);
        EXPECT_FALSE(tree.Dragging());
        EXPECT_EQ(tree.Highlighted(), nullptr);
        EXPECT_EQ(ComObjectCounter::Live(), live);
    }
    RemoveWindowSubclass(form.Handle(), RunInsideDragLoop, 1);
}

TEST_F(ShellTreeDragTest, ExpandsARestingNodeAndScrollsNearTheEdgesOnTheTreesClock) {
    for (int i = 10; i < 40; ++i) dir.MakeDir(L"f" + std::to_wstring(i));
    DragTree tree(form, dir.Path(), options);
    tree.Refill();
    IDropTarget* drop = tree.DropTarget();
    const ComPtr<IDataObject> files = FileData(dir / L"source", {L"b.txt"});
    RECT client{};
    GetClientRect(tree.Handle(), &client);
    const auto at = [&](POINT point) {
        const POINT screen = ToScreen(tree.Handle(), point);
        return POINTL{screen.x, screen.y};
    };
    const auto over = [&](ULONGLONG time, POINTL point) {
        tree.now = time;
        DWORD effect = DROPEFFECT_COPY;
        EXPECT_EQ(drop->DragOver(MK_LBUTTON, point, &effect), S_OK);
        EXPECT_TRUE(effect & DROPEFFECT_SCROLL);
    };

    // A node the pointer rests on for longer than the hover time opens; moving off restarts.
    HTREEITEM a = tree.NodeOf(dir / L"a");
    const POINT middle = Centre(tree.NodeTextRect(a));
    const ULONGLONG hoverTime = SystemHoverSettings().time;
    const LONG off = SystemHoverSettings().size.cy / 2 + 1;
    DWORD effect = DROPEFFECT_COPY;
    tree.now = 1000;
    drop->DragEnter(files.Get(), MK_LBUTTON, at(middle), &effect);
    const struct {
        ULONGLONG time;
        LONG dy;
        bool expanded;
    } rests[] = {
        {1000, 0, false},
        {1300, off, false},  // outside the hover rectangle: the wait starts again
        {1300 + hoverTime, off, false},
        {1301 + hoverTime, off - 1, true},
    };
    for (const auto& rest : rests) {
        over(rest.time, at(POINT{middle.x, middle.y + rest.dy}));
        EXPECT_EQ(tree.IsExpanded(a), rest.expanded) << rest.time;
    }
    EXPECT_EQ(tree.ChildTexts(a), std::vector<std::wstring>{L"a1"});
    drop->DragLeave();

    // Near the bottom a line at most every 100 ms, near the top back up, elsewhere nothing.
    tree.now = 5000;
    drop->DragEnter(files.Get(), MK_LBUTTON, at(Centre(client)), &effect);
    const HTREEITEM top = tree.FirstVisible();
    const auto linesDown = [&] {
        int lines = 0;
        for (HTREEITEM node = top; node != nullptr && node != tree.FirstVisible(); ++lines)
            node = TreeView_GetNextVisible(tree.Handle(), node);
        return lines;
    };
    const LONG bottom = client.bottom - 3;
    const struct {
        ULONGLONG time;
        LONG y;
        int lines;
    } steps[] = {
        // clang-format off
        {5050, bottom, 0},  // too soon after the drag came in
        {5100, bottom, 1}, {5150, bottom, 1}, {5200, bottom, 2}, {5300, 3, 1}, {5400, 150, 1},
        // clang-format on
    };
    for (const auto& step : steps) {
        over(step.time, at(POINT{60, step.y}));
        EXPECT_EQ(linesDown(), step.lines) << step.time;
    }
    drop->DragLeave();
}

}  // namespace
}  // namespace shellctl
