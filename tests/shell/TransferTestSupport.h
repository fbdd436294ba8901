// Helpers of the data-transfer tests: real items of real folders, and the blocks a data object
// hands out.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include <windows.h>
#include <ole2.h>
#include <shlobj.h>
#include <wrl/client.h>

#include "ShellTestSupport.h"
#include "shell/DropTarget.h"

namespace shell_test {

// The parsing name of the computer (the drives), a virtual folder on the desktop.
inline const wchar_t* const kComputer = L"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";

// Items of a folder (the desktop for an empty path) as a shell control holds them: the folder's
// absolute list, the folder, and the items' lists relative to it.
struct RealItems {
    UniquePidl parent;
    Microsoft::WRL::ComPtr<IShellFolder> folder;
    std::vector<UniquePidl> items;

    // Every name becomes an item, or the test ends with an error: no test goes on without them.
    RealItems(const std::wstring& path, std::vector<std::wstring> names)
        : parent(path.empty() ? UniquePidl::CopyOf(nullptr) : ParsePath(path)) {
        if (BindToFolder(parent.Get(), folder) != S_OK || !folder)
            throw std::runtime_error("cannot bind to the folder of the items");
        for (std::wstring& name : names) {
            UniquePidl item;
            if (folder->ParseDisplayName(nullptr, nullptr, name.data(), nullptr, item.Receive(),
                                         nullptr) != S_OK)
                throw std::runtime_error("cannot parse an item's name");
            items.push_back(std::move(item));
        }
    }
    std::vector<const ITEMIDLIST*> Pointers() const {
        std::vector<const ITEMIDLIST*> pointers;
        for (const UniquePidl& item : items) pointers.push_back(item.Get());
        return pointers;
    }
};

// The bytes a data object hands out in a format; empty when it hands out none.
inline std::string BlockBytes(IDataObject* data, UINT format) {
    FORMATETC asked{static_cast<CLIPFORMAT>(format), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (FAILED(data->GetData(&asked, &medium))) return {};
    const auto* bytes = static_cast<const char*>(GlobalLock(medium.hGlobal));
    std::string block(bytes, GlobalSize(medium.hGlobal));
    GlobalUnlock(medium.hGlobal);
    ReleaseStgMedium(&medium);
    return block;
}

// A control's side of a drop target: notes each call as "name keys offered" and answers copy.
struct RecordingHandler : DropTargetHandler {
    std::vector<std::string> calls;
    bool throws = false;

    HRESULT DragEnter(IDataObject*, DWORD keys, POINTL, DWORD* effect) override {
        return Note("enter", keys, effect);
    }
    HRESULT DragOver(DWORD keys, POINTL, DWORD* effect) override {
        return Note("over", keys, effect);
    }
    HRESULT DragLeave() override { return Note("leave", 0, nullptr); }
    HRESULT Drop(IDataObject*, DWORD keys, POINTL, DWORD* effect) override {
        return Note("drop", keys, effect);
    }
    HRESULT Note(const char* what, DWORD keys, DWORD* effect) {
        if (throws) throw std::runtime_error("gone wrong");
        calls.push_back(std::string(what) + " " + std::to_string(keys) + " " +
                        std::to_string(effect != nullptr ? *effect : 0));
        if (effect != nullptr) *effect = DROPEFFECT_COPY;
        return S_OK;
    }
};

}  // namespace shell_test
