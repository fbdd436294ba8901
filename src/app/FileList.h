// The file set of a run: full path names in the order they were gathered, duplicates allowed.
#pragma once

#include <string>
#include <vector>

using TFileList = std::vector<std::wstring>;
