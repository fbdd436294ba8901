// The folders a search visits, each with its own masks, recursion and depth limits.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "findfile/SearchCriteria.h"

namespace findfile {

// Splits a ";"-separated text into its pieces: 'a;;b' gives three (the middle one empty), a
// trailing ";" adds no empty piece, pieces are not trimmed.
TStringList SplitList(std::wstring_view text);

// Removes a leading "<" (false) or ">" (true) from an entry; without one, the default.
bool TakeRecursionPrefix(std::wstring& entry, bool defaultRecursive);

struct TTargetFolder {
    std::wstring FolderPath;  // full path with a trailing separator (empty: current directory)
    bool Recursive = false;
    TStringList FileMasks;  // in the order added
    std::uint16_t MinLevel = 0;
    std::uint16_t MaxLevel = 0;
};

class TTargetFolderList {
  public:
    // The position of a folder (compared without regard to case), or -1.
    int IndexOfFolder(std::wstring_view folderPath) const;
    // The target of a folder, given as full or relative path; a new one goes to the front.
    TTargetFolder& AddFolder(std::wstring_view path);
    // Whether a file in a folder (with its trailing separator) is excluded by an entry of
    // ExcludedFiles, tried from the last line to the first.
    bool IsExcluded(std::wstring_view folder, std::wstring_view name) const;

    int Count() const noexcept { return int(items_.size()); }
    TTargetFolder& operator[](int index) { return *items_[std::size_t(index)]; }
    const TTargetFolder& operator[](int index) const { return *items_[std::size_t(index)]; }

    TStringList ExcludedFiles;

  private:
    // Owned one by one, so that a target stays put while the list grows.
    std::vector<std::unique_ptr<TTargetFolder>> items_;
};

// The full path of a folder with a trailing separator ("" stays "", "C:" stays "C:").
std::wstring FolderWithSeparator(std::wstring_view path);

}  // namespace findfile
