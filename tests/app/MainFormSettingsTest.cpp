#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ScratchKey.h"
#include "app/MainForm.h"
#include "app/Product.h"
#include "common/TempDir.h"
#include "shellctl/ColumnWidthMemory.h"
#include "ui/Application.h"

using testing_support::MessageBoxRecorder;
using testing_support::ReadFileBytes;
using testing_support::ScratchKey;
using testing_support::TempDir;
using testing_support::WideBytes;

namespace {

void ForgetColumnWidths() {
    shellctl::ColumnWidthMemory::Instance().Clear();
    shellctl::ForgetExplorerSetting();
}

// Windows that other tests show and close read and write the program's own key: each test
// starts without it, and the run leaves none behind. Each test starts as a new process would,
// with no column widths remembered.
class ForgetProgramSettings : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override {
        Forget();
        ForgetColumnWidths();
    }
    void OnTestProgramEnd(const testing::UnitTest&) override { Forget(); }
    static void Forget() { RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey); }
};
const bool kListening = [] {
    testing::UnitTest::GetInstance()->listeners().Append(new ForgetProgramSettings);
    return true;
}();

// A start of the program on the scratch key: the window made and shown, and the tree and the
// list filled as the first turns of the message loop fill them.
std::unique_ptr<TMainForm> Start(const ScratchKey& key) {
    auto form = std::make_unique<TMainForm>();
    form->SetSettingsKey(key.Path());
    form->Show();
    ui::App().ProcessMessages();
    form->PTShellTree1->FlushPendingSync();
    return form;
}

int TreeHeight(const TMainForm& form) { return form.PTShellTree1->Height(); }
int ColumnWidth(const TMainForm& form, int column) {
    return form.PTShellList1->ColumnWidth(column);
}

