#include "shell/ShellRename.h"

#include <gtest/gtest.h>

#include "ShellTestSupport.h"
#include "common/TempDir.h"
#include "base/Error.h"
#include "shell/ComObject.h"

using Microsoft::WRL::ComPtr;
using testing_support::MessageBoxRecorder;
using testing_support::TempDir;

namespace {

// A real folder whose renames report no new list, recording the flags they were given.
class ListlessFolder final : public ComObject<IShellFolder> {
  public:
    explicit ListlessFolder(ComPtr<IShellFolder> real) : real_(std::move(real)) {}
    SHGDNF flags = 0;

    HRESULT STDMETHODCALLTYPE SetNameOf(HWND w, PCUITEMID_CHILD item, LPCWSTR name, SHGDNF f,
                                        PITEMID_CHILD* out) override {
        flags = f;
        if (out != nullptr) *out = nullptr;
        return real_->SetNameOf(w, item, name, f, nullptr);
    }
    // clang-format off
    HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND w, IBindCtx* c, LPWSTR n, ULONG* e, PIDLIST_RELATIVE* p, ULONG* a) override { return real_->ParseDisplayName(w, c, n, e, p, a); }
    HRESULT STDMETHODCALLTYPE EnumObjects(HWND w, SHCONTF f, IEnumIDList** e) override { return real_->EnumObjects(w, f, e); }
    HRESULT STDMETHODCALLTYPE BindToObject(PCUIDLIST_RELATIVE p, IBindCtx* c, REFIID i, void** o) override { return real_->BindToObject(p, c, i, o); }
    HRESULT STDMETHODCALLTYPE BindToStorage(PCUIDLIST_RELATIVE p, IBindCtx* c, REFIID i, void** o) override { return real_->BindToStorage(p, c, i, o); }
    HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM l, PCUIDLIST_RELATIVE a, PCUIDLIST_RELATIVE b) override { return real_->CompareIDs(l, a, b); }
    HRESULT STDMETHODCALLTYPE CreateViewObject(HWND w, REFIID i, void** o) override { return real_->CreateViewObject(w, i, o); }
    HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT n, PCUITEMID_CHILD_ARRAY p, SFGAOF* a) override { return real_->GetAttributesOf(n, p, a); }
    HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND w, UINT n, PCUITEMID_CHILD_ARRAY p, REFIID i, UINT* r, void** o) override { return real_->GetUIObjectOf(w, n, p, i, r, o); }
    HRESULT STDMETHODCALLTYPE GetDisplayNameOf(PCUITEMID_CHILD p, SHGDNF f, STRRET* s) override { return real_->GetDisplayNameOf(p, f, s); }
    // clang-format on

  private:
    ComPtr<IShellFolder> real_;
};

}  // namespace

TEST(ShellRename, RenamesWholeNamesOrSaysWhyNot) {
    TempDir dir;
    const struct {
        const char* name;
        std::wstring newName;
        HRESULT refusal;  // S_OK: renamed, without a box
    } cases[] = {
        {"plain", L"new n\u00e4me", S_OK},
        {"name taken", L"taken", HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS)},
        {"bad character", L"a|b", HRESULT_FROM_WIN32(ERROR_INVALID_NAME)},
        {"component too long", std::wstring(256, L'x'),
         HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE)},
        {"path too long", std::wstring(259 - dir.Path().size(), L'x'),
         HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dir.MakeDir(L"old");
        dir.MakeDir(L"taken");
        ComPtr<IShellFolder> real;
        ASSERT_EQ(BindToFolder(shell_test::ParsePath(dir.Path()).Get(), real), S_OK);
        // The shell giving no new list is the harder case: the name is parsed back.
        auto folder = MakeComObject<ListlessFolder>(real);
        UniquePidl item;
        ULONG eaten = 0;
        std::wstring old = L"old";
        ASSERT_EQ(
            real->ParseDisplayName(nullptr, nullptr, old.data(), &eaten, item.Receive(), nullptr),
            S_OK);
        MessageBoxRecorder boxes;
        TRenameResult result = SetNameOf(nullptr, folder.Get(), item.Get(), c.newName);
        EXPECT_EQ(result.renamed, c.refusal == S_OK);
        if (c.refusal == S_OK) {
            EXPECT_EQ(folder->flags, SHGDNF(SHGDN_INFOLDER | SHGDN_FOREDITING));
            ASSERT_TRUE(result.newItem);
            EXPECT_EQ(GetDisplayName(real.Get(), result.newItem.Get(), dnInFolder), c.newName);
            EXPECT_TRUE(testing_support::FolderExists(dir / c.newName));
            EXPECT_TRUE(boxes.Boxes().empty());
            testing_support::RemoveTree(dir / c.newName);
        } else {
            EXPECT_TRUE(testing_support::FolderExists(dir / L"old"));
            ASSERT_EQ(boxes.Boxes().size(), 1u);
            EXPECT_EQ(boxes.Boxes()[0].text, base::SystemErrorMessage(c.refusal));
        }
    }
}
