#include "shell/ShellRename.h"

#include "shell/ShellUtils.h"
#include "base/Error.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"

namespace {

// The longest name one path component may have.
constexpr std::size_t kMaxComponentLength = 255;
constexpr wchar_t kInvalidNameCharacters[] = L"\\/:*?\"<>|";

bool IsFileSystemPath(const std::wstring& path) {
    return (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') || path.starts_with(L"\\\\");
}

// The platform's objection to a new name of a file-system item in directory, or 0.
DWORD NameProblem(const std::wstring& directory, const std::wstring& name) {
    if (name.find_first_of(kInvalidNameCharacters) != std::wstring::npos) return ERROR_INVALID_NAME;
    // The full path and its terminator must fit the platform's path buffer.
    if (name.size() > kMaxComponentLength || directory.size() + 1 + name.size() >= MAX_PATH)
        return ERROR_FILENAME_EXCED_RANGE;
    return 0;
}

void Warn(HRESULT code) { ui::ShowWarning(ui::App().Title(), base::SystemErrorMessage(code)); }

UniquePidl ParseName(HWND window, IShellFolder* folder, const std::wstring& name) {
    std::wstring buffer = name;  // the call wants a writable buffer
    UniquePidl parsed;
    if (FAILED(folder->ParseDisplayName(window, nullptr, buffer.data(), nullptr, parsed.Receive(),
                                        nullptr)))
        parsed.Reset();
    return parsed;
}

}  // namespace

TRenameResult SetNameOf(HWND window, IShellFolder* folder, const ITEMIDLIST* item,
                        const std::wstring& name) {
    TRenameResult result;
    if (folder == nullptr || item == nullptr || name.empty()) return result;
    const std::wstring path = GetDisplayName(folder, item, dnForParsing);
    if (IsFileSystemPath(path)) {
        const std::wstring directory = path.substr(0, path.find_last_of(L'\\'));
        if (const DWORD problem = NameProblem(directory, name)) {
            Warn(HRESULT_FROM_WIN32(problem));
            return result;
        }
    }
    UniquePidl newItem;
    // Some shells answer a failed move with the generic failure and leave the reason as the last
    // error; it is the better text.
    SetLastError(ERROR_SUCCESS);
    HRESULT hr = folder->SetNameOf(window, item, name.c_str(), kRenameNameFlags, newItem.Receive());
    const DWORD lastError = GetLastError();
    if (FAILED(hr)) {
        newItem.Reset();
        if (hr == HRESULT_FROM_WIN32(ERROR_CANCELLED)) return result;
        if (hr == E_FAIL && lastError != ERROR_SUCCESS) hr = HRESULT_FROM_WIN32(lastError);
        Warn(hr);
        return result;
    }
    result.renamed = true;
    result.newItem = newItem ? std::move(newItem) : ParseName(window, folder, name);
    return result;
}
