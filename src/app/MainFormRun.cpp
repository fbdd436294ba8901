// The run: Start and Stop, the file set of the active tab, and the replacement pass.
#include <algorithm>

#include "app/FileTypes.h"
#include "app/MainForm.h"
#include "app/ReplaceEngine.h"
#include "app/ReplaceWorker.h"
#include "app/TempFile.h"
#include "ui/Application.h"
#include "ui/Cursor.h"
#include "ui/Dialogs.h"

namespace {

constexpr wchar_t kStartCaption[] = L"&Start";
constexpr wchar_t kStopCaption[] = L"Stop";

bool IsExistingFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// A size bound in bytes from kilobytes: never negative, and no more than fits 32 bits.
std::uint32_t KilobytesToBytes(int kilobytes) {
    return std::uint32_t(std::clamp(kilobytes, 0, kMaxSizeKilobytes)) * 1024u;
}

void AddToHistory(ui::ComboBox& combo) {
    const std::wstring text = combo.Text();
    if (combo.IndexOfIgnoringCase(text) < 0) combo.AddItem(text);
}

std::wstring ProgressText(size_t done, size_t total) {
    return std::to_wstring(done) + L" of " + std::to_wstring(total) + L" file(s)";
}

// While a run goes on, the controls that would change it wait, Start reads "Stop" and the pointer
// says that the program works in the background; all comes back on every path out.
class RunningState {
  public:
    explicit RunningState(TMainForm& form) : form_(form), cursor_(IDC_APPSTARTING) {
        for (ui::Window* control : std::initializer_list<ui::Window*>{
                 form.PageControl1.get(), form.edtFind.get(), form.edtReplace.get(),
                 form.cbCase.get(), form.cbWhole.get(), form.cbBackup.get(),
                 form.btnSelectAll.get(), form.cbExtension.get(), form.Label1.get()}) {
            controls_.emplace_back(control, control->Enabled());
            control->SetEnabled(false);
        }
        form.btnStart->SetText(kStopCaption);
    }
    ~RunningState() {
        for (auto [control, enabled] : controls_) control->SetEnabled(enabled);
        form_.btnStart->SetText(kStartCaption);
    }
    RunningState(const RunningState&) = delete;
    RunningState& operator=(const RunningState&) = delete;

  private:
    TMainForm& form_;
    ui::CursorGuard cursor_;
    std::vector<std::pair<ui::Window*, bool>> controls_;
};

}  // namespace

void TMainForm::btnStartClick(ui::Window&) {
    if (btnStart->Text() == kStopCaption) {
        StopRun();
        return;
    }
    memLog->Clear();
    if (PageControl1->ActivePageIndex() == 0) {
        if (fileListItems_ == nullptr || fileListItems_->SelectedCount() == 0) {
            ui::ShowInformation(L"No files selected",
                                L"You must select at least one file in the file list.");
            return;
        }
    } else if (!IsExistingFolder(editFolder->Text())) {
        ui::ShowErrorDialog(L"You must specify a valid start folder.");
        return;
    } else if (cbFileSize->Checked() && !SizeBoundsAreNumbers()) {
        ui::ShowErrorDialog(L"The file sizes must be whole numbers of kilobytes.");
        return;
    }
    AddToHistory(*edtFind);
    AddToHistory(*edtReplace);
    closeAfterRun_ = false;
    try {
        RunningState running(*this);
        GetFilenames();
        // Asked to close during the scan: close rather than rewrite files.
        if (!closeAfterRun_) RunPass();
    } catch (...) {
        if (!closeAfterRun_) throw;
        // The user hears of the failure before the window goes.
        ui::App().HandleCurrentException();
    }
    if (closeAfterRun_) Close();
}

// The pass runs on a worker while this thread keeps handling messages, so that the window answers
// and Stop can reach it; the status shows how far it has got.
void TMainForm::RunPass() {
    ReplaceWorker pass(*this, FileList);
    pass.OnProgress = [this](size_t done, size_t total) {
        StatusBar->SetPanelText(0, ProgressText(done, total));
    };
    struct Restore {
        TMainForm& form;
        const std::wstring status;
        ~Restore() {
            form.pass_ = nullptr;
            form.StatusBar->SetPanelText(0, status);
        }
    } restore{*this, StatusBar->PanelText(0)};
    pass_ = &pass;
    btnStart->SetText(kStopCaption);
    StatusBar->SetPanelText(0, ProgressText(0, FileList.size()));
    pass.Run();
}

void TMainForm::StopRun() {
    FindFile1->Abort();
    if (pass_ != nullptr) pass_->Stop();
}

