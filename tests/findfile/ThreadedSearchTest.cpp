#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "SearchRecorder.h"
#include "common/TempDir.h"
#include "findfile/FindFile.h"
#include "ui/Error.h"

using namespace findfile;
using findfile_test::SearchRecorder;
using testing_support::MessageBoxRecorder;
using testing_support::TempDir;
using Events = std::vector<std::wstring>;

namespace {

// Handles this thread's messages until done() holds. The generous limit only turns a hang into a
// failure; nothing here depends on speed.
template <class Done>
bool PumpUntil(Done done) {
    const ULONGLONG start = GetTickCount64();
    while (!done()) {
        if (GetTickCount64() - start > 120000) return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (!done()) MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    return true;
}

class ThreadedSearchTest : public ::testing::Test {
  protected:
    ThreadedSearchTest() : finder(std::make_unique<TFindFile>()), recorder(dir.Path()) {
        dir.Write(L"a.txt", "a");
        dir.Write(L"b.htm", "b");
        dir.Write(L"sub\\c.txt", "c");
        dir.Write(L"sub\\deep\\d.txt", "d");
        recorder.Attach(*finder);
        finder->Criteria().Files().SetLocation(dir.Path());
        finder->Criteria().Files().SetFileName(L"*.txt;*.htm");
        finder->SetThreaded(true);
    }

    bool PumpUntilIdle() {
        return PumpUntil([this] { return !finder->Busy(); });
    }

    TempDir dir;
    std::unique_ptr<TFindFile> finder;
    SearchRecorder recorder;
};

}  // namespace

TEST_F(ThreadedSearchTest, ExecuteReturnsAtOnceAndEveryHandlerRunsOnTheOwnersThread) {
    finder->SetThreadPriority(tpLower);
    finder->Execute();
    // Handlers wait for this thread: nothing but the beginning can have been reported yet.
    EXPECT_EQ(recorder.events, Events{L"begin"});
    EXPECT_TRUE(finder->Busy());
    finder->Execute();  // busy: starts nothing

    ASSERT_TRUE(PumpUntilIdle());
    EXPECT_EQ(recorder.events, (Events{L"begin", L"folder ", L"match b.htm", L"match a.txt",
                                       L"folder sub\\", L"match sub\\c.txt", L"folder sub\\deep\\",
                                       L"match sub\\deep\\d.txt", L"finish"}));
    for (DWORD thread : recorder.threads) EXPECT_EQ(thread, GetCurrentThreadId());

    // The same component runs a direct search afterwards with the same result.
    const Events threaded = recorder.events;
    recorder.events.clear();
    finder->SetThreaded(false);
    finder->Execute();
    EXPECT_EQ(recorder.events, threaded);
}

TEST_F(ThreadedSearchTest, HandlersSeeTheWalkersStateWhileItWaits) {
    std::vector<int> levels;
    finder->OnFileMatch = [&](TFindFile& sender, const std::wstring& folder,
                              const TSearchRec& info) {
        levels.push_back(sender.CurrentLevel());
        EXPECT_EQ(sender.CurrentTarget()->FolderPath, dir.Path() + L"\\");
        EXPECT_TRUE(testing_support::FileExists(folder + info.Name));
    };
    finder->Execute();
    ASSERT_TRUE(PumpUntilIdle());
    EXPECT_EQ(levels, (std::vector<int>{1, 1, 2, 3}));
}

TEST_F(ThreadedSearchTest, AbortReportsAtOnceAndTheFinishFollowsLater) {
    finder->OnFileMatch = [&](TFindFile& sender, const std::wstring&, const TSearchRec&) {
        recorder.events.push_back(L"match");
        sender.Abort();
        // The worker may still be walking; the finish comes through the message queue.
        EXPECT_EQ(recorder.events.back(), L"abort");
        EXPECT_TRUE(sender.Busy());
    };
    finder->Execute();
    ASSERT_TRUE(PumpUntilIdle());
    EXPECT_EQ(recorder.events, (Events{L"begin", L"folder ", L"match", L"abort", L"finish"}));

    // Aborted before the worker has even started.
    recorder.events.clear();
    finder->OnSearchBegin = [&](TFindFile& sender) { sender.Abort(); };
    finder->Execute();
    ASSERT_TRUE(PumpUntilIdle());
    EXPECT_EQ(recorder.events, (Events{L"abort", L"finish"}));
}

TEST_F(ThreadedSearchTest, AHandlerErrorEndsTheSearchAndIsShown) {
    MessageBoxRecorder boxes;
    finder->OnFileMatch = [&](TFindFile&, const std::wstring&, const TSearchRec&) {
        recorder.events.push_back(L"match");
        throw ui::Error(L"handler failed");
    };
    finder->Execute();
    ASSERT_TRUE(PumpUntilIdle());
    EXPECT_EQ(recorder.events, (Events{L"begin", L"folder ", L"match", L"finish"}));
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, L"handler failed");
}

TEST_F(ThreadedSearchTest, DestroyingTheComponentEndsTheSearchQuietly) {
    // The worker waits for its first event while nobody handles messages.
    finder->Execute();
    finder.reset();
    EXPECT_EQ(recorder.events, Events{L"begin"});

    // And again in the middle of the walk, with a match already delivered.
    finder = std::make_unique<TFindFile>();
    recorder.Attach(*finder);
    finder->Criteria().Files().SetLocation(dir.Path());
    finder->Criteria().Files().SetFileName(L"*.txt");
    finder->SetThreaded(true);
    recorder.events.clear();
    finder->Execute();
    ASSERT_TRUE(PumpUntil([&] { return recorder.Matches().size() == 1; }));
    finder.reset();
    EXPECT_EQ(recorder.events, (Events{L"begin", L"folder ", L"match a.txt"}));

    // A quit request that comes in while the component waits is kept for the loop that owns it.
    finder = std::make_unique<TFindFile>();
    finder->Criteria().Files().SetLocation(dir.Path());
    finder->Criteria().Files().SetFileName(L"*.txt");
    finder->SetThreaded(true);
    finder->Execute();
    PostQuitMessage(3);
    finder.reset();
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 3u);
}
