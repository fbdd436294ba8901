#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "ScratchKey.h"
#include "app/SettingsStore.h"

using testing_support::ScratchKey;
using testing_support::WideBytes;

namespace {

std::string Dword(DWORD value) { return {reinterpret_cast<const char*>(&value), sizeof value}; }

// The text of the error a read raises, or nothing when it succeeds.
template <class Read>
std::optional<std::wstring> ErrorOf(Read read) {
    try {
        read();
    } catch (const SettingsError& e) {
        return e.Message();
    }
    return std::nullopt;
}

TEST(SettingsStore, OpensOnlyWhatExistsUnlessToldToCreate) {
    ScratchKey scratch;
    const std::wstring nested = scratch.Path() + L"\\parent\\child";
    SettingsStore store;
    EXPECT_FALSE(store.Open(nested, false));
    EXPECT_FALSE(store.IsOpen());
    ASSERT_TRUE(store.Open(nested, true));  // the parents come with it
    EXPECT_TRUE(store.Open(nested, false));
    store.Close();
    EXPECT_FALSE(store.IsOpen());

    // A lasting key cannot live under a volatile one.
    HKEY volatileKey = nullptr;
    ASSERT_EQ(
        RegCreateKeyExW(HKEY_CURRENT_USER, (scratch.Path() + L"\\volatile").c_str(), 0, nullptr,
                        REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &volatileKey, nullptr),
        ERROR_SUCCESS);
    RegCloseKey(volatileKey);
    EXPECT_FALSE(store.Open(scratch.Path() + L"\\volatile\\Lumora", true));
}

TEST(SettingsStore, IntegersAndBooleansMustBeFourByteDwords) {
    ScratchKey scratch;
    scratch.Set(L"Five", REG_DWORD, Dword(5));
    scratch.Set(L"Zero", REG_DWORD, Dword(0));
    scratch.Set(L"AllBits", REG_DWORD, Dword(0xFFFFFFFF));
    scratch.Set(L"Short", REG_DWORD, std::string("\x01\x00", 2));
    scratch.Set(L"Long", REG_DWORD, std::string(8, '\x01'));
    scratch.Set(L"Quad", REG_QWORD, std::string(8, '\0'));
    scratch.SetString(L"Text", L"1");
    SettingsStore store;
    ASSERT_TRUE(store.Open(scratch.Path(), false));

    const struct {
        const wchar_t* name;
        std::optional<int> value;  // nothing: the read fails with the error
        const wchar_t* error;
    } cases[] = {
        {L"Five", 5, nullptr},
        {L"Zero", 0, nullptr},
        {L"AllBits", -1, nullptr},
        {L"Absent", std::nullopt, L"Failed to get data for 'Absent'"},
        {L"Short", std::nullopt, L"Invalid data type for 'Short'"},
        {L"Long", std::nullopt, L"Invalid data type for 'Long'"},
        {L"Quad", std::nullopt, L"Invalid data type for 'Quad'"},
        {L"Text", std::nullopt, L"Invalid data type for 'Text'"},
    };
    for (const auto& c : cases) {
        if (c.value) {
            EXPECT_EQ(store.ReadInteger(c.name), *c.value) << c.name;
            EXPECT_EQ(store.ReadBool(c.name), *c.value != 0) << c.name;
        } else {
            EXPECT_EQ(ErrorOf([&] { store.ReadInteger(c.name); }), c.error);
            EXPECT_EQ(ErrorOf([&] { store.ReadBool(c.name); }), c.error);
        }
    }
}

TEST(SettingsStore, StringsAreReadAsStoredUpToTheirFirstNul) {
    ScratchKey scratch;
    const std::wstring longText(100000, L'\u0142');  // far past any first guess
    const struct {
        const wchar_t* name;
        DWORD type;
        std::string bytes;
        std::optional<std::wstring> text;  // nothing: an invalid type
    } cases[] = {
        {L"Plain", REG_SZ, WideBytes(std::wstring(L"C:\\Some folder\\\u00e9t\u00e9", 20)),
         L"C:\\Some folder\\\u00e9t\u00e9"},
        {L"Expand", REG_EXPAND_SZ, WideBytes({L"%TEMP%", 7}), L"%TEMP%"},
        {L"InnerNul", REG_SZ, WideBytes({L"a\0b", 4}), L"a"},
        {L"NoTerminator", REG_SZ, WideBytes(L"abc"), L"abc"},
        {L"OddLength", REG_SZ, std::string("a\0b", 3), L"a"},
        {L"Empty", REG_SZ, "", L""},
        {L"Long", REG_SZ, WideBytes(longText), longText},
        {L"Number", REG_DWORD, Dword(1), std::nullopt},
        {L"Multi", REG_MULTI_SZ, WideBytes({L"a\0b\0", 5}), std::nullopt},
        {L"Binary", REG_BINARY, WideBytes(longText), std::nullopt},
    };
    for (const auto& c : cases) scratch.Set(c.name, c.type, c.bytes);
    SettingsStore store;
    ASSERT_TRUE(store.Open(scratch.Path(), false));
    for (const auto& c : cases) {
        if (c.text)
            EXPECT_EQ(store.ReadString(c.name), *c.text) << c.name;
        else
            EXPECT_EQ(ErrorOf([&] { store.ReadString(c.name); }),
                      L"Invalid data type for '" + std::wstring(c.name) + L"'");
    }
    EXPECT_EQ(store.ReadString(L"Absent"), L"");
    EXPECT_TRUE(store.HasValue(L"Empty"));
    EXPECT_FALSE(store.HasValue(L"Absent"));
}

}  // namespace