LRESULT TMainForm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_QUERYENDSESSION:
            // Never keep the session from ending; a run stops when it really ends.
            return TRUE;
        case WM_ENDSESSION:
            if (wParam) FormEndSession();
            return 0;
    }
    return ui::Form::HandleMessage(msg, wParam, lParam);
}

// The process may end as soon as this returns.
void TMainForm::FormEndSession() {
    if (FindFile1->Busy() || pass_ != nullptr) closeAfterRun_ = true;
    StopRun();
    FormCloseQuery();
    // The file being rewritten is finished before the session takes the process away.
    if (pass_ != nullptr) pass_->StopAndWait();
}

void TMainForm::GetFilenames() {
    FileList.clear();
    if (PageControl1->ActivePageIndex() == 0) {
        if (fileListItems_ == nullptr) return;
        for (std::wstring& path : fileListItems_->SelectedPaths()) {
            // A folder or a virtual item among the selection has no text to replace: it is
            // passed over rather than failing the run.
            if (path.empty() || IsExistingFolder(path) || IsTempFileName(FileNameOf(path)))
                continue;
            FileList.push_back(std::move(path));
        }
        return;
    }
    findfile::TSearchCriteria& criteria = FindFile1->Criteria();
    criteria.Files().SetFileName(ExpandFileTypes(comboFileExt->Text()));
    criteria.Files().SetLocation(editFolder->Text());
    criteria.Files().SetSubfolders(cbSubFolders->Checked());
    const bool sized = cbFileSize->Checked();
    criteria.Size().SetMin(sized ? KilobytesToBytes(SizeMin->Value()) : 0);
    criteria.Size().SetMax(sized ? KilobytesToBytes(SizeMax->Value()) : 0);
    SetDateBounds(criteria.TimeStamp());
    btnStart->SetText(kStopCaption);
    RunScan();
}

void TMainForm::SetDateBounds(findfile::TDateTimeCriteria& dates) const {
    dates.SetCreatedBefore(0);
    dates.SetCreatedAfter(0);
    dates.SetModifiedBefore(0);
    dates.SetModifiedAfter(0);
    dates.SetAccessedBefore(0);
    dates.SetAccessedAfter(0);
    if (!cbDate->Checked()) return;
    const double before = BD->Checked() ? BeforeDate->Date() : 0;
    const double after = AD->Checked() ? AfterDate->Date() : 0;
    switch (comboDateRange->ItemIndex()) {
        case 0:
            dates.SetModifiedBefore(before);
            dates.SetModifiedAfter(after);
            break;
        case 1:
            dates.SetCreatedBefore(before);
            dates.SetCreatedAfter(after);
            break;
        case 2:
            dates.SetAccessedBefore(before);
            dates.SetAccessedAfter(after);
            break;
        default:
            break;
    }
}

// The scan runs on the search component's worker while this thread keeps handling messages, so
// that Stop can reach it; everything but the Stop button waits meanwhile.
void TMainForm::RunScan() {
    RunningState running(*this);
    FindFile1->SetThreaded(true);
    FindFile1->Execute();
    while (FindFile1->Busy()) {
        if (ui::App().Terminated()) {
            FindFile1->Abort();
            Sleep(10);
        } else {
            WaitMessage();
        }
        ui::App().ProcessMessages();
    }
}

void TMainForm::FindFile1FileMatch(findfile::TFindFile&, const std::wstring& folder,
                                   const findfile::TSearchRec& fileInfo) {
    // What a killed run left behind is no file of the user's.
    if (!IsTempFileName(fileInfo.Name)) FileList.push_back(folder + fileInfo.Name);
}

void TMainForm::FindFile1SearchFinish(findfile::TFindFile&) { btnStart->SetText(kStartCaption); }

std::wstring TMainForm::TextToFind() const { return edtFind->Text(); }
std::wstring TMainForm::ReplacementText() const { return edtReplace->Text(); }
bool TMainForm::CaseSensitive() const { return cbCase->Checked(); }
bool TMainForm::WholeWordsOnly() const { return cbWhole->Checked(); }
bool TMainForm::MakeBackup() const { return cbBackup->Checked(); }
bool TMainForm::AskYesNo(const std::wstring& caption, const std::wstring& text) {
    // The user is asked, not kept waiting.
    ui::CursorGuard normal(IDC_ARROW);
    return ui::AskYesNo(caption, text);
}
void TMainForm::AddLogLine(const std::wstring& line) { memLog->AddLine(line); }
void TMainForm::AddLogLines(const std::vector<std::wstring>& lines) {
    // One change of the memo for all of them: each change costs as much as a long one.
    if (lines.empty()) return;
    std::wstring text = lines[0];
    for (size_t i = 1; i < lines.size(); ++i) text += L"\r\n" + lines[i];
    memLog->AddLine(text);
}
