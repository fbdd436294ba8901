#include "shell/SendToMenu.h"

#include <algorithm>
#include <memory>

#include <shellapi.h>
#include <shlobj.h>

#include "shell/ShellCommands.h"
#include "shell/ShellUtils.h"
#include "base/Error.h"
#include "base/Handle.h"

using Microsoft::WRL::ComPtr;

namespace {

// Where a Send To item's icon and caption start inside its rectangle.
constexpr int kIconLeft = 8;
constexpr int kCaptionLeft = 32;
constexpr int kTopMargin = 2;

std::unique_ptr<TSendToList>& ListSlot() {
    static std::unique_ptr<TSendToList> list;
    return list;
}

// The entry a menu item stands for, when it is a Send To item of the existing list.
const TSendToEntry* EntryOf(UINT id, ULONG_PTR data) {
    const TSendToList* list = ExistingSendToList();
    if (list == nullptr || data >= ULONG_PTR(list->Count()) || id != data + kFirstSendToCommand)
        return nullptr;
    return &(*list)[int(data)];
}

base::FontHandle MenuFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    return base::FontHandle(CreateFontIndirectW(&metrics.lfMenuFont));
}

// The entry behind each item of a popup that holds only Send To items; empty for any other popup.
std::vector<const TSendToEntry*> SendToEntriesOf(HMENU popup) {
    std::vector<const TSendToEntry*> entries;
    const int count = GetMenuItemCount(popup);
    for (int position = 0; position < count; ++position) {
        MENUITEMINFOW item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_ID | MIIM_DATA;
        const TSendToEntry* entry = GetMenuItemInfoW(popup, UINT(position), TRUE, &item)
                                        ? EntryOf(item.wID, item.dwItemData)
                                        : nullptr;
        if (entry == nullptr) return {};
        entries.push_back(entry);
    }
    return entries;
}

int HighlightedPosition(HMENU popup, int count) {
    for (int position = 0; position < count; ++position)
        if (GetMenuState(popup, UINT(position), MF_BYPOSITION) & MF_HILITE) return position;
    return -1;
}

wchar_t UpperCase(wchar_t c) {
    CharUpperBuffW(&c, 1);
    return c;
}

}  // namespace

void TSendToList::Add(std::wstring name, int iconIndex) {
    const auto before = [](const TSendToEntry& entry, const std::wstring& key) {
        return lstrcmpiW(entry.name.c_str(), key.c_str()) < 0;
    };
    const auto at = std::lower_bound(entries_.begin(), entries_.end(), name, before);
    if (at != entries_.end() && lstrcmpiW(at->name.c_str(), name.c_str()) == 0) return;
    entries_.insert(at, TSendToEntry{std::move(name), iconIndex});
}

void TSendToList::AddFilesOf(const std::wstring& directory) {
    if (directory.empty()) return;
    WIN32_FIND_DATAW found;
    base::FindHandle search(FindFirstFileW((directory + L"\\*").c_str(), &found));
    if (!search) return;
    do {
        if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN)) continue;
        UniquePidl pidl;
        const bool parsed = SUCCEEDED(PathToPidl(directory + L"\\" + found.cFileName, pidl));
        Add(found.cFileName, parsed ? GetIconIndex(pidl.Get(), SHGFI_SMALLICON) : -1);
    } while (FindNextFileW(search.Get(), &found));
}

TSendToList& SendToList() {
    std::unique_ptr<TSendToList>& list = ListSlot();
    if (!list) list = std::make_unique<TSendToList>();
    return *list;
}

TSendToList* ExistingSendToList() noexcept { return ListSlot().get(); }

std::wstring SendToCaption(const std::wstring& name) {
    const std::size_t dot = name.rfind(L'.');
    return dot == std::wstring::npos || dot == 0 ? name : name.substr(0, dot);
}

bool FillSendToPopup(HMENU popup) {
    if (GetMenuItemCount(popup) != 1 || !(GetMenuState(popup, 0, MF_BYPOSITION) & MF_GRAYED))
        return false;
    TSendToList& list = SendToList();
    DeleteMenu(popup, 0, MF_BYPOSITION);
    list.AddFilesOf(SpecialFolderPath(nullptr, CSIDL_SENDTO));
    AppendSendToItems(popup, list);
    return true;
}

void AppendSendToItems(HMENU popup, const TSendToList& list) {
    const int count = std::min(list.Count(), int(kLastSendToCommand - kFirstSendToCommand + 1));
    for (int index = 0; index < count; ++index)
        AppendMenuW(popup, MF_OWNERDRAW, kFirstSendToCommand + UINT(index),
                    reinterpret_cast<const wchar_t*>(ULONG_PTR(index)));
}

bool MeasureSendToItem(MEASUREITEMSTRUCT& item) {
    const TSendToEntry* entry =
        item.CtlType == ODT_MENU ? EntryOf(item.itemID, item.itemData) : nullptr;
    if (entry == nullptr) return false;
    const std::wstring caption = SendToCaption(entry->name);
    base::MemoryDcHandle dc(CreateCompatibleDC(nullptr));
    base::FontHandle font = MenuFont();
    base::SelectGuard selected(dc.Get(), font.Get());
    SIZE extent{};
    GetTextExtentPoint32W(dc.Get(), caption.c_str(), int(caption.size()), &extent);
    item.itemWidth = UINT(extent.cx + kCaptionLeft);
    item.itemHeight = UINT(GetSystemMetrics(SM_CYMENU) + kTopMargin);
    return true;
}

