// Rewriting never loses a file: every failure of every step leaves it holding its old content,
// and what a file is besides its bytes survives the rewrite.
#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <set>
#include <string>
#include <vector>

#include "ReplaceTestSupport.h"
#include "ScriptedFiles.h"
#include "app/TempFile.h"
#include "common/TempDir.h"

namespace {

using testing_support::FileExists;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using Step = ScriptedFiles::Step;

// The names of our temporary files in a folder.
std::vector<std::wstring> TempNamesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    for (const std::wstring& name : NamesIn(folder))
        if (IsTempFileName(name)) names.push_back(name);
    return names;
}

// Writes a file that only this user and the system may use: not what a new file gets.
std::wstring WriteOwnersOnlyFile(const std::wstring& path) {
    HANDLE token = nullptr;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    std::vector<std::byte> user(256);
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, user.data(), DWORD(user.size()), &size);
    CloseHandle(token);
    wchar_t* sid = nullptr;
    if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, &sid))
        return {};
    const std::wstring sddl = L"D:P(A;;FA;;;SY)(A;;FA;;;" + std::wstring(sid) + L")";
    LocalFree(sid);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor,
                                                         nullptr);
    SECURITY_ATTRIBUTES security{sizeof security, descriptor, FALSE};
    base::FileHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, &security, CREATE_NEW, 0, nullptr));
    LocalFree(descriptor);
    DWORD written = 0;
    return file && WriteFile(file.Get(), "abc", 3, &written, nullptr) ? path : L"";
}

// The file's access control list as bytes, and whether it is protected from inheritance.
std::string DaclOf(const std::wstring& path) {
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
        return "?";
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    GetSecurityDescriptorControl(descriptor, &control, &revision);
    std::string bytes = (control & SE_DACL_PROTECTED) ? "P" : "-";
    if (dacl != nullptr) bytes.append(reinterpret_cast<const char*>(dacl), dacl->AclSize);
    LocalFree(descriptor);
    return bytes;
}

struct FailureRow {
    bool backup, twoNames;
    Step step;
    DWORD error;
    int failures;               // calls of the step that fail, one after another
    const char* content;        // of the file (and its other name) after; null: unknown
    const char* backupContent;  // of f.bak after
    const wchar_t* line;        // the file's log line after its name; null: the pass stops
    bool oldCopyLeft;           // its old content waits beside it
} const kFailureRows[] = {
    {false, false, Step::CreateNew, ERROR_ACCESS_DENIED, 1, "abc", "older", nullptr, false},
    {false, false, Step::WriteNew, ERROR_DISK_FULL, 1, "abc", "older", nullptr, false},
    {false, false, Step::Rename, ERROR_ACCESS_DENIED, 1, "abc", "older", nullptr, false},
    {true, false, Step::CreateNew, ERROR_ACCESS_DENIED, 1, "abc", "older", nullptr, false},
    {true, false, Step::WriteNew, ERROR_DISK_FULL, 1, "abc", "older", nullptr, false},
    {true, false, Step::Delete, ERROR_SHARING_VIOLATION, 1, "abc", "older",
     L" - skipped (backup could not be made)", false},
    // No second names on the volume: the backup is a copy.
    {true, false, Step::Link, ERROR_INVALID_FUNCTION, 1, "x\r\n", "abc", L" - 1 replacement(s)",
     false},
    {true, false, Step::Rename, ERROR_ACCESS_DENIED, 1, "abc", "abc", nullptr, false},
    {false, true, Step::CreateOld, ERROR_ACCESS_DENIED, 1, "abc", "older", nullptr, false},
    {false, true, Step::WriteOld, ERROR_DISK_FULL, 1, "abc", "older", nullptr, false},
    {false, true, Step::OpenInPlace, ERROR_SHARING_VIOLATION, 1, "abc", "older", nullptr, false},
    // Half written, then put back.
    {false, true, Step::WriteInPlace, ERROR_DISK_FULL, 1, "abc", "older", nullptr, false},
    // Not even put back: the old content waits beside it.
    {false, true, Step::WriteInPlace, ERROR_DISK_FULL, 2, nullptr, "older", nullptr, true},
    {true, true, Step::CreateOld, ERROR_ACCESS_DENIED, 1, "abc", "older",
     L" - skipped (backup could not be made)", false},
    {true, true, Step::WriteOld, ERROR_DISK_FULL, 1, "abc", "older",
     L" - skipped (backup could not be made)", false},
    {true, true, Step::WriteInPlace, ERROR_DISK_FULL, 1, "abc", "abc", nullptr, false},
};