RECT WorkArea() {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

void AddHistory(ui::ComboBox& combo, int first, int count) {
    for (int i = first; i < first + count; ++i) combo.AddItem(L"text " + std::to_wstring(i));
}

// Every value, none of them the layout's.
void StoreEverything(const ScratchKey& key, const std::wstring& treeFolder = L"") {
    key.SetDword(L"CaseSensitive", 5);  // any number but 0 is true
    key.SetDword(L"WholeWords", 0);
    key.SetDword(L"Backup", 0);
    key.SetDword(L"TopPos", 7);
    key.SetDword(L"LeftPos", 9);
    key.SetDword(L"Width", 800);
    key.SetDword(L"Height", 600);
    key.Set(L"Filter", REG_SZ, WideBytes({L"*.ini\0*.txt", 12}));
    key.SetString(L"SelectDir", treeFolder);
    key.SetDword(L"SelectDirHeight", 150);
    key.SetString(L"ShellTreeFolder", treeFolder);
    key.SetString(L"ScanFolderDir", L"%TEMP%", REG_EXPAND_SZ);
    for (int column = 0; column < 4; ++column)
        key.SetDword(L"Col" + std::to_wstring(column), DWORD(101 + column));
    for (int k = 0; k < 3; ++k)
        key.SetString(L"FindText" + std::to_wstring(k), L"find " + std::to_wstring(k));
    key.SetString(L"ReplaceText0", L"replace 0");
}

TEST(Settings, EverythingStoredComesBackAndTheWindowOpensCentred) {
    TempDir dir;
    ScratchKey key;
    StoreEverything(key, dir.Path());
    auto form = Start(key);
    EXPECT_TRUE(form->cbCase->Checked());
    EXPECT_FALSE(form->cbWhole->Checked());
    EXPECT_FALSE(form->cbBackup->Checked());
    const RECT work = WorkArea();
    EXPECT_EQ(form->Width(), 800);
    EXPECT_EQ(form->Height(), 600);
    EXPECT_EQ(form->Left(), work.left + (work.right - work.left - 800) / 2);
    EXPECT_EQ(form->Top(), work.top + (work.bottom - work.top - 600) / 2);
    EXPECT_EQ(TreeHeight(*form), 150);
    EXPECT_EQ(form->PTShellTree1->SelectedPath(), dir.Path());
    EXPECT_EQ(form->PTShellList1->FolderPath(), dir.Path());
    for (int column = 0; column < 4; ++column) EXPECT_EQ(ColumnWidth(*form, column), 101 + column);
    EXPECT_EQ(form->ComboFilter->Text(), L"*.ini");       // up to the first NUL
    EXPECT_EQ(form->PTShellList1->FileFilter(), L"*.*");  // shown, not applied
    EXPECT_EQ(form->editFolder->Text(), L"%TEMP%");       // never expanded
    EXPECT_EQ(form->edtFind->Items(), (std::vector<std::wstring>{L"find 2", L"find 1", L"find 0"}));
    EXPECT_EQ(form->edtReplace->Items(), std::vector<std::wstring>{L"replace 0"});
    EXPECT_EQ(form->cbExtension->Text(), L"*.*");
}

// The first value that cannot be read ends the reading: what comes before it is restored,
// nothing after it, and the filter shows all supported types whether it was read or not.
TEST(Settings, AnUnreadableValueEndsTheReadingThere) {
    // What a value restores, in the order of reading.
    const std::vector<std::pair<const wchar_t*, std::function<bool(TMainForm&)>>> restored = {
        {L"CaseSensitive", [](TMainForm& f) { return f.cbCase->Checked(); }},
        {L"WholeWords", [](TMainForm& f) { return !f.cbWhole->Checked(); }},
        {L"Backup", [](TMainForm& f) { return !f.cbBackup->Checked(); }},
        {L"Width", [](TMainForm& f) { return f.Width() == 800; }},
        {L"Height", [](TMainForm& f) { return f.Height() == 600; }},
        {L"SelectDirHeight", [](TMainForm& f) { return TreeHeight(f) == 150; }},
        {L"Col1", [](TMainForm& f) { return ColumnWidth(f, 1) == 102; }},
        {L"ScanFolderDir", [](TMainForm& f) { return f.editFolder->Text() == L"%TEMP%"; }},
        {L"FindText0", [](TMainForm& f) { return f.edtFind->Count() == 3; }},
    };
    const struct {
        const wchar_t* name;
        DWORD type;  // REG_NONE: absent
        std::string bytes;
        size_t restoredBefore;  // entries of the list above that still come back
    } cases[] = {
        {L"WholeWords", REG_NONE, "", 1},
        {L"Backup", REG_SZ, WideBytes({L"1", 2}), 2},
        {L"TopPos", REG_DWORD, std::string("\x07\x00", 2), 3},
        {L"Height", REG_BINARY, std::string(4, '\0'), 4},
        {L"SelectDirHeight", REG_NONE, "", 5},
        {L"Col2", REG_BINARY, std::string(4, '\0'), 7},
        {L"Filter", REG_DWORD, std::string(4, '\0'), 7},
        {L"ScanFolderDir", REG_MULTI_SZ, WideBytes({L"x\0", 3}), 7},
    };
    TempDir dir;
    for (const auto& c : cases) {
        ScratchKey key;
        StoreEverything(key, dir.Path());
        if (c.type == REG_NONE)
            key.Delete(c.name);
        else
            key.Set(c.name, c.type, c.bytes);
        auto form = Start(key);
        for (size_t i = 0; i < restored.size(); ++i)
            EXPECT_EQ(restored[i].second(*form), i < c.restoredBefore)
                << c.name << " breaks, " << restored[i].first << " checked";
        EXPECT_EQ(form->ComboFilter->Text(), L"All supported file types") << c.name;
    }
}

// Position k holds the entry k places before the newest. A reading that ended early restored no
// history: texts recorded afterwards take the newest positions only, and the older entries come
// back behind them. A value that cannot be read costs that entry only.
TEST(Settings, HistoriesKeepTheirTenNewestEntries) {
    ScratchKey key;
    StoreEverything(key);
    for (int k = 0; k < 10; ++k)
        key.SetString(L"FindText" + std::to_wstring(k), L"old " + std::to_wstring(k));
    key.Delete(L"WholeWords");
    auto form = Start(key);
    EXPECT_EQ(form->edtFind->Count(), 0);
    AddHistory(*form->edtFind, 1, 3);
    form->Close();

    key.SetDword(L"WholeWords", 1);
    key.SetDword(L"FindText5", 5);
    key.Set(L"FindText6", REG_SZ, "");
    form = Start(key);
    EXPECT_EQ(form->edtFind->Items(),
              (std::vector<std::wstring>{L"old 9", L"old 8", L"old 7", L"old 4", L"old 3",
                                         L"text 1", L"text 2", L"text 3"}));

    form->edtFind->Clear();
    AddHistory(*form->edtFind, 1, 12);
    form->edtReplace->Clear();
    form->Close();
    EXPECT_EQ(key.Get(L"FindText0").second, WideBytes({L"text 12", 8}));
    EXPECT_EQ(key.Get(L"FindText9").second, WideBytes({L"text 3", 7}));
    EXPECT_EQ(key.Get(L"ReplaceText0").second, WideBytes({L"replace 0", 10}));  // kept
}

// Columns included: the list view would take -1 and -2 as sizes to fit, and make a column of
// millions of pixels.
TEST(Settings, AbsurdGeometryStillGivesAUsableWindow) {
    const RECT work = WorkArea();
    const struct {
        int width, height, treeHeight, column, shownColumn;
    } cases[] = {
        {100000, 100000, 100000, 100000, 4096}, {-5, -5, -5, -1, 0},
        {INT_MIN, INT_MAX, INT_MIN, -2, 0},     {0, 0, 0, 0, 0},
        {800, 600, 5000, INT_MIN, 0},           {INT_MAX, INT_MIN, INT_MAX, INT_MAX, 4096},
    };
    TempDir dir;
    for (const auto& c : cases) {
        ScratchKey key;
        StoreEverything(key, dir.Path());
        key.SetDword(L"Width", DWORD(c.width));
        key.SetDword(L"Height", DWORD(c.height));
        key.SetDword(L"SelectDirHeight", DWORD(c.treeHeight));
        key.SetDword(L"Col1", DWORD(c.column));
        auto form = Start(key);
        const std::string label = std::to_string(c.width) + "x" + std::to_string(c.height);
        EXPECT_GE(form->Width(), form->Constraints().minWidth) << label;
        EXPECT_LE(form->Width(), work.right - work.left) << label;
        EXPECT_GE(form->Height(), form->Constraints().minHeight) << label;
        EXPECT_LE(form->Height(), work.bottom - work.top) << label;
        EXPECT_GE(form->Left(), work.left) << label;
        EXPECT_GE(form->Top(), work.top) << label;
        EXPECT_GE(TreeHeight(*form), form->PTShellTree1->Constraints().minHeight) << label;
        EXPECT_GE(form->PTShellList1->Height(), form->PTShellList1->Constraints().minHeight)
            << label;
        EXPECT_EQ(ColumnWidth(*form, 1), c.shownColumn) << c.column;
        EXPECT_EQ(ColumnWidth(*form, 2), 103) << c.column;
        // The reading went on past them.
        EXPECT_EQ(form->edtFind->Count(), 3) << label;
    }
}

// A folder gone with its drive or deleted since, or a text that names no folder, opens the tree
// where a first start opens it, without a word, and everything read after it still comes back.
TEST(Settings, AStoredFolderThatIsGoneLeavesTheTreeWhereItOpensByItself) {
    std::wstring firstStartFolder;
    {
        ScratchKey key;
        firstStartFolder = Start(key)->PTShellTree1->SelectedPath();
    }
    std::wstring deleted;
    {
        TempDir gone;
        deleted = gone / L"folder";
        gone.MakeDir(L"folder");
    }
    const DWORD drives = GetLogicalDrives();
    wchar_t freeDrive = L'Q';
    while (freeDrive < L'Z' && (drives & (1u << (freeDrive - L'A')))) ++freeDrive;
    TempDir dir;
    const std::wstring file = dir.Write(L"file.txt", "");
    const std::wstring folders[] = {deleted, std::wstring(1, freeDrive) + L":\\Data", L"not a path",
                                    L"\\\\?\\C:\\gone", file};
    for (const std::wstring& folder : folders) {
        ScratchKey key;
        StoreEverything(key, folder);
        MessageBoxRecorder boxes;
        auto form = Start(key);
        EXPECT_EQ(form->PTShellTree1->SelectedPath(), firstStartFolder) << folder;
        EXPECT_TRUE(boxes.Boxes().empty()) << folder;
        EXPECT_EQ(ColumnWidth(*form, 3), 104) << folder;
        EXPECT_EQ(form->editFolder->Text(), L"%TEMP%") << folder;
        EXPECT_EQ(form->edtFind->Count(), 3) << folder;
        EXPECT_EQ(form->edtReplace->Count(), 1) << folder;
    }
}

TEST(Settings, AMinimisedWindowKeepsTheSizeItComesBackTo) {
    const RECT work = WorkArea();
    const struct {
        int show;
        bool normalSize;  // false: the maximised size
    } cases[] = {{SW_SHOWNORMAL, true}, {SW_MINIMIZE, true}, {SW_MAXIMIZE, false}};
    for (const auto& c : cases) {
        ScratchKey key;
        auto form = Start(key);
        form->SetSize(700, 500);
        ShowWindow(form->Handle(), c.show);
        form->Close();
        const int width = int(*reinterpret_cast<const DWORD*>(key.Get(L"Width").second.data()));
        const int height = int(*reinterpret_cast<const DWORD*>(key.Get(L"Height").second.data()));
        if (c.normalSize) {
            EXPECT_EQ(width, 700) << c.show;
            EXPECT_EQ(height, 500) << c.show;
        } else {
            EXPECT_GE(width, work.right - work.left) << c.show;
            EXPECT_GE(height, work.bottom - work.top) << c.show;
        }
    }
}

TEST(Settings, AKeyThatCannotBeMadeSavesNothingAndTheWindowStillCloses) {
    ScratchKey key;
    HKEY volatileKey = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key.Path().c_str(), 0, nullptr,
                              REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &volatileKey, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(volatileKey);
    TMainForm form;
    form.SetSettingsKey(key.Path() + L"\\Lumora");  // a lasting key under a volatile one
    form.Show();
    form.Close();
    EXPECT_TRUE(form.Closed());
    HKEY opened = nullptr;
    EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, form.SettingsKey().c_str(), 0, KEY_READ, &opened),
              ERROR_SUCCESS);
}

