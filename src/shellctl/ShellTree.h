// The shell tree: a tree view of the shell namespace under one root (the desktop or a base
// folder), filled as nodes are first expanded, kept in step with a linked shell list both ways,
// and kept current with the file system by a watching thread and the device broadcasts.
//
//   TPTShellTree tree;                       // phase one: options, base folder, events
//   tree.SetOptions(...);
//   tree.Create(form, bounds);               // phase two: the first fill follows (0x467)
//   tree.SetShellList(&list);                // the list shows the tree's folder from now on
//
// The class is split by concern: ShellTree.cpp (creation, filling, nodes, icons, sorting),
// ShellTreeData.cpp, ShellTreeNavigate.cpp (selection, the list, navigation, the sync timer),
// ShellTreeRefresh.cpp (merging refresh, watching, device changes), ShellTreeEdit.cpp (rename,
// new folder, keys, the wheel), ShellTreeDrag.cpp (drags out of the tree, drops onto it),
// ShellTreeCommands.cpp (the shell's context menu, verbs, verb keys).
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <wrl/client.h>

#include "shell/ChangeHandlerThread.h"
#include "shell/DeviceChangeHandler.h"
#include "shell/Pidl.h"
#include "shell/ShellLocator.h"
#include "shell/ShellUtils.h"
#include "shellctl/PTCustomTreeView.h"
#include "shellctl/ShellControlLink.h"
#include "shellctl/ShellKeys.h"
#include "shellctl/ShellPanes.h"
#include "ui/ImageList.h"
#include "ui/Timer.h"

struct ShellContextMenu;

namespace shellctl {

class TPTCustomShellTree;
class TPTShTreeData;

enum TPTShellTreeOption : unsigned {
    ptstoAutoFill,            // fill when the window is made; refill when BaseFolder changes
    ptstoVirtualFolders,      // show items that are neither file-system items nor their ancestors
    ptstoDesignInteractive,   // stored only
    ptstoDefaultKeyHandling,  // F2, F5 and the shell key bindings
    ptstoContextMenus,        // the shell's context menu on nodes
    ptstoDynamicRefresh,      // watch the drives and refresh on change
    ptstoIncludeNonFolders,   // files are nodes too
    ptstoOleDrag,             // nodes can be dragged out as shell items
    ptstoOleDrop,             // the tree takes shell drops
    ptstoShowHidden,          // hidden items are enumerated
};

// A set of tree options, stored as 16 bits: bit n is member n.
class TPTShellTreeOptions {
  public:
    constexpr TPTShellTreeOptions() noexcept = default;
    constexpr TPTShellTreeOptions(std::initializer_list<TPTShellTreeOption> members) noexcept {
        for (TPTShellTreeOption member : members) bits_ |= Bit(member);
    }
    static constexpr TPTShellTreeOptions FromMask(std::uint16_t mask) noexcept {
        TPTShellTreeOptions options;
        options.bits_ = mask;
        return options;
    }
    constexpr std::uint16_t Mask() const noexcept { return bits_; }
    constexpr bool Contains(TPTShellTreeOption member) const noexcept {
        return (bits_ & Bit(member)) != 0;
    }
    constexpr TPTShellTreeOptions& Include(TPTShellTreeOption member) noexcept {
        bits_ |= Bit(member);
        return *this;
    }
    constexpr TPTShellTreeOptions& Exclude(TPTShellTreeOption member) noexcept {
        bits_ &= std::uint16_t(~Bit(member));
        return *this;
    }
    friend constexpr bool operator==(TPTShellTreeOptions, TPTShellTreeOptions) noexcept = default;

