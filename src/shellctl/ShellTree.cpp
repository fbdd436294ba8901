// The shell tree's life, its nodes and their filling, icons and order.
#include "shellctl/ShellTree.h"

#include <algorithm>
#include <climits>
#include <cwchar>
#include <cwctype>
#include <numeric>
#include <unordered_map>
#include <vector>

#include "base/Strings.h"
#include "shell/ShellCommands.h"
#include "shell/ShellMessages.h"
#include "shellctl/ShellTreeDrag.h"
#include "shellctl/ShellTreeScopes.h"
#include "shellctl/TolerantSort.h"
#include "ui/Cursor.h"

using Microsoft::WRL::ComPtr;

namespace shellctl {
namespace {

// What a new node is asked for: subfolders, file system, folder, file-system ancestor,
// removable, shared, link, and whether it is drawn dimmed. The dimmed bit moved: the early
// shell's ghosted bit is today's hidden one, so both are asked for.
constexpr SFGAOF kDimmed = SFGAO_GHOSTED | SFGAO_HIDDEN;
constexpr SFGAOF kAddItemQuery = SFGAO_HASSUBFOLDER | SFGAO_FILESYSTEM | SFGAO_FOLDER |
                                 SFGAO_FILESYSANCESTOR | SFGAO_REMOVABLE | SFGAO_SHARE |
                                 SFGAO_LINK | kDimmed;

// The overlays the shell installs in the system image list.
constexpr UINT kShareOverlay = 1;
constexpr UINT kLinkOverlay = 2;

// A folder's order of two items: the low word of CompareIDs as a signed number; a failure is
// no order at all.
int CompareItems(IShellFolder* folder, const ITEMIDLIST* a, const ITEMIDLIST* b) {
    const HRESULT hr = folder->CompareIDs(0, a, b);
    return FAILED(hr) ? 0 : static_cast<short>(HRESULT_CODE(hr));
}

// The positions of items in the folder's order. A guess by name comes first, which the folder's
// own comparison then only has to confirm where it was right: thousands of items cost a few
// thousand comparisons instead of a full sort's.
// The names are those of the nodes to come: each is read once.
std::vector<std::size_t> FolderOrder(IShellFolder* folder, const std::vector<UniquePidl>& items,
                                     std::vector<std::wstring>& names) {
    names.reserve(items.size());
    for (const UniquePidl& item : items)
        names.push_back(GetDisplayName(folder, item.Get(), dnInFolder));
    // The guess compares keys made once: a case-blind comparison per pair costs more than the
    // folder's own confirmation does.
    std::vector<std::wstring> keys(names);
    for (std::wstring& key : keys)
        for (wchar_t& c : key) c = std::towlower(c);
    std::vector<std::size_t> order(items.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
    TolerantStableSort(order, [&](std::size_t a, std::size_t b) {
        return CompareItems(folder, items[a].Get(), items[b].Get());
    });
    return order;
}

int CALLBACK CompareRanks(LPARAM a, LPARAM b, LPARAM ranks) {
    const auto& rank = *reinterpret_cast<const std::unordered_map<LPARAM, int>*>(ranks);
    // A node the caller did not know of goes last.
    const auto ra = rank.find(a);
    const auto rb = rank.find(b);
    const int first = ra != rank.end() ? ra->second : INT_MAX;
    const int second = rb != rank.end() ? rb->second : INT_MAX;
    return first < second ? -1 : first > second ? 1 : 0;
}

}  // namespace

TPTCustomShellTree::TPTCustomShellTree()
    : images_(ui::ImageList::Borrowed(GetSystemImageList(silSmall))),
      deviceSubscription_(DeviceChangeMethod<&TPTCustomShellTree::DeviceChanged>(this)),
      dragDrop_(std::make_unique<DragDrop>(*this)) {
    baseFolder_.OnChange = [this](TPTShellLocator&) { BaseFolderChanged(); };
    currentFolder_.OnChange = [this](TPTShellLocator&) { CurrentFolderChanged(); };
    syncTimer_.OnTimer = [this](ui::Timer&) { SyncTimerFired(); };
}

TPTCustomShellTree::~TPTCustomShellTree() {
    syncTimer_.SetEnabled(false);
    if (shellList_ != nullptr) std::exchange(shellList_, nullptr)->SetLinkedTree(nullptr);
    if (Handle() != nullptr) {
        destroying_ = true;
        DeleteAllNodes();
    }
    FreeAllData();
    watcher_.reset();
}

void TPTCustomShellTree::PrepareCreate(CreateParams& params) {
    TPTCustomTreeView::PrepareCreate(params);
    if (!showRoot_) params.style &= ~DWORD(TVS_LINESATROOT);
    if (!hideSelection_) params.style |= TVS_SHOWSELALWAYS;
    if (!readOnly_) params.style |= TVS_EDITLABELS;
    if (!options_.Contains(ptstoOleDrag)) params.style |= TVS_DISABLEDRAGDROP;
}

void TPTCustomShellTree::Created() {
    treeProc_ = reinterpret_cast<WNDPROC>(GetClassLongPtrW(Handle(), GCLP_WNDPROC));
    TPTCustomTreeView::Created();
    Tree(TVM_SETIMAGELIST, TVSIL_NORMAL, LPARAM(images_.Handle()));
    dragDrop_->FollowOptions();
    if (indent_ > 0) Tree(TVM_SETINDENT, WPARAM(indent_));
    if (options_.Contains(ptstoAutoFill) && RootNode() == nullptr) Post(shell::kMsgDeferredFill);
    if (shellList_ != nullptr) shellList_->TreeSelectionChanged(currentFolder_.Pidl());
}

void TPTCustomShellTree::SetOptions(TPTShellTreeOptions options) {
    const TPTShellTreeOptions old = options_;
    options_ = options;
    if (Handle() == nullptr) return;
    SetStyleBits(Handle(), TVS_DISABLEDRAGDROP, !options.Contains(ptstoOleDrag));
    dragDrop_->FollowOptions();
    if (old.Contains(ptstoDynamicRefresh) != options.Contains(ptstoDynamicRefresh)) {
        if (options.Contains(ptstoDynamicRefresh))
            StartWatching();
        else
            StopWatching();
    }
}

void TPTCustomShellTree::SetHideSelection(bool hide) {
    hideSelection_ = hide;
    if (Handle() != nullptr) SetStyleBits(Handle(), TVS_SHOWSELALWAYS, !hide);
}

void TPTCustomShellTree::SetIndent(int pixels) {
    indent_ = pixels;
    if (Handle() != nullptr) Tree(TVM_SETINDENT, WPARAM(pixels));
}

void TPTCustomShellTree::SetShowRoot(bool show) {
    showRoot_ = show;
    if (Handle() != nullptr) SetStyleBits(Handle(), TVS_LINESATROOT, show);
}

bool TPTCustomShellTree::ReadOnly() const { return readOnly_; }

void TPTCustomShellTree::SetReadOnly(bool readOnly) {
    readOnly_ = readOnly;
    if (Handle() != nullptr) SetStyleBits(Handle(), TVS_EDITLABELS, !readOnly);
}

LRESULT TPTCustomShellTree::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case shell::kMsgChangeNotify:
            ChangeNotified();
            return 0;
        case shell::kMsgDeferredFill:
            if (RootNode() == nullptr) Refill();
            return 0;
        case WM_PAINT: {
            LRESULT result = 0;
            PaintWithListColors(msg, wParam, lParam, result);
            return result;
        }
        case WM_MOUSEWHEEL:
            if (MouseWheel(wParam, lParam)) return 0;
            break;
        case TVM_DELETEITEM:
            // Clearing the whole tree does not move the list, whoever asks for it.
            if (lParam == 0 || HTREEITEM(lParam) == TVI_ROOT) {
                UpdateLockScope lock(*this);
                return TPTCustomTreeView::HandleMessage(msg, wParam, lParam);
            }
            break;
        case WM_WINDOWPOSCHANGED:
            if (destroying_) return 0;
            break;
        case WM_DESTROY: {
            destroying_ = true;
            syncTimer_.SetEnabled(false);
            dragDrop_->Revoke();
            DeleteAllNodes();
            FreeAllData();
            watcher_.reset();
            break;
        }
    }
    return TPTCustomTreeView::HandleMessage(msg, wParam, lParam);
}

