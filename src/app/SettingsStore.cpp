#include "app/SettingsStore.h"

#include <algorithm>
#include <cwchar>
#include <vector>

namespace {

constexpr DWORD kFirstGuessChars = 256;
// A value may grow between the question of its size and the reading; not forever.
constexpr int kReadAttempts = 8;

[[noreturn]] void FailedToGetData(const std::wstring& name) {
    throw SettingsError(L"Failed to get data for '" + name + L"'");
}

[[noreturn]] void InvalidDataType(const std::wstring& name) {
    throw SettingsError(L"Invalid data type for '" + name + L"'");
}

}  // namespace

bool SettingsStore::Open(const std::wstring& keyPath, bool create) {
    Close();
    HKEY key = nullptr;
    const LONG result = create
                            ? RegCreateKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0,
                                              KEY_READ | KEY_WRITE, nullptr, &key, nullptr)
                            : RegOpenKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, &key);
    if (result != ERROR_SUCCESS) return false;
    key_.Reset(key);
    return true;
}

bool SettingsStore::HasValue(const std::wstring& name) const {
    return RegQueryValueExW(key_.Get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

int SettingsStore::ReadInteger(const std::wstring& name) const {
    DWORD type = REG_NONE;
    DWORD value = 0;
    DWORD size = sizeof value;
    const LONG result = RegQueryValueExW(key_.Get(), name.c_str(), nullptr, &type,
                                         reinterpret_cast<BYTE*>(&value), &size);
    if (result != ERROR_SUCCESS && result != ERROR_MORE_DATA) FailedToGetData(name);
    if (type != REG_DWORD || result == ERROR_MORE_DATA || size != sizeof value)
        InvalidDataType(name);
    return int(value);
}

bool SettingsStore::ReadBool(const std::wstring& name) const { return ReadInteger(name) != 0; }

std::wstring SettingsStore::ReadString(const std::wstring& name) const {
    // Bytes, not characters: the store keeps whatever length it was given, odd ones included,
    // with or without a terminator.
    std::vector<BYTE> data((kFirstGuessChars + 1) * sizeof(wchar_t));
    for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
        DWORD type = REG_NONE;
        DWORD size = DWORD(data.size());
        const LONG result =
            RegQueryValueExW(key_.Get(), name.c_str(), nullptr, &type, data.data(), &size);
        if (result == ERROR_FILE_NOT_FOUND) return {};
        if (result == ERROR_MORE_DATA) {
            if (type != REG_SZ && type != REG_EXPAND_SZ) InvalidDataType(name);
            data.resize(size_t(size) + sizeof(wchar_t));
            continue;
        }
        if (result != ERROR_SUCCESS) FailedToGetData(name);
        if (type != REG_SZ && type != REG_EXPAND_SZ) InvalidDataType(name);
        std::wstring text(size / sizeof(wchar_t), L'\0');
        std::copy_n(data.data(), text.size() * sizeof(wchar_t),
                    reinterpret_cast<BYTE*>(text.data()));
        text.resize(std::wcslen(text.c_str()));
        return text;
    }
    FailedToGetData(name);
}

bool SettingsStore::WriteInteger(const std::wstring& name, int value) {
    const DWORD data = DWORD(value);
    return RegSetValueExW(key_.Get(), name.c_str(), 0, REG_DWORD,
                          reinterpret_cast<const BYTE*>(&data), sizeof data) == ERROR_SUCCESS;
}

bool SettingsStore::WriteBool(const std::wstring& name, bool value) {
    return WriteInteger(name, value ? 1 : 0);
}

bool SettingsStore::WriteString(const std::wstring& name, const std::wstring& value) {
    return RegSetValueExW(key_.Get(), name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(value.c_str()),
                          DWORD((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}
