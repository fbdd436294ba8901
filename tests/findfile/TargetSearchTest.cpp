#include <gtest/gtest.h>

#include "findfile/TargetSearch.h"

using namespace findfile;

TEST(SplitList, PiecesAreNeitherTrimmedNorMerged) {
    struct Row {
        const wchar_t* text;
        TStringList pieces;
    } rows[] = {
        {L"", {}},       {L"a", {L"a"}}, {L"a;;b", {L"a", L"", L"b"}},
        {L"a;", {L"a"}}, {L";", {L""}},  {L" a ; a", {L" a ", L" a"}},
    };
    for (const Row& row : rows) EXPECT_EQ(SplitList(row.text), row.pieces) << row.text;
}

TEST(TargetFolderList, OneTargetPerFolderWithTheNewestInFront) {
    TTargetFolderList targets;
    TTargetFolder& data = targets.AddFolder(L"C:\\Data");
    EXPECT_EQ(data.FolderPath, L"C:\\Data\\");
    EXPECT_EQ(&targets.AddFolder(L"c:\\data\\"), &data);
    EXPECT_EQ(&targets.AddFolder(L"C:\\Data\\Sub\\..\\."), &data);
    targets.AddFolder(L"D:\\");
    ASSERT_EQ(targets.Count(), 2);
    EXPECT_EQ(targets[0].FolderPath, L"D:\\");
    EXPECT_EQ(targets.IndexOfFolder(L"C:\\DATA\\"), 1);
    EXPECT_EQ(targets.IndexOfFolder(L"C:\\Data"), -1);
    EXPECT_EQ(&targets[1], &data);  // targets stay put while the list grows

    // Relative paths are resolved against the current directory; an empty one stays empty.
    wchar_t current[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, current);
    std::wstring expected = current;
    if (expected.back() != L'\\') expected += L'\\';
    EXPECT_EQ(targets.AddFolder(L"rel").FolderPath, expected + L"rel\\");
    EXPECT_EQ(targets.AddFolder(L"").FolderPath, L"");
}

TEST(TargetSearch, BuildsTargetsFromIncludedAndLocationInOrder) {
    TSearchCriteria criteria;
    TFileCriteria& files = criteria.Files();
    files.SetFileName(L"*.txt;*.htm");
    files.SetLocation(L"<C:\\Data;>C:\\Logs;C:\\Plain");
    files.SetIncluded({L">C:\\Docs\\*.rtf", L"<C:\\Logs\\*.log"});
    files.SetExcluded({L"*.bak", L"temp\\"});
    files.SetSubfolders(false);
    files.SetMinLevel(2);
    files.SetMaxLevel(4);

    const TTargetSearch job(criteria);
    const TTargetFolderList& targets = job.TargetFolders;
    EXPECT_EQ(targets.ExcludedFiles, files.Excluded());
    struct Expected {
        const wchar_t* folder;
        bool recursive;
        TStringList masks;
    } expected[] = {
        // First added last in the list: the search takes them from the end.
        {L"C:\\Plain\\", false, {L"*.txt", L"*.htm"}},
        {L"C:\\Data\\", false, {L"*.txt", L"*.htm"}},
        // Named by an Included line and by Location: masks of both, the later prefix wins.
        {L"C:\\Logs\\", true, {L"*.log", L"*.txt", L"*.htm"}},
        {L"C:\\Docs\\", true, {L"*.rtf"}},
    };
    ASSERT_EQ(targets.Count(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(targets[i].FolderPath, expected[i].folder);
        EXPECT_EQ(targets[i].Recursive, expected[i].recursive) << expected[i].folder;
        EXPECT_EQ(targets[i].FileMasks, expected[i].masks) << expected[i].folder;
        EXPECT_EQ(targets[i].MinLevel, 2);
        EXPECT_EQ(targets[i].MaxLevel, 4);
    }
    EXPECT_TRUE(job.TargetFolders.IsExcluded(L"C:\\x\\temp\\", L"a.txt"));
    EXPECT_TRUE(job.TargetFolders.IsExcluded(L"C:\\x\\", L"a.bak"));
    EXPECT_FALSE(job.TargetFolders.IsExcluded(L"C:\\x\\", L"a.txt"));

    // Without a prefix, Subfolders decides.
    files.SetSubfolders(true);
    EXPECT_TRUE(TTargetSearch(criteria).TargetFolders[0].Recursive);
}

TEST(TargetSearch, CopiesTheCriteriaAndNeverContentTestsFolders) {
    TSearchCriteria criteria;
    criteria.Attribute().SetAttributes({ffArchive, ffDirectory});
    criteria.Size().SetMin(5);
    EXPECT_TRUE(TTargetSearch(criteria).Attribute.Attributes().Contains(ffDirectory));

    criteria.Content().SetPhrase("x");
    TTargetSearch job(criteria);
    EXPECT_EQ(job.Attribute.Attributes(), TFileAttributes{ffArchive});
    EXPECT_EQ(job.Content.SearchPhrase(), "x");
    // The job keeps its own copies: later changes do not reach a running search.
    criteria.Size().SetMin(50);
    EXPECT_EQ(job.Size.Min(), 5u);
    EXPECT_TRUE(criteria.Attribute().Attributes().Contains(ffDirectory));

    // No Location and no Included line: nothing to search.
    EXPECT_EQ(job.TargetFolders.Count(), 0);
}