bool TPTCustomShellTree::HandleNotify(NMHDR& header, LRESULT& result) {
    switch (header.code) {
        case TVN_SELCHANGEDW:
        case TVN_SELCHANGEDA:
            SelectionChanged(reinterpret_cast<NMTREEVIEWW&>(header).itemNew.hItem);
            return true;
        case TVN_ITEMEXPANDINGW:
        case TVN_ITEMEXPANDINGA: {
            const auto& view = reinterpret_cast<NMTREEVIEWW&>(header);
            result = (view.action & TVE_EXPAND) != 0 && !Expanding(view.itemNew.hItem);
            return true;
        }
        case TVN_DELETEITEMW:
        case TVN_DELETEITEMA: {
            const auto& view = reinterpret_cast<NMTREEVIEWW&>(header);
            NodeDeleted(view.itemOld.hItem, view.itemOld.lParam);
            return true;
        }
        case TVN_BEGINLABELEDITW:
        case TVN_BEGINLABELEDITA:
            result = !BeginLabelEdit(reinterpret_cast<NMTVDISPINFOW&>(header).item.hItem);
            return true;
        case TVN_ENDLABELEDITW: {
            const TVITEMW& item = reinterpret_cast<NMTVDISPINFOW&>(header).item;
            result = EndLabelEdit(item.hItem, item.pszText);
            return true;
        }
        case TVN_ENDLABELEDITA: {
            const TVITEMA& item = reinterpret_cast<NMTVDISPINFOA&>(header).item;
            const std::wstring text =
                item.pszText != nullptr ? base::AnsiToWide(item.pszText) : std::wstring();
            result = EndLabelEdit(item.hItem, item.pszText != nullptr ? text.c_str() : nullptr);
            return true;
        }
        case TVN_BEGINDRAGW:
        case TVN_BEGINDRAGA:
        case TVN_BEGINRDRAGW:
        case TVN_BEGINRDRAGA:
            if (options_.Contains(ptstoOleDrag)) {
                const auto& view = reinterpret_cast<NMTREEVIEWW&>(header);
                const bool right = header.code == TVN_BEGINRDRAGW || header.code == TVN_BEGINRDRAGA;
                if (view.itemNew.hItem != RootNode() && BeginShellDrag(view.itemNew.hItem, right))
                    return true;
            }
            break;
        case NM_CLICK:
            syncNow_ = true;
            return false;
        case TVN_GETDISPINFOW:
        case TVN_GETDISPINFOA: {
            const bool handled = TPTCustomTreeView::HandleNotify(header, result);
            // Each index is worked out once; the control keeps it from then on.
            reinterpret_cast<NMTVDISPINFOW&>(header).item.mask |= TVIF_DI_SETITEM;
            return handled;
        }
    }
    return TPTCustomTreeView::HandleNotify(header, result);
}

