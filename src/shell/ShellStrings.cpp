#include "shell/ShellStrings.h"

#include <array>
#include <cstring>

#include "shell/Pidl.h"
#include "base/Error.h"
#include "base/Strings.h"

namespace {

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The characters of a narrow zero-terminated string of at most limit bytes.
std::wstring NarrowString(const char* text, std::size_t limit) {
    return base::AnsiToWide(std::string_view(text, strnlen(text, limit)));
}

// The message formatter reads as many arguments as the format names (up to 99), whatever the
// caller passed: the unused ones point at an empty string.
constexpr std::size_t kMaxInserts = 99;

}  // namespace

std::wstring StrRetToString(const ITEMIDLIST* pidl, const STRRET& strRet) {
    switch (strRet.uType) {
        case STRRET_WSTR:
            return strRet.pOleStr != nullptr ? std::wstring(strRet.pOleStr) : std::wstring();
        case STRRET_OFFSET: {
            // The text lies inside the item's own bytes; never read past them.
            const UINT size = PidlSize(pidl);
            if (size == 0 || strRet.uOffset >= size) return {};
            const char* text = reinterpret_cast<const char*>(pidl) + strRet.uOffset;
            return NarrowString(text, size - strRet.uOffset);
        }
        case STRRET_CSTR:
            return NarrowString(strRet.cStr, sizeof strRet.cStr);
        default:
            return {};
    }
}

void FreeStrRet(STRRET& strRet) {
    if (strRet.uType != STRRET_WSTR) return;
    CoTaskMemFree(strRet.pOleStr);
    strRet.pOleStr = nullptr;
}

std::wstring IncludeTrailingChar(const std::wstring& text, wchar_t c) {
    if (text.empty()) return text;
    const std::size_t n = text.size();
    const bool endsInPair = n >= 2 && IsHighSurrogate(text[n - 2]) && IsLowSurrogate(text[n - 1]);
    if (!endsInPair && text.back() == c) return text;
    return text + c;
}

void AppendChar(std::size_t& position, const std::wstring& source, std::wstring& text) {
    if (position >= source.size()) return;
    const bool pair = IsHighSurrogate(source[position]) && position + 1 < source.size() &&
                      IsLowSurrogate(source[position + 1]);
    const std::size_t length = pair ? 2 : 1;
    text.append(source, position, length);
    position += length;
}

std::wstring FormatStrPos(const std::wstring& format, std::span<const std::wstring> strings) {
    if (format.empty()) return {};
    if (strings.size() > kMaxSubstitutionStrings)
        throw base::Error(L"FormatStrPos: Too many substitution strings");
    static const wchar_t kEmpty[] = L"";
    std::array<DWORD_PTR, kMaxInserts> arguments;
    arguments.fill(reinterpret_cast<DWORD_PTR>(kEmpty));
    for (std::size_t i = 0; i < strings.size(); ++i)
        arguments[i] = reinterpret_cast<DWORD_PTR>(strings[i].c_str());
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY,
        format.c_str(), 0, 0, reinterpret_cast<wchar_t*>(&buffer), 0,
        reinterpret_cast<va_list*>(arguments.data()));
    std::wstring result;
    if (length != 0 && buffer != nullptr) result.assign(buffer, length);
    if (buffer != nullptr) LocalFree(buffer);
    return result;
}
