// Conversions between the program's wide strings and byte strings.
#pragma once

#include <string>
#include <string_view>

namespace base {

std::string WideToUtf8(std::wstring_view text);
std::wstring Utf8ToWide(std::string_view text);
// Through the active ANSI code page; characters it lacks become its default character.
std::string WideToAnsi(std::wstring_view text);
std::wstring AnsiToWide(std::string_view text);

// Case-insensitive comparison the way the platform compares names (ordinal, upper-cased).
bool SameTextIgnoringCase(std::wstring_view a, std::wstring_view b);

}  // namespace base
