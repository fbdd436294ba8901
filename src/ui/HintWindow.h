// The tooltip of a top-level window, showing the hints of the windows inside it (see
// Window::SetHint). Made by the window layer on the first hint; not used directly.
#pragma once

#include <string>

#include "ui/Window.h"

namespace ui {

class HintWindow : public Window {
  public:
    // A tooltip owned by the top-level window, so that it goes with it.
    explicit HintWindow(Window& topLevel);

    // Shows text over the window while the pointer rests on it; an empty text removes it.
    void Set(Window& window, const std::wstring& text);
    void Remove(Window& window);
};

}  // namespace ui
