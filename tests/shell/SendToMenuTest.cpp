#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "CommandDoubles.h"
#include "common/TempDir.h"
#include "shell/ContextMenuHost.h"
#include "shell/SendToMenu.h"
#include "shell/ShellUtils.h"
#include "base/Error.h"
#include "base/Handle.h"

using Microsoft::WRL::ComPtr;
using shell_test::FakeDropTarget;
using shell_test::FakeMenu;

namespace {

// Entries of the prefix's Send To folder for the whole suite: the process-wide list keeps what it
// has seen, so every test of it shares them. Only the first three are entries.
const wchar_t* const kEntries[] = {L"Beta.doc.txt", L"apple notes.txt", L"Alpha target.txt"};
const wchar_t kHiddenFile[] = L"Hidden entry.txt";
const wchar_t kFolder[] = L"Folder entry";

std::wstring SendToFolder() { return SpecialFolderPath(nullptr, CSIDL_SENDTO | CSIDL_FLAG_CREATE); }

base::MenuHandle Placeholder(UINT state = MF_GRAYED) {
    base::MenuHandle popup(CreatePopupMenu());
    AppendMenuW(popup.Get(), MF_STRING | state, 4321, L"(empty)");
    return popup;
}

MenuMessageResult InitPopup(IContextMenu* menu, HMENU popup, bool systemMenu = false) {
    return ForwardMenuMessage(menu, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup),
                              MAKELPARAM(1, systemMenu));
}

// The captions of a popup's items, checking that item k is owner-drawn Send To entry k.
std::vector<std::wstring> Captions(HMENU popup) {
    std::vector<std::wstring> captions;
    for (int position = 0; position < GetMenuItemCount(popup); ++position) {
        MENUITEMINFOW item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_ID | MIIM_DATA | MIIM_FTYPE;
        GetMenuItemInfoW(popup, UINT(position), TRUE, &item);
        EXPECT_EQ(item.wID, UINT(position + 1));
        EXPECT_EQ(item.dwItemData, ULONG_PTR(position));
        EXPECT_TRUE(item.fType & MFT_OWNERDRAW);
        captions.push_back(SendToCaption(SendToList()[position].name));
    }
    return captions;
}

int PositionOf(HMENU popup, const std::wstring& caption) {
    const std::vector<std::wstring> captions = Captions(popup);
    return int(std::find(captions.begin(), captions.end(), caption) - captions.begin());
}

COLORREF Pixel(HDC dc, int x, int y) { return GetPixel(dc, x, y); }

}  // namespace

class SendToMenu : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        const std::wstring folder = SendToFolder();
        for (const wchar_t* name : kEntries)
            testing_support::WriteFileBytes(folder + L"\\" + name, "x");
        testing_support::WriteFileBytes(folder + L"\\" + kHiddenFile, "x");
        SetFileAttributesW((folder + L"\\" + kHiddenFile).c_str(), FILE_ATTRIBUTE_HIDDEN);
        CreateDirectoryW((folder + L"\\" + kFolder).c_str(), nullptr);
    }
    static void TearDownTestSuite() {
        const std::wstring folder = SendToFolder();
        for (const wchar_t* name : kEntries) DeleteFileW((folder + L"\\" + name).c_str());
        SetFileAttributesW((folder + L"\\" + kHiddenFile).c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW((folder + L"\\" + kHiddenFile).c_str());
        RemoveDirectoryW((folder + L"\\" + kFolder).c_str());
    }
    // A popup filled with the entries, by a menu object that cannot fill it itself.
    base::MenuHandle Filled() {
        base::MenuHandle popup = Placeholder();
        EXPECT_TRUE(InitPopup(plainMenu_.Get(), popup.Get()).handled);
        return popup;
    }
    const ComPtr<FakeMenu> plainMenu_ =
        MakeComObject<FakeMenu>(1, std::vector<shell_test::FakeCommand>{});
};

