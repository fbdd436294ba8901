#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include <windows.h>
#include <shellapi.h>

#include "TransferTestSupport.h"
#include "base/Strings.h"
#include "common/TempDir.h"
#include "shell/DataObject.h"
#include "shell/ShellDataBlocks.h"

using Microsoft::WRL::ComPtr;
using shell_test::BlockBytes;
using shell_test::Bytes;
using shell_test::RealItems;
using testing_support::TempDir;

namespace {

using ItemSpan = std::span<const ITEMIDLIST* const>;

std::string UInt32Bytes(size_t value) {
    const auto narrow = static_cast<uint32_t>(value);
    return std::string(reinterpret_cast<const char*>(&narrow), 4);
}

// The array block as the shell publishes it: count, offsets, parent list, item lists.
std::string ExpectedIdListArray(const RealItems& source) {
    const size_t header = 4 * (source.items.size() + 2);
    std::string lists = Bytes(source.parent.Get());
    std::string offsets = UInt32Bytes(header);
    for (const UniquePidl& item : source.items) {
        offsets += UInt32Bytes(header + lists.size());
        lists += Bytes(item.Get());
    }
    return UInt32Bytes(source.items.size()) + offsets + lists;
}

// The names of the file drop list, read back as a program that takes files reads them.
std::vector<std::wstring> DroppedFiles(IDataObject* data) {
    const DROPFILES wide{sizeof(DROPFILES), {}, FALSE, TRUE};
    EXPECT_EQ(BlockBytes(data, CF_HDROP).substr(0, sizeof wide),
              std::string(reinterpret_cast<const char*>(&wide), sizeof wide));
    FORMATETC asked{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (FAILED(data->GetData(&asked, &medium))) return {};
    const auto drop = static_cast<HDROP>(medium.hGlobal);
    std::vector<std::wstring> names(DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0));
    for (UINT i = 0; i < names.size(); ++i) {
        names[i].resize(DragQueryFileW(drop, i, nullptr, 0));
        DragQueryFileW(drop, i, names[i].data(), UINT(names[i].size() + 1));
    }
    ReleaseStgMedium(&medium);
    return names;
}

std::vector<CLIPFORMAT> EnumeratedFormats(IDataObject* data) {
    ComPtr<IEnumFORMATETC> formats;
    EXPECT_EQ(data->EnumFormatEtc(DATADIR_GET, &formats), S_OK);
    std::vector<CLIPFORMAT> numbers;
    for (FORMATETC format; formats->Next(1, &format, nullptr) == S_OK;)
        numbers.push_back(format.cfFormat);
    return numbers;
}

}  // namespace

TEST(DataObject, BlocksHoldTheItemsByteForByteAndNamesOfAnyLengthAndScript) {
    TempDir dir;
    const std::wstring deep = dir.MakeDir(std::wstring(120, L'd'));
    const std::vector<std::wstring> names = {L"one.txt", L"caf\u00e9 \u4e2d\u6587 \U0001F600.txt",
                                             std::wstring(90, L'n') + L".txt", L"folder"};
    for (const std::wstring& name : names) dir.Write(std::wstring(120, L'd') + L"\\" + name, "x");
    // An item of the desktop itself: its parent is the empty list.
    const std::wstring onDesktop = L"lumora drag " + std::to_wstring(GetCurrentProcessId());
    const std::wstring desktopFile =
        SpecialFolderPath(nullptr, CSIDL_DESKTOPDIRECTORY) + L"\\" + onDesktop;
    testing_support::WriteFileBytes(desktopFile, "x");
    struct Case {
        const char* what;
        RealItems source;
        std::vector<std::wstring> paths;
    } cases[] = {
        {"one item", RealItems(deep, {names[0]}), {deep + L"\\" + names[0]}},
        {"several", RealItems(deep, names), {}},
        {"desktop item", RealItems(L"", {onDesktop}), {desktopFile}},
    };
    for (const std::wstring& name : names) cases[1].paths.push_back(deep + L"\\" + name);
    EXPECT_GT(cases[1].paths[2].size(), 250u);  // Wine's shell parses no longer path
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto data = MakeComObject<TDataObject_shlv>(
            c.source.parent.Get(), c.source.folder.Get(), ItemSpan(c.source.Pointers()));
        EXPECT_EQ(BlockBytes(data.Get(), ShellIdListFormat()), ExpectedIdListArray(c.source));
        EXPECT_EQ(DroppedFiles(data.Get()), c.paths);
    }
    DeleteFileW(desktopFile.c_str());
}

