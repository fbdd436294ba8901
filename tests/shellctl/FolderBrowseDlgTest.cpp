// The folder browse dialog, run modally and driven from a timer once it waits for the user.
#include "shellctl/FolderBrowseDlg.h"

#include <functional>

#include <gtest/gtest.h>

#include "ShellTreeTestSupport.h"
#include "base/Error.h"
#include "shell/ShellDelete.h"
#include "shell/ShellUtils.h"
#include "ui/Application.h"
#include "ui/Timer.h"

namespace shellctl {
namespace {

using namespace testing_support;
using Form = TPTFrmFolderBrowseDlg;

class TestDlg : public TPTFolderBrowseDlg {
  public:
    using TPTCustomFolderBrowseDlg::DoExecute;
    using TPTDialog::ReadFormData;
    using TPTDialog::WriteFormData;
};

// Runs the dialog: once it waits for the user, act runs with its window, then OK (or Cancel)
// is clicked.
bool Drive(TPTCustomFolderBrowseDlg& dlg, const std::function<void(Form&)>& act, bool ok) {
    ui::Timer timer(1);
    dlg.OnFormShow = [&](ui::Window&) { timer.SetEnabled(true); };
    timer.OnTimer = [&](ui::Timer&) {
        timer.SetEnabled(false);
        Form& form = *dlg.ActiveForm();
        if (act) act(form);
        PostMessageW((ok ? form.OkBtn : form.CancelBtn)->Handle(), BM_CLICK, 0, 0);
    };
    return dlg.Execute();
}

// The first loaded child of the root without a file-system path (My Computer).
HTREEITEM VirtualNode(TPTCustomShellTree& tree) {
    for (HTREEITEM node = tree.FirstChild(tree.RootNode()); node; node = tree.NextSibling(node))
        if (tree.ShellDataOf(node)->GetPath().empty()) return node;
    return nullptr;
}

int ThreadWindows() {
    int count = 0;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND, LPARAM counter) -> BOOL {
            ++*reinterpret_cast<int*>(counter);
            return TRUE;
        },
        LPARAM(&count));
    return count;
}

class FolderBrowseDlgTest : public testing::Test {
  protected:
    FolderBrowseDlgTest() {
        dir.MakeDir(L"a");
        dir.MakeDir(L"b b");
    }

    TempDir dir;
    TestDlg dlg;
    MessageBoxRecorder boxes;
};

TEST_F(FolderBrowseDlgTest, OkGivesTheSelectedFolderAndCancelKeepsTheOldOne) {
    const struct {
        const char* name;
        std::wstring start;  // empty: the desktop
        std::function<void(TPTCustomShellTree&)> select;
        bool ok;
        std::wstring path;  // SelectedFolderPath afterwards
    } cases[] = {
        {"OK on a folder", dir / L"a", [&](auto& tree) { tree.SetFolderPath(dir / L"b b"); }, true,
         dir / L"b b"},
        {"Cancel", dir / L"a", [&](auto& tree) { tree.SetFolderPath(dir / L"b b"); }, false,
         dir / L"a"},
        {"OK on a virtual folder", L"", [](auto& tree) { tree.Select(VirtualNode(tree)); }, true,
         L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.start.empty())
            dlg.SelectedFolder().Clear();
        else
            dlg.SetSelectedFolderPath(c.start);
        std::wstring opened = L"?";
        int closed = 0;
        dlg.OnFormClose = [&](ui::Window&) { ++closed; };
        const bool result = Drive(
            dlg,
            [&](Form& form) {
                opened = form.PTShellTree1->SelectedPath();
                c.select(*form.PTShellTree1);
            },
            c.ok);
        EXPECT_EQ(result, c.ok);
        EXPECT_EQ(closed, 1);
        if (!c.start.empty()) {
            EXPECT_EQ(opened, c.start);
        }
        EXPECT_EQ(dlg.SelectedFolderPath(), c.path);
        EXPECT_EQ(dlg.ActiveForm(), nullptr);
    }
}

