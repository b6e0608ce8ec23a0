// The form of each cell: numbers, texts and dates decided for every output format.
#include "excel/cells/cell_form.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "toolkit/text.h"
#include "values/calendar.h"
#include "values/number_text.h"

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

bool is_valid_time(const date_time& time) noexcept {
    return time.hour <= 23 && time.minute <= 59 && time.second <= 59 && time.millisecond <= 999;
}

double day_fraction(const date_time& time) noexcept {
    const double milliseconds = ((time.hour * 60.0 + time.minute) * 60.0 + time.second) * 1000.0 + time.millisecond;
    return milliseconds / milliseconds_per_day;
}

bool is_high_surrogate(char16_t unit) noexcept { return unit >= 0xD800 && unit <= 0xDBFF; }

}  // namespace

void row_forms::start(std::size_t columns, workbook_format format, bool dates_as_text) {
    deciders_.assign(columns, cell_decider(format, dates_as_text));
    forms_.assign(columns, nullptr);
    cut_texts_.assign(columns, 0);
    decided_ = 0;
}

std::size_t row_forms::decide(std::span<const cell_value> row) {
    decided_ = 0;
    for (std::size_t k = 0; k < row.size(); ++k) {
        forms_[k] = &deciders_[k].decide(row[k]);
        if (forms_[k]->kind == cell_kind::bad_text) return k;
    }
    decided_ = row.size();
    return decided_;
}

void row_forms::count_cut_texts() noexcept {
    for (std::size_t k = 0; k < decided_; ++k) cut_texts_[k] += forms_[k]->was_cut ? 1 : 0;
}

bool excel_serial(const date_time& value, double& serial) noexcept {
    if (!is_valid_time(value)) return false;
    if (value.is_time_only()) {
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

cell_decider::cell_decider(workbook_format format, bool dates_as_text) noexcept
    : max_text_units_(limits_of(format).max_text_units),
      dates_as_text_(dates_as_text || format == workbook_format::excel_50) {}

const cell_form& cell_decider::decide(const cell_value& value) {
    form_ = cell_form{};
    switch (value.kind()) {
    case value_kind::null: break;
    case value_kind::integer: decide_integer(value.integer()); break;
    case value_kind::real: decide_real(value.real()); break;
    case value_kind::decimal_text: decide_number_text(value.text()); break;
    case value_kind::text: decide_text(value.text()); break;
    case value_kind::utf16_text: decide_utf16(value.utf16()); break;
    case value_kind::bytes: set_text(cell_binary_placeholder); break;
    case value_kind::boolean:
        form_.kind = cell_kind::boolean;
        form_.boolean = value.boolean();
        break;
    case value_kind::date_time: decide_date(value.date()); break;
    }
    return form_;
}

void cell_decider::decide_integer(std::int64_t value) {
    const std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    if (integer_digits(magnitude) > cell_max_exact_digits) {
        const auto end = std::to_chars(digits_, digits_ + sizeof digits_, value).ptr;
        set_text(std::string_view(digits_, static_cast<std::size_t>(end - digits_)));
        return;
    }
    form_.kind = cell_kind::number;
    form_.number = value < 0 ? -static_cast<double>(magnitude) : static_cast<double>(magnitude);
}

void cell_decider::decide_number_text(std::string_view text) {
    number_text parts;
    if (!read_number_text(text, parts) || parts.inexact ||
        parts.digits.size() > static_cast<std::size_t>(cell_max_exact_digits)) {
        set_text(text);
        return;
    }
    text_.assign(text);  // strtod wants a terminated text; the buffer is kept value after value
    const double number = std::strtod(text_.c_str(), nullptr);
    if (!std::isfinite(number)) {  // beyond a double's range
        set_text(text);
        return;
    }
    form_.kind = cell_kind::number;
    form_.number = number;
}

void cell_decider::decide_real(double value) {
    if (std::isnan(value)) {
        set_text("NaN");
    } else if (std::isinf(value)) {
        set_text(value > 0 ? "Inf" : "-Inf");
    } else {
        form_.kind = cell_kind::number;
        form_.number = value;
    }
}

void cell_decider::decide_date(const date_time& time) {
    double serial = 0;
    if (dates_as_text_ || !excel_serial(time, serial)) {
        set_text(canonical_date_text(digits_, time.year, time.month, time.day, time.hour, time.minute, time.second,
                                     time.millisecond));
        return;
    }
    form_.kind = cell_kind::date;
    form_.number = serial;
    form_.date_style = time.is_time_only()      ? cell_date_style::time
                       : time.millisecond != 0 ? cell_date_style::date_time_ms
                       : time.has_time()       ? cell_date_style::date_time
                                               : cell_date_style::date;
}

// "\r\n" and a lone "\r" become "\n", as Excel keeps line breaks; then the cut.
void cell_decider::decide_text(std::string_view utf8) {
    if (!is_valid_utf8(utf8)) {
        form_.kind = cell_kind::bad_text;
        return;
    }
    // every UTF-16 unit takes at least one byte: a text short in bytes is short in units
    if (utf8.size() <= max_text_units_ && utf8.find('\r') == std::string_view::npos) {
        set_text(utf8);
        return;
    }
    text_.clear();
    for (std::size_t k = 0; k < utf8.size(); ++k) {
        if (utf8[k] != '\r') {
            text_ += utf8[k];
            continue;
        }
        text_ += '\n';
        if (k + 1 < utf8.size() && utf8[k + 1] == '\n') ++k;
    }
    if (text_.size() > max_text_units_ && utf16_length(text_) > max_text_units_) {
        text_.resize(utf16_prefix(text_, max_text_units_).size());
        form_.was_cut = true;
    }
    set_text(text_);
}

void cell_decider::decide_utf16(std::u16string_view text) {
    form_.kind = cell_kind::text;
    form_.is_utf16 = true;
    if (text.size() <= max_text_units_ && text.find(u'\r') == std::u16string_view::npos) {
        form_.utf16 = text;
        return;
    }
    utf16_.clear();
    for (std::size_t k = 0; k < text.size(); ++k) {
        if (text[k] != u'\r') {
            utf16_ += text[k];
            continue;
        }
        utf16_ += u'\n';
        if (k + 1 < text.size() && text[k + 1] == u'\n') ++k;
    }
    if (utf16_.size() > max_text_units_) {
        std::size_t size = max_text_units_;
        if (is_high_surrogate(utf16_[size - 1])) --size;  // never half a character
        utf16_.resize(size);
        form_.was_cut = true;
    }
    form_.utf16 = utf16_;
}

void cell_decider::set_text(std::string_view text) {
    form_.kind = cell_kind::text;
    form_.text = text;
}
