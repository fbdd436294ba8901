// A status bar with fixed-width panels.
#pragma once

#include <string>
#include <vector>

#include "ui/Window.h"

namespace ui {

class StatusBar : public Window {
  public:
    // widths: one per panel; the last panel also takes whatever room is left.
    StatusBar(Window& parent, const std::vector<int>& widths);

    std::wstring PanelText(int index) const;
    void SetPanelText(int index, const std::wstring& text);
    int PanelCount() const noexcept { return int(widths_.size()); }

  protected:
    void Resized() override;

  private:
    void ApplyWidths();
    std::vector<int> widths_;
    std::vector<std::wstring> texts_;
};

}  // namespace ui
