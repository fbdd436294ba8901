// A key of the test prefix's registry for one test: empty when the test starts, gone when it ends.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include <windows.h>

namespace testing_support {

class ScratchKey {
  public:
    explicit ScratchKey(std::wstring name = L"Settings")
        : path_(L"Software\\Velquist\\LumoraTest\\" + std::move(name)) {
        Remove();
    }
    ~ScratchKey() {
        Remove();
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Velquist\\LumoraTest");
    }
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;

    const std::wstring& Path() const noexcept { return path_; }
    void Remove() const { RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str()); }

    // Stores raw bytes under a type, creating the key.
    void Set(const std::wstring& name, DWORD type, std::string_view bytes) const {
        RegSetKeyValueW(HKEY_CURRENT_USER, path_.c_str(), name.c_str(), type, bytes.data(),
                        DWORD(bytes.size()));
    }
    void SetDword(const std::wstring& name, DWORD value) const {
        Set(name, REG_DWORD, {reinterpret_cast<const char*>(&value), sizeof value});
    }
    // A string with its terminator, as the program writes it.
    void SetString(const std::wstring& name, const std::wstring& value, DWORD type = REG_SZ) const {
        Set(name, type,
            {reinterpret_cast<const char*>(value.c_str()), (value.size() + 1) * sizeof(wchar_t)});
    }
    void Delete(const std::wstring& name) const {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, path_.c_str(), name.c_str());
    }

    bool Exists() const {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }
    // The stored type and bytes of a value; type REG_NONE when it is absent.
    std::pair<DWORD, std::string> Get(const std::wstring& name) const {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return {REG_NONE, {}};
        DWORD type = REG_NONE, size = 0;
        std::string bytes;
        if (RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
            bytes.resize(size + 2);
            RegQueryValueExW(key, name.c_str(), nullptr, &type,
                             reinterpret_cast<BYTE*>(bytes.data()), &size);
            bytes.resize(size);
        }
        RegCloseKey(key);
        return {type, bytes};
    }

  private:
    std::wstring path_;
};

// The bytes of a wide text, without a terminator.
inline std::string WideBytes(std::wstring_view text) {
    return {reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t)};
}

}  // namespace testing_support
