// What the user does with the shell list's items: opening, going up, the verb keys, renaming in
// place, the context menus, the wheel, and what the list hears of commands elsewhere.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "ShellCommandTestSupport.h"
#include "ShellListTestSupport.h"
#include "ShellTreeTestSupport.h"
#include "base/Error.h"
#include "base/Handle.h"
#include "base/Strings.h"
#include "shellctl/ShellList.h"
#include "ui/Application.h"
#include "ui/Controls.h"

namespace shellctl {
namespace {

using namespace testing_support;
using Microsoft::WRL::ComPtr;
using Texts = std::vector<std::wstring>;

// The main window's list: it neither watches its folder nor drags.
constexpr TPTShellListOptions kUnwatched{ptsloAutoFill,          ptsloDefaultKeyHandling,
                                         ptsloContextMenus,      ptsloHideFoldersWhenLinkedToTree,
                                         ptsloFolderContextMenu, ptsloShowHidden};

bool Contains(const Texts& texts, const std::wstring& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

void MakeShortcut(const std::wstring& link, const std::wstring& target) {
    ComPtr<IShellLinkW> shortcut;
    ASSERT_EQ(
        CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&shortcut)),
        S_OK);
    shortcut->SetPath(target.c_str());
    ComPtr<IPersistFile> file;
    ASSERT_EQ(shortcut.As(&file), S_OK);
    ASSERT_EQ(file->Save(link.c_str(), TRUE), S_OK);
}

class ShellListCommandsTest : public testing::Test {
  protected:
    ShellListCommandsTest() {
        dir.Write(L"a file.txt", "a");
        dir.Write(L"b file.txt", "b");
        dir.Write(L"sub folder\\inner.txt", "i");
        MakeShortcut(dir / L"to sub.lnk", dir / L"sub folder");
        MakeShortcut(dir / L"to file.lnk", dir / L"a file.txt");
        view.list.SetOptions(kUnwatched);
        ClearClipboard();
    }
    ~ShellListCommandsTest() override { ClearClipboard(); }

