// The items of the "Select files" file list as the run sees them: in display order, each with its
// selected state and file-system path. The main window's shell list provides them (ShellListItems).
#pragma once

#include <string>
#include <vector>

class TFileListItems {
  public:
    virtual ~TFileListItems() = default;
    virtual int Count() const = 0;
    virtual bool Selected(int index) const = 0;
    virtual void SetSelected(int index, bool selected) = 0;
    // The item's full file-system path, or an empty string when it has none.
    virtual std::wstring Path(int index) const = 0;

    virtual int SelectedCount() const {
        int count = 0;
        for (int i = 0; i < Count(); ++i) count += Selected(i) ? 1 : 0;
        return count;
    }
    // The positions of the selected items, in display order.
    virtual std::vector<int> SelectedIndexes() const {
        std::vector<int> selected;
        for (int i = 0; i < Count(); ++i)
            if (Selected(i)) selected.push_back(i);
        return selected;
    }
    // The paths of the selected items, in display order (empty for an item without one).
    virtual std::vector<std::wstring> SelectedPaths() const {
        std::vector<std::wstring> paths;
        for (int index : SelectedIndexes()) paths.push_back(Path(index));
        return paths;
    }
    virtual void SetAllSelected(bool selected) {
        for (int i = 0; i < Count(); ++i) SetSelected(i, selected);
    }
};
