#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/MainForm.h"
#include "common/TempDir.h"
#include "ui/Application.h"

using testing_support::MessageBoxRecorder;
using testing_support::ReadFileBytes;
using testing_support::TempDir;

namespace {

// A main window set up for a scan of folder: find/replace texts typed, the scan tab chosen.
struct ScanForm {
    explicit ScanForm(const std::wstring& folder, const std::wstring& find = L"hello",
                      const std::wstring& replace = L"bye") {
        form.PageControl1->SelectPage(1);
        form.editFolder->SetText(folder);
        form.edtFind->SetText(find);
        form.edtReplace->SetText(replace);
    }
    // A press of Start as the user makes it: through the button's own notification.
    void PressStart() { form.btnStart->Send(BM_CLICK); }
    TMainForm form;
};

TEST(Run, AScanRewritesTheMatchingFilesWithBackupsAndLogsThem) {
    TempDir dir;
    dir.Write(L"a.txt", "hello world\r\nsay hello");
    dir.Write(L"notes.txt", "nothing here\n");
    dir.Write(L"page.htm", "hello");
    dir.Write(L"sub folder\\b.txt", "Hello\nhello\n");
    ScanForm scan(dir.Path());
    scan.form.cbSubFolders->Click();
    MessageBoxRecorder boxes;
    scan.PressStart();

    EXPECT_TRUE(boxes.Boxes().empty());
    const std::vector<std::wstring> log = {
        L"a.txt - 2 replacement(s)", L"notes.txt - 0 replacement(s)", L"b.txt - 2 replacement(s)",
        L"", L"3 file(s) processed"};
    EXPECT_EQ(scan.form.memLog->Lines(), log);
    EXPECT_EQ(ReadFileBytes(dir / L"a.txt"), "bye world\r\nsay bye\r\n");
    EXPECT_EQ(ReadFileBytes(dir / L"a.bak"), "hello world\r\nsay hello");
    EXPECT_EQ(ReadFileBytes(dir / L"sub folder\\b.txt"), "bye\r\nbye\r\n");
    EXPECT_EQ(ReadFileBytes(dir / L"sub folder\\b.bak"), "Hello\nhello\n");
    EXPECT_EQ(ReadFileBytes(dir / L"page.htm"), "hello");
    EXPECT_FALSE(testing_support::FileExists(dir / L"notes.bak"));
    EXPECT_EQ(scan.form.btnStart->Text(), L"&Start");
    EXPECT_EQ(scan.form.edtFind->Items(), std::vector<std::wstring>{L"hello"});
    EXPECT_EQ(scan.form.edtReplace->Items(), std::vector<std::wstring>{L"bye"});
    // Everything the scan disabled is usable again.
    EXPECT_TRUE(scan.form.PageControl1->Enabled());
    EXPECT_TRUE(scan.form.edtFind->Enabled());
    EXPECT_FALSE(scan.form.btnSelectAll->Enabled());  // as the scan tab has it
}

TEST(Run, TheScanTabSetsTheCriteriaOfTheSearch) {
    TempDir dir;
    dir.Write(L"b.htm", std::string(2000, 'x'));
    dir.Write(L"c.txt", std::string(2000, 'x'));
    dir.Write(L"small.txt", "x");  // below the lower size bound
    ScanForm scan(dir.Path());
    TMainForm& form = scan.form;
    const findfile::TSearchCriteria& criteria = form.FindFile1->Criteria();

    form.comboFileExt->SetText(L"All supported file types");
    form.cbFileSize->Click();
    form.SizeMin->SetValue(1);
    form.SizeMax->SetValue(100);
    form.GetFilenames();
    EXPECT_EQ(criteria.Files().FileName(), L"*.txt;*.htm;*.shtml;*.dhtml;*.asp;*.php");
    EXPECT_EQ(criteria.Files().Location(), dir.Path());
    EXPECT_FALSE(criteria.Files().Subfolders());
    EXPECT_EQ(criteria.Size().Min(), 1024u);
    EXPECT_EQ(criteria.Size().Max(), 102400u);
    // Masks are reported from the last to the first.
    EXPECT_EQ(form.FileList, (TFileList{dir / L"b.htm", dir / L"c.txt"}));

    form.cbFileSize->Click();  // off: no size bounds at the next run
    form.comboFileExt->SetText(L"*.htm;*.html");
    form.GetFilenames();
    EXPECT_EQ(criteria.Files().FileName(), L"*.htm;*.html");
    EXPECT_EQ(criteria.Size().Min(), 0u);
    EXPECT_EQ(criteria.Size().Max(), 0u);
}

// What a killed run left behind is never taken for a user's file, on either tab.
TEST(Run, LeftoverTemporaryFilesAreNoPartOfTheFileSet) {
    TempDir dir;
    const std::wstring mine = dir.Write(L"~lumora.tmp", "");
    const std::wstring leftNew = dir.Write(L"~lumora-new-0123abcd.tmp", "");
    const std::wstring leftOld = dir.Write(L"~LUMORA-OLD-0123abcd-a.txt.tmp", "");
    ScanForm scan(dir.Path());
    TMainForm& form = scan.form;
    form.comboFileExt->SetText(L"*.tmp");
    form.GetFilenames();
    EXPECT_EQ(form.FileList, TFileList{mine});

    form.PageControl1->SelectPage(0);
    form.PTShellList1->Folder().SetPath(dir.Path());
    form.PTShellList1->SelectAllItems();
    ASSERT_EQ(form.PTShellList1->SelectedItems().size(), 3u);
    form.GetFilenames();
    EXPECT_EQ(form.FileList, TFileList{mine});
}

TEST(Run, InvalidChoicesAreRefusedAndChangeNothing) {
    TempDir dir;
    const std::wstring file = dir.Write(L"file.txt", "hello");
    for (const std::wstring& folder : {file, dir / L"missing", std::wstring()}) {
        ScanForm scan(folder);
        scan.form.memLog->AddLine(L"an earlier run");
        MessageBoxRecorder boxes;
        scan.PressStart();
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].caption, L"Error");
        EXPECT_EQ(boxes.Boxes()[0].text, L"You must specify a valid start folder.");
        EXPECT_EQ(boxes.Boxes()[0].type, UINT(MB_OK | MB_ICONERROR));
        EXPECT_TRUE(scan.form.memLog->Lines().empty());
        EXPECT_EQ(scan.form.edtFind->Count(), 0);
        EXPECT_EQ(scan.form.edtReplace->Count(), 0);
    }

    TMainForm form;
    form.PTShellList1->Folder().SetPath(dir.Path());
    form.edtFind->SetText(L"hello");
    MessageBoxRecorder boxes;
    form.btnStart->Send(BM_CLICK);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].caption, L"No files selected");
    EXPECT_EQ(boxes.Boxes()[0].text, L"You must select at least one file in the file list.");
    EXPECT_EQ(boxes.Boxes()[0].type, UINT(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(form.edtFind->Count(), 0);
    EXPECT_EQ(ReadFileBytes(file), "hello");
}

TEST(Run, TheSelectFilesRoadTakesTheListsSelectionInDisplayOrder) {
    TempDir dir;
    const std::vector<std::wstring> paths = {dir / L"a.txt", dir / L"b.htm", dir / L"c.txt",
                                             dir / L"d.txt"};
    // A folder in the selection has nothing to replace: it is passed over. (A list without a
    // tree shows folders.)
    dir.MakeDir(L"sub");
    TMainForm form;
    form.PTShellTree1->SetShellList(nullptr);
    form.PTShellList1->Folder().SetPath(dir.Path());
    form.cbBackup->Click();             // off
    form.cbExtension->SetItemIndex(0);  // "*.*"
    form.edtFind->SetText(L"Hello");
    const struct {
        std::vector<int> chosen;  // none: "Select all"
        bool descending;          // a click on the Name header first
        TFileList files;
        std::vector<std::wstring> log;
        const wchar_t* status;
    } runs[] = {
        {{},
         false,
         paths,
         {L"a.txt - 1 replacement(s)", L"b.htm - 1 replacement(s)", L"c.txt - 1 replacement(s)",
          L"d.txt - 0 replacement(s)", L"", L"4 file(s) processed"},
         L"5 file(s) selected"},
        {{0, 2, 4},
         true,
         {paths[3], paths[1]},
         {L"d.txt - 0 replacement(s)", L"b.htm - 1 replacement(s)", L"", L"2 file(s) processed"},
         L"3 file(s) selected"},
    };
    for (const auto& run : runs) {
        for (size_t i = 0; i < paths.size(); ++i)
            testing_support::WriteFileBytes(paths[i], i == 3 ? "Bye" : "Hello");
        form.PTShellList1->RefreshItems();
        if (run.descending) form.PTShellList1->SetSortColumn(-1);
        if (run.chosen.empty()) {
            form.btnSelectAll->Click();
        } else {
            form.PTShellList1->ClearSelection();
            for (int item : run.chosen) form.PTShellList1->SetSelected(item, true);
        }
        EXPECT_EQ(form.StatusBar->PanelText(0), run.status);
        form.btnStart->Send(BM_CLICK);
        EXPECT_EQ(form.FileList, run.files);
        EXPECT_EQ(form.memLog->Lines(), run.log);
    }
    EXPECT_EQ(ReadFileBytes(paths[0]), "Hello");  // not chosen the second time
    EXPECT_EQ(ReadFileBytes(paths[1]), "\r\n");
}

TEST(Run, TheSelectFilesRoadRunsOnTheFilesOfTheFolderClickedInTheTree) {
    TempDir dir;
    dir.Write(L"top.txt", "Hello");
    dir.Write(L"sub\\a.txt", "Hello");
    dir.Write(L"sub\\b.txt", "Hello Hello");
    TMainForm form;
    shellctl::TPTShellTree& tree = *form.PTShellTree1;
    // Set before the tree first fills, as the settings are: the fill opens there.
    tree.SetFolderPath(dir.Path());
    ui::App().ProcessMessages();
    ASSERT_EQ(tree.SelectedPath(), dir.Path());
    EXPECT_EQ(form.PTShellList1->FolderPath(), dir.Path());
    HTREEITEM sub = tree.FirstChild(tree.Selected());
    ASSERT_EQ(tree.NodeText(sub), L"sub");
    // A click, as the platform's control sees one: the release waits in the queue.
    const RECT text = tree.NodeTextRect(sub);
    const LPARAM point = MAKELPARAM((text.left + text.right) / 2, (text.top + text.bottom) / 2);
    PostMessageW(tree.Handle(), WM_LBUTTONUP, 0, point);
    tree.Send(WM_LBUTTONDOWN, MK_LBUTTON, point);
    ui::App().ProcessMessages();
    EXPECT_EQ(form.PTShellList1->FolderPath(), dir / L"sub");

    form.cbExtension->SetItemIndex(0);  // "*.*"
    form.btnSelectAll->Click();
    form.edtFind->SetText(L"Hello");
    form.edtReplace->SetText(L"Bye");
    form.btnStart->Send(BM_CLICK);
    EXPECT_EQ(form.memLog->Lines(),
              (std::vector<std::wstring>{L"a.txt - 1 replacement(s)", L"b.txt - 2 replacement(s)",
                                         L"", L"2 file(s) processed"}));
    EXPECT_EQ(ReadFileBytes(dir / L"sub\\b.txt"), "Bye Bye\r\n");
    EXPECT_EQ(ReadFileBytes(dir / L"top.txt"), "Hello");
}

TEST(Run, HistoriesIgnoreCase) {
    TempDir dir;
    const std::wstring file = dir.Write(L"1.txt", "Hello");
    TMainForm form;
    form.PTShellList1->Folder().SetPath(dir.Path());
    form.PTShellList1->SelectAllItems();
    form.cbBackup->Click();  // off
    form.edtFind->SetText(L"Hello");
    form.btnStart->Send(BM_CLICK);
    form.edtFind->SetText(L"HELLO");
    form.btnStart->Send(BM_CLICK);
    EXPECT_EQ(form.edtFind->Items(), std::vector<std::wstring>{L"Hello"});
    EXPECT_EQ(form.edtFind->Text(), L"HELLO");
    EXPECT_EQ(form.edtReplace->Items(), std::vector<std::wstring>{L""});
}

TEST(Run, StopDuringTheScanAbortsItAndTheRunGoesOnWithWhatWasFound) {
    TempDir dir;
    for (int i = 0; i < 50; ++i) dir.Write(L"f" + std::to_wstring(100 + i) + L".txt", "hello");
    ScanForm scan(dir.Path());
    TMainForm& form = scan.form;
    bool disabledDuringScan = false;
    form.FindFile1->OnFileMatch = [&](findfile::TFindFile& sender, const std::wstring& folder,
                                      const findfile::TSearchRec& info) {
        form.FindFile1FileMatch(sender, folder, info);
        disabledDuringScan = !form.PageControl1->Enabled() && !form.edtFind->Enabled() &&
                             form.btnStart->Enabled() && form.btnStart->Text() == L"Stop";
        form.btnStart->Send(BM_CLICK);  // Stop, pressed while the scan runs
    };
    scan.PressStart();
    EXPECT_TRUE(disabledDuringScan);
    ASSERT_EQ(form.FileList.size(), 1u);
    const std::vector<std::wstring> log = {
        form.FileList[0].substr(dir.Path().size() + 1) + L" - 1 replacement(s)", L"",
        L"1 file(s) processed"};
    EXPECT_EQ(form.memLog->Lines(), log);
    EXPECT_EQ(form.btnStart->Text(), L"&Start");
    EXPECT_TRUE(form.PageControl1->Enabled());
}

TEST(Run, ACloseRequestDuringTheScanStopsItAndRewritesNothing) {
    TempDir dir;
    for (int i = 0; i < 5; ++i) dir.Write(L"f" + std::to_wstring(i) + L".txt", "hello");
    ScanForm scan(dir.Path());
    TMainForm& form = scan.form;
    form.FindFile1->OnFileMatch = [&](findfile::TFindFile& sender, const std::wstring& folder,
                                      const findfile::TSearchRec& info) {
        form.FindFile1FileMatch(sender, folder, info);
        form.Post(WM_CLOSE);
    };
    scan.PressStart();
    ui::App().ProcessMessages();  // the close the run asked for
    EXPECT_TRUE(form.Closed());
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(ReadFileBytes(dir / (L"f" + std::to_wstring(i) + L".txt")), "hello");
}

TEST(Run, AFailureReachesTheErrorDisplayAndTheNextRunWorks) {
    TempDir dir;
    const std::wstring good = dir.Write(L"good.txt", "hello");
    // Listed, then gone before the run.
    const std::wstring missing = dir.Write(L"missing.txt", "hello");
    TMainForm form;
    form.PTShellList1->Folder().SetPath(dir.Path());
    form.PTShellList1->SelectAllItems();
    DeleteFileW(missing.c_str());
    form.edtFind->SetText(L"hello");
    form.edtReplace->SetText(L"bye");
    ui::App().SetTitle(L"Lumora");
    MessageBoxRecorder boxes;
    form.btnStart->Send(BM_CLICK);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].caption, L"Lumora");
    EXPECT_EQ(boxes.Boxes()[0].type, UINT(MB_OK | MB_ICONSTOP));
    EXPECT_EQ(boxes.Boxes()[0].text.rfind(L"Cannot open file \"" + missing + L"\". ", 0), 0u);
    EXPECT_EQ(form.memLog->Lines(), (std::vector<std::wstring>{L"good.txt - 1 replacement(s)", L"",
                                                               L"2 file(s) processed"}));

    form.PTShellList1->SetSelected(1, false);
    form.edtFind->SetText(L"bye");
    form.edtReplace->SetText(L"hello");
    boxes.Clear();
    form.btnStart->Send(BM_CLICK);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(ReadFileBytes(good), "hello\r\n");
}

