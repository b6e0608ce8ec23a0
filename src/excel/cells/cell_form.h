// The form one value takes in a worksheet cell, decided once here for the .xls and the
// .xlsx writers, so that every format shows the same value.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "values/ole_types.h"

class ole_variant;

enum class cell_kind { empty, number, text, boolean, date };
enum class cell_date_style { date, date_time, date_time_ms, time };

// Spreadsheets keep 15 significant digits; a number with more is written as text.
inline constexpr int cell_max_exact_digits = 15;
inline constexpr std::string_view cell_binary_placeholder = "<Binary Field>";

struct cell_form {
    cell_kind kind = cell_kind::empty;
    double number = 0;      // a number, or a date's serial number
    bool boolean = false;
    cell_date_style date_style = cell_date_style::date;
    std::string_view text;  // valid while the value lives and until the next decide
};

class cell_decider {
public:
    // Numbers are number cells when a double holds every significant digit they have,
    // else their exact text; NaN and the infinities are the texts "NaN", "Inf", "-Inf".
    // Dates are serial numbers from 1900-03-01 to 9999-12-31 (where every reader shows
    // the same day) and their canonical text elsewhere. Text stays text, whatever it
    // begins with; byte arrays are the binary placeholder; NULL is an empty cell.
    const cell_form& decide(const ole_variant& value);

private:
    void decide_integer(bool is_negative, std::uint64_t magnitude);
    void decide_number_text(std::string text);
    void decide_double(double value);
    void decide_date(const ole_systemtime& time);
    void set_text(std::string text);

    cell_form form_;
    std::string text_;  // the text of a value that is not stored as text
};

// The serial number of a date and time: days since 1899-12-30 plus the fraction of the
// day. False outside 1900-03-01 .. 9999-12-31 (below it Excel counts a 29 February 1900
// that never was, and other readers do not) and for an impossible date or time.
bool excel_serial(const ole_systemtime& value, double& serial) noexcept;

// The canonical text of a date value; two-digit years are never widened.
std::string date_value_text(const ole_systemtime& value);