  private:
    static constexpr std::uint16_t Bit(TPTShellTreeOption member) noexcept {
        return std::uint16_t(1u << member);
    }
    std::uint16_t bits_ = 0;
};

inline constexpr TPTShellTreeOptions kDefaultShellTreeOptions{
    ptstoAutoFill,     ptstoVirtualFolders, ptstoDefaultKeyHandling,
    ptstoContextMenus, ptstoDynamicRefresh, ptstoOleDrag,
    ptstoOleDrop,      ptstoShowHidden};
static_assert(kDefaultShellTreeOptions.Mask() == 955);

// Events; parameters as published.
using TPTShTreeInsertItemEvent = std::function<void(TPTCustomShellTree& aSender, HTREEITEM aNode)>;
using TPTShTreeDeleteItemEvent =
    std::function<void(TPTCustomShellTree& aSender, HTREEITEM aNode, TPTShTreeData& aShTreeData)>;
using TPTShTreeNotifyEvent = std::function<void(TPTCustomShellTree& aSender)>;
using TPTShTvCustomDrawEvent = std::function<void(TPTCustomShellTree& aSender, TPTTvCustomDraw& aCD,
                                                  HTREEITEM aNode, TPTShTreeData* aData)>;
using TPTShTreeChangeEvent = std::function<void(TPTCustomShellTree& aSender, HTREEITEM aNode)>;
// The trimmed text of a finished label edit, which the handler may change.
using TPTShTreeEditedEvent =
    std::function<void(TPTCustomShellTree& aSender, HTREEITEM aNode, std::wstring& aText)>;

// The data of a node that stands for a namespace item. Nodes with any other data are left alone
// by every shell operation.
class TPTShTreeData {
  public:
    // parent is none for the root; for the root, relIdList is the base folder's absolute list
    // (none for the desktop). attributes are those read when the node was added.
    TPTShTreeData(TPTCustomShellTree& tree, TPTShTreeData* parent, UniquePidl relIdList,
                  SFGAOF attributes);
    ~TPTShTreeData();
    TPTShTreeData(const TPTShTreeData&) = delete;
    TPTShTreeData& operator=(const TPTShTreeData&) = delete;

    TPTCustomShellTree& Tree() const noexcept { return tree_; }
    TPTShTreeData* Parent() const noexcept { return parent_; }
    bool IsRoot() const noexcept { return parent_ == nullptr; }
    const ITEMIDLIST* RelIdList() const noexcept { return relIdList_.Get(); }
    // The item relative to GetParentFolder: RelIdList, and for the root the last item of its
    // absolute list.
    const ITEMIDLIST* GetItemIdList();
    SFGAOF Attributes() const noexcept { return attributes_; }
    // Folders can be bound and enumerated; the root always counts as one.
    bool IsFolder() const noexcept;

    // The absolute list (the empty list for the desktop), kept once computed.
    const ITEMIDLIST* GetAbsIdList();
    // The item's own folder, bound on first use; none when it cannot be bound.
    IShellFolder* GetShellFolder();
    // The folder that holds the item; none when it cannot be bound.
    IShellFolder* GetParentFolder();
    // False for the root and the desktop; else whether the shell lets the item be renamed.
    bool CanRename();
    // The file-system path; empty for a virtual item.
    std::wstring GetPath();
    // After a rename: the new relative list (copied); the absolute list and the bound folder
    // are made again from it.
    void ReplaceRelIdList(const ITEMIDLIST* relIdList);
    // Forgets the absolute list and the bound folder, so that both are made again from the
    // parent (after an ancestor was renamed).
    void Invalidate();
    // The item's drop target.
    HRESULT GetDropTarget(HWND window, Microsoft::WRL::ComPtr<IDropTarget>& target);

  private:
    friend class TPTCustomShellTree;

    TPTCustomShellTree& tree_;
    TPTShTreeData* parent_;
    UniquePidl relIdList_;
    UniquePidl absIdList_;
    UniquePidl rootItem_;
    SFGAOF attributes_;
    Microsoft::WRL::ComPtr<IShellFolder> shellFolder_;
    Microsoft::WRL::ComPtr<IShellFolder> parentFolder_;
};

class TPTCustomShellTree : public TPTCustomTreeView, public TPTShellTreeLink, public TPTShellPane {
  public:
    // The events the shell list has too, with the tree as their sender. aParentIShf is neither
    // held nor released by the handler.
    using TPTShAddItemEvent =
        std::function<void(TPTCustomShellTree& aSender, IShellFolder_NRC* aParentIShf,
                           const ITEMIDLIST* aParentAbsIdList, const ITEMIDLIST* aItemRelIdList,
                           ULONG aAttribs, BOOL& afAllowAdd)>;
    using TPTShPopupHintEvent =
        std::function<void(TPTCustomShellTree& aSender, const std::wstring& hint)>;

    // Phase one; the window comes with Create.
    TPTCustomShellTree();
    ~TPTCustomShellTree() override;