// The end of the session is never refused: a scan is aborted, the settings are saved, nothing is
// rewritten, and the window closes once the scan has unwound.
TEST(Settings, TheSessionMayEndDuringAScanAndTheSettingsAreSaved) {
    for (const bool scanning : {false, true}) {
        TempDir dir;
        for (int i = 0; i < 5; ++i) dir.Write(L"f" + std::to_wstring(i) + L".txt", "hello");
        ScratchKey key;
        auto form = Start(key);
        form->PageControl1->SelectPage(1);
        form->editFolder->SetText(dir.Path());
        form->edtFind->SetText(L"hello");
        LRESULT allowed = FALSE;
        std::string saved;
        const auto endSession = [&] {
            allowed = form->Send(WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
            form->Send(WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
            saved = key.Get(L"ScanFolderDir").second;
        };
        if (scanning) {
            form->FindFile1->OnFileMatch = [&](findfile::TFindFile& sender,
                                               const std::wstring& folder,
                                               const findfile::TSearchRec& info) {
                form->FindFile1FileMatch(sender, folder, info);
                if (!allowed) endSession();
            };
            form->btnStart->Send(BM_CLICK);
            ui::App().ProcessMessages();  // the close the run asked for
            EXPECT_TRUE(form->Closed());
        } else {
            endSession();
        }
        EXPECT_EQ(allowed, TRUE) << scanning;
        EXPECT_EQ(saved, WideBytes(dir.Path() + std::wstring(1, L'\0'))) << scanning;
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(ReadFileBytes(dir / (L"f" + std::to_wstring(i) + L".txt")), "hello");
    }
}

// A first start keeps the layout's values; its close writes every value with its type, and
// everything the user changed comes back at the next start of the program.
TEST(Settings, ARoundTripBringsBackWhatTheUserChanged) {
    TempDir dir;
    const std::wstring folder = dir.MakeDir(L"\u0142\u00f3d\u017a folder");
    ScratchKey key;
    auto form = Start(key);
    EXPECT_TRUE(form->cbWhole->Checked());
    EXPECT_EQ(form->Width(), ui::Scale(500));
    EXPECT_EQ(form->ComboFilter->Text(), L"All supported file types");
    form->cbCase->Click();
    form->cbWhole->Click();
    form->cbBackup->Click();
    form->SetSize(760, 540);
    form->PTShellTree1->SetFolderPath(folder);
    form->PTShellTree1->FlushPendingSync();
    ASSERT_EQ(form->PTShellList1->FolderPath(), folder);
    form->Splitter1->MoveBy(30);
    const int treeHeight = TreeHeight(*form);
    form->PTShellList1->SetColumnWidth(1, 137);
    form->ComboFilter->SetText(L"*.php");
    form->editFolder->SetText(L"C:\\\u0142\u00f3d\u017a");
    AddHistory(*form->edtFind, 1, 2);
    form->edtFind->AddItem(L"");  // an empty search is recorded, never written
    AddHistory(*form->edtReplace, 5, 1);
    form->Close();
    for (const wchar_t* name :
         {L"CaseSensitive", L"WholeWords", L"Backup", L"TopPos", L"LeftPos", L"Width", L"Height",
          L"SelectDirHeight", L"Col0", L"Col1", L"Col2", L"Col3"})
        EXPECT_EQ(key.Get(name).first, DWORD(REG_DWORD)) << name;
    for (const wchar_t* name : {L"Filter", L"SelectDir", L"ShellTreeFolder", L"ScanFolderDir",
                                L"FindText1", L"FindText2", L"ReplaceText0"})
        EXPECT_EQ(key.Get(name).first, DWORD(REG_SZ)) << name;
    EXPECT_EQ(key.Get(L"FindText0").first, DWORD(REG_NONE));
    EXPECT_EQ(key.Get(L"WholeWords").second, std::string(4, '\0'));
    EXPECT_EQ(key.Get(L"SelectDir").second, WideBytes({folder.c_str(), folder.size() + 1}));

    ForgetColumnWidths();  // as a new process starts
    form = Start(key);
    EXPECT_TRUE(form->cbCase->Checked());
    EXPECT_FALSE(form->cbWhole->Checked());
    EXPECT_FALSE(form->cbBackup->Checked());
    EXPECT_EQ(form->Width(), 760);
    EXPECT_EQ(form->Height(), 540);
    EXPECT_EQ(form->PTShellTree1->SelectedPath(), folder);
    EXPECT_EQ(form->PTShellList1->FolderPath(), folder);
    EXPECT_EQ(TreeHeight(*form), treeHeight);
    EXPECT_EQ(ColumnWidth(*form, 1), 137);
    EXPECT_EQ(form->ComboFilter->Text(), L"*.php");
    EXPECT_EQ(form->editFolder->Text(), L"C:\\\u0142\u00f3d\u017a");
    EXPECT_EQ(form->edtFind->Items(), (std::vector<std::wstring>{L"text 1", L"text 2"}));
    EXPECT_EQ(form->edtReplace->Items(), std::vector<std::wstring>{L"text 5"});
}

}  // namespace
