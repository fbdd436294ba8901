// The shell list: a list view of the items of one shell folder, with their system icons, display
// names and detail columns, filtered by file masks, sorted by the folder's own comparison, kept
// current by merging the folder's contents into what is shown, and kept in step with a linked
// shell tree.
//
//   shellctl::TPTShellList list;
//   list.SetOptions(kDefaultShellListOptions);   // before or after the window exists
//   list.SetFileFilter(L"*.txt;*.log");
//   list.Folder().SetPath(L"C:\\Data");          // every change of Folder refills
//   list.Create(form, RECT{0, 0, 400, 300});     // fills itself (deferred) with ptsloAutoFill
//
// The list owns its items' data in display order; the platform's list view only shows them (it
// asks for texts, icons and states when it draws a row), so that a folder of a hundred thousand
// files costs no more than its enumeration. Contents and filling live in ShellList.cpp and
// ShellListFill.cpp, the file filter in ShellListFilter.cpp, refreshing and watching in
// ShellListRefresh.cpp, sorting in ShellListSort.cpp, the columns in ShellListColumns.cpp,
// drag-and-drop in ShellListDrag.cpp, opening, verbs and context menus in ShellListCommands.cpp,
// and keys, rename and the wheel in ShellListKeys.cpp.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include "shell/DeviceChangeHandler.h"
#include "shell/Pidl.h"
#include "shell/ShellLocator.h"
#include "shell/ShellUtils.h"
#include "shellctl/PTCustomListView.h"
#include "shellctl/ShellControlLink.h"
#include "shellctl/ShellListData.h"
#include "shellctl/ShellListOptions.h"
#include "shellctl/ShellPanes.h"
#include "ui/ImageList.h"
#include "ui/Timer.h"

class TChangeHandlerThread;
struct ShellContextMenu;

namespace shellctl {

class TPTCustomShellList;

// A veto on each item before it is listed: clear afAllowAdd (arrives TRUE) to leave it out.
using TPTShAddItemEvent = std::function<void(
    TPTCustomShellList& aSender, IShellFolder_NRC* aParentIShf, const ITEMIDLIST* aParentAbsIdList,
    const ITEMIDLIST* aItemRelIdList, ULONG aAttribs, BOOL& afAllowAdd)>;
// An item and its data are about to go.
using TPTShListDeleteItemEvent =
    std::function<void(TPTCustomShellList& aSender, int aNode, TPTShListData& aShListData)>;
// Opening non-folder items: set afHandled (arrives false) to run no default command.
using TPTShDblClickOpenEvent = std::function<void(TPTCustomShellList& aSender, bool& afHandled)>;
// The help text of the shell context-menu item under the pointer.
using TPTShPopupHintEvent =
    std::function<void(TPTCustomShellList& aSender, const std::wstring& hint)>;
// Drawing with the item's data (none for the control's own stages and for rows without data).
using TPTShLvCustomDrawEvent = std::function<void(TPTCustomShellList& aSender, TPTLvCustomDraw& aCD,
                                                  int aItem, TPTShListData* aData)>;
using TPTShListNotifyEvent = std::function<void(TPTCustomShellList& aSender)>;
// The state of an item changed (aItem -1: of several at once).
using TPTShListChangeEvent = std::function<void(TPTCustomShellList& aSender, int aItem)>;
using TPTShListColumnClickEvent = std::function<void(TPTCustomShellList& aSender, int aColumn)>;
// Set aImageIndex to 1 or more to show that image instead of the item's system icon.
using TPTShListImageIndexEvent =
    std::function<void(TPTCustomShellList& aSender, int aItem, int& aImageIndex)>;

// Where the columns of the report view come from.
enum class TPTShellColumnMode { None, Provider, Standard };

class TPTCustomShellList : public TPTCustomListView, public TPTShellListLink, public TPTShellPane {
  public:
    // The sort value after creation: by the first column, ascending.
    static constexpr int kDefaultSortValue = 1;

    // Phase one; the window comes with Create.
    TPTCustomShellList();
    ~TPTCustomShellList() override;

