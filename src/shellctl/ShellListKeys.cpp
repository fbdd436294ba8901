// The shell list's keys, double clicks, renaming in place, the mouse wheel, and the messages the
// shell sends it.
#include <windowsx.h>

#include <cstdlib>

#include "base/Strings.h"
#include "shell/ShellCommands.h"
#include "shell/ShellRename.h"
#include "shellctl/ShellKeys.h"
#include "shellctl/ShellList.h"
#include "ui/Cursor.h"

namespace shellctl {
namespace {

// The shell's request for the browser a view lives in (user message 7). This program runs no
// explorer of its own, so there is none to give.
constexpr UINT kMsgGetShellBrowser = WM_USER + 7;
// Posted to itself at the end of a label edit: what waited for the edit runs once the control has
// put its editor away.
constexpr UINT kMsgLabelEditDone = WM_APP + 1;

std::wstring Trimmed(const std::wstring& text) {
    const auto first = text.find_first_not_of(L" \t\r\n");
    if (first == std::wstring::npos) return {};
    return text.substr(first, text.find_last_not_of(L" \t\r\n") - first + 1);
}

}  // namespace

bool TPTCustomShellList::HandleCommandMessage(UINT msg, WPARAM wParam, LPARAM lParam,
                                              LRESULT& result) {
    switch (msg) {
        case WM_CHAR:
            return KeyPressed(wchar_t(wParam));
        case WM_MOUSEWHEEL:
            MouseWheel(wParam, lParam);
            return true;
        case kMsgGetShellBrowser:
            result = 0;
            return true;
        case kMsgLabelEditDone:
            RunPendingRefresh();
            return true;
    }
    return false;
}

bool TPTCustomShellList::HandleCommandNotify(NMHDR& header, LRESULT& result) {
    switch (header.code) {
        case NM_DBLCLK:
            // Only on an item: a double click on the background opens nothing.
            if (reinterpret_cast<NMITEMACTIVATE&>(header).iItem >= 0) OpenSelection();
            return true;
        case LVN_BEGINLABELEDITW:
        case LVN_BEGINLABELEDITA:
            result = !BeginLabelEdit(reinterpret_cast<NMLVDISPINFOW&>(header).item.iItem);
            return true;
        case LVN_ENDLABELEDITW: {
            const LVITEMW& item = reinterpret_cast<NMLVDISPINFOW&>(header).item;
            result = EndLabelEdit(item.iItem, item.pszText);
            return true;
        }
        case LVN_ENDLABELEDITA: {
            const LVITEMA& item = reinterpret_cast<NMLVDISPINFOA&>(header).item;
            const std::wstring text =
                item.pszText != nullptr ? base::AnsiToWide(item.pszText) : std::wstring();
            result = EndLabelEdit(item.iItem, item.pszText != nullptr ? text.c_str() : nullptr);
            return true;
        }
    }
    return false;
}

bool TPTCustomShellList::KeyPressed(wchar_t key) {
    if (!options_.Contains(ptsloDefaultKeyHandling) || EditControl() != nullptr) return false;
    if (key == L'\b') {
        GoUp(1);
        return true;
    }
    if (key == L'\r') {
        OpenSelection();
        return true;
    }
    return false;
}

void TPTCustomShellList::KeyDown(WORD& key, Shortcut modifiers) {
    TPTCustomListView::KeyDown(key, modifiers);
    if (key == 0 || !options_.Contains(ptsloDefaultKeyHandling) || EditControl() != nullptr) return;
    switch (MatchShellKey(Shortcut(key & 0xFF) | modifiers)) {
        case skSelectAll:
            SelectAllItems();
            break;
        case skRefresh:
            Refill();
            break;
        case skCopy:
            InvokeVerb(L"copy");
            break;
        case skCut:
            InvokeVerb(L"cut");
            break;
        case skPaste:
            InvokeFolderVerb(L"paste");
            break;
        case skRename:
            EditLabel(FocusedItem());
            break;
        case skDelete:
            InvokeVerb(kDeleteVerb);
            break;
        default:
            return;
    }
    key = 0;
}

bool TPTCustomShellList::WantsReturnKey() const {
    if (TPTCustomListView::WantsReturnKey()) return true;
    // Enter on a folder enters it, rather than pressing the form's default button.
    TPTShListData* selected = SelectedShellData();
    return selected != nullptr && selected->IsFolder();
}

bool TPTCustomShellList::EditLabel(int item) {
    if (Handle() == nullptr || ShellDataOf(item) == nullptr) return false;
    SetFocus();
    return Send(LVM_EDITLABELW, WPARAM(item)) != 0;
}

void TPTCustomShellList::SetReadOnly(bool readOnly) {
    readOnly_ = readOnly;
    if (Handle() != nullptr) SetStyleBits(Handle(), LVS_EDITLABELS, !readOnly);
}

bool TPTCustomShellList::BeginLabelEdit(int item) {
    if (readOnly_) return false;
    TPTShListData* data = ShellDataOf(item);
    return data == nullptr || data->CanRename();
}

bool TPTCustomShellList::EndLabelEdit(int item, const wchar_t* text) {
    // What waited for the edit runs once the control has put its editor away.
    struct Done {
        TPTCustomShellList& list;
        ~Done() {
            if (list.RefreshPending()) list.Post(kMsgLabelEditDone);
        }
    } done{*this};
    if (text == nullptr) return false;  // cancelled
    TPTShListData* data = ShellDataOf(item);
    if (data == nullptr || !shellFolder_) return true;  // the control takes the text as it is
    std::wstring name = Trimmed(text);
    if (OnEdited) OnEdited(*this, item, name);
    if (name.empty() || name == data->GetDisplayText()) return false;
    ui::CursorGuard hourglass;
    ignoreNextChange_ = true;
    TRenameResult result =
        SetNameOf(ShellOwnerWindow(), shellFolder_.Get(), data->RelIdList(), name);
    if (!result.renamed) {
        // The shell refused (and said why): the old name stays, and no notice of ours will come.
        ignoreNextChange_ = false;
        return false;
    }
    if (result.newItem) {
        data->ReplaceRelIdList(std::move(result.newItem));
        Send(LVM_UPDATE, WPARAM(item));
    } else {
        // The shell did not say what the item is called now: the folder is read again.
        refreshPending_ = true;
    }
    const ITEMIDLIST* folders[] = {folderIdList_.Get()};
    NotifyFoldersChanged(folders, this);
    return false;  // the row's text comes from the item
}

void TPTCustomShellList::MouseWheel(WPARAM wParam, LPARAM lParam) {
    const POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    // Over another shell control, the wheel is that control's.
    for (HWND under = WindowFromPoint(screen); under != nullptr && under != Handle();
         under = GetParent(under)) {
        if (dynamic_cast<TPTShellPane*>(ui::Window::FromHandle(under)) != nullptr) {
            SendMessageW(under, WM_MOUSEWHEEL, wParam, lParam);
            return;
        }
    }
    // The list view style scrolls sideways, the others down.
    ScrollByWheel(Handle(), GET_WHEEL_DELTA_WPARAM(wParam), wheelRemainder_,
                  viewStyle_ == LV_VIEW_LIST);
}

}  // namespace shellctl
