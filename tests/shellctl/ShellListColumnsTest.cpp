#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "ShellListTestSupport.h"
#include "shell/ShellDetails.h"
#include "shellctl/ColumnWidthMemory.h"

namespace shellctl {
namespace {

using namespace testing_support;
using Microsoft::WRL::ComPtr;
using Widths = std::vector<int>;

constexpr wchar_t kExplorerKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";

// Sets (or removes) the Explorer's column setting for the test and puts the user's back after.
class DirectoryColsValue {
  public:
    DirectoryColsValue() {
        DWORD size = sizeof saved_;
        if (RegGetValueW(HKEY_CURRENT_USER, kExplorerKey, L"DirectoryCols", RRF_RT_REG_BINARY,
                         nullptr, saved_, &size) == ERROR_SUCCESS)
            savedSize_ = size;
        Set(std::nullopt);
    }
    ~DirectoryColsValue() {
        if (savedSize_) {
            RegSetKeyValueW(HKEY_CURRENT_USER, kExplorerKey, L"DirectoryCols", REG_BINARY, saved_,
                            *savedSize_);
        } else {
            Set(std::nullopt);
        }
    }
    void Set(const std::optional<std::vector<std::uint16_t>>& widths) {
        if (!widths) {
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kExplorerKey, L"DirectoryCols");
            return;
        }
        RegSetKeyValueW(HKEY_CURRENT_USER, kExplorerKey, L"DirectoryCols", REG_BINARY,
                        widths->data(), DWORD(widths->size() * 2));
    }

  private:
    BYTE saved_[64] = {};
    std::optional<DWORD> savedSize_;
};

// A fresh process as far as columns go.
void ForgetColumns() {
    ColumnWidthMemory::Instance().Clear();
    ForgetExplorerSetting();
}

Widths ColumnWidths(const TPTCustomShellList& list) {
    Widths widths;
    for (int column = 0; column < list.ColumnCount(); ++column)
        widths.push_back(list.ColumnWidth(column));
    return widths;
}

std::wstring Caption(const TPTCustomShellList& list, int column, int* format = nullptr) {
    wchar_t text[64] = {};
    LVCOLUMNW request{};
    request.mask = LVCF_TEXT | LVCF_FMT;
    request.pszText = text;
    request.cchTextMax = 64;
    list.Send(LVM_GETCOLUMNW, WPARAM(column), LPARAM(&request));
    if (format != nullptr) *format = request.fmt & LVCFMT_JUSTIFYMASK;
    return text;
}

int RowOf(const TPTCustomShellList& list, const std::wstring& name) {
    const std::vector<std::wstring> names = ColumnTexts(list, 0);
    const auto found = std::find(names.begin(), names.end(), name);
    return found == names.end() ? -1 : int(found - names.begin());
}

void WriteSparseFile(const std::wstring& path, LONGLONG size) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER end{};
    end.QuadPart = size;
    SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
    SetEndOfFile(file);
    CloseHandle(file);
}

// Answers for every column it is asked about.
class EndlessDetails final : public ComObject<IShellDetails> {
  public:
    HRESULT STDMETHODCALLTYPE GetDetailsOf(PCUITEMID_CHILD item, UINT column,
                                           SHELLDETAILS* details) override {
        details->fmt = column % 3;
        details->cxChar = 10;
        details->str.uType = STRRET_CSTR;
        lstrcpyA(details->str.cStr, item == nullptr ? "Column" : "Cell");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ColumnClick(UINT) override { return E_NOTIMPL; }
};

class ShellListColumns : public testing::Test {
  protected:
    ShellListColumns() {
        ForgetColumns();
        view.list.Create(view.form, RECT{0, 0, 380, 280});
    }
    ~ShellListColumns() override { ForgetColumns(); }

    // Lists a folder through an object that offers no details provider.
    void FillStandard(const std::wstring& path) {
        folder = SeamFolder::Of(path);
        view.list.FillList(folder.Get(), folder->IdList());
    }