TEST(DataObject, OffersEachFormatInOrderOnlyWhenItsBlockWasBuilt) {
    TempDir dir;
    dir.Write(L"a.txt", "x");
    RealItems file(dir.Path(), {L"a.txt"});
    RealItems computer(L"", {shell_test::kComputer});  // virtual: no file name
    const auto idList = static_cast<CLIPFORMAT>(ShellIdListFormat());
    struct Case {
        const char* what;
        ComPtr<IDataObject> data;
        std::vector<CLIPFORMAT> formats;
    } cases[] = {
        {"tree node",
         MakeComObject<TDataObject_shtv>(file.parent.Get(), file.folder.Get(), file.items[0].Get()),
         {idList, CF_HDROP}},
        {"tree root",
         MakeComObject<TDataObject_shtv>(nullptr, file.folder.Get(), file.items[0].Get()),
         {}},
        {"virtual item",
         MakeComObject<TDataObject_shlv>(nullptr, computer.folder.Get(), computer.Pointers()),
         {idList}},
        {"no item",
         MakeComObject<TDataObject_shlv>(file.parent.Get(), file.folder.Get(), ItemSpan()),
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(EnumeratedFormats(c.data.Get()), c.formats);
        for (const CLIPFORMAT format : {idList, CLIPFORMAT(CF_HDROP)}) {
            FORMATETC asked{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
            const bool offered = std::count(c.formats.begin(), c.formats.end(), format) != 0;
            EXPECT_EQ(c.data->QueryGetData(&asked), offered ? S_OK : DV_E_FORMATETC);
            EXPECT_EQ(BlockBytes(c.data.Get(), format).empty(), !offered);
        }
    }
}

TEST(DataObject, AnswersEveryMethodAndItsEnumeratorKeepsItAlive) {
    TempDir dir;
    dir.Write(L"a.txt", "x");
    RealItems file(dir.Path(), {L"a.txt"});
    const long live = ComObjectCounter::Live();
    ComPtr<IDataObject> data =
        MakeComObject<TDataObject_shtv>(file.parent.Get(), file.folder.Get(), file.items[0].Get());
    const auto format = [](CLIPFORMAT number, DWORD aspect, DWORD media) {
        return FORMATETC{number, nullptr, aspect, -1, media};
    };
    std::vector<std::pair<FORMATETC, HRESULT>> queries = {
        {format(CF_HDROP, DVASPECT_CONTENT, TYMED_HGLOBAL | TYMED_ISTREAM), S_OK},
        {format(CF_HDROP, DVASPECT_CONTENT, TYMED_ISTREAM), DV_E_TYMED},
        {format(CF_HDROP, DVASPECT_THUMBNAIL, TYMED_HGLOBAL), DV_E_FORMATETC},
        {format(CF_UNICODETEXT, DVASPECT_CONTENT, TYMED_HGLOBAL), DV_E_FORMATETC}};
    for (auto& [asked, result] : queries) {
        STGMEDIUM medium{};
        EXPECT_EQ(data->QueryGetData(&asked), result);
        EXPECT_EQ(data->GetData(&asked, &medium), result);
        EXPECT_EQ(medium.tymed, DWORD(SUCCEEDED(result) ? TYMED_HGLOBAL : TYMED_NULL));
        if (SUCCEEDED(result)) ReleaseStgMedium(&medium);
    }
    FORMATETC canonical{};
    canonical.ptd = reinterpret_cast<DVTARGETDEVICE*>(&canonical);
    STGMEDIUM medium{};
    DWORD connection = 0;
    ComPtr<IEnumSTATDATA> advises;
    ComPtr<IEnumFORMATETC> formats;
    ComPtr<IDropTarget> notOffered;
    FORMATETC& asked = queries[0].first;
    EXPECT_THAT((std::vector<HRESULT>{
                    data->GetDataHere(&asked, &medium), data->SetData(&asked, &medium, FALSE),
                    data->GetCanonicalFormatEtc(&asked, &canonical),
                    data->DAdvise(&asked, 0, nullptr, &connection), data->DUnadvise(connection),
                    data->EnumDAdvise(&advises), data->EnumFormatEtc(DATADIR_SET, &formats),
                    data.As(&notOffered)}),
                testing::ElementsAre(E_NOTIMPL, E_NOTIMPL, E_NOTIMPL, OLE_E_ADVISENOTSUPPORTED,
                                     OLE_E_ADVISENOTSUPPORTED, OLE_E_ADVISENOTSUPPORTED, E_NOTIMPL,
                                     E_NOINTERFACE));
    EXPECT_TRUE(canonical.ptd == nullptr && !formats);

    // The enumerator over [array, CF_HDROP] outlives the caller's last reference to the data.
    ASSERT_EQ(data->EnumFormatEtc(DATADIR_GET, &formats), S_OK);
    data.Reset();
    FORMATETC got[3] = {};
    ULONG fetched = 9;
    ComPtr<IEnumFORMATETC> clone;
    EXPECT_THAT(
        (std::vector<HRESULT>{formats->Next(3, got, &fetched), formats->Reset(), formats->Skip(1),
                              formats->Clone(&clone), formats->Skip(5),
                              formats->Next(1, got + 2, nullptr), formats->Next(2, got, nullptr)}),
        testing::ElementsAre(S_FALSE, S_OK, S_OK, S_OK, S_FALSE, S_FALSE, E_POINTER));
    EXPECT_EQ(fetched, 2u);
    EXPECT_TRUE(got[1].cfFormat == CF_HDROP && got[1].lindex == -1 && got[2].cfFormat == 0);
    EXPECT_EQ(clone->Next(1, got, &fetched), S_OK);  // the clone started where Skip(1) left
    EXPECT_EQ(got[0].cfFormat, CF_HDROP);
    formats.Reset();
    EXPECT_EQ(ComObjectCounter::Live(), live + 2);  // the clone and the data object
    clone.Reset();
    EXPECT_EQ(ComObjectCounter::Live(), live);
}
