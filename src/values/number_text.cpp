// Reading the plain decimal number texts shared by the DECIMAL, CY and text conversions.
#include "values/number_text.h"

#include <cstddef>

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Exponents beyond this only say "far too big" or "zero", which a smaller one says too.
constexpr std::int64_t exponent_cap = 100'000;

}  // namespace

bool read_number_text(std::string_view text, number_text& out) noexcept {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && is_blank(text[begin])) ++begin;
    while (end > begin && is_blank(text[end - 1])) --end;
    std::size_t pos = begin;
    bool negative = false;
    if (pos < end && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';

    std::size_t length = 0;          // significant digits kept in buffer
    std::size_t digit_count = 0;     // digits seen
    std::int64_t exponent = 0;
    bool seen_point = false;
    bool inexact = false;
    for (; pos < end; ++pos) {
        const char c = text[pos];
        if (c == '.' && !seen_point) {
            seen_point = true;
            continue;
        }
        if (!is_digit(c)) break;
        ++digit_count;
        if (length == 0 && c == '0') {  // leading zero
            if (seen_point) --exponent;
            continue;
        }
        if (length < sizeof(out.buffer) - 1) {
            out.buffer[length++] = c;
            if (seen_point) --exponent;
        } else {
            if (c != '0') inexact = true;
            if (!seen_point) ++exponent;  // a dropped integer digit still counts
        }
    }
    if (digit_count == 0) return false;
    if (pos < end && (text[pos] == 'e' || text[pos] == 'E')) {
        ++pos;
        bool exponent_negative = false;
        if (pos < end && (text[pos] == '+' || text[pos] == '-')) exponent_negative = text[pos++] == '-';
        if (pos == end || !is_digit(text[pos])) return false;
        std::int64_t written = 0;
        for (; pos < end && is_digit(text[pos]); ++pos) {
            if (written < exponent_cap) written = written * 10 + (text[pos] - '0');
        }
        exponent += exponent_negative ? -written : written;
    }
    if (pos != end) return false;
    // Trailing zeros of the digits move into the exponent so digits stay minimal.
    while (length > 0 && out.buffer[length - 1] == '0') {
        --length;
        ++exponent;
    }
    out.negative = negative;
    out.digits = std::string_view(out.buffer, length);
    out.exponent = length == 0 ? 0 : exponent;
    out.inexact = inexact;
    return true;
}

std::optional<double> short_decimal_value(std::string_view text) noexcept {
    static constexpr double powers_of_ten[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8,
                                               1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const bool negative = !text.empty() && text.front() == '-';
    if (negative) text.remove_prefix(1);
    std::uint64_t whole = 0;
    int digits = 0, fraction = -1;  // -1: no point yet
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            if (++digits > 15) return std::nullopt;
            whole = whole * 10 + static_cast<unsigned>(c - '0');
            if (fraction >= 0) ++fraction;
        } else if (c == '.' && fraction < 0) {
            fraction = 0;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0) return std::nullopt;
    const double value = static_cast<double>(whole) / powers_of_ten[fraction < 0 ? 0 : fraction];
    return negative ? -value : value;
}