TEST(Run, ManyFilesWithoutBackupAskFirstWhileTheRunsControlsWait) {
    for (const int answer : {IDNO, IDYES}) {
        SCOPED_TRACE(answer);
        TempDir dir;
        std::vector<std::wstring> paths;
        for (int i = 0; i < 10; ++i)
            paths.push_back(dir.Write(std::to_wstring(i) + L".txt", "hello"));
        TMainForm form;
        form.PTShellList1->Folder().SetPath(dir.Path());
        form.PTShellList1->SelectAllItems();
        form.edtFind->SetText(L"hello");
        form.cbBackup->Click();
        std::vector<ui::MessageBoxRequest> boxes;
        HCURSOR cursorAtQuestion = nullptr;
        bool waiting = false;
        const ui::MessageBoxHandler previous =
            ui::SetMessageBoxHandler([&](const ui::MessageBoxRequest& box) {
                boxes.push_back(box);
                cursorAtQuestion = ui::App().ScreenCursor();
                waiting = !form.edtFind->Enabled() && !form.cbBackup->Enabled() &&
                          form.btnStart->Text() == L"Stop";
                return answer;
            });
        form.btnStart->Send(BM_CLICK);
        ui::SetMessageBoxHandler(previous);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, L"Warning");
        EXPECT_EQ(boxes[0].type, UINT(MB_YESNO | MB_ICONEXCLAMATION));
        // A question is no time to look busy.
        EXPECT_EQ(cursorAtQuestion, LoadCursorW(nullptr, IDC_ARROW));
        EXPECT_TRUE(waiting);
        EXPECT_EQ(form.memLog->Lines().size(), answer == IDYES ? 12u : 0u);
        EXPECT_EQ(ReadFileBytes(paths[9]), answer == IDYES ? "\r\n" : "hello");
        EXPECT_EQ(form.btnStart->Text(), L"&Start");
    }
}

