// Modal message boxes. Every box of the program goes through one replaceable function so that
// tests can see and answer the boxes without a person at the screen.
#pragma once

#include <functional>
#include <string>

#include <windows.h>

namespace ui {

struct MessageBoxRequest {
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT type;  // MB_* buttons and icon
};

// Returns the button chosen (IDOK, IDYES, ...).
using MessageBoxHandler = std::function<int(const MessageBoxRequest&)>;

// Replaces the function that shows boxes; an empty handler restores the platform's MessageBox.
// Returns the previous handler.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

// Shows a modal box owned by the program's active window.
int ShowMessageBox(const std::wstring& text, const std::wstring& caption, UINT type);

// An information box with OK.
void ShowInformation(const std::wstring& caption, const std::wstring& text);
// A warning box with OK.
void ShowWarning(const std::wstring& caption, const std::wstring& text);
// The error dialog: caption "Error", an error icon and one "OK" button.
void ShowErrorDialog(const std::wstring& text);
// A question with Yes and No and an exclamation icon; true when Yes was chosen.
bool AskYesNo(const std::wstring& caption, const std::wstring& text);

}  // namespace ui
