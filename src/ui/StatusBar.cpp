#include "ui/StatusBar.h"

#include <commctrl.h>

namespace ui {

StatusBar::StatusBar(Window& parent, const std::vector<int>& widths)
    : widths_(widths), texts_(widths.size()) {
    CreateParams params;
    // The layout places it; it should not move itself to the parent's bottom edge.
    params.className = STATUSCLASSNAMEW;
    params.style = WS_CHILD | WS_VISIBLE | CCS_NOPARENTALIGN | CCS_NORESIZE | SBARS_SIZEGRIP;
    params.height = Scale(19);
    Create(&parent, params);
    ApplyWidths();
    SetAlign(Align::Bottom);
}

void StatusBar::ApplyWidths() {
    std::vector<int> edges;
    int edge = 0;
    for (size_t i = 0; i < widths_.size(); ++i) {
        edge += widths_[i];
        edges.push_back(i + 1 == widths_.size() ? -1 : edge);
    }
    Send(SB_SETPARTS, WPARAM(edges.size()), LPARAM(edges.data()));
    for (size_t i = 0; i < texts_.size(); ++i)
        Send(SB_SETTEXTW, WPARAM(i), LPARAM(texts_[i].c_str()));
}

std::wstring StatusBar::PanelText(int index) const { return texts_.at(size_t(index)); }

void StatusBar::SetPanelText(int index, const std::wstring& text) {
    texts_.at(size_t(index)) = text;
    Send(SB_SETTEXTW, WPARAM(index), LPARAM(text.c_str()));
}

void StatusBar::Resized() { Send(WM_SIZE); }

}  // namespace ui
