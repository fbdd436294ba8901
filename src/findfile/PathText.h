// Small helpers on path texts shared by the matching and the job building.
#pragma once

#include <cstddef>
#include <string_view>

namespace findfile {

inline bool IsPathSeparator(wchar_t c) noexcept { return c == L'\\' || c == L'/'; }

// The position just past the last separator, 0 when there is none.
inline std::size_t LastComponentStart(std::wstring_view path) noexcept {
    for (std::size_t i = path.size(); i > 0; --i)
        if (IsPathSeparator(path[i - 1])) return i;
    return 0;
}

}  // namespace findfile
