#include "ui/HintWindow.h"

#include <commctrl.h>

namespace ui {
namespace {

TTTOOLINFOW ToolOf(HWND topLevel, HWND window, const std::wstring* text = nullptr) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = topLevel;
    tool.uId = reinterpret_cast<UINT_PTR>(window);
    if (text != nullptr) tool.lpszText = const_cast<wchar_t*>(text->c_str());
    return tool;
}

}  // namespace

HintWindow::HintWindow(Window& topLevel) {
    CreateParams params;
    params.className = TOOLTIPS_CLASSW;
    params.style = WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX;
    params.exStyle = WS_EX_TOPMOST;
    params.owner = topLevel.Handle();
    Create(nullptr, params);
}

void HintWindow::Set(Window& window, const std::wstring& text) {
    if (Handle() == nullptr || window.Handle() == nullptr) return;
    HWND owner = GetWindow(Handle(), GW_OWNER);
    TTTOOLINFOW tool = ToolOf(owner, window.Handle());
    const bool known = Send(TTM_GETTOOLINFOW, 0, LPARAM(&tool)) != 0;
    if (text.empty()) {
        if (known) Remove(window);
        return;
    }
    tool = ToolOf(owner, window.Handle(), &text);
    Send(known ? TTM_UPDATETIPTEXTW : TTM_ADDTOOLW, 0, LPARAM(&tool));
}

void HintWindow::Remove(Window& window) {
    if (Handle() == nullptr || window.Handle() == nullptr) return;
    TTTOOLINFOW tool = ToolOf(GetWindow(Handle(), GW_OWNER), window.Handle());
    Send(TTM_DELTOOLW, 0, LPARAM(&tool));
}

}  // namespace ui
