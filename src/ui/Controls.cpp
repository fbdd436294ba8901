#include "ui/Controls.h"

#include <commctrl.h>

#include "ui/DeviceContext.h"
#include "ui/Form.h"

namespace ui {
namespace {
constexpr wchar_t kPanelClass[] = L"LumoraPanel";
}

Panel::Panel(Window& parent, int x, int y, int width, int height, Bevel bevel) : bevel_(bevel) {
    RegisterClass(kPanelClass, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW);
    CreateParams params;
    params.className = kPanelClass;
    params.style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    params.exStyle = WS_EX_CONTROLPARENT;
    params.SetBounds(x, y, width, height);
    Create(&parent, params);
}

LRESULT Panel::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT && bevel_ != Bevel::None) {
        PaintScope paint(Handle());
        RECT rect = ClientRect();
        if (bevel_ == Bevel::TopRule) {
            DrawEdge(paint.Dc(), &rect, EDGE_ETCHED, BF_TOP);
        } else {
            DrawEdge(paint.Dc(), &rect, bevel_ == Bevel::Raised ? BDR_RAISEDINNER : BDR_SUNKENOUTER,
                     BF_RECT);
        }
        return 0;
    }
    return Window::HandleMessage(msg, wParam, lParam);
}

Label::Label(Window& parent, const std::wstring& caption, int x, int y, int width, int height,
             bool wordWrap) {
    CreateParams params;
    params.className = WC_STATICW;
    params.text = caption;
    params.style = WS_CHILD | WS_VISIBLE | SS_NOTIFY | (wordWrap ? SS_LEFT : SS_LEFTNOWORDWRAP);
    params.SetBounds(x, y, width, height);
    Create(&parent, params);
}

Button::Button(Window& parent, const std::wstring& caption, int x, int y, int width, int height) {
    CreateParams params;
    params.className = WC_BUTTONW;
    params.text = caption;
    params.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
    params.SetBounds(x, y, width, height);
    Create(&parent, params);
}

void Button::SetIcon(HICON icon) {
    SetWindowLongPtrW(Handle(), GWL_STYLE, GetWindowLongPtrW(Handle(), GWL_STYLE) | BS_ICON);
    Send(BM_SETIMAGE, IMAGE_ICON, LPARAM(icon));
}

void Button::Click() {
    if (!Enabled()) return;
    if (modalResult_ != ModalResult::None) {
        Window* root = this;
        while (root->Parent() != nullptr) root = root->Parent();
        if (auto* form = dynamic_cast<Form*>(root)) form->SetModalResult(modalResult_);
    }
    if (OnClick) OnClick(*this);
}

bool Button::HandleCommand(UINT notifyCode) {
    if (notifyCode != BN_CLICKED) return false;
    Click();
    return true;
}

CheckBox::CheckBox(Window& parent, const std::wstring& caption, int x, int y, int width, int height,
                   bool checked) {
    CreateParams params;
    params.className = WC_BUTTONW;
    params.text = caption;
    params.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX;
    params.SetBounds(x, y, width, height);
    Create(&parent, params);
    SetChecked(checked);
}

bool CheckBox::Checked() const { return Send(BM_GETCHECK) == BST_CHECKED; }

void CheckBox::SetChecked(bool checked) {
    Send(BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED);
}

void CheckBox::Click() {
    if (!Enabled()) return;
    SetChecked(!Checked());
    if (OnClick) OnClick(*this);
}

bool CheckBox::HandleCommand(UINT notifyCode) {
    if (notifyCode != BN_CLICKED) return false;
    // The control has toggled itself already.
    if (OnClick) OnClick(*this);
    return true;
}

}  // namespace ui