void TPTCustomShellTree::PaintWithListColors(UINT msg, WPARAM wParam, LPARAM lParam,
                                             LRESULT& result) {
    // The system image list is shared with every other user; it gets its colour back on every
    // path out.
    const COLORREF color = ui::ColorToRgb(Color());
    const HIMAGELIST normal = images_.Handle();
    const auto state = reinterpret_cast<HIMAGELIST>(Tree(TVM_GETIMAGELIST, TVSIL_STATE));
    const COLORREF oldNormal = normal != nullptr ? ImageList_SetBkColor(normal, color) : CLR_NONE;
    const COLORREF oldState = state != nullptr ? ImageList_SetBkColor(state, color) : CLR_NONE;
    Finally restore([&] {
        if (normal != nullptr) ImageList_SetBkColor(normal, oldNormal);
        if (state != nullptr) ImageList_SetBkColor(state, oldState);
    });
    result = TPTCustomTreeView::HandleMessage(msg, wParam, lParam);
}

LRESULT TPTCustomShellTree::Tree(UINT msg, WPARAM wParam, LPARAM lParam) const {
    if (Handle() == nullptr) return 0;
    if (treeProc_ == nullptr) return Send(msg, wParam, lParam);
    return CallWindowProcW(treeProc_, Handle(), msg, wParam, lParam);
}

LPARAM TPTCustomShellTree::ItemData(HTREEITEM node) const {
    TVITEMW item{};
    item.mask = TVIF_PARAM | TVIF_HANDLE;
    item.hItem = node;
    return Tree(TVM_GETITEMW, 0, LPARAM(&item)) ? item.lParam : 0;
}

TPTShTreeData* TPTCustomShellTree::ShellDataOf(HTREEITEM node) const {
    if (node == nullptr) return nullptr;
    auto* data = reinterpret_cast<TPTShTreeData*>(ItemData(node));
    return data != nullptr && data_.contains(data) ? data : nullptr;
}

