#include "findfile/TargetFolder.h"

#include <windows.h>

#include "findfile/Matching.h"
#include "findfile/PathText.h"
#include "base/Strings.h"

namespace findfile {

TStringList SplitList(std::wstring_view text) {
    TStringList pieces;
    while (!text.empty()) {
        const std::size_t semicolon = text.find(L';');
        if (semicolon == std::wstring_view::npos) {
            pieces.emplace_back(text);
            break;
        }
        pieces.emplace_back(text.substr(0, semicolon));
        text.remove_prefix(semicolon + 1);
    }
    return pieces;
}

bool TakeRecursionPrefix(std::wstring& entry, bool defaultRecursive) {
    if (entry.empty() || (entry[0] != L'<' && entry[0] != L'>')) return defaultRecursive;
    const bool recursive = entry[0] == L'>';
    entry.erase(0, 1);
    return recursive;
}

std::wstring FolderWithSeparator(std::wstring_view path) {
    std::wstring full;
    if (!path.empty()) {
        const std::wstring relative(path);
        DWORD length = GetFullPathNameW(relative.c_str(), 0, nullptr, nullptr);
        while (length != 0) {
            full.resize(length);
            const DWORD written = GetFullPathNameW(relative.c_str(), length, full.data(), nullptr);
            if (written < length) {
                full.resize(written);
                break;
            }
            length = written;
        }
        // A path the platform cannot expand is searched as given (and then yields nothing).
        if (length == 0) full = relative;
    }
    if (!full.empty() && full.back() != L':' && !IsPathSeparator(full.back())) full += L'\\';
    return full;
}

int TTargetFolderList::IndexOfFolder(std::wstring_view folderPath) const {
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (base::SameTextIgnoringCase(items_[i]->FolderPath, folderPath)) return int(i);
    return -1;
}

TTargetFolder& TTargetFolderList::AddFolder(std::wstring_view path) {
    std::wstring folder = FolderWithSeparator(path);
    const int index = IndexOfFolder(folder);
    if (index >= 0) return *items_[std::size_t(index)];
    auto target = std::make_unique<TTargetFolder>();
    target->FolderPath = std::move(folder);
    items_.insert(items_.begin(), std::move(target));
    return *items_.front();
}

bool TTargetFolderList::IsExcluded(std::wstring_view folder, std::wstring_view name) const {
    for (auto entry = ExcludedFiles.rbegin(); entry != ExcludedFiles.rend(); ++entry)
        if (ExcludedEntryMatches(folder, name, *entry)) return true;
    return false;
}

}  // namespace findfile
