// The file-type choices shared by the filter of the file list and the masks of a folder scan.
#pragma once

#include <string>
#include <vector>

inline constexpr wchar_t kAllSupportedFileTypes[] = L"All supported file types";
inline constexpr wchar_t kAllSupportedMasks[] = L"*.txt;*.htm;*.shtml;*.dhtml;*.asp;*.php";

// The largest size bound in kilobytes whose byte count still fits 32 bits.
inline constexpr int kMaxSizeKilobytes = 4194303;

// The items of both file-type combo boxes.
inline std::vector<std::wstring> FileTypeItems() {
    return {kAllSupportedFileTypes,
            L"*.txt",
            L"*.htm;*.html;*.shtml;*.dhtml",
            L"*.asp",
            L"*.php",
            L"*.ini"};
}

// The masks a file-type text stands for: "All supported file types" stands for the supported
// masks; any other text is a list of masks already.
inline std::wstring ExpandFileTypes(const std::wstring& text) {
    return text == kAllSupportedFileTypes ? std::wstring(kAllSupportedMasks) : text;
}
