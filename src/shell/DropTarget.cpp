#include "shell/DropTarget.h"

#include <ole2.h>

#include "base/Error.h"

template <class Call>
HRESULT ShellDropTarget::Forward(DWORD* effect, Call call) noexcept {
    const auto none = [effect] {
        if (effect != nullptr) *effect = DROPEFFECT_NONE;
    };
    if (handler_ == nullptr) {
        none();
        return S_OK;
    }
    try {
        return call(*handler_);
    } catch (...) {
        none();
        return E_UNEXPECTED;
    }
}

STDMETHODIMP ShellDropTarget::DragEnter(IDataObject* data, DWORD keys, POINTL point,
                                        DWORD* effect) {
    if (effect == nullptr) return E_INVALIDARG;
    return Forward(effect, [&](DropTargetHandler& handler) {
        return handler.DragEnter(data, keys, point, effect);
    });
}

STDMETHODIMP ShellDropTarget::DragOver(DWORD keys, POINTL point, DWORD* effect) {
    if (effect == nullptr) return E_INVALIDARG;
    return Forward(
        effect, [&](DropTargetHandler& handler) { return handler.DragOver(keys, point, effect); });
}

STDMETHODIMP ShellDropTarget::DragLeave() {
    return Forward(nullptr, [](DropTargetHandler& handler) { return handler.DragLeave(); });
}

STDMETHODIMP ShellDropTarget::Drop(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) {
    if (effect == nullptr) return E_INVALIDARG;
    return Forward(effect, [&](DropTargetHandler& handler) {
        return handler.Drop(data, keys, point, effect);
    });
}

DropTargetRegistration::DropTargetRegistration(HWND window,
                                               Microsoft::WRL::ComPtr<ShellDropTarget> target)
    : window_(window), target_(std::move(target)) {
    const HRESULT hr = target_ ? RegisterDragDrop(window_, target_.Get()) : E_POINTER;
    if (FAILED(hr)) {
        if (target_) target_->ClearHandler();
        base::ThrowIfFailed(hr);
    }
}

DropTargetRegistration::~DropTargetRegistration() {
    if (IsWindow(window_)) RevokeDragDrop(window_);
    target_->ClearHandler();
}
