// A multi-line text, here read-only with a vertical scroll bar: a log of lines.
#pragma once

#include <string>
#include <vector>

#include "ui/Window.h"

namespace ui {

class Memo : public Window {
  public:
    Memo(Window& parent, int x, int y, int width, int height, bool readOnly = true);

    // Adds a line at the end and scrolls it into view.
    void AddLine(const std::wstring& line);
    // The lines; the line break after the last line does not start another.
    std::vector<std::wstring> Lines() const;
    void Clear();
};

}  // namespace ui
