// The shell list's part in drag-and-drop: the selection dragged out as shell items, and drops onto
// its items and its background handed to the shell's own drop target of the item or of the
// list's folder, with the automatic scroll near the edges.
#pragma once

#include <optional>

#include <windows.h>
#include <oleidl.h>
#include <wrl/client.h>

#include "shell/DragTracking.h"
#include "shell/DropTarget.h"
#include "shellctl/ShellList.h"

namespace shellctl {

class TPTCustomShellList::DragDrop final : public DropTargetHandler {
  public:
    explicit DragDrop(TPTCustomShellList& list);
    ~DragDrop();
    DragDrop(const DragDrop&) = delete;
    DragDrop& operator=(const DragDrop&) = delete;

    // Registers the list's window as a drop target while it has ptsloOleDrop, revokes it
    // otherwise.
    void FollowOptions();
    void Revoke() noexcept { registration_.reset(); }
    IDropTarget* Target() const noexcept;

    // A shell drag of the selection, with ptsloOleDrag; false when none was started.
    bool BeginDrag(bool rightButton);
    // The item shown as the drop target; -1 for none.
    int Highlighted() const noexcept { return highlighted_; }
    // Refreshes after items were dropped into folder, unless the list's watch will see them.
    void RefreshAfterDrop(const ITEMIDLIST* folder);

    // Points are in screen coordinates.
    HRESULT DragEnter(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override;
    HRESULT DragOver(DWORD keys, POINTL point, DWORD* effect) override;
    HRESULT DragLeave() override;
    HRESULT Drop(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override;

  private:
    // Where a drop at a point would go: an item's drop target, the folder's (item -1), or the
    // background under the list's own drag, which the shell is not asked about.
    struct Aim {
        int item = -1;
        bool ownBackground = false;
        Microsoft::WRL::ComPtr<IDropTarget> target;
    };
    Aim AimAt(POINTL point);
    void Highlight(int item);

    TPTCustomShellList& list_;
    std::optional<DropTargetRegistration> registration_;
    // The list's own drag, while it runs, was started with the right button.
    bool ownRightDrag_ = false;
    // The data of the drag over the list and the key state it entered with.
    Microsoft::WRL::ComPtr<IDataObject> data_;
    DWORD enterKeys_ = 0;
    int highlighted_ = -1;
    DragAutoScroll scroll_;
};

}  // namespace shellctl
