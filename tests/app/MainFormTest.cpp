#include <gtest/gtest.h>

#include <memory>

#include <string>
#include <vector>

#include "app/MainForm.h"
#include "app/Startup.h"
#include "base/Error.h"
#include "common/TempDir.h"
#include "shellctl/FolderBrowseDlg.h"
#include "ui/Application.h"
#include "ui/Timer.h"
#include "base/DateTime.h"
#include "shell/ShellUtils.h"

using testing_support::MessageBoxRecorder;
using testing_support::TempDir;

namespace {

// What a user's pick from a combo box's list does: select, then tell the parent.
void PickItem(ui::ComboBox& combo, int index) {
    combo.Send(CB_SETCURSEL, WPARAM(index));
    SendMessageW(GetParent(combo.Handle()), WM_COMMAND,
                 MAKEWPARAM(GetDlgCtrlID(combo.Handle()), CBN_SELCHANGE), LPARAM(combo.Handle()));
}

// The names the "Select files" list shows, in display order.
std::vector<std::wstring> ListedNames(const TMainForm& form) {
    std::vector<std::wstring> names;
    for (int i = 0; i < form.PTShellList1->ShellItemCount(); ++i)
        names.push_back(form.PTShellList1->ShellDataAt(i).GetDisplayText());
    return names;
}

std::vector<bool> SelectedStates(const TMainForm& form) {
    std::vector<bool> states;
    for (int i = 0; i < form.PTShellList1->ShellItemCount(); ++i)
        states.push_back(form.PTShellList1->Selected(i));
    return states;
}

// What typing into a spin edit does.
void Type(ui::Window& edit, const std::wstring& text) {
    SetWindowTextW(edit.Handle(), text.c_str());  // the edit reports EN_CHANGE itself
}

TEST(MainForm, StartsWithTheLayoutsValues) {
    TMainForm form;
    EXPECT_EQ(form.Text(), L"Lumora 2.0 - Velquist Software");
    EXPECT_EQ(form.Width(), ui::Scale(500));
    EXPECT_EQ(form.Height(), ui::Scale(454));
    EXPECT_EQ(form.Constraints().minWidth, ui::Scale(500));
    EXPECT_EQ(form.Constraints().minHeight, ui::Scale(200));
    EXPECT_EQ(form.PageControl1->ActivePageIndex(), 0);
    EXPECT_EQ(form.TabSheet1->Caption(), L"Select files");
    EXPECT_EQ(form.TabSheet2->Caption(), L"Scan folder(s)");
    EXPECT_EQ(form.PanelRight->Width(), ui::Scale(240));
    EXPECT_EQ(form.btnStart->Text(), L"&Start");
    EXPECT_FALSE(form.cbCase->Checked());
    EXPECT_TRUE(form.cbWhole->Checked());
    EXPECT_TRUE(form.cbBackup->Checked());
    EXPECT_EQ(form.edtFind->Text(), L"");
    EXPECT_EQ(form.edtFind->Count(), 0);
    EXPECT_EQ(form.comboFileExt->Text(), L"*.txt");
    EXPECT_EQ(form.ComboFilter->Text(), L"All supported file types");
    const std::vector<std::wstring> types = {L"All supported file types",
                                             L"*.txt",
                                             L"*.htm;*.html;*.shtml;*.dhtml",
                                             L"*.asp",
                                             L"*.php",
                                             L"*.ini"};
    EXPECT_EQ(form.comboFileExt->Items(), types);
    EXPECT_EQ(form.ComboFilter->Items(), types);
    EXPECT_EQ(form.cbExtension->Count(), 11);
    EXPECT_EQ(form.comboDateRange->Text(), L"Modified date");
    EXPECT_EQ(form.SizeMin->Value(), 1);
    EXPECT_EQ(form.SizeMax->Value(), 100);
    EXPECT_EQ(form.AfterDate->Date(), base::Today() - 30);
    EXPECT_EQ(form.BeforeDate->Date(), base::Today());
    for (ui::Window* off : std::initializer_list<ui::Window*>{
             form.SizeMin.get(), form.SizeMax.get(), form.comboDateRange.get(), form.AD.get(),
             form.AfterDate.get(), form.BD.get(), form.BeforeDate.get()})
        EXPECT_FALSE(off->Enabled());
    EXPECT_EQ(form.StatusBar->PanelText(0), L"");
    EXPECT_FALSE(form.StatusBar->PanelText(1).empty());
    EXPECT_EQ(form.MainMenu()->Find({L"File", L"Exit"}), form.MenuItem_Exit);
    EXPECT_EQ(form.MainMenu()->Find({L"Help", L"About"}), form.About1);
    EXPECT_EQ(form.memLog->Lines().size(), 0u);
}

TEST(MainForm, ShowSelectsAllTypesAndFocusesTheFindText) {
    TMainForm form;
    form.Show();
    EXPECT_EQ(form.cbExtension->Text(), L"*.*");
    EXPECT_TRUE(form.edtFind->Focused() || IsChild(form.edtFind->Handle(), GetFocus()));
}

TEST(MainForm, EachLabelPrecedesItsControl) {
    TMainForm form;
    const std::pair<ui::Window*, ui::Window*> pairs[] = {
        {form.lblStartFolder.get(), form.editFolder.get()},
        {form.lblFileTypes.get(), form.comboFileExt.get()},
        {form.lblAtLeast.get(), form.SizeMin.get()},
        {form.lblAtMost.get(), form.SizeMax.get()},
        {form.lblFind.get(), form.edtFind.get()},
        {form.lblReplace.get(), form.edtReplace.get()},
    };
    for (auto [label, control] : pairs)
        EXPECT_EQ(GetWindow(label->Handle(), GW_HWNDNEXT), control->Handle()) << label->Text();
}

TEST(MainForm, TheFileListIsAMultipleSelectionReport) {
    TMainForm form;
    shellctl::TPTShellList& list = *form.PTShellList1;
    EXPECT_EQ(list.Parent(), form.TabSheet1);
    EXPECT_EQ(list.Options().Mask(), 1 + 8 + 16 + 256 + 2048 + 4096);
    EXPECT_EQ(list.FileFilter(), L"*.*");
    EXPECT_TRUE(list.MultiSelect());
    EXPECT_TRUE(list.RowSelect());
    EXPECT_FALSE(list.HideSelection());
    EXPECT_EQ(list.ViewStyle(), DWORD(LV_VIEW_DETAILS));
    EXPECT_EQ(list.Constraints().minHeight, ui::Scale(90));
    const DWORD style = DWORD(GetWindowLongPtrW(list.Handle(), GWL_STYLE));
    EXPECT_EQ(style & (LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_TYPEMASK),
              DWORD(LVS_SHOWSELALWAYS | LVS_REPORT));
    EXPECT_TRUE(list.Send(LVM_GETEXTENDEDLISTVIEWSTYLE) & LVS_EX_FULLROWSELECT);
    // Made small, the window keeps the list usable.
    form.SetSize(ui::Scale(500), ui::Scale(200));
    EXPECT_GE(list.Height(), ui::Scale(90));
}

TEST(MainForm, TheFolderTreeAboveTheListChoosesTheFolderItShows) {
    TempDir dir;
    dir.Write(L"top.txt", "x");
    dir.Write(L"sub\\inner.txt", "x");
    TMainForm form;
    shellctl::TPTShellTree& tree = *form.PTShellTree1;
    shellctl::TPTShellList& list = *form.PTShellList1;
    EXPECT_EQ(tree.Parent(), form.TabSheet1);
    EXPECT_EQ(tree.Options().Mask(), 955);
    EXPECT_EQ(tree.ShellList(), &list);
    EXPECT_TRUE(GetWindowLongPtrW(tree.Handle(), GWL_STYLE) & TVS_SHOWSELALWAYS);
    EXPECT_EQ(tree.Send(TVM_GETINDENT), ui::Scale(19));
    EXPECT_EQ(tree.Height(), ui::Scale(102));
    EXPECT_LT(tree.Top(), form.Splitter1->Top());
    EXPECT_LT(form.Splitter1->Top(), list.Top());

    // On a fresh start the tree fills itself from the desktop, and the list shows its folder.
    for (int turn = 0; turn < 200 && tree.RootNode() == nullptr; ++turn) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        ui::App().ProcessMessages();
    }
    ASSERT_NE(tree.RootNode(), nullptr);
    EXPECT_EQ(list.FolderPath(), tree.SelectedPath());

