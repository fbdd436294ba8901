// Helpers of the shell list tests: a list on a shown form over a real folder, the texts the list
// view shows, a stand-in for a linked tree, and a folder object that passes everything on to a
// real folder but can leave out its details provider, end its enumeration early or compare
// erratically.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include "ViewTestSupport.h"
#include "common/TempDir.h"
#include "shell/ComObject.h"
#include "shell/ShellLocator.h"
#include "shellctl/ShellControlLink.h"
#include "shellctl/ShellList.h"

namespace testing_support {

// The texts the list view shows for a column, row by row (asked of the control).
std::vector<std::wstring> ColumnTexts(const shellctl::TPTCustomShellList& list, int column = 0);
std::wstring CellText(const shellctl::TPTCustomShellList& list, int item, int column);
// A click on a column header, as the list view reports it.
void ClickColumn(const shellctl::TPTCustomShellList& list, int column);

// A list on a shown form; configure it, then Make it (created and filled).
class ListOnForm {
  public:
    ListOnForm();
    // Creates the window (when not yet made) and refills the list from path.
    void Show(const std::wstring& path);
    std::vector<std::wstring> Names() const { return ColumnTexts(list, 0); }

    ViewForm form;
    shellctl::TPTShellList list;
};

// What a linked tree would do, recorded; FlushPendingSync runs onFlush.
class StandInTree : public TPTShellTreeLink {
  public:
    void NavigateTo(const ITEMIDLIST* absIdList) override;
    void GoUp(int levels) override { goUps.push_back(levels); }
    void FlushPendingSync() override {
        if (onFlush) onFlush();
    }
    TPTShellLocator& CurrentFolder() override { return current; }
    void ShellListDestroyed() override { listDestroyed = true; }

    std::vector<std::wstring> navigatedTo;  // paths
    std::vector<int> goUps;
    std::function<void()> onFlush;
    TPTShellLocator current;
    bool listDestroyed = false;
};

// A real folder behind an object that answers only IShellFolder (so it offers no details
// provider), and can be told how to enumerate and compare.
class SeamFolder final : public ComObject<IShellFolder> {
  public:
    explicit SeamFolder(UniquePidl idList);
    static Microsoft::WRL::ComPtr<SeamFolder> Of(const std::wstring& path);
    static Microsoft::WRL::ComPtr<SeamFolder> OfSpecial(int folder);

    // EnumObjects answers this when it fails; S_OK enumerates.
    HRESULT enumResult = S_OK;
    // The enumeration ends with this code after that many items (-1: the folder's own end).
    int endAfter = -1;
    HRESULT endCode = S_FALSE;
    // CompareIDs answers at random, errors included.
    bool erratic = false;
    // The column CompareIDs compares file sizes in (-1: none; else the real folder's order).
    LPARAM sizeColumn = -1;
    // What CreateViewObject gives for IShellDetails (none by default).
    Microsoft::WRL::ComPtr<IShellDetails> details;
    int compareCalls = 0;

    // clang-format off
    HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND w, IBindCtx* b, LPWSTR n, ULONG* e, PIDLIST_RELATIVE* p, ULONG* a) override { return real_->ParseDisplayName(w, b, n, e, p, a); }
    HRESULT STDMETHODCALLTYPE EnumObjects(HWND w, SHCONTF flags, IEnumIDList** list) override;
    HRESULT STDMETHODCALLTYPE BindToObject(PCUIDLIST_RELATIVE p, IBindCtx* b, REFIID i, void** o) override { return real_->BindToObject(p, b, i, o); }
    HRESULT STDMETHODCALLTYPE BindToStorage(PCUIDLIST_RELATIVE p, IBindCtx* b, REFIID i, void** o) override { return real_->BindToStorage(p, b, i, o); }
    HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM column, PCUIDLIST_RELATIVE a, PCUIDLIST_RELATIVE b) override;
    HRESULT STDMETHODCALLTYPE CreateViewObject(HWND, REFIID i, void** o) override;
    HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT n, PCUITEMID_CHILD_ARRAY p, SFGAOF* a) override { return real_->GetAttributesOf(n, p, a); }
    HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND w, UINT n, PCUITEMID_CHILD_ARRAY p, REFIID i, UINT* r, void** o) override { return real_->GetUIObjectOf(w, n, p, i, r, o); }
    HRESULT STDMETHODCALLTYPE GetDisplayNameOf(PCUITEMID_CHILD p, SHGDNF f, STRRET* n) override { return real_->GetDisplayNameOf(p, f, n); }
    HRESULT STDMETHODCALLTYPE SetNameOf(HWND w, PCUITEMID_CHILD p, LPCWSTR n, SHGDNF f, PITEMID_CHILD* o) override { return real_->SetNameOf(w, p, n, f, o); }
    // clang-format on

    const ITEMIDLIST* IdList() const noexcept { return idList_.Get(); }

  private:
    Microsoft::WRL::ComPtr<IShellFolder> real_;
    UniquePidl idList_;
    unsigned random_ = 12345;
};

}  // namespace testing_support
