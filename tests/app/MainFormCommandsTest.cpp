// The shell's commands in the "Select files" browser of the main window.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <windows.h>
#include <shlobj.h>

#include "app/MainForm.h"
#include "base/Handle.h"
#include "base/Strings.h"
#include "common/MenuPicker.h"
#include "common/TempDir.h"
#include "shell/ShellCommands.h"
#include "shell/ShellTransfer.h"
#include "shell/ShellUtils.h"
#include "ui/Application.h"

using Microsoft::WRL::ComPtr;
using testing_support::MenuPicker;
using testing_support::MessageBoxRecorder;
using testing_support::TempDir;
using Texts = std::vector<std::wstring>;

namespace {

// The shell's menu object for one item, filled as the list fills its menus.
ComPtr<IContextMenu> MenuObjectOf(const std::wstring& path) {
    UniquePidl item;
    ComPtr<IContextMenu> object;
    EXPECT_EQ(PathToPidl(path, item), S_OK);
    EXPECT_EQ(GetUIObjectOfAbsolute(item.Get(), object), S_OK);
    if (object) {
        base::MenuHandle menu(CreatePopupMenu());
        object->QueryContextMenu(menu.Get(), 0, kFirstShellCommand, kLastShellCommand,
                                 CMF_EXPLORE | CMF_CANRENAME);
    }
    return object;
}

int ItemOf(TMainForm& form, const std::wstring& path) {
    for (int i = 0; i < form.PTShellList1->ShellItemCount(); ++i)
        if (form.PTShellList1->ShellDataAt(i).GetPath() == path) return i;
    return -1;
}

void SelectOnly(TMainForm& form, const std::wstring& path) {
    form.PTShellList1->ClearSelection();
    const int item = ItemOf(form, path);
    ASSERT_GE(item, 0);
    form.PTShellList1->SetItemState(item, LVIS_SELECTED | LVIS_FOCUSED,
                                    LVIS_SELECTED | LVIS_FOCUSED);
}

}  // namespace

TEST(MainFormCommands, AFileDeletedFromTheListNeverReachesARun) {
    const struct {
        const char* name;
        bool byMenu;  // else the Del key
    } cases[] = {{"the shell's menu", true}, {"Del", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::wstring doomed = dir.Write(L"doomed.txt", "Hello");
        dir.Write(L"kept.txt", "Hello");
        TMainForm form;
        form.Show();
        form.PTShellList1->Folder().SetPath(dir.Path());
        form.cbBackup->Click();             // off
        form.cbExtension->SetItemIndex(0);  // "*.*"
        form.edtFind->SetText(L"Hello");
        SelectOnly(form, doomed);
        MessageBoxRecorder boxes;
        boxes.Answer(IDYES);
        const ComPtr<IContextMenu> object = MenuObjectOf(doomed);
        MenuPicker picker([&](UINT id) {
            return id >= kFirstShellCommand &&
                   CommandVerb(object.Get(), id - kFirstShellCommand) == L"delete";
        });
        if (c.byMenu) {
            // A right click on the selected file.
            RECT label{LVIR_LABEL, 0, 0, 0};
            form.PTShellList1->Send(LVM_GETITEMRECT, ItemOf(form, doomed), LPARAM(&label));
            const POINT client{label.left + 5, (label.top + label.bottom) / 2};
            POINT screen = client;
            ClientToScreen(form.PTShellList1->Handle(), &screen);
            SetCursorPos(screen.x, screen.y);
            PostMessageW(form.PTShellList1->Handle(), WM_RBUTTONUP, 0,
                         MAKELPARAM(client.x, client.y));
            form.PTShellList1->Send(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(client.x, client.y));
            ui::App().ProcessMessages();
            ASSERT_EQ(picker.MenusShown(), 1);
            Texts verbs;
            for (UINT id : picker.Commands())
                if (id >= kFirstShellCommand)
                    verbs.push_back(CommandVerb(object.Get(), id - kFirstShellCommand));
            for (const wchar_t* verb : {L"open", L"cut", L"copy", L"delete", L"properties"})
                EXPECT_NE(std::find(verbs.begin(), verbs.end(), verb), verbs.end())
                    << base::WideToUtf8(verb);
        } else {
            PostMessageW(form.PTShellList1->Handle(), WM_KEYDOWN, VK_DELETE, 1);
            ui::App().ProcessMessages();
        }
        EXPECT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_FALSE(testing_support::FileExists(doomed));
        form.btnSelectAll->Click();
        form.btnStart->Send(BM_CLICK);
        EXPECT_EQ(form.FileList, TFileList{dir / L"kept.txt"});
        EXPECT_EQ(form.memLog->Lines(),
                  (Texts{L"kept.txt - 1 replacement(s)", L"", L"1 file(s) processed"}));
    }
}

TEST(MainFormCommands, EnterReachesTheListInsideTheMainWindow) {
    TempDir dir;
    const std::wstring folder = dir.MakeDir(L"folder");
    const std::wstring inner = dir.Write(L"folder\\inner.txt", "x");
    // The list leaves folders to the tree: a shortcut to one is what it lists.
    ComPtr<IShellLinkW> shortcut;
    ASSERT_EQ(
        CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&shortcut)),
        S_OK);
    shortcut->SetPath(folder.c_str());
    ComPtr<IPersistFile> file;
    ASSERT_EQ(shortcut.As(&file), S_OK);
    ASSERT_EQ(file->Save((dir / L"to folder.lnk").c_str(), TRUE), S_OK);
    TMainForm form;
    form.Show();
    form.PTShellList1->Folder().SetPath(dir.Path());
    SelectOnly(form, dir / L"to folder.lnk");
    form.PTShellList1->SetFocus();
    // Through the message loop, where the form's dialog keys would take Enter for themselves.
    PostMessageW(form.PTShellList1->Handle(), WM_KEYDOWN, VK_RETURN, 1);
    PostMessageW(form.PTShellList1->Handle(), WM_KEYUP, VK_RETURN, 0xC0000001);
    ui::App().ProcessMessages();
    EXPECT_EQ(form.PTShellList1->FolderPath(), folder);
    EXPECT_EQ(form.PTShellTree1->SelectedPath(), folder);
    EXPECT_GE(ItemOf(form, inner), 0);
}
