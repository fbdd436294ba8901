// The file filter of the shell list: the names the masks find in the folder, read once per fill
// with the platform's own wildcard search, then one look-up per item.
#include <algorithm>

#include "base/Handle.h"
#include "shellctl/ShellList.h"

namespace shellctl {
namespace {

std::wstring UpperCase(std::wstring text) {
    if (!text.empty()) CharUpperBuffW(text.data(), DWORD(text.size()));
    return text;
}

bool ListsEveryFile(const std::wstring& filter) {
    return filter.empty() || filter == L"*" || filter == L"*.*";
}

// A mask that names another folder (or another drive) would list that folder's names here.
bool StaysInFolder(const std::wstring& mask) {
    return mask.find_first_of(L"\\/:") == std::wstring::npos &&
           mask.find(L"..") == std::wstring::npos;
}

// Adds the names of the files a mask finds in a folder; false when the search failed for
// another reason than finding nothing.
bool AddMatches(const std::wstring& folder, const std::wstring& mask,
                std::vector<std::wstring>& names) {
    WIN32_FIND_DATAW found{};
    const base::FindHandle search(FindFirstFileExW((folder + mask).c_str(), FindExInfoBasic, &found,
                                                   FindExSearchNameMatch, nullptr, 0));
    if (!search) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES;
    }
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            names.push_back(UpperCase(found.cFileName));
    } while (FindNextFileW(search.Get(), &found));
    return true;
}

}  // namespace

void TPTCustomShellList::PrepareFileFilter(const ITEMIDLIST* folderAbsIdList) {
    nameSet_.reset();
    const std::wstring path = PidlToPath(folderAbsIdList);
    if (path.empty() || ListsEveryFile(fileFilter_)) return;
    const std::wstring folder = path.back() == L'\\' ? path : path + L'\\';
    const UINT errorMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    auto names = std::make_unique<std::vector<std::wstring>>();
    for (const std::wstring& mask : masks_) {
        if (!StaysInFolder(mask)) continue;
        if (!AddMatches(folder, mask, *names)) break;
    }
    SetErrorMode(errorMode);
    std::sort(names->begin(), names->end());
    names->erase(std::unique(names->begin(), names->end()), names->end());
    nameSet_ = std::move(names);
}

bool TPTCustomShellList::MatchesFileFilter(const std::wstring& name, ULONG attributes) const {
    if ((attributes & SFGAO_FOLDER) != 0 || !nameSet_) return true;
    return std::binary_search(nameSet_->begin(), nameSet_->end(), UpperCase(name));
}

void TPTCustomShellList::ReleaseFileFilter() { nameSet_.reset(); }

bool TPTCustomShellList::FilterItem(IShellFolder* folder, const ITEMIDLIST* folderAbsIdList,
                                    ULONG attributes, const ITEMIDLIST* relIdList) {
    bool allow = true;
    if (nameSet_ && (attributes & SFGAO_FOLDER) == 0) {
        std::wstring name = GetDisplayName(folder, relIdList, dnForParsing);
        const std::size_t separator = name.find_last_of(L"\\/");
        if (separator != std::wstring::npos) name.erase(0, separator + 1);
        allow = MatchesFileFilter(name, attributes);
    }
    if (allow && OnAddItem) {
        BOOL allowAdd = TRUE;
        OnAddItem(*this, folder, folderAbsIdList, relIdList, attributes, allowAdd);
        allow = allowAdd != FALSE;
    }
    return allow;
}

}  // namespace shellctl
