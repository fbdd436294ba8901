// The data objects of a drag or a copy out of the shell tree (one node) and the shell list (its
// selection): the items as a "Shell IDList Array" and, for those in the file system, as a file
// drop list, each offered only when it could be built.
#pragma once

#include <span>

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include "base/GlobalMemory.h"
#include "shell/ComObject.h"
#include "shell/FormatEtcList.h"

// What both data objects do; they differ only in what they are built from.
class ShellDataObject : public ComObject<IDataObject> {
  public:
    // A fresh copy of a block in global memory; the caller releases the medium.
    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override;
    STDMETHODIMP GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
    STDMETHODIMP QueryGetData(FORMATETC* format) override;
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC* format, FORMATETC* canonical) override;
    STDMETHODIMP SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
    // An enumerator over the offered formats for DATADIR_GET; E_NOTIMPL for setting.
    STDMETHODIMP EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override;
    STDMETHODIMP DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink,
                         DWORD* connection) override;
    STDMETHODIMP DUnadvise(DWORD connection) override;
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA** advises) override;

    const TPTFormatEtcList& Formats() const noexcept { return formats_; }

  protected:
    // Builds both blocks for items of folder, whose absolute list is parent.
    ShellDataObject(const ITEMIDLIST* parent, IShellFolder* folder,
                    std::span<const ITEMIDLIST* const> items);
    ~ShellDataObject() override = default;

  private:
    TPTFormatEtcList formats_;
    base::GlobalBlock idListArray_;
    base::GlobalBlock fileDropList_;
};

// A tree node. parent is the absolute list of the node's parent (null for the root, which then
// offers no format), folder the parent's folder and item the node's list relative to it.
class TDataObject_shtv final : public ShellDataObject {
  public:
    TDataObject_shtv(const ITEMIDLIST* parent, IShellFolder* folder, const ITEMIDLIST* item);

  private:
    ~TDataObject_shtv() override = default;
};

// The list's items (its selection, in list order), relative to the list's folder whose absolute
// list is parent.
class TDataObject_shlv final : public ShellDataObject {
  public:
    TDataObject_shlv(const ITEMIDLIST* parent, IShellFolder* folder,
                     std::span<const ITEMIDLIST* const> items);

  private:
    ~TDataObject_shlv() override = default;
};
