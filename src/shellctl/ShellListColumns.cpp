// The columns of the shell list's report view: the folder's own detail columns when it offers
// them, else Name, Size, Type and Modified computed from the file system; the column widths the
// process remembers from folder to folder; and the text of every detail cell.
#include <algorithm>

#include <windows.h>
#include <shellapi.h>

#include "base/Handle.h"
#include "shell/ShellDetails.h"
#include "shell/ShellStrings.h"
#include "shellctl/ColumnWidthMemory.h"
#include "shellctl/ShellList.h"

namespace shellctl {
namespace {

// A provider that answers for every column it is asked about still gives a usable list.
constexpr UINT kMaxProviderColumns = 128;
// The width a column gets when remembered widths will be put over it.
constexpr int kDefaultColumnWidth = 50;

struct StandardColumn {
    const wchar_t* caption;
    int format;
};
constexpr StandardColumn kStandardColumns[] = {{L"Name", LVCFMT_LEFT},
                                               {L"Size", LVCFMT_RIGHT},
                                               {L"Type", LVCFMT_LEFT},
                                               {L"Modified", LVCFMT_LEFT}};
constexpr wchar_t kSystemFolderType[] = L"System Folder";

int ColumnFormat(int providerFormat) {
    switch (providerFormat & LVCFMT_JUSTIFYMASK) {
        case LVCFMT_RIGHT:
            return LVCFMT_RIGHT;
        case LVCFMT_CENTER:
            return LVCFMT_CENTER;
        default:
            return LVCFMT_LEFT;
    }
}

// Kilobytes rounded up, with the locale's thousands separator: "1,025KB".
std::wstring KilobytesText(ULONGLONG bytes) {
    const ULONGLONG kilobytes = bytes / 1024 + (bytes % 1024 != 0 ? 1 : 0);
    const std::wstring digits = std::to_wstring(kilobytes);
    wchar_t separator[8] = L",";
    GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_STHOUSAND, separator, 8);
    wchar_t decimal[8] = L".";
    GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, decimal, 8);
    NUMBERFMTW format{};
    format.NumDigits = 0;
    format.LeadingZero = 1;
    format.Grouping = 3;
    format.lpDecimalSep = decimal;
    format.lpThousandSep = separator;
    format.NegativeOrder = 1;
    wchar_t text[64] = {};
    if (GetNumberFormatEx(LOCALE_NAME_USER_DEFAULT, 0, digits.c_str(), &format, text, 64) == 0)
        return digits + L"KB";
    return std::wstring(text) + L"KB";
}

// The locale's short date, a blank and its time in hours and minutes, in local time.
std::wstring FileTimeText(const FILETIME& utc) {
    FILETIME local{};
    SYSTEMTIME time{};
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &time)) return {};
    wchar_t date[64] = {};
    wchar_t clock[64] = {};
    GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date, 64, nullptr);
    GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, TIME_NOSECONDS, &time, nullptr, clock, 64);
    return std::wstring(date) + L" " + clock;
}

bool IsZero(const FILETIME& time) { return time.dwLowDateTime == 0 && time.dwHighDateTime == 0; }

}  // namespace

IShellDetails* TPTCustomShellList::DetailsProvider() {
    if (!providerLookedUp_) {
        providerLookedUp_ = true;
        provider_ = GetShellDetails(shellFolder_.Get());
    }
    return provider_.Get();
}

int TPTCustomShellList::DetailColumnCount() {
    if (columnMode_ == TPTShellColumnMode::Provider) return std::max(ColumnCount() - 1, 0);
    return 3;
}

int TPTCustomShellList::ColumnWidth(int column) const {
    return Handle() != nullptr ? int(Send(LVM_GETCOLUMNWIDTH, WPARAM(column))) : 0;
}

void TPTCustomShellList::SetColumnWidth(int column, int width) {
    if (Handle() != nullptr) Send(LVM_SETCOLUMNWIDTH, WPARAM(column), MAKELPARAM(width, 0));
}

void TPTCustomShellList::RememberColumnWidths() const {
    if (Handle() == nullptr || !rememberWidths_) return;
    std::vector<int> widths(std::size_t(std::max(ColumnCount(), 0)));
    if (widths.empty()) return;
    for (std::size_t i = 0; i < widths.size(); ++i) widths[i] = ColumnWidth(int(i));
    ColumnWidthMemory::Instance().Store(widths);
}