HTREEITEM TPTCustomShellTree::RootNode() const {
    for (HTREEITEM node = FirstChild(TVI_ROOT); node != nullptr; node = NextSibling(node))
        if (ShellDataOf(node) != nullptr) return node;
    return nullptr;
}

HTREEITEM TPTCustomShellTree::FirstChild(HTREEITEM node) const {
    if (Handle() == nullptr) return nullptr;
    const WPARAM which = node == TVI_ROOT ? TVGN_ROOT : TVGN_CHILD;
    return reinterpret_cast<HTREEITEM>(
        Tree(TVM_GETNEXTITEM, which, node == TVI_ROOT ? 0 : LPARAM(node)));
}

HTREEITEM TPTCustomShellTree::NextSibling(HTREEITEM node) const {
    return reinterpret_cast<HTREEITEM>(Tree(TVM_GETNEXTITEM, TVGN_NEXT, LPARAM(node)));
}

HTREEITEM TPTCustomShellTree::ParentNode(HTREEITEM node) const {
    return reinterpret_cast<HTREEITEM>(Tree(TVM_GETNEXTITEM, TVGN_PARENT, LPARAM(node)));
}

std::wstring TPTCustomShellTree::NodeText(HTREEITEM node) const {
    wchar_t text[MAX_PATH + 1] = {};
    TVITEMW item{};
    item.mask = TVIF_TEXT | TVIF_HANDLE;
    item.hItem = node;
    item.pszText = text;
    item.cchTextMax = MAX_PATH + 1;
    return Tree(TVM_GETITEMW, 0, LPARAM(&item)) ? std::wstring(text) : std::wstring();
}

bool TPTCustomShellTree::HasChildrenMark(HTREEITEM node) const {
    TVITEMW item{};
    item.mask = TVIF_CHILDREN | TVIF_HANDLE;
    item.hItem = node;
    return Tree(TVM_GETITEMW, 0, LPARAM(&item)) && item.cChildren != 0;
}

