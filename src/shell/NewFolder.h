// Creating a new folder under the first free name.
#pragma once

#include <optional>
#include <string>

inline constexpr wchar_t kNewFolderName[] = L"New Folder";
// %1 is the system's message for the failure, %2 the name tried.
inline constexpr wchar_t kCreateFolderFailedText[] = L"Unable to create the folder '%2'\n\n%1";

// Creates a folder in directory under the first free name: "New Folder", "New Folder (2)" ...
// "New Folder (50)", then "fldr", "fldr2" ... "fldr50". Returns the name (without the directory).
// On failure one warning box says why: the first failure other than a name that is taken, with
// that failure's text; or, with every name taken, that the folder exists. An empty directory is
// refused: it would mean the current directory.
std::optional<std::wstring> CreateNewFolder(const std::wstring& directory);
