// What a command run in one shell control tells the others: the folders whose items it changed
// (deleted, pasted, moved out), so that a control showing one of them that does not watch it is
// brought up to date at once, and a deleted or moved file is never listed (nor reaches a run).
#pragma once

#include <span>
#include <vector>

#include <shtypes.h>

#include "shell/Pidl.h"

namespace shellctl {

// A shell control that hears of the program's own changes. Every one is registered with the
// process for its lifetime (user-interface thread only).
class TPTShellPane {
  public:
    TPTShellPane(const TPTShellPane&) = delete;
    TPTShellPane& operator=(const TPTShellPane&) = delete;

    // A command changed the items of these folders (absolute lists); anything inside a changed
    // item may be gone too.
    virtual void FoldersChangedByCommand(std::span<const ITEMIDLIST* const> folders) = 0;

  protected:
    TPTShellPane();
    ~TPTShellPane();
};

// Holds a control's dragging state while a shell menu of it is open: its refreshes wait until the
// menu has closed and its command has run, so that what the menu was opened on is still there.
class TPTRefreshHold {
  public:
    explicit TPTRefreshHold(bool& dragging) noexcept : dragging_(dragging), was_(dragging) {
        dragging = true;
    }
    ~TPTRefreshHold() { dragging_ = was_; }
    TPTRefreshHold(const TPTRefreshHold&) = delete;
    TPTRefreshHold& operator=(const TPTRefreshHold&) = delete;

  private:
    bool& dragging_;
    bool was_;
};

// Tells every registered pane but sender.
void NotifyFoldersChanged(std::span<const ITEMIDLIST* const> folders, const TPTShellPane* sender);

// Whether place is one of folders or lies inside one of them.
bool IsInsideAny(std::span<const ITEMIDLIST* const> folders, const ITEMIDLIST* place);

// The folders the items on the clipboard come from: a paste of items that were cut moves them
// out of there. Empty when the clipboard holds no items.
std::vector<UniquePidl> ClipboardSourceFolders();

}  // namespace shellctl
