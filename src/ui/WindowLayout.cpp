// Geometry, layout of aligned children, and the simple properties of a window.
#include <algorithm>

#include "base/Error.h"
#include "ui/Window.h"

namespace ui {

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