TEST_F(FolderBrowseDlgTest, RunsInsideARunFailAndNoWindowOrHourglassOutlivesARun) {
    const HCURSOR cursor = ui::App().ScreenCursor();
    const HCURSOR wait = LoadCursorW(nullptr, IDC_WAIT);
    const auto expectError = [](const std::function<void()>& call, const std::wstring& text) {
        try {
            call();
            ADD_FAILURE() << "no error";
        } catch (const base::Error& error) {
            EXPECT_EQ(error.Message(), text);
        }
    };
    HCURSOR whilePrepared = nullptr;
    dlg.OnInitialized = [&](TPTDialog&) { whilePrepared = ui::App().ScreenCursor(); };
    EXPECT_FALSE(Drive(
        dlg,
        [&](Form&) {
            // The user never waits under the hourglass.
            EXPECT_EQ(ui::App().ScreenCursor(), cursor);
            const int open = ThreadWindows();
            expectError([&] { dlg.Execute(); }, L"TPTFolderBrowseDlg already executing");
            expectError([&] { dlg.DoExecute(); }, L"TPTFolderBrowseDlg form already active");
            EXPECT_EQ(ThreadWindows(), open);
            EXPECT_EQ(ui::App().ScreenCursor(), cursor);
        },
        false));
    EXPECT_EQ(whilePrepared, wait);
    const int windows = ThreadWindows();

    // A failure while the window is prepared takes the window and the hourglass with it.
    dlg.OnInitialized = [](TPTDialog&) { throw base::Error(L"refused"); };
    expectError([&] { dlg.Execute(); }, L"refused");
    EXPECT_EQ(ThreadWindows(), windows);
    EXPECT_EQ(ui::App().ScreenCursor(), cursor);
    EXPECT_EQ(dlg.ActiveForm(), nullptr);
    EXPECT_FALSE(dlg.Executing());
    dlg.OnInitialized = nullptr;
    EXPECT_TRUE(Drive(dlg, nullptr, true));
    EXPECT_EQ(ThreadWindows(), windows);
}

