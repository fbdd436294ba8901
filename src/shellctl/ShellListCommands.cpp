// What the user does with the shell list's items beyond selecting them: opening them, going up,
// the shell's verbs and its context menus of the items and of the folder.
#include <utility>

#include "base/Error.h"
#include "base/Strings.h"
#include "shell/ContextMenuHost.h"
#include "shell/DataObject.h"
#include "shell/IdListArray.h"
#include "shell/ShellCommands.h"
#include "shell/ShellDelete.h"
#include "shell/ShellTransfer.h"
#include "shell/Shortcut.h"
#include "shellctl/ShellList.h"
#include "ui/Cursor.h"
#include "ui/Window.h"

using Microsoft::WRL::ComPtr;

namespace shellctl {
namespace {

constexpr wchar_t kPasteVerb[] = L"paste";

// Verbs that put items on the clipboard and change nothing on disk.
bool ChangesNothing(std::wstring_view verb) {
    return base::SameTextIgnoringCase(verb, L"copy") || base::SameTextIgnoringCase(verb, L"cut");
}

// The selected items' lists, copied: a refresh during a command (its questions run a message
// loop) may take the items and their data away.
struct Selection {
    std::vector<UniquePidl> items;
    std::vector<const ITEMIDLIST*> Pointers() const {
        std::vector<const ITEMIDLIST*> pointers;
        for (const UniquePidl& item : items) pointers.push_back(item.Get());
        return pointers;
    }
};

std::vector<UniquePidl> Folders(const ITEMIDLIST* folder, std::vector<UniquePidl> more = {}) {
    more.push_back(UniquePidl::CopyOf(folder));
    return more;
}

// The target of a shortcut file when it is a folder, else none.
UniquePidl FolderShortcutTarget(const std::wstring& path) {
    TPTShortcutInfo info;
    if (FAILED(ReadShortcut(path, info, false)) || info.Path.empty() ||
        (info.FindData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return {};
    UniquePidl target;
    if (FAILED(PathToPidl(info.Path, target))) return {};
    return target;
}

}  // namespace

void TPTCustomShellList::DoDblClickOpen(bool& handled) {
    if (OnDblClickOpen) OnDblClickOpen(*this, handled);
}

void TPTCustomShellList::OpenItem(int item) {
    FlushPendingSync(true);
    TPTShListData* data = ShellDataOf(item);
    bool handled = false;
    if (data == nullptr || !shellFolder_) {
        DoDblClickOpen(handled);
        return;
    }
    ui::CursorGuard hourglass;
    // Copies: entering a folder frees every item's data.
    const ComPtr<IShellFolder> folder = shellFolder_;
    const UniquePidl relIdList = UniquePidl::CopyOf(data->RelIdList());
    const UniquePidl absIdList = UniquePidl::CopyOf(data->GetAbsIdList());
    SFGAOF attributes = SFGAO_FOLDER;
    const ITEMIDLIST* items[] = {relIdList.Get()};
    if (SUCCEEDED(folder->GetAttributesOf(1, items, &attributes)) &&
        (attributes & SFGAO_FOLDER) != 0) {
        ChangeFolder(absIdList.Get());
        return;
    }
    if (data->IsLink()) {
        if (const UniquePidl target = FolderShortcutTarget(data->GetPath())) {
            ChangeFolder(target.Get());
            return;
        }
    }
    DoDblClickOpen(handled);
    if (!handled) RunDefaultCommand(ShellOwnerWindow(), folder.Get(), items);
}

void TPTCustomShellList::OpenSelection() {
    FlushPendingSync(true);
    std::vector<int> selected;
    for (int item : SelectedItems())
        if (ShellDataOf(item) != nullptr) selected.push_back(item);
    if (selected.size() < 2) {
        if (!selected.empty()) OpenItem(selected.front());
        return;
    }
    bool handled = false;
    DoDblClickOpen(handled);
    if (handled || !shellFolder_) return;
    Selection copies;
    for (int item : selected)
        copies.items.push_back(UniquePidl::CopyOf(ShellDataAt(item).RelIdList()));
    const ComPtr<IShellFolder> folder = shellFolder_;
    RunDefaultCommand(ShellOwnerWindow(), folder.Get(), copies.Pointers());
}

void TPTCustomShellList::ChangeFolder(const ITEMIDLIST* absIdList) {
    if (options_.Contains(ptsloDontChangeFolder)) return;
    // The caller's list may be an item's, which the change frees.
    const UniquePidl target = UniquePidl::CopyOf(absIdList);
    {
        // A folder that cannot be read is refused before anything changes.
        ui::CursorGuard hourglass;
        ComPtr<IShellFolder> folder;
        ComPtr<IEnumIDList> items;
        HRESULT hr = BindToFolder(target.Get(), folder);
        if (SUCCEEDED(hr)) hr = folder->EnumObjects(ShellOwnerWindow(), EnumerationFlags(), &items);
        // Some shells read a file-system folder that has gone as an empty one.
        const std::wstring path = PidlToPath(target.Get());
        if (SUCCEEDED(hr) && !path.empty() &&
            GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
            hr = HRESULT_FROM_WIN32(GetLastError());
        if (FAILED(hr)) throw base::PlatformError::FromHResult(hr);
    }
    ClearSelection();
    if (tree_ != nullptr)
        tree_->CurrentFolder().SetPidl(target.Get());
    else
        folder_.SetPidl(target.Get());
}

void TPTCustomShellList::GoUp(int levels) {
    if (options_.Contains(ptsloDontChangeFolder) || levels < 1) return;
    if (tree_ != nullptr) {
        tree_->GoUp(levels);
        return;
    }
    TPTIdListArray path(folder_.Pidl());
    if (path.Count() == 0) return;
    const UniquePidl up = UniquePidl::CopyOf(path.ParentPidl(std::min(levels, path.Count())));
    folder_.SetPidl(IsEmptyPidl(up.Get()) ? nullptr : up.Get());
}

bool TPTCustomShellList::Watching() const {
    return options_.Contains(ptsloDynamicRefresh) && watcher_ != nullptr && !FolderPath().empty();
}

bool TPTCustomShellList::OnNetwork() const { return FolderPath().starts_with(L"\\\\"); }

void TPTCustomShellList::RunAndRefresh(const std::function<bool()>& command,
                                       std::vector<UniquePidl> changed) {
    const auto refresh = [&] {
        // A watched folder refreshes on its own notice, but the platform does not send one for
        // every network folder.
        if (!Watching() || OnNetwork()) RefreshItems();
        std::vector<const ITEMIDLIST*> folders;
        for (const UniquePidl& folder : changed) folders.push_back(folder.Get());
        NotifyFoldersChanged(folders, this);
    };
    RunThenRefresh(command, refresh);
}

void TPTCustomShellList::InvokeVerb(const std::wstring& verb) {
    if (!shellFolder_) return;
    Selection selection;
    for (int item : SelectedItems())
        selection.items.push_back(UniquePidl::CopyOf(ShellDataAt(item).RelIdList()));
    if (selection.items.empty()) return;
    const ComPtr<IShellFolder> folder = shellFolder_;
    const std::vector<const ITEMIDLIST*> items = selection.Pointers();
    const HWND window = ShellOwnerWindow();
    if (base::SameTextIgnoringCase(verb, kDeleteVerb)) {
        RunAndRefresh([&] { return DeleteItems(window, folder.Get(), items); },
                      Folders(folderIdList_.Get()));
        return;
    }
    ShellContextMenu menu;
    const HRESULT hr = BuildContextMenu(window, folder.Get(), items, CMF_EXPLORE, menu);
    if (FAILED(hr)) RaisePlatformError(hr);
    if (ChangesNothing(verb)) {
        RunCommand(window, menu.object.Get(), verb);
        return;
    }
    RunAndRefresh([&] { return RunCommand(window, menu.object.Get(), verb); },
                  Folders(folderIdList_.Get()));
}

void TPTCustomShellList::InvokeFolderVerb(const std::wstring& verb) {
    if (!folderIdList_ || !shellFolder_) return;
    // Items that were cut move out of their folders.
    std::vector<UniquePidl> changed;
    if (base::SameTextIgnoringCase(verb, kPasteVerb)) changed = ClipboardSourceFolders();
    const UniquePidl self = UniquePidl::CopyOf(folderIdList_.Get());
    const ComPtr<IShellFolder> folder = shellFolder_;
    const HWND window = ShellOwnerWindow();
    RunAndRefresh(
        [&] {
            // The folder's menu as an item of its parent; where that lacks the verb (some shells
            // paste only from a folder's background), the background menu of the folder itself.
            ComPtr<IContextMenu> menu;
            if (SUCCEEDED(GetUIObjectOfAbsolute(self.Get(), menu, window)) &&
                RunCommand(window, menu.Get(), verb))
                return true;
            menu.Reset();
            if (FAILED(folder->CreateViewObject(window, IID_PPV_ARGS(&menu))) || !menu)
                return false;
            return RunCommand(window, menu.Get(), verb);
        },
        Folders(self.Get(), std::move(changed)));
}

void TPTCustomShellList::FoldersChangedByCommand(std::span<const ITEMIDLIST* const> folders) {
    if (Handle() == nullptr || !folderIdList_ || Watching()) return;
    if (IsInsideAny(folders, folderIdList_.Get())) RefreshItems();
}

void TPTCustomShellList::ShowContextMenu(POINT client) {
    // With nothing selected the menu is the folder's own, where the click was.
    if (SelectedCount() == 0 && options_.Contains(ptsloContextMenus) &&
        options_.Contains(ptsloFolderContextMenu) && !dragging_ && shellFolder_) {
        SetMenuShown(true);
        ShowFolderContextMenu(client);
        return;
    }
    TPTCustomListView::ShowContextMenu(client);
}

void TPTCustomShellList::ItemContextMenu(int item, POINT& pos, ui::Menu*& menu) {
    TPTCustomListView::ItemContextMenu(item, pos, menu);
    if (!options_.Contains(ptsloContextMenus) || dragging_ || !shellFolder_ ||
        SelectedItems().empty())
        return;
    ShowItemsContextMenu(pos);
    menu = nullptr;
}

void TPTCustomShellList::ShowItemsContextMenu(POINT client) {
    Selection selection;
    for (int item : SelectedItems())
        selection.items.push_back(UniquePidl::CopyOf(ShellDataAt(item).RelIdList()));
    const std::vector<const ITEMIDLIST*> items = selection.Pointers();
    const ComPtr<IShellFolder> folder = shellFolder_;
    const UniquePidl parent = UniquePidl::CopyOf(folderIdList_.Get());
    const HWND window = ShellOwnerWindow();
    TPTShListData* focused = ShellDataOf(FocusedItem());
    UINT flags = CMF_EXPLORE;
    if (focused != nullptr && !focused->GetPath().empty() && !readOnly_) flags |= CMF_CANRENAME;
    ShellContextMenu menu;
    const HRESULT hr = BuildContextMenu(window, folder.Get(), items, flags, menu);
    if (FAILED(hr)) RaisePlatformError(hr);
    const auto makeData = [&]() -> ComPtr<IDataObject> {
        return MakeComObject<TDataObject_shlv>(parent.Get(), folder.Get(), items);
    };
    TShellCommandKind kind = TShellCommandKind::None;
    RunAndRefresh(
        [&] {
            TPTRefreshHold hold(dragging_);
            const UINT command = TrackShellContextMenu(menu, client);
            kind = ClassifyCommand(menu.object.Get(), command);
            // A delete the user answered no to changed nothing.
            if (kind == TShellCommandKind::Delete) return DeleteItems(window, folder.Get(), items);
            RunContextMenuCommand(window, menu, command, folder.Get(), items, makeData);
            return kind != TShellCommandKind::None && kind != TShellCommandKind::Rename;
        },
        Folders(parent.Get()));
    // Nothing was refreshed while the menu was open: the focused item is still the one.
    if (kind == TShellCommandKind::Rename) EditLabel(FocusedItem());
    RunPendingRefresh();
}

void TPTCustomShellList::ShowFolderContextMenu(POINT client) {
    const UniquePidl self = UniquePidl::CopyOf(folderIdList_.Get());
    const ComPtr<IShellFolder> folder = shellFolder_;
    const HWND window = ShellOwnerWindow();
    ShellContextMenu menu;
    HRESULT hr = folder->CreateViewObject(window, IID_IContextMenu,
                                          reinterpret_cast<void**>(menu.object.GetAddressOf()));
    if (FAILED(hr) || !menu.object) return;  // a folder without a menu of its own
    menu.menu.Reset(CreatePopupMenu());
    if (!menu.menu) base::ThrowLastError();
    hr = menu.object->QueryContextMenu(menu.menu.Get(), 0, kFirstShellCommand, kLastShellCommand,
                                       CMF_EXPLORE);
    if (FAILED(hr)) RaisePlatformError(hr);
    std::vector<UniquePidl> changed = ClipboardSourceFolders();
    RunAndRefresh(
        [&] {
            TPTRefreshHold hold(dragging_);
            const UINT command = TrackShellContextMenu(menu, client);
            if (ClassifyCommand(menu.object.Get(), command) != TShellCommandKind::Shell)
                return false;
            return RunCommand(window, menu.object.Get(), command - kFirstShellCommand);
        },
        Folders(self.Get(), std::move(changed)));
    RunPendingRefresh();
}

UINT TPTCustomShellList::TrackShellContextMenu(const ShellContextMenu& menu, POINT client) {
    PopupHintSink hint;
    if (OnPopupHint) hint = [this](const std::wstring& text) { OnPopupHint(*this, text); };
    return TrackContextMenuOn(*this, menu, client, hint);
}

}  // namespace shellctl
