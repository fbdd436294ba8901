// String helpers of the shell code: the shell's string records, trailing separators that respect
// surrogate pairs, and positional message formatting.
#pragma once

#include <cstddef>
#include <span>
#include <string>

#include <windows.h>
#include <shtypes.h>

// The text of a string record the shell filled for the item pidl (relative to its folder).
std::wstring StrRetToString(const ITEMIDLIST* pidl, const STRRET& strRet);
// Frees the string a wide-string record owns; the record is left empty.
void FreeStrRet(STRRET& strRet);

// text with c appended unless it already ends with c; an empty text stays empty. A text ending in
// a surrogate pair always gets c appended.
std::wstring IncludeTrailingChar(const std::wstring& text, wchar_t c);
// Appends the character at position of source to text (both halves of a surrogate pair) and
// advances position past it. Nothing happens at or past the end of source.
void AppendChar(std::size_t& position, const std::wstring& source, std::wstring& text);

// The most strings FormatStrPos takes.
constexpr std::size_t kMaxSubstitutionStrings = 50;
// Formats with the platform's message formatter: "%1" is the first string, "%2" the second...
// An empty format gives an empty text, as does a format the platform rejects. Inserts beyond the
// strings given become empty. Throws with more than kMaxSubstitutionStrings strings.
std::wstring FormatStrPos(const std::wstring& format, std::span<const std::wstring> strings);
