// The main window's handlers, apart from the run (MainFormRun.cpp).
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>

#include "app/FileTypes.h"
#include "app/MainForm.h"
#include "app/Product.h"
#include "app/SPHTMLHelp.h"
#include "shellctl/FolderBrowseDlg.h"
#include "ui/Application.h"
#include "base/DateTime.h"
#include "ui/Dialogs.h"
#include "base/Error.h"

namespace {

void OpenWithShell(HWND owner, const std::wstring& address) {
    ShellExecuteW(owner, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

// The extension of a path's last component from its last ".", the dot included.
std::wstring ExtensionOf(const std::wstring& path) {
    const size_t nameStart = path.find_last_of(L"\\/:");
    const size_t dot = path.rfind(L'.');
    if (dot == std::wstring::npos || (nameStart != std::wstring::npos && dot < nameStart))
        return {};
    return path.substr(dot);
}

// The number a text spells with an optional sign and decimal digits, saturated far beyond any
// size bound; nothing for any other text.
std::optional<long long> WholeNumber(const std::wstring& text) {
    constexpr long long kSaturated = 1LL << 40;
    size_t i = 0;
    const bool negative = !text.empty() && text[0] == L'-';
    if (!text.empty() && (text[0] == L'-' || text[0] == L'+')) ++i;
    if (i == text.size()) return std::nullopt;
    long long value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < L'0' || text[i] > L'9') return std::nullopt;
        value = std::min(value * 10 + (text[i] - L'0'), kSaturated);
    }
    return negative ? -value : value;
}

}  // namespace

void TMainForm::BindEvents() {
    btnStart->OnClick = [this](ui::Window& s) { btnStartClick(s); };
    FindFile1->OnFileMatch = [this](findfile::TFindFile& s, const std::wstring& folder,
                                    const findfile::TSearchRec& info) {
        FindFile1FileMatch(s, folder, info);
    };
    FindFile1->OnSearchFinish = [this](findfile::TFindFile& s) { FindFile1SearchFinish(s); };
    OpenWebAddress = OpenWithShell;
    PageControl1->OnChange = [this](ui::Window& s) { PageControl1Change(s); };
    ComboFilter->OnChange = [this](ui::Window& s) { ComboFilterChange(s); };
    PTShellList1->OnChange = [this](shellctl::TPTCustomShellList& s, int) {
        PTShellList1Change(s);
    };
    btnSelectAll->OnClick = [this](ui::Window& s) { btnSelectAllClick(s); };
    btnBrowse->OnClick = [this](ui::Window& s) { btnBrowseClick(s); };
    cbDate->OnClick = [this](ui::Window& s) { cbDateClick(s); };
    AD->OnClick = [this](ui::Window& s) { ADClick(s); };
    BD->OnClick = [this](ui::Window& s) { BDClick(s); };
    cbFileSize->OnClick = [this](ui::Window& s) { cbFileSizeClick(s); };
    SizeMin->OnChange = [this](ui::Window& s) { SizeMinChange(s); };
    SizeMax->OnChange = [this](ui::Window& s) { SizeMinChange(s); };
}

void TMainForm::FormCreate() {
    SetText(kProductCaption);
    FileList.clear();
    const double today = base::Today();
    AfterDate->SetDate(today - 30);
    BeforeDate->SetDate(today);
    comboDateRange->SetItemIndex(0);
}

void TMainForm::DoShow() {
    FormShow();
    ui::Form::DoShow();
}

void TMainForm::FormShow() {
    ReadReg();
    cbExtension->SetItemIndex(0);
    try {
        edtFind->SetFocus();
    } catch (const base::Error&) {
        // A window that cannot take the focus yet is no reason to stop the start.
    }
}

bool TMainForm::DoCloseQuery() {
    if (FindFile1->Busy() || pass_ != nullptr) {
        // Stop the run first; the window closes when the run has ended.
        closeAfterRun_ = true;
        StopRun();
        return false;
    }
    return FormCloseQuery() && ui::Form::DoCloseQuery();
}

bool TMainForm::FormCloseQuery() {
    try {
        SaveReg();
    } catch (...) {
        // Settings that cannot be kept are no reason to keep the window open.
    }
    return true;
}

void TMainForm::DoClose() {
    FormClose();
    ui::Form::DoClose();
}

void TMainForm::FormClose() { FileList.clear(); }

std::wstring TMainForm::SelectedFilesText() const {
    const int selected = fileListItems_ != nullptr ? fileListItems_->SelectedCount() : 0;
    return std::to_wstring(selected) + L" file(s) selected";
}

