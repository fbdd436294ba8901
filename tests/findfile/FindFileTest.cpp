#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "SearchRecorder.h"
#include "common/TempDir.h"
#include "findfile/FindFile.h"
#include "base/Error.h"
#include "base/Handle.h"

using namespace findfile;
using findfile_test::Events;
using findfile_test::SearchRecorder;
using testing_support::TempDir;

namespace {

class SearchTest : public ::testing::Test {
  protected:
    SearchTest() : recorder(dir.Path()) {
        recorder.Attach(finder);
        dir.Write(L"a.txt", "a");
        dir.Write(L"s\\b.txt", "b");
        dir.Write(L"s\\t\\c.txt", "c");
        finder.Criteria().Files().SetLocation(dir.Path());
        finder.Criteria().Files().SetFileName(L"*.txt");
    }

    // Runs the search; returns all events but the first and the last (begin and finish).
    Events Search() {
        recorder.events.clear();
        finder.Execute();
        if (recorder.events.size() < 2) {
            ADD_FAILURE() << "a search without its begin and finish";
            return {};
        }
        EXPECT_EQ(recorder.events.front(), L"begin");
        EXPECT_EQ(recorder.events.back(), L"finish");
        EXPECT_FALSE(finder.Busy());
        return Events(recorder.events.begin() + 1, recorder.events.end() - 1);
    }

    TempDir dir;
    TFindFile finder;
    SearchRecorder recorder;
};

}  // namespace

TEST_F(SearchTest, ReportsFilesBeforeSubfoldersWithMasksFromLastToFirst) {
    dir.Write(L"b.htm", "");
    dir.Write(L"s\\\u00e9t\u00e9 \u4e2d.htm", "");
    finder.Criteria().Files().SetFileName(L"*.txt;*.htm;a*");
    // A file that matches two masks is reported twice.
    EXPECT_EQ(Search(), (Events{L"folder ", L"match a.txt", L"match b.htm", L"match a.txt",
                                L"folder s\\", L"match s\\\u00e9t\u00e9 \u4e2d.htm",
                                L"match s\\b.txt", L"folder s\\t\\", L"match s\\t\\c.txt"}));
}

TEST_F(SearchTest, LevelsLimitWhichFilesAreReportedAndHowDeepTheWalkGoes) {
    struct Row {
        std::uint16_t minLevel, maxLevel;
        Events matches;
    } rows[] = {
        {1, 0, {L"a.txt", L"s\\b.txt", L"s\\t\\c.txt"}},
        {2, 0, {L"s\\b.txt", L"s\\t\\c.txt"}},  // shallower folders are still walked
        {0, 1, {L"a.txt"}},
        {2, 2, {L"s\\b.txt"}},
    };
    for (const Row& row : rows) {
        finder.Criteria().Files().SetMinLevel(row.minLevel);
        finder.Criteria().Files().SetMaxLevel(row.maxLevel);
        Search();
        EXPECT_EQ(recorder.Matches(), row.matches) << row.minLevel << "-" << row.maxLevel;
    }
}

