#include "shell/DropSource.h"

#include <ole2.h>

namespace {

constexpr DWORD kMouseButtons = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON | MK_XBUTTON1 | MK_XBUTTON2;

DWORD MaskOf(TDragButton button) {
    switch (button) {
        case TDragButton::Right:
            return MK_RBUTTON;
        case TDragButton::Middle:
            return MK_MBUTTON;
        case TDragButton::Left:
            break;
    }
    return MK_LBUTTON;
}

}  // namespace

TDropSource_shlvtv::TDropSource_shlvtv(TDragButton button) noexcept : button_(MaskOf(button)) {}

STDMETHODIMP TDropSource_shlvtv::QueryContinueDrag(BOOL escapePressed, DWORD keyState) {
    if (escapePressed || (keyState & kMouseButtons & ~button_) != 0) return DRAGDROP_S_CANCEL;
    return (keyState & button_) != 0 ? S_OK : DRAGDROP_S_DROP;
}

STDMETHODIMP TDropSource_shlvtv::GiveFeedback(DWORD) { return DRAGDROP_S_USEDEFAULTCURSORS; }

HRESULT RunShellDrag(IDataObject* data, TDragButton button, DWORD allowedEffects, DWORD& effect) {
    effect = DROPEFFECT_NONE;
    if (data == nullptr) return E_INVALIDARG;
    const auto source = MakeComObject<TDropSource_shlvtv>(button);
    const HRESULT hr = DoDragDrop(data, source.Get(), allowedEffects, &effect);
    if (hr != DRAGDROP_S_DROP) effect = DROPEFFECT_NONE;
    return hr;
}
