// A whole-number edit with up and down arrows that step the value.
#pragma once

#include <memory>

#include "ui/Window.h"

namespace ui {

class SpinEdit : public Window {
  public:
    SpinEdit(Window& parent, int x, int y, int width, int height, int value = 0, int step = 1);
    ~SpinEdit() override;

    // The number shown; a text that is not a whole number counts as 0.
    int Value() const;
    void SetValue(int value);
    int Step() const noexcept { return step_; }
    void SetStep(int step) noexcept { step_ = step; }
    void SetEnabled(bool enabled) override;

    // The text changed, by the user, the arrows or from code.
    NotifyEvent OnChange;

  protected:
    bool HandleCommand(UINT notifyCode) override;

  private:
    class Arrows;
    std::unique_ptr<Arrows> arrows_;
    int step_;
};

}  // namespace ui
