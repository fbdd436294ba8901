#include "shell/ContextMenuHost.h"

#include <optional>

#include "shell/SendToMenu.h"
#include "shell/ShellDelete.h"
#include "ui/Window.h"

using Microsoft::WRL::ComPtr;

namespace {

// The object's own handling of a menu message, when it answers to an interface that takes menu
// messages: such an object fills and draws its submenus itself, whether it handles this one or not.
std::optional<MenuMessageResult> ObjectHandles(IContextMenu* menu, UINT msg, WPARAM wParam,
                                               LPARAM lParam) {
    ComPtr<IContextMenu3> menu3;
    if (SUCCEEDED(menu->QueryInterface(IID_PPV_ARGS(&menu3))) && menu3) {
        LRESULT result = 0;
        if (FAILED(menu3->HandleMenuMsg2(msg, wParam, lParam, &result))) return MenuMessageResult{};
        return MenuMessageResult{true, result};
    }
    ComPtr<IContextMenu2> menu2;
    if (FAILED(menu->QueryInterface(IID_PPV_ARGS(&menu2))) || !menu2) return std::nullopt;
    if (FAILED(menu2->HandleMenuMsg(msg, wParam, lParam))) return MenuMessageResult{};
    return MenuMessageResult{true, msg == WM_MEASUREITEM || msg == WM_DRAWITEM ? TRUE : 0};
}

MenuMessageResult SendToHandles(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_INITMENUPOPUP:
            if (HIWORD(lParam) == 0 && FillSendToPopup(reinterpret_cast<HMENU>(wParam)))
                return {true, 0};
            break;
        case WM_MEASUREITEM:
            if (MeasureSendToItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)))
                return {true, TRUE};
            break;
        case WM_DRAWITEM:
            if (DrawSendToItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)))
                return {true, TRUE};
            break;
        case WM_MENUCHAR:
            if (const std::optional<LRESULT> answer =
                    SendToMenuChar(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam)))
                return {true, *answer};
            break;
    }
    return {};
}

// Clears the slot of the open menu's object on every way out of tracking.
class ActiveMenuScope {
  public:
    ActiveMenuScope(ComPtr<IContextMenu>& slot, IContextMenu* menu) : slot_(slot) { slot_ = menu; }
    ~ActiveMenuScope() { slot_.Reset(); }
    ActiveMenuScope(const ActiveMenuScope&) = delete;
    ActiveMenuScope& operator=(const ActiveMenuScope&) = delete;

  private:
    ComPtr<IContextMenu>& slot_;
};

ComPtr<IDataObject> ShellDataObject(HWND window, IShellFolder* folder, ChildPidls items) {
    ComPtr<IDataObject> data;
    const HRESULT hr =
        folder->GetUIObjectOf(window, UINT(items.size()), PidlArray(items), IID_IDataObject,
                              nullptr, reinterpret_cast<void**>(data.GetAddressOf()));
    if (FAILED(hr)) RaisePlatformError(hr);
    return data;
}

}  // namespace

MenuMessageResult ForwardMenuMessage(IContextMenu* menu, UINT msg, WPARAM wParam, LPARAM lParam,
                                     const PopupHintSink& onPopupHint) noexcept {
    if (menu == nullptr) return {};
    try {
        switch (msg) {
            case WM_MENUSELECT:
                if (onPopupHint) onPopupHint(PopupHint(menu, wParam, lParam));
                return {};  // the control's own handling of the selection stands
            case WM_INITMENUPOPUP:
            case WM_MEASUREITEM:
            case WM_DRAWITEM:
            case WM_MENUCHAR:
                if (const std::optional<MenuMessageResult> result =
                        ObjectHandles(menu, msg, wParam, lParam))
                    return *result;
                return SendToHandles(msg, wParam, lParam);
            default:
                return {};
        }
    } catch (...) {
        return {};
    }
}

std::wstring PopupHint(IContextMenu* menu, WPARAM wParam, LPARAM lParam) {
    const UINT item = LOWORD(wParam);
    const UINT flags = HIWORD(wParam);
    if (menu == nullptr || (flags == 0xFFFF && lParam == 0)) return {};
    if ((flags & (MF_POPUP | MF_SYSMENU)) || item < kFirstShellCommand || item > kLastShellCommand)
        return {};
    return CommandHelpText(menu, item - kFirstShellCommand);
}

UINT TrackContextMenu(HWND owner, const ShellContextMenu& menu, POINT screenPoint,
                      ComPtr<IContextMenu>& active) {
    ActiveMenuScope scope(active, menu.object.Get());
    return UINT(TrackPopupMenuEx(menu.menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, screenPoint.x,
                                 screenPoint.y, owner, nullptr));
}

UINT TrackContextMenuOn(ui::Window& window, const ShellContextMenu& menu, POINT clientPoint,
                        const PopupHintSink& onPopupHint) {
    POINT screen = clientPoint;
    ClientToScreen(window.Handle(), &screen);
    ComPtr<IContextMenu> active;
    ui::MenuMessageScope forward(
        window, [&](UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
            const MenuMessageResult answer =
                ForwardMenuMessage(active.Get(), msg, wParam, lParam, onPopupHint);
            result = answer.result;
            return answer.handled;
        });
    return TrackContextMenu(window.Handle(), menu, screen, active);
}

TShellCommandKind RunContextMenuCommand(HWND window, const ShellContextMenu& menu, UINT command,
                                        IShellFolder* folder, ChildPidls items,
                                        const std::function<ComPtr<IDataObject>()>& makeData) {
    const TShellCommandKind kind = ClassifyCommand(menu.object.Get(), command);
    switch (kind) {
        case TShellCommandKind::SendTo: {
            ComPtr<IDataObject> data =
                makeData ? makeData() : ShellDataObject(window, folder, items);
            if (!data) RaisePlatformError(E_NOINTERFACE);
            SendTo(int(command - kFirstSendToCommand), data.Get());
            break;
        }
        case TShellCommandKind::Delete:
            DeleteItems(window, folder, items);
            break;
        case TShellCommandKind::Shell:
            RunCommand(window, menu.object.Get(), command - kFirstShellCommand);
            break;
        case TShellCommandKind::None:
        case TShellCommandKind::Rename:
            break;
    }
    return kind;
}
