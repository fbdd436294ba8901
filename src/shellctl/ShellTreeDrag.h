// The shell tree's part in drag-and-drop: a node dragged out as a shell item, and drops onto the
// tree's nodes handed to the shell's own drop target of the node's item, with the automatic
// scroll near the edges and the expansion of the node the pointer rests on.
#pragma once

#include <optional>

#include <windows.h>
#include <oleidl.h>
#include <wrl/client.h>

#include "shell/DragTracking.h"
#include "shell/DropTarget.h"
#include "shellctl/ShellTree.h"

namespace shellctl {

class TPTCustomShellTree::DragDrop final : public DropTargetHandler {
  public:
    explicit DragDrop(TPTCustomShellTree& tree);
    ~DragDrop();
    DragDrop(const DragDrop&) = delete;
    DragDrop& operator=(const DragDrop&) = delete;

    // Registers the tree's window as a drop target while it has ptstoOleDrop, revokes it
    // otherwise.
    void FollowOptions();
    void Revoke() noexcept { registration_.reset(); }
    IDropTarget* Target() const noexcept;

    // A shell drag of a node out of the tree; false (nothing started) for the root and for a node
    // without shell data.
    bool BeginDrag(HTREEITEM node, bool rightButton);

    // Points are in screen coordinates.
    HRESULT DragEnter(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override;
    HRESULT DragOver(DWORD keys, POINTL point, DWORD* effect) override;
    HRESULT DragLeave() override;
    HRESULT Drop(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override;

  private:
    // The shell node under the pointer and its drop target; none (and no target) when there is
    // no such node or the shell gives it no target.
    HTREEITEM TargetAt(POINTL point, Microsoft::WRL::ComPtr<IDropTarget>& target);
    // Shows node as the drop target; with none, the node being dragged out (if any) keeps it.
    void Highlight(HTREEITEM node);
    HTREEITEM Highlighted() const;
    // Expands a node the pointer rested on; a folder that cannot be read stays as it was.
    void ExpandQuietly(HTREEITEM node);

    TPTCustomShellTree& tree_;
    std::optional<DropTargetRegistration> registration_;
    // The node of a drag out of this tree, while it runs.
    HTREEITEM source_ = nullptr;
    // The data of the drag over the tree and the key state it entered with.
    Microsoft::WRL::ComPtr<IDataObject> data_;
    DWORD enterKeys_ = 0;
    DragAutoScroll scroll_;
    DragHoverExpansion hover_;
};

}  // namespace shellctl
