#include "shell/FormatEtcList.h"

#include <algorithm>

void TPTFormatEtcList::Add(CLIPFORMAT format) {
    formats_.push_back(FORMATETC{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
}

HRESULT TPTFormatEtcList::QueryGetData(const FORMATETC& asked) const noexcept {
    if (asked.dwAspect != DVASPECT_CONTENT) return DV_E_FORMATETC;
    bool listed = false;
    for (const FORMATETC& format : formats_) {
        if (format.cfFormat != asked.cfFormat) continue;
        if ((format.tymed & asked.tymed) != 0) return S_OK;
        listed = true;
    }
    return listed ? DV_E_TYMED : DV_E_FORMATETC;
}

STDMETHODIMP TPTFormatEtcList_IEnumFormatEtc::Next(ULONG count, FORMATETC* formats,
                                                   ULONG* fetched) {
    if (fetched != nullptr) *fetched = 0;
    if (formats == nullptr || (fetched == nullptr && count != 1)) return E_POINTER;
    const ULONG available = list_.Count() - std::min(position_, list_.Count());
    const ULONG copied = std::min(count, available);
    for (ULONG i = 0; i < copied; ++i) formats[i] = list_.Item(position_ + i);
    position_ += copied;
    if (fetched != nullptr) *fetched = copied;
    return copied == count ? S_OK : S_FALSE;
}

STDMETHODIMP TPTFormatEtcList_IEnumFormatEtc::Skip(ULONG count) {
    const ULONG available = list_.Count() - std::min(position_, list_.Count());
    if (count > available) {
        position_ = list_.Count();
        return S_FALSE;
    }
    position_ += count;
    return S_OK;
}

STDMETHODIMP TPTFormatEtcList_IEnumFormatEtc::Reset() {
    position_ = 0;
    return S_OK;
}

STDMETHODIMP TPTFormatEtcList_IEnumFormatEtc::Clone(IEnumFORMATETC** clone) {
    if (clone == nullptr) return E_POINTER;
    *clone = nullptr;
    try {
        *clone =
            MakeComObject<TPTFormatEtcList_IEnumFormatEtc>(owner_.Get(), list_, position_).Detach();
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}