    DirectoryColsValue explorerSetting;
    TempDir dir;
    ListOnForm view;
    ComPtr<SeamFolder> folder;
};

TEST_F(ShellListColumns, StandardColumnsShowSizesInKilobytesTypesAndTimes) {
    dir.Write(L"zero.txt", "");
    dir.Write(L"one.txt", "1");
    dir.Write(L"big.txt", std::string(1048577, 'b'));
    WriteSparseFile(dir / L"huge.bin", 5LL << 30);
    dir.MakeDir(L"sub");
    FillStandard(dir.Path());

    ASSERT_EQ(view.list.ColumnMode(), TPTShellColumnMode::Standard);
    const struct {
        const wchar_t* caption;
        int format;
        int width;
    } columns[] = {{L"Name", LVCFMT_LEFT, 200},
                   {L"Size", LVCFMT_RIGHT, 60},
                   {L"Type", LVCFMT_LEFT, 100},
                   {L"Modified", LVCFMT_LEFT, 120}};
    ASSERT_EQ(view.list.ColumnCount(), 4);
    for (int column = 0; column < 4; ++column) {
        int format = -1;
        EXPECT_EQ(Caption(view.list, column, &format), columns[column].caption);
        EXPECT_EQ(format, columns[column].format);
        EXPECT_EQ(view.list.ColumnWidth(column), columns[column].width);
    }
    const struct {
        const wchar_t* name;
        const wchar_t* size;
    } rows[] = {{L"zero.txt", L"0KB"},
                {L"one.txt", L"1KB"},
                {L"big.txt", L"1,025KB"},
                {L"huge.bin", L"5,242,880KB"},
                {L"sub", L""}};
    for (const auto& row : rows) {
        const int item = RowOf(view.list, row.name);
        ASSERT_GE(item, 0) << row.name;
        EXPECT_EQ(CellText(view.list, item, 1), row.size) << row.name;
        EXPECT_FALSE(CellText(view.list, item, 2).empty()) << row.name;
        EXPECT_FALSE(CellText(view.list, item, 3).empty()) << row.name;
        EXPECT_EQ(CellText(view.list, item, 4), L"");
    }
}

TEST_F(ShellListColumns, DriveRootsAndVirtualItemsHaveNoFileDetails) {
    folder = SeamFolder::OfSpecial(CSIDL_DRIVES);
    view.list.FillList(folder.Get(), folder->IdList());
    const int drive = RowOf(view.list, CellText(view.list, 0, 0));
    ASSERT_GE(drive, 0);
    EXPECT_EQ(view.list.ShellDataAt(drive).GetPath().size(), 3u);
    EXPECT_EQ(CellText(view.list, drive, 1), L"");
    EXPECT_EQ(CellText(view.list, drive, 3), L"");
    EXPECT_NE(CellText(view.list, drive, 2), L"");

    folder = SeamFolder::OfSpecial(CSIDL_DESKTOP);
    view.list.FillList(folder.Get(), folder->IdList());
    bool sawVirtual = false;
    for (int item = 0; item < view.list.ItemCount(); ++item) {
        if (!view.list.ShellDataAt(item).GetPath().empty()) continue;
        sawVirtual = true;
        EXPECT_EQ(CellText(view.list, item, 2), L"System Folder");
    }
    EXPECT_TRUE(sawVirtual);
}

TEST_F(ShellListColumns, TheExplorersSettingGivesTheInitialWidths) {
    const struct {
        std::optional<std::vector<std::uint16_t>> setting;
        Widths widths;
    } cases[] = {
        {std::nullopt, {200, 60, 100, 120}},
        {std::vector<std::uint16_t>{150, 70, 90, 110}, {150, 70, 90, 110}},
        {std::vector<std::uint16_t>{300, 80}, {300, 80, 100, 120}},
        {std::vector<std::uint16_t>{11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21}, {11, 12, 13, 14}},
        // Longer than any layout the setting can hold: ignored.
        {std::vector<std::uint16_t>(12, 40), {200, 60, 100, 120}},
    };
    for (const auto& row : cases) {
        ForgetColumns();
        explorerSetting.Set(row.setting);
        FillStandard(dir.Path());
        EXPECT_EQ(ColumnWidths(view.list), row.widths) << row.widths[0];
    }
    // A new setting wins over the widths the user gave under the old one.
    view.list.SetColumnWidth(0, 333);
    explorerSetting.Set(std::vector<std::uint16_t>{150, 70, 90, 110});
    FillStandard(dir.Path());
    EXPECT_EQ(ColumnWidths(view.list), (Widths{150, 70, 90, 110}));
}

TEST_F(ShellListColumns, AWidenedColumnIsKeptInTheNextFileSystemFolder) {
    TempDir second;
    // Standard columns, then the platform's own columns of file-system folders.
    FillStandard(dir.Path());
    view.list.SetColumnWidth(0, 333);
    FillStandard(second.Path());
    EXPECT_EQ(view.list.ColumnWidth(0), 333);

    ForgetColumns();
    view.Show(dir.Path());
    ASSERT_EQ(view.list.ColumnMode(), TPTShellColumnMode::Provider);
    view.list.SetColumnWidth(0, 344);
    view.list.SetColumnWidth(1, 77);
    // A virtual folder neither takes nor leaves widths.
    view.list.Folder().SetSpecialFolder(CSIDL_DRIVES);
    EXPECT_NE(view.list.ColumnWidth(0), 344);
    view.list.SetColumnWidth(0, 555);
    view.Show(second.Path());
    EXPECT_EQ(view.list.ColumnWidth(0), 344);
    EXPECT_EQ(view.list.ColumnWidth(1), 77);

    // Also when the list goes, and into another list.
    view.list.SetColumnWidth(0, 366);
    view.list.Destroy();
    EXPECT_EQ(ColumnWidthMemory::Instance().Widths().at(0), 366);
    ListOnForm other;
    other.Show(dir.Path());
    EXPECT_EQ(other.list.ColumnWidth(0), 366);
}

TEST_F(ShellListColumns, ProviderColumnsFollowTheProviderUpToALimit) {
    dir.Write(L"a.txt", "a");
    folder = SeamFolder::Of(dir.Path());
    folder->details = MakeComObject<EndlessDetails>();
    view.list.FillList(folder.Get(), folder->IdList());
    ASSERT_EQ(view.list.ColumnMode(), TPTShellColumnMode::Provider);
    EXPECT_EQ(view.list.ColumnCount(), 128);
    const int formats[] = {LVCFMT_LEFT, LVCFMT_RIGHT, LVCFMT_CENTER};
    for (int column = 1; column < 4; ++column) {
        int format = -1;
        EXPECT_EQ(Caption(view.list, column, &format), L"Column");
        EXPECT_EQ(format, formats[column % 3]);
        EXPECT_EQ(view.list.ColumnWidth(column), 70);
        EXPECT_EQ(CellText(view.list, 0, column), L"Cell");
    }
}

TEST(ColumnWidthMemory, ReadsWhatItHoldsEvenWhenShorterThanItsCount) {
    ColumnWidthMemory& memory = ColumnWidthMemory::Instance();
    const struct {
        std::vector<std::uint8_t> bytes;
        Widths widths;
    } cases[] = {
        {{3, 0, 0, 0, 10, 0, 0, 0, 20, 0, 0, 0, 0x2C, 1, 0, 0}, {10, 20, 300}},
        {{4, 0, 0, 0, 10, 0, 0, 0, 20, 0, 0, 0, 30}, {10, 20}},
        {{1, 0, 0}, {}},
        {{}, {}},
    };
    for (const auto& row : cases) {
        memory.SetBytes(row.bytes);
        EXPECT_EQ(memory.Widths(), row.widths);
    }
    memory.Store(Widths{5, -1});
    EXPECT_EQ(memory.Widths(), (Widths{5, -1}));
    memory.Clear();
    EXPECT_TRUE(memory.Empty());
}

}  // namespace
}  // namespace shellctl
