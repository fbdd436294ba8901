#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SearchRecorder.h"
#include "common/TempDir.h"
#include "findfile/FindFile.h"
#include "findfile/Matching.h"
#include "ui/Error.h"

using namespace findfile;
using findfile_test::SearchRecorder;
using testing_support::TempDir;
using Events = std::vector<std::wstring>;

namespace {

class SearchTest : public ::testing::Test {
  protected:
    SearchTest() : recorder(dir.Path()) { recorder.Attach(finder); }

    // Searches the temporary folder (or what Location says) for the masks; returns the matches.
    Events Search(const std::wstring& masks) {
        TFileCriteria& files = finder.Criteria().Files();
        files.SetFileName(masks);
        if (files.Location().empty()) files.SetLocation(dir.Path());
        recorder.events.clear();
        finder.Execute();
        return recorder.Matches();
    }

    TempDir dir;
    TFindFile finder;
    SearchRecorder recorder;
};

}  // namespace

TEST_F(SearchTest, ReportsFilesBeforeSubfoldersWithMasksFromLastToFirst) {
    dir.Write(L"a.txt", "a");
    dir.Write(L"b.htm", "b");
    dir.Write(L"other.dat", "");
    dir.Write(L"sub\\c.txt", "c");
    dir.Write(L"sub\\d.htm", "d");
    dir.Write(L"sub\\deep\\e.txt", "e");

    Search(L"*.txt;*.htm");
    EXPECT_EQ(recorder.events,
              (Events{L"begin", L"folder ", L"match b.htm", L"match a.txt", L"folder sub\\",
                      L"match sub\\d.htm", L"match sub\\c.txt", L"folder sub\\deep\\",
                      L"match sub\\deep\\e.txt", L"finish"}));
    EXPECT_FALSE(finder.Busy());

    // A file that matches two masks is reported twice.
    EXPECT_EQ(Search(L"a*;*.txt"),
              (Events{L"a.txt", L"a.txt", L"sub\\c.txt", L"sub\\deep\\e.txt"}));
}

TEST_F(SearchTest, TheReportedFolderAndNameMakeTheFullPath) {
    dir.Write(L"with space\\\u00e9t\u00e9 \u4e2d.txt", "x");
    std::vector<std::wstring> paths;
    finder.OnFileMatch = [&](TFindFile& sender, const std::wstring& folder,
                             const TSearchRec& info) {
        EXPECT_EQ(&sender, &finder);
        EXPECT_EQ(folder.back(), L'\\');
        EXPECT_EQ(info.Size, 1u);
        EXPECT_EQ(info.FullSize(), 1u);
        EXPECT_EQ(info.Attr, info.FindData.dwFileAttributes);
        paths.push_back(folder + info.Name);
    };
    Search(L"*.txt");
    EXPECT_EQ(paths, Events{dir / L"with space\\\u00e9t\u00e9 \u4e2d.txt"});
    EXPECT_TRUE(testing_support::FileExists(paths.at(0)));
}

TEST_F(SearchTest, AFolderNamedTwiceIsOneTarget) {
    dir.Write(L"a.txt", "a");
    dir.Write(L"sub\\b.txt", "b");
    std::wstring upper = dir.Path();
    CharUpperW(upper.data());
    finder.Criteria().Files().SetLocation(dir.Path() + L";" + upper + L"\\");
    // One walk, each folder notified once, each file reported once per mask.
    Search(L"*.txt");
    EXPECT_EQ(recorder.events,
              (Events{L"begin", L"folder ", L"match a.txt", L"match a.txt", L"folder sub\\",
                      L"match sub\\b.txt", L"match sub\\b.txt", L"finish"}));
}

TEST_F(SearchTest, RecursionPrefixesOverrideSubfolders) {
    dir.Write(L"data\\a.txt", "");
    dir.Write(L"data\\sub\\b.txt", "");
    dir.Write(L"logs\\c.txt", "");
    dir.Write(L"logs\\sub\\d.txt", "");
    finder.Criteria().Files().SetSubfolders(false);
    finder.Criteria().Files().SetLocation(L"<" + (dir / L"data") + L";>" + (dir / L"logs"));
    EXPECT_EQ(Search(L"*.txt"), (Events{L"data\\a.txt", L"logs\\c.txt", L"logs\\sub\\d.txt"}));

    finder.Criteria().Files().SetLocation(dir / L"data");
    EXPECT_EQ(Search(L"*.txt"), (Events{L"data\\a.txt"}));
}