    // The namespace item shown as the one root node (none: the desktop). Owned; a change
    // clears the current folder and, with ptstoAutoFill, fills the tree again.
    TPTShellLocator& BaseFolder() noexcept { return baseFolder_; }
    void SetBaseFolder(const TPTShellLocator& folder) { baseFolder_.Assign(&folder); }

    // The list kept in step with the tree; not owned. Each side forgets the other when it goes.
    TPTShellListLink* ShellList() const noexcept { return shellList_; }
    void SetShellList(TPTShellListLink* list);

    TPTShellTreeOptions Options() const noexcept { return options_; }
    void SetOptions(TPTShellTreeOptions options);

    // Clears the tree and fills it again from the root.
    void Refill();
    // Brings the nodes up to date with the namespace, keeping expansion and selection.
    void RefreshNodes();
    // Selects a folder, adding the nodes on the way (ignored while the update lock is held).
    void NavigateTo(const ITEMIDLIST* absIdList) override;
    // Makes the current folder equal to folder, which navigates; while the update lock is held
    // it only hands the current folder to the linked list again.
    void SetFolder(const TPTShellLocator& folder);
    // Opens the tree at a file-system path (unless the update lock is held); an empty path or
    // one the shell cannot find changes nothing.
    void SetFolderPath(const std::wstring& path);
    // The path of the selected node; empty without a selected shell node or for a virtual one.
    std::wstring SelectedPath() const;
    // Selects the ancestor levels above the selection, never above the root.
    void GoUp(int levels) override;
    // Creates a new folder in the selected folder, shows it and starts renaming it; true when
    // it was created.
    bool CreateNewFolder();
    // Runs a command of the shell's context menu on a node by its verb, then refreshes: "delete"
    // asks first (one question of the program's own), "paste" pastes into the node's folder.
    // 1 for the root (nothing is run; it can only be pasted into), 0 when the command ran.
    virtual int InvokeVerb(HTREEITEM node, const std::wstring& verb);
    // Runs a pending selection pass or refresh now.
    void FlushPendingSync() override;
    // The folder of the selected node; the linked list's folder source.
    TPTShellLocator& CurrentFolder() override { return currentFolder_; }
    void ShellListDestroyed() override { shellList_ = nullptr; }
    // A command in another control changed folders: a tree that does not watch refreshes.
    void FoldersChangedByCommand(std::span<const ITEMIDLIST* const> folders) override;

    // Adds one item below parentNode as its last child: the node, or none when the item was
    // skipped (no list, attributes unreadable, not shown by the options, refused by OnAddItem).
    virtual HTREEITEM AddItem(IShellFolder* parentFolder, const ITEMIDLIST* parentAbsIdList,
                              const ITEMIDLIST* itemRelIdList, HTREEITEM parentNode);
    // Fills a node's children from folder; with no node, creates the root node first.
    virtual void FillNode(IShellFolder* folder, HTREEITEM node);

    // The node's shell data, or none.
    TPTShTreeData* ShellDataOf(HTREEITEM node) const;
    // The first top-level node with shell data, or none.
    HTREEITEM RootNode() const;
    HTREEITEM FirstChild(HTREEITEM node) const;
    HTREEITEM NextSibling(HTREEITEM node) const;
    HTREEITEM ParentNode(HTREEITEM node) const;
    std::wstring NodeText(HTREEITEM node) const;
    bool HasChildrenMark(HTREEITEM node) const;
    bool IsExpanded(HTREEITEM node) const;
    void Expand(HTREEITEM node);
    // Starts editing a node's label; false when the node may not be renamed.
    bool EditLabel(HTREEITEM node);
    // The node the last insertion made; none once that node is deleted.
    HTREEITEM LastInsertedNode() const noexcept { return lastInserted_; }

    // The ordinary tree-view settings the program sets.
    void SetHideSelection(bool hide);
    void SetIndent(int pixels);
    void SetShowRoot(bool show);
    // Without label editing (no rename from the keyboard or the shell's menu).
    bool ReadOnly() const;
    void SetReadOnly(bool readOnly);

