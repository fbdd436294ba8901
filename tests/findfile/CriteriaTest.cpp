#include <gtest/gtest.h>

#include "findfile/Matching.h"
#include "findfile/SearchCriteria.h"
#include "base/Error.h"

using namespace findfile;

namespace {

SYSTEMTIME Time(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0) {
    return SYSTEMTIME{year, month, 0, day, hour, minute, 0, 0};
}

TDateTime Local(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0) {
    return SystemTimeToDateTime(Time(year, month, day, hour, minute));
}

// The UTC file time of a local time, with the offset in force now (as the criteria convert).
FILETIME UtcOf(WORD year, WORD month, WORD day, WORD hour, WORD minute) {
    const SYSTEMTIME time = Time(year, month, day, hour, minute);
    FILETIME local{}, utc{};
    SystemTimeToFileTime(&time, &local);
    LocalFileTimeToFileTime(&local, &utc);
    return utc;
}

}  // namespace

TEST(SearchCriteria, AttributeTestWithAndWithoutExactMatch) {
    const TFileAttributes defaults = TAttributeCriteria().Attributes();
    EXPECT_EQ(defaults, (TFileAttributes{ffArchive, ffReadonly, ffHidden, ffSystem}));
    const DWORD archive = FILE_ATTRIBUTE_ARCHIVE, readOnly = FILE_ATTRIBUTE_READONLY;
    struct Row {
        TFileAttributes allowed;
        bool exact;
        DWORD entry;
        bool passes;
    } rows[] = {
        {defaults, false, 0, true},
        // Bits outside the five (temporary, reparse point) are not looked at.
        {defaults, false, 0x27 | FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_REPARSE_POINT, true},
        {defaults, false, FILE_ATTRIBUTE_DIRECTORY, false},  // folders only when asked for
        {{ffArchive}, false, archive | readOnly, false},
        {{ffArchive}, false, archive, true},
        {{ffArchive, ffReadonly}, true, archive | readOnly | FILE_ATTRIBUTE_TEMPORARY, true},
        {{ffArchive, ffReadonly}, true, archive, false},
        {{ffDirectory}, true, FILE_ATTRIBUTE_DIRECTORY, true},
    };
    for (const Row& row : rows) {
        TAttributeCriteria criteria;
        criteria.SetAttributes(row.allowed);
        criteria.SetExactMatch(row.exact);
        EXPECT_EQ(criteria.Matches(row.entry), row.passes)
            << int(row.allowed.Mask()) << " exact " << row.exact << " entry " << row.entry;
    }
}

TEST(SearchCriteria, SizeBoundsAreInclusiveAndZeroIsNoBound) {
    TSizeCriteria size;
    EXPECT_TRUE(size.Matches(0) && size.Matches(0xFFFFFFFFu));
    size.SetMin(1024);
    size.SetMax(2048);
    EXPECT_TRUE(size.Matches(1024) && size.Matches(2048));
    EXPECT_FALSE(size.Matches(1023) || size.Matches(2049));
    EXPECT_FALSE(size.Matches((1ull << 32) + 1024));  // not taken for its low 32 bits
    // An empty phrase passes every file without opening it, even one that does not exist.
    EXPECT_TRUE(TContentCriteria().Matches(L"C:\\no such folder\\no such file.txt"));
}

TEST(SearchCriteria, AssignCopiesAndRefusesOtherClasses) {
    TSearchCriteria source;
    source.Files().SetIncluded({L">C:\\Docs\\*.rtf"});
    source.TimeStamp().SetAccessedAfter(3.5);
    source.Content().SetIgnoreCase(false);
    source.Content().SetPhrase("Hello");
    TSearchCriteria copy;
    copy.Assign(source);
    EXPECT_EQ(copy.Files().Included(), TStringList{L">C:\\Docs\\*.rtf"});
    EXPECT_EQ(copy.TimeStamp().AccessedAfter(), 3.5);
    EXPECT_EQ(copy.Content().SearchPhrase(), "Hello");  // not folded: IgnoreCase came along

    // Setting a part copies it: the argument stays the caller's.
    TSizeCriteria size;
    size.SetMin(99);
    copy.SetSize(size);
    size.SetMin(1);
    EXPECT_EQ(copy.Size().Min(), 99u);

    try {
        copy.Files().Assign(source.Size());
        FAIL() << "assigned a size criteria to a file criteria";
    } catch (const base::AssignError& error) {
        EXPECT_EQ(error.Message(), L"Cannot assign a TSizeCriteria to a TFileCriteria");
    }
}

TEST(DateTime, BoundsOfDateOnlyTimeOnlyAndBoth) {
    EXPECT_EQ(Local(1899, 12, 30), 0.0);
    EXPECT_EQ(Local(2024, 2, 29, 12), 45351.5);
    EXPECT_DOUBLE_EQ(FileTimeToLocalDateTime(UtcOf(2021, 3, 31, 23, 59)),
                     Local(2021, 3, 31, 23, 59));

    const TDateTime late = Local(2021, 3, 31, 23, 59), march31 = Local(2021, 3, 31);
    const TDateTime eight = 8.0 / 24;
    struct Row {
        TDateTime value, before, after;
        bool inRange;
    } rows[] = {
        {late, march31, 0, true},  // a date-only bound includes the whole day
        {late, march31 + 0.5, 0, false},
        {late, 0, march31 + 1, false},
        {Local(2021, 3, 31, 7, 59), 0, eight, false},  // time only: on any date
        {Local(1999, 7, 1, 8, 0), 0, eight, true},
        {Local(2021, 3, 31, 12), march31 + 0.75, march31 + 0.25, true},
    };
    for (const Row& row : rows)
        EXPECT_EQ(DateTimeInRange(row.value, row.before, row.after), row.inRange)
            << row.value << " before " << row.before << " after " << row.after;
}
