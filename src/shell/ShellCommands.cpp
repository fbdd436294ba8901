#include "shell/ShellCommands.h"

#include "shell/ShellTransfer.h"
#include "shell/ShellUtils.h"
#include "base/Error.h"
#include "base/Strings.h"
#include "ui/Cursor.h"

using Microsoft::WRL::ComPtr;

namespace {

// The size of the buffers handed to GetCommandString, in characters.
constexpr UINT kCommandStringSize = 260;

// A command string in the narrow form, or in the wide one where the narrow one fails or is empty.
// Both buffers start zeroed and end terminated whatever the handler wrote.
std::wstring CommandString(IContextMenu* menu, UINT offset, UINT narrowFlag, UINT wideFlag) {
    char narrow[kCommandStringSize] = {};
    if (SUCCEEDED(
            menu->GetCommandString(offset, narrowFlag, nullptr, narrow, kCommandStringSize))) {
        narrow[kCommandStringSize - 1] = '\0';
        if (narrow[0] != '\0') return base::AnsiToWide(narrow);
    }
    wchar_t wide[kCommandStringSize] = {};
    if (FAILED(menu->GetCommandString(offset, wideFlag, nullptr, reinterpret_cast<char*>(wide),
                                      kCommandStringSize)))
        return {};
    wide[kCommandStringSize - 1] = L'\0';
    return wide;
}

bool IsShellCommand(UINT command) {
    return command >= kFirstShellCommand && command <= kLastShellCommand;
}

base::MenuHandle NewPopupMenu() {
    base::MenuHandle menu(CreatePopupMenu());
    if (!menu) base::ThrowLastError();
    return menu;
}

}  // namespace

HWND ShellWindow(HWND control) {
    if (control == nullptr || !IsWindow(control)) return nullptr;
    HWND root = GetAncestor(control, GA_ROOT);
    return root != control ? root : nullptr;
}

void RaisePlatformError(HRESULT code) { throw base::PlatformError::FromHResult(code); }

void PauseWithHourglass(DWORD milliseconds) {
    ui::CursorGuard hourglass;
    Sleep(milliseconds);
}

bool SetStyleBits(HWND window, DWORD bits, bool on) {
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    const LONG_PTR wanted = on ? style | LONG_PTR(bits) : style & ~LONG_PTR(bits);
    if (wanted == style) return false;
    SetWindowLongPtrW(window, GWL_STYLE, wanted);
    return true;
}

HRESULT BuildContextMenu(HWND window, IShellFolder* folder, ChildPidls items, UINT flags,
                         UINT firstCommand, ShellContextMenu& result) {
    result = {};
    ComPtr<IContextMenu> object;
    HRESULT hr =
        folder->GetUIObjectOf(window, UINT(items.size()), PidlArray(items), IID_IContextMenu,
                              nullptr, reinterpret_cast<void**>(object.GetAddressOf()));
    if (FAILED(hr)) return hr;
    if (!object) return E_NOINTERFACE;
    base::MenuHandle menu = NewPopupMenu();
    // A success carries the number of identifiers used, so only a failure code is a failure.
    hr = object->QueryContextMenu(menu.Get(), 0, firstCommand, kLastShellCommand, flags);
    if (FAILED(hr)) RaisePlatformError(hr);
    result.object = std::move(object);
    result.menu = std::move(menu);
    return hr;
}

std::wstring CommandVerb(IContextMenu* menu, UINT offset) {
    return CommandString(menu, offset, GCS_VERBA, GCS_VERBW);
}

std::wstring CommandHelpText(IContextMenu* menu, UINT offset) {
    return CommandString(menu, offset, GCS_HELPTEXTA, GCS_HELPTEXTW);
}

