#include <gtest/gtest.h>

#include <string>

#include <windows.h>

#include "common/TempDir.h"
#include "findfile/Matching.h"
#include "base/Handle.h"

using namespace findfile;
using testing_support::TempDir;

TEST(Matching, ExcludedEntries) {
    struct Row {
        const wchar_t *folder, *name, *entry;
        bool matches;
    } rows[] = {
        {L"D:\\a\\b\\", L"x.BAK", L"*.bak", true},
        {L"C:\\work\\temp\\", L"a.txt", L"temp\\", true},
        {L"C:\\work\\mytemp\\", L"a.txt", L"temp\\", true},  // a suffix, not a whole component
        {L"C:\\work\\temp\\sub\\", L"a.txt", L"temp\\", false},
        {L"c:\\old\\", L"a.txt", L"C:\\Old\\*.txt", true},
        {L"D:\\Old\\", L"a.txt", L"C:\\Old\\*.txt", false},
        {L"D:\\Old\\", L"a.txt", L"?:\\Old\\*.txt", true},
        {L"C:\\Old\\", L"anything", L"C:\\Old\\", true},  // no name part: every file
        {L"\\\\server\\share\\Old\\", L"a.txt", L"C:\\Old\\*.txt", false},
        {L"\\\\server\\share\\Old\\", L"a.txt", L"?:\\Old\\*.txt", true},
        // A network entry names its server and share, whatever their letter case.
        {L"\\\\Server\\SHARE\\Old\\", L"a.txt", L"\\\\server\\share\\Old\\*.txt", true},
        {L"\\\\other\\share\\Old\\", L"a.txt", L"\\\\server\\share\\Old\\*.txt", false},
        {L"\\\\server\\other\\Old\\", L"a.txt", L"\\\\server\\share\\Old\\", false},
        {L"C:\\Old\\", L"a.txt", L"\\\\server\\share\\Old\\", false},
        {L"C:\\", L"a.txt", L"\\Old\\", false},  // folder shorter than the entry's
    };
    for (const Row& row : rows)
        EXPECT_EQ(ExcludedEntryMatches(row.folder, row.name, row.entry), row.matches)
            << row.folder << row.name << " / " << row.entry;
}

TEST(ContentPhrase, FindsThePhraseWhereverItLies) {
    TempDir dir;
    const std::string x(ContentChunkSize - 2, 'x');  // two bytes short of the first chunk's end
    struct Row {
        const char* what;
        std::string content, phrase;  // the phrase already folded when fold is set
        bool fold, found;
    } rows[] = {
        {"folded", "say Hello there", "hello", true, true},
        {"longer than the file", "hell", "hello", true, false},
        {"restart after a partial match", "abababc", "ababc", false, true},
        {"across the chunk boundary", x + "needle" + x, "needle", false, true},
        {"broken at the boundary", x + "neeXle" + x, "needle", false, false},
        // The carried "aa" fails on the next "a" and is re-scanned from its second byte.
        {"restart inside the carried bytes", x + "aaab", "aab", false, true},
        {"folded across the boundary", x + "NEEDLE", "needle", true, true},
        {"phrase longer than a chunk", "ab" + x + x + "c", x + x + "c", false, true},
    };
    int index = 0;
    for (const Row& row : rows) {
        const std::wstring path = dir.Write(std::to_wstring(++index) + L".txt", row.content);
        EXPECT_EQ(FileContainsPhrase(path, row.phrase, row.fold), row.found) << row.what;
    }
    if (GetACP() == 1252) {
        // The file's bytes fold in the code page ("É" to "é"), the phrase's in ASCII only.
        const std::wstring path = dir.Write(L"accents.txt", "CAF\xC9");
        EXPECT_TRUE(FileContainsPhrase(path, "caf\xE9", true));
        TContentCriteria content;
        content.SetPhrase("CAF\xC9");
        EXPECT_FALSE(content.Matches(path));
    }
}

TEST(ContentPhrase, UnreadableFilesNeverMatch) {
    TempDir dir;
    const std::wstring path = dir.Write(L"locked.txt", "the phrase is here");
    {
        // Held open by someone who lets nobody else in.
        base::FileHandle holder(
            CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(holder);
        EXPECT_FALSE(FileContainsPhrase(path, "phrase", false));
    }
    EXPECT_TRUE(FileContainsPhrase(path, "phrase", false));
    EXPECT_FALSE(FileContainsPhrase(dir / L"missing.txt", "phrase", false));
}

// Sizes of 2 GiB and more do not fit 32 bits: the whole file is still scanned. The file is
// sparse, so it costs no disk space.
TEST(ContentPhrase, ScansFilesOfTwoGigabytesAndMore) {
    TempDir dir;
    const std::wstring path = dir / L"huge.bin";
    {
        base::FileHandle file(
            CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        LARGE_INTEGER offset{};
        offset.QuadPart = (1LL << 31) + 1000;
        DWORD written = 0;
        ASSERT_TRUE(SetFilePointerEx(file.Get(), offset, nullptr, FILE_BEGIN));
        ASSERT_TRUE(WriteFile(file.Get(), "needle", 6, &written, nullptr));
    }
    EXPECT_TRUE(FileContainsPhrase(path, "needle", false));
}
