// A hidden window that only receives messages: how another thread hands work to the thread that
// made it, and where that thread's timers of its own go.
#pragma once

#include <windows.h>

namespace base {

// Creates a message-only window of className on this thread, registering the class with proc
// the first time; owner is kept as the window's user data. Throws when it cannot be made.
HWND CreateMessageWindow(const wchar_t* className, WNDPROC proc, void* owner = nullptr);

// The owner given to CreateMessageWindow, or nullptr.
template <class Owner>
Owner* MessageWindowOwner(HWND window) {
    return reinterpret_cast<Owner*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

}  // namespace base