// A sparse file of 4 GiB + 1 KiB is compared by its whole size, not by its low 32 bits (1 KiB).
TEST_F(SearchTest, SizeBoundsCompareTheWholeSize) {
    const std::wstring huge = dir / L"s\\t\\huge.txt";
    {
        base::FileHandle file(
            CreateFileW(huge.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        LARGE_INTEGER size{};
        size.QuadPart = (1LL << 32) + 1024;
        ASSERT_TRUE(SetFilePointerEx(file.Get(), size, nullptr, FILE_BEGIN));
        ASSERT_TRUE(SetEndOfFile(file.Get()));
    }
    struct Row {
        std::uint32_t min, max;
        Events matches;
    } rows[] = {{0, 2048, {L"a.txt", L"s\\b.txt", L"s\\t\\c.txt"}}, {2048, 0, {L"s\\t\\huge.txt"}}};
    for (const Row& row : rows) {
        finder.Criteria().Size().SetMin(row.min);
        finder.Criteria().Size().SetMax(row.max);
        Search();
        EXPECT_EQ(recorder.Matches(), row.matches) << row.min << "-" << row.max;
    }
}

TEST_F(SearchTest, FolderChangeAnswersSkipFilesOrSubfolders) {
    struct Row {
        TFolderIgnore answerForS;
        Events events;
    } rows[] = {
        {fiJustThis, {L"", L"a.txt", L"s\\", L"s\\t\\", L"s\\t\\c.txt"}},
        {fiJustSubfolders, {L"", L"a.txt", L"s\\", L"s\\b.txt"}},
        {fiThisAndSubfolders, {L"", L"a.txt", L"s\\"}},
    };
    for (const Row& row : rows) {
        Events events;
        finder.OnFolderChange = [&](TFindFile& sender, const std::wstring& folder,
                                    TFolderIgnore& ignore) {
            const std::wstring relative = recorder.Relative(folder);
            events.push_back(relative);
            EXPECT_EQ(sender.CurrentLevel(),
                      1 + std::count(relative.begin(), relative.end(), L'\\'));
            if (relative == L"s\\") ignore = row.answerForS;
        };
        finder.OnFileMatch = [&](TFindFile&, const std::wstring& folder, const TSearchRec& info) {
            events.push_back(recorder.Relative(folder) + info.Name);
        };
        finder.Execute();
        EXPECT_EQ(events, row.events) << row.answerForS;
    }
}

TEST_F(SearchTest, AbortFromAHandlerStopsTheSearchAtOnce) {
    finder.OnFileMatch = [&](TFindFile& sender, const std::wstring&, const TSearchRec&) {
        recorder.events.push_back(L"match");
        sender.Abort();
        sender.Abort();  // a second request adds nothing
    };
    EXPECT_EQ(Search(), (Events{L"folder ", L"match", L"abort"}));
    EXPECT_TRUE(finder.Aborted());
    // The next search starts afresh.
    recorder.Attach(finder);
    EXPECT_EQ(Search().size(), 6u);
    EXPECT_FALSE(finder.Aborted());
}

TEST_F(SearchTest, ExecuteWhileBusyStartsNothing) {
    finder.Criteria().Files().SetSubfolders(false);
    finder.OnFileMatch = [&](TFindFile& sender, const std::wstring&, const TSearchRec&) {
        sender.Execute();
    };
    finder.OnSearchFinish = [&](TFindFile& sender) {
        recorder.events.push_back(L"finish");
        EXPECT_TRUE(sender.Busy());
        sender.Execute();
    };
    EXPECT_EQ(Search(), Events{L"folder "});
}

// A failing handler must not leave the component stuck in a search nobody can end.
TEST_F(SearchTest, AHandlerErrorEndsTheSearchThenReachesTheCaller) {
    finder.OnFileMatch = [&](TFindFile&, const std::wstring&, const TSearchRec&) {
        recorder.events.push_back(L"match");
        throw base::Error(L"handler failed");
    };
    EXPECT_THROW(Search(), base::Error);
    EXPECT_EQ(recorder.events, (Events{L"begin", L"folder ", L"match", L"finish"}));
    EXPECT_FALSE(finder.Busy());
    EXPECT_EQ(finder.CurrentTarget(), nullptr);
    recorder.Attach(finder);
    EXPECT_EQ(Search().size(), 6u);
}

TEST_F(SearchTest, EmptyLocationPieceSearchesTheCurrentDirectory) {
    dir.Write(L"x1.log", "");
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(dir.Path().c_str()));
    finder.Criteria().Files().SetLocation((dir / L"s\\t") + L";;" + (dir / L"s"));
    finder.Criteria().Files().SetIncluded({L"x?.log"});
    finder.Criteria().Files().SetMaxLevel(2);
    Events paths;
    finder.OnFileMatch = [&](TFindFile&, const std::wstring& folder, const TSearchRec& info) {
        paths.push_back(folder + info.Name);
    };
    finder.Execute();
    SetCurrentDirectoryW(previous);
    // The empty target (named by Location and by the Included line alike) is searched with an
    // empty folder path, its subfolders with relative ones.
    EXPECT_EQ(paths, (Events{L"a.txt", L"x1.log", L"s\\b.txt", dir / L"s\\t\\c.txt",
                             dir / L"s\\b.txt", dir / L"s\\t\\c.txt"}));
}