bool DrawSendToItem(const DRAWITEMSTRUCT& item) {
    if (item.CtlType != ODT_MENU || ExistingSendToList() == nullptr ||
        item.itemData >= kFirstShellCommand)
        return false;
    const bool negative = int(item.itemID) < 0;
    const TSendToEntry* entry = negative ? nullptr : EntryOf(item.itemID, item.itemData);
    if (!negative && entry == nullptr) return false;
    const bool selected = item.itemState & ODS_SELECTED;
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_MENU));
    if (negative) return true;
    base::FontHandle font = MenuFont();
    base::SelectGuard selectedFont(item.hDC, font.Get());
    const int oldMode = SetBkMode(item.hDC, TRANSPARENT);
    const COLORREF oldColour =
        SetTextColor(item.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
    const std::wstring caption = SendToCaption(entry->name);
    const RECT& box = item.rcItem;
    ExtTextOutW(item.hDC, box.left + kCaptionLeft, box.top + kTopMargin, ETO_CLIPPED, &box,
                caption.c_str(), UINT(caption.size()), nullptr);
    if (entry->iconIndex >= 0)
        ImageList_Draw(GetSystemImageList(silSmall), entry->iconIndex, item.hDC,
                       box.left + kIconLeft, box.top + kTopMargin, ILD_TRANSPARENT);
    SetTextColor(item.hDC, oldColour);
    SetBkMode(item.hDC, oldMode);
    return true;
}

std::optional<LRESULT> SendToMenuChar(wchar_t character, UINT flags, HMENU popup) {
    if (!(flags & MF_POPUP)) return std::nullopt;
    const std::vector<const TSendToEntry*> entries = SendToEntriesOf(popup);
    if (entries.empty()) return std::nullopt;
    const wchar_t key = UpperCase(character);
    const auto matches = [&](int position) {
        const std::wstring caption = SendToCaption(entries[std::size_t(position)]->name);
        return !caption.empty() && UpperCase(caption[0]) == key;
    };
    const int count = int(entries.size());
    // Search after the highlighted item, then from the top up to it; with none highlighted the
    // search starts at the top, so that the first entry is not passed over.
    const int start = HighlightedPosition(popup, count) + 1;
    int chosen = -1;
    int found = 0;
    for (int step = 0; step < count; ++step) {
        const int position = (start + step) % count;
        if (!matches(position)) continue;
        if (chosen < 0) chosen = position;
        ++found;
    }
    if (chosen < 0) return MAKELRESULT(0, MNC_CLOSE);
    return MAKELRESULT(chosen, found == 1 ? MNC_EXECUTE : MNC_SELECT);
}

ComPtr<IDropTarget> SendToTarget(int index) {
    const TSendToList* list = ExistingSendToList();
    if (list == nullptr || index < 0 || index >= list->Count())
        throw base::Error(L"There is no Send To entry " + std::to_wstring(index + 1) + L".");
    UniquePidl location;
    HRESULT hr = GetSpecialFolderLocation(nullptr, CSIDL_SENDTO, location);
    if (FAILED(hr)) RaisePlatformError(hr);
    ComPtr<IShellFolder> folder;
    hr = BindToFolder(location.Get(), folder);
    if (FAILED(hr)) RaisePlatformError(hr);
    std::wstring name = (*list)[index].name;  // the call wants a writable buffer
    UniquePidl item;
    hr = folder->ParseDisplayName(nullptr, nullptr, name.data(), nullptr, item.Receive(), nullptr);
    if (FAILED(hr)) RaisePlatformError(hr);
    const ITEMIDLIST* items[] = {item.Get()};
    ComPtr<IDropTarget> target;
    hr = folder->GetUIObjectOf(nullptr, 1, items, IID_IDropTarget, nullptr,
                               reinterpret_cast<void**>(target.GetAddressOf()));
    if (FAILED(hr)) RaisePlatformError(hr);
    if (!target) RaisePlatformError(E_NOINTERFACE);
    return target;
}

bool DropData(IDropTarget* target, IDataObject* data) {
    const POINTL origin{0, 0};
    // Only what the target grants of the offered copy counts, as in the platform's own drag loop.
    DWORD effect = DROPEFFECT_COPY;
    HRESULT hr = target->DragEnter(data, MK_LBUTTON, origin, &effect);
    if (FAILED(hr)) RaisePlatformError(hr);
    if (effect & DROPEFFECT_COPY) {
        effect = DROPEFFECT_COPY;
        hr = target->DragOver(MK_LBUTTON, origin, &effect);
        if (SUCCEEDED(hr) && (effect & DROPEFFECT_COPY)) {
            effect = DROPEFFECT_COPY;
            hr = target->Drop(data, MK_LBUTTON, origin, &effect);
            if (FAILED(hr)) RaisePlatformError(hr);
            return true;
        }
    }
    target->DragLeave();
    if (FAILED(hr)) RaisePlatformError(hr);
    return false;
}

bool SendTo(int index, IDataObject* data) { return DropData(SendToTarget(index).Get(), data); }
