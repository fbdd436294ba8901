#include "ui/Form.h"

#include <commctrl.h>

#include "base/Error.h"
#include "ui/Application.h"

namespace ui {
namespace {

constexpr wchar_t kFormClass[] = L"LumoraForm";
constexpr int kSizeGripSize = 13;

DWORD FrameStyle(const FormOptions& options) {
    DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    if (options.resizable) style |= WS_THICKFRAME;
    if (options.minimizeBox) style |= WS_MINIMIZEBOX;
    if (options.maximizeBox) style |= WS_MAXIMIZEBOX;
    return style;
}

}  // namespace

// The platform's size box: a scroll bar of the size-grip style, which sizes its top-level window
// when dragged.
class Form::SizeGrip : public Window {
  public:
    explicit SizeGrip(Form& form) {
        CreateParams params;
        params.className = WC_SCROLLBARW;
        params.style = WS_CHILD | WS_VISIBLE | SBS_SIZEGRIP | SBS_SIZEBOXBOTTOMRIGHTALIGN;
        params.SetBounds(0, 0, kSizeGripSize, kSizeGripSize);
        Create(&form, params);
    }
};

Form::Form(const std::wstring& caption, int width, int height, const FormOptions& options) {
    RegisterClass(kFormClass, CS_DBLCLKS, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1),
                  LoadIconW(App().ModuleInstance(), MAKEINTRESOURCEW(kApplicationIconId)));
    CreateParams params;
    params.className = kFormClass;
    params.text = caption;
    params.style = FrameStyle(options);
    params.exStyle = WS_EX_CONTROLPARENT | (options.resizable ? 0 : WS_EX_DLGMODALFRAME);
    params.owner = options.owner != nullptr ? options.owner->Handle() : nullptr;
    params.SetBounds(CW_USEDEFAULT, CW_USEDEFAULT, width, height);
    Create(nullptr, params);
    SetUsesDialogKeys(true);
    if (options.sizeGrip) {
        sizeGrip_ = std::make_unique<SizeGrip>(*this);
        Resized();
    }
}

Form::~Form() {
    if (App().MainWindow() == this) App().SetMainWindow(nullptr);
}

Window* Form::SizeGripControl() const noexcept { return sizeGrip_.get(); }

void Form::SetMenu(std::unique_ptr<Menu> menu) {
    // The menu objects keep their handles; the window only shows the bar.
    ::SetMenu(Handle(), menu ? menu->Handle() : nullptr);
    menu_ = std::move(menu);
}

void Form::Show() {
    if (Handle() == nullptr) return;
    if (!shown_) {
        shown_ = true;
        DoShow();
        if (Handle() == nullptr) return;
        if (centre_) CentreOnScreen();
    }
    ShowWindow(Handle(), SW_SHOW);
    UpdateWindow(Handle());
}

void Form::CentreOnScreen() {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int width = Width();
    const int height = Height();
    SetBounds(work.left + (work.right - work.left - width) / 2,
              work.top + (work.bottom - work.top - height) / 2, width, height);
}

void Form::Close() {
    if (Handle() != nullptr) Send(WM_CLOSE);
}

void Form::DoShow() {
    if (OnShow) OnShow(*this);
}

bool Form::DoCloseQuery() { return OnCloseQuery ? OnCloseQuery(*this) : true; }

void Form::DoClose() {
    if (OnClose) OnClose(*this);
}

