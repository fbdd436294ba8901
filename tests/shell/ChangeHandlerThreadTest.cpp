#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <set>
#include <vector>

#include <windows.h>
#include <tlhelp32.h>

#include "common/TempDir.h"
#include "shell/ChangeHandlerThread.h"
#include "ui/Application.h"
#include "ui/Form.h"
#include "ui/Messages.h"

using testing_support::TempDir;

namespace {

constexpr DWORD kNames = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME;

// A hidden window of the test's own that records the change messages it receives.
class ChangeRecorder : public ui::Form {
  public:
    ChangeRecorder() : ui::Form(L"Change recorder", 200, 100) {}

    std::vector<int> slots;  // word parameters, in order of arrival
    std::vector<LPARAM> longParameters;

    int Count(int slot) const { return int(std::count(slots.begin(), slots.end(), slot)); }

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg != ui::kMsgChangeNotify) return ui::Form::HandleMessage(msg, wParam, lParam);
        slots.push_back(int(wParam));
        longParameters.push_back(lParam);
        return 0;
    }
};

// Pumps messages until done() holds or a generous limit has passed.
bool PumpUntil(const std::function<bool()>& done) {
    const ULONGLONG deadline = GetTickCount64() + 30000;
    for (;;) {
        ui::App().ProcessMessages();
        if (done()) return true;
        if (GetTickCount64() > deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
}

// The process's open handles, found by asking about every small handle value.
int OpenHandleCount() {
    int count = 0;
    for (UINT_PTR value = 4; value < 0x10000; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
    }
    return count;
}

std::vector<std::wstring> MakeFolders(const TempDir& dir, int count) {
    std::vector<std::wstring> folders;
    for (int i = 0; i < count; ++i)
        folders.push_back(dir.MakeDir(L"watch ü " + std::to_wstring(i)));
    return folders;
}

// The threads of this process.
std::set<DWORD> ThreadIds() {
    std::set<DWORD> ids;
    ui::FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot.Get(), &entry); more;
         more = Thread32Next(snapshot.Get(), &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ids.insert(entry.th32ThreadID);
    }
    return ids;
}

void Touch(const std::wstring& folder, const std::wstring& name = L"new file.txt") {
    testing_support::WriteFileBytes(folder + L"\\" + name, "x");
}

}  // namespace

TEST(ChangeHandlerThread, RefusesWhatCannotBeWatched) {
    TempDir dir;
    const std::wstring file = dir.Write(L"plain.txt", "x");
    ChangeRecorder window;
    TChangeHandlerThread thread(window.Handle(), ui::kMsgChangeNotify);
    for (const std::wstring& path :
         {std::wstring(), dir / L"missing", dir / L"missing\\deeper", file}) {
        int slot = 7;
        EXPECT_FALSE(thread.AddWatch(path, kNames, slot, false)) << path.size();
        EXPECT_EQ(slot, -1);
    }
    // Nothing of those took a slot.
    int slot = -1;
    EXPECT_TRUE(thread.AddWatch(dir.Path(), kNames, slot, false));
    EXPECT_EQ(slot, 0);
}

TEST(ChangeHandlerThread, ChangeInAWatchedFolderPostsItsSlot) {
    TempDir dir;
    const std::wstring first = dir.MakeDir(L"with space");
    const std::wstring second = dir.MakeDir(L"\u0436\u00e9 \u4e2d");
    ChangeRecorder window;
    TChangeHandlerThread thread(window.Handle(), ui::kMsgChangeNotify);
    int firstSlot = -1, secondSlot = -1;
    ASSERT_TRUE(thread.AddWatch(first, kNames, firstSlot, false));
    ASSERT_TRUE(thread.AddWatch(second, kNames, secondSlot, false));
    EXPECT_EQ(firstSlot, 0);
    EXPECT_EQ(secondSlot, 1);

    Touch(second);
    ASSERT_TRUE(PumpUntil([&] { return window.Count(secondSlot) > 0; }));
    CreateDirectoryW((first + L"\\new folder").c_str(), nullptr);
    ASSERT_TRUE(PumpUntil([&] { return window.Count(firstSlot) > 0; }));
    for (LPARAM value : window.longParameters) EXPECT_EQ(value, 0);
}

