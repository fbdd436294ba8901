// The replacement pass of a run on its worker, with the real main window: lines as they come,
// Stop, errors, closing and the end of the session.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ReplaceTestSupport.h"
#include "app/MainForm.h"
#include "app/ReplaceEngine.h"
#include "app/ReplaceWorker.h"
#include "base/Strings.h"
#include "common/TempDir.h"
#include "ui/Application.h"

using testing_support::FileExists;
using testing_support::MessageBoxRecorder;
using testing_support::ReadFileBytes;
using testing_support::TempDir;

namespace {

// More files than the worker may run ahead of the window, which it never passes while the window
// shows lines: a stop at the first lines the window sees always lands in the middle.
constexpr size_t kManyFiles = ReplaceWorker::kMaxWaitingLines + 8;

// Whether the end of the log is in view: the last character stands inside the memo.
bool NewestLineShown(const ui::Memo& memo) {
    const LRESULT length = memo.Send(WM_GETTEXTLENGTH);
    if (length < 3) return true;
    const LRESULT position = memo.Send(EM_POSFROMCHAR, WPARAM(length - 3));
    const RECT client = memo.ClientRect();
    const short y = short(HIWORD(position));
    return position != -1 && y >= client.top && y < client.bottom;
}

// A main window that keeps every line reaching its log, so that a test can act while the pass
// runs and still see the lines of a window that has closed.
struct WatchedForm : TMainForm {
    void AddLogLines(const std::vector<std::wstring>& lines) override {
        TMainForm::AddLogLines(lines);
        logged.insert(logged.end(), lines.begin(), lines.end());
        newestShown = newestShown && NewestLineShown(*memLog);
        if (OnLines) OnLines();
    }
    std::vector<std::wstring> logged;
    bool newestShown = true;
    std::function<void()> OnLines;
};

std::wstring NameOf(size_t i) { return L"f" + std::to_wstring(100 + i) + L".txt"; }

// Shows the files of folder in the list and selects them all.
void SelectAllIn(TMainForm& form, const std::wstring& folder) {
    form.PTShellList1->Folder().SetPath(folder);
    form.PTShellList1->SelectAllItems();
}

// kManyFiles files holding "hello", all selected in the list, to be replaced by "bye".
struct PassSetup {
    PassSetup() {
        for (size_t i = 0; i < kManyFiles; ++i) dir.Write(NameOf(i), "hello");
        SelectAllIn(form, dir.Path());
        form.edtFind->SetText(L"hello");
        form.edtReplace->SetText(L"bye");
    }
    // Runs from Start and calls during() once while the run goes on: at the first match of a
    // scan of the files' folder, or at the first lines that reach the window during the pass.
    void RunWith(bool scan, const std::function<void()>& during) {
        bool called = false;
        auto once = [&] {
            if (!called) during();
            called = true;
        };
        if (scan) {
            form.PageControl1->SelectPage(1);
            form.editFolder->SetText(dir.Path());
            form.FindFile1->OnFileMatch = [&](findfile::TFindFile& sender,
                                              const std::wstring& folder,
                                              const findfile::TSearchRec& info) {
                form.FindFile1FileMatch(sender, folder, info);
                once();
            };
        } else {
            form.OnLines = [&] {
                if (form.btnStart->Text() == L"Stop") once();
            };
        }
        form.btnStart->Send(BM_CLICK);
        form.OnLines = nullptr;
        form.FindFile1->OnFileMatch = nullptr;
    }
    size_t RewrittenFiles() const {
        size_t count = 0;
        for (size_t i = 0; i < kManyFiles; ++i) count += ReadFileBytes(dir / NameOf(i)) != "hello";
        return count;
    }
    // A pass stopped after some files: their lines, the stopped line and the summary; the files
    // before the stop rewritten with backups, the others untouched. Returns how many were done.
    size_t ExpectStoppedPass(const std::vector<std::wstring>& log) const {
        EXPECT_TRUE(boxes.Boxes().empty());
        EXPECT_GE(log.size(), 3u);
        if (log.size() < 3) return 0;
        const size_t done = log.size() - 3;
        EXPECT_LT(done, kManyFiles);
        for (size_t i = 0; i < kManyFiles; ++i) {
            SCOPED_TRACE(i);
            if (i < done) {
                EXPECT_EQ(log[i], NameOf(i) + L" - 1 replacement(s)");
            }
            EXPECT_EQ(ReadFileBytes(dir / NameOf(i)), i < done ? "bye\r\n" : "hello");
            EXPECT_EQ(FileExists(dir / BackupFileName(NameOf(i))), i < done);
        }
        const std::vector<std::wstring> end = {
            L"Stopped after " + std::to_wstring(done) + L" file(s)", L"",
            std::to_wstring(kManyFiles) + L" file(s) processed"};
        EXPECT_EQ(std::vector<std::wstring>(log.end() - 3, log.end()), end);
        return done;
    }