    // The list shows the files of the tree's folder, and the tree follows the list.
    tree.SetFolderPath(dir.Path());
    EXPECT_EQ(ListedNames(form), std::vector<std::wstring>{L"top.txt"});
    list.Folder().SetPath(dir / L"sub");
    EXPECT_EQ(tree.SelectedPath(), dir / L"sub");
    EXPECT_EQ(ListedNames(form), std::vector<std::wstring>{L"inner.txt"});

    // The splitter keeps both panes usable.
    EXPECT_EQ(form.Splitter1->MoveBy(-ui::Scale(1000)), ui::Scale(50));
    form.Splitter1->MoveBy(ui::Scale(1000));
    EXPECT_GE(list.Height(), ui::Scale(90));
}

TEST(MainForm, SwitchingTabsShowsTheirStatusAndEnablesSelectAll) {
    TempDir dir;
    for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.htm", L"d.txt"}) dir.Write(name, "x");
    TMainForm form;
    form.PTShellList1->Folder().SetPath(dir.Path());
    for (int item : {0, 2, 3}) form.PTShellList1->SetSelected(item, true);
    EXPECT_EQ(form.StatusBar->PanelText(0), L"3 file(s) selected");

    form.PageControl1->SelectPage(1);
    EXPECT_EQ(form.StatusBar->PanelText(0), L"Scan folder(s)");
    EXPECT_FALSE(form.btnSelectAll->Enabled());
    EXPECT_FALSE(form.cbExtension->Enabled());
    EXPECT_FALSE(form.Label1->Enabled());
    EXPECT_TRUE(form.TabSheet2->Visible());
    EXPECT_FALSE(form.TabSheet1->Visible());

    // A click on the first tab, through the tab control's own notification.
    HWND tabs = GetWindow(form.PageControl1->Handle(), GW_CHILD);
    while (tabs != nullptr) {
        wchar_t name[64] = {};
        GetClassNameW(tabs, name, 64);
        if (std::wstring(name) == WC_TABCONTROLW) break;
        tabs = GetWindow(tabs, GW_HWNDNEXT);
    }
    ASSERT_NE(tabs, nullptr);
    SendMessageW(tabs, TCM_SETCURSEL, 0, 0);
    NMHDR change{tabs, UINT_PTR(GetDlgCtrlID(tabs)), UINT(TCN_SELCHANGE)};
    form.PageControl1->Send(WM_NOTIFY, change.idFrom, LPARAM(&change));
    EXPECT_EQ(form.StatusBar->PanelText(0), L"3 file(s) selected");
    EXPECT_TRUE(form.btnSelectAll->Enabled());
    EXPECT_TRUE(form.cbExtension->Enabled());
    EXPECT_TRUE(form.Label1->Enabled());
    EXPECT_TRUE(form.TabSheet1->Visible());
}