TEST_F(SendToMenu, ThePlaceholderBecomesTheSortedEntriesWhereTheObjectCannotFillIt) {
    const base::MenuHandle popup = Filled();
    std::vector<std::wstring> ours;
    for (const std::wstring& caption : Captions(popup.Get()))
        if (caption != L"Gone entry") ours.push_back(caption);
    EXPECT_EQ(ours, (std::vector<std::wstring>{L"Alpha target", L"apple notes", L"Beta.doc"}));

    struct Case {
        const char* name;
        int level;
        HRESULT handleResult;
        UINT state;
        bool systemMenu;
        bool filled;
    };
    const Case cases[] = {
        {"draws its own", 3, S_OK, MF_GRAYED, false, false},
        {"handles it the older way", 2, S_OK, MF_GRAYED, false, false},
        {"answers but fails", 3, E_NOTIMPL, MF_GRAYED, false, false},
        {"cannot draw", 1, S_OK, MF_GRAYED, false, true},
        {"an enabled item", 1, S_OK, MF_ENABLED, false, false},
        {"the system menu", 1, S_OK, MF_GRAYED, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ComPtr<FakeMenu> menu =
            MakeComObject<FakeMenu>(c.level, std::vector<shell_test::FakeCommand>{});
        menu->handleResult = c.handleResult;
        const base::MenuHandle placeholder = Placeholder(c.state);
        InitPopup(menu.Get(), placeholder.Get(), c.systemMenu);
        EXPECT_EQ(GetMenuItemID(placeholder.Get(), 0) != 4321, c.filled);
        EXPECT_EQ(menu->handled.size(), c.level > 1 ? 1u : 0u);
    }
    EXPECT_FALSE(InitPopup(nullptr, Placeholder().Get()).handled);
}

TEST_F(SendToMenu, TheListIsSortedWithoutDuplicatesAndCutAtTheRange) {
    TSendToList list;
    for (const auto& [name, icon] : {std::pair{L"b", 1}, {L"A", 2}, {L"a", 3}, {L"C", -1}})
        list.Add(name, icon);
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list[0].name, L"A");
    EXPECT_EQ(list[0].iconIndex, 2);
    EXPECT_EQ(list[2].name, L"C");

    for (int n = 0; n < 1200; ++n) list.Add(L"Entry " + std::to_wstring(1000 + n), 0);
    const base::MenuHandle popup(CreatePopupMenu());
    AppendSendToItems(popup.Get(), list);
    EXPECT_EQ(GetMenuItemCount(popup.Get()), 999);
    EXPECT_EQ(GetMenuItemID(popup.Get(), 998), kLastSendToCommand);
}

