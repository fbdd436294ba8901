#include "ui/Cursor.h"

#include "ui/Application.h"

namespace ui {

CursorGuard::CursorGuard(const wchar_t* cursor) : previous_(App().ScreenCursor()) {
    App().SetScreenCursor(LoadCursorW(nullptr, cursor));
}

CursorGuard::~CursorGuard() { App().SetScreenCursor(previous_); }

}  // namespace ui