TEST_F(SearchTest, LevelsLimitWhichFilesAreReportedAndHowDeepTheWalkGoes) {
    dir.Write(L"a.txt", "");
    dir.Write(L"s\\b.txt", "");
    dir.Write(L"s\\t\\c.txt", "");
    struct Row {
        std::uint16_t minLevel, maxLevel;
        Events matches;
    } rows[] = {
        {0, 0, {L"a.txt", L"s\\b.txt", L"s\\t\\c.txt"}},
        {1, 0, {L"a.txt", L"s\\b.txt", L"s\\t\\c.txt"}},
        {2, 0, {L"s\\b.txt", L"s\\t\\c.txt"}},
        {0, 1, {L"a.txt"}},
        {0, 2, {L"a.txt", L"s\\b.txt"}},
        {2, 2, {L"s\\b.txt"}},
    };
    for (const Row& row : rows) {
        finder.Criteria().Files().SetMinLevel(row.minLevel);
        finder.Criteria().Files().SetMaxLevel(row.maxLevel);
        EXPECT_EQ(Search(L"*.txt"), row.matches) << row.minLevel << "-" << row.maxLevel;
    }

    // Shallower folders are still walked and notified, at their depth, within their target.
    finder.Criteria().Files().SetMinLevel(3);
    finder.Criteria().Files().SetMaxLevel(0);
    std::vector<std::pair<std::wstring, int>> levels;
    finder.OnFolderChange = [&](TFindFile& sender, const std::wstring& folder, TFolderIgnore&) {
        levels.emplace_back(recorder.Relative(folder), sender.CurrentLevel());
        EXPECT_EQ(sender.CurrentTarget()->FolderPath, dir.Path() + L"\\");
    };
    EXPECT_EQ(Search(L"*.txt"), Events{L"s\\t\\c.txt"});
    EXPECT_EQ(levels,
              (std::vector<std::pair<std::wstring, int>>{{L"", 1}, {L"s\\", 2}, {L"s\\t\\", 3}}));
    EXPECT_EQ(finder.CurrentLevel(), 0);
    EXPECT_EQ(finder.CurrentTarget(), nullptr);
}

TEST_F(SearchTest, FolderChangeAnswersSkipFilesOrSubfolders) {
    dir.Write(L"a.txt", "");
    dir.Write(L"s\\b.txt", "");
    dir.Write(L"s\\t\\c.txt", "");
    struct Row {
        TFolderIgnore answerForS;
        Events events;
    } rows[] = {
        {fiNone,
         {L"folder ", L"match a.txt", L"folder s\\", L"match s\\b.txt", L"folder s\\t\\",
          L"match s\\t\\c.txt"}},
        {fiJustThis,
         {L"folder ", L"match a.txt", L"folder s\\", L"folder s\\t\\", L"match s\\t\\c.txt"}},
        {fiJustSubfolders, {L"folder ", L"match a.txt", L"folder s\\", L"match s\\b.txt"}},
        {fiThisAndSubfolders, {L"folder ", L"match a.txt", L"folder s\\"}},
    };
    for (const Row& row : rows) {
        finder.OnFolderChange = [&](TFindFile&, const std::wstring& folder, TFolderIgnore& ignore) {
            recorder.events.push_back(L"folder " + recorder.Relative(folder));
            EXPECT_EQ(ignore, fiNone);
            if (recorder.Relative(folder) == L"s\\") ignore = row.answerForS;
        };
        Search(L"*.txt");
        Events expected = row.events;
        expected.insert(expected.begin(), L"begin");
        expected.push_back(L"finish");
        EXPECT_EQ(recorder.events, expected) << row.answerForS;
    }
}

TEST_F(SearchTest, AbortFromAHandlerStopsTheSearchAtOnce) {
    dir.Write(L"a1.txt", "");
    dir.Write(L"a2.txt", "");
    dir.Write(L"s\\b.txt", "");
    finder.OnFileMatch = [&](TFindFile& sender, const std::wstring&, const TSearchRec&) {
        recorder.events.push_back(L"match");
        sender.Abort();
        EXPECT_TRUE(sender.Aborted());
        EXPECT_TRUE(sender.Busy());
        sender.Abort();  // a second request adds nothing
    };
    Search(L"*.txt");
    EXPECT_EQ(recorder.events, (Events{L"begin", L"folder ", L"match", L"abort", L"finish"}));
    EXPECT_FALSE(finder.Busy());
    EXPECT_TRUE(finder.Aborted());

    // Abort without a search does nothing; the next search starts afresh.
    recorder.events.clear();
    finder.Abort();
    EXPECT_TRUE(recorder.events.empty());
    finder.OnFileMatch = nullptr;
    Search(L"*.txt");
    EXPECT_FALSE(finder.Aborted());
    EXPECT_EQ(recorder.events.back(), L"finish");
}

