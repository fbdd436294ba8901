// Date-time values: days since 30 December 1899 00:00 as a double, whose fraction is the time
// of day, milliseconds included.
#pragma once

#include <windows.h>

namespace base {

// A calendar date and time as a date-time value.
double SystemTimeToDateTime(const SYSTEMTIME& time) noexcept;
// The calendar date and time of a date-time value; raises an error for one the platform's
// calendar times cannot hold.
SYSTEMTIME DateTimeToSystemTime(double dateTime);
// Today at 00:00, local time.
double Today();

}  // namespace base
