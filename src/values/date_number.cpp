// The OLE date number: days since 1899-12-30, the fraction being the time of day.
#include "values/date_number.h"

#include <cmath>
#include <cstdint>

namespace {

constexpr std::int64_t milliseconds_per_day = 86'400'000;
constexpr double first_date_number = -657434.0;  // 0100-01-01
constexpr double last_date_number = 2958466.0;   // 10000-01-01, excluded

bool is_leap_year(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int days_in_month(int year, int month) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && is_leap_year(year) ? 29 : days[month - 1];
}

// Days from 0000-03-01 of the proleptic Gregorian calendar, counting years from March so
// that the leap day ends each year.
std::int64_t day_number(int year, int month, int day) {
    if (month <= 2) --year;
    const std::int64_t era_year = year;
    const int shifted_month = month > 2 ? month - 3 : month + 9;  // March = 0
    const std::int64_t day_of_year = (153 * shifted_month + 2) / 5 + day - 1;
    return era_year * 365 + era_year / 4 - era_year / 100 + era_year / 400 + day_of_year;
}

const std::int64_t epoch_day = day_number(1899, 12, 30);

void civil_from_day_number(std::int64_t number, int& year, int& month, int& day) {
    // Walk 400-year cycles (146097 days), then centuries, four-year groups and years.
    std::int64_t cycles = number / 146097;
    std::int64_t rest = number % 146097;
    if (rest < 0) {
        rest += 146097;
        --cycles;
    }
    std::int64_t centuries = rest / 36524;
    if (centuries == 4) centuries = 3;  // the cycle's last day is a leap day
    rest -= centuries * 36524;
    const std::int64_t groups = rest / 1461;
    rest -= groups * 1461;
    std::int64_t years = rest / 365;
    if (years == 4) years = 3;
    rest -= years * 365;
    const std::int64_t shifted_month = (5 * rest + 2) / 153;
    day = static_cast<int>(rest - (153 * shifted_month + 2) / 5 + 1);
    month = static_cast<int>(shifted_month < 10 ? shifted_month + 3 : shifted_month - 9);
    year = static_cast<int>(cycles * 400 + centuries * 100 + groups * 4 + years + (month <= 2 ? 1 : 0));
}

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
    const auto days = static_cast<double>(day_number(time.year, time.month, time.day) - epoch_day);
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
    civil_from_day_number(absolute, year, month, day_of_month);
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