bool TPTCustomShellTree::IsExpanded(HTREEITEM node) const {
    return (Tree(TVM_GETITEMSTATE, WPARAM(node), TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

void TPTCustomShellTree::Expand(HTREEITEM node) {
    if (node != nullptr) Tree(TVM_EXPAND, TVE_EXPAND, LPARAM(node));
}

void TPTCustomShellTree::SetHasChildren(HTREEITEM node, bool hasChildren) {
    TVITEMW item{};
    item.mask = TVIF_CHILDREN | TVIF_HANDLE;
    item.hItem = node;
    item.cChildren = hasChildren ? 1 : 0;
    Tree(TVM_SETITEMW, 0, LPARAM(&item));
}

SHCONTF TPTCustomShellTree::EnumFlags() const {
    SHCONTF flags = SHCONTF_FOLDERS;
    if (options_.Contains(ptstoShowHidden)) flags |= SHCONTF_INCLUDEHIDDEN;
    if (options_.Contains(ptstoIncludeNonFolders)) flags |= SHCONTF_NONFOLDERS;
    return flags;
}

HTREEITEM TPTCustomShellTree::InsertNode(HTREEITEM parent, const std::wstring& text,
                                         TPTShTreeData* data, bool hasChildren, UINT state) {
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    TVITEMW& item = insert.item;
    item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    item.lParam = LPARAM(data);
    item.iImage = I_IMAGECALLBACK;
    item.iSelectedImage = I_IMAGECALLBACK;
    item.cChildren = hasChildren ? 1 : 0;
    if (state != 0) {
        item.mask |= TVIF_STATE;
        item.state = state;
        item.stateMask = TVIS_OVERLAYMASK | TVIS_CUT;
    }
    return reinterpret_cast<HTREEITEM>(Tree(TVM_INSERTITEMW, 0, LPARAM(&insert)));
}

HTREEITEM TPTCustomShellTree::CreateRootNode(IShellFolder* folder) {
    UniquePidl base =
        baseFolder_.Pidl() != nullptr ? UniquePidl::CopyOf(baseFolder_.Pidl()) : UniquePidl();
    auto data = std::make_unique<TPTShTreeData>(*this, nullptr, std::move(base), SFGAO_FOLDER);
    data->shellFolder_ = folder;
    const ITEMIDLIST* abs = data->GetAbsIdList();
    IShellFolder* parent = data->GetParentFolder();
    const std::wstring text = parent != nullptr && !IsEmptyPidl(abs)
                                  ? GetDisplayName(parent, data->GetItemIdList(), dnInFolder)
                                  : GetDisplayName(folder, EmptyPidl(), dnInFolder);
    HTREEITEM node = InsertNode(TVI_ROOT, text, data.get(), true, 0);
    if (node == nullptr) return nullptr;
    NodeInserted(node, data.get());
    data_.insert(data.release());
    return node;
}

HTREEITEM TPTCustomShellTree::AddItem(IShellFolder* parentFolder, const ITEMIDLIST* parentAbsIdList,
                                      const ITEMIDLIST* itemRelIdList, HTREEITEM parentNode) {
    const std::wstring* knownName = std::exchange(knownName_, nullptr);
    if (itemRelIdList == nullptr || parentFolder == nullptr) return nullptr;
    SFGAOF attributes = kAddItemQuery;
    if (FAILED(parentFolder->GetAttributesOf(1, &itemRelIdList, &attributes))) return nullptr;
    const bool candidate = options_.Contains(ptstoVirtualFolders) ||
                           (attributes & (SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR)) != 0;
    if (!candidate) return nullptr;
    if (OnAddItem) {
        BOOL allow = TRUE;
        OnAddItem(*this, parentFolder, parentAbsIdList, itemRelIdList, ULONG(attributes), allow);
        if (!allow) return nullptr;
    }
    const std::wstring text =
        knownName != nullptr ? *knownName : GetDisplayName(parentFolder, itemRelIdList, dnInFolder);
    const bool folder = (attributes & SFGAO_FOLDER) != 0;
    const bool subfolders = (attributes & SFGAO_HASSUBFOLDER) != 0;
    const bool hasChildren =
        options_.Contains(ptstoIncludeNonFolders) ? folder || subfolders : folder && subfolders;
    UINT state = 0;
    if (attributes & SFGAO_SHARE)
        state |= INDEXTOOVERLAYMASK(kShareOverlay);
    else if (attributes & SFGAO_LINK)
        state |= INDEXTOOVERLAYMASK(kLinkOverlay);
    if (attributes & kDimmed) state |= TVIS_CUT;
    auto data = std::make_unique<TPTShTreeData>(*this, ShellDataOf(parentNode),
                                                UniquePidl::CopyOf(itemRelIdList), attributes);
    HTREEITEM node = InsertNode(parentNode, text, data.get(), hasChildren, state);
    if (node == nullptr) return nullptr;
    NodeInserted(node, data.get());
    data_.insert(data.release());
    return node;
}

void TPTCustomShellTree::FillNode(IShellFolder* folder, HTREEITEM node) {
    DoFillStart();
    Finally complete([this] { DoFillComplete(); });
    if (node == nullptr && (node = CreateRootNode(folder)) == nullptr) return;
    TPTShTreeData* data = ShellDataOf(node);
    if (data == nullptr || folder == nullptr) return;
    const ITEMIDLIST* abs = data->GetAbsIdList();
    ComPtr<IEnumIDList> items;
    HRESULT hr = folder->EnumObjects(ShellWindow(Handle()), EnumFlags(), &items);
    if (FAILED(hr)) {
        SetHasChildren(node, true);  // tried again at the next expansion
        return;
    }
    // The items are put in order before they become nodes: the control need not reorder them.
    std::vector<UniquePidl> fetched;
    if (items) {
        ITEMIDLIST* raw = nullptr;
        ULONG count = 0;
        while ((hr = items->Next(1, &raw, &count)) == S_OK && count == 1) fetched.emplace_back(raw);
    }
    std::vector<std::wstring> names;
    Finally forget([this] { knownName_ = nullptr; });
    for (std::size_t index : FolderOrder(folder, fetched, names)) {
        knownName_ = &names[index];
        AddItem(folder, abs, fetched[index].Get(), node);
    }
    if (FirstChild(node) == nullptr) SetHasChildren(node, false);
    if (data->IsRoot()) Expand(node);
    // The generic failure ends a fill quietly, with what was read so far.
    if (FAILED(hr) && hr != E_FAIL) RaisePlatformError(hr);
}

void TPTCustomShellTree::SortChildren(HTREEITEM node, IShellFolder* folder,
                                      std::vector<NodeEntry> children) {
    if (children.size() < 2 || folder == nullptr) return;
    TolerantStableSort(children, [folder](const NodeEntry& a, const NodeEntry& b) {
        return a.data != nullptr && b.data != nullptr
                   ? CompareItems(folder, a.data->RelIdList(), b.data->RelIdList())
                   : 0;
    });
    // The control sorts by ranks worked out once, a consistent order whatever the folder said.
    std::unordered_map<LPARAM, int> ranks;
    for (std::size_t i = 0; i < children.size(); ++i)
        ranks.emplace(LPARAM(children[i].data), int(i));
    TVSORTCB sort{};
    sort.hParent = node;
    sort.lpfnCompare = CompareRanks;
    sort.lParam = LPARAM(&ranks);
    Tree(TVM_SORTCHILDRENCB, 0, LPARAM(&sort));
}

void TPTCustomShellTree::NodeInserted(HTREEITEM node, TPTShTreeData* data) {
    lastInserted_ = node;
    lastInsertedData_ = data;
    if (OnInsertItem) OnInsertItem(*this, node);
}

void TPTCustomShellTree::NodeDeleted(HTREEITEM node, LPARAM value) {
    if (node == lastInserted_) {
        lastInserted_ = nullptr;
        lastInsertedData_ = nullptr;
    }
    auto* data = reinterpret_cast<TPTShTreeData*>(value);
    if (data == nullptr || !data_.contains(data)) return;
    std::unique_ptr<TPTShTreeData> owned(data);
    data_.erase(data);
    if (OnDeleteItem) OnDeleteItem(*this, node, *data);
}

void TPTCustomShellTree::DeleteAllNodes() {
    if (Handle() == nullptr) return;
    UpdateLockScope lock(*this);
    Select(nullptr);
    Tree(TVM_DELETEITEM, 0, LPARAM(TVI_ROOT));
    lastInserted_ = nullptr;
    lastInsertedData_ = nullptr;
}

void TPTCustomShellTree::FreeAllData() noexcept {
    // Data whose deletion notice never came (the parent window was gone already).
    for (TPTShTreeData* data : data_) delete data;
    data_.clear();
    lastInserted_ = nullptr;
    lastInsertedData_ = nullptr;
}

bool TPTCustomShellTree::Expanding(HTREEITEM node) {
    TPTShTreeData* data = ShellDataOf(node);
    if (data == nullptr || FirstChild(node) != nullptr || !HasChildrenMark(node)) return true;
    ui::CursorGuard hourglass;
    IShellFolder* folder = data->GetShellFolder();
    if (folder == nullptr) return false;
    FillNode(folder, node);
    return FirstChild(node) != nullptr;
}

int TPTCustomShellTree::GetImageIndex(HTREEITEM node) {
    if (TPTShTreeData* data = ShellDataOf(node))
        return GetIconIndex(data->GetAbsIdList(), SHGFI_SMALLICON);
    return TPTCustomTreeView::GetImageIndex(node);
}

int TPTCustomShellTree::GetSelectedIndex(HTREEITEM node) {
    if (TPTShTreeData* data = ShellDataOf(node))
        return GetIconIndex(data->GetAbsIdList(), SHGFI_SMALLICON | SHGFI_OPENICON);
    return TPTCustomTreeView::GetSelectedIndex(node);
}

void TPTCustomShellTree::DoCustomDraw(TPTTvCustomDraw& customDraw) {
    if (!OnCustomDrawSh && !OnCustomDrawShEx) return;
    HTREEITEM node = customDraw.Stage() >= 4 ? customDraw.Node() : nullptr;
    TPTShTreeData* data = ShellDataOf(node);
    if (OnCustomDrawShEx) OnCustomDrawShEx(*this, customDraw, node, data);
    if (OnCustomDrawSh && customDraw.Stage() == 4) OnCustomDrawSh(*this, customDraw, node, data);
}

void TPTCustomShellTree::DoFillStart() {
    if (OnFillStart) OnFillStart(*this);
}

void TPTCustomShellTree::DoFillComplete() {
    if (OnFillComplete) OnFillComplete(*this);
}

void TPTCustomShellTree::DoChange(HTREEITEM node) {
    if (OnChange) OnChange(*this, node);
}

HRESULT TPTCustomShellTree::BindFolder(const ITEMIDLIST* absIdList, ComPtr<IShellFolder>& folder) {
    return BindToFolder(absIdList, folder);
}

}  // namespace shellctl
