// A top-level window: caption, frame, menu bar, minimum size, centring when first shown, the
// close request with its query, and modal use with a result.
//
//   ui::Form dialog(L"Browse for Folder", 366, 340,
//                   {.owner = &mainForm, .minimizeBox = false, .sizeGrip = true});
//   dialog.SetConstraints({366, 340});            // the smallest tracking size
//   ui::Button ok(dialog, L"OK", ...), cancel(dialog, L"Cancel", ...);
//   ok.SetModalResult(ui::ModalResult::Ok);
//   cancel.SetModalResult(ui::ModalResult::Cancel);
//   dialog.SetDefaultButton(&ok);                 // Enter
//   dialog.SetCancelButton(&cancel);              // Esc
//   if (dialog.ShowModal() == ui::ModalResult::Ok) ...
//
// Enter and Esc come through the dialog manager (IsDialogMessage, run by the application's
// message loop for every form): Enter asks the form for its default button (DM_GETDEFID), Esc
// sends IDCANCEL; IDOK and IDCANCEL without a control are the form's to answer, never a menu
// item's (menu items have identifiers of their own, ui/CommandIds.h).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "ui/Controls.h"
#include "ui/Menu.h"
#include "ui/Window.h"

namespace ui {

// What a form is made with; it cannot change once the window exists.
struct FormOptions {
    // An owned form stays above its owner and goes with it; ShowModal disables the owner.
    Window* owner = nullptr;
    // A sizing border; without it a fixed dialog frame.
    bool resizable = true;
    bool minimizeBox = true;
    bool maximizeBox = true;
    // A size grip in the lower right corner, hidden while the form is maximised.
    bool sizeGrip = false;
};

class Form : public Window {
  public:
    // Creates the window hidden, with the given outer size.
    Form(const std::wstring& caption, int width, int height, const FormOptions& options = {});
    ~Form() override;

    // Takes the menu over as the window's menu bar.
    void SetMenu(std::unique_ptr<Menu> menu);
    Menu* MainMenu() const noexcept { return menu_.get(); }

    // Shows the window; the first time it runs OnShow and centres the window on the screen.
    void Show();
    // A close request, as from the close box: asks OnCloseQuery, then closes and destroys. While
    // the form runs modally it ends the run with Cancel instead.
    void Close();
    bool Closed() const noexcept { return Handle() == nullptr; }

    void SetCentreOnFirstShow(bool centre) noexcept { centre_ = centre; }
    // Moves the window to the centre of the screen's work area, keeping its size.
    void CentreOnScreen();

    // Runs the form modally: shows it, disables its owner and handles messages until a modal
    // result is set (by a button with one, Enter, Esc or the close box) and OnCloseQuery agrees.
    // Then OnClose runs, the owner is enabled and activated again and the form is hidden, not
    // destroyed, so that its controls can be read. A run ended by the window's destruction or by
    // the quit message gives Cancel. Raises an error when the form is closed or running already.
    ModalResult ShowModal();
    bool Modal() const noexcept { return modal_; }
    ModalResult GetModalResult() const noexcept { return modalResult_; }
    void SetModalResult(ModalResult result) noexcept { modalResult_ = result; }

    // Enter presses the default button (unless the focus is on another push button, which Enter
    // presses itself), drawn with the default frame; Esc presses the cancel button, and without
    // one ends a modal run with Cancel. Not owned: set them to none before the buttons go.
    Button* DefaultButton() const noexcept { return defaultButton_; }
    void SetDefaultButton(Button* button);
    Button* CancelButton() const noexcept { return cancelButton_; }
    void SetCancelButton(Button* button) noexcept { cancelButton_ = button; }

    // The size grip, when the options asked for one.
    Window* SizeGripControl() const noexcept;

    NotifyEvent OnShow;
    // Answers whether the window may close; no handler means yes.
    std::function<bool(Form& sender)> OnCloseQuery;
    NotifyEvent OnClose;

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void Resized() override;
    void Destroyed() override;
    virtual void DoShow();
    virtual bool DoCloseQuery();
    virtual void DoClose();

  private:
    class SizeGrip;

    // IDOK or IDCANCEL from the dialog manager, without a control.
    void DialogCommand(int id);
    // Whether a modal run is over: the window is gone, or a result is set and the close query
    // agrees.
    bool ModalRunEnded();

    std::unique_ptr<Menu> menu_;
    std::unique_ptr<SizeGrip> sizeGrip_;
    Button* defaultButton_ = nullptr;
    Button* cancelButton_ = nullptr;
    ModalResult modalResult_ = ModalResult::None;
    bool modal_ = false;
    bool shown_ = false;
    bool centre_ = true;
};

}  // namespace ui
