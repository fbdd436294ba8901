#include "common/MenuPicker.h"

namespace testing_support {
namespace {

MenuPicker* current = nullptr;

// Keys reach a tracked menu through the thread's queue, whatever window they are posted to.
void PostKey(HWND window, WORD key) {
    PostMessageW(window, WM_KEYDOWN, key, 1);
    PostMessageW(window, WM_KEYUP, key, 0xC0000001);
}

}  // namespace

MenuPicker::MenuPicker(std::function<bool(UINT command)> pick)
    : pick_(std::move(pick)),
      hook_(SetWindowsHookExW(WH_CALLWNDPROC, Hook, nullptr, GetCurrentThreadId())) {
    current = this;
}

MenuPicker::~MenuPicker() {
    UnhookWindowsHookEx(hook_);
    current = nullptr;
}

LRESULT CALLBACK MenuPicker::Hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && current != nullptr)
        current->Seen(*reinterpret_cast<const CWPSTRUCT*>(lParam));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void MenuPicker::Seen(const CWPSTRUCT& message) {
    switch (message.message) {
        case WM_INITMENUPOPUP: {
            if (open_ || HIWORD(message.lParam) != 0) return;  // a submenu, the system menu
            // A menu opens: note its commands and head for the one to pick.
            open_ = true;
            ++shown_;
            commands_.clear();
            const auto menu = reinterpret_cast<HMENU>(message.wParam);
            for (int position = 0; position < GetMenuItemCount(menu); ++position) {
                const UINT id = GetMenuItemID(menu, position);
                if (id != UINT(-1) && id != 0) commands_.push_back(id);
            }
            target_ = 0;
            steps_ = 0;
            for (UINT id : commands_) {
                if (pick_ && pick_(id)) {
                    target_ = id;
                    break;
                }
            }
            PostKey(message.hwnd, target_ != 0 ? VK_DOWN : VK_ESCAPE);
            break;
        }
        case WM_MENUSELECT: {
            if (target_ == 0 || (HIWORD(message.wParam) == 0xFFFF && message.lParam == 0)) return;
            if (LOWORD(message.wParam) == target_ && !(HIWORD(message.wParam) & MF_POPUP)) {
                target_ = 0;
                PostKey(message.hwnd, VK_RETURN);
            } else if (++steps_ > 100) {
                target_ = 0;
                PostKey(message.hwnd, VK_ESCAPE);
            } else {
                PostKey(message.hwnd, VK_DOWN);
            }
            break;
        }
        case WM_EXITMENULOOP:
            open_ = false;
            target_ = 0;
            break;
    }
}

}  // namespace testing_support
