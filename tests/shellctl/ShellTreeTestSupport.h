// Helpers of the shell tree tests: a tree made on a temporary folder with its seams open, a
// stand-in for the linked list, folders that count themselves and can be told to fail, and a
// watch on the shell allocator's lists.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include "ViewTestSupport.h"
#include "common/TempDir.h"
#include "shell/Pidl.h"
#include "shellctl/ShellTree.h"

namespace testing_support {

// What the counting folders do and how many of them and their enumerators are alive.
struct ShellDoubles {
    static inline long liveFolders = 0;
    static inline long liveEnumerators = 0;
    // The result of EnumObjects; S_OK passes the call on.
    static inline HRESULT enumResult = S_OK;
    // Items with this in-folder name have attributes that cannot be read.
    static inline std::wstring unreadable;
    // CompareIDs answers at random (yet validly) instead of asking the real folder.
    static inline bool scrambledCompare = false;
    // The subfolders bit says whether there are subfolders (the platform under test sets it
    // for every folder).
    static inline bool truthfulSubfolders = false;
    // Wraps the menu objects the folders hand out.
    static inline std::function<Microsoft::WRL::ComPtr<IContextMenu>(
        Microsoft::WRL::ComPtr<IContextMenu>)>
        wrapMenu;
    static void Reset() {
        wrapMenu = {};
        enumResult = S_OK;
        unreadable.clear();
        scrambledCompare = false;
        truthfulSubfolders = false;
    }
};

// Wraps a real folder: every folder bound and enumerator made through it is wrapped too.
Microsoft::WRL::ComPtr<IShellFolder> CountingFolder(Microsoft::WRL::ComPtr<IShellFolder> real);

// A linked list that records what the tree shows it.
class FakeShellList : public TPTShellListLink {
  public:
    shellctl::TPTCustomShellTree* tree = nullptr;
    std::vector<std::wstring> shown;  // the paths handed over, in order
    bool hidesFolders = false;

    void SetLinkedTree(TPTShellTreeLink* linked) override {
        tree = dynamic_cast<shellctl::TPTCustomShellTree*>(linked);
    }
    void TreeSelectionChanged(const ITEMIDLIST* absIdList) override;
    bool HidesFoldersWhenLinked() const override { return hidesFolders; }
    std::wstring Last() const { return shown.empty() ? std::wstring() : shown.back(); }
};

// A shell tree on a folder (the desktop for an empty path), created at once; it is not filled
// until asked or until the posted first fill is handled.
class TestTree : public shellctl::TPTCustomShellTree {
  public:
    TestTree(ui::Window& parent, const std::wstring& base, shellctl::TPTShellTreeOptions options,
             const RECT& bounds = {0, 0, 300, 260});
    // Folders bound by absolute list come wrapped in counting doubles.
    bool counting = false;
    std::vector<DWORD> pauses;

    // The node of a path among the loaded nodes, or none.
    HTREEITEM NodeOf(const std::wstring& path) const;
    // The texts of a node's children.
    std::vector<std::wstring> ChildTexts(HTREEITEM node) const;
    void PressKey(WORD key);
    void Click(HTREEITEM node);

  protected:
    HRESULT BindFolder(const ITEMIDLIST* absIdList,
                       Microsoft::WRL::ComPtr<IShellFolder>& folder) override;
    void PauseAfterNewFolder(DWORD milliseconds) override { pauses.push_back(milliseconds); }
};

shellctl::TPTShellTreeOptions OptionsWithout(std::initializer_list<shellctl::TPTShellTreeOption>);

// Lists of the shell allocator made and not yet freed while the watch is on.
class TaskMemoryWatch {
  public:
    TaskMemoryWatch();
    ~TaskMemoryWatch();
    long Outstanding() const;

  private:
    class Spy;
    Spy* spy_;
};

}  // namespace testing_support
