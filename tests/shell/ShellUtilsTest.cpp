#include <gtest/gtest.h>

#include <thread>

#include <windows.h>
#include <ole2.h>
#include <shellapi.h>

#include "ShellTestSupport.h"
#include "common/TempDir.h"
#include "shell/OleRuntime.h"
#include "shell/ShellDetails.h"
#include "shell/ShellStrings.h"
#include "shell/Shortcut.h"
#include "base/Error.h"
#include "base/Strings.h"

using Microsoft::WRL::ComPtr;
using shell_test::ParsePath;
using testing_support::TempDir;

TEST(ShellUtils, PathsListsAndNamesRoundTripWithAwkwardNames) {
    TempDir dir;
    for (const wchar_t* name : {L"with  spaces", L"caf\u00e9 \u4e2d\u6587", L"smile \U0001F600"}) {
        SCOPED_TRACE(base::WideToUtf8(name));
        const std::wstring folder = dir.MakeDir(name);
        const std::wstring file = dir.Write(std::wstring(name) + L"\\" + name + L".txt", "x");
        for (const std::wstring& path : {folder, file})
            EXPECT_EQ(PidlToPath(ParsePath(path).Get()), path);
        const UniquePidl pidl = ParsePath(folder);
        EXPECT_EQ(DisplayNameOfPidl(pidl.Get()), name);
        EXPECT_EQ(GetDisplayName(nullptr, pidl.Get(), dnForParsing), folder);
    }
    UniquePidl pidl = ParsePath(dir.Path());
    EXPECT_TRUE(FAILED(PathToPidl(dir / L"missing\\deeper", pidl)));
    EXPECT_FALSE(pidl);
    // A file is no folder: binding fails, and naming an item inside it raises.
    ComPtr<IShellFolder> folder;
    const UniquePidl txt = ParsePath(dir / L"with  spaces\\with  spaces.txt");
    EXPECT_TRUE(FAILED(BindToFolder(txt.Get(), folder)));
    EXPECT_THROW(DisplayNameOfPidl(UniquePidl::Concat(txt.Get(), txt.Get()).Get()),
                 base::PlatformError);
}

TEST(ShellUtils, DesktopVirtualAndSpecialFolders) {
    const std::wstring desktopDirectory = SpecialFolderPath(nullptr, CSIDL_DESKTOPDIRECTORY);
    EXPECT_FALSE(desktopDirectory.empty());
    EXPECT_EQ(PidlToPath(nullptr), desktopDirectory);
    EXPECT_EQ(SpecialFolderPath(nullptr, CSIDL_DRIVES), L"");  // virtual

    TempDir dir;
    EXPECT_EQ(SpecialFolderOf(ParsePath(dir.Path()).Get()), kNoSpecialFolder);
    EXPECT_EQ(SpecialFolderOf(EmptyPidl()), CSIDL_DESKTOP);
    for (const int special : {CSIDL_DRIVES, CSIDL_WINDOWS, CSIDL_FONTS}) {
        UniquePidl pidl;
        ASSERT_EQ(GetSpecialFolderLocation(nullptr, special | CSIDL_FLAG_CREATE, pidl), S_OK);
        EXPECT_EQ(SpecialFolderOf(pidl.Get()), special);
    }
    EXPECT_NO_THROW(ValidateDrives());
    ShellRefreshScope refresh;
    EXPECT_EQ(ShellRefreshScope::Nesting(), 1);
    EXPECT_NO_THROW(ValidateDrives());
}

TEST(ShellUtils, IconsIndexTheSystemImageLists) {
    TempDir dir;
    HIMAGELIST small = GetSystemImageList(silSmall);
    const int images = ImageList_GetImageCount(small);
    EXPECT_NE(GetSystemImageList(silLarge), small);
    EXPECT_EQ(ImageList_GetImageCount(GetSystemImageList(silSmall)),
              images);  // overlays go in once
    EXPECT_NE(GetIconIndex(ParsePath(dir.Path()).Get()),
              GetIconIndex(ParsePath(dir.Write(L"a.txt", "x")).Get(), SHGFI_SMALLICON));
}

