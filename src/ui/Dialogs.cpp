#include "ui/Dialogs.h"

#include <utility>

#include "ui/Application.h"
#include "ui/Window.h"

namespace ui {
namespace {

MessageBoxHandler& Handler() {
    static MessageBoxHandler handler;
    return handler;
}

HWND DefaultOwner() {
    HWND active = GetActiveWindow();
    if (active != nullptr) return active;
    Window* main = App().MainWindow();
    return main != nullptr ? main->Handle() : nullptr;
}

}  // namespace

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    return std::exchange(Handler(), std::move(handler));
}

int ShowMessageBox(const std::wstring& text, const std::wstring& caption, UINT type) {
    MessageBoxRequest request{DefaultOwner(), text, caption, type};
    if (Handler()) return Handler()(request);
    return MessageBoxW(request.owner, text.c_str(), caption.c_str(), type | MB_SETFOREGROUND);
}

void ShowInformation(const std::wstring& caption, const std::wstring& text) {
    ShowMessageBox(text, caption, MB_OK | MB_ICONINFORMATION);
}

void ShowWarning(const std::wstring& caption, const std::wstring& text) {
    ShowMessageBox(text, caption, MB_OK | MB_ICONWARNING);
}

void ShowErrorDialog(const std::wstring& text) {
    ShowMessageBox(text, L"Error", MB_OK | MB_ICONERROR);
}

bool AskYesNo(const std::wstring& caption, const std::wstring& text) {
    return ShowMessageBox(text, caption, MB_YESNO | MB_ICONEXCLAMATION) == IDYES;
}

}  // namespace ui
