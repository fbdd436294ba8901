// The main window's settings: written on every close request, read once when it is first shown.
// Other tools and older versions read the same values, so their names, types and order stay.
#include <algorithm>
#include <exception>
#include <string>

#include "app/FileTypes.h"
#include "app/MainForm.h"
#include "app/SettingsStore.h"
#include "shellctl/ColumnWidthMemory.h"

namespace {

constexpr int kHistoryLength = 10;
constexpr int kStoredColumns = 4;
// Far past any screen, short of anything that overflows when added to a size.
constexpr int kLargestExtent = 1 << 20;
// Wider than any column a user drags out on any screen; the list view would take -1 and -2 as
// "size to fit", so nothing below 0 passes either.
constexpr int kLargestColumnWidth = 4096;

std::wstring HistoryName(const wchar_t* prefix, int position) {
    return prefix + std::to_wstring(position);
}

// Position k holds the item k places before the last (newest) one; empty texts are not written,
// so the position keeps what it held.
void WriteHistory(SettingsStore& store, const wchar_t* prefix, const ui::ComboBox& combo) {
    const int count = combo.Count();
    for (int position = 0; position < kHistoryLength; ++position) {
        const int index = count - 1 - position;
        if (index < 0) break;
        const std::wstring text = combo.Item(index);
        if (!text.empty()) store.WriteString(HistoryName(prefix, position), text);
    }
}

// The oldest first, so that position 0 ends up last (newest), as it was saved. A value that
// cannot be read costs that value only.
void ReadHistory(const SettingsStore& store, const wchar_t* prefix, ui::ComboBox& combo) {
    for (int position = kHistoryLength - 1; position >= 0; --position) {
        try {
            const std::wstring text = store.ReadString(HistoryName(prefix, position));
            if (!text.empty()) combo.AddItem(text);
        } catch (const std::exception&) {
            // Skipped: the other entries still come back.
        }
    }
}

// The work area the window is centred in when it is first shown.
RECT WorkArea() {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// A stored extent limited to [minimum, largest]; the minimum wins on a screen too small for it.
int Limit(int value, int minimum, int largest) {
    return std::max(minimum, std::min(value, largest));
}

}  // namespace

void TMainForm::SaveReg() {
    SettingsStore store;
    if (!store.Open(settingsKey_, true)) return;
    // A value the store refuses is lost alone; closing goes on whatever happens here.
    store.WriteBool(L"CaseSensitive", cbCase->Checked());
    store.WriteBool(L"WholeWords", cbWhole->Checked());
    store.WriteBool(L"Backup", cbBackup->Checked());
    const RECT bounds = RestoredBounds();
    store.WriteInteger(L"TopPos", bounds.top);
    store.WriteInteger(L"LeftPos", bounds.left);
    store.WriteInteger(L"Width", bounds.right - bounds.left);
    store.WriteInteger(L"Height", bounds.bottom - bounds.top);
    store.WriteString(L"Filter", ComboFilter->Text());
    const std::wstring treeFolder = TreeFolderPath();
    store.WriteString(L"SelectDir", treeFolder);
    store.WriteInteger(L"SelectDirHeight", PTShellTree1->Height());
    store.WriteString(L"ShellTreeFolder", treeFolder);
    store.WriteString(L"ScanFolderDir", editFolder->Text());
    const std::vector<int> widths = ListColumnWidths();
    for (int column = 0; column < kStoredColumns && column < int(widths.size()); ++column)
        store.WriteInteger(L"Col" + std::to_wstring(column), widths[size_t(column)]);
    WriteHistory(store, L"FindText", *edtFind);
    WriteHistory(store, L"ReplaceText", *edtReplace);
}

void TMainForm::ReadReg() {
    SettingsStore store;
    if (!store.Open(settingsKey_, false)) return;  // first start: the layout's values stand
    try {
        ReadWindowSettings(store);
        ReadPlaces(store);
        ReadHistory(store, L"FindText", *edtFind);
        ReadHistory(store, L"ReplaceText", *edtReplace);
    } catch (const std::exception&) {
        // A damaged store ends the reading there, quietly; the program stays usable.
        ComboFilter->SetText(kAllSupportedFileTypes);
    }
}

void TMainForm::ReadWindowSettings(const SettingsStore& store) {
    cbCase->SetChecked(store.ReadBool(L"CaseSensitive"));
    cbWhole->SetChecked(store.ReadBool(L"WholeWords"));
    cbBackup->SetChecked(store.ReadBool(L"Backup"));
    // The window is centred when first shown: the position only has to be a valid one.
    const int top = store.ReadInteger(L"TopPos");
    const int left = store.ReadInteger(L"LeftPos");
    const RECT work = WorkArea();
    SetBounds(Limit(left, work.left, work.right - Width()),
              Limit(top, work.top, work.bottom - Height()), Width(), Height());
    ApplyWidth(store.ReadInteger(L"Width"));
    ApplyHeight(store.ReadInteger(L"Height"));
}

void TMainForm::ReadPlaces(const SettingsStore& store) {
    OpenTreeAt(store.ReadString(L"SelectDir"));
    ApplyTreeHeight(store.ReadInteger(L"SelectDirHeight"));
    OpenTreeAt(store.ReadString(L"ShellTreeFolder"));
    for (int column = 0; column < kStoredColumns; ++column) {
        const std::wstring name = L"Col" + std::to_wstring(column);
        // Only the columns the list had were written, the first ones.
        if (!store.HasValue(name)) break;
        RememberColumnWidth(column, store.ReadInteger(name));
    }
    ComboFilter->SetText(store.ReadString(L"Filter"));
    editFolder->SetText(store.ReadString(L"ScanFolderDir"));
}

void TMainForm::ApplyWidth(int width) {
    const RECT work = WorkArea();
    SetSize(Limit(width, Constraints().minWidth, work.right - work.left), Height());
}

void TMainForm::ApplyHeight(int height) {
    const RECT work = WorkArea();
    SetSize(Width(), Limit(height, Constraints().minHeight, work.bottom - work.top));
}

// As far as a drag of the splitter could take it: the tree keeps its minimum and leaves the list
// and the splitter theirs.
void TMainForm::ApplyTreeHeight(int height) {
    const int wanted = std::clamp(height, 0, kLargestExtent);
    Splitter1->MoveBy(wanted - PTShellTree1->Height());
}

// A minimised window's size is that of its button: the size it comes back to is the one to keep.
RECT TMainForm::RestoredBounds() const {
    if (!IsIconic(Handle())) return Bounds();
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(Handle(), &placement);
    // In work-area coordinates: moved to the screen's.
    RECT bounds = placement.rcNormalPosition;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoW(MonitorFromRect(&bounds, MONITOR_DEFAULTTOPRIMARY), &monitor))
        OffsetRect(&bounds, monitor.rcWork.left - monitor.rcMonitor.left,
                   monitor.rcWork.top - monitor.rcMonitor.top);
    return bounds;
}

