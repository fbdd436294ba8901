// Drags out of the shell tree and drops onto it. The tree never reads dropped data itself: every
// drop goes to the shell's drop target of the node under the pointer, so that copying, moving,
// linking and the right-drag menu are the shell's.
#include "shellctl/ShellTreeDrag.h"

#include "shell/DataObject.h"
#include "shell/DropSource.h"
#include "shell/ShellCommands.h"
#include "shell/ShellTransfer.h"
#include "shellctl/ShellTreeScopes.h"

using Microsoft::WRL::ComPtr;

namespace shellctl {

HRESULT TPTCustomShellTree::GetDropTarget(HTREEITEM node, ComPtr<IDropTarget>& target) {
    target.Reset();
    TPTShTreeData* data = ShellDataOf(node);
    if (data == nullptr) return E_INVALIDARG;
    return data->GetDropTarget(ShellWindow(Handle()), target);
}

IDropTarget* TPTCustomShellTree::DropTarget() const noexcept { return dragDrop_->Target(); }

bool TPTCustomShellTree::BeginShellDrag(HTREEITEM node, bool rightButton) {
    return dragDrop_->BeginDrag(node, rightButton);
}

ULONGLONG TPTCustomShellTree::DragTickCount() const { return SystemTickClock(); }

TPTCustomShellTree::DragDrop::DragDrop(TPTCustomShellTree& tree)
    : tree_(tree),
      scroll_([this] { return tree_.DragTickCount(); }),
      hover_(SystemHoverSettings(), [this] { return tree_.DragTickCount(); }) {}

TPTCustomShellTree::DragDrop::~DragDrop() = default;

void TPTCustomShellTree::DragDrop::FollowOptions() {
    KeepRegistered(registration_, tree_.Handle(), tree_.options_.Contains(ptstoOleDrop),
                   [this] { return MakeComObject<TDropTarget_shtv>(this); });
}

IDropTarget* TPTCustomShellTree::DragDrop::Target() const noexcept {
    return registration_ ? registration_->Target() : nullptr;
}

bool TPTCustomShellTree::DragDrop::BeginDrag(HTREEITEM node, bool rightButton) {
    TPTShTreeData* data = tree_.ShellDataOf(node);
    if (data == nullptr || data->IsRoot()) return false;
    IShellFolder* folder = data->GetParentFolder();
    const ITEMIDLIST* item = data->GetItemIdList();
    if (folder == nullptr || item == nullptr) return false;
    const ComPtr<IDataObject> object =
        MakeComObject<TDataObject_shtv>(data->Parent()->GetAbsIdList(), folder, item);
    const DWORD allowed = SourceDropEffects(folder, {&item, 1});

    HRESULT hr = E_FAIL;
    {
        Finally end([this] {
            source_ = nullptr;
            Highlight(nullptr);
            tree_.dragging_ = false;
        });
        source_ = node;
        Highlight(node);
        tree_.dragging_ = true;
        DWORD effect = DROPEFFECT_NONE;
        hr = RunShellDrag(object.Get(), rightButton ? TDragButton::Right : TDragButton::Left,
                          allowed, effect);
    }
    // What was dropped, or asked for meanwhile, is shown now.
    tree_.SetDragging(false, hr == DRAGDROP_S_DROP);
    return true;
}

HTREEITEM TPTCustomShellTree::DragDrop::TargetAt(POINTL point, ComPtr<IDropTarget>& target) {
    target.Reset();
    HTREEITEM node = tree_.NodeAt(tree_.ClientPoint(POINT{point.x, point.y}));
    if (tree_.ShellDataOf(node) == nullptr) return nullptr;
    if (FAILED(tree_.GetDropTarget(node, target)) || !target) {
        target.Reset();
        return nullptr;
    }
    return node;
}

HTREEITEM TPTCustomShellTree::DragDrop::Highlighted() const {
    return reinterpret_cast<HTREEITEM>(tree_.Tree(TVM_GETNEXTITEM, TVGN_DROPHILITE, 0));
}

void TPTCustomShellTree::DragDrop::Highlight(HTREEITEM node) {
    if (node == nullptr) node = source_;
    if (node != Highlighted()) tree_.Tree(TVM_SELECTITEM, TVGN_DROPHILITE, LPARAM(node));
}

void TPTCustomShellTree::DragDrop::ExpandQuietly(HTREEITEM node) {
    if (tree_.ShellDataOf(node) == nullptr || tree_.IsExpanded(node)) return;
    // The children are read here, where a failure can be let go; the expansion then finds them.
    try {
        if (!tree_.Expanding(node)) return;
    } catch (...) {
        return;
    }
    tree_.Expand(node);
}

HRESULT TPTCustomShellTree::DragDrop::DragEnter(IDataObject* data, DWORD keys, POINTL point,
                                                DWORD* effect) {
    data_ = data;
    enterKeys_ = keys;
    scroll_.Start();
    hover_.Reset();
    ComPtr<IDropTarget> target;
    Highlight(TargetAt(point, target));
    if (!target || data == nullptr) {
        *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    AskShellDropTarget(target.Get(), data, keys, point, effect, false);
    return S_OK;
}

HRESULT TPTCustomShellTree::DragDrop::DragOver(DWORD keys, POINTL point, DWORD* effect) {
    const HTREEITEM before = Highlighted();
    ComPtr<IDropTarget> target;
    const HTREEITEM node = TargetAt(point, target);
    if (target && data_)
        AskShellDropTarget(target.Get(), data_.Get(), keys, point, effect, true);
    else
        *effect = DROPEFFECT_NONE;
    Highlight(node);
    const POINT client = tree_.ClientPoint(POINT{point.x, point.y});
    scroll_.Scroll(tree_.Handle(), client);
    if (const std::optional<POINT> rested = hover_.Track(client))
        ExpandQuietly(tree_.NodeAt(*rested));
    *effect |= DROPEFFECT_SCROLL;
    if (Highlighted() != before) UpdateWindow(tree_.Handle());
    return S_OK;
}

HRESULT TPTCustomShellTree::DragDrop::DragLeave() {
    data_.Reset();
    Highlight(nullptr);
    return S_OK;
}

HRESULT TPTCustomShellTree::DragDrop::Drop(IDataObject* data, DWORD keys, POINTL point,
                                           DWORD* effect) {
    Finally done([this] {
        data_.Reset();
        Highlight(nullptr);
    });
    ComPtr<IDropTarget> target;
    const HTREEITEM node = TargetAt(point, target);
    if (!target || data == nullptr) {
        *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    // The drop comes as the button is released; the shell wants to know which one it was.
    keys |= enterKeys_ & (MK_LBUTTON | MK_RBUTTON);
    const UniquePidl folder = UniquePidl::CopyOf(tree_.ShellDataOf(node)->GetAbsIdList());
    const HRESULT hr = DropOnShellTarget(target.Get(), data, keys, point, effect);
    // The tree shows the result once the drop is over (later still when it is its own drag),
    // and so does a linked list that shows the folder and may not be watching it.
    tree_.RequestSync(TSyncAction::Refresh, 0);
    if (tree_.shellList_ != nullptr) tree_.shellList_->ItemsDroppedInto(folder.Get());
    return hr;
}

}  // namespace shellctl
