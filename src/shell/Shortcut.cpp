#include "shell/Shortcut.h"

#include <shlobj.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include "shell/ShellUtils.h"
#include "ui/Application.h"
#include "base/Handle.h"
#include "ui/Window.h"

using Microsoft::WRL::ComPtr;

namespace {

constexpr int kTextLength = INFOTIPSIZE;      // descriptions and arguments
constexpr DWORD kQuietResolveTimeout = 1000;  // milliseconds

HRESULT Resolve(IShellLinkW& link, TShortcutResolveMode mode) {
    if (mode == srmInteractive) {
        ui::Window* main = ui::App().MainWindow();
        return link.Resolve(main != nullptr ? main->Handle() : nullptr, 0);
    }
    return link.Resolve(nullptr, SLR_NO_UI | SLR_NOUPDATE | (kQuietResolveTimeout << 16));
}

// Reads one text field through a getter that fills a buffer of the given length.
template <class Getter>
HRESULT ReadText(std::wstring& text, int length, Getter get) {
    std::wstring buffer(length, L'\0');
    const HRESULT hr = get(buffer.data(), length);
    if (SUCCEEDED(hr)) text.assign(buffer.c_str());
    return hr;
}

HRESULT ReadFields(IShellLinkW& link, TPTShortcutInfo& info) {
    HRESULT hr = ReadText(info.Path, MAX_PATH, [&](wchar_t* buffer, int length) {
        return link.GetPath(buffer, length, &info.FindData, 0);
    });
    if (FAILED(hr)) return hr;
    hr = ReadText(info.Arguments, kTextLength,
                  [&](wchar_t* buffer, int length) { return link.GetArguments(buffer, length); });
    if (FAILED(hr)) return hr;
    hr = ReadText(info.Description, kTextLength,
                  [&](wchar_t* buffer, int length) { return link.GetDescription(buffer, length); });
    if (FAILED(hr)) return hr;
    hr = ReadText(info.IconLocation, MAX_PATH, [&](wchar_t* buffer, int length) {
        return link.GetIconLocation(buffer, length, &info.IconIndex);
    });
    if (FAILED(hr)) return hr;
    hr = ReadText(info.WorkingDirectory, MAX_PATH, [&](wchar_t* buffer, int length) {
        return link.GetWorkingDirectory(buffer, length);
    });
    if (FAILED(hr)) return hr;
    hr = link.GetShowCmd(&info.ShowCommand);
    if (FAILED(hr)) return hr;
    return link.GetHotkey(&info.HotKey);
}

// Some shells store a link's path in the ANSI code page only, losing the characters it lacks; the
// target's list keeps every name. Its path, when it has one, is the target's true path.
void PreferPathOfList(const ITEMIDLIST* target, TPTShortcutInfo& info) {
    if (target == nullptr) return;
    const std::wstring path = PidlToPath(target);
    if (path.empty() || path == info.Path) return;
    info.Path = path;
    WIN32_FIND_DATAW data{};
    base::FindHandle find(FindFirstFileW(path.c_str(), &data));
    if (find) info.FindData = data;
}

}  // namespace

HRESULT ReadShortcut(const std::wstring& fileName, TPTShortcutInfo& info, bool wantPidl) {
    ComPtr<IShellLinkW> link;
    HRESULT hr =
        CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link));
    if (FAILED(hr)) return hr;
    ComPtr<IPersistFile> file;
    hr = link.As(&file);
    if (FAILED(hr)) return hr;
    hr = file->Load(fileName.c_str(), STGM_READ);
    if (FAILED(hr)) return hr;
    hr = Resolve(*link.Get(), info.ResolveMode);
    if (FAILED(hr)) return hr;
    hr = ReadFields(*link.Get(), info);
    if (FAILED(hr)) return hr;
    info.Mask = TPTShortcutInfo::kAllFields;
    UniquePidl target;
    const HRESULT listResult = link->GetIDList(target.Receive());
    if (SUCCEEDED(listResult)) PreferPathOfList(target.Get(), info);
    if (!wantPidl) {
        info.Pidl.Reset();
        return hr;
    }
    info.Pidl = std::move(target);
    return listResult;
}
