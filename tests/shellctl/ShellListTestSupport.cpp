#include "ShellListTestSupport.h"

#include <gtest/gtest.h>

#include "shell/ShellDetails.h"
#include "shell/ShellUtils.h"
#include "ui/Application.h"

using Microsoft::WRL::ComPtr;

namespace testing_support {
namespace {

// Passes a real enumeration on, then ends it with a given code.
class EndingEnumerator final : public ComObject<IEnumIDList> {
  public:
    EndingEnumerator(ComPtr<IEnumIDList> real, int items, HRESULT end)
        : real_(std::move(real)), left_(items), end_(end) {}
    HRESULT STDMETHODCALLTYPE Next(ULONG count, PITEMID_CHILD* items, ULONG* fetched) override {
        if (fetched != nullptr) *fetched = 0;
        if (left_ == 0) return end_;
        --left_;
        return real_->Next(count < 1 ? count : 1, items, fetched);
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reset() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Clone(IEnumIDList**) override { return E_NOTIMPL; }

  private:
    ComPtr<IEnumIDList> real_;
    int left_;
    HRESULT end_;
};

}  // namespace

std::wstring CellText(const shellctl::TPTCustomShellList& list, int item, int column) {
    wchar_t text[MAX_PATH] = {};
    LVITEMW request{};
    request.iSubItem = column;
    request.pszText = text;
    request.cchTextMax = MAX_PATH;
    list.Send(LVM_GETITEMTEXTW, WPARAM(item), LPARAM(&request));
    return text;
}

std::vector<std::wstring> ColumnTexts(const shellctl::TPTCustomShellList& list, int column) {
    std::vector<std::wstring> texts;
    for (int item = 0; item < list.ItemCount(); ++item)
        texts.push_back(CellText(list, item, column));
    return texts;
}

void ClickColumn(const shellctl::TPTCustomShellList& list, int column) {
    NMLISTVIEW click{};
    click.hdr = {list.Handle(), UINT_PTR(GetDlgCtrlID(list.Handle())), UINT(LVN_COLUMNCLICK)};
    click.iItem = -1;
    click.iSubItem = column;
    SendMessageW(GetParent(list.Handle()), WM_NOTIFY, click.hdr.idFrom, LPARAM(&click));
}

ListOnForm::ListOnForm() { list.SetMultiSelect(true); }

void ListOnForm::Show(const std::wstring& path) {
    if (list.Handle() == nullptr) list.Create(form, RECT{0, 0, 380, 280});
    if (list.Folder().Path() == path) {
        list.Refill();
    } else {
        list.Folder().SetPath(path);
    }
}

void StandInTree::NavigateTo(const ITEMIDLIST* absIdList) {
    navigatedTo.push_back(PidlToPath(absIdList));
}

SeamFolder::SeamFolder(UniquePidl idList) : idList_(std::move(idList)) {
    EXPECT_TRUE(SUCCEEDED(BindToFolder(idList_.Get(), real_)));
}

ComPtr<SeamFolder> SeamFolder::Of(const std::wstring& path) {
    UniquePidl idList;
    EXPECT_TRUE(SUCCEEDED(PathToPidl(path, idList))) << "no folder " << path.size();
    return MakeComObject<SeamFolder>(std::move(idList));
}

ComPtr<SeamFolder> SeamFolder::OfSpecial(int folder) {
    UniquePidl idList;
    EXPECT_TRUE(SUCCEEDED(GetSpecialFolderLocation(nullptr, folder, idList)));
    return MakeComObject<SeamFolder>(std::move(idList));
}

HRESULT SeamFolder::EnumObjects(HWND window, SHCONTF flags, IEnumIDList** list) {
    *list = nullptr;
    if (enumResult != S_OK) return enumResult;
    ComPtr<IEnumIDList> real;
    const HRESULT hr = real_->EnumObjects(window, flags, &real);
    if (hr != S_OK) return hr;
    if (endAfter < 0) {
        *list = real.Detach();
    } else {
        *list = MakeComObject<EndingEnumerator>(real, endAfter, endCode).Detach();
    }
    return S_OK;
}

HRESULT SeamFolder::CreateViewObject(HWND, REFIID iid, void** object) {
    *object = nullptr;
    if (details && iid == __uuidof(IShellDetails)) return details.CopyTo(iid, object);
    return E_NOINTERFACE;
}

HRESULT SeamFolder::CompareIDs(LPARAM column, PCUIDLIST_RELATIVE a, PCUIDLIST_RELATIVE b) {
    ++compareCalls;
    if (column == sizeColumn) {
        const auto size = [this](PCUIDLIST_RELATIVE item) {
            WIN32_FILE_ATTRIBUTE_DATA data{};
            GetFileAttributesExW(GetDisplayName(real_.Get(), item, dnForParsing).c_str(),
                                 GetFileExInfoStandard, &data);
            return data.nFileSizeLow;
        };
        const DWORD first = size(a), second = size(b);
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, USHORT(first < second ? -1 : first > second));
    }
    if (!erratic) return real_->CompareIDs(column, a, b);
    random_ = random_ * 1103515245u + 12345u;
    switch ((random_ >> 16) % 4) {
        case 0:
            return E_FAIL;
        case 1:
            return MAKE_HRESULT(SEVERITY_SUCCESS, 0, USHORT(-1));
        case 2:
            return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 1);
        default:
            return S_OK;
    }
}

}  // namespace testing_support