TEST_F(SearchTest, ExecuteWhileBusyStartsNothing) {
    dir.Write(L"a.txt", "");
    finder.OnFileMatch = [&](TFindFile& sender, const std::wstring&, const TSearchRec&) {
        recorder.events.push_back(L"match");
        sender.Execute();
    };
    finder.OnSearchFinish = [&](TFindFile& sender) {
        recorder.events.push_back(L"finish");
        EXPECT_TRUE(sender.Busy());
        sender.Execute();
    };
    Search(L"*.txt");
    EXPECT_EQ(recorder.events, (Events{L"begin", L"folder ", L"match", L"finish"}));
    EXPECT_FALSE(finder.Busy());
}

// A failing handler must not leave the component stuck in a search nobody can end.
TEST_F(SearchTest, AHandlerErrorEndsTheSearchThenReachesTheCaller) {
    dir.Write(L"a.txt", "");
    dir.Write(L"b.txt", "");
    finder.OnFileMatch = [&](TFindFile&, const std::wstring&, const TSearchRec&) {
        recorder.events.push_back(L"match");
        throw ui::Error(L"handler failed");
    };
    try {
        Search(L"*.txt");
        FAIL() << "the handler's error was lost";
    } catch (const ui::Error& error) {
        EXPECT_EQ(error.Message(), L"handler failed");
    }
    EXPECT_EQ(recorder.events, (Events{L"begin", L"folder ", L"match", L"finish"}));
    EXPECT_FALSE(finder.Busy());
    EXPECT_EQ(finder.CurrentTarget(), nullptr);

    finder.OnFileMatch = nullptr;
    finder.OnSearchBegin = [](TFindFile&) { throw ui::Error(L"begin failed"); };
    EXPECT_THROW(Search(L"*.txt"), ui::Error);
    EXPECT_FALSE(finder.Busy());
    finder.OnSearchBegin = nullptr;
    Search(L"*.txt");
    EXPECT_EQ(recorder.events.back(), L"finish");
}