// Wine's server reports the changes in the order they happen and a wait returns the lowest
// signalled position, so once a later change in a higher slot has been posted, any message for
// an earlier one has arrived too. The tests below use such a later change as a fence.
TEST(ChangeHandlerThread, SubtreeWatchSeesDeepChangesAndPlainWatchDoesNot) {
    TempDir dir;
    const std::wstring root = dir.MakeDir(L"root");
    const std::wstring deep = dir.MakeDir(L"root\\one\\two");
    const std::wstring fence = dir.MakeDir(L"fence");
    ChangeRecorder window;
    TChangeHandlerThread thread(window.Handle(), ui::kMsgChangeNotify);
    int plainSlot = -1, subtreeSlot = -1, fenceSlot = -1;
    ASSERT_TRUE(thread.AddWatch(root, kNames, plainSlot, false));
    ASSERT_TRUE(thread.AddWatch(root, kNames, subtreeSlot, true));
    ASSERT_TRUE(thread.AddWatch(fence, kNames, fenceSlot, false));

    // Wine follows a watched subtree only into folders opened after the watch began; the
    // shell tree opens every folder it shows.
    for (const std::wstring& folder : {root + L"\\one", deep}) {
        WIN32_FIND_DATAW entry;
        FindClose(FindFirstFileW((folder + L"\\*").c_str(), &entry));
    }
    Touch(deep);
    ASSERT_TRUE(PumpUntil([&] { return window.Count(subtreeSlot) > 0; }));
    Touch(fence);
    ASSERT_TRUE(PumpUntil([&] { return window.Count(fenceSlot) > 0; }));
    EXPECT_EQ(window.Count(plainSlot), 0);
}

TEST(ChangeHandlerThread, BurstOfChangesLeavesTheThreadWorking) {
    TempDir dir;
    const std::wstring busy = dir.MakeDir(L"busy");
    const std::wstring later = dir.MakeDir(L"later");
    ChangeRecorder window;
    TChangeHandlerThread thread(window.Handle(), ui::kMsgChangeNotify);
    int busySlot = -1;
    ASSERT_TRUE(thread.AddWatch(busy, kNames, busySlot, false));
    for (int i = 0; i < 300; ++i) {
        const std::wstring name = L"f" + std::to_wstring(i);
        Touch(busy, name);
        DeleteFileW((busy + L"\\" + name).c_str());
    }
    ASSERT_TRUE(PumpUntil([&] { return window.Count(busySlot) > 0; }));

    // The thread still answers requests and still posts.
    int laterSlot = -1;
    ASSERT_TRUE(thread.AddWatch(later, kNames, laterSlot, false));
    Touch(later);
    ASSERT_TRUE(PumpUntil([&] { return window.Count(laterSlot) > 0; }));
    for (int slot : window.slots) EXPECT_TRUE(slot == busySlot || slot == laterSlot) << slot;
}

TEST(ChangeHandlerThread, FullTableRefusesTheNextWatchAndKeepsItsOwn) {
    TempDir dir;
    const auto folders = MakeFolders(dir, TChangeHandlerThread::kSlotCount + 1);
    ChangeRecorder window;
    TChangeHandlerThread thread(window.Handle(), ui::kMsgChangeNotify);
    for (int i = 0; i < TChangeHandlerThread::kSlotCount; ++i) {
        int slot = -1;
        ASSERT_TRUE(thread.AddWatch(folders[i], kNames, slot, false));
        EXPECT_EQ(slot, i);
    }
    int slot = 0;
    EXPECT_FALSE(thread.AddWatch(folders.back(), kNames, slot, false));
    EXPECT_EQ(slot, -1);

    for (const auto& folder : folders) Touch(folder);
    ASSERT_TRUE(PumpUntil([&] {
        return std::set<int>(window.slots.begin(), window.slots.end()).size() ==
               size_t(TChangeHandlerThread::kSlotCount);
    }));
    EXPECT_EQ(*std::max_element(window.slots.begin(), window.slots.end()),
              TChangeHandlerThread::kSlotCount - 1);
}

