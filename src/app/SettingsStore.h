// The per-user store of the program's settings: one key under HKEY_CURRENT_USER, opened for the
// length of one reading or one writing. Other tools and older versions read the same values, so
// the types are fixed: integers and booleans as REG_DWORD, strings as REG_SZ.
#pragma once

#include <string>

#include "base/Error.h"
#include "base/Handle.h"

// A value that cannot be read as asked.
class SettingsError : public base::Error {
  public:
    using base::Error::Error;
};

class SettingsStore {
  public:
    // Opens the key; with create, makes it and its parents when missing. False when it does not
    // exist (without create) or cannot be opened or made.
    bool Open(const std::wstring& keyPath, bool create);
    void Close() noexcept { key_.Reset(); }
    bool IsOpen() const noexcept { return key_.Valid(); }

    bool HasValue(const std::wstring& name) const;
    // A REG_DWORD of four bytes. Raises "Failed to get data for 'name'" when the value is absent
    // or unreadable, and "Invalid data type for 'name'" when it is of another type or size.
    int ReadInteger(const std::wstring& name) const;
    // As ReadInteger; any number but 0 is true.
    bool ReadBool(const std::wstring& name) const;
    // A REG_SZ or REG_EXPAND_SZ as stored (never expanded), up to its first NUL, of any length;
    // an absent value reads as empty. Another type raises "Invalid data type for 'name'".
    std::wstring ReadString(const std::wstring& name) const;

    // False when the store refuses the value.
    bool WriteInteger(const std::wstring& name, int value);
    bool WriteBool(const std::wstring& name, bool value);
    bool WriteString(const std::wstring& name, const std::wstring& value);

  private:
    base::RegistryKey key_;
};
