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
#include "ui/Strings.h"

using namespace findfile;
using findfile_test::SearchRecorder;
using testing_support::TempDir;
using Events = std::vector<std::wstring>;

namespace {

using UnixFileName = char*(CDECL*)(const wchar_t*);

// Starts a Unix program through Wine (which does not let us wait for its end).
void RunUnix(const std::wstring& commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::wstring command = commandLine;
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

// Symbolic links made on the Unix side, removed again before the folders they live in (the
// folder removal of the tests would otherwise follow them).
class UnixLinks {
  public:
    UnixLinks()
        : unixFileName_(reinterpret_cast<UnixFileName>(reinterpret_cast<void*>(
              GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")))) {}
    ~UnixLinks() {
        for (const std::wstring& link : links_) {
            RunUnix(L"/bin/rm -f \"" + UnixPath(link) + L"\"");
            WaitForExistence(link, false);
        }
    }
    bool Available() const { return unixFileName_ != nullptr; }

    // Makes a link at path (a Windows path) leading to target (relative to the link's folder).
    bool Make(const std::wstring& path, const std::wstring& target) {
        RunUnix(L"/bin/ln -s \"" + target + L"\" \"" + UnixPath(path) + L"\"");
        links_.push_back(path);
        return WaitForExistence(path, true);
    }

  private:
    std::wstring UnixPath(const std::wstring& path) const {
        char* unixPath = unixFileName_(path.c_str());
        if (unixPath == nullptr) return {};
        std::wstring result = ui::Utf8ToWide(unixPath);
        HeapFree(GetProcessHeap(), 0, unixPath);
        return result;
    }

    // The Unix program runs on its own: wait (within reason) until its work shows.
    static bool WaitForExistence(const std::wstring& path, bool exists) {
        for (int attempt = 0; attempt < 500; ++attempt) {
            if ((GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) == exists)
                return true;
            Sleep(20);
        }
        return false;
    }

    UnixFileName unixFileName_;
    std::vector<std::wstring> links_;
};

}  // namespace

TEST(LinkLoop, FoldersOnTheCurrentPathAreNotEnteredAgain) {
    TempDir dir;
    UnixLinks links;
    if (!links.Available()) GTEST_SKIP() << "links are made through Wine's Unix side";
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
    EXPECT_EQ(ReadFolderIdentity(dir / L"missing"), std::nullopt);

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
    EXPECT_EQ(recorder.events.back(), L"finish");
}
