// What the program says about itself.
#pragma once

inline constexpr wchar_t kProductCaption[] = L"Lumora 2.0 - Velquist Software";
inline constexpr wchar_t kApplicationTitle[] = L"Lumora";
inline constexpr wchar_t kProductName[] = L"Lumora";
inline constexpr wchar_t kProductVersion[] = L"2.0";
inline constexpr wchar_t kCopyright[] = L"Copyright \u00A9 2026 Velquist Software";
inline constexpr wchar_t kWebsiteAddress[] = L"https://www.velquist.com/lumora/";
inline constexpr wchar_t kStatusNotice[] = L"Backups keep each file's previous text as .bak";
// The settings of the current user, under HKEY_CURRENT_USER.
inline constexpr wchar_t kSettingsKey[] = L"Software\\Velquist\\Lumora";
