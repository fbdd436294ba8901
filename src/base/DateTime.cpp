#include "base/DateTime.h"

#include <cmath>

#include "base/Error.h"

namespace base {

namespace {

constexpr double kMillisecondsPerDay = 86400000.0;

// Days from 1 January 1970 to a civil date (proleptic Gregorian calendar).
long long DaysFromCivil(long long year, unsigned month, unsigned day) {
    year -= month <= 2;
    const long long era = (year >= 0 ? year : year - 399) / 400;
    const unsigned yearOfEra = unsigned(year - era * 400);
    const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<long long>(dayOfEra) - 719468;
}

void CivilFromDays(long long days, int& year, unsigned& month, unsigned& day) {
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned dayOfEra = unsigned(days - era * 146097);
    const unsigned yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned mp = (5 * dayOfYear + 2) / 153;
    day = dayOfYear - (153 * mp + 2) / 5 + 1;
    month = mp < 10 ? mp + 3 : mp - 9;
    year = int(yearOfEra + era * 400 + (month <= 2));
}

// 30 December 1899, the day 0 of date-time values.
const long long kEpochDays = DaysFromCivil(1899, 12, 30);

}  // namespace

double SystemTimeToDateTime(const SYSTEMTIME& time) noexcept {
    const long long days = DaysFromCivil(time.wYear, time.wMonth, time.wDay) - kEpochDays;
    const double milliseconds =
        ((time.wHour * 60.0 + time.wMinute) * 60.0 + time.wSecond) * 1000.0 + time.wMilliseconds;
    return double(days) + milliseconds / kMillisecondsPerDay;
}

SYSTEMTIME DateTimeToSystemTime(double dateTime) {
    if (!std::isfinite(dateTime)) throw Error(L"Invalid date");
    const double whole = std::floor(dateTime);
    long long millis = std::llround((dateTime - whole) * kMillisecondsPerDay);
    long long days = static_cast<long long>(whole);
    if (millis >= static_cast<long long>(kMillisecondsPerDay)) {
        millis -= static_cast<long long>(kMillisecondsPerDay);
        days += 1;
    }
    int year = 0;
    unsigned month = 0, day = 0;
    CivilFromDays(days + kEpochDays, year, month, day);
    if (year < 1601 || year > 30827) throw Error(L"Invalid date");
    SYSTEMTIME time{};
    time.wYear = WORD(year);
    time.wMonth = WORD(month);
    time.wDay = WORD(day);
    time.wDayOfWeek = WORD(((days + kEpochDays) % 7 + 7 + 4) % 7);  // 1 January 1970: Thursday
    time.wHour = WORD(millis / 3600000);
    time.wMinute = WORD(millis / 60000 % 60);
    time.wSecond = WORD(millis / 1000 % 60);
    time.wMilliseconds = WORD(millis % 1000);
    return time;
}

double Today() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    now.wHour = now.wMinute = now.wSecond = now.wMilliseconds = 0;
    return SystemTimeToDateTime(now);
}

}  // namespace base
