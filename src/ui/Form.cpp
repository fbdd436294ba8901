#include "ui/Form.h"

#include "ui/Application.h"
#include "ui/ImageList.h"

namespace ui {
namespace {
constexpr wchar_t kFormClass[] = L"LumoraForm";
}

Form::Form(const std::wstring& caption, int width, int height) {
    RegisterClass(kFormClass, CS_DBLCLKS, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1),
                  LoadIconW(App().ModuleInstance(), MAKEINTRESOURCEW(kApplicationIconId)));
    CreateParams params;
    params.className = kFormClass;
    params.text = caption;
    params.style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    params.exStyle = WS_EX_CONTROLPARENT;
    params.SetBounds(CW_USEDEFAULT, CW_USEDEFAULT, width, height);
    Create(nullptr, params);
    SetUsesDialogKeys(true);
}

Form::~Form() {
    if (App().MainWindow() == this) App().SetMainWindow(nullptr);
}

void Form::SetMenu(std::unique_ptr<Menu> menu) {
    HMENU old = menu_ ? menu_->Handle() : nullptr;
    ::SetMenu(Handle(), menu ? menu->Handle() : nullptr);
    // The old bar is no longer the window's, so nothing else would destroy it.
    if (old != nullptr) DestroyMenu(old);
    if (menu) menu->HandOver();
    menu_ = std::move(menu);
}

void Form::Show() {
    if (Handle() == nullptr) return;
    if (!shown_) {
        shown_ = true;
        DoShow();
        if (Handle() == nullptr) return;
        if (centre_) CentreOnScreen();
    }
    ShowWindow(Handle(), SW_SHOW);
    UpdateWindow(Handle());
}

void Form::CentreOnScreen() {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int width = Width();
    const int height = Height();
    SetBounds(work.left + (work.right - work.left - width) / 2,
              work.top + (work.bottom - work.top - height) / 2, width, height);
}

void Form::Close() {
    if (Handle() != nullptr) Send(WM_CLOSE);
}

void Form::DoShow() {
    if (OnShow) OnShow(*this);
}

bool Form::DoCloseQuery() { return OnCloseQuery ? OnCloseQuery(*this) : true; }

void Form::DoClose() {
    if (OnClose) OnClose(*this);
}

LRESULT Form::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_CLOSE:
            if (DoCloseQuery()) {
                DoClose();
                Destroy();
            }
            return 0;
        case WM_QUERYENDSESSION:
            return DoCloseQuery() ? TRUE : FALSE;
        case WM_MEASUREITEM: {
            auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
            MenuItem* menuItem =
                item->CtlType == ODT_MENU ? MenuItem::FromId(item->itemID) : nullptr;
            if (menuItem == nullptr || menuItem->Images() == nullptr) break;
            item->itemWidth = UINT(menuItem->Images()->ImageSize());
            item->itemHeight = UINT(menuItem->Images()->ImageSize());
            return TRUE;
        }
        case WM_DRAWITEM: {
            auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
            MenuItem* menuItem =
                item->CtlType == ODT_MENU ? MenuItem::FromId(item->itemID) : nullptr;
            if (menuItem == nullptr || menuItem->Images() == nullptr) break;
            const int size = menuItem->Images()->ImageSize();
            const RECT& r = item->rcItem;
            menuItem->Images()->Draw(
                menuItem->ImageIndex(), item->hDC, r.left + (r.right - r.left - size) / 2,
                r.top + (r.bottom - r.top - size) / 2, (item->itemState & ODS_GRAYED) == 0);
            return TRUE;
        }
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            if (Constraints().minWidth > 0) info->ptMinTrackSize.x = Constraints().minWidth;
            if (Constraints().minHeight > 0) info->ptMinTrackSize.y = Constraints().minHeight;
            return 0;
        }
        case WM_SYSCOLORCHANGE:
            // Only top-level windows hear of a new colour scheme; controls that paint with
            // system colours must be told.
            EnumChildWindows(
                Handle(),
                [](HWND child, LPARAM) -> BOOL {
                    SendMessageW(child, WM_SYSCOLORCHANGE, 0, 0);
                    return TRUE;
                },
                0);
            break;
    }
    return Window::HandleMessage(msg, wParam, lParam);
}

void Form::Destroyed() {
    // The menu bar's handle went with the window.
    if (App().MainWindow() == this) App().Terminate(0);
}

}  // namespace ui
