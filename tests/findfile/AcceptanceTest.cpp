// What decides whether an entry is reported: name masks, exclusion entries and date pairs, each
// through the acceptance test a search applies, and the exclusions through a real search.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/TempDir.h"
#include "findfile/FindFile.h"
#include "findfile/Matching.h"
#include "findfile/TargetSearch.h"

using namespace findfile;
using testing_support::TempDir;

namespace {

TSearchRec Entry(const std::wstring& name) {
    TSearchRec entry;
    entry.Name = name;
    entry.Attr = FILE_ATTRIBUTE_ARCHIVE;
    return entry;
}

// Noon of a day, local time, as the UTC file time the platform reports.
FILETIME NoonOf(WORD day) {
    const SYSTEMTIME time{2020, 1, 0, day, 12, 0, 0, 0};
    FILETIME local{}, utc{};
    SystemTimeToFileTime(&time, &local);
    LocalFileTimeToFileTime(&local, &utc);
    return utc;
}

}  // namespace

TEST(Matching, QuestionMarksStarsAndMasksLongerThanTheName) {
    struct Row {
        const wchar_t *name, *mask;
        bool byWildcard;  // WildcardMatch on the whole strings
        bool byMask;      // FileNameMatchesMask
    } rows[] = {
        {L"abc", L"a*z", true, true},  // "*" ends the comparison with success
        {L"abc", L"?b?", true, true},
        {L"abc", L"ab?", true, true},   // "?" at the end takes the name's last character
        {L"abc", L"abc?", true, true},  // ...and past the name's end matches nothing
        {L"ab", L"ab??*", true, true},  // a longer mask of wildcards only
        {L"ab", L"abcd", false, false},
        {L"ab", L"ab?d", false, false},  // a literal after the wildcards is left over
        {L"ac", L"a?c", false, false},
        {L"abc", L"ab", false, false},  // the name is longer than the mask
        {L"abc", L"?", false, false},
        {L"README.TXT", L"readme", false, true},  // no mask extension: the name's is not examined
        {L"a.txt", L"*.", true, false},           // mask extension "." against ".txt"
        {L"a", L"*.", true, true},                // no name extension stands as "."
        {L"a", L"*.*", true, true},
        {L"a.html", L"*.htm", true, false},  // the program's own matcher: no short names
        {L"a.htm", L"*.htm?", true, true},
        {L"a.html", L"*.ht?", true, false},
        {L"a.b.c", L"*.c", true, true},  // only the last dot starts the extension
        {L"a.b.c", L"a.b.?", true, true},
        {L"\u00e9.txt", L"\u00c9.txt", false, false},  // ASCII letters only fold
    };
    for (const Row& row : rows) {
        EXPECT_EQ(WildcardMatch(row.name, row.mask), row.byWildcard) << row.name << " " << row.mask;
        EXPECT_EQ(FileNameMatchesMask(row.name, row.mask), row.byMask)
            << row.name << " " << row.mask;
    }
}

TEST(Acceptance, AnyExcludedEntryLeavesTheFileOut) {
    TSearchCriteria criteria;
    criteria.Files().SetExcluded({L"*.bak", L"temp\\", L"C:\\Old\\*.txt", L"?:\\Cache\\*.tmp"});
    const TTargetSearch job(criteria);
    struct Row {
        const wchar_t *folder, *name;
        bool accepted;
    } rows[] = {
        {L"D:\\a\\", L"x.BAK", false},  // only the first line excludes it
        {L"C:\\work\\temp\\", L"a.txt", false},
        {L"C:\\work\\mytemp\\", L"a.txt", false},  // a suffix of the folder, not a component
        {L"c:\\old\\", L"a.txt", false},
        {L"E:\\Cache\\", L"a.tmp", false},  // only the last line excludes it
        {L"C:\\work\\temp\\sub\\", L"a.txt", true},
        {L"D:\\Old\\", L"a.txt", true},
        {L"C:\\Cache\\", L"a.tmpx", true},
        {L"C:\\", L"bak", true},
    };
    for (const Row& row : rows)
        EXPECT_EQ(job.IsAcceptable(row.folder, Entry(row.name)), row.accepted)
            << row.folder << row.name;
}

// Exclusion applies to files: an excluded folder is still walked, and its subfolders' files are
// reported unless an entry names their own folder.
TEST(Acceptance, ASearchReportsNoExcludedFileAndStillWalksExcludedFolders) {
    TempDir dir;
    for (const wchar_t* name : {L"a.txt", L"a.bak", L"temp\\t.txt", L"temp\\sub\\s.txt",
                                L"mytemp\\m.txt", L"keep\\k.txt", L"keep\\k.bak"})
        dir.Write(name, "x");
    TFindFile finder;
    finder.Criteria().Files().SetLocation(dir.Path());
    finder.Criteria().Files().SetFileName(L"*.*");
    finder.Criteria().Files().SetExcluded({L"*.bak", L"temp\\"});
    std::vector<std::wstring> found;
    finder.OnFileMatch = [&](TFindFile&, const std::wstring& folder, const TSearchRec& info) {
        found.push_back(folder.substr(dir.Path().size() + 1) + info.Name);
    };
    finder.Execute();
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::wstring>{L"a.txt", L"keep\\k.txt", L"temp\\sub\\s.txt"}));
}

// Each pair bounds its own stamp: an entry whose stamp of that pair lies on one side of the bound
// and whose other two lie on the other side is judged by that stamp alone.
TEST(Acceptance, EachDatePairJudgesItsOwnStamp) {
    using Setter = void (TDateTimeCriteria::*)(TDateTime);
    struct Pair {
        const char* name;
        Setter before, after;
        FILETIME WIN32_FIND_DATAW::*stamp;
    } pairs[] = {
        {"created", &TDateTimeCriteria::SetCreatedBefore, &TDateTimeCriteria::SetCreatedAfter,
         &WIN32_FIND_DATAW::ftCreationTime},
        {"modified", &TDateTimeCriteria::SetModifiedBefore, &TDateTimeCriteria::SetModifiedAfter,
         &WIN32_FIND_DATAW::ftLastWriteTime},
        {"accessed", &TDateTimeCriteria::SetAccessedBefore, &TDateTimeCriteria::SetAccessedAfter,
         &WIN32_FIND_DATAW::ftLastAccessTime},
    };
    const SYSTEMTIME fifteenth{2020, 1, 0, 15, 0, 0, 0, 0};
    const TDateTime bound = base::SystemTimeToDateTime(fifteenth);
    const FILETIME early = NoonOf(10), late = NoonOf(20);
    for (const Pair& pair : pairs) {
        for (const bool upper : {true, false}) {
            TSearchCriteria criteria;
            (criteria.TimeStamp().*(upper ? pair.before : pair.after))(bound);
            const TTargetSearch job(criteria);
            for (const bool ownEarly : {true, false}) {
                TSearchRec entry = Entry(L"x.txt");
                for (const Pair& other : pairs)
                    entry.FindData.*other.stamp = ownEarly ? late : early;
                entry.FindData.*pair.stamp = ownEarly ? early : late;
                // "Before" takes the early stamp, "After" the late one.
                EXPECT_EQ(job.IsAcceptable(L"C:\\", entry), upper == ownEarly)
                    << pair.name << (upper ? " before" : " after") << " the 15th, own stamp on the "
                    << (ownEarly ? "10th" : "20th");
            }
        }
    }
}
