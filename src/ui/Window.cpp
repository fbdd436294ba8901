// Creation, attaching, and the dispatch of messages to the window objects.
#include "ui/Window.h"

#include <utility>

#include <commctrl.h>

#include "base/Error.h"
#include "ui/Application.h"
#include "ui/DeviceContext.h"
#include "ui/HintWindow.h"
#include "ui/ImageList.h"
#include "ui/Menu.h"

namespace ui {
namespace {

constexpr UINT_PTR kSubclassId = 1;
// Child identifiers: above the dialog manager's IDOK and IDCANCEL, and within the 16 bits that
// WM_COMMAND and DM_GETDEFID carry.
constexpr int kFirstControlId = 100;
constexpr int kLastControlId = 0xFFFF;

ATOM WindowProperty() {
    static const ATOM atom = GlobalAddAtomW(L"Lumora.Window");
    return atom;
}

int NextControlId() {
    static int id = kFirstControlId;
    const int next = id;
    id = id < kLastControlId ? id + 1 : kFirstControlId;
    return next;
}

// A window of a class that is not ours, being made by Create: the creation hook attaches it
// before its first message.
thread_local Window* creating = nullptr;

}  // namespace

int Scale(int pixels) {
    static const int dpi = [] {
        WindowDc screen;
        const int value = screen.Get() != nullptr ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 96;
        return value > 0 ? value : 96;
    }();
    return MulDiv(pixels, dpi, 96);
}

Window* Window::FromHandle(HWND hwnd) noexcept {
    if (hwnd == nullptr) return nullptr;
    return static_cast<Window*>(GetPropW(hwnd, MAKEINTATOM(WindowProperty())));
}

Window::Window() = default;

Window::~Window() {
    for (Frame* frame = frames_; frame != nullptr; frame = frame->outer) frame->alive = false;
    for (Window* child : children_) child->parent_ = nullptr;
    if (parent_ != nullptr) std::erase(parent_->children_, this);
    if (hwnd_ != nullptr) {
        HWND hwnd = hwnd_;
        const bool owned = owned_;
        Unbind();
        if (owned) DestroyWindow(hwnd);
    }
}

void Window::RegisterClass(const wchar_t* name, UINT classStyle, HBRUSH background, HICON icon) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(App().ModuleInstance(), name, &existing)) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = classStyle;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = App().ModuleInstance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.hIcon = icon;
    wc.lpszClassName = name;
    if (RegisterClassExW(&wc) == 0) base::ThrowLastError();
}

void Window::PrepareCreate(CreateParams&) {}

void Window::Create(Window& parent, const RECT& bounds) {
    CreateParams params;
    params.SetBounds(bounds.left, bounds.top, bounds.right - bounds.left,
                     bounds.bottom - bounds.top);
    Create(&parent, std::move(params));
}

void Window::Create(Window* parent, CreateParams params) {
    if (hwnd_ != nullptr) throw base::Error(L"The window exists already");
    PrepareCreate(params);
    if (params.className == nullptr) throw base::Error(L"No window class was chosen");
    DWORD style = params.style;
    HMENU id = nullptr;
    HWND parentHandle = params.owner;
    if (parent != nullptr) {
        id = reinterpret_cast<HMENU>(INT_PTR(NextControlId()));
        parentHandle = parent->hwnd_;
    } else {
        style &= ~DWORD(WS_CHILD);
    }
    WNDCLASSEXW info{};
    info.cbSize = sizeof info;
    const bool ours = GetClassInfoExW(App().ModuleInstance(), params.className, &info) &&
                      info.lpfnWndProc == WindowProc;
    parent_ = parent;
    requestedHeight_ = params.height;
    if (parent != nullptr) parent->children_.push_back(this);

    // A class of ours attaches itself at WM_NCCREATE; any other class (a common control) is
    // subclassed by the creation hook before its first message, so that the messages of its
    // creation reach us too.
    Window* const outer = std::exchange(creating, ours ? nullptr : this);
    HHOOK hook =
        ours ? nullptr : SetWindowsHookExW(WH_CBT, CreationHook, nullptr, GetCurrentThreadId());
    HWND hwnd = CreateWindowExW(params.exStyle, params.className, params.text.c_str(), style,
                                params.x, params.y, params.width, params.height, parentHandle, id,
                                App().ModuleInstance(), ours ? this : nullptr);
    DWORD error = GetLastError();
    if (hook != nullptr) UnhookWindowsHookEx(hook);
    creating = outer;
    if (hwnd != nullptr && hwnd_ == nullptr && !Bind(hwnd, !ours)) {
        error = GetLastError();
        DestroyWindow(hwnd);
        hwnd = nullptr;
    }
    if (hwnd == nullptr) {
        Unbind();
        if (parent != nullptr) std::erase(parent->children_, this);
        parent_ = nullptr;
        throw base::PlatformError::FromWin32(error);
    }
    owned_ = true;
    if (parent != nullptr && parent->font_ != nullptr) SetFont(parent->font_);
    if (!hint_.empty()) ShowHint();
    Created();
}

