// The basic controls: panel, label, push button and check box.
#pragma once

#include <string>

#include "ui/Window.h"

namespace ui {

// The result of a modal run of a form (Form::ShowModal); the values are the dialog manager's.
enum class ModalResult { None = 0, Ok = IDOK, Cancel = IDCANCEL };

// A plain container, optionally with a sunken or raised edge.
class Panel : public Window {
  public:
    // TopRule: an etched line along the top edge only.
    enum class Bevel { None, Raised, Lowered, TopRule };
    Panel(Window& parent, int x, int y, int width, int height, Bevel bevel = Bevel::None);

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

  private:
    Bevel bevel_;
};

class Label : public Window {
  public:
    Label(Window& parent, const std::wstring& caption, int x, int y, int width, int height,
          bool wordWrap = false);
};

class Button : public Window {
  public:
    Button(Window& parent, const std::wstring& caption, int x, int y, int width, int height);
    // Shows an icon in place of the caption; the icon must outlive the button.
    void SetIcon(HICON icon);
    // Presses the button as a click would: gives its form the button's modal result (when it
    // has one), then raises OnClick, which may set the form's result back to none.
    void Click();
    NotifyEvent OnClick;

    // What a click makes of the modal run of the form the button is on (Form::ShowModal).
    ModalResult GetModalResult() const noexcept { return modalResult_; }
    void SetModalResult(ModalResult result) noexcept { modalResult_ = result; }

  protected:
    bool HandleCommand(UINT notifyCode) override;

  private:
    ModalResult modalResult_ = ModalResult::None;
};

class CheckBox : public Window {
  public:
    CheckBox(Window& parent, const std::wstring& caption, int x, int y, int width, int height,
             bool checked = false);
    bool Checked() const;
    // Setting the state from code does not raise OnClick.
    void SetChecked(bool checked);
    // Toggles the state and raises OnClick, as a click with the mouse would.
    void Click();
    NotifyEvent OnClick;

  protected:
    bool HandleCommand(UINT notifyCode) override;
};

}  // namespace ui