    // Options (bit n of the stored value is member n; kDefaultShellListOptions by default). A
    // change that alters which items are listed refills a live list.
    TPTShellListOptions Options() const noexcept { return options_; }
    void SetOptions(TPTShellListOptions options);
    // The folder shown; every change of its location refills (and moves a linked tree along).
    TPTShellLocator& Folder() noexcept { return folder_; }
    const TPTShellLocator& Folder() const noexcept { return folder_; }
    // File masks separated by ";" (empty, "*" and "*.*" list every file; folders always pass).
    // A different text refills with ptsloAutoFill. A mask naming another folder (a path
    // separator, a drive colon, "..") matches nothing.
    const std::wstring& FileFilter() const noexcept { return fileFilter_; }
    void SetFileFilter(const std::wstring& filter);
    const std::vector<std::wstring>& FileMasks() const noexcept { return masks_; }

    // The list view's own settings, before or after the window exists.
    bool MultiSelect() const noexcept { return multiSelect_; }
    void SetMultiSelect(bool value);
    bool RowSelect() const noexcept { return rowSelect_; }
    void SetRowSelect(bool value);
    // Whether the selection is hidden while the list does not have the focus.
    bool HideSelection() const noexcept { return hideSelection_; }
    void SetHideSelection(bool value);
    // LV_VIEW_ICON, LV_VIEW_DETAILS, LV_VIEW_SMALLICON or LV_VIEW_LIST.
    DWORD ViewStyle() const noexcept { return viewStyle_; }
    void SetViewStyle(DWORD view);

    // Contents (ShellListFill.cpp). Refill rebuilds the list from Folder; a failure to read the
    // folder raises an error with the system's text. Nothing happens while the window does not
    // exist; while a drag from the list runs or a label is edited, it only becomes pending.
    void Refill();
    // Merges the folder's present contents into the list: vanished items go, new ones are
    // appended, items still there keep their place and selection and are re-read when they
    // changed. Refills an empty list instead.
    void RefreshItems();
    // Makes folder (with its absolute list) the list's folder and lists its accepted items.
    virtual void FillList(IShellFolder* folder, const ITEMIDLIST* absIdList);
    // The attribute and option test of one item of the folder (whose absolute list is given),
    // then FilterItem; attributes receives what AcceptItem asked the folder for.
    bool AcceptItem(const ITEMIDLIST* folderAbsIdList, const ITEMIDLIST* relIdList,
                    ULONG& attributes);
    // The file filter and OnAddItem.
    virtual bool FilterItem(IShellFolder* folder, const ITEMIDLIST* folderAbsIdList,
                            ULONG attributes, const ITEMIDLIST* relIdList);
    // The file filter's steps (ShellListFilter.cpp): the names the masks find in the folder of
    // folderAbsIdList, read once per fill or refresh; the test of one name; forgetting them.
    virtual void PrepareFileFilter(const ITEMIDLIST* folderAbsIdList);
    virtual bool MatchesFileFilter(const std::wstring& name, ULONG attributes) const;
    virtual void ReleaseFileFilter();
    // Lists one more item of the folder (whose absolute list is given) at the end, when
    // AcceptItem accepts it.
    void AddNewShellItem(const ITEMIDLIST* folderAbsIdList, UniquePidl relIdList);

    // Selection.
    void SelectAllItems();
    void ClearSelection();
    bool Selected(int item) const;
    void SetSelected(int item, bool selected);

    // Sorting (ShellListSort.cpp). The sort value is the 1-based column, positive ascending and
    // negative descending. SetSortColumn refuses 0 and columns past the last (false) and shows
    // the header's sort mark; a new value re-sorts.
    int SortValue() const noexcept { return sortValue_; }
    bool SetSortColumn(int value);
    void SortItems();

    // First the linked tree's pending work (withTree), then a refresh that is waiting for its
    // timer, now.
    void FlushPendingSync(bool withTree);

    // The folder listed: its shell folder (one reference held) and absolute list, as the last
    // fill left them; none before the first fill.
    IShellFolder* ShellFolder() const noexcept { return shellFolder_.Get(); }
    const ITEMIDLIST* FolderIdList() const noexcept { return folderIdList_.Get(); }
    std::wstring FolderPath() const { return PidlToPath(folderIdList_.Get()); }

