#include "ShellCommandTestSupport.h"

#include <cstring>

#include <gtest/gtest.h>
#include <ole2.h>
#include <shellapi.h>

#include "ShellTreeTestSupport.h"
#include "base/Handle.h"
#include "base/Strings.h"
#include "shell/ComObject.h"
#include "shell/ShellCommands.h"
#include "shell/ShellTransfer.h"
#include "shell/ShellUtils.h"

using Microsoft::WRL::ComPtr;

namespace testing_support {
namespace {

// A shell menu object that offers "rename" where this shell leaves it out (its explorer menus),
// as other shells do. The rename is the control's to do: invoking it fails.
class RenameOfferingMenu final : public ComObject<IContextMenu> {
  public:
    explicit RenameOfferingMenu(ComPtr<IContextMenu> real) : real_(std::move(real)) {}

    HRESULT STDMETHODCALLTYPE QueryContextMenu(HMENU menu, UINT index, UINT first, UINT last,
                                               UINT flags) override {
        const HRESULT hr = real_->QueryContextMenu(menu, index, first, last, flags);
        if (FAILED(hr)) return hr;
        renameOffset_ = HRESULT_CODE(hr);
        AppendMenuW(menu, MF_STRING, first + renameOffset_, L"Rename");
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, renameOffset_ + 1);
    }
    HRESULT STDMETHODCALLTYPE InvokeCommand(CMINVOKECOMMANDINFO* info) override {
        if (reinterpret_cast<UINT_PTR>(info->lpVerb) == renameOffset_) return E_FAIL;
        return real_->InvokeCommand(info);
    }
    HRESULT STDMETHODCALLTYPE GetCommandString(UINT_PTR offset, UINT type, UINT* reserved,
                                               char* name, UINT size) override {
        if (offset != renameOffset_)
            return real_->GetCommandString(offset, type, reserved, name, size);
        if (type != GCS_VERBA && type != GCS_HELPTEXTA) return E_FAIL;
        lstrcpynA(name, type == GCS_VERBA ? "rename" : "Renames the item.", int(size));
        return S_OK;
    }

  private:
    ComPtr<IContextMenu> real_;
    UINT renameOffset_ = UINT(-1);
};

// Records the verbs invoked on a real menu object, and can carry out "paste" itself.
class RecordingMenu final : public ComObject<IContextMenu> {
  public:
    RecordingMenu(ComPtr<IContextMenu> real, CommandSeamFolder& folder)
        : real_(std::move(real)), folder_(&folder) {
        folder_->AddRef();
    }
    ~RecordingMenu() override { folder_->Release(); }

    HRESULT STDMETHODCALLTYPE QueryContextMenu(HMENU menu, UINT index, UINT first, UINT last,
                                               UINT flags) override {
        return real_->QueryContextMenu(menu, index, first, last, flags);
    }
    HRESULT STDMETHODCALLTYPE GetCommandString(UINT_PTR offset, UINT type, UINT* reserved,
                                               char* name, UINT size) override {
        return real_->GetCommandString(offset, type, reserved, name, size);
    }
    HRESULT STDMETHODCALLTYPE InvokeCommand(CMINVOKECOMMANDINFO* info) override {
        const std::wstring verb =
            CommandVerb(real_.Get(), UINT(reinterpret_cast<UINT_PTR>(info->lpVerb)));
        folder_->invoked.push_back(verb);
        using Paste = CommandSeamFolder::Paste;
        if (folder_->paste == Paste::Shell || verb != L"paste") return real_->InvokeCommand(info);
        for (const std::wstring& path : ClipboardPaths()) {
            const std::wstring to = folder_->Path() + path.substr(path.find_last_of(L'\\'));
            if (!(folder_->paste == Paste::Move ? MoveFileW(path.c_str(), to.c_str())
                                                : CopyFileW(path.c_str(), to.c_str(), TRUE)))
                return HRESULT_FROM_WIN32(GetLastError());
        }
        return S_OK;
    }

  private:
    ComPtr<IContextMenu> real_;
    CommandSeamFolder* folder_;
};

}  // namespace

CommandSeamFolder::CommandSeamFolder(const std::wstring& path)
    : path_(path), idList_(PidlOf(path)) {
    if (FAILED(BindToFolder(idList_.Get(), real_)))
        ADD_FAILURE() << "cannot bind " << base::WideToUtf8(path);
}

