#include <gtest/gtest.h>

#include "findfile/TargetSearch.h"

using namespace findfile;

TEST(TargetSearch, SplitListKeepsEmptyPiecesButNoTrailingOne) {
    EXPECT_EQ(SplitList(L"a;;b"), (TStringList{L"a", L"", L"b"}));
    EXPECT_EQ(SplitList(L" a ;"), TStringList{L" a "});
    EXPECT_EQ(SplitList(L";"), TStringList{L""});
    EXPECT_EQ(SplitList(L""), TStringList{});
}

TEST(TargetSearch, OneTargetPerFolderInTheOrderFirstNamed) {
    TSearchCriteria criteria;
    TFileCriteria& files = criteria.Files();
    files.SetFileName(L"*.txt;*.htm");
    files.SetLocation(L"<C:\\Data;>C:\\Logs;C:\\Plain;c:\\data\\");
    files.SetIncluded({L">C:\\Docs\\*.rtf", L"<C:\\Logs\\*.log"});
    files.SetSubfolders(false);
    files.SetMinLevel(2);

    const TTargetSearch job(criteria);
    struct Expected {
        const wchar_t* folder;
        bool recursive;
        TStringList masks;
    } expected[] = {
        // New targets go to the front; the search takes them from the end.
        {L"C:\\Plain\\", false, {L"*.txt", L"*.htm"}},
        // Named twice (in another case and with a separator): one target, masks twice.
        {L"C:\\Data\\", false, {L"*.txt", L"*.htm", L"*.txt", L"*.htm"}},
        // Named by an Included line and by Location: masks of both, the later prefix wins.
        {L"C:\\Logs\\", true, {L"*.log", L"*.txt", L"*.htm"}},
        {L"C:\\Docs\\", true, {L"*.rtf"}},
    };
    ASSERT_EQ(job.TargetFolders.Count(), 4);
    for (int i = 0; i < 4; ++i) {
        const TTargetFolder& target = job.TargetFolders[i];
        EXPECT_EQ(target.FolderPath, expected[i].folder);
        EXPECT_EQ(target.Recursive, expected[i].recursive) << expected[i].folder;
        EXPECT_EQ(target.FileMasks, expected[i].masks) << expected[i].folder;
        EXPECT_EQ(target.MinLevel, 2);
    }
    // Without a prefix, Subfolders decides.
    files.SetSubfolders(true);
    const TTargetSearch again(criteria);
    ASSERT_EQ(again.TargetFolders.Count(), 4);
    EXPECT_TRUE(again.TargetFolders[0].Recursive);
}

TEST(TargetSearch, KeepsItsOwnCopiesAndNeverContentTestsFolders) {
    TSearchCriteria criteria;
    criteria.Attribute().SetAttributes({ffArchive, ffDirectory});
    criteria.Content().SetPhrase("x");
    const TTargetSearch job(criteria);
    EXPECT_EQ(job.Attribute.Attributes(), TFileAttributes{ffArchive});
    EXPECT_TRUE(criteria.Attribute().Attributes().Contains(ffDirectory));
    // No Location and no Included line: nothing to search.
    EXPECT_EQ(job.TargetFolders.Count(), 0);
}