TEST(ChangeHandlerThread, RemoveAllWatchesStopsTheMessages) {
    TempDir dir;
    const std::wstring removed = dir.MakeDir(L"removed");
    const std::wstring quiet = dir.MakeDir(L"quiet");
    const std::wstring fence = dir.MakeDir(L"fence");
    ChangeRecorder window;
    TChangeHandlerThread thread(window.Handle(), ui::kMsgChangeNotify);
    int removedSlot = -1;
    ASSERT_TRUE(thread.AddWatch(removed, kNames, removedSlot, false));
    ASSERT_TRUE(thread.RemoveAllWatches());

    // The slots are free again: the first new watch takes the removed one's slot and is never
    // changed, so a message for that slot could only come from the removed watch.
    int quietSlot = -1, fenceSlot = -1;
    ASSERT_TRUE(thread.AddWatch(quiet, kNames, quietSlot, false));
    ASSERT_TRUE(thread.AddWatch(fence, kNames, fenceSlot, false));
    EXPECT_EQ(quietSlot, removedSlot);
    Touch(removed);
    Touch(fence);
    ASSERT_TRUE(PumpUntil([&] { return window.Count(fenceSlot) > 0; }));
    EXPECT_EQ(window.Count(removedSlot), 0);
}

// Wine keeps a removed folder in place while a handle to it is open, so a folder that vanishes
// at once had no watch left on it.
TEST(ChangeHandlerThread, DestructionClosesEveryHandle) {
    struct Case {
        const char* name;
        bool replacePending;  // remove all and watch again after the table was full
    };
    for (const Case& c : {Case{"live and pending", false}, Case{"pending replaced", true}}) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const auto folders = MakeFolders(dir, TChangeHandlerThread::kSlotCount + 2);
        delete new TChangeHandlerThread(nullptr, 0);  // first-use allocations of the platform
        const int before = OpenHandleCount();

        auto thread = std::make_unique<TChangeHandlerThread>(nullptr, 0);
        int slot = -1;
        for (int i = 0; i < TChangeHandlerThread::kSlotCount; ++i)
            ASSERT_TRUE(thread->AddWatch(folders[i], kNames, slot, true));
        EXPECT_FALSE(
            thread->AddWatch(folders[TChangeHandlerThread::kSlotCount], kNames, slot, false));
        if (c.replacePending) {
            ASSERT_TRUE(thread->RemoveAllWatches());
            ASSERT_TRUE(thread->AddWatch(folders.back(), kNames, slot, false));
            EXPECT_EQ(slot, 0);
        }
        thread.reset();

        EXPECT_EQ(OpenHandleCount(), before);
        for (const auto& folder : folders) {
            EXPECT_TRUE(RemoveDirectoryW(folder.c_str()));
            EXPECT_FALSE(testing_support::FolderExists(folder));
        }
    }
}

// A thread that does not answer in time: the request fails and leaves nothing behind that the
// thread could act on later.
TEST(ChangeHandlerThread, UnansweredRequestIsWithdrawn) {
    TempDir dir;
    const std::wstring late = dir.MakeDir(L"late");
    const std::wstring next = dir.MakeDir(L"next");
    delete new TChangeHandlerThread(nullptr, 0);
    const int before = OpenHandleCount();
    const std::set<DWORD> others = ThreadIds();
    auto thread = std::make_unique<TChangeHandlerThread>(nullptr, 0);
    std::set<DWORD> added = ThreadIds();
    for (DWORD id : others) added.erase(id);
    ASSERT_EQ(added.size(), 1u);
    ui::KernelHandle worker(OpenThread(THREAD_SUSPEND_RESUME, FALSE, *added.begin()));
    ASSERT_NE(SuspendThread(worker.Get()), DWORD(-1));

    int slot = 0;
    EXPECT_FALSE(thread->AddWatch(late, kNames, slot, false));
    EXPECT_EQ(slot, -1);
    EXPECT_FALSE(thread->RemoveAllWatches());
    // The withdrawn handle was closed: the folder goes at once.
    EXPECT_TRUE(RemoveDirectoryW(late.c_str()));
    EXPECT_FALSE(testing_support::FolderExists(late));

    ResumeThread(worker.Get());
    ASSERT_TRUE(thread->AddWatch(next, kNames, slot, false));
    EXPECT_EQ(slot, 0);
    thread.reset();
    worker.Reset();
    EXPECT_EQ(OpenHandleCount(), before);
}
