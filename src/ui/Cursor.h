// Shows a cursor (the hourglass by default) over the whole program for the guard's lifetime and
// puts the previous one back on every path out, exceptions included.
#pragma once

#include <windows.h>

namespace ui {

class CursorGuard {
  public:
    explicit CursorGuard(const wchar_t* cursor = IDC_WAIT);
    ~CursorGuard();
    CursorGuard(const CursorGuard&) = delete;
    CursorGuard& operator=(const CursorGuard&) = delete;

  private:
    HCURSOR previous_;
};

}  // namespace ui
