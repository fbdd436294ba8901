#include "ui/Application.h"

#include "ui/Dialogs.h"
#include "base/Error.h"
#include "base/MessageWindow.h"
#include "base/Strings.h"
#include "ui/Timer.h"
#include "ui/Window.h"

namespace ui {

Application& Application::Instance() {
    static Application application;
    return application;
}

Application::Application() : instance_(GetModuleHandleW(nullptr)) {}

int Application::Run() {
    MSG msg;
    for (;;) {
        const BOOL result = GetMessageW(&msg, nullptr, 0, 0);
        if (result == 0 || result == -1) break;
        Dispatch(msg);
    }
    terminated_ = true;
    return int(msg.wParam);
}

void Application::ProcessMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Leave the quit message for the loop that owns it.
            terminated_ = true;
            PostQuitMessage(int(msg.wParam));
            return;
        }
        Dispatch(msg);
    }
}

bool Application::RunUntil(const std::function<bool()>& done) {
    MSG msg;
    while (!done()) {
        const BOOL result = GetMessageW(&msg, nullptr, 0, 0);
        if (result == -1) return false;
        if (result == 0) {
            terminated_ = true;
            PostQuitMessage(int(msg.wParam));
            return false;
        }
        Dispatch(msg);
    }
    return true;
}

void Application::Dispatch(MSG& msg) {
    // Tab, arrow keys and mnemonics move between the controls of our windows as in a dialog.
    if (msg.hwnd != nullptr && msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) {
        HWND root = GetAncestor(msg.hwnd, GA_ROOT);
        Window* window = Window::FromHandle(root);
        if (window != nullptr && window->UsesDialogKeys() && IsDialogMessageW(root, &msg)) return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

void Application::Terminate(int exitCode) {
    terminated_ = true;
    PostQuitMessage(exitCode);
}

std::wstring CurrentExceptionMessage() {
    try {
        throw;
    } catch (const base::Error& e) {
        return e.Message();
    } catch (const std::bad_alloc&) {
        return L"Out of memory";
    } catch (const std::exception& e) {
        return base::Utf8ToWide(e.what());
    } catch (...) {
        return L"Unknown error";
    }
}

void Application::HandleCurrentException() noexcept {
    std::wstring message;
    try {
        message = CurrentExceptionMessage();
    } catch (...) {
        message = L"Unknown error";
    }
    ShowException(message);
}

void Application::ShowException(const std::wstring& message) noexcept {
    try {
        ShowMessageBox(message, title_, MB_OK | MB_ICONSTOP);
    } catch (...) {
        // Nothing sensible is left to report to.
    }
}

void Application::SetScreenCursor(HCURSOR cursor) noexcept {
    screenCursor_ = cursor;
    if (cursor != nullptr) {
        SetCursor(cursor);
        return;
    }
    // Let the window under the mouse choose its own cursor again.
    POINT point;
    if (!GetCursorPos(&point)) return;
    HWND window = WindowFromPoint(point);
    DWORD process = 0;
    if (window != nullptr && GetWindowThreadProcessId(window, &process) != 0 &&
        process == GetCurrentProcessId()) {
        const LRESULT hit = SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y));
        SendMessageW(window, WM_SETCURSOR, WPARAM(window), MAKELPARAM(hit, WM_MOUSEMOVE));
    }
}

HWND Application::UtilityWindow() {
    if (utilityWindow_ == nullptr)
        utilityWindow_ = base::CreateMessageWindow(L"LumoraUtility", UtilityProc);
    return utilityWindow_;
}

LRESULT CALLBACK Application::UtilityProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_TIMER) {
        Application& app = Instance();
        auto* timer = reinterpret_cast<Timer*>(wParam);
        if (app.timers_.count(timer) != 0) {
            try {
                timer->Fire();
            } catch (...) {
                app.HandleCurrentException();
            }
        }
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace ui