TEST(MainForm, DateAndSizeBoxesEnableExactlyTheirControls) {
    TMainForm form;
    form.AD->Click();  // checked while disabled: a click does nothing
    EXPECT_FALSE(form.AD->Checked());

    form.cbDate->Click();
    EXPECT_TRUE(form.comboDateRange->Enabled());
    EXPECT_TRUE(form.AD->Enabled());
    EXPECT_TRUE(form.BD->Enabled());
    EXPECT_FALSE(form.AfterDate->Enabled());
    EXPECT_FALSE(form.BeforeDate->Enabled());
    form.AD->Click();
    EXPECT_TRUE(form.AfterDate->Enabled());
    EXPECT_FALSE(form.BeforeDate->Enabled());

    form.cbDate->Click();  // off: all five off, the check marks stay
    for (ui::Window* off : std::initializer_list<ui::Window*>{form.comboDateRange.get(),
                                                              form.AD.get(), form.AfterDate.get(),
                                                              form.BD.get(), form.BeforeDate.get()})
        EXPECT_FALSE(off->Enabled());
    EXPECT_TRUE(form.AD->Checked());
    form.cbDate->Click();  // on again: the picker whose box is still checked comes back
    EXPECT_TRUE(form.AfterDate->Enabled());
    EXPECT_FALSE(form.BeforeDate->Enabled());

    form.cbFileSize->Click();
    EXPECT_TRUE(form.SizeMin->Enabled());
    EXPECT_TRUE(form.SizeMax->Enabled());
    form.cbFileSize->Click();
    EXPECT_FALSE(form.SizeMin->Enabled());
    EXPECT_FALSE(form.SizeMax->Enabled());
}

