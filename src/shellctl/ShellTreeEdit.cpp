// What the user does to the shell tree's folders beyond selecting them: renaming in place, new
// folders, the keys and the mouse wheel.
#include "shellctl/ShellTree.h"

#include <windowsx.h>

#include "shell/NewFolder.h"
#include "shell/ShellCommands.h"
#include "shell/ShellRename.h"
#include "shellctl/ShellKeys.h"
#include "shellctl/ShellTreeScopes.h"
#include "ui/Cursor.h"

namespace shellctl {
namespace {

std::wstring Trimmed(const std::wstring& text) {
    const auto first = text.find_first_not_of(L" \t\r\n");
    if (first == std::wstring::npos) return {};
    return text.substr(first, text.find_last_not_of(L" \t\r\n") - first + 1);
}

}  // namespace

bool TPTCustomShellTree::EditLabel(HTREEITEM node) {
    if (node == nullptr || Handle() == nullptr) return false;
    return Tree(TVM_EDITLABELW, 0, LPARAM(node)) != 0;
}

bool TPTCustomShellTree::BeginLabelEdit(HTREEITEM node) {
    if (readOnly_) return false;
    TPTShTreeData* data = ShellDataOf(node);
    if (data != nullptr && !data->CanRename()) return false;
    editing_ = true;
    return true;
}

bool TPTCustomShellTree::EndLabelEdit(HTREEITEM node, const wchar_t* text) {
    // The platform's control may report the end of one edit twice (once more as its editor
    // goes): only the first counts.
    if (!std::exchange(editing_, false)) return false;
    // A refresh asked for meanwhile runs once the control is done with its label editor.
    Finally pending([this] {
        if (std::exchange(refreshPending_, false)) RequestSync(TSyncAction::Refresh, 0);
    });
    if (text == nullptr) return false;  // cancelled
    std::wstring name = Trimmed(text);
    TPTShTreeData* data = ShellDataOf(node);
    if (data == nullptr) return true;  // the control takes the text as it is
    if (OnEdited) OnEdited(*this, node, name);
    if (name.empty() || name == NodeText(node)) return false;
    Rename(node, *data, name);
    return false;  // the text, when it changed, is set already
}

bool TPTCustomShellTree::Rename(HTREEITEM node, TPTShTreeData& data, const std::wstring& text) {
    ui::CursorGuard hourglass;
    ignoreNextChange_ = true;
    bool renamed = false;
    Finally failed([&] {
        if (!renamed) ignoreNextChange_ = false;
    });
    TRenameResult result;
    {
        UpdateLockScope lock(*this);
        result =
            SetNameOf(ShellWindow(Handle()), data.GetParentFolder(), data.GetItemIdList(), text);
    }
    renamed = result.renamed;
    if (!renamed) return false;
    InvalidateDescendants(node);
    if (result.newItem) {
        data.ReplaceRelIdList(result.newItem.Get());
    } else {
        // The shell did not say what the item is called now: the next refresh finds out.
        data.Invalidate();
        RequestSync(TSyncAction::Refresh, 0);
    }
    TVITEMW item{};
    item.mask = TVIF_TEXT | TVIF_HANDLE;
    item.hItem = node;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    Tree(TVM_SETITEMW, 0, LPARAM(&item));
    HTREEITEM selected = Selected();
    for (HTREEITEM up = selected; up != nullptr; up = ParentNode(up)) {
        if (up != node) continue;
        PassSelection(selected);  // the current folder and the list get the new name
        break;
    }
    return true;
}

void TPTCustomShellTree::InvalidateDescendants(HTREEITEM node) {
    for (HTREEITEM child = FirstChild(node); child != nullptr; child = NextSibling(child)) {
        if (TPTShTreeData* data = ShellDataOf(child)) data->Invalidate();
        InvalidateDescendants(child);
    }
}

bool TPTCustomShellTree::CreateNewFolder() {
    TPTShTreeData* data = ShellDataOf(Selected());
    if (data == nullptr) return false;
    const std::wstring path = data->GetPath();
    if (path.empty()) return false;
    ignoreNextChange_ = true;
    const std::optional<std::wstring> name = ::CreateNewFolder(path);
    if (!name) {
        ignoreNextChange_ = false;
        return false;
    }
    const ITEMIDLIST* current = currentFolder_.Pidl();
    PauseAfterNewFolder(current == nullptr || IsEmptyPidl(current) ? kNewDesktopFolderPause
                                                                   : kNewFolderPause);
    RefreshNodes();
    // A node read before has the new folder from the refresh; one never read reads it now.
    HTREEITEM parent = Selected();
    Expand(parent);
    for (HTREEITEM child = FirstChild(parent); child != nullptr; child = NextSibling(child)) {
        if (NodeText(child) == *name) {
            Tree(TVM_ENSUREVISIBLE, 0, LPARAM(child));
            EditLabel(child);
            break;
        }
    }
    return true;
}

void TPTCustomShellTree::PauseAfterNewFolder(DWORD milliseconds) {
    PauseWithHourglass(milliseconds);
}

void TPTCustomShellTree::KeyDown(WORD& key, Shortcut modifiers) {
    TPTCustomTreeView::KeyDown(key, modifiers);
    if (key == 0 || !options_.Contains(ptstoDefaultKeyHandling) || editing_) return;
    const int slot = MatchShellKey(Shortcut(key & 0xFF) | modifiers);
    switch (slot) {
        case skRename:
            EditLabel(Selected());
            key = 0;
            break;
        case skRefresh:
            RefreshNodes();
            key = 0;
            break;
        case skDelete:
        case skCopy:
        case skCut:
        case skPaste:
            if (ShellVerbKey(TPTShellKeySlot(slot), Selected())) key = 0;
            break;
    }
}

bool TPTCustomShellTree::MouseWheel(WPARAM wParam, LPARAM lParam) {
    const POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    // Over another shell control, the wheel is that control's.
    for (HWND under = WindowFromPoint(screen); under != nullptr && under != Handle();
         under = GetParent(under)) {
        ui::Window* window = ui::Window::FromHandle(under);
        if (window == nullptr) continue;
        if (dynamic_cast<TPTCustomShellTree*>(window) != nullptr ||
            dynamic_cast<TPTShellListLink*>(window) != nullptr) {
            SendMessageW(under, WM_MOUSEWHEEL, wParam, lParam);
            return true;
        }
    }
    ScrollByWheel(Handle(), GET_WHEEL_DELTA_WPARAM(wParam), wheelRemainder_, false);
    return true;
}

}  // namespace shellctl
