#include "shellctl/ViewControl.h"

#include <windowsx.h>

#include "ui/PopupMenu.h"

namespace shellctl {

Shortcut ModifierKeys() {
    Shortcut modifiers = 0;
    if (GetKeyState(VK_SHIFT) < 0) modifiers |= kShortcutShift;
    if (GetKeyState(VK_CONTROL) < 0) modifiers |= kShortcutCtrl;
    if (GetKeyState(VK_MENU) < 0) modifiers |= kShortcutAlt;
    return modifiers;
}

void ViewControl::SetColor(ui::Color color) {
    color_ = color;
    if (Handle() != nullptr) ApplyColor();
}

LRESULT ViewControl::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN: {
            WORD key = WORD(wParam);
            KeyDown(key, ModifierKeys());
            if (key != 0) break;
            consumedKey_ = wParam;
            return 0;
        }
        case WM_KEYUP:
        case WM_SYSKEYUP:
            if (consumedKey_ == 0 || wParam != consumedKey_) break;
            consumedKey_ = 0;
            return 0;
        case WM_RBUTTONDOWN:
            // A new click: whatever was shown for the last one is done with.
            menuShown_ = false;
            break;
        case WM_RBUTTONUP: {
            // The platform turns the release into a context-menu message; the flag, still set
            // while it does, keeps a second menu from showing.
            const LRESULT result = Window::HandleMessage(msg, wParam, lParam);
            menuShown_ = false;
            return result;
        }
        case WM_CONTEXTMENU: {
            // Signed: a screen left of or above the primary one has negative coordinates.
            const POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            ContextMenuRequested(screen, screen.x == -1 && screen.y == -1);
            return 0;
        }
        case WM_GETDLGCODE: {
            LRESULT code = Window::HandleMessage(msg, wParam, lParam);
            const auto* key = reinterpret_cast<const MSG*>(lParam);
            if (EditControl() != nullptr) {
                code |= DLGC_WANTALLKEYS;
            } else if (key != nullptr && key->message == WM_KEYDOWN && key->wParam == VK_RETURN &&
                       WantsReturnKey()) {
                code |= DLGC_WANTMESSAGE;
            }
            return code;
        }
        case WM_SYSCOLORCHANGE:
            if (ui::IsSystemColor(color_)) ApplyColor();
            break;
    }
    return Window::HandleMessage(msg, wParam, lParam);
}

void ViewControl::KeyDown(WORD& key, Shortcut modifiers) {
    if ((key == VK_APPS && modifiers == 0) || (key == VK_F10 && modifiers == kShortcutShift)) {
        key = 0;
        ShowKeyboardContextMenu();
    }
}

void ViewControl::PopupAt(ui::Menu& menu, POINT client) {
    ClientToScreen(Handle(), &client);
    ui::ShowPopupMenu(menu, Handle(), client);
}

POINT ViewControl::CursorPosition() const {
    POINT point{};
    GetCursorPos(&point);
    ScreenToClient(Handle(), &point);
    return point;
}

POINT ViewControl::ClientPoint(POINT screen) const {
    ScreenToClient(Handle(), &screen);
    return screen;
}

bool ViewControl::WantsReturnKey() const {
    HWND form = GetAncestor(Handle(), GA_ROOT);
    return form == nullptr || HIWORD(SendMessageW(form, DM_GETDEFID, 0, 0)) != DC_HASDEFID;
}

HFONT ViewControl::ControlFont() const {
    if (Font() != nullptr) return Font();
    if (auto font = reinterpret_cast<HFONT>(Send(WM_GETFONT))) return font;
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

}  // namespace shellctl
