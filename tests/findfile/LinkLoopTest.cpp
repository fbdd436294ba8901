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

using namespace findfile;
using findfile_test::Events;
using findfile_test::SearchRecorder;
using testing_support::TempDir;
using testing_support::UnixLinks;

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
