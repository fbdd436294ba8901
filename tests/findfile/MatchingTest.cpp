#include <gtest/gtest.h>

#include <string>

#include <windows.h>
#include <winioctl.h>

#include "common/TempDir.h"
#include "findfile/Matching.h"
#include "ui/Handle.h"

using namespace findfile;
using testing_support::TempDir;

TEST(Matching, WildcardsAndMasks) {
    struct Row {
        const wchar_t* name;
        const wchar_t* mask;
        bool byWildcard;  // WildcardMatch on the whole strings
        bool byMask;      // FileNameMatchesMask
    } rows[] = {
        {L"abc", L"a*z", true, true},  // "*" ends the comparison with success
        {L"abc", L"*abc", true, true},
        {L"abc", L"a?c", true, true},
        {L"ac", L"a?c", false, false},
        {L"abc", L"abc?", true, true},  // a trailing "?" also matches nothing
        {L"abc", L"ab", false, false},
        {L"ABC", L"abc", true, true},
        {L"README.TXT", L"readme", false, true},  // no mask extension: the name's is not examined
        {L"readme", L"readme", true, true},
        {L"a.txt", L"*.", true, false},  // mask extension "." against ".txt"
        {L"a", L"*.", true, true},       // no name extension stands as "."
        {L"a", L"*.*", true, true},
        {L"a.b.c", L"*.*", true, true},
        {L"a.txt", L"*.txt", true, true},
        {L"a.txt", L"*.htm", true, false},
        {L"a.html", L"*.htm", true, false},  // the program's own matcher: no short names
        {L"x.bak", L"*.BAK", true, true},
        {L"\u00e9.txt", L"\u00c9.txt", false, false},  // ASCII letters only fold
        {L"", L"*", true, true},
        {L"", L"", true, true},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(WildcardMatch(row.name, row.mask), row.byWildcard) << row.name << " " << row.mask;
        EXPECT_EQ(FileNameMatchesMask(row.name, row.mask), row.byMask)
            << row.name << " " << row.mask;
    }
}