HRESULT CommandSeamFolder::Recorded(HRESULT hr, REFIID iid, void** object) {
    if (FAILED(hr) || iid != IID_IContextMenu || *object == nullptr) return hr;
    ComPtr<IContextMenu> real;
    real.Attach(static_cast<IContextMenu*>(*object));
    if (offerRename) real = OfferingRename(std::move(real));
    *object =
        static_cast<IContextMenu*>(MakeComObject<RecordingMenu>(std::move(real), *this).Detach());
    return hr;
}

HRESULT CommandSeamFolder::CreateViewObject(HWND window, REFIID iid, void** object) {
    return Recorded(real_->CreateViewObject(window, iid, object), iid, object);
}

HRESULT CommandSeamFolder::GetUIObjectOf(HWND window, UINT count, PCUITEMID_CHILD_ARRAY items,
                                         REFIID iid, UINT* reserved, void** object) {
    return Recorded(real_->GetUIObjectOf(window, count, items, iid, reserved, object), iid, object);
}

UniquePidl PidlOf(const std::wstring& path) {
    UniquePidl pidl;
    const HRESULT hr = PathToPidl(path, pidl);
    EXPECT_EQ(hr, S_OK) << base::WideToUtf8(path);
    return pidl;
}

ComPtr<IContextMenu> OfferingRename(ComPtr<IContextMenu> real) {
    return MakeComObject<RenameOfferingMenu>(std::move(real));
}

std::vector<std::wstring> VerbsOf(IContextMenu* object, const std::vector<UINT>& commands) {
    std::vector<std::wstring> verbs;
    if (object == nullptr) return verbs;
    for (UINT id : commands)
        if (id >= kFirstShellCommand) verbs.push_back(CommandVerb(object, id - kFirstShellCommand));
    return verbs;
}

ComPtr<IContextMenu> MenuObjectOf(const std::wstring& path) {
    UniquePidl item;
    ComPtr<IContextMenu> object;
    HRESULT hr = PathToPidl(path, item);
    if (SUCCEEDED(hr)) hr = GetUIObjectOfAbsolute(item.Get(), object);
    if (FAILED(hr))
        ADD_FAILURE() << "no menu object for " << base::WideToUtf8(path) << ": " << std::hex << hr;
    if (object && ShellDoubles::wrapMenu) object = ShellDoubles::wrapMenu(object);
    if (object) {
        base::MenuHandle menu(CreatePopupMenu());
        object->QueryContextMenu(menu.Get(), 0, kFirstShellCommand, kLastShellCommand,
                                 CMF_EXPLORE | CMF_CANRENAME);
    }
    return object;
}

std::function<bool(UINT)> PickVerb(ComPtr<IContextMenu> object, const std::wstring& verb) {
    if (verb.empty()) return {};
    return [object, verb](UINT id) {
        return object && id >= kFirstShellCommand &&
               base::SameTextIgnoringCase(CommandVerb(object.Get(), id - kFirstShellCommand), verb);
    };
}

void FakePane::FoldersChangedByCommand(std::span<const ITEMIDLIST* const> folders) {
    for (const ITEMIDLIST* folder : folders) changed.push_back(PidlToPath(folder));
}

std::vector<std::wstring> ClipboardPaths() {
    std::vector<std::wstring> paths;
    ComPtr<IDataObject> clipboard;
    if (FAILED(OleGetClipboard(&clipboard))) return paths;
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (FAILED(clipboard->GetData(&format, &medium))) return paths;
    const auto drop = static_cast<HDROP>(medium.hGlobal);
    for (UINT i = 0; i < DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0); ++i) {
        wchar_t path[MAX_PATH] = {};
        DragQueryFileW(drop, i, path, MAX_PATH);
        paths.push_back(path);
    }
    ReleaseStgMedium(&medium);
    return paths;
}

void PutPathsOnClipboard(const std::vector<std::wstring>& paths) {
    OleSetClipboard(nullptr);
    std::wstring list;
    for (const std::wstring& path : paths) list += path + L'\0';
    list += L'\0';
    const std::size_t bytes = sizeof(DROPFILES) + list.size() * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    auto* files = static_cast<DROPFILES*>(GlobalLock(block));
    files->pFiles = sizeof(DROPFILES);
    files->fWide = TRUE;
    std::memcpy(files + 1, list.data(), list.size() * sizeof(wchar_t));
    GlobalUnlock(block);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    SetClipboardData(CF_HDROP, block);
    CloseClipboard();
}

void ClearClipboard() {
    OleSetClipboard(nullptr);
    if (!OpenClipboard(nullptr)) return;
    EmptyClipboard();
    CloseClipboard();
}

}  // namespace testing_support