TEST_F(SendToMenu, ItemsAreMeasuredAndDrawnWithTheMenuFontColoursAndIcons) {
    const base::MenuHandle popup = Filled();
    const UINT index = UINT(PositionOf(popup.Get(), L"Alpha target"));

    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    base::FontHandle font(CreateFontIndirectW(&metrics.lfMenuFont));
    base::MemoryDcHandle dc(CreateCompatibleDC(nullptr));
    SIZE extent{};
    {
        base::SelectGuard selected(dc.Get(), font.Get());
        GetTextExtentPoint32W(dc.Get(), L"Alpha target", 12, &extent);
    }
    MEASUREITEMSTRUCT measure{ODT_MENU, 0, index + 1, 0, 0, index};
    const MenuMessageResult measured =
        ForwardMenuMessage(plainMenu_.Get(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
    EXPECT_TRUE(measured.handled);
    EXPECT_EQ(measure.itemWidth, UINT(extent.cx + 32));
    EXPECT_EQ(measure.itemHeight, UINT(GetSystemMetrics(SM_CYMENU) + 2));

    const int width = 200, height = 24;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    base::BitmapHandle bitmap(CreateDIBSection(dc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    base::SelectGuard selectedBitmap(dc.Get(), bitmap.Get());
    const auto count = [&](int left, int right, COLORREF colour, bool equal) {
        int pixels = 0;
        for (int x = left; x < right; ++x)
            for (int y = 0; y < height; ++y) pixels += (Pixel(dc.Get(), x, y) == colour) == equal;
        return pixels;
    };
    for (const bool selected : {false, true}) {
        SCOPED_TRACE(selected ? "selected" : "not selected");
        const COLORREF back = GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_MENU);
        const COLORREF text = GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
        DRAWITEMSTRUCT draw{ODT_MENU,
                            0,
                            index + 1,
                            ODA_DRAWENTIRE,
                            selected ? UINT(ODS_SELECTED) : 0,
                            reinterpret_cast<HWND>(popup.Get()),
                            dc.Get(),
                            {0, 0, width, height},
                            index};
        EXPECT_TRUE(
            ForwardMenuMessage(plainMenu_.Get(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw))
                .handled);
        EXPECT_EQ(count(0, 8, back, false), 0);      // nothing left of the icon
        EXPECT_GT(count(8, 24, back, false), 0);     // the icon
        EXPECT_GT(count(32, width, text, true), 0);  // the caption
        EXPECT_EQ(count(24, 32, back, false), 0);    // between them
        // An item with a negative identifier is only filled.
        draw.itemID = UINT(-1);
        EXPECT_TRUE(
            ForwardMenuMessage(plainMenu_.Get(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw))
                .handled);
        EXPECT_EQ(count(0, width, back, false), 0);
    }
    // Nothing of anyone else's: another control's item, an item of the shell's own.
    DRAWITEMSTRUCT other{ODT_LISTBOX, 0,       index + 1, ODA_DRAWENTIRE,
                         0,           nullptr, dc.Get(),  {0, 0, width, height},
                         index};
    EXPECT_FALSE(
        ForwardMenuMessage(plainMenu_.Get(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&other))
            .handled);
    measure = {ODT_MENU, 0, 1500, 0, 0, 5000};
    EXPECT_FALSE(
        ForwardMenuMessage(plainMenu_.Get(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure))
            .handled);
}

TEST_F(SendToMenu, MenuCharactersSelectSeveralMatchesExecuteOneAndCloseOnNone) {
    const base::MenuHandle popup = Filled();
    const int alpha = PositionOf(popup.Get(), L"Alpha target");
    const int apple = PositionOf(popup.Get(), L"apple notes");
    const int beta = PositionOf(popup.Get(), L"Beta.doc");
    const struct {
        int highlighted;
        wchar_t key;
        int position;
        WORD answer;
    } cases[] = {
        {-1, L'a', alpha, MNC_SELECT},  // the first match, even at the top
        {alpha, L'A', apple, MNC_SELECT},
        {apple, L'a', alpha, MNC_SELECT},  // round again from the top
        {-1, L'b', beta, MNC_EXECUTE},
        {beta, L'B', beta, MNC_EXECUTE},
        {alpha, L'q', 0, MNC_CLOSE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << char(c.key) << " after " << c.highlighted);
        for (int position = 0; position < GetMenuItemCount(popup.Get()); ++position) {
            MENUITEMINFOW item{};
            item.cbSize = sizeof item;
            item.fMask = MIIM_STATE;
            item.fState = position == c.highlighted ? MFS_HILITE : 0;
            SetMenuItemInfoW(popup.Get(), UINT(position), TRUE, &item);
        }
        const MenuMessageResult result =
            ForwardMenuMessage(plainMenu_.Get(), WM_MENUCHAR, MAKEWPARAM(c.key, MF_POPUP),
                               reinterpret_cast<LPARAM>(popup.Get()));
        EXPECT_TRUE(result.handled);
        EXPECT_EQ(result.result, MAKELRESULT(c.position, c.answer));
    }
    // Not a popup of ours, or not a popup at all: left to the menu.
    const base::MenuHandle other = Placeholder();
    EXPECT_FALSE(ForwardMenuMessage(plainMenu_.Get(), WM_MENUCHAR, MAKEWPARAM(L'a', MF_POPUP),
                                    reinterpret_cast<LPARAM>(other.Get()))
                     .handled);
    EXPECT_FALSE(ForwardMenuMessage(plainMenu_.Get(), WM_MENUCHAR, MAKEWPARAM(L'a', 0),
                                    reinterpret_cast<LPARAM>(popup.Get()))
                     .handled);
}

TEST_F(SendToMenu, DataIsDroppedOnlyOnATargetThatTakesTheCopy) {
    const struct {
        const char* name;
        DWORD enterEffect, overEffect;
        HRESULT enterResult;
        bool dropped;
        std::vector<std::string> calls;
    } cases[] = {
        {"takes it", DROPEFFECT_COPY, DROPEFFECT_COPY, S_OK, true, {"enter", "over", "drop"}},
        {"refuses", DROPEFFECT_NONE, DROPEFFECT_COPY, S_OK, false, {"enter", "leave"}},
        {"would move", DROPEFFECT_MOVE, DROPEFFECT_COPY, S_OK, false, {"enter", "leave"}},
        {"refuses later",
         DROPEFFECT_COPY,
         DROPEFFECT_NONE,
         S_OK,
         false,
         {"enter", "over", "leave"}},
        {"fails", DROPEFFECT_COPY, DROPEFFECT_COPY, E_UNEXPECTED, false, {"enter"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ComPtr<FakeDropTarget> target = MakeComObject<FakeDropTarget>();
        target->enterEffect = c.enterEffect;
        target->overEffect = c.overEffect;
        target->enterResult = c.enterResult;
        if (FAILED(c.enterResult))
            EXPECT_THROW(DropData(target.Get(), nullptr), base::PlatformError);
        else
            EXPECT_EQ(DropData(target.Get(), nullptr), c.dropped);
        EXPECT_EQ(target->calls, c.calls);
    }

    // The real entries have targets; a missing entry or file raises.
    Filled();
    const int count = SendToList().Count();
    int targets = 0;
    for (int index = 0; index < count; ++index) targets += SendToTarget(index) ? 1 : 0;
    EXPECT_EQ(targets, count);
    EXPECT_THROW(SendToTarget(count), base::Error);
    EXPECT_THROW(SendToTarget(-1), base::Error);
    const std::wstring gone = SendToFolder() + L"\\Gone entry.txt";
    testing_support::WriteFileBytes(gone, "x");
    Filled();
    DeleteFileW(gone.c_str());
    bool found = false;
    for (int index = 0; index < SendToList().Count(); ++index) {
        if (SendToList()[index].name != L"Gone entry.txt") continue;
        found = true;
        EXPECT_THROW(SendToTarget(index), base::PlatformError);
    }
    EXPECT_TRUE(found);
}
