// How values become cell text in a worksheet: cell names, numbers in their shortest exact
// form, dates as serial numbers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace SimpleXlsx {

inline constexpr std::uint32_t xlsx_max_columns = 16'384;
inline constexpr std::uint32_t xlsx_max_rows = 1'048'576;
// Characters (UTF-16 code units) a cell's text may hold.
inline constexpr std::size_t xlsx_max_text_units = 32'767;
// Excel shows and keeps 15 significant digits; a number with more is stored as text.
inline constexpr int xlsx_max_significant_digits = 15;

// Column letters of a 0-based column: 0 "A", 25 "Z", 26 "AA", 702 "AAA".
std::string column_letters(std::uint32_t column);
// "A1" style name of a 0-based row and column.
std::string cell_name(std::uint32_t row, std::uint32_t column);

// Appends the shortest decimal text that reads back as exactly value. value must be finite.
void append_number(std::string& out, double value);

// Significant digits of a plain decimal text ("-0012.3400" has 4); 0 for zero. Returns -1
// when text is not [-+]digits[.digits].
int significant_digits(std::string_view decimal_text) noexcept;

// A calendar date and time of day, as a date value carries it.
struct xlsx_date_time {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

// The serial number Excel stores for value: days since 1899-12-30 plus the fraction of
// the day. Excel counts 1900 as a leap year, so dates before 1900-03-01 are one day
// lower than that count. False for a value outside 1900-01-01 .. 9999-12-31 or not a
// calendar date.
bool excel_serial(const xlsx_date_time& value, double& serial) noexcept;

}  // namespace SimpleXlsx