    // Items. ShellDataAt throws for a position out of range.
    int ShellItemCount() const noexcept { return int(items_.size()); }
    TPTShListData* ShellDataOf(int item) const noexcept;
    TPTShListData* SelectedShellData() const;
    TPTShListData& ShellDataAt(int index) const;
    // The positions of the selected items, in display order.
    std::vector<int> SelectedItems() const;
    // An interface of the folder's UI object (IContextMenu, IDataObject, IDropTarget...) for one
    // item, or for all selected items; E_INVALIDARG for an item without data, E_FAIL with
    // nothing selected.
    HRESULT GetUIObjectOf(int item, REFIID iid, void** object) const;
    HRESULT GetUIObjectOfSelection(REFIID iid, void** object) const;

    // Opening and commands (ShellListCommands.cpp). OpenItem enters a folder or the folder a
    // shortcut leads to, and runs any other item's default command unless OnDblClickOpen takes
    // it; OpenSelection opens the selected item, or runs the default command of several at once.
    void OpenItem(int item);
    void OpenSelection();
    // Goes up levels folders (through the linked tree when there is one); nothing above the
    // desktop or with ptsloDontChangeFolder.
    void GoUp(int levels);
    // Shows another folder (through the linked tree when there is one). A folder that cannot be
    // read is refused with the system's text for why, and the list stays where it was.
    void ChangeFolder(const ITEMIDLIST* absIdList);
    // Runs a command of the selected items' context menu by its verb ("copy", "cut", "delete";
    // "delete" asks first, one question of the program's own).
    void InvokeVerb(const std::wstring& verb);
    // Runs a command of the folder's own menu by its verb ("paste").
    void InvokeFolderVerb(const std::wstring& verb);
    // Starts editing an item's label; false when it may not be renamed.
    bool EditLabel(int item);
    // Without label editing (no rename from the keyboard or the shell's menu).
    bool ReadOnly() const noexcept { return readOnly_; }
    void SetReadOnly(bool readOnly);
    // A command elsewhere changed folders: a list that does not watch and shows one of them, or
    // a place inside one, refreshes.
    void FoldersChangedByCommand(std::span<const ITEMIDLIST* const> folders) override;
    // The window handed to shell calls: the list's top-level form, or none.
    HWND ShellOwnerWindow() const;

    // Columns (ShellListColumns.cpp).
    TPTShellColumnMode ColumnMode() const noexcept { return columnMode_; }
    // The details provider of the folder, looked up on first use after a fill; null when the
    // folder has none.
    IShellDetails* DetailsProvider();
    int ColumnWidth(int column) const;
    void SetColumnWidth(int column, int width);
    // Writes the widths of the columns into the process's width memory (nothing when the
    // columns are not ones to remember, such as those of a virtual folder).
    void RememberColumnWidths() const;

    // The link with a shell tree (ShellControlLink.h).
    void SetLinkedTree(TPTShellTreeLink* tree) override;
    void TreeSelectionChanged(const ITEMIDLIST* absIdList) override;
    bool HidesFoldersWhenLinked() const override;
    TPTShellTreeLink* LinkedTree() const noexcept { return tree_; }

    // State shared with the drag, key and rename handling. While a drag from the list runs (or
    // a label is edited) a refill or refresh only waits; ending the drag runs what waited, or a
    // refresh when something was dropped.
    bool Dragging() const noexcept { return dragging_; }
    void SetDragging(bool dragging, bool dropped = false);
    bool RefreshPending() const noexcept { return refillPending_ || refreshPending_; }
    // Runs the refill or refresh that waited, once neither a drag nor a label edit holds it.
    void RunPendingRefresh();
    // The next change notification is the list's own doing (a rename) and is dropped.
    bool IgnoreNextChange() const noexcept { return ignoreNextChange_; }
    void SetIgnoreNextChange(bool value) noexcept { ignoreNextChange_ = value; }

    // Drag-and-drop (ShellListDrag.cpp). The shell's drop target of an item, or of the folder
    // itself for item -1.
    virtual HRESULT GetDropTarget(int item, Microsoft::WRL::ComPtr<IDropTarget>& target);
    // The drop target registered for the window: none without ptsloOleDrop or a window.
    IDropTarget* DropTarget() const noexcept;
    // The effects a drag of the selection may offer: copy, move and link as every selected
    // item allows; none without a selection. Raises the platform's error when the folder
    // cannot say.
    DWORD SelectedAttributes() const;
    // A linked tree's drop into a folder: the list refreshes when it shows that folder.
    void ItemsDroppedInto(const ITEMIDLIST* folderAbsIdList) override;

