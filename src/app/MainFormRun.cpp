// The run: Start and Stop, the file set of the active tab, and the replacement pass.
#include <algorithm>

#include "app/FileTypes.h"
#include "app/MainForm.h"
#include "app/ReplaceEngine.h"
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

}  // namespace

void TMainForm::btnStartClick(ui::Window&) {
    if (btnStart->Text() == kStopCaption) {
        FindFile1->Abort();
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
    GetFilenames();
    if (closeAfterScan_) {
        // The window was asked to close during the scan: close rather than rewrite files.
        Close();
        return;
    }
    ui::CursorGuard hourglass;
    FindReplaceText(*this, FileList);
}

LRESULT TMainForm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_QUERYENDSESSION:
            // Never keep the session from ending; a scan stops when it really ends.
            return TRUE;
        case WM_ENDSESSION:
            if (wParam) FormEndSession();
            return 0;
    }
    return ui::Form::HandleMessage(msg, wParam, lParam);
}

// The process may end as soon as this returns.
void TMainForm::FormEndSession() {
    if (FindFile1->Busy()) closeAfterScan_ = true;
    FindFile1->Abort();
    FormCloseQuery();
}

void TMainForm::GetFilenames() {
    FileList.clear();
    if (PageControl1->ActivePageIndex() == 0) {
        if (fileListItems_ == nullptr) return;
        for (int index : fileListItems_->SelectedIndexes()) {
            std::wstring path = fileListItems_->Path(index);
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
    std::vector<std::pair<ui::Window*, bool>> disabled;
    for (ui::Window* control : std::initializer_list<ui::Window*>{
             PageControl1.get(), edtFind.get(), edtReplace.get(), cbCase.get(), cbWhole.get(),
             cbBackup.get(), btnSelectAll.get(), cbExtension.get(), Label1.get()}) {
        disabled.emplace_back(control, control->Enabled());
        control->SetEnabled(false);
    }
    struct Restore {
        std::vector<std::pair<ui::Window*, bool>>& controls;
        ui::Button& start;
        ~Restore() {
            for (auto [control, enabled] : controls) control->SetEnabled(enabled);
            start.SetText(kStartCaption);
        }
    } restore{disabled, *btnStart};

    closeAfterScan_ = false;
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
