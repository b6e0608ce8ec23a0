// Cell names, number text and date serial numbers.
#include "excel/xlsx/xlsx_cell_values.h"

#include <charconv>
#include <cmath>

#include "toolkit/exception.h"

namespace SimpleXlsx {
namespace {

constexpr int letters_in_alphabet = 26;

// Days from 1970-01-01 to the given civil date (proleptic Gregorian calendar).
std::int64_t days_from_civil(int year, int month, int day) noexcept {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const auto year_of_era = static_cast<unsigned>(year - era * 400);
    const unsigned day_of_year = (153u * static_cast<unsigned>(month + (month > 2 ? -3 : 9)) + 2u) / 5u +
                                 static_cast<unsigned>(day) - 1u;
    const unsigned day_of_era = year_of_era * 365u + year_of_era / 4u - year_of_era / 100u + day_of_year;
    return era * 146097 + static_cast<std::int64_t>(day_of_era) - 719468;
}

bool is_leap_year(int year) noexcept { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int days_in_month(int year, int month) noexcept {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && is_leap_year(year) ? 29 : days[month - 1];
}

}  // namespace

std::string column_letters(std::uint32_t column) {
    char letters[8];
    std::size_t start = sizeof letters;
    std::uint64_t rest = column + 1ull;  // bijective base 26: no zero digit
    while (rest > 0) {
        --rest;
        letters[--start] = static_cast<char>('A' + rest % letters_in_alphabet);
        rest /= letters_in_alphabet;
    }
    return std::string(letters + start, sizeof letters - start);
}

std::string cell_name(std::uint32_t row, std::uint32_t column) {
    return column_letters(column) + std::to_string(row + 1ull);
}

void append_number(std::string& out, double value) {
    TK_ASSERT(std::isfinite(value));
    char digits[32];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    TK_ASSERT(result.ec == std::errc());
    out.append(digits, result.ptr);
}

int significant_digits(std::string_view text) noexcept {
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
    int digits = 0;
    int pending_zeros = 0;  // zeros that count only when a non-zero digit follows
    bool seen_non_zero = false;
    bool seen_point = false;
    bool seen_digit = false;
    for (const char c : text) {
        if (c == '.') {
            if (seen_point) return -1;
            seen_point = true;
            continue;
        }
        if (c < '0' || c > '9') return -1;
        seen_digit = true;
        if (c == '0') {
            if (seen_non_zero) ++pending_zeros;
            continue;
        }
        digits += pending_zeros + 1;
        pending_zeros = 0;
        seen_non_zero = true;
    }
    return seen_digit ? digits : -1;
}

bool excel_serial(const xlsx_date_time& value, double& serial) noexcept {
    if (value.year < 1900 || value.year > 9999 || value.month < 1 || value.month > 12) return false;
    if (value.day < 1 || value.day > days_in_month(value.year, value.month)) return false;
    if (value.hour < 0 || value.hour > 23 || value.minute < 0 || value.minute > 59 || value.second < 0 ||
        value.second > 59 || value.millisecond < 0 || value.millisecond > 999)
        return false;
    static const std::int64_t epoch = days_from_civil(1899, 12, 30);
    static const std::int64_t first_real_leap_day_after = days_from_civil(1900, 3, 1);
    std::int64_t days = days_from_civil(value.year, value.month, value.day);
    const bool is_before_false_leap_day = days < first_real_leap_day_after;
    days -= epoch;
    if (is_before_false_leap_day) --days;
    const std::int64_t milliseconds =
        ((value.hour * 60LL + value.minute) * 60LL + value.second) * 1000LL + value.millisecond;
    serial = static_cast<double>(days) + static_cast<double>(milliseconds) / 86'400'000.0;
    return true;
}

}  // namespace SimpleXlsx
