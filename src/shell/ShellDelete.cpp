#include "shell/ShellDelete.h"

#include <shellapi.h>

#include "shell/ShellUtils.h"
#include "base/Error.h"
#include "ui/Dialogs.h"

namespace {

std::wstring Quoted(IShellFolder* folder, const ITEMIDLIST* item) {
    return L"'" + GetDisplayName(folder, item, dnInFolder) + L"'";
}

// How messages name the items: one by name, several by their number.
std::wstring Subject(IShellFolder* folder, ChildPidls items) {
    if (items.size() == 1) return Quoted(folder, items[0]);
    return L"these " + std::to_wstring(items.size()) + L" items";
}

SFGAOF AttributesOf(IShellFolder* folder, const ITEMIDLIST* item, SFGAOF wanted) {
    SFGAOF attributes = wanted;
    return SUCCEEDED(folder->GetAttributesOf(1, &item, &attributes)) ? attributes & wanted : 0;
}

// True when every item is a file or folder of the file system, with its path in paths (each
// path ends with a zero, as the file operation wants them).
bool FileSystemPaths(IShellFolder* folder, ChildPidls items, std::wstring& paths) {
    for (const ITEMIDLIST* item : items) {
        if (!(AttributesOf(folder, item, SFGAO_FILESYSTEM) & SFGAO_FILESYSTEM)) return false;
        const std::wstring path = GetDisplayName(folder, item, dnForParsing);
        if (path.empty()) return false;
        paths += path;
        paths.push_back(L'\0');
    }
    return true;
}

void DeleteFiles(HWND window, const std::wstring& paths, const std::wstring& subject) {
    const std::wstring from = paths + L'\0';  // the list ends with two zeros
    SHFILEOPSTRUCTW operation{};
    operation.hwnd = window;
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    // The question has been asked: the operation asks nothing and shows no error boxes of its own.
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_NOERRORUI;
    const int code = SHFileOperationW(&operation);
    if (code == 0 && !operation.fAnyOperationsAborted) return;
    std::wstring message = L"Unable to delete " + subject + L".";
    // Codes from 0x71 up are the operation's own, without a system text.
    if (code > 0 && code < 0x71) message += L"\n\n" + base::SystemErrorMessage(DWORD(code));
    throw base::PlatformError(message, HRESULT_FROM_WIN32(code));
}

void DeleteThroughMenu(HWND window, IShellFolder* folder, ChildPidls items,
                       const std::wstring& subject) {
    ShellContextMenu menu;
    const HRESULT hr = BuildContextMenu(window, folder, items, CMF_EXPLORE, menu);
    if (FAILED(hr)) RaisePlatformError(hr);
    if (!RunCommand(window, menu.object.Get(), kDeleteVerb, CMIC_MASK_FLAG_NO_UI))
        throw base::Error(L"Unable to delete " + subject + L".");
}

}  // namespace

std::wstring DeleteQuestion(IShellFolder* folder, ChildPidls items) {
    return L"Are you sure you want to delete " + Subject(folder, items) + L"?";
}

bool DeleteItems(HWND window, IShellFolder* folder, ChildPidls items) {
    if (folder == nullptr || items.empty()) return false;
    for (const ITEMIDLIST* item : items)
        if (!(AttributesOf(folder, item, SFGAO_CANDELETE) & SFGAO_CANDELETE))
            throw base::Error(Quoted(folder, item) + L" cannot be deleted.");
    if (!ui::AskYesNo(kConfirmDeleteCaption, DeleteQuestion(folder, items))) return false;
    const std::wstring subject = Subject(folder, items);
    std::wstring paths;
    if (FileSystemPaths(folder, items, paths))
        DeleteFiles(window, paths, subject);
    else
        DeleteThroughMenu(window, folder, items, subject);
    return true;
}
