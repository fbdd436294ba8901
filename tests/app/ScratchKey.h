// A key of the test prefix's registry for one test: empty when the test starts, gone when it ends.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include <windows.h>

namespace testing_support {

// The bytes of a wide text, without a terminator unless the view holds one.
inline std::string WideBytes(std::wstring_view text) {
    return {reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t)};
}

class ScratchKey {
  public:
    ScratchKey() { Remove(); }
    ~ScratchKey() {
        Remove();
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Velquist\\LumoraTest");
    }
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;

    const std::wstring& Path() const noexcept { return path_; }

    // Stores raw bytes under a type, creating the key.
    void Set(const std::wstring& name, DWORD type, std::string_view bytes) const {
        RegSetKeyValueW(HKEY_CURRENT_USER, path_.c_str(), name.c_str(), type, bytes.data(),
                        DWORD(bytes.size()));
    }
    void SetDword(const std::wstring& name, DWORD value) const {
        Set(name, REG_DWORD, {reinterpret_cast<const char*>(&value), sizeof value});
    }
    // With its terminator, as the program writes strings.
    void SetString(const std::wstring& name, const std::wstring& value, DWORD type = REG_SZ) const {
        Set(name, type, WideBytes({value.c_str(), value.size() + 1}));
    }
    void Delete(const std::wstring& name) const {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, path_.c_str(), name.c_str());
    }
    // The stored type and bytes of a value; REG_NONE when it is absent.
    std::pair<DWORD, std::string> Get(const std::wstring& name) const {
        DWORD type = REG_NONE, size = 0;
        std::string bytes;
        if (RegGetValueW(HKEY_CURRENT_USER, path_.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND,
                         &type, nullptr, &size) != ERROR_SUCCESS)
            return {REG_NONE, bytes};
        bytes.resize(size + sizeof(wchar_t));
        size = DWORD(bytes.size());
        RegGetValueW(HKEY_CURRENT_USER, path_.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND,
                     &type, bytes.data(), &size);
        bytes.resize(size);
        return {type, bytes};
    }

  private:
    void Remove() const { RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str()); }

    std::wstring path_ = L"Software\\Velquist\\LumoraTest\\Settings";
};

}  // namespace testing_support
