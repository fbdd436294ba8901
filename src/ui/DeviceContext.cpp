#include "ui/DeviceContext.h"

namespace ui {

PaintScope::PaintScope(HWND hwnd) noexcept : hwnd_(hwnd), dc_(BeginPaint(hwnd, &paint_)) {}

PaintScope::~PaintScope() { EndPaint(hwnd_, &paint_); }

WindowDc::WindowDc(HWND hwnd, Area area) noexcept
    : hwnd_(hwnd), dc_(area == Area::Whole ? GetWindowDC(hwnd) : GetDC(hwnd)) {}

WindowDc::~WindowDc() {
    if (dc_ != nullptr) ReleaseDC(hwnd_, dc_);
}

}  // namespace ui
