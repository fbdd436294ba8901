#include <gtest/gtest.h>

#include "base/DateTime.h"
#include "base/Error.h"

namespace {

TEST(DateTime, CalendarTimesAndValuesConvertBothWays) {
    const struct {
        WORD year, month, day, hour, minute, second, millis;
        double value;
    } cases[] = {
        {1899, 12, 30, 0, 0, 0, 0, 0.0},
        {1900, 1, 1, 12, 0, 0, 0, 2.5},
        {2000, 3, 1, 6, 0, 0, 0, 36586.25},
        {2026, 12, 7, 23, 59, 59, 999, 46363 + 86399999.0 / 86400000.0},
        {1899, 12, 29, 18, 0, 0, 0, -0.25},  // before day 0: plain days and fraction
    };
    for (const auto& c : cases) {
        SYSTEMTIME time{c.year, c.month, 0, c.day, c.hour, c.minute, c.second, c.millis};
        EXPECT_DOUBLE_EQ(base::SystemTimeToDateTime(time), c.value) << c.year << "-" << c.month;
        const SYSTEMTIME back = base::DateTimeToSystemTime(c.value);
        EXPECT_EQ(back.wYear, c.year);
        EXPECT_EQ(back.wMonth, c.month);
        EXPECT_EQ(back.wDay, c.day);
        EXPECT_EQ(back.wHour, c.hour);
        EXPECT_EQ(back.wMinute, c.minute);
        EXPECT_EQ(back.wSecond, c.second);
        EXPECT_EQ(back.wMilliseconds, c.millis);
    }
    EXPECT_EQ(base::DateTimeToSystemTime(36586).wDayOfWeek, 3);  // 1 March 2000 was a Wednesday
    EXPECT_THROW(base::DateTimeToSystemTime(-200000), base::Error);
}

}  // namespace
