// The basic controls: panel, label, push button and check box.
#pragma once

#include <string>

#include "ui/Window.h"

namespace ui {

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
    // Presses the button as a click would.
    void Click();
    NotifyEvent OnClick;

  protected:
    bool HandleCommand(UINT notifyCode) override;
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