void TPTCustomShellList::RestoreColumnWidths() {
    const std::vector<int> widths = ColumnWidthMemory::Instance().Widths();
    const std::size_t count = std::min(widths.size(), std::size_t(std::max(ColumnCount(), 0)));
    for (std::size_t i = 0; i < count; ++i) SetColumnWidth(int(i), widths[i]);
}

void TPTCustomShellList::RebuildColumns(IShellDetails* provider) {
    if (Handle() == nullptr) return;
    if (ColumnCount() > 0 && rememberWidths_) RememberColumnWidths();
    {
        HeaderUpdate bracket(*this);
        if (provider != nullptr) {
            BuildProviderColumns(provider);
        } else {
            BuildStandardColumns();
        }
        ApplySortMark();
    }
}

void TPTCustomShellList::BuildProviderColumns(IShellDetails* provider) {
    // Widths are carried between file-system folders only.
    const bool fileSystem = !FolderPath().empty();
    const bool restore = fileSystem && !ColumnWidthMemory::Instance().Empty();
    DeleteAllColumns();
    for (UINT column = 0; column < kMaxProviderColumns; ++column) {
        SHELLDETAILS details{};
        details.str.uType = STRRET_CSTR;
        if (FAILED(provider->GetDetailsOf(nullptr, column, &details))) break;
        const std::wstring caption = StrRetToString(nullptr, details.str);
        FreeStrRet(details.str);
        AddColumn(caption, restore ? kDefaultColumnWidth : details.cxChar * 7,
                  ColumnFormat(details.fmt));
    }
    if (restore) RestoreColumnWidths();
    rememberWidths_ = fileSystem;
    columnMode_ = TPTShellColumnMode::Provider;
}

void TPTCustomShellList::BuildStandardColumns() {
    const ExplorerColumnSetting setting = ReadExplorerColumnSetting();
    const ExplorerColumnSetting* remembered = RememberedExplorerSetting();
    // The user's widths win while the Explorer's setting is what it was.
    const bool restore = remembered != nullptr && remembered->SameAs(setting) &&
                         !ColumnWidthMemory::Instance().Empty();
    DeleteAllColumns();
    int index = 0;
    for (const StandardColumn& column : kStandardColumns)
        AddColumn(column.caption, restore ? kDefaultColumnWidth : setting.Width(index++),
                  column.format);
    if (restore) RestoreColumnWidths();
    RememberExplorerSetting(setting);
    rememberWidths_ = true;
    columnMode_ = TPTShellColumnMode::Standard;
}

std::wstring TPTShListData::GetColumnText(int column) {
    if (column <= 0) return {};
    if (IShellDetails* provider = list_->DetailsProvider()) {
        SHELLDETAILS details{};
        details.str.uType = STRRET_CSTR;
        if (FAILED(provider->GetDetailsOf(relIdList_.Get(), UINT(column), &details))) return {};
        std::wstring text = StrRetToString(relIdList_.Get(), details.str);
        FreeStrRet(details.str);
        return text;
    }
    ComputeDetails();
    switch (column) {
        case 1:
            return details_->size;
        case 2:
            return details_->type;
        case 3:
            return details_->modified;
        default:
            return {};
    }
}

void TPTShListData::ComputeDetails() {
    if (details_) return;
    auto details = std::make_unique<Details>();
    const std::wstring path = GetPath();
    // Never for a drive root, whose "entry" a directory search cannot find.
    if (path.size() > 3) {
        WIN32_FIND_DATAW found{};
        const base::FindHandle search(FindFirstFileExW(path.c_str(), FindExInfoBasic, &found,
                                                       FindExSearchNameMatch, nullptr, 0));
        if (search) {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
                details->size =
                    KilobytesText((ULONGLONG(found.nFileSizeHigh) << 32) | found.nFileSizeLow);
            details->modified = FileTimeText(IsZero(found.ftLastWriteTime) ? found.ftCreationTime
                                                                           : found.ftLastWriteTime);
        }
    }
    if ((GetAttributes() & SFGAO_FILESYSTEM) == 0) {
        details->type = kSystemFolderType;
    } else {
        SHFILEINFOW info{};
        if (SHGetFileInfoW(reinterpret_cast<LPCWSTR>(GetAbsIdList()), 0, &info, sizeof info,
                           SHGFI_PIDL | SHGFI_TYPENAME) != 0)
            details->type = info.szTypeName;
    }
    details_ = std::move(details);
}

}  // namespace shellctl
