// Links to folders, made on the Unix side of Wine (where the platform shows them as folders that
// are followed), including one that leads back to its own ancestor.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "SearchRecorder.h"
#include "common/TempDir.h"
#include "findfile/FindFile.h"
#include "findfile/FolderIdentity.h"
#include "base/Strings.h"

using namespace findfile;
using findfile_test::Events;
using findfile_test::SearchRecorder;
using testing_support::TempDir;

namespace {

// Runs a Unix command through Wine on a Windows path and waits (within reason) until its work
// shows: Wine does not let us wait for the Unix process itself.
bool RunOnUnixPath(const std::wstring& command, const std::wstring& path, bool thenExists) {
    using UnixFileName = char*(CDECL*)(const wchar_t*);
    static const auto unixFileName = reinterpret_cast<UnixFileName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    char* unixPath = unixFileName ? unixFileName(path.c_str()) : nullptr;
    if (unixPath == nullptr) return false;
    std::wstring commandLine = command + L" \"" + base::Utf8ToWide(unixPath) + L"\"";
    HeapFree(GetProcessHeap(), 0, unixPath);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int attempt = 0; attempt < 500; ++attempt, Sleep(20))
        if ((GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) == thenExists)
            return true;
    return false;
}

// Symbolic links made on the Unix side, removed before the folders they live in (whose removal
// would otherwise follow them).
struct UnixLinks {
    ~UnixLinks() {
        for (const std::wstring& link : links) RunOnUnixPath(L"/bin/rm -f", link, false);
    }
    bool Make(const std::wstring& path, const std::wstring& target) {
        links.push_back(path);
        return RunOnUnixPath(L"/bin/ln -s \"" + target + L"\"", path, true);
    }
    std::vector<std::wstring> links;
};

}  // namespace

TEST(LinkLoop, FoldersOnTheCurrentPathAreNotEnteredAgain) {
    TempDir dir;
    UnixLinks links;
    if (!GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name"))
        GTEST_SKIP() << "links are made through Wine's Unix side";
    dir.Write(L"root\\r.txt", "");
    dir.Write(L"root\\a\\a.txt", "");
    dir.Write(L"root\\b\\b.txt", "");
    dir.Write(L"outside\\o.txt", "");
    ASSERT_TRUE(links.Make(dir / L"root\\a\\up", L".."));        // back to root: a loop
    ASSERT_TRUE(links.Make(dir / L"root\\a\\self", L"."));       // to itself: a loop
    ASSERT_TRUE(links.Make(dir / L"root\\b\\to-a", L"../a"));    // a sibling: no loop
    ASSERT_TRUE(links.Make(dir / L"root\\out", L"../outside"));  // elsewhere: no loop
    // Round through the parent: root is then an ordinary subfolder of the link's target.
    ASSERT_TRUE(links.Make(dir / L"root\\up2", L".."));

    // The identity of a folder is the same through any link that leads to it.
    EXPECT_EQ(ReadFolderIdentity(dir / L"root\\a\\up\\"), ReadFolderIdentity(dir / L"root\\"));
    EXPECT_EQ(ReadFolderIdentity(dir / L"root\\b\\to-a"), ReadFolderIdentity(dir / L"root\\a"));
    EXPECT_NE(ReadFolderIdentity(dir / L"root\\a"), ReadFolderIdentity(dir / L"root\\b"));

    TFindFile finder;
    SearchRecorder recorder(dir / L"root");
    recorder.Attach(finder);
    finder.Criteria().Files().SetLocation(dir / L"root");
    finder.Criteria().Files().SetFileName(L"*.txt");
    finder.Execute();

    // Every file is reached once per path that does not loop; the walk order of the folders is
    // the platform's, so compare them sorted.
    Events matches = recorder.Matches();
    std::sort(matches.begin(), matches.end());
    EXPECT_EQ(matches, (Events{L"a\\a.txt", L"b\\b.txt", L"b\\to-a\\a.txt", L"out\\o.txt", L"r.txt",
                               L"up2\\outside\\o.txt"}));
    ASSERT_FALSE(recorder.events.empty());
    EXPECT_EQ(recorder.events.back(), L"finish");
}
