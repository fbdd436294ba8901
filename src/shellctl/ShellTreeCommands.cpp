// The shell's commands on the tree's nodes: the context menu, the verbs and the verb keys.
#include "shellctl/ShellTree.h"

#include <utility>
#include <vector>

#include "base/Strings.h"
#include "shell/ContextMenuHost.h"
#include "shell/DataObject.h"
#include "shell/IdListArray.h"
#include "shell/ShellCommands.h"
#include "shell/ShellDelete.h"
#include "shellctl/ShellTreeScopes.h"
#include "ui/Window.h"

using Microsoft::WRL::ComPtr;

namespace shellctl {
namespace {

constexpr wchar_t kPasteVerb[] = L"paste";

// What a command on a node works with, copied: a refresh during the command (its questions run
// a message loop) may take the node and its data away.
struct NodeTarget {
    ComPtr<IShellFolder> folder;  // the folder that holds the item
    UniquePidl item;              // relative to folder
    UniquePidl parent;            // the folder's absolute list
    UniquePidl self;              // the item's absolute list

    // False for the root, which no folder of the tree holds.
    bool Read(TPTShTreeData& data) {
        const ITEMIDLIST* abs = data.GetAbsIdList();
        IShellFolder* holder = data.GetParentFolder();
        if (holder == nullptr || abs == nullptr || IsEmptyPidl(abs)) return false;
        TPTIdListArray levels(abs);
        folder = holder;
        item = UniquePidl::CopyOf(data.GetItemIdList());
        parent = UniquePidl::CopyOf(levels.ParentPidl(1));
        self = UniquePidl::CopyOf(abs);
        return true;
    }
    std::vector<const ITEMIDLIST*> Changed() const { return {parent.Get(), self.Get()}; }
};

// Verbs that put items on the clipboard and change nothing on disk.
bool ChangesNothing(const std::wstring& verb) {
    return base::SameTextIgnoringCase(verb, L"copy") || base::SameTextIgnoringCase(verb, L"cut");
}

}  // namespace

int TPTCustomShellTree::InvokeVerb(HTREEITEM node, const std::wstring& verb) {
    TPTShTreeData* data = ShellDataOf(node);
    if (data == nullptr) return 1;
    const HWND window = ShellWindow(Handle());
    if (base::SameTextIgnoringCase(verb, kPasteVerb)) {
        // Into the node's own folder, the root's included. Cut items move out of their folders.
        std::vector<UniquePidl> sources = ClipboardSourceFolders();
        sources.push_back(UniquePidl::CopyOf(data->GetAbsIdList()));
        std::vector<const ITEMIDLIST*> changed;
        for (const UniquePidl& folder : sources) changed.push_back(folder.Get());
        bool ran = false;
        RunAndRefresh([&] { return ran = RunFolderVerb(window, changed.back(), verb); }, changed);
        return ran ? 0 : 1;
    }
    NodeTarget target;
    if (data->IsRoot() || !target.Read(*data)) return 1;
    const ITEMIDLIST* items[] = {target.item.Get()};
    if (base::SameTextIgnoringCase(verb, kDeleteVerb)) {
        RunAndRefresh([&] { return DeleteItems(window, target.folder.Get(), items); },
                      target.Changed());
        return 0;
    }
    ShellContextMenu menu;
    const UINT flags = CMF_EXPLORE | (readOnly_ ? 0 : CMF_CANRENAME);
    const HRESULT hr = BuildContextMenu(window, target.folder.Get(), items, flags, menu);
    if (FAILED(hr)) RaisePlatformError(hr);
    if (ChangesNothing(verb)) return RunCommand(window, menu.object.Get(), verb) ? 0 : 1;
    bool ran = false;
    RunAndRefresh([&] { return ran = RunCommand(window, menu.object.Get(), verb); },
                  target.Changed());
    return ran ? 0 : 1;
}

bool TPTCustomShellTree::ShellVerbKey(TPTShellKeySlot slot, HTREEITEM node) {
    switch (slot) {
        case skDelete:
            InvokeVerb(node, kDeleteVerb);
            return true;
        case skCopy:
            InvokeVerb(node, L"copy");
            return true;
        case skCut:
            InvokeVerb(node, L"cut");
            return true;
        case skPaste:
            InvokeVerb(node, kPasteVerb);
            return true;
        default:
            return false;
    }
}

void TPTCustomShellTree::RunAndRefresh(const std::function<bool()>& command,
                                       std::span<const ITEMIDLIST* const> changed) {
    const auto refresh = [&] {
        refreshPending_ = false;
        RefreshNodes();
        NotifyFoldersChanged(changed, this);
    };
    RunThenRefresh(command, refresh);
}

void TPTCustomShellTree::FoldersChangedByCommand(std::span<const ITEMIDLIST* const> folders) {
    if (Handle() == nullptr || RootNode() == nullptr || options_.Contains(ptstoDynamicRefresh))
        return;
    // Only folders the tree can show matter.
    const ITEMIDLIST* base[] = {baseFolder_.Pidl()};
    for (const ITEMIDLIST* folder : folders) {
        if (IsInsideAny(base, folder)) {
            RefreshNodes();
            return;
        }
    }
}

void TPTCustomShellTree::NodeContextMenu(HTREEITEM node, POINT& pos, ui::Menu*& menu) {
    TPTCustomTreeView::NodeContextMenu(node, pos, menu);
    if (node == nullptr || !options_.Contains(ptstoContextMenus)) return;
    if (ShowShellContextMenu(node, pos)) menu = nullptr;
}

bool TPTCustomShellTree::ShowShellContextMenu(HTREEITEM node, POINT client) {
    TPTShTreeData* data = ShellDataOf(node);
    NodeTarget target;
    if (data == nullptr || !target.Read(*data)) return false;
    const HWND window = ShellWindow(Handle());
    const ITEMIDLIST* items[] = {target.item.Get()};
    ShellContextMenu menu;
    const UINT flags = CMF_EXPLORE | (readOnly_ ? 0 : CMF_CANRENAME);
    const HRESULT hr = BuildContextMenu(window, target.folder.Get(), items, flags, menu);
    if (FAILED(hr)) RaisePlatformError(hr);
    const auto makeData = [&]() -> ComPtr<IDataObject> {
        return MakeComObject<TDataObject_shtv>(target.parent.Get(), target.folder.Get(),
                                               target.item.Get());
    };
    TShellCommandKind kind = TShellCommandKind::None;
    RunAndRefresh(
        [&] {
            TPTRefreshHold hold(dragging_);
            const UINT command = TrackShellContextMenu(menu, client);
            kind = ClassifyCommand(menu.object.Get(), command);
            // A delete the user answered no to changed nothing.
            if (kind == TShellCommandKind::Delete)
                return DeleteItems(window, target.folder.Get(), items);
            RunContextMenuCommand(window, menu, command, target.folder.Get(), items, makeData);
            return kind != TShellCommandKind::None && kind != TShellCommandKind::Rename;
        },
        target.Changed());
    // Nothing was refreshed while the menu was open: the node is still there.
    if ((kind != TShellCommandKind::Rename || !EditLabel(node)) &&
        std::exchange(refreshPending_, false))
        RefreshNodes();
    return true;
}

UINT TPTCustomShellTree::TrackShellContextMenu(const ShellContextMenu& menu, POINT client) {
    PopupHintSink hint;
    if (OnPopupHint) hint = [this](const std::wstring& text) { OnPopupHint(*this, text); };
    return TrackContextMenuOn(*this, menu, client, hint);
}

}  // namespace shellctl
