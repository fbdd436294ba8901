#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "SearchRecorder.h"
#include "common/TempDir.h"
#include "findfile/FindFile.h"
#include "base/Error.h"

using namespace findfile;
using findfile_test::Events;
using findfile_test::PumpUntil;
using findfile_test::SearchRecorder;
using testing_support::TempDir;

namespace {

class ThreadedSearchTest : public ::testing::Test {
  protected:
    ThreadedSearchTest() : recorder(dir.Path()) {
        dir.Write(L"a.txt", "a");
        dir.Write(L"s\\b.txt", "b");
        dir.Write(L"s\\t\\c.txt", "c");
        Renew();
    }
    void Renew() {
        finder = std::make_unique<TFindFile>();
        recorder.Attach(*finder);
        recorder.events.clear();
        finder->Criteria().Files().SetLocation(dir.Path());
        finder->Criteria().Files().SetFileName(L"*.txt");
        finder->SetThreaded(true);
    }
    bool PumpUntilIdle() {
        return PumpUntil([this] { return !finder->Busy(); });
    }

    TempDir dir;
    SearchRecorder recorder;
    std::unique_ptr<TFindFile> finder;
};

}  // namespace

TEST_F(ThreadedSearchTest, ExecuteReturnsAtOnceAndEveryHandlerRunsOnTheOwnersThread) {
    finder->SetThreadPriority(tpLower);
    std::vector<int> levels;
    finder->OnFileMatch = [&](TFindFile& sender, const std::wstring& folder,
                              const TSearchRec& info) {
        recorder.events.push_back(L"match " + recorder.Relative(folder) + info.Name);
        recorder.threads.push_back(GetCurrentThreadId());
        levels.push_back(sender.CurrentLevel());  // the worker waits: its state holds still
    };
    finder->Execute();
    // Handlers wait for this thread: nothing but the beginning can have been reported yet.
    EXPECT_EQ(recorder.events, Events{L"begin"});
    EXPECT_TRUE(finder->Busy());
    finder->Execute();  // busy: starts nothing

    ASSERT_TRUE(PumpUntilIdle());
    EXPECT_EQ(recorder.events,
              (Events{L"begin", L"folder ", L"match a.txt", L"folder s\\", L"match s\\b.txt",
                      L"folder s\\t\\", L"match s\\t\\c.txt", L"finish"}));
    for (DWORD thread : recorder.threads) EXPECT_EQ(thread, GetCurrentThreadId());
    EXPECT_EQ(levels, (std::vector<int>{1, 2, 3}));
}

TEST_F(ThreadedSearchTest, AbortReportsAtOnceAndTheFinishFollowsLater) {
    finder->OnFileMatch = [&](TFindFile& sender, const std::wstring&, const TSearchRec&) {
        recorder.events.push_back(L"match");
        sender.Abort();
        EXPECT_EQ(recorder.events.back(), L"abort");
        EXPECT_TRUE(sender.Busy());
    };
    finder->Execute();
    ASSERT_TRUE(PumpUntilIdle());
    EXPECT_EQ(recorder.events, (Events{L"begin", L"folder ", L"match", L"abort", L"finish"}));
}

TEST_F(ThreadedSearchTest, AHandlerErrorEndsTheSearchAndIsShown) {
    testing_support::MessageBoxRecorder boxes;
    finder->OnFileMatch = [&](TFindFile&, const std::wstring&, const TSearchRec&) {
        recorder.events.push_back(L"match");
        throw base::Error(L"handler failed");
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

    // Later in the walk (how much later depends on how fast the worker gets on), with a quit
    // request waiting: nothing more is reported, and the request is kept for the loop that owns
    // it.
    Renew();
    finder->Execute();
    ASSERT_TRUE(PumpUntil([&] { return !recorder.Matches().empty(); }));
    const Events before = recorder.events;
    PostQuitMessage(3);
    finder.reset();
    EXPECT_EQ(recorder.events, before);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 3u);
}
