#include "shellctl/ShellPanes.h"

#include <algorithm>
#include <string>

#include <windows.h>
#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>
#include <wrl/client.h>

#include "shell/IdListArray.h"
#include "shell/ShellDataBlocks.h"
#include "shell/ShellUtils.h"

using Microsoft::WRL::ComPtr;

namespace shellctl {
namespace {

std::vector<TPTShellPane*>& Panes() {
    static std::vector<TPTShellPane*> panes;
    return panes;
}

bool Registered(const TPTShellPane* pane) {
    return std::find(Panes().begin(), Panes().end(), pane) != Panes().end();
}

// Whether two absolute lists name one place (the comparison orders the desktop before
// everything, itself included).
bool SamePlace(const ITEMIDLIST* a, const ITEMIDLIST* b) {
    const bool desktopA = IsEmptyPidl(PidlOrEmpty(a));
    const bool desktopB = IsEmptyPidl(PidlOrEmpty(b));
    if (desktopA || desktopB) return desktopA == desktopB;
    return ComparePidls(a, b) == 0;
}

// The folder that holds an item given by its absolute list.
UniquePidl FolderOf(const ITEMIDLIST* item) {
    TPTIdListArray levels(item);
    const ITEMIDLIST* parent = levels.Count() > 0 ? levels.ParentPidl(1) : nullptr;
    return parent != nullptr ? UniquePidl::CopyOf(parent) : UniquePidl();
}

void AddOnce(std::vector<UniquePidl>& folders, UniquePidl folder) {
    if (!folder) return;
    for (const UniquePidl& known : folders)
        if (SamePlace(known.Get(), folder.Get())) return;
    folders.push_back(std::move(folder));
}

void FoldersOfDroppedFiles(IDataObject* data, std::vector<UniquePidl>& folders) {
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (FAILED(data->GetData(&format, &medium))) return;
    const auto drop = static_cast<HDROP>(medium.hGlobal);
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::wstring path(DragQueryFileW(drop, i, nullptr, 0), L'\0');
        DragQueryFileW(drop, i, path.data(), UINT(path.size() + 1));
        UniquePidl item;
        if (SUCCEEDED(PathToPidl(path, item))) AddOnce(folders, FolderOf(item.Get()));
    }
    ReleaseStgMedium(&medium);
}

}  // namespace

TPTShellPane::TPTShellPane() { Panes().push_back(this); }

TPTShellPane::~TPTShellPane() { std::erase(Panes(), this); }

void NotifyFoldersChanged(std::span<const ITEMIDLIST* const> folders, const TPTShellPane* sender) {
    if (folders.empty()) return;
    // A pane's refresh may make or destroy panes: each is asked only while it is still there.
    const std::vector<TPTShellPane*> panes = Panes();
    for (TPTShellPane* pane : panes)
        if (pane != sender && Registered(pane)) pane->FoldersChangedByCommand(folders);
}

bool IsInsideAny(std::span<const ITEMIDLIST* const> folders, const ITEMIDLIST* place) {
    TPTIdListArray levels(PidlOrEmpty(place));
    for (int up = 0; up <= levels.Count(); ++up) {
        const ITEMIDLIST* ancestor = levels.ParentPidl(up);
        for (const ITEMIDLIST* folder : folders)
            if (SamePlace(folder, ancestor)) return true;
    }
    return false;
}

std::vector<UniquePidl> ClipboardSourceFolders() {
    std::vector<UniquePidl> folders;
    ComPtr<IDataObject> clipboard;
    if (FAILED(OleGetClipboard(&clipboard)) || !clipboard) return folders;
    ShellIdListArray contents;
    if (ReadShellIdListArray(clipboard.Get(), contents) == IdListArrayRead::Read) {
        for (const UniquePidl& item : contents.items)
            AddOnce(folders, FolderOf(UniquePidl::Concat(contents.parent.Get(), item.Get()).Get()));
    }
    FoldersOfDroppedFiles(clipboard.Get(), folders);
    return folders;
}

}  // namespace shellctl