// Size bounds that are no numbers would be no bounds at all: the run is refused instead.
TEST(Run, SizeBoundsThatAreNoNumbersRefuseTheScan) {
    const std::string text = std::string(3000, 'x') + " hello";  // 3 KB
    const struct {
        const wchar_t *min, *max;
        bool sized, refused;
    } cases[] = {
        {L"abc", L"100", true, true}, {L"1", L"", true, true},   {L"1", L"1.5", true, true},
        {L"1", L"-", true, true},     {L" 1", L"4", true, true}, {L"abc", L"", false, false},
        {L"1", L"+4", true, false},
    };
    ScanForm scan(L"");
    for (const auto& c : cases) {
        TempDir dir;
        const std::wstring file = dir.Write(L"big.txt", text);
        scan.form.editFolder->SetText(dir.Path());
        if (scan.form.cbFileSize->Checked() != c.sized) scan.form.cbFileSize->Click();
        SetWindowTextW(scan.form.SizeMin->Handle(), c.min);
        SetWindowTextW(scan.form.SizeMax->Handle(), c.max);
        MessageBoxRecorder boxes;
        scan.PressStart();
        if (c.refused) {
            ASSERT_EQ(boxes.Boxes().size(), 1u) << c.min << " " << c.max;
            EXPECT_EQ(boxes.Boxes()[0].caption, L"Error");
            EXPECT_EQ(boxes.Boxes()[0].text, L"The file sizes must be whole numbers of kilobytes.");
            EXPECT_EQ(scan.form.edtFind->Count(), 0);
            EXPECT_EQ(ReadFileBytes(file).substr(3000), " hello");
        } else {
            EXPECT_TRUE(boxes.Boxes().empty()) << c.min << " " << c.max;
            EXPECT_EQ(ReadFileBytes(file).substr(3000), " bye\r\n");
        }
    }
}

// The history keeps one of texts that differ only in letter case, and compares them as names
// compare, not by a language's rules.
TEST(Run, HistoriesCompareTextsOrdinallyIgnoringCase) {
    TempDir dir;
    ScanForm scan(dir.Path());
    for (const wchar_t* text : {L"Stra\u00dfe", L"Strasse", L"STRASSE", L"STRA\u00dfE", L"a\u00adb",
                                L"ab", L"\u00c4rger", L"\u00e4RGER"}) {
        scan.form.edtFind->SetText(text);
        scan.PressStart();
    }
    EXPECT_EQ(
        scan.form.edtFind->Items(),
        (std::vector<std::wstring>{L"Stra\u00dfe", L"Strasse", L"a\u00adb", L"ab", L"\u00c4rger"}));
}

}  // namespace
