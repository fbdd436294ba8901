#include <gtest/gtest.h>

#include "TransferTestSupport.h"
#include "base/Error.h"
#include "common/TempDir.h"
#include "shell/DataObject.h"
#include "shell/DropSource.h"
#include "shell/DropTarget.h"
#include "shell/ShellTransfer.h"

using Microsoft::WRL::ComPtr;
using shell_test::RealItems;
using shell_test::RecordingHandler;
using testing_support::TempDir;

namespace {

using ItemSpan = std::span<const ITEMIDLIST* const>;

}  // namespace

TEST(DropSource, AnswersByTheDragButton) {
    const struct Case {
        TDragButton button;
        BOOL escape;
        DWORD keys;
        HRESULT answer;
    } cases[] = {
        {TDragButton::Left, FALSE, MK_LBUTTON | MK_SHIFT, S_OK},
        {TDragButton::Left, FALSE, MK_CONTROL, DRAGDROP_S_DROP},
        {TDragButton::Left, TRUE, MK_LBUTTON, DRAGDROP_S_CANCEL},
        {TDragButton::Left, FALSE, MK_LBUTTON | MK_RBUTTON, DRAGDROP_S_CANCEL},
        {TDragButton::Right, FALSE, MK_RBUTTON, S_OK},
        {TDragButton::Right, FALSE, 0, DRAGDROP_S_DROP},
        {TDragButton::Middle, FALSE, MK_MBUTTON, S_OK},
        {TDragButton::Middle, FALSE, MK_MBUTTON | MK_XBUTTON1, DRAGDROP_S_CANCEL},
    };
    for (const Case& c : cases) {
        const auto source = MakeComObject<TDropSource_shlvtv>(c.button);
        EXPECT_EQ(source->QueryContinueDrag(c.escape, c.keys), c.answer) << c.keys;
        EXPECT_EQ(source->GiveFeedback(DROPEFFECT_COPY), DRAGDROP_S_USEDEFAULTCURSORS);
    }
}

TEST(DropTarget, ForwardsToItsControlUntilTheControlIsGone) {
    RecordingHandler handler;
    const auto target = MakeComObject<TDropTarget_shtv>(&handler);
    DWORD effect = DROPEFFECT_MOVE;
    EXPECT_EQ(target->DragEnter(nullptr, MK_LBUTTON, {}, &effect), S_OK);
    EXPECT_EQ(target->DragOver(MK_RBUTTON, {}, &effect), S_OK);
    EXPECT_EQ(target->DragLeave(), S_OK);
    EXPECT_EQ(target->Drop(nullptr, MK_CONTROL, {}, &effect), S_OK);
    EXPECT_EQ(handler.calls,
              (std::vector<std::string>{"enter 1 2", "over 2 1", "leave 0 0", "drop 8 1"}));
    EXPECT_EQ(target->DragOver(0, {}, nullptr), E_INVALIDARG);

    handler.throws = true;  // no exception leaves the target
    EXPECT_EQ(target->DragEnter(nullptr, 0, {}, &effect), E_UNEXPECTED);
    EXPECT_EQ(effect, DWORD(DROPEFFECT_NONE));
    EXPECT_EQ(target->DragLeave(), E_UNEXPECTED);

    target->ClearHandler();
    handler.throws = false;
    handler.calls.clear();
    effect = DROPEFFECT_COPY;
    EXPECT_EQ(target->Drop(nullptr, MK_LBUTTON, {}, &effect), S_OK);
    EXPECT_EQ(effect, DWORD(DROPEFFECT_NONE));
    EXPECT_EQ(target->DragLeave(), S_OK);
    EXPECT_TRUE(handler.calls.empty());
}

TEST(DropTarget, RegistrationLastsAsLongAsItsObjectAndADragLeavesNothingAlive) {
    RecordingHandler handler;
    const HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 100, 100, nullptr,
                                        nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    const long live = ComObjectCounter::Live();
    ComPtr<ShellDropTarget> target;
    {
        DropTargetRegistration registration(window, MakeComObject<TDropTarget_shlv>(&handler));
        target = registration.Target();
        EXPECT_EQ(target->Handler(), &handler);
        EXPECT_EQ(RegisterDragDrop(window, target.Get()), DRAGDROP_E_ALREADYREGISTERED);
        EXPECT_THROW(DropTargetRegistration(window, MakeComObject<TDropTarget_shlv>(&handler)),
                     base::PlatformError);

        TempDir dir;
        dir.Write(L"a.txt", "x");
        RealItems files(dir.Path(), {L"a.txt"});
        DWORD effect = DROPEFFECT_COPY;
        // No button is down in a test, so the drag drops at once, onto no target.
        EXPECT_EQ(
            RunShellDrag(MakeComObject<TDataObject_shlv>(files.parent.Get(), files.folder.Get(),
                                                         ItemSpan(files.Pointers()))
                             .Get(),
                         TDragButton::Left, kAllDropEffects, effect),
            DRAGDROP_S_DROP);
        EXPECT_EQ(effect, DWORD(DROPEFFECT_NONE));
        EXPECT_EQ(ComObjectCounter::Live(), live + 1);
    }
    EXPECT_EQ(RevokeDragDrop(window), DRAGDROP_E_NOTREGISTERED);
    EXPECT_EQ(target->Handler(), nullptr);
    target.Reset();
    EXPECT_EQ(ComObjectCounter::Live(), live);  // the platform let the target go
    DestroyWindow(window);
}