    // What the sync timer will do when it fires.
    enum class TSyncAction { None, PassSelection, Refresh };
    TSyncAction PendingSync() const noexcept { return pendingSync_; }
    UINT PendingSyncInterval() const noexcept { return syncTimer_.Interval(); }
    int UpdateLock() const noexcept { return updateLock_; }
    bool SyncNow() const noexcept { return syncNow_; }
    bool IgnoreNextChange() const noexcept { return ignoreNextChange_; }
    // A shell drag from this tree or its context menu is running; refreshes wait for it.
    bool Dragging() const noexcept { return dragging_; }
    // Ends the dragging state; runs the refresh that became pending meanwhile, or one when
    // something was dropped.
    void SetDragging(bool dragging, bool dropped = false);

    // Drag-and-drop (ShellTreeDrag.cpp). The shell's drop target of a node's item; E_INVALIDARG
    // for a node without shell data.
    virtual HRESULT GetDropTarget(HTREEITEM node, Microsoft::WRL::ComPtr<IDropTarget>& target);
    // The drop target registered for the window: none without ptstoOleDrop or a window.
    IDropTarget* DropTarget() const noexcept;

    TPTShAddItemEvent OnAddItem;
    TPTShTreeInsertItemEvent OnInsertItem;
    TPTShTreeDeleteItemEvent OnDeleteItem;
    TPTShTreeNotifyEvent OnFillStart;
    TPTShTreeNotifyEvent OnFillComplete;
    TPTShPopupHintEvent OnPopupHint;
    TPTShTvCustomDrawEvent OnCustomDrawSh;
    TPTShTvCustomDrawEvent OnCustomDrawShEx;
    TPTShTreeChangeEvent OnChange;
    TPTShTreeEditedEvent OnEdited;

    // How long the sync timer waits: after keyboard travel, and after a change notification
    // with and without the focus.
    static constexpr UINT kSelectionDelay = 500;
    static constexpr UINT kFocusedRefreshDelay = 400;
    static constexpr UINT kRefreshDelay = 2000;
    // The pause after a new folder, for the shell to settle: in a folder, on the desktop.
    static constexpr DWORD kNewFolderPause = 1000;
    static constexpr DWORD kNewDesktopFolderPause = 2100;

  protected:
    void PrepareCreate(CreateParams& params) override;
    void Created() override;
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool HandleNotify(NMHDR& header, LRESULT& result) override;
    void KeyDown(WORD& key, Shortcut modifiers) override;
    void DoCustomDraw(TPTTvCustomDraw& customDraw) override;
    int GetImageIndex(HTREEITEM node) override;
    int GetSelectedIndex(HTREEITEM node) override;

    // The folder of an absolute list (the desktop for none): every folder the tree binds by
    // absolute list comes from here.
    virtual HRESULT BindFolder(const ITEMIDLIST* absIdList,
                               Microsoft::WRL::ComPtr<IShellFolder>& folder);
    // Pauses with the hourglass after a new folder was made.
    virtual void PauseAfterNewFolder(DWORD milliseconds);
    // A verb key (delete, copy, cut, paste) on the selected node: InvokeVerb; true (consumed).
    virtual bool ShellVerbKey(TPTShellKeySlot slot, HTREEITEM node);
    // After OnNodeContextMenu, the shell's context menu of a shell node with ptstoContextMenus,
    // instead of the control's popup menu.
    void NodeContextMenu(HTREEITEM node, POINT& pos, ui::Menu*& menu) override;
    // The start of a drag of a node, left or right button, with ptstoOleDrag; true when a
    // shell drag took it over (the root is never dragged).
    virtual bool BeginShellDrag(HTREEITEM node, bool rightButton);
    // Milliseconds, for the automatic scroll and the hover expansion while a drag is over the
    // tree.
    virtual ULONGLONG DragTickCount() const;

    virtual void DoFillStart();
    virtual void DoFillComplete();
    virtual void DoChange(HTREEITEM node);

  private:
    friend class TPTShTreeData;
    class UpdateLockScope;
    class NodeUpdateScope;
    class DragDrop;

