// A date picker holding calendar dates as date-time values (ui/DateTime.h).
#pragma once

#include "ui/Window.h"

namespace ui {

class DateTimePicker : public Window {
  public:
    DateTimePicker(Window& parent, int x, int y, int width, int height);

    // The picked date with the time of day the picker keeps (00:00 unless set otherwise).
    double Date() const;
    void SetDate(double dateTime);

    NotifyEvent OnChange;

  protected:
    bool HandleNotify(NMHDR& header, LRESULT& result) override;
};

}  // namespace ui
