// Device contexts of windows, each with an owner. A window's context is borrowed: it is released,
// never deleted. A memory context is owned: base::MemoryDcHandle deletes it. The state of any
// context is saved and restored by base::SavedDc, and a selected object by base::SelectGuard.
//
//   case WM_PAINT: { ui::PaintScope paint(Handle()); Draw(paint.Dc(), paint.Area()); return 0; }
//   ui::WindowDc screen;                 // the screen's context, e.g. to measure text
//   ui::WindowDc frame(hwnd, ui::WindowDc::Area::Whole);   // the non-client area too
#pragma once

#include <windows.h>

namespace ui {

// One paint session (BeginPaint and EndPaint) for a WM_PAINT message.
class PaintScope {
  public:
    explicit PaintScope(HWND hwnd) noexcept;
    ~PaintScope();
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;

    HDC Dc() const noexcept { return dc_; }
    // What needs painting, in client coordinates.
    const RECT& Area() const noexcept { return paint_.rcPaint; }

  private:
    HWND hwnd_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// A window's device context, or the screen's for no window, released when the object goes.
class WindowDc {
  public:
    // Client: the client area (GetDC); Whole: the whole window, frame included (GetWindowDC).
    enum class Area { Client, Whole };
    explicit WindowDc(HWND hwnd = nullptr, Area area = Area::Client) noexcept;
    ~WindowDc();
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;

    // Null when the platform had none to give.
    HDC Get() const noexcept { return dc_; }

  private:
    HWND hwnd_;
    HDC dc_;
};

}  // namespace ui