    // ShellTree.cpp
    // A tree-view message straight to the control's own procedure: none of them is handled on
    // the way, and on the platform under test each message through the subclass chain costs
    // round trips to the window server, which a fill of thousands of nodes cannot afford.
    LRESULT Tree(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const;
    LPARAM ItemData(HTREEITEM node) const;
    HTREEITEM CreateRootNode(IShellFolder* folder);
    HTREEITEM InsertNode(HTREEITEM parent, const std::wstring& text, TPTShTreeData* data,
                         bool hasChildren, UINT state);
    void SetHasChildren(HTREEITEM node, bool hasChildren);
    SHCONTF EnumFlags() const;
    struct NodeEntry {
        HTREEITEM node;
        TPTShTreeData* data;
    };
    // Orders a node's children (all of them, as the caller knows them) by the folder's order.
    void SortChildren(HTREEITEM node, IShellFolder* folder, std::vector<NodeEntry> children);
    void NodeInserted(HTREEITEM node, TPTShTreeData* data);
    void NodeDeleted(HTREEITEM node, LPARAM data);
    void DeleteAllNodes();
    void FreeAllData() noexcept;
    bool Expanding(HTREEITEM node);
    void PaintWithListColors(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // ShellTreeNavigate.cpp
    void SelectionChanged(HTREEITEM node);
    void PassSelection(HTREEITEM node);
    void RequestSync(TSyncAction action, UINT interval);
    void SyncTimerFired();
    void CurrentFolderChanged();
    void BaseFolderChanged();
    HTREEITEM FindChild(HTREEITEM parent, IShellFolder* folder, const ITEMIDLIST* item) const;
    bool InsideBaseFolder(const ITEMIDLIST* absIdList, int baseCount) const;

    // ShellTreeRefresh.cpp
    void MergeNode(HTREEITEM node, HTREEITEM& remembered);
    void ChangeNotified();
    void StartWatching();
    void StopWatching();
    void DeviceChanged(TPTDeviceChangeHandler& sender, const TDeviceChangeMessage& message);
    bool RefreshMustWait();

    // ShellTreeCommands.cpp
    bool ShowShellContextMenu(HTREEITEM node, POINT client);
    UINT TrackShellContextMenu(const ShellContextMenu& menu, POINT client);
    // Runs a command that answers whether it may have changed the namespace; then (and after a
    // failure) refreshes and tells the other controls which folders it changed.
    void RunAndRefresh(const std::function<bool()>& command,
                       std::span<const ITEMIDLIST* const> changed);

    // ShellTreeEdit.cpp
    bool BeginLabelEdit(HTREEITEM node);
    bool EndLabelEdit(HTREEITEM node, const wchar_t* text);
    bool Rename(HTREEITEM node, TPTShTreeData& data, const std::wstring& text);
    void InvalidateDescendants(HTREEITEM node);
    bool MouseWheel(WPARAM wParam, LPARAM lParam);

    TPTShellLocator baseFolder_;
    TPTShellLocator currentFolder_;
    TPTShellListLink* shellList_ = nullptr;
    TPTShellTreeOptions options_ = kDefaultShellTreeOptions;
    ui::Timer syncTimer_{kSelectionDelay};
    TSyncAction pendingSync_ = TSyncAction::None;
    int updateLock_ = 0;
    int nodeUpdates_ = 0;
    bool syncNow_ = false;
    bool ignoreNextChange_ = false;
    bool dragging_ = false;
    bool refreshPending_ = false;
    bool editing_ = false;
    bool destroying_ = false;
    bool showRoot_ = false;
    bool hideSelection_ = true;
    bool readOnly_ = false;
    int indent_ = 0;  // 0: the control's own
    int wheelRemainder_ = 0;
    // The in-folder name of the item FillNode hands to AddItem next, read already for its order.
    const std::wstring* knownName_ = nullptr;
    HTREEITEM lastInserted_ = nullptr;
    TPTShTreeData* lastInsertedData_ = nullptr;
    std::unique_ptr<TChangeHandlerThread> watcher_;
    WNDPROC treeProc_ = nullptr;
    ui::ImageList images_;
    // Every node's shell data, owned here: a node's data is ours only when it is in this set.
    std::unordered_set<TPTShTreeData*> data_;
    TDeviceChangeSubscription deviceSubscription_;
    // Last, so that the drop target goes first.
    std::unique_ptr<DragDrop> dragDrop_;
};

// The tree as the program places it; all behaviour is TPTCustomShellTree's.
class TPTShellTree : public TPTCustomShellTree {};

}  // namespace shellctl