LRESULT CALLBACK Window::CreationHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && creating != nullptr) {
        // The first window made while the hook is in place is the one being created; the ones
        // it makes while it is created (a header, a tooltip) come later and are left alone.
        std::exchange(creating, nullptr)->Bind(reinterpret_cast<HWND>(wParam), true);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void Window::Attach(HWND hwnd) {
    if (hwnd_ != nullptr) throw base::Error(L"The object has a window already");
    if (hwnd == nullptr || !IsWindow(hwnd)) throw base::Error(L"There is no window to attach to");
    if (FromHandle(hwnd) != nullptr) throw base::Error(L"The window has an object already");
    if (!Bind(hwnd, true)) base::ThrowLastError();
    owned_ = false;
}

HWND Window::Detach() noexcept {
    HWND hwnd = hwnd_;
    Unbind();
    return hwnd;
}

bool Window::Bind(HWND hwnd, bool subclass) noexcept {
    hwnd_ = hwnd;
    if (!SetPropW(hwnd, MAKEINTATOM(WindowProperty()), this)) {
        hwnd_ = nullptr;
        return false;
    }
    if (subclass &&
        !SetWindowSubclass(hwnd, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
        RemovePropW(hwnd, MAKEINTATOM(WindowProperty()));
        hwnd_ = nullptr;
        return false;
    }
    subclassed_ = subclass;
    chainProcedure_ = subclass ? GetWindowLongPtrW(hwnd, GWLP_WNDPROC) : 0;
    return true;
}

void Window::Unbind() noexcept {
    if (hwnd_ == nullptr) return;
    // A window that has put its own procedure back is out of the subclass chain already (the
    // label editor of a list does so when it is destroyed); taking our link out would put the
    // chain's first procedure back in.
    if (subclassed_ && GetWindowLongPtrW(hwnd_, GWLP_WNDPROC) == chainProcedure_)
        RemoveWindowSubclass(hwnd_, SubclassProc, kSubclassId);
    RemovePropW(hwnd_, MAKEINTATOM(WindowProperty()));
    subclassed_ = false;
    owned_ = false;
    hwnd_ = nullptr;
}

void Window::Destroy() {
    if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

LRESULT CALLBACK Window::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Window* window = nullptr;
    if (msg == WM_NCCREATE) {
        window = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (window != nullptr && !window->Bind(hwnd, false)) return FALSE;
    } else {
        window = FromHandle(hwnd);
    }
    if (window != nullptr) return window->Dispatch(msg, wParam, lParam);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK Window::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR refData) {
    auto* window = reinterpret_cast<Window*>(refData);
    if (window == nullptr || window->hwnd_ != hwnd)
        return DefSubclassProc(hwnd, msg, wParam, lParam);
    return window->Dispatch(msg, wParam, lParam);
}

LRESULT Window::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    Frame frame{true, frames_};
    frames_ = &frame;
    LRESULT result = 0;
    try {
        if (msg == WM_DESTROY && parent_ != nullptr && !hint_.empty()) {
            if (HintWindow* hints = Root().hints_.get()) hints->Remove(*this);
        }
        result = HandleMessage(msg, wParam, lParam);
    } catch (...) {
        // The error display runs a modal loop; the object may be gone after it.
        App().HandleCurrentException();
    }
    if (!frame.alive) return result;
    frames_ = frame.outer;
    // An attached window lets go at WM_DESTROY: one that puts its own procedure back while it is
    // destroyed would not pass on WM_NCDESTROY.
    if (msg == WM_NCDESTROY || (msg == WM_DESTROY && !owned_)) {
        Unbind();
        try {
            Destroyed();
        } catch (...) {
            App().HandleCurrentException();
        }
    }
    return result;
}

LRESULT Window::DefaultHandler(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (hwnd_ == nullptr) return 0;
    if (subclassed_) return DefSubclassProc(hwnd_, msg, wParam, lParam);
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

bool Window::Reflect(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    HWND control = nullptr;
    switch (msg) {
        case WM_COMMAND:
        case WM_HSCROLL:
        case WM_VSCROLL:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORSCROLLBAR:
            control = reinterpret_cast<HWND>(lParam);
            break;
        case WM_NOTIFY:
            control = reinterpret_cast<NMHDR*>(lParam)->hwndFrom;
            break;
        case WM_DRAWITEM: {
            auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
            if (item->CtlType != ODT_MENU) control = item->hwndItem;
            break;
        }
        case WM_MEASUREITEM: {
            auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
            if (item->CtlType != ODT_MENU) control = GetDlgItem(hwnd_, int(item->CtlID));
            break;
        }
        default:
            return false;
    }
    Window* child = FromHandle(control);
    return child != nullptr && child != this && child->HandleReflected(msg, wParam, lParam, result);
}

LRESULT Window::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (Reflect(msg, wParam, lParam, result)) return result;
    switch (msg) {
        case WM_COMMAND:
            // A menu command (notification code 0, no control).
            if (lParam == 0 && HIWORD(wParam) == 0 && MenuItem::Dispatch(LOWORD(wParam))) return 0;
            break;
        case WM_MEASUREITEM:
        case WM_DRAWITEM:
            // The menu forms of these messages; the control forms were reflected above.
            if (wParam != 0) break;
            [[fallthrough]];
        case WM_INITMENUPOPUP:
        case WM_MENUCHAR:
        case WM_MENUSELECT:
            if (HandleMenuMessage(msg, wParam, lParam, result)) return result;
            break;
        case WM_SIZE:
            Resized();
            break;
        case WM_SETCURSOR:
            if (HCURSOR cursor = App().ScreenCursor()) {
                SetCursor(cursor);
                return TRUE;
            }
            break;
    }
    return DefaultHandler(msg, wParam, lParam);
}

bool Window::HandleReflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg == WM_COMMAND) return HandleCommand(HIWORD(wParam));
    if (msg == WM_NOTIFY) return HandleNotify(*reinterpret_cast<NMHDR*>(lParam), result);
    return false;
}

