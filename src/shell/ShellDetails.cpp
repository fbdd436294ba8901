#include "shell/ShellDetails.h"

#include "shell/ShellStrings.h"

using Microsoft::WRL::ComPtr;

ComPtr<IShellDetails> TShellFolder2ToShellDetailsAdapter::Create(IShellFolder2* folder) {
    return MakeComObject<TShellFolder2ToShellDetailsAdapter>(folder);
}

STDMETHODIMP TShellFolder2ToShellDetailsAdapter::GetDetailsOf(PCUITEMID_CHILD pidl, UINT column,
                                                              SHELLDETAILS* details) {
    SHCOLSTATEF state = 0;
    const HRESULT hr = folder_->GetDefaultColumnState(column, &state);
    if (SUCCEEDED(hr) && (state & SHCOLSTATE_ONBYDEFAULT) == 0) return E_INVALIDARG;
    return folder_->GetDetailsOf(pidl, column, details);
}

STDMETHODIMP TShellFolder2ToShellDetailsAdapter::ColumnClick(UINT) { return E_NOTIMPL; }

namespace {

ComPtr<IShellDetails> ViewObjectDetails(IShellFolder* folder) {
    ComPtr<IShellDetails> details;
    if (FAILED(folder->CreateViewObject(nullptr, IID_PPV_ARGS(&details)))) details.Reset();
    return details;
}

// Whether the folder answers for the header of its first column.
bool HasFirstColumn(IShellFolder2* folder) {
    SHELLDETAILS header{};
    header.str.uType = STRRET_CSTR;
    if (FAILED(folder->GetDetailsOf(nullptr, 0, &header))) return false;
    FreeStrRet(header.str);
    return true;
}

}  // namespace

ComPtr<IShellDetails> GetShellDetails(IShellFolder* folder) {
    if (folder == nullptr) return nullptr;
    ComPtr<IShellFolder2> folder2;
    if (FAILED(folder->QueryInterface(IID_PPV_ARGS(&folder2)))) return ViewObjectDetails(folder);
    if (HasFirstColumn(folder2.Get()))
        return TShellFolder2ToShellDetailsAdapter::Create(folder2.Get());
    ComPtr<IShellDetails> details;
    if (SUCCEEDED(folder->QueryInterface(IID_PPV_ARGS(&details)))) return details;
    return ViewObjectDetails(folder);
}
