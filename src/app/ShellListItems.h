// The items of a shell list as the run sees them.
#pragma once

#include "app/FileListItems.h"

namespace shellctl {
class TPTCustomShellList;
}

class ShellListItems final : public TFileListItems {
  public:
    explicit ShellListItems(shellctl::TPTCustomShellList& list) noexcept : list_(list) {}

    int Count() const override;
    bool Selected(int index) const override;
    void SetSelected(int index, bool selected) override;
    // The path of the item's data (ShellDataAt: a position out of range is an error).
    std::wstring Path(int index) const override;
    int SelectedCount() const override;
    std::vector<int> SelectedIndexes() const override;
    std::vector<std::wstring> SelectedPaths() const override;
    void SetAllSelected(bool selected) override;

  private:
    shellctl::TPTCustomShellList& list_;
};