TEST_F(FolderBrowseDlgTest, TheLayoutFollowsTheOptionsAndTheClientArea) {
    const TPTShellTreeOptions defaultTree{ptstoAutoFill, ptstoDesignInteractive, ptstoContextMenus,
                                          ptstoDynamicRefresh, ptstoShowHidden};
    const TPTShellTreeOptions everything{
        ptstoAutoFill,       ptstoDesignInteractive, ptstoContextMenus,
        ptstoDynamicRefresh, ptstoShowHidden,        ptstoOleDrag,
        ptstoOleDrop,        ptstoIncludeNonFolders, ptstoVirtualFolders};
    const struct {
        const char* name;
        std::uint16_t options;
        std::wstring title, caption;
        TPTShellTreeOptions tree;
    } cases[] = {
        {"defaults", kDefaultFolderBrowseDlgOptions.Mask(), L"", L"Browse for Folder", defaultTree},
        {"create and delete buttons", 0x2C3, L"Start folder", L"Start folder", defaultTree},
        {"every option", 0x3FF, L"", L"Browse for Folder", everything},
        {"no glyphs", 0x202, L"", L"Browse for Folder", defaultTree},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto options = TPTFolderBrowseDlgOptions::FromMask(c.options);
        dlg.SetOptions(options);
        dlg.SetTitle(c.title);
        dlg.SetStatusText(L"Pick the folder to scan");
        dlg.SetFormWidth(-1);
        dlg.SetFormHeight(-1);
        const auto check = [&](Form& form) {
            const RECT client = form.ClientRect();
            const RECT tree = form.PTShellTree1->Bounds();
            const RECT ok = form.OkBtn->Bounds();
            const RECT cancel = form.CancelBtn->Bounds();
            EXPECT_EQ(tree.right, client.right - 8);
            EXPECT_EQ(tree.bottom, form.ButtonPanel->Top() - 8);
            EXPECT_EQ(tree.top, form.StatusTxt->Bounds().bottom + 8);
            const bool extra = options.Contains(ptfbCreateDeleteButtons);
            EXPECT_EQ(cancel.left,
                      extra ? ok.right + 4 : client.right - 16 - (cancel.right - cancel.left));
            EXPECT_EQ(ok.left, extra ? tree.left : cancel.left - 4 - (ok.right - ok.left));
            EXPECT_EQ(form.CreateBtn->Visible(), extra);
            EXPECT_EQ(form.DeleteBtn->Visible(), extra);
            const bool create = options.Contains(ptfbCreateFolderIcon);
            const bool remove = options.Contains(ptfbDeleteFolderIcon);
            EXPECT_EQ(form.CreateNewFolderBtn->Visible(), create);
            EXPECT_EQ(form.DeleteFolderBtn->Visible(), remove);
            int x = client.right - 16;
            if (remove) {
                EXPECT_EQ(form.DeleteFolderBtn->Bounds().right, x);
                x = form.DeleteFolderBtn->Left() - 8;
            }
            if (create) {
                EXPECT_EQ(form.CreateNewFolderBtn->Bounds().right, x);
                x = form.CreateNewFolderBtn->Left() - 4;
            }
            EXPECT_EQ(form.StatusTxt->Bounds().right, x);
        };
        Drive(
            dlg,
            [&](Form& form) {
                EXPECT_EQ(form.Text(), c.caption);
                EXPECT_EQ(form.StatusTxt->Caption(), L"Pick the folder to scan");
                EXPECT_EQ(form.PTShellTree1->Options(), c.tree);
                EXPECT_EQ(form.PTShellTree1->ReadOnly(), options.Contains(ptfbReadOnly));
                EXPECT_EQ(form.ClientRect().right, 358);
                EXPECT_EQ(form.ClientRect().bottom, 313);
                check(form);
                form.SetSize(700, 520);
                check(form);
                // Never smaller than the smallest tracking size.
                form.SetSize(100, 100);
                EXPECT_EQ(form.Width(), 366);
                EXPECT_EQ(form.Height(), 340);
                check(form);
                // A wider frame leaves less client area, and the controls follow it.
                SetWindowLongW(form.Handle(), GWL_EXSTYLE,
                               GetWindowLongW(form.Handle(), GWL_EXSTYLE) | WS_EX_CLIENTEDGE);
                SetWindowPos(form.Handle(), nullptr, 0, 0, 0, 0,
                             SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
                EXPECT_LT(form.ClientRect().right, form.Width() - 8);
                check(form);
            },
            false);
    }
}

TEST_F(FolderBrowseDlgTest, CreateAndDeleteNeedAFolderWithAPathAndDeleteNotTheRoot) {
    const struct {
        const char* name;
        bool desktop;
        std::function<HTREEITEM(Form&)> select;
        bool create, remove;
        std::wstring announced;  // the path OnSelChange was given
    } cases[] = {
        {"a virtual folder", true, [](Form& f) { return VirtualNode(*f.PTShellTree1); }, false,
         false, L""},
        {"the root", false, [](Form& f) { return f.PTShellTree1->RootNode(); }, true, false,
         dir.Path()},
        {"a folder", false,
         [&](Form& f) {
             f.PTShellTree1->SetFolderPath(dir / L"a");
             return f.PTShellTree1->Selected();
         },
         true, true, dir / L"a"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dlg.SetOptions(TPTFolderBrowseDlgOptions(kDefaultFolderBrowseDlgOptions)
                           .Include(ptfbCreateDeleteButtons));
        if (c.desktop)
            dlg.BaseFolder().Clear();
        else
            dlg.BaseFolder().SetPath(dir.Path());
        dlg.SelectedFolder().Clear();
        ui::Window* sender = nullptr;
        std::wstring announced = L"?";
        dlg.OnSelChange = [&](ui::Window& s, const ITEMIDLIST* selected) {
            sender = &s;
            announced = PidlToPath(selected);
        };
        Drive(
            dlg,
            [&](Form& form) {
                // Away and back, so that the selection changes whatever opened first.
                form.PTShellTree1->Select(nullptr);
                form.PTShellTree1->Select(c.select(form));
                EXPECT_EQ(form.CreateBtn->Enabled(), c.create);
                EXPECT_EQ(form.CreateNewFolderBtn->Enabled(), c.create);
                EXPECT_EQ(form.DeleteBtn->Enabled(), c.remove);
                EXPECT_EQ(form.DeleteFolderBtn->Enabled(), c.remove);
                EXPECT_EQ(sender, &form);
            },
            false);
        EXPECT_EQ(announced, c.announced);
    }
}

TEST_F(FolderBrowseDlgTest, ANewFolderIsSelectedForItsNameAndEnterOnlyEndsTheName) {
    dlg.BaseFolder().SetPath(dir.Path());
    dlg.SetSelectedFolderPath(dir / L"a");
    const bool ok = Drive(
        dlg,
        [&](Form& form) {
            TPTShellTree& tree = *form.PTShellTree1;
            form.CreateNewFolderBtn->Click();
            EXPECT_EQ(tree.SelectedPath(), dir / L"a\\New Folder");
            EXPECT_TRUE(FolderExists(dir / L"a\\New Folder"));
            HWND edit = tree.EditControl();
            ASSERT_NE(edit, nullptr);
            SetWindowTextW(edit, L"made h\u00e9re");
            PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 1);
            EXPECT_TRUE(PumpUntil([&] { return tree.EditControl() == nullptr; }));
            EXPECT_TRUE(form.Modal());
            EXPECT_EQ(tree.SelectedPath(), dir / L"a\\made h\u00e9re");
        },
        true);
    EXPECT_TRUE(ok);
    EXPECT_EQ(dlg.SelectedFolderPath(), dir / L"a\\made h\u00e9re");
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(FolderBrowseDlgTest, DeleteAsksOnceAndOnlyYesDeletes) {
    dlg.BaseFolder().SetPath(dir.Path());
    dlg.SetSelectedFolderPath(dir / L"b b");
    dir.Write(L"b b\\inside\\keep.txt", "x");
    dir.MakeDir(L"vetoed");
    dlg.OnAddItem = [](TPTCustomShellTree&, IShellFolder_NRC* folder, const ITEMIDLIST*,
                       const ITEMIDLIST* item, ULONG, BOOL& allow) {
        allow = GetDisplayName(folder, item, dnInFolder) != L"vetoed";
    };
    Drive(
        dlg,
        [&](Form& form) {
            TPTShellTree& tree = *form.PTShellTree1;
            for (const int answer : {IDNO, IDYES}) {
                boxes.Clear();
                boxes.Answer(answer);
                form.DeleteFolderBtn->Click();
                ASSERT_EQ(boxes.Boxes().size(), 1u);
                EXPECT_EQ(boxes.Boxes()[0].caption, kConfirmDeleteCaption);
                EXPECT_EQ(boxes.Boxes()[0].text, L"Are you sure you want to delete 'b b'?");
                EXPECT_EQ(FolderExists(dir / L"b b"), answer == IDNO);
                EXPECT_EQ(tree.SelectedPath(), answer == IDNO ? dir / L"b b" : dir.Path());
            }
            HTREEITEM only = tree.FirstChild(tree.RootNode());
            EXPECT_EQ(tree.NodeText(only), L"a");
            EXPECT_EQ(tree.NextSibling(only), nullptr);
        },
        false);
}

TEST_F(FolderBrowseDlgTest, SizeAndStateCarryToTheNextRun) {
    dlg.BaseFolder().SetPath(dir.Path());
    const auto placement = [](Form& form) {
        WINDOWPLACEMENT place{};
        place.length = sizeof place;
        GetWindowPlacement(form.Handle(), &place);
        return SIZE{place.rcNormalPosition.right - place.rcNormalPosition.left,
                    place.rcNormalPosition.bottom - place.rcNormalPosition.top};
    };
    const struct {
        const char* name;
        TWindowState opens;
        std::function<void(Form&)> act;
        TWindowState kept;
    } runs[] = {
        {"resized", wsNormal, [](Form& f) { f.SetSize(600, 500); }, wsNormal},
        {"maximised", wsNormal, [](Form& f) { ShowWindow(f.Handle(), SW_MAXIMIZE); }, wsMaximized},
        {"minimised", wsMaximized, [](Form& f) { ShowWindow(f.Handle(), SW_MINIMIZE); }, wsNormal},
        {"told to open minimised", wsNormal, nullptr, wsNormal},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.name);
        if (run.act == nullptr) dlg.SetFormWindowState(wsMinimized);
        Drive(
            dlg,
            [&](Form& form) {
                EXPECT_EQ(IsZoomed(form.Handle()) != FALSE, run.opens == wsMaximized);
                EXPECT_FALSE(IsIconic(form.Handle()));
                if (dlg.FormWidth() > 0) {
                    const SIZE normal = placement(form);
                    EXPECT_EQ(normal.cx, dlg.FormWidth());
                    EXPECT_EQ(normal.cy, dlg.FormHeight());
                }
                if (run.act) run.act(form);
            },
            false);
        // The size remembered is the normal one.
        EXPECT_EQ(dlg.FormWidth(), 600);
        EXPECT_EQ(dlg.FormHeight(), 500);
        EXPECT_EQ(dlg.FormWindowState(), run.kept);
    }
}

TEST(FolderBrowseDlg, TheStoredFormIsNineBytesAndADamagedOneIsIgnored) {
    TestDlg dlg;
    dlg.SetFormWidth(600);
    dlg.SetFormHeight(-1);
    dlg.SetFormWindowState(wsMaximized);
    std::vector<std::uint8_t> stored;
    dlg.WriteFormData(stored);
    EXPECT_EQ(stored, (std::vector<std::uint8_t>{0x58, 2, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 2}));
    const struct {
        const char* name;
        std::vector<std::uint8_t> block;
        bool read;
    } cases[] = {
        {"whole", {0x20, 3, 0, 0, 0x90, 1, 0, 0, 0}, true},
        {"short", {0x20, 3, 0, 0, 0x90, 1, 0, 0}, false},
        {"unknown state", {0x20, 3, 0, 0, 0x90, 1, 0, 0, 3}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestDlg copy;
        ASSERT_TRUE(copy.ReadFormData(stored));
        EXPECT_EQ(copy.ReadFormData(c.block), c.read);
        EXPECT_EQ(copy.FormWidth(), c.read ? 800 : 600);
        EXPECT_EQ(copy.FormHeight(), c.read ? 400 : -1);
        EXPECT_EQ(copy.FormWindowState(), c.read ? wsNormal : wsMaximized);
    }
}

}  // namespace
}  // namespace shellctl