std::wstring TMainForm::TreeFolderPath() const { return PTShellTree1->SelectedPath(); }

void TMainForm::OpenTreeAt(const std::wstring& path) {
    // A file that took the folder's name since would be listed as a folder, and fail.
    if (path.empty() || !IsFolder(path)) return;
    try {
        PTShellTree1->SetFolderPath(path);
    } catch (const std::exception&) {
        // A folder that cannot be opened after all leaves the tree where it opens by itself,
        // like one gone with its drive or deleted since; the rest of the settings still come
        // back.
    }
}

std::vector<int> TMainForm::ListColumnWidths() const {
    std::vector<int> widths(size_t(std::max(PTShellList1->ColumnCount(), 0)));
    for (size_t column = 0; column < widths.size(); ++column)
        widths[column] = PTShellList1->ColumnWidth(int(column));
    return widths;
}

// Into the memory the list's column rebuilds restore from, so that the list's first fill, which
// comes after the reading, gives the columns these widths rather than its own.
void TMainForm::RememberColumnWidth(int column, int width) {
    width = std::clamp(width, 0, kLargestColumnWidth);
    shellctl::ColumnWidthMemory& memory = shellctl::ColumnWidthMemory::Instance();
    std::vector<int> widths = memory.Widths();
    if (column > int(widths.size())) return;  // the memory holds no gaps
    if (column == int(widths.size())) widths.push_back(width);
    widths[size_t(column)] = width;
    memory.Store(widths);
    // The standard columns restore widths only under the Explorer setting they were made with:
    // the stored ones count as made with today's.
    if (shellctl::RememberedExplorerSetting() == nullptr)
        shellctl::RememberExplorerSetting(shellctl::ReadExplorerColumnSetting());
    // A list already filled shows them at once.
    if (column < PTShellList1->ColumnCount()) PTShellList1->SetColumnWidth(column, width);
}
