#include "ui/DateTimePicker.h"

#include <commctrl.h>

#include "base/DateTime.h"

namespace ui {

DateTimePicker::DateTimePicker(Window& parent, int x, int y, int width, int height) {
    CreateParams params;
    params.className = DATETIMEPICK_CLASSW;
    params.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | DTS_SHORTDATEFORMAT;
    params.SetBounds(x, y, width, height);
    Create(&parent, params);
    SetDate(base::Today());
}

double DateTimePicker::Date() const {
    SYSTEMTIME time{};
    if (Send(DTM_GETSYSTEMTIME, 0, LPARAM(&time)) != GDT_VALID) return 0;
    return base::SystemTimeToDateTime(time);
}

void DateTimePicker::SetDate(double dateTime) {
    SYSTEMTIME time = base::DateTimeToSystemTime(dateTime);
    Send(DTM_SETSYSTEMTIME, GDT_VALID, LPARAM(&time));
}

bool DateTimePicker::HandleNotify(NMHDR& header, LRESULT& result) {
    if (header.code != DTN_DATETIMECHANGE) return false;
    if (OnChange) OnChange(*this);
    result = 0;
    return true;
}

}  // namespace ui
