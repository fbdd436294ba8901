#include "ShellTreeTestSupport.h"

#include <atomic>
#include <functional>

#include <gtest/gtest.h>

#include "base/Strings.h"
#include "shell/ComObject.h"
#include "shell/ShellUtils.h"
#include "ui/Application.h"

using Microsoft::WRL::ComPtr;
using shellctl::TPTShellTreeOptions;

namespace testing_support {
namespace {

class CountingEnum final : public ComObject<IEnumIDList> {
  public:
    explicit CountingEnum(ComPtr<IEnumIDList> real) : real_(std::move(real)) {
        ++ShellDoubles::liveEnumerators;
    }
    ~CountingEnum() override { --ShellDoubles::liveEnumerators; }
    HRESULT STDMETHODCALLTYPE Next(ULONG n, PITEMID_CHILD* items, ULONG* fetched) override {
        return real_->Next(n, items, fetched);
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG n) override { return real_->Skip(n); }
    HRESULT STDMETHODCALLTYPE Reset() override { return real_->Reset(); }
    HRESULT STDMETHODCALLTYPE Clone(IEnumIDList** copy) override { return real_->Clone(copy); }

  private:
    ComPtr<IEnumIDList> real_;
};

class CountingShellFolder final : public ComObject<IShellFolder> {
  public:
    explicit CountingShellFolder(ComPtr<IShellFolder> real) : real_(std::move(real)) {
        ++ShellDoubles::liveFolders;
    }
    ~CountingShellFolder() override { --ShellDoubles::liveFolders; }

    HRESULT STDMETHODCALLTYPE EnumObjects(HWND window, SHCONTF flags,
                                          IEnumIDList** items) override {
        *items = nullptr;
        if (ShellDoubles::enumResult != S_OK) return ShellDoubles::enumResult;
        ComPtr<IEnumIDList> real;
        const HRESULT hr = real_->EnumObjects(window, flags, &real);
        if (FAILED(hr) || !real) return hr;
        *items = MakeComObject<CountingEnum>(std::move(real)).Detach();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE BindToObject(PCUIDLIST_RELATIVE item, IBindCtx* context, REFIID iid,
                                           void** object) override {
        *object = nullptr;
        ComPtr<IShellFolder> real;
        const HRESULT hr = real_->BindToObject(item, context, IID_PPV_ARGS(&real));
        if (FAILED(hr)) return hr;
        return CountingFolder(std::move(real))->QueryInterface(iid, object);
    }
    HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT count, PCUITEMID_CHILD_ARRAY items,
                                              SFGAOF* attributes) override {
        if (count == 1 && !ShellDoubles::unreadable.empty() &&
            GetDisplayName(real_.Get(), items[0], dnInFolder) == ShellDoubles::unreadable)
            return E_ACCESSDENIED;
        const SFGAOF wanted = *attributes;
        const HRESULT hr = real_->GetAttributesOf(count, items, attributes);
        if (SUCCEEDED(hr) && count == 1 && ShellDoubles::truthfulSubfolders &&
            (wanted & SFGAO_HASSUBFOLDER) && !HasSubfolder(items[0]))
            *attributes &= ~SFGAO_HASSUBFOLDER;
        return hr;
    }
    HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM column, PCUIDLIST_RELATIVE a,
                                         PCUIDLIST_RELATIVE b) override {
        if (!ShellDoubles::scrambledCompare) return real_->CompareIDs(column, a, b);
        // No order at all: each answer contradicts the last, and every third one fails.
        static int turn = 0;
        ++turn;
        if (turn % 3 == 0) return E_FAIL;
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, turn % 2 ? USHORT(1) : USHORT(-1));
    }
    // clang-format off
    HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND w, IBindCtx* c, LPWSTR n, ULONG* e, PIDLIST_RELATIVE* p, ULONG* a) override { return real_->ParseDisplayName(w, c, n, e, p, a); }
    HRESULT STDMETHODCALLTYPE BindToStorage(PCUIDLIST_RELATIVE p, IBindCtx* c, REFIID i, void** o) override { return real_->BindToStorage(p, c, i, o); }
    HRESULT STDMETHODCALLTYPE CreateViewObject(HWND w, REFIID i, void** o) override { return real_->CreateViewObject(w, i, o); }
    HRESULT STDMETHODCALLTYPE GetDisplayNameOf(PCUITEMID_CHILD p, SHGDNF f, STRRET* s) override { return real_->GetDisplayNameOf(p, f, s); }
    HRESULT STDMETHODCALLTYPE SetNameOf(HWND w, PCUITEMID_CHILD p, LPCWSTR n, SHGDNF f, PITEMID_CHILD* o) override { return real_->SetNameOf(w, p, n, f, o); }
    // clang-format on

    HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND window, UINT count, PCUITEMID_CHILD_ARRAY items,
                                            REFIID iid, UINT* reserved, void** object) override {
        if (iid != IID_IContextMenu || !ShellDoubles::wrapMenu)
            return real_->GetUIObjectOf(window, count, items, iid, reserved, object);
        *object = nullptr;
        ComPtr<IContextMenu> real;
        const HRESULT hr = real_->GetUIObjectOf(window, count, items, IID_IContextMenu, reserved,
                                                reinterpret_cast<void**>(real.GetAddressOf()));
        if (FAILED(hr)) return hr;
        *object = ShellDoubles::wrapMenu(std::move(real)).Detach();
        return hr;
    }

  private:
    bool HasSubfolder(const ITEMIDLIST* item) {
        ComPtr<IShellFolder> folder;
        ComPtr<IEnumIDList> folders;
        if (FAILED(real_->BindToObject(item, nullptr, IID_PPV_ARGS(&folder))) ||
            FAILED(
                folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN, &folders)) ||
            !folders)
            return false;
        return folders->Skip(1) == S_OK;
    }

    ComPtr<IShellFolder> real_;
};

}  // namespace