void TMainForm::PageControl1Change(ui::Window&) {
    const bool selectFiles = PageControl1->ActivePageIndex() == 0;
    StatusBar->SetPanelText(0, selectFiles ? SelectedFilesText() : L"Scan folder(s)");
    btnSelectAll->SetEnabled(selectFiles);
    cbExtension->SetEnabled(selectFiles);
    Label1->SetEnabled(selectFiles);
}

void TMainForm::PTShellList1Change(ui::Window&) {
    if (!selectingAll_) StatusBar->SetPanelText(0, SelectedFilesText());
}

void TMainForm::ComboFilterChange(ui::Window&) {
    PTShellList1->SetFileFilter(ExpandFileTypes(ComboFilter->Text()));
}

void TMainForm::btnSelectAllClick(ui::Window& sender) {
    if (fileListItems_ == nullptr) return;
    TFileListItems& items = *fileListItems_;
    const std::wstring types = cbExtension->Text();
    {
        selectingAll_ = true;
        struct Done {
            bool& flag;
            ~Done() { flag = false; }
        } done{selectingAll_};
        items.SetAllSelected(false);
        if (types == L"*.*") {
            items.SetAllSelected(true);
        } else {
            // The extension anywhere in the chosen text, case and all: "*.html" takes .htm
            // and .h too.
            for (int i = 0; i < items.Count(); ++i) {
                const std::wstring extension = ExtensionOf(items.Path(i));
                if (!extension.empty() && types.find(extension) != std::wstring::npos)
                    items.SetSelected(i, true);
            }
        }
    }
    PTShellList1Change(sender);
}

void TMainForm::btnBrowseClick(ui::Window&) {
    // A text that names no folder (a file, nothing at all) opens the dialog at the root.
    const std::wstring typed = editFolder->Text();
    const DWORD attributes =
        typed.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(typed.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        PTFolderBrowseDlg1->SetSelectedFolderPath(typed);
    else
        PTFolderBrowseDlg1->SelectedFolder().Clear();
    if (PTFolderBrowseDlg1->Execute())
        editFolder->SetText(PTFolderBrowseDlg1->SelectedFolderPath());
}

void TMainForm::cbDateClick(ui::Window&) {
    const bool on = cbDate->Checked();
    comboDateRange->SetEnabled(on);
    AD->SetEnabled(on);
    BD->SetEnabled(on);
    AfterDate->SetEnabled(on && AD->Checked());
    BeforeDate->SetEnabled(on && BD->Checked());
}

void TMainForm::ADClick(ui::Window&) { AfterDate->SetEnabled(AD->Checked()); }

void TMainForm::BDClick(ui::Window&) { BeforeDate->SetEnabled(BD->Checked()); }

void TMainForm::cbFileSizeClick(ui::Window&) {
    SizeMin->SetEnabled(cbFileSize->Checked());
    SizeMax->SetEnabled(cbFileSize->Checked());
}

void TMainForm::SizeMinChange(ui::Window&) {
    // Negative sizes mean nothing; sizes past the largest byte count that fits 32 bits are
    // limited to it, so that the bound the user sees is the bound the scan uses. A text that is
    // no number yet is left to the typing, and refused by Start.
    for (ui::SpinEdit* edit : {SizeMin.get(), SizeMax.get()}) {
        if (edit == nullptr) continue;
        const std::optional<long long> value = WholeNumber(edit->Text());
        if (!value) continue;
        const long long limited = std::clamp<long long>(*value, 0, kMaxSizeKilobytes);
        if (limited != *value) edit->SetValue(int(limited));
    }
}

bool TMainForm::SizeBoundsAreNumbers() const {
    return WholeNumber(SizeMin->Text()) && WholeNumber(SizeMax->Text());
}

void TMainForm::MenuItem_ExitClick(ui::MenuItem&) { Close(); }

void TMainForm::Help2Click(ui::MenuItem&) { ShowProgramHelp(); }

void TMainForm::Website1Click(ui::MenuItem&) { OpenWebAddress(Handle(), kWebsiteAddress); }

void TMainForm::About1Click(ui::MenuItem&) {
    ui::ShowMessageBox(std::wstring(kProductName) + L" " + kProductVersion +
                           L"\r\n\r\nReplaces a text in many files at once.\r\n\r\n" + kCopyright,
                       std::wstring(L"About ") + kProductName, MB_OK | MB_ICONINFORMATION);
}
