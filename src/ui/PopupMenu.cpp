#include "ui/PopupMenu.h"

#include <utility>

#include "ui/Menu.h"

namespace ui {
namespace {

PopupMenuHandler& Handler() {
    static PopupMenuHandler handler;
    return handler;
}

}  // namespace

PopupMenuHandler SetPopupMenuHandler(PopupMenuHandler handler) {
    return std::exchange(Handler(), std::move(handler));
}

void ShowPopupMenu(Menu& menu, HWND owner, POINT screen) {
    const PopupMenuRequest request{&menu, owner, screen};
    if (Handler()) {
        Handler()(request);
        return;
    }
    // The popup must belong to the foreground window, or it stays open after a click elsewhere.
    if (owner != nullptr) SetForegroundWindow(GetAncestor(owner, GA_ROOT));
    const UINT command =
        UINT(TrackPopupMenu(menu.Handle(), TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD,
                            screen.x, screen.y, 0, owner, nullptr));
    if (owner != nullptr) PostMessageW(owner, WM_NULL, 0, 0);
    if (command != 0) MenuItem::Dispatch(command);
}

}  // namespace ui