ComPtr<IShellFolder> CountingFolder(ComPtr<IShellFolder> real) {
    return MakeComObject<CountingShellFolder>(std::move(real));
}

void FakeShellList::TreeSelectionChanged(const ITEMIDLIST* absIdList) {
    shown.push_back(PidlToPath(absIdList));
}

TestTree::TestTree(ui::Window& parent, const std::wstring& base, TPTShellTreeOptions options,
                   const RECT& bounds) {
    SetOptions(options);
    if (!base.empty()) BaseFolder().SetPath(base);
    Create(parent, bounds);
}

HRESULT TestTree::BindFolder(const ITEMIDLIST* absIdList, ComPtr<IShellFolder>& folder) {
    const HRESULT hr = TPTCustomShellTree::BindFolder(absIdList, folder);
    if (SUCCEEDED(hr) && counting) folder = CountingFolder(std::move(folder));
    return hr;
}

HTREEITEM TestTree::NodeOf(const std::wstring& path) const {
    std::function<HTREEITEM(HTREEITEM)> search = [&](HTREEITEM node) -> HTREEITEM {
        for (; node != nullptr; node = NextSibling(node)) {
            if (shellctl::TPTShTreeData* data = ShellDataOf(node))
                if (base::SameTextIgnoringCase(data->GetPath(), path)) return node;
            if (HTREEITEM found = search(FirstChild(node))) return found;
        }
        return nullptr;
    };
    return search(FirstChild(TVI_ROOT));
}

std::vector<std::wstring> TestTree::ChildTexts(HTREEITEM node) const {
    std::vector<std::wstring> texts;
    for (HTREEITEM child = FirstChild(node); child != nullptr; child = NextSibling(child))
        texts.push_back(NodeText(child));
    return texts;
}

void TestTree::PressKey(WORD key) {
    Send(WM_KEYDOWN, key, 1);
    Send(WM_KEYUP, key, 0xC0000001);
}

void TestTree::Click(HTREEITEM node) {
    RECT text = NodeTextRect(node);
    const POINT point = Centre(text);
    PostMessageW(Handle(), WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
    Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
    ui::App().ProcessMessages();
}

TPTShellTreeOptions OptionsWithout(std::initializer_list<shellctl::TPTShellTreeOption> members) {
    TPTShellTreeOptions options = shellctl::kDefaultShellTreeOptions;
    for (auto member : members) options.Exclude(member);
    return options;
}

// Counts the blocks of the task allocator made while it is registered and not yet freed.
class TaskMemoryWatch::Spy final : public ComObject<IMallocSpy> {
  public:
    std::atomic<long> outstanding{0};

    SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T size) override { return size; }
    void* STDMETHODCALLTYPE PostAlloc(void* block) override {
        if (block != nullptr) ++outstanding;
        return block;
    }
    void* STDMETHODCALLTYPE PreFree(void* block, BOOL spied) override {
        if (block != nullptr && spied) --outstanding;
        return block;
    }
    void STDMETHODCALLTYPE PostFree(BOOL) override {}
    SIZE_T STDMETHODCALLTYPE PreRealloc(void* block, SIZE_T size, void** newBlock,
                                        BOOL spied) override {
        if (block == nullptr || spied) pending_ = block == nullptr ? 1 : 0;
        *newBlock = block;
        return size;
    }
    void* STDMETHODCALLTYPE PostRealloc(void* block, BOOL) override {
        if (block != nullptr && pending_ == 1) ++outstanding;
        pending_ = 0;
        return block;
    }
    void* STDMETHODCALLTYPE PreGetSize(void* block, BOOL) override { return block; }
    SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T size, BOOL) override { return size; }
    void* STDMETHODCALLTYPE PreDidAlloc(void* block, BOOL) override { return block; }
    int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int actual) override { return actual; }
    void STDMETHODCALLTYPE PreHeapMinimize() override {}
    void STDMETHODCALLTYPE PostHeapMinimize() override {}

  private:
    int pending_ = 0;
};

TaskMemoryWatch::TaskMemoryWatch() : spy_(new Spy) { EXPECT_EQ(CoRegisterMallocSpy(spy_), S_OK); }

TaskMemoryWatch::~TaskMemoryWatch() {
    CoRevokeMallocSpy();
    spy_->Release();
}

long TaskMemoryWatch::Outstanding() const { return spy_->outstanding.load(); }

}  // namespace testing_support
