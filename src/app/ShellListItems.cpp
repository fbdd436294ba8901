#include "app/ShellListItems.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "base/Strings.h"
#include "shellctl/ShellList.h"
#include "shellctl/ShellListData.h"

namespace {

// The name by which folder knows item, or an empty string.
std::wstring ParsingName(IShellFolder& folder, const ITEMIDLIST* item) {
    STRRET name{};
    wchar_t* text = nullptr;
    if (FAILED(folder.GetDisplayNameOf(item, SHGDN_FORPARSING, &name)) ||
        FAILED(StrRetToStrW(&name, item, &text)))
        return {};
    std::wstring result(text);
    CoTaskMemFree(text);
    return result;
}

// Whether path names an entry of folder itself (not one further down).
bool IsEntryOf(const std::wstring& folder, const std::wstring& path) {
    const size_t start = folder.size() + (folder.ends_with(L'\\') ? 0 : 1);
    return path.size() > start &&
           base::SameTextIgnoringCase(path.substr(0, folder.size()), folder) &&
           path[start - 1] == L'\\' && path.find(L'\\', start) == std::wstring::npos;
}

}  // namespace

int ShellListItems::Count() const { return list_.ShellItemCount(); }

bool ShellListItems::Selected(int index) const { return list_.Selected(index); }

void ShellListItems::SetSelected(int index, bool selected) { list_.SetSelected(index, selected); }

std::wstring ShellListItems::Path(int index) const { return list_.ShellDataAt(index).GetPath(); }

int ShellListItems::SelectedCount() const {
    return list_.Handle() != nullptr ? list_.SelectedCount() : 0;
}

std::vector<int> ShellListItems::SelectedIndexes() const {
    // Asking item by item costs Wine's list view 0.1 ms an item: a third of a second for 3,000
    // files chosen with "Select all", when one question says that every item is selected.
    const int count = Count();
    if (count > 0 && list_.Handle() != nullptr && list_.ItemCount() == count &&
        list_.SelectedCount() == count) {
        std::vector<int> all(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) all[size_t(i)] = i;
        return all;
    }
    return list_.SelectedItems();
}

// The shell finds an item's path by walking from the desktop, 1.5 ms an item under Wine: seconds
// on the window's thread for a large selection. The list's folder names its own items at once,
// and a file-system item's name there, under the folder's path, is that same path.
std::vector<std::wstring> ShellListItems::SelectedPaths() const {
    const std::vector<int> selected = SelectedIndexes();
    std::vector<std::wstring> paths;
    paths.reserve(selected.size());
    IShellFolder* folder = list_.ShellFolder();
    const std::wstring folderPath = folder != nullptr ? list_.FolderPath() : std::wstring();
    for (int index : selected) {
        shellctl::TPTShListData& data = list_.ShellDataAt(index);
        std::wstring path;
        if (!folderPath.empty() && (data.AcceptedAttributes() & SFGAO_FILESYSTEM) != 0)
            path = ParsingName(*folder, data.RelIdList());
        if (!IsEntryOf(folderPath, path)) path = data.GetPath();
        paths.push_back(std::move(path));
    }
    return paths;
}

void ShellListItems::SetAllSelected(bool selected) {
    if (selected) {
        list_.SelectAllItems();
    } else {
        list_.ClearSelection();
    }
}
