// The items of the "Select files" list as the shell list will give them, for the main window's
// tests.
#pragma once

#include <string>
#include <vector>

#include "app/FileListItems.h"

class FakeFileListItems : public TFileListItems {
  public:
    // None selected unless told otherwise.
    explicit FakeFileListItems(std::vector<std::wstring> paths, std::vector<bool> selected = {})
        : paths_(std::move(paths)), selected_(std::move(selected)) {
        selected_.resize(paths_.size(), false);
    }
    int Count() const override { return int(paths_.size()); }
    bool Selected(int i) const override { return selected_[size_t(i)]; }
    void SetSelected(int i, bool on) override { selected_[size_t(i)] = on; }
    std::wstring Path(int i) const override { return paths_[size_t(i)]; }

  private:
    std::vector<std::wstring> paths_;
    std::vector<bool> selected_;
};
