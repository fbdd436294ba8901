// The formats a data object offers, and the enumerator it hands out over them.
#pragma once

#include <vector>

#include <windows.h>
#include <objidl.h>
#include <wrl/client.h>

#include "shell/ComObject.h"

// An ordered list of format descriptions, each for the content aspect, every index and global
// memory.
class TPTFormatEtcList {
  public:
    void Add(CLIPFORMAT format);
    void Clear() noexcept { formats_.clear(); }
    ULONG Count() const noexcept { return static_cast<ULONG>(formats_.size()); }
    const FORMATETC& Item(ULONG index) const { return formats_.at(index); }

    // S_OK when a listed format matches the asked one in number and shares a medium with it;
    // DV_E_TYMED when the number is listed without such a medium; DV_E_FORMATETC otherwise (an
    // aspect other than content included).
    HRESULT QueryGetData(const FORMATETC& asked) const noexcept;

  private:
    std::vector<FORMATETC> formats_;
};

// An enumerator over a format list. It holds a reference to the list's owner (the data object),
// so the list stays alive for as long as any enumerator over it does.
class TPTFormatEtcList_IEnumFormatEtc final : public ComObject<IEnumFORMATETC> {
  public:
    TPTFormatEtcList_IEnumFormatEtc(IUnknown* owner, const TPTFormatEtcList& list,
                                    ULONG position = 0)
        : owner_(owner), list_(list), position_(position) {}

    // Copies up to count descriptions; S_OK only when all count were fetched, else S_FALSE.
    // fetched may be null only when count is 1.
    STDMETHODIMP Next(ULONG count, FORMATETC* formats, ULONG* fetched) override;
    // Moves to the end with S_FALSE when fewer than count remain.
    STDMETHODIMP Skip(ULONG count) override;
    STDMETHODIMP Reset() override;
    // A new enumerator over the same list at the same position.
    STDMETHODIMP Clone(IEnumFORMATETC** clone) override;

  private:
    ~TPTFormatEtcList_IEnumFormatEtc() override = default;

    Microsoft::WRL::ComPtr<IUnknown> owner_;
    const TPTFormatEtcList& list_;
    ULONG position_;
};
