// The drop source of a drag started in the shell tree or the shell list.
#pragma once

#include <windows.h>
#include <oleidl.h>

#include "shell/ComObject.h"

// The mouse button a drag was started with.
enum class TDragButton { Left, Right, Middle };

class TDropSource_shlvtv final : public ComObject<IDropSource> {
  public:
    explicit TDropSource_shlvtv(TDragButton button) noexcept;

    // Cancels on Escape or when a mouse button other than the drag button is down, goes on
    // while the drag button is down, and drops once it is released.
    STDMETHODIMP QueryContinueDrag(BOOL escapePressed, DWORD keyState) override;
    STDMETHODIMP GiveFeedback(DWORD effect) override;

    // The key-state bit of the drag button.
    DWORD ButtonMask() const noexcept { return button_; }

  private:
    ~TDropSource_shlvtv() override = default;

    DWORD button_;
};

// Runs the platform's drag loop for data with a new drop source for button, offering
// allowedEffects. Answers DoDragDrop's result (DRAGDROP_S_DROP when something was dropped);
// effect receives the effect performed (none unless dropped).
HRESULT RunShellDrag(IDataObject* data, TDragButton button, DWORD allowedEffects, DWORD& effect);