TEST(MainForm, SizeValuesAreKeptWithinWhatTheScanCanUse) {
    TMainForm form;
    const struct {
        std::wstring min, max;
        int expectedMin, expectedMax;
    } cases[] = {
        {L"-5", L"100", 0, 100}, {L"200", L"100", 200, 100},  // not compared with each other
        {L"1", L"-1", 1, 0},     {L"5000000", L"4194303", 4194303, 4194303},
        {L"abc", L"7", 0, 7},    {L"99999999999", L"-99999999999", 4194303, 0},
    };
    for (const auto& c : cases) {
        Type(*form.SizeMin, c.min);
        Type(*form.SizeMax, c.max);
        EXPECT_EQ(form.SizeMin->Value(), c.expectedMin) << c.min;
        EXPECT_EQ(form.SizeMax->Value(), c.expectedMax) << c.max;
        if (c.min != L"abc") {
            EXPECT_EQ(form.SizeMin->Text(), std::to_wstring(c.expectedMin));
        }
        EXPECT_EQ(form.SizeMax->Text(), std::to_wstring(c.expectedMax));
    }
}

TEST(MainForm, TheFilterComboHandsItsMasksToTheList) {
    TempDir dir;
    for (const wchar_t* name : {L"a.txt", L"b.htm", L"c.ini", L"d.html"}) dir.Write(name, "x");
    TMainForm form;
    form.PTShellList1->Folder().SetPath(dir.Path());
    const struct {
        std::wstring text;  // typed from code when not picked
        int pick;
        std::wstring filter;
        std::vector<std::wstring> names;
    } steps[] = {
        {L"", -1, L"*.*", {L"a.txt", L"b.htm", L"c.ini", L"d.html"}},
        {L"*.ini", -1, L"*.*", {L"a.txt", L"b.htm", L"c.ini", L"d.html"}},  // not a change
        {L"", 1, L"*.txt", {L"a.txt"}},
        // "*.htm" also finds d.html, through its short name, as the platform does.
        {L"", 0, L"*.txt;*.htm;*.shtml;*.dhtml;*.asp;*.php", {L"a.txt", L"b.htm", L"d.html"}},
    };
    for (const auto& step : steps) {
        if (step.pick >= 0) {
            PickItem(*form.ComboFilter, step.pick);
        } else if (!step.text.empty()) {
            form.ComboFilter->SetText(step.text);
        }
        EXPECT_EQ(form.PTShellList1->FileFilter(), step.filter);
        EXPECT_EQ(ListedNames(form), step.names) << step.filter;
    }
}

TEST(MainForm, SelectAllChoosesItemsByExtension) {
    TempDir dir;
    for (const wchar_t* name :
         {L"a.txt", L"b.txt", L"c.TXT", L"README", L"page.html", L"page.htm", L"q.HTML", L"x.h"})
        dir.Write(name, "x");
    TMainForm form;
    form.PTShellList1->Folder().SetPath(dir.Path());
    ASSERT_EQ(ListedNames(form),
              (std::vector<std::wstring>{L"a.txt", L"b.txt", L"c.TXT", L"page.htm", L"page.html",
                                         L"q.HTML", L"README", L"x.h"}));
    const struct {
        int pick;
        std::vector<bool> expected;
        const wchar_t* status;
    } cases[] = {
        {0, {true, true, true, true, true, true, true, true}, L"8 file(s) selected"},  // *.*
        {1, {true, true, false, false, false, false, false, false}, L"2 file(s) selected"},
        // The extension anywhere in "*.html", case and all: .htm and .h too, not .HTML.
        {2, {false, false, false, true, true, false, false, true}, L"3 file(s) selected"},
    };
    for (const auto& c : cases) {
        PickItem(*form.cbExtension, c.pick);
        form.btnSelectAll->Click();
        EXPECT_EQ(SelectedStates(form), c.expected) << c.pick;
        EXPECT_EQ(form.StatusBar->PanelText(0), c.status);
    }
}

TEST(MainForm, HelpMenuOpensTheWebsiteAndTheAboutBox) {
    TMainForm form;
    std::wstring opened;
    form.OpenWebAddress = [&](HWND owner, const std::wstring& address) {
        EXPECT_EQ(owner, form.Handle());
        opened = address;
    };
    form.Website1->Click();
    EXPECT_EQ(opened.rfind(L"https://", 0), 0u);

    MessageBoxRecorder boxes;
    form.About1->Click();
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_NE(boxes.Boxes()[0].text.find(L"Lumora 2.0"), std::wstring::npos);
    EXPECT_NE(boxes.Boxes()[0].text.find(L"Velquist Software"), std::wstring::npos);
}

