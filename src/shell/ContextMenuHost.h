// What a control that shows a shell context menu needs around it: tracking the menu while its
// object takes the menu messages, the forwarding of those messages from the control's menu hook,
// the popup hint, and running the chosen command.
#pragma once

#include <functional>
#include <string>

#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include "shell/ShellCommands.h"

namespace ui {
class Window;
}

// Receives the help text of the menu item under the pointer (empty when it has none).
using PopupHintSink = std::function<void(const std::wstring& hint)>;

struct MenuMessageResult {
    bool handled = false;
    LRESULT result = 0;
};

// Forwards a menu message (init menu popup, measure item, draw item, menu char, menu select) that
// a control received while a shell context menu is open to that menu's object: to
// IContextMenu3::HandleMenuMsg2 or IContextMenu2::HandleMenuMsg when the object answers to them,
// otherwise to the program's own Send To submenu. Menu select reports the hint of
// the item under the pointer to onPopupHint. Nothing happens without a menu object; never raises.
MenuMessageResult ForwardMenuMessage(IContextMenu* menu, UINT msg, WPARAM wParam, LPARAM lParam,
                                     const PopupHintSink& onPopupHint = {}) noexcept;

// The help text of the item a menu select message names: empty for the program's own items,
// submenus, the system menu, a closing menu, and commands without help text.
std::wstring PopupHint(IContextMenu* menu, WPARAM wParam, LPARAM lParam);

// Shows a context menu at a point in screen coordinates (right-button tracking) and returns the
// command chosen (kNoCommand when cancelled). While it is open, active holds the menu object, so
// that the owner's menu hook can forward the menu messages to it; it is empty again afterwards.
UINT TrackContextMenu(HWND owner, const ShellContextMenu& menu, POINT screenPoint,
                      Microsoft::WRL::ComPtr<IContextMenu>& active);

// The same at a point in window's client coordinates, the window forwarding the menu messages it
// receives meanwhile to the menu's object; the hint of the item under the pointer goes to
// onPopupHint.
UINT TrackContextMenuOn(ui::Window& window, const ShellContextMenu& menu, POINT clientPoint,
                        const PopupHintSink& onPopupHint);

// Runs a command chosen from a context menu built for items of folder: a shell command through the
// menu object, the shell's delete through DeleteItems (one question of the program's own), a
// Send To item with the data object makeData gives for the items. Rename is left to the caller,
// which edits the item's label. Returns what the command was.
TShellCommandKind RunContextMenuCommand(
    HWND window, const ShellContextMenu& menu, UINT command, IShellFolder* folder, ChildPidls items,
    const std::function<Microsoft::WRL::ComPtr<IDataObject>()>& makeData);
