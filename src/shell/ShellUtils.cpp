#include "shell/ShellUtils.h"

#include <shellapi.h>

#include "shell/IdListArray.h"
#include "shell/PlatformVersion.h"
#include "shell/ShellStrings.h"
#include "base/Error.h"
#include "base/Handle.h"

using Microsoft::WRL::ComPtr;

namespace {

ComPtr<IShellFolder> Desktop() {
    ComPtr<IShellFolder> desktop;
    base::ThrowIfFailed(SHGetDesktopFolder(&desktop));
    return desktop;
}

HIMAGELIST SystemImageList(TSystemImageListSize size) {
    SHFILEINFOW info{};
    const UINT flags = SHGFI_SYSICONINDEX | (size == silSmall ? SHGFI_SMALLICON : 0);
    return reinterpret_cast<HIMAGELIST>(SHGetFileInfoW(L"C:\\", 0, &info, sizeof info, flags));
}

}  // namespace

HRESULT BindToFolder(const ITEMIDLIST* pidl, ComPtr<IShellFolder>& folder) {
    folder.Reset();
    ComPtr<IShellFolder> desktop;
    HRESULT hr = SHGetDesktopFolder(&desktop);
    if (FAILED(hr)) return hr;
    if (pidl == nullptr || IsEmptyPidl(pidl)) {
        folder = std::move(desktop);
        return S_OK;
    }
    return desktop->BindToObject(pidl, nullptr, IID_PPV_ARGS(&folder));
}

HRESULT PathToPidl(const std::wstring& path, UniquePidl& pidl) {
    pidl.Reset();
    ComPtr<IShellFolder> desktop;
    HRESULT hr = SHGetDesktopFolder(&desktop);
    if (FAILED(hr)) return hr;
    std::wstring name = path;  // the call wants a writable buffer
    UniquePidl parsed;
    hr = desktop->ParseDisplayName(nullptr, nullptr, name.data(), nullptr, parsed.Receive(),
                                   nullptr);
    if (SUCCEEDED(hr)) pidl = std::move(parsed);
    return hr;
}

std::wstring PidlToPath(const ITEMIDLIST* pidl) {
    wchar_t path[MAX_PATH] = {};
    if (!SHGetPathFromIDListW(PidlOrEmpty(pidl), path)) return {};
    return path;
}

std::wstring SpecialFolderPath(HWND owner, int folder) {
    UniquePidl pidl;
    if (FAILED(SHGetSpecialFolderLocation(owner, folder, pidl.Receive()))) return {};
    return PidlToPath(pidl.Get());
}

HRESULT GetSpecialFolderLocation(HWND owner, int folder, UniquePidl& pidl) {
    return SHGetSpecialFolderLocation(owner, folder & 0x7F, pidl.Receive());
}

int GetIconIndex(const ITEMIDLIST* pidl, UINT extraFlags) {
    SHFILEINFOW info{};
    const DWORD_PTR ok = SHGetFileInfoW(reinterpret_cast<LPCWSTR>(PidlOrEmpty(pidl)), 0, &info,
                                        sizeof info, extraFlags | SHGFI_PIDL | SHGFI_SYSICONINDEX);
    return ok != 0 ? info.iIcon : 0;
}

int SpecialFolderOf(const ITEMIDLIST* pidl) {
    for (int folder = 0; folder <= kNoSpecialFolder; ++folder) {
        UniquePidl location;
        if (SUCCEEDED(GetSpecialFolderLocation(nullptr, folder, location)) &&
            ComparePidls(location.Get(), pidl) == 0)
            return folder;
    }
    return kNoSpecialFolder;
}

std::wstring GetDisplayName(IShellFolder* folder, const ITEMIDLIST* pidl, TDisplayNameKind kind) {
    ComPtr<IShellFolder> desktop;
    if (folder == nullptr) {
        if (FAILED(SHGetDesktopFolder(&desktop))) return {};
        folder = desktop.Get();
    }
    static constexpr SHGDNF kFlags[] = {SHGDN_NORMAL, SHGDN_INFOLDER, SHGDN_FORPARSING};
    const SHGDNF flags =
        kind >= dnNormal && kind <= dnForParsing ? kFlags[kind] : SHGDNF(SHGDN_NORMAL);
    const ITEMIDLIST* item = PidlOrEmpty(pidl);
    STRRET name{};
    name.uType = STRRET_CSTR;
    if (FAILED(folder->GetDisplayNameOf(item, flags, &name))) return {};
    std::wstring text = StrRetToString(item, name);
    FreeStrRet(name);
    return text;
}

std::wstring DisplayNameOfPidl(const ITEMIDLIST* pidl) {
    TPTIdListArray items(pidl);
    if (items.Count() < 2) return GetDisplayName(nullptr, pidl, dnInFolder);
    ComPtr<IShellFolder> parent;
    base::ThrowIfFailed(
        Desktop()->BindToObject(items.ParentPidl(1), nullptr, IID_PPV_ARGS(&parent)));
    return GetDisplayName(parent.Get(), items.ItemPidl(items.Count() - 1), dnInFolder);
}

void InstallShellOverlays() {
    base::ModuleHandle shell(LoadLibraryW(L"shell32.dll"));
    if (!shell) return;
    struct Overlay {
        int resource;
        int image;
    };
    static constexpr Overlay kOverlays[] = {{29, 1}, {30, 2}};
    for (const TSystemImageListSize size : {silSmall, silLarge}) {
        HIMAGELIST list = SystemImageList(size);
        if (list == nullptr) continue;
        const int pixels = size == silSmall ? 16 : 32;
        for (const Overlay& overlay : kOverlays) {
            base::IconHandle icon(static_cast<HICON>(LoadImageW(
                shell.Get(), MAKEINTRESOURCEW(overlay.resource), IMAGE_ICON, pixels, pixels, 0)));
            if (!icon) continue;
            const int index = ImageList_AddIcon(list, icon.Get());
            if (index >= 0) ImageList_SetOverlayImage(list, index, overlay.image);
        }
    }
}

HIMAGELIST GetSystemImageList(TSystemImageListSize size) {
    static bool overlaysInstalled = false;
    if (!overlaysInstalled) {
        overlaysInstalled = true;
        if (IsWinNT() && CommonControlsVersion().AtLeast(4, 71)) InstallShellOverlays();
    }
    return SystemImageList(size);
}

void ValidateDrives() {
    if (ShellRefreshScope::Nesting() != 0) return;
    UniquePidl drives;
    base::ThrowIfFailed(GetSpecialFolderLocation(nullptr, kDrivesFolder, drives));
    ComPtr<IShellFolder> folder;
    base::ThrowIfFailed(BindToFolder(drives.Get(), folder));
    SFGAOF attributes = SFGAO_VALIDATE;
    folder->GetAttributesOf(0, nullptr, &attributes);
}
