#include "ui/SpinEdit.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cwchar>
#include <string>

#include <commctrl.h>

namespace ui {

// The up-down control beside the edit; its arrows step the edit's value.
class SpinEdit::Arrows : public Window {
  public:
    Arrows(Window& parent, SpinEdit& edit) : edit_(edit) {
        CreateParams params;
        params.className = UPDOWN_CLASSW;
        params.style = WS_CHILD | WS_VISIBLE | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS;
        Create(&parent, params);
        Send(UDM_SETRANGE32, WPARAM(INT_MIN), LPARAM(INT_MAX));
        Send(UDM_SETBUDDY, WPARAM(edit.Handle()));
    }

  protected:
    bool HandleNotify(NMHDR& header, LRESULT& result) override {
        if (header.code != UDN_DELTAPOS) return false;
        const auto& delta = reinterpret_cast<NMUPDOWN&>(header);
        const long long next = static_cast<long long>(edit_.Value()) +
                               static_cast<long long>(delta.iDelta) * edit_.Step();
        edit_.SetValue(int(std::clamp<long long>(next, INT_MIN, INT_MAX)));
        result = TRUE;  // we moved the value ourselves
        return true;
    }

  private:
    SpinEdit& edit_;
};

SpinEdit::SpinEdit(Window& parent, int x, int y, int width, int height, int value, int step)
    : step_(step) {
    CreateParams params;
    params.className = L"EDIT";
    params.text = std::to_wstring(value);
    params.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL;
    params.exStyle = WS_EX_CLIENTEDGE;
    params.SetBounds(x, y, width, height);
    Create(&parent, params);
    arrows_ = std::make_unique<Arrows>(parent, *this);
}

SpinEdit::~SpinEdit() = default;

int SpinEdit::Value() const {
    const std::wstring text = Text();
    if (text.empty()) return 0;
    wchar_t* end = nullptr;
    errno = 0;
    const long value = std::wcstol(text.c_str(), &end, 10);
    if (end == text.c_str() || *end != L'\0' || errno == ERANGE || value < INT_MIN ||
        value > INT_MAX)
        return 0;
    return int(value);
}

void SpinEdit::SetValue(int value) { SetText(std::to_wstring(value)); }

void SpinEdit::SetEnabled(bool enabled) {
    Window::SetEnabled(enabled);
    arrows_->SetEnabled(enabled);
}

bool SpinEdit::HandleCommand(UINT notifyCode) {
    if (notifyCode != EN_CHANGE) return false;
    if (OnChange) OnChange(*this);
    return true;
}

}  // namespace ui
