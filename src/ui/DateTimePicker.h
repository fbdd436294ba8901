// A date picker holding calendar dates as date-time values (days since 30 December 1899, the
// fraction being the time of day).
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

// Conversions between date-time values and the platform's calendar times.
double SystemTimeToDateTime(const SYSTEMTIME& time);
SYSTEMTIME DateTimeToSystemTime(double dateTime);
// Today at 00:00, local time.
double Today();

}  // namespace ui
