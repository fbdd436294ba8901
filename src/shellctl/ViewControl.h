// What the tree and list view bases share: the control's popup menu and the menu-shown flag,
// its colour (kept right when the system colours change), the mouse buttons and keys that ask
// for a context menu, the keys it takes from the dialog manager of its form, and the running of
// the custom-draw objects.
//
// The views are created in two phases (ui/Window.h): construct, then Create(parent, bounds). A
// derived view adds its styles in PrepareCreate and does its creation-time work in Created.
#pragma once

#include <memory>

#include <windows.h>
#include <commctrl.h>

#include "shellctl/ShortcutText.h"
#include "ui/Color.h"
#include "ui/Window.h"

namespace ui {
class Menu;
}

namespace shellctl {

class ViewControl : public ui::Window {
  public:
    // Not owned; it must outlive the control, or be set to none first.
    ui::Menu* PopupMenu() const noexcept { return popupMenu_; }
    void SetPopupMenu(ui::Menu* menu) noexcept { popupMenu_ = menu; }

    ui::Color Color() const noexcept { return color_; }
    void SetColor(ui::Color color);

    // The edit control of the label being edited, or none.
    virtual HWND EditControl() const = 0;

  protected:
    ViewControl() = default;

    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // A key press, with the modifiers held (kShortcutShift, kShortcutCtrl, kShortcutAlt). Set
    // key to 0 to consume it; the base consumes the context-menu keys (the Applications key
    // alone, Shift+F10) and shows the selection's menu.
    virtual void KeyDown(WORD& key, Shortcut modifiers);
    // The selection's context menu, asked for from the keyboard.
    virtual void ShowKeyboardContextMenu() = 0;
    // The context-menu message, at a point in screen coordinates or from the keyboard. The view
    // answers it or not; either way it goes no further (not to the parent).
    virtual void ContextMenuRequested(POINT screen, bool fromKeyboard) = 0;
    // Whether Enter goes to the view rather than to the dialog manager of its form, which
    // presses the form's default button with it. By default the view takes Enter when the form
    // has no default button. While a label is edited every key goes to the editor.
    virtual bool WantsReturnKey() const;
    // Sends the colour to the control.
    virtual void ApplyColor() = 0;

    // Set while a context menu has been dealt with for the current mouse click, so that the
    // context-menu message that follows it shows nothing more.
    bool MenuShown() const noexcept { return menuShown_; }
    void SetMenuShown(bool value) noexcept { menuShown_ = value; }
    // Shows a menu at a point in client coordinates, with the control as its owner.
    void PopupAt(ui::Menu& menu, POINT client);
    // The pointer's position in client coordinates.
    POINT CursorPosition() const;
    // A point in screen coordinates in client coordinates.
    POINT ClientPoint(POINT screen) const;
    // The font the control draws with.
    HFONT ControlFont() const;
    static POINT CentreOf(const RECT& rect) noexcept {
        return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    }

    // Replaces the last custom-draw object with a new one, runs the drawing events on it and
    // lets it set the result. After the control's pre-paint stage the item stages are always
    // asked for.
    template <class Draw, class Create, class Events>
    static void RunCustomDraw(std::unique_ptr<Draw>& current, NMCUSTOMDRAW& notify, LRESULT& result,
                              Create create, Events events) {
        current.reset();
        current = create();
        events(*current);
        current->Finish();
        if (notify.dwDrawStage == CDDS_PREPAINT) result |= CDRF_NOTIFYITEMDRAW;
    }

  private:
    ui::Menu* popupMenu_ = nullptr;
    ui::Color color_ = ui::SystemColor(COLOR_WINDOW);
    bool menuShown_ = false;
    // A key whose press was consumed: its release is consumed too, so that the platform does
    // not act on it a second time (the Applications key asks for a menu when released).
    WPARAM consumedKey_ = 0;
};

// The modifier keys held now.
Shortcut ModifierKeys();

}  // namespace shellctl