TEST(ShellUtils, ShortcutTargetOutsideTheAnsiCodePageIsReadBack) {
    TempDir dir;
    dir.MakeDir(L"\u4e2d\u6587 folder");
    const std::wstring target = dir.Write(L"\u4e2d\u6587 folder\\caf\u00e9 \U0001F600.txt", "x");
    ComPtr<IShellLinkW> link;
    ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link)),
              S_OK);
    link->SetPath(target.c_str());
    link->SetHotkey(MAKEWORD('K', HOTKEYF_CONTROL));
    ComPtr<IPersistFile> persist;
    ASSERT_EQ(link.As(&persist), S_OK);
    ASSERT_EQ(persist->Save((dir / L"link.lnk").c_str(), TRUE), S_OK);

    for (const bool wantPidl : {false, true}) {
        TPTShortcutInfo info;
        ASSERT_TRUE(SUCCEEDED(ReadShortcut(dir / L"link.lnk", info, wantPidl)));
        EXPECT_EQ(info.Mask, TPTShortcutInfo::kAllFields);
        EXPECT_EQ(info.Path, target);
        EXPECT_EQ(std::wstring(info.FindData.cFileName), L"caf\u00e9 \U0001F600.txt");
        EXPECT_EQ(info.HotKey, MAKEWORD('K', HOTKEYF_CONTROL));
        EXPECT_EQ(bool(info.Pidl), wantPidl);
        if (wantPidl) {
            EXPECT_EQ(PidlToPath(info.Pidl.Get()), target);
        }
    }
    TPTShortcutInfo notALink;
    EXPECT_TRUE(FAILED(ReadShortcut(dir.Write(L"text.lnk", "not a link"), notALink, true)));
    EXPECT_EQ(notALink.Mask, 0u);
}

TEST(ShellUtils, DetailsAdapterOffersAFileSystemFoldersDefaultColumns) {
    TempDir dir;
    ComPtr<IShellFolder> folder;
    ASSERT_EQ(BindToFolder(ParsePath(dir.Path()).Get(), folder), S_OK);
    ComPtr<IShellFolder2> folder2;
    ASSERT_EQ(folder.As(&folder2), S_OK);
    ComPtr<IShellDetails> details = GetShellDetails(folder.Get());
    ASSERT_TRUE(details);
    UINT column = 0;
    for (SHELLDETAILS header{}, own{}; SUCCEEDED(details->GetDetailsOf(nullptr, column, &header));
         ++column) {
        SHCOLSTATEF state = 0;
        ASSERT_EQ(folder2->GetDefaultColumnState(column, &state), S_OK);
        EXPECT_TRUE(state & SHCOLSTATE_ONBYDEFAULT);
        ASSERT_EQ(folder2->GetDetailsOf(nullptr, column, &own), S_OK);
        EXPECT_EQ(StrRetToString(nullptr, header.str), StrRetToString(nullptr, own.str));
        FreeStrRet(header.str);
        FreeStrRet(own.str);
    }
    EXPECT_GE(column, 4u);  // name, size, type, modified at least
    EXPECT_EQ(details->ColumnClick(0), E_NOTIMPL);
    ComPtr<IShellFolder> notAFolder;
    EXPECT_EQ(details.As(&notAFolder), E_NOINTERFACE);
    EXPECT_FALSE(GetShellDetails(nullptr));
}

TEST(OleRuntime, InitialisesTheThreadForItsLifetimeOnly) {
    // COM creates objects, and OLE, asked to initialise again, says it already is.
    const auto ready = [] {
        ComPtr<IUnknown> object;
        const HRESULT created = CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr,
                                                 CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&object));
        const HRESULT again = OleInitialize(nullptr);
        if (SUCCEEDED(again)) OleUninitialize();
        return created != CO_E_NOTINITIALIZED && again == S_FALSE;
    };
    bool before = true, during = false, after = true;
    std::thread([&] {
        before = ready();
        {
            OleRuntime runtime;
            during = ready();
        }
        after = ready();
    }).join();
    EXPECT_FALSE(before);
    EXPECT_TRUE(during);
    EXPECT_FALSE(after);
    { OleRuntime nested; }
    EXPECT_TRUE(ready());  // a nested one leaves the thread as it found it
}
