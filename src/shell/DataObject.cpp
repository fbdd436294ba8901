#include "shell/DataObject.h"

#include "shell/ShellDataBlocks.h"

ShellDataObject::ShellDataObject(const ITEMIDLIST* parent, IShellFolder* folder,
                                 std::span<const ITEMIDLIST* const> items)
    : idListArray_(BuildShellIdListArray(parent, items)),
      fileDropList_(BuildFileDropList(folder, items)) {
    const UINT idListFormat = ShellIdListFormat();
    if (idListArray_ && idListFormat != 0) formats_.Add(static_cast<CLIPFORMAT>(idListFormat));
    if (fileDropList_) formats_.Add(CF_HDROP);
}

STDMETHODIMP ShellDataObject::GetData(FORMATETC* format, STGMEDIUM* medium) {
    if (format == nullptr || medium == nullptr) return E_INVALIDARG;
    *medium = STGMEDIUM{};
    const HRESULT hr = formats_.QueryGetData(*format);
    if (FAILED(hr)) return hr;
    const base::GlobalBlock* block = nullptr;
    if (format->cfFormat == ShellIdListFormat())
        block = &idListArray_;
    else if (format->cfFormat == CF_HDROP)
        block = &fileDropList_;
    if (block == nullptr || !*block) return DV_E_FORMATETC;
    base::GlobalMemoryHandle copy = base::CopyGlobal(block->memory.Get(), block->size);
    if (!copy) return E_OUTOFMEMORY;
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = copy.Release();
    medium->pUnkForRelease = nullptr;
    return S_OK;
}

STDMETHODIMP ShellDataObject::GetDataHere(FORMATETC*, STGMEDIUM*) { return E_NOTIMPL; }

STDMETHODIMP ShellDataObject::QueryGetData(FORMATETC* format) {
    if (format == nullptr) return E_INVALIDARG;
    return formats_.QueryGetData(*format);
}

STDMETHODIMP ShellDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* canonical) {
    if (canonical != nullptr) canonical->ptd = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP ShellDataObject::SetData(FORMATETC*, STGMEDIUM*, BOOL) { return E_NOTIMPL; }

STDMETHODIMP ShellDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) {
    if (formats == nullptr) return E_INVALIDARG;
    *formats = nullptr;
    if (direction != DATADIR_GET) return E_NOTIMPL;
    try {
        *formats = MakeComObject<TPTFormatEtcList_IEnumFormatEtc>(static_cast<IDataObject*>(this),
                                                                  formats_)
                       .Detach();
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP ShellDataObject::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) {
    return OLE_E_ADVISENOTSUPPORTED;
}

STDMETHODIMP ShellDataObject::DUnadvise(DWORD) { return OLE_E_ADVISENOTSUPPORTED; }

STDMETHODIMP ShellDataObject::EnumDAdvise(IEnumSTATDATA**) { return OLE_E_ADVISENOTSUPPORTED; }

TDataObject_shtv::TDataObject_shtv(const ITEMIDLIST* parent, IShellFolder* folder,
                                   const ITEMIDLIST* item)
    : ShellDataObject(parent, folder,
                      parent != nullptr && item != nullptr
                          ? std::span<const ITEMIDLIST* const>(&item, 1)
                          : std::span<const ITEMIDLIST* const>()) {}

TDataObject_shlv::TDataObject_shlv(const ITEMIDLIST* parent, IShellFolder* folder,
                                   std::span<const ITEMIDLIST* const> items)
    : ShellDataObject(parent, folder, items) {}