TEST(MainForm, TheBrowseDialogOpensAtTheTypedFolderAndOkSetsTheScansStartFolder) {
    TempDir dir;
    dir.MakeDir(L"start");
    dir.Write(L"pick\\a.txt", "hello");
    TMainForm form;
    shellctl::TPTFolderBrowseDlg& dlg = *form.PTFolderBrowseDlg1;
    const struct {
        const char* name;
        std::wstring typed;
        bool ok;
        std::wstring opened;  // empty: at the root
        std::wstring after;
    } cases[] = {
        {"Cancel", dir / L"start", false, dir / L"start", dir / L"start"},
        {"OK", dir / L"start", true, dir / L"start", dir / L"pick"},
        {"no such folder", dir / L"gone", false, L"", dir / L"gone"},
        {"a file", dir / L"pick\\a.txt", true, L"", dir / L"pick"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        form.editFolder->SetText(c.typed);
        bool atRoot = false;
        std::wstring opened;
        ui::Timer timer(1);
        dlg.OnFormShow = [&](ui::Window&) { timer.SetEnabled(true); };
        timer.OnTimer = [&](ui::Timer&) {
            timer.SetEnabled(false);
            shellctl::TPTShellTree& tree = *dlg.ActiveForm()->PTShellTree1;
            atRoot = tree.Selected() == tree.RootNode();
            opened = tree.SelectedPath();
            tree.SetFolderPath(dir / L"pick");
            ui::Button& end = c.ok ? *dlg.ActiveForm()->OkBtn : *dlg.ActiveForm()->CancelBtn;
            PostMessageW(end.Handle(), BM_CLICK, 0, 0);
        };
        form.btnBrowse->Click();
        EXPECT_EQ(atRoot, c.opened.empty());
        if (!c.opened.empty()) {
            EXPECT_EQ(opened, c.opened);
        }
        EXPECT_EQ(form.editFolder->Text(), c.after);
    }
    // The scan that follows searches the chosen folder.
    form.PageControl1->SelectPage(1);
    form.edtFind->SetText(L"hello");
    form.edtReplace->SetText(L"bye");
    MessageBoxRecorder boxes;
    form.btnStart->Send(BM_CLICK);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(testing_support::ReadFileBytes(dir / L"pick\\a.txt"), "bye\r\n");
}

// What a control draws with is still there when the control goes: its font and its icon.
TEST(MainForm, ControlsGoBeforeWhatTheyDrawWith) {
    static std::vector<std::wstring> lost;
    lost.clear();
    const auto checkDrawingObjects = [](int code, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (code == HCBT_DESTROYWND) {
            const HWND window = HWND(wParam);
            wchar_t className[64] = {};
            GetClassNameW(window, className, 64);
            const auto font = HGDIOBJ(SendMessageW(window, WM_GETFONT, 0, 0));
            if (font != nullptr && GetObjectType(font) != OBJ_FONT)
                lost.push_back(std::wstring(className) + L" font");
            const auto icon = HICON(SendMessageW(window, BM_GETIMAGE, IMAGE_ICON, 0));
            ICONINFO info{};
            if (std::wstring(className) == WC_BUTTONW && icon != nullptr) {
                if (!GetIconInfo(icon, &info)) lost.push_back(L"button icon");
                DeleteObject(info.hbmColor);
                DeleteObject(info.hbmMask);
            }
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    };
    auto form = std::make_unique<TMainForm>();
    form->Show();
    HHOOK hook = SetWindowsHookExW(WH_CBT, checkDrawingObjects, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    form.reset();
    UnhookWindowsHookEx(hook);
    EXPECT_TRUE(lost.empty()) << testing::PrintToString(lost);
}

// The error display is captioned with the program's title even before the window exists.
TEST(MainForm, AnErrorWhileTheWindowIsBuiltShowsTheProgramsCaption) {
    ui::App().SetTitle(L"");
    MessageBoxRecorder boxes;
    const int exitCode = RunMainForm(
        []() -> std::unique_ptr<ui::Form> { throw base::Error(L"No room for the window"); });
    EXPECT_EQ(exitCode, 1);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].caption, L"Lumora");
    EXPECT_EQ(boxes.Boxes()[0].text, L"No room for the window");
    EXPECT_EQ(boxes.Boxes()[0].type, UINT(MB_OK | MB_ICONSTOP));
}

TEST(MainForm, ExitClosesTheWindow) {
    TMainForm form;
    form.MenuItem_Exit->Click();
    EXPECT_TRUE(form.Closed());
}

}  // namespace
