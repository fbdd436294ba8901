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
#include "shell/ShellMessages.h"

using testing_support::FolderExists;
using testing_support::TempDir;

namespace {

constexpr DWORD kNames = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME;
constexpr int kSlots = TChangeHandlerThread::kSlotCount;

// A hidden window of the test's own that records the slots of the change messages it receives.
class ChangeRecorder : public ui::Form {
  public:
    ChangeRecorder() : ui::Form(L"Change recorder", 200, 100) {}
    std::vector<int> slots;
    bool longParameterSeen = false;
    int Count(int slot) const { return int(std::count(slots.begin(), slots.end(), slot)); }

    // Pumps messages until done() holds or a generous limit has passed.
    bool PumpUntil(const std::function<bool()>& done) {
        for (const ULONGLONG deadline = GetTickCount64() + 30000; GetTickCount64() < deadline;) {
            ui::App().ProcessMessages();
            if (done()) return true;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        }
        return false;
    }

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg != shell::kMsgChangeNotify) return ui::Form::HandleMessage(msg, wParam, lParam);
        slots.push_back(int(wParam));
        longParameterSeen |= lParam != 0;
        return 0;
    }
};

// The process's open handles, found by asking about every small handle value.
int OpenHandleCount() {
    int count = 0;
    DWORD flags = 0;
    for (UINT_PTR value = 4; value < 0x10000; value += 4)
        count += GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) ? 1 : 0;
    return count;
}

std::set<DWORD> ThreadIds() {
    std::set<DWORD> ids;
    base::FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
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
    TChangeHandlerThread thread(nullptr, 0);
    for (const std::wstring& path :
         {std::wstring(), dir / L"missing", dir / L"missing\\deeper", dir.Write(L"f.txt", "x")}) {
        int slot = 7;
        EXPECT_FALSE(thread.AddWatch(path, kNames, slot, false));
        EXPECT_EQ(slot, -1);
    }
    int slot = -1;  // none of them took a slot
    EXPECT_TRUE(thread.AddWatch(dir.Path(), kNames, slot, false));
    EXPECT_EQ(slot, 0);
}

// Wine's server reports changes in the order they happen and a wait returns the lowest signalled
// position, so once a later change in a higher slot is posted, any message for an earlier change
// has arrived too. The tests use such a later change as a fence before counting what is missing.
TEST(ChangeHandlerThread, SubtreeWatchSeesDeepChangesAndPlainWatchDoesNot) {
    TempDir dir;
    const std::wstring root = dir.MakeDir(L"r\u00f6\u00f6t with space");
    const std::wstring deep = dir.MakeDir(L"r\u00f6\u00f6t with space\\\u0436\\two");
    const std::wstring fence = dir.MakeDir(L"fence");
    ChangeRecorder window;
    TChangeHandlerThread thread(window.Handle(), shell::kMsgChangeNotify);
    int plain = -1, subtree = -1, fenced = -1;
    ASSERT_TRUE(thread.AddWatch(root, kNames, plain, false));
    ASSERT_TRUE(thread.AddWatch(root, kNames, subtree, true));
    ASSERT_TRUE(thread.AddWatch(fence, kNames, fenced, false));
    EXPECT_EQ(fenced, 2);
    // Wine follows a watched subtree only into folders opened after the watch began; the shell
    // tree opens every folder it shows.
    for (const std::wstring& folder : {root + L"\\\u0436", deep}) {
        WIN32_FIND_DATAW entry;
        FindClose(FindFirstFileW((folder + L"\\*").c_str(), &entry));
    }

    Touch(deep);
    ASSERT_TRUE(window.PumpUntil([&] { return window.Count(subtree) > 0; }));
    Touch(fence);
    ASSERT_TRUE(window.PumpUntil([&] { return window.Count(fenced) > 0; }));
    EXPECT_EQ(window.Count(plain), 0);
    EXPECT_FALSE(window.longParameterSeen);
}

TEST(ChangeHandlerThread, BurstOfChangesLeavesTheThreadWorking) {
    TempDir dir;
    const std::wstring busy = dir.MakeDir(L"busy");
    ChangeRecorder window;
    TChangeHandlerThread thread(window.Handle(), shell::kMsgChangeNotify);
    int busySlot = -1, laterSlot = -1;
    ASSERT_TRUE(thread.AddWatch(busy, kNames, busySlot, false));
    for (int i = 0; i < 300; ++i) {
        Touch(busy, std::to_wstring(i));
        DeleteFileW((busy + L"\\" + std::to_wstring(i)).c_str());
    }
    ASSERT_TRUE(window.PumpUntil([&] { return window.Count(busySlot) > 0; }));
    // Still answering and still posting.
    ASSERT_TRUE(thread.AddWatch(dir.MakeDir(L"later"), kNames, laterSlot, false));
    Touch(dir / L"later");
    ASSERT_TRUE(window.PumpUntil([&] { return window.Count(laterSlot) > 0; }));
}

