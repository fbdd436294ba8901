#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ReplaceTestSupport.h"
#include "app/ReplaceEngine.h"
#include "common/TempDir.h"

namespace {

using testing_support::FileExists;
using testing_support::ReadFileBytes;
using testing_support::TempDir;

TEST(FindReplaceText, ReplacesLineByLineAndWritesCrLf) {
    struct Row {
        std::string input;
        const wchar_t* find;
        const wchar_t* replacement;
        bool caseSensitive, wholeWords;
        std::string expected;  // empty: the file is left as it was
        int count;
    };
    std::vector<Row> rows = {
        {"a\r\nb", L"b", L"c", false, false, "a\r\nc\r\n", 1},
        {"b\na\n", L"b", L"c", false, false, "c\r\na\r\n", 1},
        {"a\rb", L"b", L"c", false, false, "a\r\nc\r\n", 1},
        {"a\n\rb\r\n\r\n", L"b", L"c", false, false, "a\r\n\r\nc\r\n\r\n", 1},
        {"a\n\rb", L"z", L"c", false, false, "", 0},
        {"Hello aBc ABC abc", L"abc", L"xY", false, false, "Hello xY xY xY\r\n", 3},
        {"abc ABC", L"abc", L"x", true, false, "x ABC\r\n", 1},
        {"cat cats bobcat cat_1 2cat (cat) cat.\ncat\xE9", L"cat", L"dog", false, true,
         "dog cats bobcat cat_1 2cat (dog) dog.\r\ndog\xE9\r\n", 4},
        {"abab ab", L"ab", L"X", false, true, "abab X\r\n", 1},
        {"aaaa", L"aa", L"b", false, false, "bb\r\n", 2},
        {"aaa", L"a", L"aa", false, false, "aaaaaa\r\n", 3},
        {"x a  y", L" a ", L"", false, false, "x y\r\n", 1},
        {"ab\r\ncd", L"b\r\nc", L"-", false, false, "", 0},
        {"abc", L"", L"x", false, false, "", 0},
    };
    if (GetACP() == 1252)  // letters above 0x7F fold as this code page folds them
        rows.push_back(
            {"\xE9t\xE9 \xC9T\xC9", L"\u00C9t\u00E9", L"\u00C6", false, false, "\xC6 \xC6\r\n", 2});
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        const Row& row = rows[i];
        TempDir dir;
        const std::wstring path = dir.Write(L"row file.txt", row.input);
        FakeWindow window(row.find, row.replacement, false, row.caseSensitive, row.wholeWords);
        EXPECT_EQ(RunPass(window, {path}), L"");
        EXPECT_EQ(ReadFileBytes(path), row.expected.empty() ? row.input : row.expected);
        ASSERT_EQ(window.log.size(), 3u);
        EXPECT_EQ(window.log[0],
                  L"row file.txt - " + std::to_wstring(row.count) + L" replacement(s)");
        EXPECT_EQ(NamesIn(dir.Path()), std::set<std::wstring>{L"row file.txt"});
    }
}

TEST(FindReplaceText, LogsEachFileByNameThenTheSummaryAndLeavesUnmatchedFilesAlone) {
    TempDir dir;
    const std::wstring index = dir.Write(L"site\\index.htm", "one two one");
    const std::wstring notes = dir.Write(L"site\\\u65E5\u672C notes.txt", "two\n");
    FILETIME old{};
    SYSTEMTIME when{2001, 2, 0, 3, 4, 5, 6, 0};
    SystemTimeToFileTime(&when, &old);
    {
        base::FileHandle file = Hold(notes, FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ);
        ASSERT_TRUE(SetFileTime(file.Get(), &old, &old, &old));
    }
    FakeWindow window(L"one", L"1", true);
    EXPECT_EQ(RunPass(window, {index, notes}), L"");
    EXPECT_EQ(window.log, (std::vector<std::wstring>{L"index.htm - 2 replacement(s)",
                                                     L"\u65E5\u672C notes.txt - 0 replacement(s)",
                                                     L"", L"2 file(s) processed"}));
    EXPECT_EQ(ReadFileBytes(index), "1 two 1\r\n");
    EXPECT_EQ(ReadFileBytes(dir / L"site\\index.bak"), "one two one");
    EXPECT_EQ(ReadFileBytes(notes), "two\n");
    EXPECT_FALSE(FileExists(dir / L"site\\\u65E5\u672C notes.bak"));
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(notes.c_str(), GetFileExInfoStandard, &data);
    EXPECT_EQ(CompareFileTime(&data.ftLastWriteTime, &old), 0);
}