TEST_F(SearchTest, AttributeCriteriaOnRealEntries) {
    dir.Write(L"plain.txt", "");
    const std::wstring readOnly = dir.Write(L"readonly.txt", "");
    dir.MakeDir(L"folder.txt");
    ASSERT_TRUE(SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    finder.Criteria().Files().SetSubfolders(false);
    const DWORD plainBits = GetFileAttributesW((dir / L"plain.txt").c_str()) & 0x37;

    // One mask per entry, so that the order does not depend on the platform's.
    const std::wstring masks = L"plain.txt;readonly.txt;folder.txt";
    EXPECT_EQ(Search(masks), (Events{L"readonly.txt", L"plain.txt"}));
    finder.Criteria().Attribute().SetAttributes(TFileAttributes::FromPlatform(plainBits));
    EXPECT_EQ(Search(masks), Events{L"plain.txt"});
    finder.Criteria().Attribute().SetAttributes({ffArchive, ffReadonly, ffDirectory});
    EXPECT_EQ(Search(masks), (Events{L"folder.txt", L"readonly.txt", L"plain.txt"}));
    finder.Criteria().Attribute().SetAttributes({ffDirectory});
    finder.Criteria().Attribute().SetExactMatch(true);
    EXPECT_EQ(Search(masks), Events{L"folder.txt"});
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(SearchTest, SizeAndDateBoundsOnRealFiles) {
    for (int size : {1023, 1024, 2048, 2049})
        dir.Write(std::to_wstring(size) + L".txt", std::string(std::size_t(size), 'x'));
    finder.Criteria().Size().SetMin(1024);
    finder.Criteria().Size().SetMax(2048);
    EXPECT_EQ(Search(L"1023.txt;1024.txt;2048.txt;2049.txt"), (Events{L"2048.txt", L"1024.txt"}));
    finder.Criteria().Size().SetMin(0);
    finder.Criteria().Size().SetMax(0);

    // Modified at 23:59 on 31 March (local time): a bound of that date includes it.
    const std::wstring late = dir.Write(L"late.log", "");
    SYSTEMTIME localTime{2021, 3, 0, 31, 23, 59, 0, 0};
    FILETIME local{};
    FILETIME utc{};
    SystemTimeToFileTime(&localTime, &local);
    LocalFileTimeToFileTime(&local, &utc);
    {
        HANDLE file =
            CreateFileW(late.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        SetFileTime(file, nullptr, nullptr, &utc);
        CloseHandle(file);
    }
    SYSTEMTIME march31{2021, 3, 0, 31, 0, 0, 0, 0};
    TDateTimeCriteria& times = finder.Criteria().TimeStamp();
    times.SetModifiedBefore(SystemTimeToDateTime(march31));
    std::int32_t packed = 0;
    finder.OnFileMatch = [&](TFindFile&, const std::wstring&, const TSearchRec& info) {
        recorder.events.push_back(L"match " + info.Name);
        packed = info.Time();
    };
    EXPECT_EQ(Search(L"*.log"), Events{L"late.log"});
    // The last-write time as a packed local date and time: 2021-03-31 23:59:00.
    EXPECT_EQ(packed,
              std::int32_t((((2021 - 1980) << 9 | 3 << 5 | 31) << 16) | (23 << 11 | 59 << 5)));
    times.SetModifiedBefore(SystemTimeToDateTime(march31) + 0.5);
    EXPECT_EQ(Search(L"*.log"), Events{});
}

TEST_F(SearchTest, ExclusionsApplyToFilesOnly) {
    dir.Write(L"a.txt", "");
    dir.Write(L"a.bak", "");
    dir.Write(L"temp\\b.txt", "");
    dir.Write(L"mytemp\\c.txt", "");
    dir.Write(L"temp\\sub\\d.txt", "");
    finder.Criteria().Files().SetExcluded({L"*.bak", L"temp\\"});
    // The excluded folder is still walked: its subfolder's file is reported.
    EXPECT_EQ(Search(L"a.*;b.txt;c.txt;d.txt"), (Events{L"a.txt", L"temp\\sub\\d.txt"}));
}

TEST_F(SearchTest, ContentPhraseSearch) {
    dir.Write(L"yes.txt", "this file holds the Needle somewhere");
    dir.Write(L"no.txt", "nothing here");
    dir.MakeDir(L"needle folder");
    finder.Criteria().Attribute().SetAttributes({ffArchive, ffDirectory});
    finder.Criteria().Content().SetPhrase("NEEDLE");
    finder.Criteria().Files().SetSubfolders(false);
    EXPECT_EQ(Search(L"*"), Events{L"yes.txt"});
    finder.Criteria().Content().SetIgnoreCase(false);
    EXPECT_EQ(Search(L"*"), Events{});
}

TEST_F(SearchTest, EmptyLocationPieceSearchesTheCurrentDirectory) {
    dir.Write(L"A\\a.txt", "");
    dir.Write(L"B\\b.txt", "");
    dir.Write(L"C\\c.txt", "");
    dir.Write(L"C\\sub\\d.txt", "");
    dir.Write(L"C\\x1.log", "");
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW((dir / L"C").c_str()));
    finder.Criteria().Files().SetLocation((dir / L"A") + L";;" + (dir / L"B"));
    finder.Criteria().Files().SetIncluded({L"x?.log"});
    std::vector<std::wstring> folders;
    finder.OnFolderChange = [&](TFindFile&, const std::wstring& folder, TFolderIgnore&) {
        folders.push_back(folder);
    };
    const Events matches = Search(L"*.txt");
    SetCurrentDirectoryW(previous);
    // The empty target (named by Location and by the Included line alike) is the current
    // directory, searched with an empty folder path.
    EXPECT_EQ(matches, (Events{L"c.txt", L"x1.log", L"sub\\d.txt", L"A\\a.txt", L"B\\b.txt"}));
    EXPECT_EQ(folders, (Events{L"", L"sub\\", dir / L"A\\", dir / L"B\\"}));
}

TEST_F(SearchTest, EmptyFileNameWalksButReportsOnlyIncludedMasks) {
    dir.Write(L"a.txt", "");
    dir.Write(L"inc\\b.txt", "");
    finder.Criteria().Files().SetIncluded({dir / L"inc\\*.txt"});
    Search(L"");
    EXPECT_EQ(recorder.events, (Events{L"begin", L"folder inc\\", L"match inc\\b.txt", L"folder ",
                                       L"folder inc\\", L"finish"}));
}