    TPTCustomShellList& List() { return view.list; }
    // The paths of the listed items, in order.
    Texts Paths() {
        Texts paths;
        for (int i = 0; i < List().ShellItemCount(); ++i)
            paths.push_back(List().ShellDataAt(i).GetPath());
        return paths;
    }
    int ItemOf(const std::wstring& path) {
        const Texts paths = Paths();
        const auto found = std::find(paths.begin(), paths.end(), path);
        return found == paths.end() ? -1 : int(found - paths.begin());
    }
    // Selects and focuses the items of these paths only.
    void Select(const Texts& paths) {
        List().ClearSelection();
        for (const std::wstring& path : paths) {
            const int item = ItemOf(path);
            ASSERT_GE(item, 0) << base::WideToUtf8(path);
            List().SetItemState(item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        }
    }
    void PressKey(WORD key, int modifier = 0) {
        std::optional<KeyStateGuard> held;
        if (modifier != 0) held.emplace(modifier, true);
        List().Send(WM_KEYDOWN, key, 1);
        List().Send(WM_KEYUP, key, 0xC0000001);
    }
    void DoubleClick(POINT client) {
        List().Send(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(client.x, client.y));
    }
    POINT CentreOf(int item) { return Centre(List().ItemLabelRect(item)); }
    // A point below every item.
    POINT Background() { return {200, List().ClientRect().bottom - 5}; }

    TempDir dir;
    ListOnForm view;
    MessageBoxRecorder boxes;
    FakePane pane;
};

TEST_F(ShellListCommandsTest, OpeningEntersFoldersAndRunsTheDefaultCommandOfOtherItems) {
    const std::wstring sub = dir / L"sub folder";
    const struct {
        const char* name;
        std::wstring item;
        bool byEnter;
        bool dontChangeFolder;
        bool handled;  // by OnDblClickOpen
        std::wstring folderAfter;
        int events;  // of OnDblClickOpen
        Texts invoked;
    } cases[] = {
        {"folder, Enter", sub, true, false, false, sub, 0, {}},
        {"folder, double click", sub, false, false, false, sub, 0, {}},
        {"folder shortcut", dir / L"to sub.lnk", true, false, false, sub, 0, {}},
        {"folder, ptsloDontChangeFolder", sub, false, true, false, dir.Path(), 0, {}},
        {"file", dir / L"a file.txt", true, false, false, dir.Path(), 1, {L"open"}},
        {"file, handled", dir / L"a file.txt", false, false, true, dir.Path(), 1, {}},
        {"file shortcut", dir / L"to file.lnk", false, false, false, dir.Path(), 1, {L"open"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TPTShellListOptions options = kUnwatched;
        if (c.dontChangeFolder) options.Include(ptsloDontChangeFolder);
        List().SetOptions(options);
        view.Show(dir.Path());
        // The shell here runs nothing for a file's default command: its menu object is watched.
        const ComPtr<CommandSeamFolder> seam = MakeComObject<CommandSeamFolder>(dir.Path());
        List().FillList(seam.Get(), seam->IdList());
        int events = 0;
        List().OnDblClickOpen = [&](TPTCustomShellList&, bool& handled) {
            ++events;
            handled = c.handled;
        };
        Select({c.item});
        if (c.byEnter)
            List().Send(WM_CHAR, L'\r', 1);
        else
            DoubleClick(CentreOf(ItemOf(c.item)));
        EXPECT_EQ(List().FolderPath(), c.folderAfter);
        EXPECT_EQ(events, c.events);
        EXPECT_EQ(seam->invoked, c.invoked);
        List().OnDblClickOpen = nullptr;
    }
}

TEST_F(ShellListCommandsTest, SeveralItemsOpenTogetherAndABackgroundDoubleClickOpensNothing) {
    view.Show(dir.Path());
    const ComPtr<CommandSeamFolder> seam = MakeComObject<CommandSeamFolder>(dir.Path());
    List().FillList(seam.Get(), seam->IdList());
    Select({dir / L"sub folder"});
    DoubleClick(Background());
    EXPECT_EQ(List().FolderPath(), dir.Path());
    Select({dir / L"a file.txt", dir / L"b file.txt"});
    List().OpenSelection();
    EXPECT_EQ(seam->invoked, Texts{L"open"});  // one command for both
}

TEST_F(ShellListCommandsTest, BackspaceGoesUpToTheTopAndNoFurther) {
    StandInTree tree;
    const struct {
        const char* name;
        std::wstring start;  // empty: the desktop
        bool linked;
        bool dontChangeFolder;
        std::wstring after;
        std::vector<int> treeGoUps;
    } cases[] = {
        {"a folder", dir / L"sub folder", false, false, dir.Path(), {}},
        {"the desktop", L"", false, false, TPTShellLocator().Path(), {}},
        {"ptsloDontChangeFolder", dir / L"sub folder", false, true, dir / L"sub folder", {}},
        {"with a tree", dir / L"sub folder", true, false, dir / L"sub folder", {1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TPTShellListOptions options = kUnwatched;
        if (c.dontChangeFolder) options.Include(ptsloDontChangeFolder);
        List().SetOptions(options);
        view.Show(c.start);
        tree.goUps.clear();
        if (c.linked) List().SetLinkedTree(&tree);
        List().Send(WM_CHAR, L'\b', 1);
        EXPECT_EQ(List().Folder().Path(), c.after);
        EXPECT_EQ(tree.goUps, c.treeGoUps);
        List().SetLinkedTree(nullptr);
    }
}

TEST_F(ShellListCommandsTest, AFolderThatCannotBeEnteredLeavesTheListWhereItWas) {
    view.Show(dir.Path());
    const Texts before = Paths();
    Select({dir / L"sub folder"});
    RemoveTree(dir / L"sub folder");
    EXPECT_THROW(List().OpenSelection(), base::Error);
    EXPECT_EQ(List().FolderPath(), dir.Path());
    EXPECT_EQ(Paths(), before);
    // The answer to the shell's request for a browser: there is none.
    EXPECT_EQ(List().Send(WM_USER + 7), 0);
}

TEST_F(ShellListCommandsTest, VerbKeysActOnTheSelectionAndTheListShowsTheResultAtOnce) {
    TempDir other;
    const std::wstring a = dir / L"a file.txt";
    const std::wstring b = dir / L"b file.txt";
    const std::wstring outside = other.Write(L"pasted.txt", "p");
    const struct {
        const char* name;
        WORD key;
        int modifier;
        int answer;  // to our question; 0: none is asked
        Texts selected;
        Texts gone;  // from the disk and the list
        Texts clipboard;
        Texts told;
    } cases[] = {
        {"Del", VK_DELETE, 0, IDYES, {a}, {a}, {}, {dir.Path()}},
        {"Shift+Del, two files", VK_DELETE, VK_SHIFT, IDYES, {a, b}, {a, b}, {}, {dir.Path()}},
        {"Del, answered no", VK_DELETE, 0, IDNO, {a}, {}, {}, {}},
        {"Ctrl+C", 'C', VK_CONTROL, 0, {a, b}, {}, {a, b}, {}},
        {"Ctrl+X", 'X', VK_CONTROL, 0, {a}, {}, {a}, {}},
        // The shell here pastes only names of files: another program's copy is pasted.
        {"Ctrl+V", 'V', VK_CONTROL, 0, {}, {}, {outside}, {other.Path(), dir.Path()}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dir.Write(L"a file.txt", "a");
        dir.Write(L"b file.txt", "b");
        DeleteFileW((dir / L"pasted.txt").c_str());
        boxes.Clear();
        pane.changed.clear();
        if (c.answer != 0) boxes.Answer(c.answer);
        if (c.key == 'V') PutPathsOnClipboard({outside});
        view.Show(dir.Path());
        Select(c.selected);
        PressKey(c.key, c.modifier);
        EXPECT_EQ(boxes.Boxes().size(), c.answer != 0 ? 1u : 0u);
        for (const std::wstring& path : {a, b})
            EXPECT_EQ(FileExists(path) && ItemOf(path) >= 0, !Contains(c.gone, path));
        EXPECT_EQ(ClipboardPaths(), c.clipboard);
        EXPECT_EQ(pane.changed, c.told);
        EXPECT_EQ(ItemOf(dir / L"pasted.txt") >= 0, c.key == 'V');
        ClearClipboard();
    }
}

TEST_F(ShellListCommandsTest, TheOtherKeysSelectRefreshAndRename) {
    view.Show(dir.Path());
    PressKey('A', VK_CONTROL);
    EXPECT_EQ(List().SelectedCount(), List().ItemCount());
    dir.Write(L"new.txt", "n");
    PressKey(VK_F5);
    EXPECT_GE(ItemOf(dir / L"new.txt"), 0);
    Select({dir / L"a file.txt"});
    PressKey(VK_F2);
    EXPECT_NE(List().EditControl(), nullptr);
    List().Send(LVM_CANCELEDITLABEL);
    // Without the option the keys are the control's own.
    List().SetOptions(TPTShellListOptions(kUnwatched).Exclude(ptsloDefaultKeyHandling));
    Select({dir / L"a file.txt"});
    PressKey(VK_DELETE);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_TRUE(FileExists(dir / L"a file.txt"));
}

TEST_F(ShellListCommandsTest, RenamesInPlaceOrSaysWhyNot) {
    const std::wstring a = dir / L"a file.txt";
    const struct {
        const char* name;
        std::wstring typed;
        bool edited;       // OnEdited puts a name of its own in
        std::wstring now;  // the name afterwards
        HRESULT refusal;   // the system's text for it is shown; S_OK: no box
    } cases[] = {
        {"renamed", L"  r\u00e9named.txt ", false, L"r\u00e9named.txt", S_OK},
        {"OnEdited", L"typed.txt", true, L"edited.txt", S_OK},
        {"name taken", L"b file.txt", false, L"a file.txt",
         HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS)},
        {"too long, never cut", std::wstring(300, L'n'), false, L"a file.txt",
         HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE)},
        {"bad character", L"a:b.txt", false, L"a file.txt", HRESULT_FROM_WIN32(ERROR_INVALID_NAME)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        boxes.Clear();
        view.Show(dir.Path());
        int fills = 0;
        List().OnFillStart = [&](TPTCustomShellList&) { ++fills; };
        List().OnEdited = [&](TPTCustomShellList&, int, std::wstring& text) {
            if (c.edited) text = L"edited.txt";
        };
        Select({a});
        PressKey(VK_F2);
        ASSERT_NE(List().EditControl(), nullptr);
        SetWindowTextW(List().EditControl(), c.typed.c_str());
        SendMessageW(List().EditControl(), WM_KEYDOWN, VK_RETURN, 0);
        ui::App().ProcessMessages();
        EXPECT_EQ(List().EditControl(), nullptr);
        EXPECT_TRUE(FileExists(dir / c.now));
        EXPECT_GE(ItemOf(dir / c.now), 0);
        EXPECT_EQ(CellText(List(), ItemOf(dir / c.now), 0), c.now);
        EXPECT_EQ(fills, 0);  // no refresh of its own
        EXPECT_EQ(List().IgnoreNextChange(), c.refusal == S_OK);
        ASSERT_EQ(boxes.Boxes().size(), c.refusal == S_OK ? 0u : 1u);
        if (c.refusal != S_OK) {
            EXPECT_EQ(boxes.Boxes()[0].text, base::SystemErrorMessage(c.refusal));
        }
        if (c.now != L"a file.txt") MoveFileW((dir / c.now).c_str(), a.c_str());
        List().OnFillStart = nullptr;
        List().OnEdited = nullptr;
    }
    // A folder is renamed too; the read-only list lets nothing be edited.
    view.Show(dir.Path());
    Select({dir / L"sub folder"});
    EXPECT_TRUE(List().EditLabel(ItemOf(dir / L"sub folder")));
    List().Send(LVM_CANCELEDITLABEL);
    List().SetReadOnly(true);
    EXPECT_FALSE(List().EditLabel(ItemOf(dir / L"sub folder")));
}

TEST_F(ShellListCommandsTest, TheContextMenusAreTheShellsForTheSelectionOrTheFolder) {
    TempDir other;
    const std::wstring a = dir / L"a file.txt";
    const std::wstring outside = other.Write(L"pasted.txt", "p");
    const struct {
        const char* name;
        Texts selected;  // none: the folder's menu
        std::wstring verb;
        int answer;
        bool byMouse;
        Texts verbsShown;
        bool gone = false;
        bool editing = false;
        Texts clipboard = {};
        bool pasted = false;
    } cases[] = {
        {"delete", {a}, L"delete", IDYES, true, {L"cut", L"copy", L"delete", L"properties"}, true},
        {"delete, no", {a}, L"delete", IDNO, false, {L"delete"}},
        {"copy", {a}, L"copy", 0, true, {L"copy"}, false, false, {a}},
        {"rename", {a}, L"rename", 0, false, {L"rename"}, false, true},
        {"closed", {a}, L"", 0, true, {L"delete"}},
        // The shell here pastes only names of files, and only from a folder's own menu.
        {"the folder's paste", {}, L"paste", 0, true, {L"paste"}, false, false, {outside}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dir.Write(L"a file.txt", "a");
        DeleteFileW((dir / L"pasted.txt").c_str());
        boxes.Clear();
        if (c.answer != 0) boxes.Answer(c.answer);
        if (c.selected.empty()) PutPathsOnClipboard({outside});
        // The shell here offers no rename in its explorer menus; one that does is stood in for.
        if (c.editing) ShellDoubles::wrapMenu = OfferingRename;
        view.Show(dir.Path());
        ComPtr<IContextMenu> object;
        if (c.selected.empty()) {
            UniquePidl self = PidlOf(dir.Path());
            ComPtr<IShellFolder> folder;
            ASSERT_EQ(BindToFolder(self.Get(), folder), S_OK);
            folder->CreateViewObject(nullptr, IID_PPV_ARGS(&object));
            base::MenuHandle menu(CreatePopupMenu());
            object->QueryContextMenu(menu.Get(), 0, 1000, 0x7FFF, CMF_EXPLORE);
        } else {
            object = MenuObjectOf(c.selected.front());
        }
        if (c.editing) {
            // The list's folder hands out the stand-in.
            const ComPtr<CommandSeamFolder> seam = MakeComObject<CommandSeamFolder>(dir.Path());
            seam->offerRename = true;
            List().FillList(seam.Get(), seam->IdList());
        }
        Select(c.selected);
        Texts hints;
        List().OnPopupHint = [&](TPTCustomShellList&, const std::wstring& hint) {
            hints.push_back(hint);
        };
        MenuPicker picker(PickVerb(object, c.verb));
        if (c.byMouse)
            RightClick(List().Handle(),
                       c.selected.empty() ? Background() : CentreOf(ItemOf(c.selected.front())));
        else
            PressKey(VK_APPS);
        ASSERT_EQ(picker.MenusShown(), 1);
        const Texts verbs = VerbsOf(object.Get(), picker.Commands());
        for (const std::wstring& verb : c.verbsShown)
            EXPECT_TRUE(Contains(verbs, verb)) << base::WideToUtf8(verb);
        EXPECT_EQ(boxes.Boxes().size(), c.answer != 0 ? 1u : 0u);
        EXPECT_EQ(FileExists(a) && ItemOf(a) >= 0, !c.gone);
        EXPECT_EQ(List().EditControl() != nullptr, c.editing);
        EXPECT_TRUE(!c.editing || Contains(hints, L"Renames the item."));
        List().Send(LVM_CANCELEDITLABEL);
        EXPECT_EQ(ClipboardPaths(), c.clipboard);
        EXPECT_EQ(ItemOf(dir / L"pasted.txt") >= 0, c.pasted);
        ClearClipboard();
        ShellDoubles::wrapMenu = {};
        List().OnPopupHint = nullptr;
    }
}

TEST_F(ShellListCommandsTest, CopiedAndCutFilesArePastedElsewhereAndEveryListShowsIt) {
    // The shell here cannot paste its own copies and never moves: a menu object that does
    // stands in for its paste. Copy and cut, and the lists, are the real ones.
    using Paste = CommandSeamFolder::Paste;
    const std::wstring a = dir / L"a file.txt";
    const struct {
        const char* name;
        char key;
        Paste paste;
    } cases[] = {{"copy", 'C', Paste::Copy}, {"cut", 'X', Paste::Move}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir target;
        dir.Write(L"a file.txt", "a");
        view.Show(dir.Path());
        Select({a});
        PressKey(c.key, VK_CONTROL);
        ASSERT_EQ(ClipboardPaths(), Texts{a});
        ListOnForm other;
        other.list.SetOptions(kUnwatched);
        other.Show(target.Path());
        const ComPtr<CommandSeamFolder> seam = MakeComObject<CommandSeamFolder>(target.Path());
        seam->paste = c.paste;
        other.list.FillList(seam.Get(), seam->IdList());
        {
            KeyStateGuard control(VK_CONTROL, true);
            other.list.Send(WM_KEYDOWN, 'V', 1);
        }
        EXPECT_EQ(seam->invoked, Texts{L"paste"});
        EXPECT_EQ(ColumnTexts(other.list), Texts{L"a file.txt"});
        // The list showing where the file came from is told, and lists it no more once moved.
        EXPECT_EQ(ItemOf(a) >= 0, c.paste == Paste::Copy);
        EXPECT_EQ(FileExists(a), c.paste == Paste::Copy);
        ClearClipboard();
    }
}

TEST_F(ShellListCommandsTest, TakesEnterFromTheFormOnFoldersAndEveryKeyWhileEditing) {
    ui::Button ok(view.form, L"OK", 300, 250, 60, 20);
    const struct {
        const char* name;
        bool defaultButton;
        std::wstring selected;
        bool editing;
        LRESULT wanted;  // of the dialog codes asked for
    } cases[] = {
        {"a folder", true, dir / L"sub folder", false, DLGC_WANTMESSAGE},
        {"a file", true, dir / L"a file.txt", false, 0},
        {"a file, no default button", false, dir / L"a file.txt", false, DLGC_WANTMESSAGE},
        {"editing", true, dir / L"a file.txt", true, DLGC_WANTALLKEYS},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        view.form.SetDefaultButton(c.defaultButton ? &ok : nullptr);
        view.Show(dir.Path());
        Select({c.selected});
        if (c.editing) List().EditLabel(ItemOf(c.selected));
        MSG enter{List().Handle(), WM_KEYDOWN, VK_RETURN, 1, 0, {}};
        const LRESULT codes = List().Send(WM_GETDLGCODE, VK_RETURN, LPARAM(&enter));
        EXPECT_EQ(codes & (DLGC_WANTMESSAGE | DLGC_WANTALLKEYS), c.wanted);
        List().Send(LVM_CANCELEDITLABEL);
    }
}

TEST_F(ShellListCommandsTest, TheWheelScrollsTheListOrTheShellControlUnderThePointer) {
    for (int i = 0; i < 80; ++i) dir.Write(L"f" + std::to_wstring(i) + L".txt", "x");
    view.Show(dir.Path());
    SetWindowPos(List().Handle(), nullptr, 0, 0, 380, 120, SWP_NOZORDER);
    TPTShellList other;
    other.SetOptions(kUnwatched);
    other.Folder().SetPath(dir.Path());
    other.Create(view.form, RECT{0, 130, 380, 250});
    other.Refill();
    UINT lines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    const auto top = [](TPTCustomShellList& list) { return int(list.Send(LVM_GETTOPINDEX)); };
    const auto wheel = [&](HWND over) {
        const POINT point = ToScreen(over, {20, 60});
        List().Send(WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-WHEEL_DELTA)), MAKELPARAM(point.x, point.y));
    };
    wheel(List().Handle());
    EXPECT_EQ(top(List()), int(lines));
    wheel(other.Handle());
    EXPECT_EQ(top(List()), int(lines));
    EXPECT_EQ(top(other), int(lines));
    // The list view style scrolls sideways, a step at a time.
    List().SetViewStyle(LV_VIEW_LIST);
    const int before = GetScrollPos(List().Handle(), SB_HORZ);
    wheel(List().Handle());
    EXPECT_EQ(GetScrollPos(List().Handle(), SB_HORZ), before + 1);
}

TEST_F(ShellListCommandsTest, ACommandInTheTreeRefreshesTheLinkedListThatShowsItsFolder) {
    TempDir other;
    const std::wstring outside = other.Write(L"pasted.txt", "p");
    const std::wstring sub = dir / L"sub folder";
    const struct {
        const char* name;
        WORD key;
        int modifier;
        std::wstring listed;  // the folder the list shows afterwards
    } cases[] = {
        {"Ctrl+V", 'V', VK_CONTROL, sub},
        {"Del", VK_DELETE, 0, dir.Path()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dir.Write(L"sub folder\\inner.txt", "i");
        PutPathsOnClipboard({outside});
        boxes.Answer(IDYES);
        view.Show(dir.Path());
        TestTree tree(view.form, dir.Path(), OptionsWithout({ptstoDynamicRefresh}),
                      {0, 130, 380, 280});
        tree.SetShellList(&List());
        tree.Refill();
        tree.SetFolderPath(sub);
        ASSERT_EQ(List().FolderPath(), sub);
        {
            KeyStateGuard held(c.modifier != 0 ? c.modifier : VK_SHIFT, c.modifier != 0);
            tree.PressKey(c.key);
        }
        // The list does not watch its folder: it shows the change because it was told.
        EXPECT_EQ(List().FolderPath(), c.listed);
        EXPECT_EQ(ItemOf(sub + L"\\inner.txt") >= 0, c.key == 'V');
        EXPECT_EQ(ItemOf(sub + L"\\pasted.txt") >= 0, c.key == 'V');
        tree.SetShellList(nullptr);
        ClearClipboard();
    }
}

TEST_F(ShellListCommandsTest, EnteringAFolderMovesTheLinkedTreeAlong) {
    const std::wstring sub = dir / L"sub folder";
    for (const bool dontChange : {false, true}) {
        SCOPED_TRACE(dontChange ? "ptsloDontChangeFolder" : "entered");
        List().SetOptions(dontChange
                              ? TPTShellListOptions(kUnwatched).Include(ptsloDontChangeFolder)
                              : kUnwatched);
        view.Show(dir.Path());
        TestTree tree(view.form, dir.Path(), OptionsWithout({ptstoDynamicRefresh}),
                      {0, 130, 380, 280});
        tree.SetShellList(&List());
        tree.Refill();
        // The list leaves folders to the tree: the shortcut to one is listed.
        ASSERT_EQ(ItemOf(sub), -1);
        Select({dir / L"to sub.lnk"});
        List().Send(WM_CHAR, L'\r', 1);
        const std::wstring expected = dontChange ? dir.Path() : sub;
        EXPECT_EQ(List().FolderPath(), expected);
        EXPECT_EQ(tree.SelectedPath(), expected);
        tree.SetShellList(nullptr);
    }
}

TEST_F(ShellListCommandsTest, TheSelectionAllowsWhatEveryItemAllows) {
    view.Show(dir.Path());
    EXPECT_EQ(List().SelectedAttributes(), 0u);
    Select({dir / L"a file.txt", dir / L"sub folder"});
    EXPECT_EQ(List().SelectedAttributes(),
              DWORD(DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK));
}

}  // namespace
}  // namespace shellctl
