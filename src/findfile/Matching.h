// The tests that decide whether one directory entry is reported: name masks, exclusions, dates
// and content.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include <windows.h>

#include "findfile/SearchCriteria.h"
#include "base/DateTime.h"

namespace findfile {

// Large files are read for the content test in pieces of this many bytes.
constexpr std::size_t ContentChunkSize = 61440;

// The program's own wildcard matcher, used for exclusion entries. "*" ends the comparison with
// success, "?" matches any one character (a trailing one also matches nothing), letters compare
// without regard to ASCII case.
bool WildcardMatch(std::wstring_view name, std::wstring_view mask);

// Matches a file name against a mask part by part: base with base and, when the mask has an
// extension, extension with extension ("readme" matches "readme.txt"; "*." only names without
// one).
bool FileNameMatchesMask(std::wstring_view name, std::wstring_view mask);

// Whether an exclusion entry ("*.bak", "temp\", "C:\Old\*.txt", "?:\Cache\*.tmp") applies to a
// file in a folder (the folder's full path with its trailing separator).
bool ExcludedEntryMatches(std::wstring_view folder, std::wstring_view name,
                          std::wstring_view entry);

// Whether a date-time lies within the inclusive bounds (0 = none). A bound without a time part
// compares the date only, one without a date part the time of day only.
bool DateTimeInRange(TDateTime value, TDateTime before, TDateTime after) noexcept;

using base::SystemTimeToDateTime;

// A UTC file time in local time (the offset in force now) as a date-time value.
TDateTime FileTimeToLocalDateTime(const FILETIME& fileTime) noexcept;

// Whether the file holds the phrase. With foldCase the file's bytes are lower-cased in the ANSI
// code page and the phrase must already be lower case. A file that cannot be opened or read does
// not hold it. Files of any size are scanned whole.
bool FileContainsPhrase(const std::wstring& path, std::string_view phrase, bool foldCase) noexcept;

}  // namespace findfile
