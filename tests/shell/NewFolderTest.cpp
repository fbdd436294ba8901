#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "common/TempDir.h"
#include "shell/NewFolder.h"
#include "base/Error.h"
#include "base/Strings.h"
#include "ui/Application.h"

using testing_support::MessageBoxRecorder;
using testing_support::TempDir;

namespace {

std::vector<std::wstring> Taken(int newFolders, int fldrs) {
    std::vector<std::wstring> names;
    for (int n = 1; n <= newFolders; ++n)
        names.push_back(n == 1 ? L"New Folder" : L"New Folder (" + std::to_wstring(n) + L")");
    for (int n = 1; n <= fldrs; ++n)
        names.push_back(n == 1 ? L"fldr" : L"fldr" + std::to_wstring(n));
    return names;
}

std::wstring Warning(const std::wstring& name, DWORD code) {
    return L"Unable to create the folder '" + name + L"'\n\n" + base::SystemErrorMessage(code);
}

}  // namespace

TEST(NewFolder, TakesTheFirstFreeName) {
    const struct {
        std::vector<std::wstring> taken;
        std::wstring expected;
    } cases[] = {
        {{}, L"New Folder"},
        {{L"New Folder", L"New Folder (2)"}, L"New Folder (3)"},
        {{L"New Folder", L"New Folder (3)"}, L"New Folder (2)"},
        {Taken(50, 0), L"fldr"},
        {Taken(50, 2), L"fldr3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(base::WideToUtf8(c.expected));
        TempDir dir;
        for (const std::wstring& name : c.taken) {
            // A file takes a name as well as a folder does.
            if (name == L"New Folder (2)")
                dir.Write(name, "x");
            else
                dir.MakeDir(name);
        }
        MessageBoxRecorder boxes;
        EXPECT_EQ(CreateNewFolder(dir.Path() + L"\\"), c.expected);
        EXPECT_TRUE(testing_support::FolderExists(dir / c.expected));
        EXPECT_TRUE(boxes.Boxes().empty());
    }
}

TEST(NewFolder, AFailureIsReportedOnceWithItsOwnText) {
    ui::App().SetTitle(L"Lumora");
    TempDir dir;
    for (const std::wstring& name : Taken(50, 50)) dir.MakeDir(name);
    const struct {
        std::wstring directory;
        std::wstring warning;
    } cases[] = {
        {L"", Warning(L"New Folder", ERROR_PATH_NOT_FOUND)},  // not the current directory
        {dir / L"missing", Warning(L"New Folder", ERROR_PATH_NOT_FOUND)},
        {L"Z:\\sys",
         Warning(L"New Folder", ERROR_ACCESS_DENIED)},  // no writing there, even as root
        {dir.Path(), Warning(L"New Folder", ERROR_ALREADY_EXISTS)},  // every name taken
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(base::WideToUtf8(c.directory));
        MessageBoxRecorder boxes;
        EXPECT_EQ(CreateNewFolder(c.directory), std::nullopt);
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].text, c.warning);
        EXPECT_EQ(boxes.Boxes()[0].caption, L"Lumora");
        EXPECT_EQ(boxes.Boxes()[0].type, UINT(MB_OK | MB_ICONWARNING));
    }
    EXPECT_FALSE(testing_support::FolderExists(L"New Folder"));
}
