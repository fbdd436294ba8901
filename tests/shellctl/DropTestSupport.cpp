#include "DropTestSupport.h"

#include <cstdio>
#include <stdexcept>

#include <shellapi.h>

#include "shell/DataObject.h"
#include "shell/DropTarget.h"
#include "shell/ShellUtils.h"

using Microsoft::WRL::ComPtr;

namespace testing_support {

RecordingDropTarget::RecordingDropTarget(ComPtr<IDropTarget> real, std::vector<std::string>& calls,
                                         std::vector<POINTL>& points, IDataObject*& dropped)
    : real_(std::move(real)), calls_(calls), points_(points), dropped_(dropped) {}

template <class Call>
HRESULT RecordingDropTarget::Note(const char* what, DWORD keys, const POINTL* point, DWORD* effect,
                                  Call call) {
    char line[48];
    snprintf(line, sizeof line, effect != nullptr ? "%s %lu %lu" : "%s", what, keys,
             effect != nullptr ? *effect : 0);
    calls_.push_back(line);
    if (point != nullptr) points_.push_back(*point);
    if (real_) return call();
    if (effect != nullptr) *effect = DROPEFFECT_NONE;
    return S_OK;
}

STDMETHODIMP RecordingDropTarget::DragEnter(IDataObject* data, DWORD keys, POINTL point,
                                            DWORD* effect) {
    return Note("enter", keys, &point, effect,
                [&] { return real_->DragEnter(data, keys, point, effect); });
}

STDMETHODIMP RecordingDropTarget::DragOver(DWORD keys, POINTL point, DWORD* effect) {
    return Note("over", keys, &point, effect, [&] { return real_->DragOver(keys, point, effect); });
}

STDMETHODIMP RecordingDropTarget::DragLeave() {
    return Note("leave", 0, nullptr, nullptr, [&] { return real_->DragLeave(); });
}

STDMETHODIMP RecordingDropTarget::Drop(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) {
    dropped_ = data;
    return Note("drop", keys, &point, effect,
                [&] { return real_->Drop(data, keys, point, effect); });
}

ComPtr<IDropTarget> ShellTargetLog::Wrap(const std::wstring& path, ComPtr<IDropTarget> real) {
    asked.push_back(path);
    return MakeComObject<RecordingDropTarget>(std::move(real), calls, points, dropped);
}

ComPtr<IDataObject> FileData(const std::wstring& folder, const std::vector<std::wstring>& names) {
    UniquePidl parent;
    ComPtr<IShellFolder> shellFolder;
    if (FAILED(PathToPidl(folder, parent)) || FAILED(BindToFolder(parent.Get(), shellFolder)))
        throw std::runtime_error("cannot bind to the folder of the items");
    std::vector<UniquePidl> items;
    std::vector<const ITEMIDLIST*> pointers;
    for (std::wstring name : names) {
        UniquePidl item;
        if (FAILED(shellFolder->ParseDisplayName(nullptr, nullptr, name.data(), nullptr,
                                                 item.Receive(), nullptr)))
            throw std::runtime_error("cannot parse an item's name");
        pointers.push_back(item.Get());
        items.push_back(std::move(item));
    }
    return MakeComObject<TDataObject_shlv>(parent.Get(), shellFolder.Get(), pointers);
}

ComPtr<IDataObject> ComputerData() {
    ComPtr<IShellFolder> desktop;
    SHGetDesktopFolder(&desktop);
    UniquePidl computer;
    wchar_t name[] = L"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";
    desktop->ParseDisplayName(nullptr, nullptr, name, nullptr, computer.Receive(), nullptr);
    const ITEMIDLIST* item = computer.Get();
    return MakeComObject<TDataObject_shlv>(EmptyPidl(), desktop.Get(),
                                           std::span<const ITEMIDLIST* const>(&item, 1));
}

std::vector<std::wstring> DroppedFiles(IDataObject* data) {
    std::vector<std::wstring> files;
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (data == nullptr || FAILED(data->GetData(&format, &medium))) return files;
    const auto drop = static_cast<HDROP>(GlobalLock(medium.hGlobal));
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::wstring name(DragQueryFileW(drop, i, nullptr, 0), L'\0');
        DragQueryFileW(drop, i, name.data(), UINT(name.size() + 1));
        files.push_back(name);
    }
    GlobalUnlock(medium.hGlobal);
    ReleaseStgMedium(&medium);
    return files;
}

bool TakesDrops(HWND window) {
    // A second registration is refused exactly when one is in place.
    const auto probe = MakeComObject<TDropTarget_shtv>(nullptr);
    const HRESULT hr = RegisterDragDrop(window, probe.Get());
    if (hr == S_OK) RevokeDragDrop(window);
    return hr == DRAGDROP_E_ALREADYREGISTERED;
}

}  // namespace testing_support
