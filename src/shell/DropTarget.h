// The drop targets of the shell tree and the shell list: COM objects that hand every call to
// their control, and the registration that makes a window one.
#pragma once

#include <optional>

#include <windows.h>
#include <oleidl.h>
#include <wrl/client.h>

#include "shell/ComObject.h"

// What a control implements to take drops; the arguments are IDropTarget's. The point is in
// screen coordinates. An exception that leaves a handler becomes E_UNEXPECTED with no effect.
class DropTargetHandler {
  public:
    virtual HRESULT DragEnter(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) = 0;
    virtual HRESULT DragOver(DWORD keys, POINTL point, DWORD* effect) = 0;
    virtual HRESULT DragLeave() = 0;
    virtual HRESULT Drop(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) = 0;

  protected:
    ~DropTargetHandler() = default;
};

// Forwards to a handler until ClearHandler; after that every call answers "no effect" and
// touches nothing, since the platform may still hold the target after its control is gone.
class ShellDropTarget : public ComObject<IDropTarget> {
  public:
    STDMETHODIMP DragEnter(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override;
    STDMETHODIMP DragOver(DWORD keys, POINTL point, DWORD* effect) override;
    STDMETHODIMP DragLeave() override;
    STDMETHODIMP Drop(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override;

    void ClearHandler() noexcept { handler_ = nullptr; }
    DropTargetHandler* Handler() const noexcept { return handler_; }

  protected:
    explicit ShellDropTarget(DropTargetHandler* handler) noexcept : handler_(handler) {}
    ~ShellDropTarget() override = default;

  private:
    template <class Call>
    HRESULT Forward(DWORD* effect, Call call) noexcept;

    DropTargetHandler* handler_;
};

class TDropTarget_shtv final : public ShellDropTarget {
  public:
    explicit TDropTarget_shtv(DropTargetHandler* tree) noexcept : ShellDropTarget(tree) {}

  private:
    ~TDropTarget_shtv() override = default;
};

class TDropTarget_shlv final : public ShellDropTarget {
  public:
    explicit TDropTarget_shlv(DropTargetHandler* list) noexcept : ShellDropTarget(list) {}

  private:
    ~TDropTarget_shlv() override = default;
};

// A window registered as a drop target for as long as the object lives. Destruction revokes the
// registration (when the window still exists) and clears the target's handler.
class DropTargetRegistration {
  public:
    // Throws base::PlatformError when the platform refuses (no OLE on this thread, a window of
    // another thread, a window already registered).
    DropTargetRegistration(HWND window, Microsoft::WRL::ComPtr<ShellDropTarget> target);
    ~DropTargetRegistration();
    DropTargetRegistration(const DropTargetRegistration&) = delete;
    DropTargetRegistration& operator=(const DropTargetRegistration&) = delete;

    HWND Window() const noexcept { return window_; }
    ShellDropTarget* Target() const noexcept { return target_.Get(); }

  private:
    HWND window_;
    Microsoft::WRL::ComPtr<ShellDropTarget> target_;
};

// Keeps a window's registration in step with what its control wants: a target made by makeTarget
// is registered while wanted, and revoked when no longer wanted or when the window was made anew.
template <class MakeTarget>
void KeepRegistered(std::optional<DropTargetRegistration>& registration, HWND window, bool wanted,
                    MakeTarget makeTarget) {
    wanted = wanted && window != nullptr;
    if (registration && (!wanted || registration->Window() != window)) registration.reset();
    if (wanted && !registration) registration.emplace(window, makeTarget());
}