bool Window::HandleCommand(UINT) { return false; }
bool Window::HandleNotify(NMHDR&, LRESULT&) { return false; }

bool Window::HandleMenuMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (DrawMenuItemImage(msg, lParam)) {
        result = TRUE;
        return true;
    }
    return menuHandler_ != nullptr && *menuHandler_ && (*menuHandler_)(msg, wParam, lParam, result);
}

// The image of one of our menu items (an item with HBMMENU_CALLBACK as its bitmap).
bool Window::DrawMenuItemImage(UINT msg, LPARAM lParam) {
    if (msg == WM_MEASUREITEM) {
        auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        MenuItem* menuItem = item->CtlType == ODT_MENU ? MenuItem::FromId(item->itemID) : nullptr;
        if (menuItem == nullptr || menuItem->Images() == nullptr) return false;
        item->itemWidth = UINT(menuItem->Images()->ImageSize());
        item->itemHeight = UINT(menuItem->Images()->ImageSize());
        return true;
    }
    if (msg == WM_DRAWITEM) {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        MenuItem* menuItem = item->CtlType == ODT_MENU ? MenuItem::FromId(item->itemID) : nullptr;
        if (menuItem == nullptr || menuItem->Images() == nullptr) return false;
        const int size = menuItem->Images()->ImageSize();
        const RECT& r = item->rcItem;
        menuItem->Images()->Draw(
            menuItem->ImageIndex(), item->hDC, r.left + (r.right - r.left - size) / 2,
            r.top + (r.bottom - r.top - size) / 2, (item->itemState & ODS_GRAYED) == 0);
        return true;
    }
    return false;
}

void Window::Resized() { Realign(); }

Window& Window::Root() noexcept {
    Window* window = this;
    while (window->parent_ != nullptr) window = window->parent_;
    return *window;
}

void Window::SetHint(std::wstring hint) {
    hint_ = std::move(hint);
    if (hwnd_ != nullptr) ShowHint();
}

void Window::ShowHint() {
    Window& root = Root();
    if (root.hwnd_ == nullptr) return;
    if (!root.hints_) {
        if (hint_.empty()) return;
        root.hints_ = std::make_unique<HintWindow>(root);
    }
    root.hints_->Set(*this, hint_.substr(0, hint_.find(L'|')));
}

MenuMessageScope::MenuMessageScope(Window& owner, MenuMessageHandler handler)
    : owner_(owner), handler_(std::move(handler)), previous_(owner.menuHandler_) {
    owner_.menuHandler_ = &handler_;
}

MenuMessageScope::~MenuMessageScope() { owner_.menuHandler_ = previous_; }

}  // namespace ui