TEST(FindReplaceText, AsksBeforeTenOrMoreFilesWithoutBackup) {
    struct Row {
        size_t files;
        bool backup, answerYes, asked, replaced;
    } rows[] = {{9, false, false, false, true},
                {10, false, false, true, false},
                {10, false, true, true, true},
                {10, true, false, false, true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.files * 100 + row.backup * 10 + row.answerYes);
        TempDir dir;
        TFileList files;
        for (size_t i = 0; i < row.files; ++i)
            files.push_back(dir.Write(L"f" + std::to_wstring(i) + L".txt", "x"));
        FakeWindow window(L"x", L"y", row.backup);
        window.answerYes = row.answerYes;
        EXPECT_EQ(RunPass(window, files), L"");
        ASSERT_EQ(window.questions.size(), row.asked ? 1u : 0u);
        if (row.asked) {
            EXPECT_EQ(window.questions[0],
                      L"Warning|You are about to replace text in a large number of files.\r\n"
                      L"You have selected NOT to backup the original files.\r\n\r\n"
                      L"Are you sure you wish to continue?");
        }
        EXPECT_EQ(window.log.size(), row.replaced ? row.files + 2 : 0u);
        EXPECT_EQ(ReadFileBytes(files[0]), row.replaced ? "y\r\n" : "x");
    }
}

TEST(FindReplaceText, SkipsFilesThatCannotBeSafelyRewritten) {
    TempDir dir;
    const std::wstring binary = dir.Write(L"bin.dat", std::string("abc\0abc", 7));
    const std::wstring page = dir.Write(L"page.htm", "abc");
    dir.Write(L"page.bak", "older");
    const std::wstring page2 = dir.Write(L"page.html", "abc");
    const std::wstring self = dir.Write(L"self.BAK", "abc");
    const std::wstring held = dir.Write(L"held.txt", "abc");
    const std::wstring heldBackup = dir.Write(L"held.bak", "kept");
    FakeWindow window(L"abc", L"x", true);
    {
        base::FileHandle holdBackup = Hold(heldBackup, GENERIC_READ, FILE_SHARE_READ);
        EXPECT_EQ(RunPass(window, {binary, page, page2, self, held}), L"");
    }
    EXPECT_EQ(window.log,
              (std::vector<std::wstring>{
                  L"bin.dat - skipped (binary file)", L"page.htm - 1 replacement(s)",
                  L"page.html - skipped (backup could not be made)",
                  L"self.BAK - skipped (backup could not be made)",
                  L"held.txt - skipped (backup could not be made)", L"", L"5 file(s) processed"}));
    EXPECT_EQ(ReadFileBytes(binary), std::string("abc\0abc", 7));
    EXPECT_EQ(ReadFileBytes(page), "x\r\n");
    EXPECT_EQ(ReadFileBytes(dir / L"page.bak"), "abc");
    for (const std::wstring& path : {page2, self, held}) EXPECT_EQ(ReadFileBytes(path), "abc");
    EXPECT_EQ(ReadFileBytes(heldBackup), "kept");
    EXPECT_EQ(NamesIn(dir.Path()),
              (std::set<std::wstring>{L"bin.dat", L"page.htm", L"page.bak", L"page.html",
                                      L"self.BAK", L"held.txt", L"held.bak"}));
}

TEST(FindReplaceText, StopsAtAFileItCannotOpenOrCreateAndStillLogsTheSummary) {
    TempDir dir;
    const std::wstring missing = dir / L"missing.txt";
    const std::wstring folder = dir.MakeDir(L"folder.txt");
    const std::wstring writing = dir.Write(L"writing.txt", "abc");
    const std::wstring readOnly = dir.Write(L"read only.txt", "abc");
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    const std::wstring shared = dir.Write(L"shared.txt", "abc");
    base::FileHandle writer = Hold(writing, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
    base::FileHandle reader = Hold(shared, GENERIC_READ, FILE_SHARE_READ);
    struct Row {
        std::wstring path;
        std::wstring message;
    } rows[] = {{missing, Message(L"Cannot open file", missing, ERROR_FILE_NOT_FOUND)},
                {folder, Message(L"Cannot open file", folder, ERROR_ACCESS_DENIED)},
                {L"", Message(L"Cannot open file", L"", ERROR_PATH_NOT_FOUND)},
                {writing, Message(L"Cannot open file", writing, ERROR_SHARING_VIOLATION)},
                {readOnly, Message(L"Cannot create file", readOnly, ERROR_ACCESS_DENIED)},
                {shared, Message(L"Cannot create file", shared, ERROR_ACCESS_DENIED)}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        const std::wstring before = dir.Write(L"before.txt", "abc");
        const std::wstring after = dir.Write(L"after.txt", "abc");
        FakeWindow window(L"abc", L"x");
        EXPECT_EQ(RunPass(window, {before, row.path, after}), row.message);
        EXPECT_EQ(window.log, (std::vector<std::wstring>{L"before.txt - 1 replacement(s)", L"",
                                                         L"3 file(s) processed"}));
        EXPECT_EQ(ReadFileBytes(before), "x\r\n");
        EXPECT_EQ(ReadFileBytes(after), "abc");
    }
    EXPECT_EQ(ReadFileBytes(readOnly), "abc");
    EXPECT_EQ(ReadFileBytes(shared), "abc");
    EXPECT_EQ(NamesIn(dir.Path()),
              (std::set<std::wstring>{L"before.txt", L"after.txt", L"folder.txt", L"writing.txt",
                                      L"read only.txt", L"shared.txt"}));
}

}  // namespace
