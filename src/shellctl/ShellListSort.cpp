// Sorting the shell list by a column, in the folder's own order, with the header's sort mark.
#include <climits>
#include <cstdlib>
#include <unordered_set>

#include "shellctl/ShellList.h"
#include "shellctl/TolerantSort.h"

namespace shellctl {

bool TPTCustomShellList::SetSortColumn(int value) {
    if (value == 0 || value == INT_MIN || std::abs(value) > std::max(ColumnCount(), 1))
        return false;
    TPTCustomListView::SetSortColumn(std::abs(value) - 1);
    SetSortDirection(value >= 0 ? 1 : 0);
    sortSetDuringClick_ = true;
    if (value != sortValue_) {
        sortValue_ = value;
        SortItems();
    }
    return true;
}

void TPTCustomShellList::ApplySortMark() {
    if (std::abs(sortValue_) > ColumnCount()) sortValue_ = kDefaultSortValue;
    TPTCustomListView::SetSortColumn(std::abs(sortValue_) - 1);
    SetSortDirection(sortValue_ >= 0 ? 1 : 0);
}

void TPTCustomShellList::ColumnClicked(int column) {
    sortSetDuringClick_ = false;
    if (OnColumnClick) OnColumnClick(*this, column);
    if (sortSetDuringClick_) return;
    // The ascending sort column turns descending; any other column sorts ascending.
    SetSortColumn(column + 1 == sortValue_ ? -(column + 1) : column + 1);
}

void TPTCustomShellList::SortItems() {
    if (items_.size() < 2 || !shellFolder_) return;
    IShellFolder* folder = shellFolder_.Get();
    const LPARAM column = std::abs(sortValue_) - 1;
    const bool descending = sortValue_ < 0;
    const auto compare = [&](const std::unique_ptr<TPTShListData>& a,
                             const std::unique_ptr<TPTShListData>& b) {
        const HRESULT hr = folder->CompareIDs(column, a->RelIdList(), b->RelIdList());
        if (FAILED(hr)) return 0;
        const int order = short(HRESULT_CODE(hr));
        return descending ? -order : order;
    };

    // The control keeps the selection by position; the list carries it to the new positions.
    const bool live = Handle() != nullptr;
    std::unordered_set<const TPTShListData*> selected;
    const TPTShListData* focused = nullptr;
    if (live) {
        for (int item : SelectedItems()) selected.insert(items_[std::size_t(item)].get());
        focused = ShellDataOf(FocusedItem());
    }
    TolerantStableSort(items_, compare);
    if (!live) return;
    if (!selected.empty() || focused != nullptr) {
        quietStates_ = true;
        struct Loud {
            bool& quiet;
            ~Loud() { quiet = false; }
        } loud{quietStates_};
        if (selected.size() < items_.size()) {
            ClearSelection();
            for (std::size_t i = 0; i < items_.size(); ++i)
                if (selected.count(items_[i].get()) != 0) SetSelected(int(i), true);
        }
        for (std::size_t i = 0; focused != nullptr && i < items_.size(); ++i) {
            if (items_[i].get() != focused) continue;
            SetItemState(int(i), LVIS_FOCUSED, LVIS_FOCUSED);
            Send(LVM_SETSELECTIONMARK, 0, LPARAM(i));
            break;
        }
    }
    Invalidate();
    if (!selected.empty()) ItemStateChanged(-1);
}

}  // namespace shellctl