    // The list view rows are the list's own; items come only from the folder.
    int AddItem(const std::wstring&, LPARAM) = delete;

    TPTShAddItemEvent OnAddItem;
    TPTShListDeleteItemEvent OnDeleteItem;
    TPTShPopupHintEvent OnPopupHint;
    TPTShDblClickOpenEvent OnDblClickOpen;
    TPTShLvCustomDrawEvent OnCustomDrawSh;
    TPTShLvCustomDrawEvent OnCustomDrawShEx;
    TPTShListNotifyEvent OnFillStart;
    TPTShListNotifyEvent OnFillComplete;
    TPTShListNotifyEvent OnFolderChanged;
    TPTShListChangeEvent OnChange;
    TPTShListColumnClickEvent OnColumnClick;
    // The trimmed text of a finished label edit, which the handler may change.
    std::function<void(TPTCustomShellList& aSender, int aItem, std::wstring& aText)> OnEdited;
    TPTShListImageIndexEvent OnGetImageIndex;

  protected:
    void PrepareCreate(CreateParams& params) override;
    void Created() override;
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool HandleNotify(NMHDR& header, LRESULT& result) override;
    void DoCustomDraw(TPTLvCustomDraw& customDraw) override;

    virtual void DoFillStart();
    virtual void DoFillComplete();
    virtual void DoFolderChanged();
    virtual void DoDeleteItem(int item, TPTShListData& data);
    // Options changed on a live window; the drag-and-drop part follows ptsloOleDrop here.
    virtual void OptionsChanged(TPTShellListOptions old);
    // A device broadcast: the computer's drive folder is refilled when media come and go.
    virtual void DeviceChanged(TPTDeviceChangeHandler& sender, const TDeviceChangeMessage& message);
    // Milliseconds, for the automatic scroll while a drag is over the list.
    virtual ULONGLONG DragTickCount() const;

    // Opening items that are not folders; the handler may take it over.
    virtual void DoDblClickOpen(bool& handled);

    // The keys and the context menus of ShellListKeys.cpp and ShellListCommands.cpp.
    void KeyDown(WORD& key, Shortcut modifiers) override;
    bool WantsReturnKey() const override;
    void ShowContextMenu(POINT client) override;
    void ItemContextMenu(int item, POINT& pos, ui::Menu*& menu) override;

  private:
    friend class TPTShListData;
    class DragDrop;
    // Held while the list follows its folder.
    class UpdateLock {
      public:
        explicit UpdateLock(TPTCustomShellList& list) : list_(list) { ++list_.updateLock_; }
        ~UpdateLock() { --list_.updateLock_; }
        UpdateLock(const UpdateLock&) = delete;
        UpdateLock& operator=(const UpdateLock&) = delete;

      private:
        TPTCustomShellList& list_;
    };
    // Redrawing is off for the scope (brackets nest).
    class ItemsUpdate {
      public:
        explicit ItemsUpdate(TPTCustomShellList& list) : list_(list) { list_.BeginItemsUpdate(); }
        ~ItemsUpdate() { list_.EndItemsUpdate(); }
        ItemsUpdate(const ItemsUpdate&) = delete;
        ItemsUpdate& operator=(const ItemsUpdate&) = delete;

      private:
        TPTCustomShellList& list_;
    };

