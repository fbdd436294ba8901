#include "app/ShellListItems.h"

#include "shellctl/ShellList.h"

int ShellListItems::Count() const { return list_.ShellItemCount(); }

bool ShellListItems::Selected(int index) const { return list_.Selected(index); }

void ShellListItems::SetSelected(int index, bool selected) { list_.SetSelected(index, selected); }

std::wstring ShellListItems::Path(int index) const { return list_.ShellDataAt(index).GetPath(); }

int ShellListItems::SelectedCount() const {
    return list_.Handle() != nullptr ? list_.SelectedCount() : 0;
}

std::vector<int> ShellListItems::SelectedIndexes() const { return list_.SelectedItems(); }

void ShellListItems::SetAllSelected(bool selected) {
    if (selected) {
        list_.SelectAllItems();
    } else {
        list_.ClearSelection();
    }
}
