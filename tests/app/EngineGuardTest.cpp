// Guards against what would cost a user data in a pass: rewriting a binary file, a backup made
// over an unrelated file, the attributes of a rewritten file lost.
#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/ReplaceEngine.h"
#include "common/TempDir.h"

namespace {

using testing_support::ReadFileBytes;
using testing_support::TempDir;

using Log = std::vector<std::wstring>;
using Files = std::map<std::wstring, std::string>;

// Replaces "hello" by "bye", with or without a backup.
struct Window : ReplaceWindow {
    explicit Window(bool backup) : backup(backup) {}
    std::wstring TextToFind() const override { return L"hello"; }
    std::wstring ReplacementText() const override { return L"bye"; }
    bool CaseSensitive() const override { return true; }
    bool WholeWordsOnly() const override { return false; }
    bool MakeBackup() const override { return backup; }
    bool AskYesNo(const std::wstring&, const std::wstring&) override { return false; }
    void AddLogLine(const std::wstring& line) override { log.push_back(line); }

    bool backup;
    Log log;
};

// Every file under the folder with its bytes, by path relative to the folder.
Files Snapshot(const TempDir& dir) {
    Files files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.Path())) {
        if (!entry.is_regular_file()) continue;
        const std::wstring path = entry.path().wstring();
        files[path.substr(dir.Path().size() + 1)] = ReadFileBytes(path);
    }
    return files;
}

Log Logged(const std::wstring& name, const std::wstring& outcome) {
    return {name + L" - " + outcome, L"", L"1 file(s) processed"};
}

}  // namespace

// A NUL byte marks a binary file, wherever it lies: the text model would drop what follows it.
TEST(EngineGuard, AFileWithANulByteAnywhereIsLeftAsItWas) {
    std::string text;
    while (text.size() < 100000) text += "hello world, hello again\r\n";
    text.resize(100007);
    // At the start, in either half of a 32-byte block, after kilobytes of text, at the end.
    for (const size_t nul : {size_t(0), size_t(5), size_t(17), size_t(31), size_t(4099),
                             size_t(65553), text.size() - 1}) {
        for (const bool backup : {false, true}) {
            SCOPED_TRACE(std::to_string(nul) + (backup ? " with backup" : ""));
            TempDir dir;
            std::string bytes = text;
            bytes[nul] = '\0';
            const std::wstring path = dir.Write(L"data.txt", bytes);
            Window window(backup);
            FindReplaceText(window, {path});
            EXPECT_EQ(window.log, Logged(L"data.txt", L"skipped (binary file)"));
            EXPECT_EQ(Snapshot(dir), (Files{{L"data.txt", bytes}}));
        }
    }
}

// Wine keeps the hidden, system and archive bits (and reports the last write time as the
// creation time, so that one cannot be checked here).
TEST(EngineGuard, ARewriteWithoutBackupKeepsTheFilesAttributes) {
    for (const DWORD attributes :
         {DWORD(FILE_ATTRIBUTE_NORMAL), DWORD(FILE_ATTRIBUTE_HIDDEN), DWORD(FILE_ATTRIBUTE_SYSTEM),
          DWORD(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE)}) {
        SCOPED_TRACE(attributes);
        TempDir dir;
        const std::wstring path = dir.Write(L"kept.txt", "hello\r\n");
        ASSERT_TRUE(SetFileAttributesW(path.c_str(), attributes));
        const DWORD before = GetFileAttributesW(path.c_str());
        ASSERT_EQ(before & attributes & ~FILE_ATTRIBUTE_NORMAL,
                  attributes & ~FILE_ATTRIBUTE_NORMAL);
        Window window(false);
        FindReplaceText(window, {path});
        EXPECT_EQ(Snapshot(dir), (Files{{L"kept.txt", "bye\r\n"}}));
        EXPECT_EQ(GetFileAttributesW(path.c_str()), before);
    }
}

// A backup under a wrong name would overwrite an unrelated file: the previous content goes beside
// the file, under its name with the extension of its last component replaced, and nothing else
// in the tree changes.
TEST(EngineGuard, TheBackupGoesBesideTheFileAndTouchesNothingElse) {
    struct Row {
        const wchar_t* file;    // relative to the folder, as the pass is given it
        const wchar_t* backup;  // where the previous content must go
    } rows[] = {
        {L"proj.v2\\Makefile", L"proj.v2\\Makefile.bak"},
        {L"archive.tar.gz", L"archive.tar.bak"},
        {L"README", L"README.bak"},
        {L".profile", L".bak"},  // a name that is all extension
        {L"v1.2\\build.d\\notes", L"v1.2\\build.d\\notes.bak"},
        {L"v1.2\\build.d\\a.b.c", L"v1.2\\build.d\\a.b.bak"},
        {L"proj.v2/sub.d/Makefile", L"proj.v2\\sub.d\\Makefile.bak"},
    };
    // Where a rule that looks past the last component, or at its first dot, would put backups.
    const Files unrelated = {{L"proj.bak", "keep 1"},
                             {L"archive.bak", "keep 2"},
                             {L"v1.2\\build.bak", "keep 3"},
                             {L"v1.2\\build.d\\a.bak", "keep 4"},
                             {L"proj.v2\\sub.bak", "keep 5"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        TempDir dir;
        for (const auto& [path, bytes] : unrelated) dir.Write(path, bytes);
        std::wstring file = row.file;
        std::replace(file.begin(), file.end(), L'/', L'\\');
        dir.Write(file, "hello\r\n");
        Window window(true);
        FindReplaceText(window, {dir.Path() + L"\\" + row.file});
        Files expected = unrelated;
        expected[file] = "bye\r\n";
        expected[row.backup] = "hello\r\n";
        EXPECT_EQ(Snapshot(dir), expected);
        EXPECT_EQ(window.log, Logged(file.substr(file.rfind(L'\\') + 1), L"1 replacement(s)"));
    }
}
