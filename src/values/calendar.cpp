// The proleptic Gregorian calendar and the canonical text of a date value.
#include "values/calendar.h"

#include <cstdio>
#include <cstdlib>

bool is_leap_year(int year) noexcept { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int days_in_month(int year, int month) noexcept {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && is_leap_year(year) ? 29 : days[month - 1];
}

// Counts years from March, so that the leap day ends each year, in 400-year eras.
std::int64_t days_from_civil(int year, int month, int day) noexcept {
    const std::int64_t march_year = month <= 2 ? std::int64_t{year} - 1 : year;
    const std::int64_t era = (march_year >= 0 ? march_year : march_year - 399) / 400;
    const std::int64_t year_of_era = march_year - era * 400;
    const std::int64_t day_of_year = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const std::int64_t day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
    return era * 146'097 + day_of_era - 719'468;
}

void civil_from_days(std::int64_t days, int& year, int& month, int& day) noexcept {
    const std::int64_t shifted = days + 719'468;  // from 0000-03-01
    const std::int64_t era = (shifted >= 0 ? shifted : shifted - 146'096) / 146'097;
    const std::int64_t day_of_era = shifted - era * 146'097;
    const std::int64_t year_of_era = (day_of_era - day_of_era / 1460 + day_of_era / 36'524 - day_of_era / 146'096) / 365;
    const std::int64_t day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
    const std::int64_t march_month = (5 * day_of_year + 2) / 153;  // March = 0
    day = static_cast<int>(day_of_year - (153 * march_month + 2) / 5 + 1);
    month = static_cast<int>(march_month < 10 ? march_month + 3 : march_month - 9);
    year = static_cast<int>(year_of_era + era * 400 + (month <= 2 ? 1 : 0));
}

std::string canonical_date_text(int year, int month, int day, int hour, int minute, int second,
                                int millisecond) {
    char text[48];
    return std::string(canonical_date_text(text, year, month, day, hour, minute, second, millisecond));
}

std::string_view canonical_date_text(char (&text)[48], int year, int month, int day, int hour, int minute,
                                     int second, int millisecond) noexcept {
    int length = std::snprintf(text, sizeof text, "%s%04d-%02d-%02d", year < 0 ? "-" : "", std::abs(year), month, day);
    if (hour != 0 || minute != 0 || second != 0 || millisecond != 0)
        length += std::snprintf(text + length, sizeof text - static_cast<std::size_t>(length), " %02d:%02d:%02d", hour,
                                minute, second);
    if (millisecond != 0)
        length += std::snprintf(text + length, sizeof text - static_cast<std::size_t>(length), ".%03d", millisecond);
    return std::string_view(text, static_cast<std::size_t>(length));
}