std::optional<UINT> FindVerb(IContextMenu* menu, std::wstring_view verb) {
    if (menu == nullptr || verb.empty()) return std::nullopt;
    base::MenuHandle popup = NewPopupMenu();
    const HRESULT hr =
        menu->QueryContextMenu(popup.Get(), 0, kFirstShellCommand, kLastShellCommand, CMF_EXPLORE);
    if (FAILED(hr)) RaisePlatformError(hr);
    const int count = GetMenuItemCount(popup.Get());
    for (int position = 0; position < count; ++position) {
        MENUITEMINFOW item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE;
        if (!GetMenuItemInfoW(popup.Get(), UINT(position), TRUE, &item)) continue;
        if (item.hSubMenu != nullptr || (item.fType & MFT_SEPARATOR) || !IsShellCommand(item.wID))
            continue;
        const UINT offset = item.wID - kFirstShellCommand;
        if (base::SameTextIgnoringCase(CommandVerb(menu, offset), verb)) return offset;
    }
    return std::nullopt;
}

bool RunCommand(HWND window, IContextMenu* menu, UINT offset, DWORD mask) {
    if (menu == nullptr || offset > kMaxShellCommandOffset) return false;
    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof info;
    info.fMask = mask;
    info.hwnd = window;
    info.lpVerb = MAKEINTRESOURCEA(offset);
    info.nShow = SW_SHOWNORMAL;
    const HRESULT hr = menu->InvokeCommand(&info);
    if (FAILED(hr) && hr != HRESULT_FROM_WIN32(ERROR_CANCELLED) && hr != E_ABORT)
        RaisePlatformError(hr);
    return true;
}

bool RunCommand(HWND window, IContextMenu* menu, std::wstring_view verb, DWORD mask) {
    const std::optional<UINT> offset = FindVerb(menu, verb);
    return offset && RunCommand(window, menu, *offset, mask);
}

bool RunDefaultCommand(HWND window, IShellFolder* folder, ChildPidls items) {
    if (folder == nullptr || items.empty()) return false;
    ShellContextMenu menu;
    const HRESULT hr = BuildContextMenu(window, folder, items, CMF_EXPLORE, menu);
    if (FAILED(hr)) RaisePlatformError(hr);
    // -1 when the menu has no default item: nothing to run.
    const UINT item = GetMenuDefaultItem(menu.menu.Get(), FALSE, 0);
    if (!IsShellCommand(item)) return false;
    return RunCommand(window, menu.object.Get(), item - kFirstShellCommand);
}

bool RunFolderVerb(HWND window, const ITEMIDLIST* folder, std::wstring_view verb) {
    ComPtr<IContextMenu> itemMenu;
    if (SUCCEEDED(GetUIObjectOfAbsolute(folder, itemMenu, window)) &&
        RunCommand(window, itemMenu.Get(), verb))
        return true;
    ComPtr<IShellFolder> self;
    const HRESULT hr = BindToFolder(folder, self);
    if (FAILED(hr)) RaisePlatformError(hr);
    ComPtr<IContextMenu> background;
    if (FAILED(self->CreateViewObject(window, IID_PPV_ARGS(&background)))) return false;
    return RunCommand(window, background.Get(), verb);
}

TShellCommandKind ClassifyCommand(IContextMenu* menu, UINT command) {
    if (command >= kFirstSendToCommand && command <= kLastSendToCommand)
        return TShellCommandKind::SendTo;
    if (!IsShellCommand(command) || menu == nullptr) return TShellCommandKind::None;
    const std::wstring verb = CommandVerb(menu, command - kFirstShellCommand);
    if (base::SameTextIgnoringCase(verb, kRenameVerb)) return TShellCommandKind::Rename;
    if (base::SameTextIgnoringCase(verb, kDeleteVerb)) return TShellCommandKind::Delete;
    return TShellCommandKind::Shell;
}

void RunThenRefresh(const std::function<bool()>& command, const std::function<void()>& refresh) {
    bool changing = false;
    try {
        changing = command();
    } catch (...) {
        refresh();
        throw;
    }
    if (changing) refresh();
}
