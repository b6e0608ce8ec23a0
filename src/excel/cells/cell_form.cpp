// The form of each cell: numbers, texts and dates decided for every output format.
#include "excel/cells/cell_form.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "values/calendar.h"
#include "values/currency.h"
#include "values/decimal.h"
#include "values/number_text.h"
#include "values/ole_variant.h"

namespace {

constexpr double milliseconds_per_day = 86'400'000.0;

// Significant digits of an integer: trailing zeros cost a double no precision.
int integer_digits(std::uint64_t value) noexcept {
    if (value == 0) return 0;
    while (value % 10 == 0) value /= 10;
    int digits = 0;
    for (; value > 0; value /= 10) ++digits;
    return digits;
}

bool is_time_only(const ole_systemtime& time) noexcept { return time.year == 0 && time.month == 0 && time.day == 0; }

bool is_valid_time(const ole_systemtime& time) noexcept {
    return time.hour <= 23 && time.minute <= 59 && time.second <= 59 && time.milliseconds <= 999;
}

double day_fraction(const ole_systemtime& time) noexcept {
    const double milliseconds = ((time.hour * 60.0 + time.minute) * 60.0 + time.second) * 1000.0 + time.milliseconds;
    return milliseconds / milliseconds_per_day;
}

}  // namespace

bool excel_serial(const ole_systemtime& value, double& serial) noexcept {
    if (!is_valid_time(value)) return false;
    if (is_time_only(value)) {
        serial = day_fraction(value);
        return true;
    }
    if (value.year < 1900 || value.year > 9999 || value.month < 1 || value.month > 12 || value.day < 1 ||
        value.day > days_in_month(value.year, value.month))
        return false;
    static const std::int64_t epoch = days_from_civil(1899, 12, 30);
    static const std::int64_t first_shared_day = days_from_civil(1900, 3, 1);
    const std::int64_t day = days_from_civil(value.year, value.month, value.day);
    if (day < first_shared_day) return false;
    serial = static_cast<double>(day - epoch) + day_fraction(value);
    return true;
}

std::string date_value_text(const ole_systemtime& value) {
    return canonical_date_text(value.year, value.month, value.day, value.hour, value.minute, value.second,
                               value.milliseconds);
}

const cell_form& cell_decider::decide(const ole_variant& value) {
    form_ = cell_form{};
    switch (value.get_type()) {
    case VT_EMPTY: case VT_NULL: case VT_ERROR: return form_;
    case VT_BSTR: case VT_LPSTR: case VT_LPWSTR:
        form_.kind = cell_kind::text;
        form_.text = value.get_text();
        return form_;
    case VT_BOOL:
        form_.kind = cell_kind::boolean;
        form_.boolean = value.get_bool();
        return form_;
    case VT_I1: decide_integer(value.get_i1() < 0, static_cast<std::uint64_t>(std::abs(value.get_i1()))); return form_;
    case VT_UI1: decide_integer(false, value.get_ui1()); return form_;
    case VT_I2: decide_integer(value.get_i2() < 0, static_cast<std::uint64_t>(std::abs(value.get_i2()))); return form_;
    case VT_UI2: decide_integer(false, value.get_ui2()); return form_;
    case VT_I4: case VT_INT: {
        const std::int64_t number = value.get_i4();
        decide_integer(number < 0, static_cast<std::uint64_t>(number < 0 ? -number : number));
        return form_;
    }
    case VT_UI4: case VT_UINT: decide_integer(false, value.get_ui4()); return form_;
    case VT_I8: {
        const std::int64_t number = value.get_i8();
        decide_integer(number < 0, number < 0 ? 0 - static_cast<std::uint64_t>(number) : static_cast<std::uint64_t>(number));
        return form_;
    }
    case VT_UI8: decide_integer(false, value.get_ui8()); return form_;
    case VT_R8: decide_double(value.get_r8()); return form_;
    case VT_R4: {
        // The float's own shortest digits, so 0.1f is 0.1 in every format.
        const float single = value.get_r4();
        if (!std::isfinite(single)) {
            decide_double(single);
            return form_;
        }
        char digits[32];
        const auto end = std::to_chars(digits, digits + sizeof digits, single).ptr;
        *end = '\0';
        decide_double(std::strtod(digits, nullptr));
        return form_;
    }
    case VT_CY: decide_number_text(currency_to_string(value.get_cy())); return form_;
    case VT_DECIMAL: decide_number_text(decimal_to_string(value.get_decimal())); return form_;
    case VT_DATE: decide_date(value.get_date()); return form_;
    default:
        if (value.is_binary()) {
            form_.kind = cell_kind::text;
            form_.text = cell_binary_placeholder;
            return form_;
        }
        set_text(value.to_string());
        return form_;
    }
}

void cell_decider::decide_integer(bool is_negative, std::uint64_t magnitude) {
    if (integer_digits(magnitude) > cell_max_exact_digits) {
        char digits[24];
        char* start = digits;
        if (is_negative) *start++ = '-';
        const auto end = std::to_chars(start, digits + sizeof digits, magnitude).ptr;
        set_text(std::string(digits, end));
        return;
    }
    form_.kind = cell_kind::number;
    form_.number = is_negative ? -static_cast<double>(magnitude) : static_cast<double>(magnitude);
}

void cell_decider::decide_number_text(std::string text) {
    number_text parts;
    if (!read_number_text(text, parts) || parts.inexact ||
        parts.digits.size() > static_cast<std::size_t>(cell_max_exact_digits)) {
        set_text(std::move(text));
        return;
    }
    form_.kind = cell_kind::number;
    form_.number = std::strtod(text.c_str(), nullptr);
    if (!std::isfinite(form_.number)) set_text(std::move(text));  // beyond a double's range
}

void cell_decider::decide_double(double value) {
    if (std::isnan(value)) {
        set_text("NaN");
    } else if (std::isinf(value)) {
        set_text(value > 0 ? "Inf" : "-Inf");
    } else {
        form_.kind = cell_kind::number;
        form_.number = value;
    }
}

void cell_decider::decide_date(const ole_systemtime& time) {
    double serial = 0;
    if (!excel_serial(time, serial)) {
        set_text(date_value_text(time));
        return;
    }
    form_.kind = cell_kind::date;
    form_.number = serial;
    const bool has_time = time.hour != 0 || time.minute != 0 || time.second != 0 || time.milliseconds != 0;
    form_.date_style = is_time_only(time)      ? cell_date_style::time
                       : time.milliseconds != 0 ? cell_date_style::date_time_ms
                       : has_time               ? cell_date_style::date_time
                                                : cell_date_style::date;
}

void cell_decider::set_text(std::string text) {
    text_ = std::move(text);
    form_.kind = cell_kind::text;
    form_.text = text_;
}