TEST(Matching, ExcludedEntries) {
    struct Row {
        const wchar_t* folder;
        const wchar_t* name;
        const wchar_t* entry;
        bool matches;
    } rows[] = {
        {L"C:\\work\\", L"x.bak", L"*.bak", true},
        {L"D:\\a\\b\\", L"x.BAK", L"*.bak", true},
        {L"C:\\work\\", L"x.txt", L"*.bak", false},
        {L"C:\\work\\temp\\", L"a.txt", L"temp\\", true},
        {L"C:\\work\\mytemp\\", L"a.txt", L"temp\\", true},  // a suffix, not a whole component
        {L"C:\\work\\temp\\sub\\", L"a.txt", L"temp\\", false},
        {L"C:\\work\\TEMP\\", L"a.txt", L"\\temp\\*.*", true},
        {L"C:\\Old\\", L"a.txt", L"C:\\Old\\*.txt", true},
        {L"c:\\old\\", L"a.txt", L"C:\\Old\\*.txt", true},
        {L"D:\\Old\\", L"a.txt", L"C:\\Old\\*.txt", false},
        {L"D:\\Old\\", L"a.txt", L"?:\\Old\\*.txt", true},
        {L"E:\\x\\Old\\", L"a.txt", L"*:\\Old\\*.txt", true},
        {L"D:\\Old\\", L"a.doc", L"?:\\Old\\*.txt", false},
        {L"C:\\Old\\", L"anything", L"C:\\Old\\", true},  // no name part: every file
        {L"C:\\", L"a.txt", L"C:\\", true},               // drive alone
        {L"D:\\", L"a.txt", L"C:\\", false},
        {L"\\\\server\\share\\Old\\", L"a.txt", L"C:\\Old\\*.txt", false},  // no drive letter
        {L"\\\\server\\share\\Old\\", L"a.txt", L"?:\\Old\\*.txt", true},
        {L"", L"a.txt", L"Old\\*.txt", false},  // folder shorter than the entry's
        {L"C:\\", L"a.txt", L"\\Old\\", false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ExcludedEntryMatches(row.folder, row.name, row.entry), row.matches)
            << row.folder << row.name << " / " << row.entry;
}

namespace {

std::string Filler(std::size_t size) { return std::string(size, 'x'); }

}  // namespace

TEST(ContentPhrase, FindsThePhraseWhereverItLies) {
    TempDir dir;
    const std::size_t chunk = ContentChunkSize;
    struct Row {
        const char* what;
        std::string content;
        std::string phrase;  // already folded when fold is set
        bool fold;
        bool found;
    } rows[] = {
        {"small file", "say Hello there", "hello", true, true},
        {"case kept", "say Hello there", "hello", false, false},
        {"whole file", "hello", "hello", true, true},
        {"longer than the file", "hell", "hello", true, false},
        {"restart after a partial match", "aaab", "aab", false, true},
        {"overlapping restart", "abababc", "ababc", false, true},
        {"at the very end of a large file", Filler(3 * chunk) + "needle", "needle", false, true},
        {"across the chunk boundary", Filler(chunk - 3) + "needle" + Filler(100), "needle", false,
         true},
        {"split, then broken at the boundary", Filler(chunk - 3) + "neeXle" + Filler(100), "needle",
         false, false},
        // The partial match "aaa" carried over must be re-scanned from its second byte.
        {"restart inside the carried bytes", Filler(chunk - 2) + "aaab" + Filler(10), "aab", false,
         true},
        {"folded across the boundary", Filler(chunk - 2) + "NEEDLE", "needle", true, true},
        {"phrase longer than a chunk", Filler(10) + std::string(chunk + 5, 'p') + "q" + Filler(10),
         std::string(chunk + 5, 'p') + "q", false, true},
        {"empty file", "", "a", false, false},
    };
    int index = 0;
    for (const Row& row : rows) {
        const std::wstring path =
            dir.Write(L"file" + std::to_wstring(++index) + L".txt", row.content);
        EXPECT_EQ(FileContainsPhrase(path, row.phrase, row.fold), row.found) << row.what;
    }
}

TEST(ContentPhrase, FoldsFileDataInTheAnsiCodePage) {
    if (GetACP() != 1252) GTEST_SKIP() << "needs the Western code page";
    TempDir dir;
    const std::wstring path = dir.Write(L"accents.txt", "CAF\xC9");
    // The file's "É" folds to "é"; the phrase itself is folded in ASCII only.
    EXPECT_TRUE(FileContainsPhrase(path, "caf\xE9", true));
    EXPECT_FALSE(FileContainsPhrase(path, "caf\xE9", false));
    TContentCriteria content;
    content.SetPhrase("CAF\xC9");
    EXPECT_EQ(content.SearchPhrase(), "caf\xC9");
    EXPECT_FALSE(content.Matches(path));
}

TEST(ContentPhrase, UnreadableFilesNeverMatch) {
    TempDir dir;
    const std::wstring path = dir.Write(L"locked.txt", "the phrase is here");
    EXPECT_TRUE(FileContainsPhrase(path, "phrase", false));
    {
        // Held open by someone who lets nobody else in.
        ui::FileHandle holder(
            CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(holder);
        EXPECT_FALSE(FileContainsPhrase(path, "phrase", false));
    }
    EXPECT_FALSE(FileContainsPhrase(dir / L"missing.txt", "phrase", false));
    EXPECT_FALSE(FileContainsPhrase(dir.MakeDir(L"folder"), "phrase", false));
}

// Sizes of 2 GiB and more do not fit 32 bits: the whole file is still scanned. The file is
// sparse, so it costs no disk space.
TEST(ContentPhrase, ScansFilesOfTwoGigabytesAndMore) {
    TempDir dir;
    const std::wstring path = dir / L"huge.bin";
    {
        ui::FileHandle file(
            CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(file);
        DWORD returned = 0;
        DeviceIoControl(file.Get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
        LARGE_INTEGER offset{};
        offset.QuadPart = (1LL << 31) + 1000;
        ASSERT_TRUE(SetFilePointerEx(file.Get(), offset, nullptr, FILE_BEGIN));
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(file.Get(), "needle", 6, &written, nullptr));
    }
    EXPECT_TRUE(FileContainsPhrase(path, "needle", false));
}
