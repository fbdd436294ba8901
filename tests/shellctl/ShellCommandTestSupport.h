// Helpers of the tests of the shell controls' commands: a person at the shell's context menu, a
// shell control that only records what commands tell it, and the clipboard as the shell and
// other programs fill it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include "common/MenuPicker.h"
#include "shell/ComObject.h"
#include "shell/Pidl.h"
#include "shellctl/ShellPanes.h"

namespace testing_support {

// The absolute list of a path; fails the test when the shell cannot parse it.
UniquePidl PidlOf(const std::wstring& path);

// The verbs of a menu's commands, as the shell's menu object for the same items names them.
std::vector<std::wstring> VerbsOf(IContextMenu* object, const std::vector<UINT>& commands);
// The shell's menu object for the item at path, as the test folders hand it out.
Microsoft::WRL::ComPtr<IContextMenu> MenuObjectOf(const std::wstring& path);
// Picks the command with a verb, as the shell's menu object for the same items names it; none
// for no verb.
std::function<bool(UINT)> PickVerb(Microsoft::WRL::ComPtr<IContextMenu> object,
                                   const std::wstring& verb);

// A shell menu object wrapped so that it offers "rename" in every menu, as shells other than the
// one under test do in their explorer menus, with a help text.
Microsoft::WRL::ComPtr<IContextMenu> OfferingRename(Microsoft::WRL::ComPtr<IContextMenu> real);

// A real folder whose menu objects (of its items and of its background) record the verbs run on
// them and can carry out "paste" as a shell that pastes its own copies and cuts does: the files
// on the clipboard are copied or moved into the folder. (The shell under test pastes only names
// of files that other programs put there, and copies even what was cut.)
class CommandSeamFolder final : public ComObject<IShellFolder> {
  public:
    explicit CommandSeamFolder(const std::wstring& path);

    std::vector<std::wstring> invoked;  // the verbs, in order
    enum class Paste { Shell, Copy, Move } paste = Paste::Shell;
    // Its menu objects offer "rename" (OfferingRename).
    bool offerRename = false;
    const ITEMIDLIST* IdList() const noexcept { return idList_.Get(); }
    const std::wstring& Path() const noexcept { return path_; }

    // clang-format off
    HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND w, IBindCtx* b, LPWSTR n, ULONG* e, PIDLIST_RELATIVE* p, ULONG* a) override { return real_->ParseDisplayName(w, b, n, e, p, a); }
    HRESULT STDMETHODCALLTYPE EnumObjects(HWND w, SHCONTF f, IEnumIDList** l) override { return real_->EnumObjects(w, f, l); }
    HRESULT STDMETHODCALLTYPE BindToObject(PCUIDLIST_RELATIVE p, IBindCtx* b, REFIID i, void** o) override { return real_->BindToObject(p, b, i, o); }
    HRESULT STDMETHODCALLTYPE BindToStorage(PCUIDLIST_RELATIVE p, IBindCtx* b, REFIID i, void** o) override { return real_->BindToStorage(p, b, i, o); }
    HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM c, PCUIDLIST_RELATIVE a, PCUIDLIST_RELATIVE b) override { return real_->CompareIDs(c, a, b); }
    HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT n, PCUITEMID_CHILD_ARRAY p, SFGAOF* a) override { return real_->GetAttributesOf(n, p, a); }
    HRESULT STDMETHODCALLTYPE GetDisplayNameOf(PCUITEMID_CHILD p, SHGDNF f, STRRET* n) override { return real_->GetDisplayNameOf(p, f, n); }
    HRESULT STDMETHODCALLTYPE SetNameOf(HWND w, PCUITEMID_CHILD p, LPCWSTR n, SHGDNF f, PITEMID_CHILD* o) override { return real_->SetNameOf(w, p, n, f, o); }
    // clang-format on
    HRESULT STDMETHODCALLTYPE CreateViewObject(HWND window, REFIID iid, void** object) override;
    HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND window, UINT count, PCUITEMID_CHILD_ARRAY items,
                                            REFIID iid, UINT* reserved, void** object) override;

  private:
    HRESULT Recorded(HRESULT hr, REFIID iid, void** object);

    std::wstring path_;
    UniquePidl idList_;
    Microsoft::WRL::ComPtr<IShellFolder> real_;
};

// A shell control that records the folders (as paths) commands elsewhere say they changed.
class FakePane : public shellctl::TPTShellPane {
  public:
    std::vector<std::wstring> changed;
    void FoldersChangedByCommand(std::span<const ITEMIDLIST* const> folders) override;
};

// The paths of the files on the clipboard; empty when it holds none.
std::vector<std::wstring> ClipboardPaths();
// Puts paths on the clipboard as a list of file names only, as programs other than the shell do.
void PutPathsOnClipboard(const std::vector<std::wstring>& paths);
// Empties the clipboard.
void ClearClipboard();

}  // namespace testing_support
