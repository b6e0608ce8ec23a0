// The OLE date number: days since 1899-12-30, the fraction being the time of day.
#include "values/date_number.h"

#include <cmath>
#include <cstdint>

#include "values/calendar.h"

namespace {

constexpr std::int64_t milliseconds_per_day = 86'400'000;
constexpr double first_date_number = -657434.0;  // 0100-01-01
constexpr double last_date_number = 2958466.0;   // 10000-01-01, excluded

const std::int64_t epoch_day = days_from_civil(1899, 12, 30);

}  // namespace

bool systemtime_to_date_number(const ole_systemtime& time, double& out) noexcept {
    if (time.hour > 23 || time.minute > 59 || time.second > 59 || time.milliseconds > 999) return false;
    const std::int64_t milliseconds =
        ((time.hour * 60 + time.minute) * 60 + time.second) * 1000LL + time.milliseconds;
    const double fraction = static_cast<double>(milliseconds) / static_cast<double>(milliseconds_per_day);
    if (time.year == 0 && time.month == 0 && time.day == 0) {
        out = fraction;
        return true;
    }
    if (time.year < 100 || time.year > 9999 || time.month < 1 || time.month > 12 || time.day < 1 ||
        time.day > days_in_month(time.year, time.month)) {
        return false;
    }
    const auto days = static_cast<double>(days_from_civil(time.year, time.month, time.day) - epoch_day);
    // Before the epoch the fraction still runs forward in time, away from zero.
    out = days >= 0 ? days + fraction : days - fraction;
    return true;
}

bool date_number_to_systemtime(double number, ole_systemtime& out) noexcept {
    if (!(number > first_date_number - 1.0 && number < last_date_number)) return false;
    double whole = std::trunc(number);
    auto milliseconds = static_cast<std::int64_t>(
        std::llround(std::fabs(number - whole) * static_cast<double>(milliseconds_per_day)));
    std::int64_t day = static_cast<std::int64_t>(whole);
    if (milliseconds >= milliseconds_per_day) {  // rounded up to the next midnight
        milliseconds -= milliseconds_per_day;
        ++day;
    }
    const std::int64_t absolute = day + epoch_day;
    int year = 0;
    int month = 0;
    int day_of_month = 0;
    civil_from_days(absolute, year, month, day_of_month);
    if (year < 100 || year > 9999) return false;
    ole_systemtime result;
    result.year = static_cast<std::uint16_t>(year);
    result.month = static_cast<std::uint16_t>(month);
    result.day = static_cast<std::uint16_t>(day_of_month);
    // 1899-12-30 was a Saturday (6).
    result.day_of_week = static_cast<std::uint16_t>(((day % 7) + 7 + 6) % 7);
    result.hour = static_cast<std::uint16_t>(milliseconds / 3'600'000);
    result.minute = static_cast<std::uint16_t>(milliseconds / 60'000 % 60);
    result.second = static_cast<std::uint16_t>(milliseconds / 1000 % 60);
    result.milliseconds = static_cast<std::uint16_t>(milliseconds % 1000);
    out = result;
    return true;
}
