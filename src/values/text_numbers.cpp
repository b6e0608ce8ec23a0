// Numbers read from and written to text the way the C library does it, in the "C" locale.
#include "values/text_numbers.h"

#include <charconv>
#include <cstdlib>
#include <locale.h>

#include "values/number_text.h"

namespace {

bool is_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

struct leading_integer {
    bool negative = false;
    std::uint64_t magnitude = 0;
    bool saturated = false;
};

leading_integer read_leading_integer(std::string_view text) {
    leading_integer result;
    std::size_t pos = 0;
    while (pos < text.size() && is_space(text[pos])) ++pos;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) result.negative = text[pos++] == '-';
    for (; pos < text.size() && is_digit(text[pos]); ++pos) {
        const auto digit = static_cast<std::uint64_t>(text[pos] - '0');
        if (result.magnitude > (UINT64_MAX - digit) / 10) {
            result.saturated = true;
            result.magnitude = UINT64_MAX;
        } else if (!result.saturated) {
            result.magnitude = result.magnitude * 10 + digit;
        }
    }
    return result;
}

locale_t c_locale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

}  // namespace

std::int64_t read_int64(std::string_view text) noexcept {
    const leading_integer value = read_leading_integer(text);
    if (value.negative) {
        if (value.magnitude > static_cast<std::uint64_t>(INT64_MAX) + 1) return INT64_MIN;
        return static_cast<std::int64_t>(0 - value.magnitude);
    }
    if (value.magnitude > static_cast<std::uint64_t>(INT64_MAX)) return INT64_MAX;
    return static_cast<std::int64_t>(value.magnitude);
}

std::uint64_t read_uint64(std::string_view text) noexcept {
    const leading_integer value = read_leading_integer(text);
    if (value.saturated) return UINT64_MAX;
    return value.negative ? 0 - value.magnitude : value.magnitude;
}

std::int32_t read_atoi(std::string_view text) noexcept {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(read_int64(text))));
}

double read_atof(const char* text) noexcept { return strtod_l(text, nullptr, c_locale()); }

bool read_real(const std::string& text, double& out) noexcept {
    number_text syntax;
    if (!read_number_text(text, syntax)) return false;
    out = read_atof(text.c_str());
    return true;
}

std::string general_text(double value, int significant_digits) {
    char buffer[48];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, significant_digits);
    std::string text(buffer, result.ptr);
    for (char& c : text) {
        if (c == 'e') c = 'E';
    }
    return text;
}

point_text::point_text(std::string_view text) {
    char* target = buffer_;
    if (text.size() >= sizeof buffer_) {
        long_text_.resize(text.size());
        target = long_text_.data();
    }
    for (std::size_t i = 0; i < text.size(); ++i) target[i] = text[i] == ',' ? '.' : text[i];
    target[text.size()] = '\0';  // a std::string keeps room for its terminator
    text_ = std::string_view(target, text.size());
}
