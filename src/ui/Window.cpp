#include "ui/Window.h"

#include <algorithm>

#include <commctrl.h>

#include "ui/Application.h"
#include "base/Error.h"
#include "ui/Menu.h"

namespace ui {
namespace {

constexpr UINT_PTR kSubclassId = 1;

ATOM WindowProperty() {
    static const ATOM atom = GlobalAddAtomW(L"Lumora.Window");
    return atom;
}

int NextControlId() {
    static int id = 100;
    return id++;
}

}  // namespace

int Scale(int pixels) {
    static const int dpi = [] {
        HDC dc = GetDC(nullptr);
        const int value = dc != nullptr ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
        if (dc != nullptr) ReleaseDC(nullptr, dc);
        return value > 0 ? value : 96;
    }();
    return MulDiv(pixels, dpi, 96);
}

Window* Window::FromHandle(HWND hwnd) noexcept {
    if (hwnd == nullptr) return nullptr;
    return static_cast<Window*>(GetPropW(hwnd, MAKEINTATOM(WindowProperty())));
}

Window::~Window() {
    for (Frame* frame = frames_; frame != nullptr; frame = frame->outer) frame->alive = false;
    for (Window* child : children_) child->parent_ = nullptr;
    if (parent_ != nullptr) std::erase(parent_->children_, this);
    if (hwnd_ != nullptr) {
        HWND hwnd = hwnd_;
        Detach();
        DestroyWindow(hwnd);
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

void Window::Create(Window* parent, const CreateParams& params) {
    if (hwnd_ != nullptr) throw base::Error(L"The window exists already");
    DWORD style = params.style;
    HMENU id = nullptr;
    if (parent != nullptr) {
        id = reinterpret_cast<HMENU>(INT_PTR(NextControlId()));
    } else {
        style &= ~DWORD(WS_CHILD);
    }
    parent_ = parent;
    requestedHeight_ = params.height;
    if (parent != nullptr) parent->children_.push_back(this);
    HWND hwnd = CreateWindowExW(params.exStyle, params.className, params.text.c_str(), style,
                                params.x, params.y, params.width, params.height,
                                parent != nullptr ? parent->hwnd_ : nullptr, id,
                                App().ModuleInstance(), this);
    if (hwnd == nullptr) {
        const DWORD error = GetLastError();
        if (parent != nullptr) std::erase(parent->children_, this);
        parent_ = nullptr;
        throw base::PlatformError::FromWin32(error);
    }
    // Our own classes attached themselves at WM_NCCREATE; anything else is subclassed now.
    if (hwnd_ == nullptr) Attach(hwnd, true);
    if (parent != nullptr && parent->font_ != nullptr) SetFont(parent->font_);
}

void Window::Attach(HWND hwnd, bool subclass) {
    hwnd_ = hwnd;
    SetPropW(hwnd, MAKEINTATOM(WindowProperty()), this);
    if (subclass) {
        if (!SetWindowSubclass(hwnd, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
            base::ThrowLastError();
        subclassed_ = true;
    }
}

void Window::Detach() {
    if (hwnd_ == nullptr) return;
    if (subclassed_) RemoveWindowSubclass(hwnd_, SubclassProc, kSubclassId);
    RemovePropW(hwnd_, MAKEINTATOM(WindowProperty()));
    subclassed_ = false;
    hwnd_ = nullptr;
}

void Window::Destroy() {
    if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

LRESULT CALLBACK Window::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Window* window = nullptr;
    if (msg == WM_NCCREATE) {
        window = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (window != nullptr) window->Attach(hwnd, false);
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
        result = HandleMessage(msg, wParam, lParam);
    } catch (...) {
        // The error display runs a modal loop; the object may be gone after it.
        App().HandleCurrentException();
    }
    if (!frame.alive) return result;
    frames_ = frame.outer;
    if (msg == WM_NCDESTROY) {
        Detach();
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

void Window::Resized() { Realign(); }

RECT Window::Bounds() const {
    RECT rect{};
    if (hwnd_ == nullptr) return rect;
    GetWindowRect(hwnd_, &rect);
    HWND parent = GetParent(hwnd_);
    if (parent != nullptr && (GetWindowLongW(hwnd_, GWL_STYLE) & WS_CHILD) != 0)
        MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

int Window::Width() const {
    const RECT rect = Bounds();
    return rect.right - rect.left;
}

int Window::Height() const {
    const RECT rect = Bounds();
    return rect.bottom - rect.top;
}

void Window::SetBounds(int x, int y, int width, int height) {
    if (hwnd_ == nullptr) return;
    requestedHeight_ = height;
    SetWindowPos(hwnd_, nullptr, x, y, std::max(width, 0), std::max(height, 0),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void Window::SetSize(int width, int height) {
    if (hwnd_ == nullptr) return;
    requestedHeight_ = height;
    SetWindowPos(hwnd_, nullptr, 0, 0, std::max(width, 0), std::max(height, 0),
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    if (parent_ != nullptr && align_ != Align::None) parent_->Realign();
}

RECT Window::ClientRect() const {
    RECT rect{};
    if (hwnd_ != nullptr) GetClientRect(hwnd_, &rect);
    return rect;
}

void Window::SetAlign(Align align) {
    align_ = align;
    if (parent_ != nullptr) parent_->Realign();
}

void Window::SetConstraints(SizeConstraints constraints) {
    constraints_ = constraints;
    if (parent_ != nullptr) parent_->Realign();
}

void Window::AnchorRight() {
    if (parent_ == nullptr) return;
    rightMargin_ = std::max<LONG>(parent_->ClientRect().right - Bounds().right, 0);
}

void Window::Realign() {
    if (hwnd_ == nullptr || children_.empty()) return;
    RECT area = ClientRect();
    for (Window* child : std::vector<Window*>(children_)) {
        if (child->align_ != Align::None || child->rightMargin_ < 0) continue;
        const RECT bounds = child->Bounds();
        child->SetBounds(bounds.left, bounds.top,
                         std::max<LONG>(area.right - child->rightMargin_ - bounds.left,
                                        child->constraints_.minWidth),
                         child->requestedHeight_);
    }
    auto place = [](Window* child, LONG x, LONG y, LONG width, LONG height) {
        const SizeConstraints& min = child->constraints_;
        child->SetBounds(x, y, std::max<LONG>({width, min.minWidth, 0}),
                         std::max<LONG>({height, min.minHeight, 0}));
    };
    for (Align pass : {Align::Top, Align::Bottom, Align::Left, Align::Right, Align::Client}) {
        // Copy: placing a child may run handlers that change the list.
        const std::vector<Window*> children = children_;
        for (Window* child : children) {
            if (child->align_ != pass || !child->Visible()) continue;
            const LONG width = std::max<LONG>(child->Width(), child->constraints_.minWidth);
            const LONG height = std::max<LONG>(child->Height(), child->constraints_.minHeight);
            const LONG areaWidth = area.right - area.left;
            const LONG areaHeight = area.bottom - area.top;
            switch (pass) {
                case Align::Top:
                    place(child, area.left, area.top, areaWidth, height);
                    area.top += height;
                    break;
                case Align::Bottom:
                    place(child, area.left, area.bottom - height, areaWidth, height);
                    area.bottom -= height;
                    break;
                case Align::Left:
                    place(child, area.left, area.top, width, areaHeight);
                    area.left += width;
                    break;
                case Align::Right:
                    place(child, area.right - width, area.top, width, areaHeight);
                    area.right -= width;
                    break;
                default:
                    place(child, area.left, area.top, areaWidth, areaHeight);
                    break;
            }
        }
    }
}

std::wstring Window::Text() const {
    if (hwnd_ == nullptr) return {};
    const int length = GetWindowTextLengthW(hwnd_);
    std::wstring text(size_t(length) + 1, L'\0');
    const int copied = GetWindowTextW(hwnd_, text.data(), length + 1);
    text.resize(size_t(std::max(copied, 0)));
    return text;
}

void Window::SetText(const std::wstring& text) {
    if (hwnd_ != nullptr && !SetWindowTextW(hwnd_, text.c_str())) base::ThrowLastError();
}

bool Window::Visible() const {
    return hwnd_ != nullptr && (GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
}

void Window::SetVisible(bool visible) {
    if (hwnd_ == nullptr || visible == Visible()) return;
    ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE);
    if (parent_ != nullptr && align_ != Align::None) parent_->Realign();
}

bool Window::Enabled() const { return hwnd_ != nullptr && IsWindowEnabled(hwnd_); }

void Window::SetEnabled(bool enabled) {
    if (hwnd_ != nullptr) EnableWindow(hwnd_, enabled);
}

void Window::SetFont(HFONT font) {
    font_ = font;
    if (hwnd_ != nullptr) SendMessageW(hwnd_, WM_SETFONT, WPARAM(font), TRUE);
}

bool Window::Focused() const { return hwnd_ != nullptr && GetFocus() == hwnd_; }

void Window::SetFocus() {
    if (hwnd_ == nullptr) return;
    SetLastError(0);
    if (::SetFocus(hwnd_) == nullptr && GetLastError() != 0) base::ThrowLastError();
}

void Window::Invalidate() {
    if (hwnd_ != nullptr) InvalidateRect(hwnd_, nullptr, TRUE);
}

LRESULT Window::Send(UINT msg, WPARAM wParam, LPARAM lParam) const {
    return SendMessageW(hwnd_, msg, wParam, lParam);
}

bool Window::Post(UINT msg, WPARAM wParam, LPARAM lParam) const {
    return PostMessageW(hwnd_, msg, wParam, lParam) != 0;
}

}  // namespace ui
