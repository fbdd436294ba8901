#include "shell/ShellTransfer.h"

#include <vector>

#include "base/Error.h"
#include "shell/IdListArray.h"
#include "shell/ShellDataBlocks.h"
#include "shell/ShellUtils.h"

using Microsoft::WRL::ComPtr;

namespace {

// GetAttributesOf over several items; the platform's declaration wants a mutable array.
HRESULT AttributesOf(IShellFolder* folder, std::span<const ITEMIDLIST* const> items,
                     SFGAOF& attributes) {
    return folder->GetAttributesOf(static_cast<UINT>(items.size()),
                                   const_cast<const ITEMIDLIST**>(items.data()), &attributes);
}

}  // namespace

HRESULT GetUIObjectOfAbsolute(const ITEMIDLIST* pidl, REFIID iid, void** object, HWND owner) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    UniquePidl desktopDirectory;
    if (pidl == nullptr || IsEmptyPidl(pidl)) {
        const std::wstring path = SpecialFolderPath(owner, CSIDL_DESKTOPDIRECTORY);
        if (path.empty()) return E_FAIL;
        const HRESULT hr = PathToPidl(path, desktopDirectory);
        if (FAILED(hr)) return hr;
        pidl = desktopDirectory.Get();
    }
    TPTIdListArray split(pidl);
    const ITEMIDLIST* parent = split.ParentPidl(1);
    if (parent == nullptr) return E_OUTOFMEMORY;
    ComPtr<IShellFolder> folder;
    HRESULT hr = BindToFolder(parent, folder);
    if (FAILED(hr)) return hr;
    const ITEMIDLIST* item = split.ItemPidl(split.Count() - 1);
    if (item == nullptr) return E_OUTOFMEMORY;
    return folder->GetUIObjectOf(owner, 1, &item, iid, nullptr, object);
}

DWORD SourceDropEffects(IShellFolder* folder, std::span<const ITEMIDLIST* const> items) {
    SFGAOF attributes = kAllDropEffects;
    if (folder == nullptr || items.empty() || FAILED(AttributesOf(folder, items, attributes)))
        return kAllDropEffects;
    return attributes & kAllDropEffects;
}

DWORD CommonDropEffects(IDataObject* data) {
    ShellIdListArray array;
    switch (ReadShellIdListArray(data, array)) {
        case IdListArrayRead::Absent:
            return kAllDropEffects;
        case IdListArrayRead::Malformed:
            return DROPEFFECT_NONE;
        case IdListArrayRead::Read:
            break;
    }
    ComPtr<IShellFolder> parent;
    base::ThrowIfFailed(BindToFolder(array.parent.Get(), parent));
    const std::vector<const ITEMIDLIST*> items = array.ItemPointers();
    SFGAOF attributes = kAllDropEffects;
    base::ThrowIfFailed(AttributesOf(parent.Get(), items, attributes));
    return attributes & kAllDropEffects;
}

HRESULT AskShellDropTarget(IDropTarget* target, IDataObject* data, DWORD keys, POINTL point,
                           DWORD* effect, bool withDragOver) {
    if (effect == nullptr) return E_INVALIDARG;
    if (target == nullptr || data == nullptr) {
        *effect = DROPEFFECT_NONE;
        return E_INVALIDARG;
    }
    const DWORD offered = *effect;
    HRESULT hr = target->DragEnter(data, keys, point, effect);
    if (SUCCEEDED(hr) && withDragOver) {
        *effect = offered;
        hr = target->DragOver(keys, point, effect);
    }
    target->DragLeave();
    if (FAILED(hr)) *effect = DROPEFFECT_NONE;
    return hr;
}

HRESULT DropOnShellTarget(IDropTarget* target, IDataObject* data, DWORD keys, POINTL point,
                          DWORD* effect) {
    if (effect == nullptr) return E_INVALIDARG;
    const DWORD offered = *effect;
    *effect = DROPEFFECT_NONE;
    if (target == nullptr || data == nullptr) return E_INVALIDARG;
    DWORD allowed = DROPEFFECT_NONE;
    try {
        allowed = CommonDropEffects(data);
    } catch (const base::PlatformError& error) {
        return error.Code();
    } catch (...) {
        return E_UNEXPECTED;
    }
    DWORD scratch = offered;
    HRESULT hr = target->DragEnter(data, keys, point, &scratch);
    if (FAILED(hr)) return hr;
    scratch = offered;
    target->DragOver(keys, point, &scratch);
    DWORD dropped = offered & allowed;
    if (dropped == DROPEFFECT_NONE) {
        target->DragLeave();
        return S_OK;
    }
    hr = target->Drop(data, keys, point, &dropped);
    *effect = SUCCEEDED(hr) ? dropped : DROPEFFECT_NONE;
    return hr;
}