    // ShellList.cpp
    void FolderLocationChanged();
    // Moves a linked tree to Folder and refills, again while Folder moved meanwhile.
    void FollowFolder();
    void BeginItemsUpdate();
    void EndItemsUpdate();
    void ApplyStyles();
    void DisplayInfo(NMLVDISPINFOW& info);
    int FindItem(const NMLVFINDITEMW& find);
    void ItemStateChanged(int item);
    void WindowDestroying();
    void DeleteAllShellItems();
    bool AcceptanceChangesWithTree(TPTShellTreeLink* tree) const;
    // ShellListFill.cpp
    using DataList = std::vector<std::unique_ptr<TPTShListData>>;
    using PidlList = std::vector<UniquePidl>;
    // Answers false for an item the caller is done with as soon as it is fetched.
    using PidlFilter = std::function<bool(const ITEMIDLIST* relIdList)>;
    // The folder's items (those keep wants), all fetched before any is tested; complete is
    // cleared when the folder could not be read to its end (then nothing is returned).
    PidlList EnumerateFolder(bool* complete = nullptr, const PidlFilter& keep = {});
    // The data of the items the list accepts, each with its attributes; an item that fails is
    // skipped and counted.
    DataList AcceptedOf(PidlList candidates);
    void AppendItems(DataList accepted);
    SHCONTF EnumerationFlags() const;
    void ReportSkippedItems();
    void FocusFirstItem();
    // ShellListRefresh.cpp
    void StartWatching();
    void ChangeNotified();
    void RefreshTimerFired();
    // The folder's items that are not among the list's unchanged ones; kept marks the list's
    // items that came back with the same bytes.
    PidlList ChangedItems(std::vector<bool>& kept, bool& complete);
    // Merges the items that did not come back unchanged (kept marks those that did).
    void MergeItems(PidlList changed, std::vector<bool> kept);
    void RemoveItems(const std::vector<bool>& kept);
    // ShellListCommands.cpp
    bool Watching() const;
    bool OnNetwork() const;
    // Runs a command on the folder that answers whether it may have changed it; then (and after
    // a failure) the list refreshes when it does not watch, and tells the other controls.
    void RunAndRefresh(const std::function<bool()>& command, std::vector<UniquePidl> changed);
    void ShowItemsContextMenu(POINT client);
    void ShowFolderContextMenu(POINT client);
    UINT TrackShellContextMenu(const ShellContextMenu& menu, POINT client);
    // ShellListKeys.cpp
    bool HandleCommandMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool HandleCommandNotify(NMHDR& header, LRESULT& result);
    bool KeyPressed(wchar_t key);
    bool BeginLabelEdit(int item);
    bool EndLabelEdit(int item, const wchar_t* text);
    void MouseWheel(WPARAM wParam, LPARAM lParam);

    // ShellListSort.cpp
    void ColumnClicked(int column);
    void ApplySortMark();
    // ShellListColumns.cpp
    void RebuildColumns(IShellDetails* provider);
    void BuildProviderColumns(IShellDetails* provider);
    void BuildStandardColumns();
    void RestoreColumnWidths();
    int DetailColumnCount();

    TPTShellListOptions options_ = kDefaultShellListOptions;
    TPTShellLocator folder_;
    std::wstring fileFilter_;
    std::vector<std::wstring> masks_;
    // The upper-cased names the masks found in the folder for one fill; none without a filter.
    std::unique_ptr<std::vector<std::wstring>> nameSet_;
    bool multiSelect_ = false;
    bool rowSelect_ = false;
    bool hideSelection_ = false;
    DWORD viewStyle_ = LV_VIEW_DETAILS;

    Microsoft::WRL::ComPtr<IShellFolder> shellFolder_;
    UniquePidl folderIdList_;
    Microsoft::WRL::ComPtr<IShellDetails> provider_;
    bool providerLookedUp_ = false;
    TPTShellColumnMode columnMode_ = TPTShellColumnMode::None;
    bool rememberWidths_ = false;

    // The items in display order.
    std::vector<std::unique_ptr<TPTShListData>> items_;
    int sortValue_ = kDefaultSortValue;
    bool sortSetDuringClick_ = false;

    TPTShellTreeLink* tree_ = nullptr;
    bool followingTree_ = false;
    // Held while the list follows its folder: a change of Folder meanwhile is followed after.
    int updateLock_ = 0;
    bool folderChangePending_ = false;
    // Redrawing is off while above zero.
    int itemsUpdate_ = 0;

    ui::Timer refreshTimer_;
    std::unique_ptr<TChangeHandlerThread> watcher_;
    TDeviceChangeSubscription deviceSubscription_;
    ui::ImageList smallImages_;
    ui::ImageList largeImages_;

    bool dragging_ = false;
    bool refillPending_ = false;
    bool refreshPending_ = false;
    bool ignoreNextChange_ = false;
    bool destroying_ = false;
    // Item state changes made by the list itself (restoring the selection after a sort) are
    // reported once, at the end.
    bool quietStates_ = false;
    // Items that could not be added during the current fill or refresh.
    int skippedItems_ = 0;
    bool readOnly_ = false;
    int wheelRemainder_ = 0;
    // Last, so that the drop target goes first.
    std::unique_ptr<DragDrop> dragDrop_;
};

// The shell list as it is placed on forms.
class TPTShellList : public TPTCustomShellList {
  public:
    TPTShellList() = default;
};

}  // namespace shellctl
