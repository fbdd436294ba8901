#include <gtest/gtest.h>

#include "findfile/Matching.h"
#include "findfile/SearchCriteria.h"
#include "ui/Error.h"

using namespace findfile;

namespace {

TDateTime Local(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0, WORD second = 0) {
    SYSTEMTIME time{year, month, 0, day, hour, minute, second, 0};
    return SystemTimeToDateTime(time);
}

// The UTC file time of a local time, with the offset in force now (as the criteria convert).
FILETIME UtcOf(WORD year, WORD month, WORD day, WORD hour, WORD minute) {
    SYSTEMTIME time{year, month, 0, day, hour, minute, 0, 0};
    FILETIME local{};
    FILETIME utc{};
    SystemTimeToFileTime(&time, &local);
    LocalFileTimeToFileTime(&local, &utc);
    return utc;
}

}  // namespace

TEST(SearchCriteria, DefaultsAcceptFilesButNotFolders) {
    TSearchCriteria criteria;
    EXPECT_TRUE(criteria.Files().Subfolders());
    EXPECT_EQ(criteria.Files().MinLevel(), 0);
    EXPECT_EQ(criteria.Files().MaxLevel(), 0);
    EXPECT_TRUE(criteria.Content().IgnoreCase());
    EXPECT_EQ(criteria.Attribute().Attributes(),
              (TFileAttributes{ffArchive, ffReadonly, ffHidden, ffSystem}));
    EXPECT_EQ(criteria.Attribute().Attributes().ToPlatform(), 0x27u);

    const TAttributeCriteria& attribute = criteria.Attribute();
    EXPECT_TRUE(attribute.Matches(0));
    EXPECT_TRUE(attribute.Matches(FILE_ATTRIBUTE_NORMAL));
    EXPECT_TRUE(attribute.Matches(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY |
                                  FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    // Bits outside the five (temporary, reparse point) are not looked at.
    EXPECT_TRUE(attribute.Matches(FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_REPARSE_POINT));
    EXPECT_FALSE(attribute.Matches(FILE_ATTRIBUTE_DIRECTORY));
}

TEST(SearchCriteria, AttributeTestWithAndWithoutExactMatch) {
    const DWORD archive = FILE_ATTRIBUTE_ARCHIVE;
    const DWORD readOnly = FILE_ATTRIBUTE_READONLY;
    struct Row {
        TFileAttributes allowed;
        bool exact;
        DWORD entry;
        bool passes;
    } rows[] = {
        {{ffArchive}, false, archive | readOnly, false},
        {{ffArchive}, false, archive, true},
        {{ffArchive}, false, 0, true},
        {{ffArchive, ffReadonly}, true, archive | readOnly, true},
        {{ffArchive, ffReadonly}, true, archive | readOnly | FILE_ATTRIBUTE_TEMPORARY, true},
        {{ffArchive, ffReadonly}, true, archive, false},
        {{ffArchive, ffReadonly}, true, archive | readOnly | FILE_ATTRIBUTE_HIDDEN, false},
        {{ffDirectory}, true, FILE_ATTRIBUTE_DIRECTORY, true},
        {{ffDirectory, ffArchive}, false, FILE_ATTRIBUTE_DIRECTORY, true},
    };
    for (const Row& row : rows) {
        TAttributeCriteria criteria;
        criteria.SetAttributes(row.allowed);
        criteria.SetExactMatch(row.exact);
        EXPECT_EQ(criteria.Matches(row.entry), row.passes)
            << "set " << int(row.allowed.Mask()) << " exact " << row.exact << " entry "
            << row.entry;
    }
    EXPECT_EQ(TFileAttributes::FromPlatform(0x37 | FILE_ATTRIBUTE_TEMPORARY),
              (TFileAttributes{ffArchive, ffReadonly, ffHidden, ffSystem, ffDirectory}));
}

TEST(SearchCriteria, SizeBoundsAreInclusiveAndZeroIsNoBound) {
    TSizeCriteria size;
    EXPECT_TRUE(size.Matches(0));
    EXPECT_TRUE(size.Matches(0xFFFFFFFFu));
    size.SetMin(1024);
    size.SetMax(2048);
    EXPECT_FALSE(size.Matches(1023));
    EXPECT_TRUE(size.Matches(1024));
    EXPECT_TRUE(size.Matches(2048));
    EXPECT_FALSE(size.Matches(2049));
    size.SetMax(0);
    EXPECT_TRUE(size.Matches(0xFFFFFFFFu));
}

TEST(SearchCriteria, AssignCopiesEveryPropertyAndRefusesOtherClasses) {
    TSearchCriteria source;
    source.Files().SetFileName(L"*.txt");
    source.Files().SetLocation(L"C:\\Data");
    source.Files().SetIncluded({L">C:\\Docs\\*.rtf"});
    source.Files().SetExcluded({L"*.bak"});
    source.Files().SetSubfolders(false);
    source.Files().SetMinLevel(2);
    source.Files().SetMaxLevel(5);
    source.Attribute().SetAttributes({ffDirectory});
    source.Attribute().SetExactMatch(true);
    source.TimeStamp().SetAccessedAfter(3.5);
    source.TimeStamp().SetCreatedBefore(7);
    source.Size().SetMin(10);
    source.Size().SetMax(20);
    source.Content().SetIgnoreCase(false);
    source.Content().SetPhrase("Hello");

    TSearchCriteria copy;
    copy.Assign(source);
    EXPECT_EQ(copy.Files().FileName(), L"*.txt");
    EXPECT_EQ(copy.Files().Location(), L"C:\\Data");
    EXPECT_EQ(copy.Files().Included(), TStringList{L">C:\\Docs\\*.rtf"});
    EXPECT_EQ(copy.Files().Excluded(), TStringList{L"*.bak"});
    EXPECT_FALSE(copy.Files().Subfolders());
    EXPECT_EQ(copy.Files().MinLevel(), 2);
    EXPECT_EQ(copy.Files().MaxLevel(), 5);
    EXPECT_EQ(copy.Attribute().Attributes(), TFileAttributes{ffDirectory});
    EXPECT_TRUE(copy.Attribute().ExactMatch());
    EXPECT_EQ(copy.TimeStamp().AccessedAfter(), 3.5);
    EXPECT_EQ(copy.TimeStamp().CreatedBefore(), 7);
    EXPECT_EQ(copy.Size().Min(), 10u);
    EXPECT_EQ(copy.Size().Max(), 20u);
    EXPECT_EQ(copy.Content().Phrase(), "Hello");
    EXPECT_FALSE(copy.Content().IgnoreCase());
    EXPECT_EQ(copy.Content().SearchPhrase(), "Hello");
    EXPECT_EQ(copy.Content().PhraseLength(), 5);

    // Setting a part copies it: the argument stays the caller's.
    TSizeCriteria size;
    size.SetMin(99);
    copy.SetSize(size);
    size.SetMin(1);
    EXPECT_EQ(copy.Size().Min(), 99u);

    try {
        copy.Files().Assign(source.Size());
        FAIL() << "assigned a size criteria to a file criteria";
    } catch (const ui::AssignError& error) {
        EXPECT_EQ(error.Message(), L"Cannot assign a TSizeCriteria to a TFileCriteria");
    }
    EXPECT_THROW(copy.Assign(source.Files()), ui::AssignError);
    EXPECT_EQ(copy.Files().FileName(), L"*.txt");
}

TEST(SearchCriteria, SearchPhraseFoldsAsciiOnlyAndFollowsIgnoreCase) {
    TContentCriteria content;
    EXPECT_EQ(content.PhraseLength(), 0);
    content.SetPhrase("Caf\xC9 ABC");
    EXPECT_EQ(content.PhraseLength(), 8);
    EXPECT_EQ(content.SearchPhrase(), "caf\xC9 abc");
    content.SetIgnoreCase(false);
    EXPECT_EQ(content.SearchPhrase(), "Caf\xC9 ABC");
    content.SetIgnoreCase(true);
    content.SetPhrase("XY");
    EXPECT_EQ(content.SearchPhrase(), "xy");
    EXPECT_EQ(content.PhraseLength(), 2);
    // An empty phrase passes every file without opening it, even one that does not exist.
    content.SetPhrase("");
    EXPECT_TRUE(content.Matches(L"C:\\no such folder\\no such file.txt"));
}

TEST(DateTime, EncodesDaysSince1899WithMilliseconds) {
    EXPECT_EQ(Local(1899, 12, 30), 0.0);
    EXPECT_EQ(Local(1900, 1, 1), 2.0);
    EXPECT_EQ(Local(2000, 1, 1), 36526.0);
    EXPECT_EQ(Local(2024, 2, 29, 12), 45351.5);
    SYSTEMTIME withMilliseconds{2000, 1, 0, 1, 0, 0, 1, 500};
    EXPECT_DOUBLE_EQ(SystemTimeToDateTime(withMilliseconds), 36526.0 + 1.5 / 86400);

    // A file time comes back in local time, whatever the offset of the test machine.
    EXPECT_DOUBLE_EQ(FileTimeToLocalDateTime(UtcOf(2021, 3, 31, 23, 59)),
                     Local(2021, 3, 31, 23, 59));
}

TEST(DateTime, BoundsOfDateOnlyTimeOnlyAndBoth) {
    const TDateTime lateOnMarch31 = Local(2021, 3, 31, 23, 59);
    const TDateTime march31 = Local(2021, 3, 31);
    const TDateTime eight = 8.0 / 24;
    struct Row {
        TDateTime value, before, after;
        bool inRange;
    } rows[] = {
        {lateOnMarch31, 0, 0, true},
        {lateOnMarch31, march31, 0, true},  // a date-only bound includes the whole day
        {lateOnMarch31, march31 + 0.5, 0, false},
        {lateOnMarch31, march31 - 1, 0, false},
        {lateOnMarch31, 0, march31, true},
        {lateOnMarch31, 0, march31 + 1, false},
        {Local(2021, 3, 31, 7, 59), 0, eight, false},  // time only: on any date
        {Local(1999, 7, 1, 8, 0), 0, eight, true},
        {Local(2021, 3, 31, 9, 0), eight, 0, false},
        {Local(2021, 3, 31, 12), march31 + 0.75, march31 + 0.25, true},
        {Local(2021, 3, 31, 12), march31, march31, true},
        {Local(2021, 4, 1, 12), march31, march31, false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(DateTimeInRange(row.value, row.before, row.after), row.inRange)
            << row.value << " before " << row.before << " after " << row.after;
}

TEST(DateTime, EachPairTestsItsOwnTime) {
    const FILETIME created = UtcOf(2020, 1, 10, 10, 0);
    const FILETIME modified = UtcOf(2021, 3, 31, 23, 59);
    const FILETIME accessed = UtcOf(2022, 6, 15, 7, 30);
    TDateTimeCriteria criteria;
    EXPECT_TRUE(criteria.Matches(created, modified, accessed));
    criteria.SetModifiedBefore(Local(2021, 3, 31));
    EXPECT_TRUE(criteria.Matches(created, modified, accessed));
    criteria.SetModifiedBefore(Local(2021, 3, 31, 12));
    EXPECT_FALSE(criteria.Matches(created, modified, accessed));
    criteria.SetModifiedBefore(0);

    criteria.SetCreatedAfter(Local(2020, 1, 10));
    criteria.SetCreatedBefore(Local(2020, 1, 10));
    EXPECT_TRUE(criteria.Matches(created, modified, accessed));
    criteria.SetCreatedAfter(8.0 / 24);  // time only: created at 10:00 passes
    EXPECT_TRUE(criteria.Matches(created, modified, accessed));
    criteria.SetAccessedAfter(8.0 / 24);  // accessed at 07:30 fails
    EXPECT_FALSE(criteria.Matches(created, modified, accessed));
    EXPECT_TRUE(criteria.Matches(created, modified, UtcOf(2022, 6, 15, 8, 0)));
}
