#include <gtest/gtest.h>

#include <vector>

#include "CommandDoubles.h"
#include "TransferTestSupport.h"
#include "common/TempDir.h"
#include "shell/ShellDelete.h"
#include "base/Error.h"
#include "base/Strings.h"

using Microsoft::WRL::ComPtr;
using shell_test::FakeCommand;
using shell_test::FakeFolder;
using shell_test::FakeMenu;
using testing_support::MessageBoxRecorder;
using testing_support::TempDir;

TEST(ShellDelete, OneQuestionOfOursThenTheFilesAreGone) {
    struct Case {
        std::vector<std::wstring> names;
        int answer;
        std::wstring question;
    };
    const Case cases[] = {
        {{L"it's a file.txt"}, IDYES, L"Are you sure you want to delete 'it's a file.txt'?"},
        {{L"caf\u00e9 kept.txt"}, IDNO, L"Are you sure you want to delete 'caf\u00e9 kept.txt'?"},
        {{L"a.txt", L"b.txt", L"a folder"},
         IDYES,
         L"Are you sure you want to delete these 3 items?"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(base::WideToUtf8(c.question));
        TempDir dir;
        for (const std::wstring& name : c.names)
            dir.Write(name.ends_with(L".txt") ? name : name + L"\\inside.txt", "x");
        const shell_test::RealItems real(dir.Path(), c.names);
        MessageBoxRecorder boxes;
        boxes.Answer(c.answer);
        shell_test::DialogWatch platformDialogs;
        EXPECT_EQ(DeleteItems(nullptr, real.folder.Get(), real.Pointers()), c.answer == IDYES);
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].text, c.question);
        EXPECT_EQ(boxes.Boxes()[0].caption, kConfirmDeleteCaption);
        EXPECT_EQ(boxes.Boxes()[0].type & MB_TYPEMASK, UINT(MB_YESNO));
        EXPECT_TRUE(platformDialogs.Shown().empty());
        for (const std::wstring& name : c.names)
            EXPECT_EQ(GetFileAttributesW((dir / name).c_str()) != INVALID_FILE_ATTRIBUTES,
                      c.answer == IDNO);
    }
}

TEST(ShellDelete, ItemsWithoutAPathGoThroughTheShellsDeleteCommandToldNotToAsk) {
    const UniquePidl item = shell_test::MakeItems({6});
    const ITEMIDLIST* items[] = {item.Get()};
    struct Case {
        const char* name;
        SFGAOF attributes;
        std::vector<FakeCommand> commands;
        std::size_t questions;
        std::wstring error;  // empty: deleted
    };
    const Case cases[] = {
        {"deletable", SFGAO_CANDELETE, {{1, "copy"}, {4, "Delete"}}, 1, L""},
        {"not deletable", 0, {{4, "delete"}}, 0, L"'Virtual item' cannot be deleted."},
        {"no delete command",
         SFGAO_CANDELETE,
         {{1, "copy"}},
         1,
         L"Unable to delete 'Virtual item'."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ComPtr<FakeMenu> menu = MakeComObject<FakeMenu>(1, c.commands);
        const ComPtr<FakeFolder> folder = MakeComObject<FakeFolder>(menu.Get());
        folder->attributes = c.attributes;
        MessageBoxRecorder boxes;
        boxes.Answer(IDYES);
        try {
            EXPECT_TRUE(DeleteItems(nullptr, folder.Get(), items));
            EXPECT_EQ(c.error, L"");
            ASSERT_EQ(menu->InvokedOffsets(), std::vector<UINT>{4});
            EXPECT_EQ(menu->invoked[0].fMask, DWORD(CMIC_MASK_FLAG_NO_UI));
        } catch (const base::Error& error) {
            EXPECT_EQ(error.Message(), c.error);
            EXPECT_TRUE(menu->invoked.empty());
        }
        EXPECT_EQ(boxes.Boxes().size(), c.questions);
    }
}