void Form::SetDefaultButton(Button* button) {
    if (defaultButton_ != nullptr && defaultButton_->Handle() != nullptr)
        defaultButton_->Send(BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    defaultButton_ = button;
    if (button != nullptr && button->Handle() != nullptr)
        button->Send(BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
}

ModalResult Form::ShowModal() {
    if (Handle() == nullptr) throw base::Error(L"The window is closed");
    if (modal_) throw base::Error(L"The window is shown modally already");
    HWND owner = GetWindow(Handle(), GW_OWNER);
    const bool disableOwner = owner != nullptr && IsWindowEnabled(owner);
    // Puts things back on every way out, an error from a close handler included.
    struct Run {
        Form& form;
        HWND owner;
        bool disableOwner;
        ~Run() {
            form.modal_ = false;
            const bool active = form.Handle() != nullptr && GetActiveWindow() == form.Handle();
            // The owner first, so that it can take the activation when the form is hidden.
            if (disableOwner && IsWindow(owner)) EnableWindow(owner, TRUE);
            if (form.Handle() != nullptr)
                SetWindowPos(
                    form.Handle(), nullptr, 0, 0, 0, 0,
                    SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
            if (active && IsWindow(owner)) SetActiveWindow(owner);
        }
    } run{*this, owner, disableOwner};
    modal_ = true;
    modalResult_ = ModalResult::None;
    if (disableOwner) EnableWindow(owner, FALSE);
    Show();
    if (!App().RunUntil([this] { return ModalRunEnded(); }) || Handle() == nullptr)
        modalResult_ = ModalResult::Cancel;
    return modalResult_;
}

bool Form::ModalRunEnded() {
    if (Handle() == nullptr) return true;
    if (modalResult_ == ModalResult::None) return false;
    if (!DoCloseQuery()) {
        modalResult_ = ModalResult::None;
        return false;
    }
    DoClose();
    return true;
}

void Form::DialogCommand(int id) {
    if (id == IDOK) {
        if (defaultButton_ != nullptr) defaultButton_->Click();
        return;
    }
    if (cancelButton_ != nullptr) {
        cancelButton_->Click();
    } else if (modal_) {
        modalResult_ = ModalResult::Cancel;
    }
}

LRESULT Form::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_CLOSE:
            if (modal_) {
                modalResult_ = ModalResult::Cancel;
            } else if (DoCloseQuery()) {
                DoClose();
                Destroy();
            }
            return 0;
        case WM_QUERYENDSESSION:
            return DoCloseQuery() ? TRUE : FALSE;
        case WM_COMMAND:
            if (lParam == 0 && (wParam == IDOK || wParam == IDCANCEL)) {
                DialogCommand(int(wParam));
                return 0;
            }
            break;
        case DM_GETDEFID:
            if (defaultButton_ == nullptr || defaultButton_->Handle() == nullptr) return 0;
            return MAKELRESULT(GetDlgCtrlID(defaultButton_->Handle()), DC_HASDEFID);
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            if (Constraints().minWidth > 0) info->ptMinTrackSize.x = Constraints().minWidth;
            if (Constraints().minHeight > 0) info->ptMinTrackSize.y = Constraints().minHeight;
            return 0;
        }
        case WM_SYSCOLORCHANGE:
            // Only top-level windows hear of a new colour scheme; controls that paint with
            // system colours must be told.
            EnumChildWindows(
                Handle(),
                [](HWND child, LPARAM) -> BOOL {
                    SendMessageW(child, WM_SYSCOLORCHANGE, 0, 0);
                    return TRUE;
                },
                0);
            break;
        case WM_DESTROY:
            // The bar stays the menu object's, which destroys it; the window must not.
            ::SetMenu(Handle(), nullptr);
            break;
    }
    return Window::HandleMessage(msg, wParam, lParam);
}

void Form::Resized() {
    Window::Resized();
    if (!sizeGrip_) return;
    const RECT client = ClientRect();
    sizeGrip_->SetBounds(client.right - kSizeGripSize, client.bottom - kSizeGripSize, kSizeGripSize,
                         kSizeGripSize);
    sizeGrip_->SetVisible(!IsZoomed(Handle()));
    // Over the controls that reach into the corner.
    SetWindowPos(sizeGrip_->Handle(), HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Form::Destroyed() {
    if (App().MainWindow() == this) App().Terminate(0);
}

}  // namespace ui
