// Showing a menu as a popup at a point. Every popup of the program goes through one replaceable
// function, so that tests can see which menu was shown where without a modal menu loop.
#pragma once

#include <functional>

#include <windows.h>

namespace ui {

class Menu;

struct PopupMenuRequest {
    Menu* menu;
    HWND owner;    // the window the popup belongs to (its popup component)
    POINT screen;  // where it opens, in screen coordinates
};

using PopupMenuHandler = std::function<void(const PopupMenuRequest&)>;

// Replaces the function that shows popups; an empty handler restores the platform's popup menu.
// Returns the previous handler.
PopupMenuHandler SetPopupMenuHandler(PopupMenuHandler handler);

// Shows the menu at the screen point, owned by the window, and runs the chosen item's OnClick
// after the menu has closed.
void ShowPopupMenu(Menu& menu, HWND owner, POINT screen);

}  // namespace ui