// A pass over two files, the second failing as the row says; then everything is checked.
void RunFailureRow(const FailureRow& row) {
    TempDir dir;
    const std::wstring before = dir.Write(L"before.txt", "abc");
    const std::wstring file = dir.Write(L"f.txt", "abc");
    dir.Write(L"f.bak", "older");
    std::set<std::wstring> names = {L"before.txt", L"f.txt", L"f.bak"};
    if (row.twoNames) {
        ASSERT_TRUE(CreateHardLinkW((dir / L"twin.txt").c_str(), file.c_str(), nullptr));
        names.insert(L"twin.txt");
    }
    if (row.backup) names.insert(L"before.bak");

    ScriptedFiles files;
    bool armed = false;
    int failures = 0;
    files.before = [&](Step step, const std::wstring& path) -> DWORD {
        if (step == Step::Open) armed = path == file;
        if (!armed || step != row.step || failures == row.failures) return 0;
        ++failures;
        return row.error;
    };
    FakeWindow window(L"abc", L"x", row.backup);
    const std::wstring error = RunPass(window, {before, file}, &files);

    EXPECT_EQ(failures, row.failures);
    std::vector<std::wstring> log = {L"before.txt - 1 replacement(s)", L"", L"2 file(s) processed"};
    if (row.line != nullptr) log.insert(log.begin() + 1, L"f.txt" + std::wstring(row.line));
    EXPECT_EQ(window.log, log);
    EXPECT_EQ(error, row.line ? L"" : Message(L"Cannot create file", file, row.error));
    if (row.content != nullptr) {
        EXPECT_EQ(ReadFileBytes(file), row.content);
    }
    if (row.twoNames) {
        EXPECT_EQ(ReadFileBytes(dir / L"twin.txt"), ReadFileBytes(file));
    }
    EXPECT_EQ(ReadFileBytes(dir / L"f.bak"), row.backupContent);
    // A backup made earlier in the run is never touched.
    if (row.backup) {
        EXPECT_EQ(ReadFileBytes(dir / L"before.bak"), "abc");
    }
    const std::vector<std::wstring> temps = TempNamesIn(dir.Path());
    ASSERT_EQ(temps.size(), row.oldCopyLeft ? 1u : 0u);
    if (row.oldCopyLeft) {
        EXPECT_EQ(temps[0].rfind(L"~lumora-old-", 0), 0u);
        EXPECT_EQ(ReadFileBytes(dir / temps[0]), "abc");
        names.insert(temps[0]);
    }
    EXPECT_EQ(NamesIn(dir.Path()), names);
}

}  // namespace

TEST(SafeRewrite, EveryFailureLeavesTheFileAsItWas) {
    for (size_t i = 0; i < std::size(kFailureRows); ++i) {
        SCOPED_TRACE(i);
        RunFailureRow(kFailureRows[i]);
    }
}

// A link stays a link and the file it leads to is rewritten; a file with two names shows the new
// content under both; hidden and system files stay so and get the archive bit; the access
// control list stays as it was. With and without a backup, which holds the old content.
TEST(SafeRewrite, TheFileKeepsWhatItIsBesidesItsBytes) {
    for (const bool backup : {false, true}) {
        SCOPED_TRACE(backup);
        TempDir dir;
        testing_support::UnixLinks links;
        const std::wstring real = dir.Write(L"real.txt", "abc");
        const bool linked = links.Make(dir / L"link.txt", L"real.txt");
        const std::wstring two = dir.Write(L"two.txt", "abc");
        ASSERT_TRUE(CreateHardLinkW((dir / L"other.txt").c_str(), two.c_str(), nullptr));
        const std::wstring marked = dir.Write(L"marked.txt", "abc");
        const DWORD hiddenSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
        ASSERT_TRUE(SetFileAttributesW(marked.c_str(), hiddenSystem));
        const std::wstring own = WriteOwnersOnlyFile(dir / L"own.txt");
        ASSERT_FALSE(own.empty());
        const std::string ownDacl = DaclOf(own);
        ASSERT_NE(ownDacl, DaclOf(real));  // a new file would not have it

        TFileList files = {two, marked, own};
        if (linked) files.push_back(dir / L"link.txt");
        FakeWindow window(L"abc", L"x", backup);
        ASSERT_EQ(RunPass(window, files), L"");
        for (const std::wstring& path : files) {
            EXPECT_EQ(ReadFileBytes(path), "x\r\n");
            if (backup) {
                EXPECT_EQ(ReadFileBytes(BackupFileName(path)), "abc");
            }
        }
        EXPECT_EQ(ReadFileBytes(dir / L"other.txt"), "x\r\n");
        EXPECT_EQ(GetFileAttributesW(marked.c_str()) & (hiddenSystem | FILE_ATTRIBUTE_ARCHIVE),
                  hiddenSystem | FILE_ATTRIBUTE_ARCHIVE);
        EXPECT_EQ(DaclOf(own), ownDacl);
        if (linked) {
            EXPECT_EQ(ReadFileBytes(real), "x\r\n");
            testing_support::WriteFileBytes(real, "later");
            EXPECT_EQ(ReadFileBytes(dir / L"link.txt"), "later");  // still a link
        }
        EXPECT_TRUE(TempNamesIn(dir.Path()).empty());
    }
}

// A file open elsewhere without leave to delete it cannot be replaced: the pass stops there, the
// file as it was and its backup made.
TEST(SafeRewrite, AFileHeldOpenElsewhereStaysAsItWas) {
    TempDir dir;
    const std::wstring file = dir.Write(L"held.txt", "abc");
    FakeWindow window(L"abc", L"x", true);
    {
        base::FileHandle hold = Hold(file, GENERIC_READ, FILE_SHARE_READ);
        EXPECT_EQ(RunPass(window, {file}),
                  Message(L"Cannot create file", file, ERROR_ACCESS_DENIED));
    }
    EXPECT_EQ(ReadFileBytes(file), "abc");
    EXPECT_EQ(ReadFileBytes(dir / L"held.bak"), "abc");
    EXPECT_EQ(NamesIn(dir.Path()), (std::set<std::wstring>{L"held.txt", L"held.bak"}));
}

TEST(SafeRewrite, TemporaryNamesSayWhatTheyAre) {
    for (const wchar_t* name : {L"~lumora-new-0123abcd.tmp", L"~LUMORA-OLD-0123abcd-a b.txt.TMP"})
        EXPECT_TRUE(IsTempFileName(name)) << name;
    for (const wchar_t* name : {L"~lumora.tmp", L"lumora-new-0123abcd.tmp", L"~lumora-new-1.txt"})
        EXPECT_FALSE(IsTempFileName(name)) << name;
}