    TempDir dir;
    WatchedForm form;
    MessageBoxRecorder boxes;
};

TEST(Pass, LinesArriveWhileItRunsAndStopEndsItBetweenFilesThenTheNextRunWorks) {
    PassSetup setup;
    WatchedForm& form = setup.form;
    form.StatusBar->SetPanelText(0, L"before the run");
    bool disabled = false;
    std::wstring status;
    HCURSOR cursor = nullptr;
    setup.RunWith(false, [&] {
        disabled = !form.PageControl1->Enabled() && !form.edtFind->Enabled() &&
                   !form.edtReplace->Enabled() && !form.cbBackup->Enabled() &&
                   form.btnStart->Enabled();
        status = form.StatusBar->PanelText(0);
        cursor = ui::App().ScreenCursor();
        form.edtReplace->SetText(L"changed");  // too late: the pass took its texts at the start
        form.btnStart->Send(BM_CLICK);         // Stop
    });
    EXPECT_TRUE(disabled);
    EXPECT_EQ(cursor, LoadCursorW(nullptr, IDC_APPSTARTING));
    EXPECT_EQ(ui::App().ScreenCursor(), nullptr);
    EXPECT_EQ(status.substr(status.find(L" of ")),
              L" of " + std::to_wstring(kManyFiles) + L" file(s)");
    setup.ExpectStoppedPass(form.memLog->Lines());
    EXPECT_EQ(form.btnStart->Text(), L"&Start");
    EXPECT_TRUE(form.PageControl1->Enabled() && form.edtFind->Enabled());
    EXPECT_EQ(form.StatusBar->PanelText(0), L"before the run");

    form.edtReplace->SetText(L"bye");
    form.btnStart->Send(BM_CLICK);
    const std::vector<std::wstring> log = form.memLog->Lines();
    ASSERT_EQ(log.size(), kManyFiles + 2);
    EXPECT_EQ(log.back(), std::to_wstring(kManyFiles) + L" file(s) processed");
    EXPECT_EQ(setup.RewrittenFiles(), kManyFiles);
    EXPECT_GT(form.memLog->Send(EM_GETFIRSTVISIBLELINE), 0);  // the log outgrew the memo
    EXPECT_TRUE(form.newestShown);
}

TEST(Pass, ACloseRequestOrTheSessionsEndStopsTheRunAfterTheFileBeingRewritten) {
    enum How { kClose, kSessionEnd, kSessionEndDuringTheScan };
    for (const How how : {kClose, kSessionEnd, kSessionEndDuringTheScan}) {
        SCOPED_TRACE(how);
        PassSetup setup;
        WatchedForm& form = setup.form;
        LRESULT query = TRUE;
        size_t rewrittenAtEnd = 0;
        setup.RunWith(how == kSessionEndDuringTheScan, [&] {
            if (how == kClose) {
                form.Send(WM_CLOSE);  // as the system menu's Close sends it
                return;
            }
            query = form.Send(WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
            form.Send(WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
            // Nothing is rewritten once the end of the session has been answered.
            rewrittenAtEnd = setup.RewrittenFiles();
        });
        EXPECT_TRUE(form.Closed());
        EXPECT_EQ(query, TRUE);
        if (how == kSessionEndDuringTheScan) {
            EXPECT_TRUE(form.logged.empty());  // no pass after the scan
            EXPECT_EQ(setup.RewrittenFiles(), 0u);
        } else {
            const size_t done = setup.ExpectStoppedPass(form.logged);
            if (how == kSessionEnd) {
                EXPECT_EQ(rewrittenAtEnd, done);
            }
        }
    }
}

TEST(Pass, AnErrorOnTheWorkerEndsThePassThenReachesTheErrorDisplay) {
    TempDir dir;
    dir.Write(L"a good.txt", "hello");
    const std::wstring missing = dir.Write(L"b missing.txt", "hello");
    const std::wstring after = dir.Write(L"c after.txt", "hello");
    WatchedForm form;
    SelectAllIn(form, dir.Path());
    DeleteFileW(missing.c_str());
    form.edtFind->SetText(L"hello");
    ui::App().SetTitle(L"Lumora");
    std::vector<ui::MessageBoxRequest> boxes;
    std::vector<std::wstring> logAtBox;
    std::wstring captionAtBox;
    const ui::MessageBoxHandler previous =
        ui::SetMessageBoxHandler([&](const ui::MessageBoxRequest& request) {
            boxes.push_back(request);
            logAtBox = form.memLog->Lines();
            captionAtBox = form.btnStart->Text();
            return IDOK;
        });
    form.btnStart->Send(BM_CLICK);
    ui::SetMessageBoxHandler(previous);

    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Lumora");
    EXPECT_EQ(boxes[0].type, UINT(MB_OK | MB_ICONSTOP));
    EXPECT_EQ(boxes[0].text.rfind(L"Cannot open file \"" + missing + L"\". ", 0), 0u);
    EXPECT_EQ(logAtBox, (std::vector<std::wstring>{L"a good.txt - 1 replacement(s)", L"",
                                                   L"3 file(s) processed"}));
    EXPECT_EQ(captionAtBox, L"&Start");  // the window is usable again when the box shows
    EXPECT_EQ(ReadFileBytes(after), "hello");
}

// The rewrite through temporary files and the encodings work the same on the pass's worker.
TEST(Pass, EachFileKeepsItsEncodingAndTheBackupItsOldBytes) {
    const auto utf16 = [](std::wstring_view text, bool bigEndian) {
        std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        for (const wchar_t unit : text) {
            const char low = char(unit & 0xFF), high = char(unit >> 8);
            bytes += bigEndian ? std::string{high, low} : std::string{low, high};
        }
        return bytes;
    };
    const std::wstring before = L"Caf\u00E9 CAF\u00C9\n", after = L"th\u00E9 th\u00E9\r\n";
    struct Row {
        std::wstring name;
        std::string before, after;
    };
    const std::vector<Row> rows = {
        // in the list's order
        {L"be.txt", utf16(before, true), utf16(after, true)},
        {L"le.txt", utf16(before, false), utf16(after, false)},
        {L"utf8.txt", base::WideToUtf8(before), base::WideToUtf8(after)},
    };
    TempDir dir;
    for (const Row& row : rows) dir.Write(row.name, row.before);
    TMainForm form;
    SelectAllIn(form, dir.Path());
    form.edtFind->SetText(L"caf\u00E9");
    form.edtReplace->SetText(L"th\u00E9");
    ASSERT_TRUE(form.cbBackup->Checked() && !form.cbCase->Checked());
    MessageBoxRecorder boxes;
    form.btnStart->Send(BM_CLICK);

    EXPECT_TRUE(boxes.Boxes().empty());
    std::vector<std::wstring> log, names;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ReadFileBytes(dir / row.name), row.after);
        EXPECT_EQ(ReadFileBytes(dir / BackupFileName(row.name)), row.before);
        log.push_back(row.name + L" - 2 replacement(s)");
        names.push_back(row.name);
        names.push_back(BackupFileName(row.name));
    }
    log.insert(log.end(), {L"", L"3 file(s) processed"});
    EXPECT_EQ(form.memLog->Lines(), log);
    EXPECT_EQ(NamesIn(dir.Path()), std::set<std::wstring>(names.begin(), names.end()));
}

}  // namespace
