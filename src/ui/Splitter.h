// A splitter bar bound to the aligned control it resizes. It stands beside that control with the
// same alignment; dragging it gives the control more or less room, never leaving the control or
// the space on the splitter's other side smaller than their minimum sizes.
#pragma once

#include "ui/Window.h"

namespace ui {

class Splitter : public Window {
  public:
    // align is Left, Right, Top or Bottom, the same as the bound control's; the splitter must be
    // created after that control so that the layout puts it on the control's inner side.
    Splitter(Window& parent, Align align, Window& control, int minSize, int thickness = 5);

    Window& Control() const noexcept { return control_; }
    int MinSize() const noexcept { return minSize_; }
    void SetMinSize(int minSize) noexcept { minSize_ = minSize; }

    // Moves the bar by delta pixels (right or down positive), as a drag would, within the
    // limits; returns the control's new size along the splitter's axis.
    int MoveBy(int delta);

    NotifyEvent OnMoved;

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

  private:
    bool Horizontal() const noexcept;  // true when it moves left and right
    int ControlSize() const;
    // The extent left for the rest of the parent (the client side) along the axis.
    int RestExtent() const;
    int RestMinimum() const;
    int Coordinate(LPARAM lParam) const;

    Window& control_;
    int minSize_;
    bool dragging_ = false;
    int dragOrigin_ = 0;
};

}  // namespace ui