TEST(ChangeHandlerThread, RemoveAllWatchesStopsTheMessages) {
    TempDir dir;
    ChangeRecorder window;
    TChangeHandlerThread thread(window.Handle(), shell::kMsgChangeNotify);
    int removed = -1, quiet = -1, fenced = -1;
    ASSERT_TRUE(thread.AddWatch(dir.MakeDir(L"removed"), kNames, removed, false));
    ASSERT_TRUE(thread.RemoveAllWatches());
    // The freed slot goes to a folder that never changes: a message for it could only come from
    // the removed watch.
    ASSERT_TRUE(thread.AddWatch(dir.MakeDir(L"quiet"), kNames, quiet, false));
    ASSERT_TRUE(thread.AddWatch(dir.MakeDir(L"fence"), kNames, fenced, false));
    EXPECT_EQ(quiet, removed);
    Touch(dir / L"removed");
    Touch(dir / L"fence");
    ASSERT_TRUE(window.PumpUntil([&] { return window.Count(fenced) > 0; }));
    EXPECT_EQ(window.Count(removed), 0);
}

// Wine keeps a removed folder in place while a handle to it is open, so a folder that vanishes
// at once had no watch left on it.
TEST(ChangeHandlerThread, FullTableKeepsItsWatchesAndDestructionClosesEveryHandle) {
    TempDir dir;
    std::vector<std::wstring> folders;
    for (int i = 0; i < kSlots + 2; ++i)
        folders.push_back(dir.MakeDir(L"w \u00fc " + std::to_wstring(i)));
    delete new TChangeHandlerThread(nullptr, 0);  // the platform's first-use allocations
    const int before = OpenHandleCount();
    ChangeRecorder window;
    auto thread = std::make_unique<TChangeHandlerThread>(window.Handle(), shell::kMsgChangeNotify);
    int slot = -1;
    for (int i = 0; i < kSlots; ++i) {
        ASSERT_TRUE(thread->AddWatch(folders[i], kNames, slot, true));
        EXPECT_EQ(slot, i);
    }
    // Both stay pending in turn; the second replaces the first.
    for (int i = kSlots; i < kSlots + 2; ++i) {
        EXPECT_FALSE(thread->AddWatch(folders[i], kNames, slot, false));
        EXPECT_EQ(slot, -1);
    }
    for (const auto& folder : folders) Touch(folder);
    ASSERT_TRUE(window.PumpUntil([&] {
        return std::set<int>(window.slots.begin(), window.slots.end()).size() == size_t(kSlots);
    }));

    thread.reset();
    EXPECT_EQ(OpenHandleCount(), before);
    for (const auto& folder : folders) {
        DeleteFileW((folder + L"\\new file.txt").c_str());
        EXPECT_TRUE(RemoveDirectoryW(folder.c_str()));
        EXPECT_FALSE(FolderExists(folder));
    }
}

// A thread that does not answer in time: the request fails and leaves nothing the thread could
// act on later.
TEST(ChangeHandlerThread, UnansweredRequestIsWithdrawn) {
    TempDir dir;
    const std::wstring late = dir.MakeDir(L"late");
    delete new TChangeHandlerThread(nullptr, 0);
    const int before = OpenHandleCount();
    const std::set<DWORD> others = ThreadIds();
    auto thread = std::make_unique<TChangeHandlerThread>(nullptr, 0);
    std::set<DWORD> added = ThreadIds();
    for (DWORD id : others) added.erase(id);
    ASSERT_EQ(added.size(), 1u);
    base::KernelHandle worker(OpenThread(THREAD_SUSPEND_RESUME, FALSE, *added.begin()));
    ASSERT_NE(SuspendThread(worker.Get()), DWORD(-1));

    int slot = 0;
    EXPECT_FALSE(thread->RemoveAllWatches());
    EXPECT_FALSE(thread->AddWatch(late, kNames, slot, false));
    EXPECT_EQ(slot, -1);
    EXPECT_TRUE(RemoveDirectoryW(late.c_str()));
    EXPECT_FALSE(FolderExists(late));  // its handle is closed already

    ResumeThread(worker.Get());
    ASSERT_TRUE(thread->AddWatch(dir.Path(), kNames, slot, false));
    EXPECT_EQ(slot, 0);
    thread.reset();
    worker.Reset();
    EXPECT_EQ(OpenHandleCount(), before);
}
