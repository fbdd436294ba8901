#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "SearchRecorder.h"
#include "common/TempDir.h"
#include "findfile/FindFile.h"
#include "base/Error.h"
#include "base/Handle.h"

using namespace findfile;
using findfile_test::Events;
using findfile_test::PumpUntil;
using findfile_test::SearchRecorder;
using testing_support::TempDir;

namespace {

// A component whose memory, once freed, holds poison and is never used again: a later write to it
// shows, and a pointer read from it leads nowhere.
class PoisonedOnFree : public TFindFile {
  public:
    static void* operator new(std::size_t size) { return ::operator new(size); }
    static void operator delete(void* block, std::size_t size) {
        std::memset(block, kPoison, size);
        freed.emplace_back(static_cast<unsigned char*>(block), size);
    }
    static bool Untouched() {
        for (auto [block, size] : freed)
            for (std::size_t i = 0; i < size; ++i)
                if (block[i] != kPoison) return false;
        return true;
    }

  private:
    static constexpr unsigned char kPoison = 0xDD;
    static inline std::vector<std::pair<unsigned char*, std::size_t>> freed;
};

// Turns a hang into a failure: ends the process when the scope is not left in time.
class Watchdog {
  public:
    Watchdog()
        : done_(CreateEventW(nullptr, TRUE, FALSE, nullptr)), thread_([event = done_.Get()] {
              if (WaitForSingleObject(event, 60000) != WAIT_TIMEOUT) return;
              std::fputs("hung: the watchdog ends the run\n", stderr);
              TerminateProcess(GetCurrentProcess(), 3);
          }) {}
    ~Watchdog() {
        SetEvent(done_.Get());
        thread_.join();
    }

  private:
    base::KernelHandle done_;
    std::thread thread_;
};

class ThreadedSearchTest : public ::testing::Test {
  protected:
    ThreadedSearchTest() : recorder(dir.Path()) {
        dir.Write(L"a.txt", "a");
        dir.Write(L"s\\b.txt", "b");
        dir.Write(L"s\\t\\c.txt", "c");
        Renew();
    }
    void Renew() {
        finder = std::make_unique<PoisonedOnFree>();
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

// Any handler may destroy the component, in a threaded or a direct search: the search ends there,
// nothing hangs, and the component's memory is never touched again.
TEST_F(ThreadedSearchTest, AHandlerMayDestroyTheComponent) {
    const Events all = {L"begin",          L"folder ",       L"match a.txt",       L"folder s\\",
                        L"match s\\b.txt", L"folder s\\t\\", L"match s\\t\\c.txt", L"finish"};
    struct Row {
        bool threaded;
        const wchar_t* at;
    } rows[] = {{true, L"begin"},           {true, L"folder "}, {true, L"match a.txt"},
                {true, L"abort"},           {true, L"finish"},  {false, L"folder s\\"},
                {false, L"match s\\b.txt"}, {false, L"abort"},  {false, L"finish"}};
    Watchdog watchdog;
    for (const Row& row : rows) {
        SCOPED_TRACE(std::wstring(row.at) + (row.threaded ? L" threaded" : L" direct"));
        Renew();
        finder->SetThreaded(row.threaded);
        // "abort": the first match aborts, and the abort handler destroys.
        const bool abort = row.at == std::wstring(L"abort");
        Events expected(all.begin(),
                        std::find(all.begin(), all.end(), abort ? L"match a.txt" : row.at) + 1);
        if (abort) expected.push_back(L"abort");
        recorder.then = [&](const std::wstring& event) {
            if (abort && event == L"match a.txt") finder->Abort();
            if (event == row.at) finder.reset();
        };
        finder->Execute();
        ASSERT_TRUE(PumpUntil([&] { return finder == nullptr; }));
        recorder.then = nullptr;
        EXPECT_EQ(recorder.events, expected);
        EXPECT_TRUE(PoisonedOnFree::Untouched());
    }
}
