// Exact conversions of the 96-bit DECIMAL to and from text, integers and doubles.
#include "values/decimal.h"

#include <charconv>
#include <cmath>

#include "values/decimal_internal.h"
#include "values/number_text.h"

namespace {

using u128 = unsigned __int128;

constexpr u128 max_magnitude = (static_cast<u128>(1) << 96) - 1;

// Rounds the digit string cut to keep digits, half to even; dropped_nonzero says whether
// digits past the string (already gone) were non-zero. keep may be 0 or negative.
// Returns false when the kept digits alone cannot fit 128 bits (more than 38 of them).
bool round_digits(std::string_view digits, std::int64_t keep, bool dropped_nonzero, u128& out) {
    if (keep > 38) return false;
    u128 value = 0;
    const auto kept = static_cast<std::size_t>(keep > 0 ? keep : 0);
    for (std::size_t i = 0; i < kept && i < digits.size(); ++i) value = value * 10 + (digits[i] - '0');
    for (std::size_t i = digits.size(); i < kept; ++i) value *= 10;
    if (kept < digits.size() && keep >= 0) {
        const char first_dropped = digits[kept];
        bool rest_nonzero = dropped_nonzero;
        for (std::size_t i = kept + 1; i < digits.size() && !rest_nonzero; ++i) rest_nonzero = digits[i] != '0';
        const bool round_up = first_dropped > '5' || (first_dropped == '5' && (rest_nonzero || (value & 1) != 0));
        if (round_up) ++value;
    }
    out = value;
    return true;
}

}  // namespace

u128 decimal_magnitude(const ole_decimal& value) noexcept {
    return (static_cast<u128>(value.hi32) << 64) | value.lo64;
}

void set_decimal_magnitude(ole_decimal& value, u128 magnitude) noexcept {
    value.hi32 = static_cast<std::uint32_t>(magnitude >> 64);
    value.lo64 = static_cast<std::uint64_t>(magnitude);
}

u128 power_of_ten(unsigned exponent) noexcept {
    u128 result = 1;
    for (unsigned i = 0; i < exponent; ++i) result *= 10;
    return result;
}

u128 divide_rounding_half_even(u128 dividend, u128 divisor) noexcept {
    const u128 quotient = dividend / divisor;
    const u128 remainder = dividend % divisor;
    const u128 twice = remainder * 2;
    if (twice > divisor || (twice == divisor && (quotient & 1) != 0)) return quotient + 1;
    return quotient;
}

bool decimal_from_number_text(const number_text& number, ole_decimal& out) noexcept {
    ole_decimal result;
    if (number.digits.empty()) {
        out = result;
        return true;
    }
    const auto length = static_cast<std::int64_t>(number.digits.size());
    // The value is digits * 10^exponent; find the largest scale <= 28 whose rounded
    // mantissa fits 96 bits.
    std::int64_t scale = number.exponent < 0 ? -number.exponent : 0;
    if (scale > ole_decimal_max_scale) scale = ole_decimal_max_scale;
    for (;; --scale) {
        const std::int64_t keep = length + number.exponent + scale;
        u128 mantissa = 0;
        if (round_digits(number.digits, keep, number.inexact, mantissa) && mantissa <= max_magnitude) {
            set_decimal_magnitude(result, mantissa);
            result.scale = static_cast<std::uint8_t>(scale);
            result.sign = (number.negative && mantissa != 0) ? ole_decimal_negative : 0;
            out = result;
            return true;
        }
        if (scale == 0) return false;
    }
}

bool decimal_from_string(std::string_view text, ole_decimal& out) noexcept {
    number_text number;
    if (!read_number_text(text, number)) return false;
    return decimal_from_number_text(number, out);
}

std::string decimal_to_string(const ole_decimal& value) {
    char buffer[64];
    const std::size_t length = decimal_to_chars(value, buffer);
    return std::string(buffer, length);
}

std::size_t decimal_to_chars(const ole_decimal& value, char (&buffer)[64]) noexcept {
    char digits[40];
    std::size_t count = 0;
    u128 magnitude = decimal_magnitude(value);
    do {
        digits[count++] = static_cast<char>('0' + static_cast<int>(magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    const std::size_t scale = value.scale;
    while (count <= scale) digits[count++] = '0';  // at least one digit before the point
    // digits holds the number backwards; fraction digits are digits[0 .. scale).
    std::size_t first_fraction = 0;
    while (first_fraction < scale && digits[first_fraction] == '0') ++first_fraction;

    std::size_t length = 0;
    const bool is_zero = decimal_magnitude(value) == 0;
    if (value.sign != 0 && !is_zero) buffer[length++] = '-';
    for (std::size_t i = count; i > scale; --i) buffer[length++] = digits[i - 1];
    if (first_fraction < scale) {
        buffer[length++] = '.';
        for (std::size_t i = scale; i > first_fraction; --i) buffer[length++] = digits[i - 1];
    }
    return length;
}

ole_decimal decimal_from_int64(std::int64_t value) noexcept {
    ole_decimal result;
    if (value < 0) {
        result.sign = ole_decimal_negative;
        result.lo64 = 0 - static_cast<std::uint64_t>(value);
    } else {
        result.lo64 = static_cast<std::uint64_t>(value);
    }
    return result;
}

ole_decimal decimal_from_uint64(std::uint64_t value) noexcept {
    ole_decimal result;
    result.lo64 = value;
    return result;
}

bool decimal_round_to_integer(const ole_decimal& value, u128& magnitude) noexcept {
    magnitude = divide_rounding_half_even(decimal_magnitude(value), power_of_ten(value.scale));
    return true;
}

double decimal_to_double(const ole_decimal& value) noexcept {
    // from_chars rounds correctly and ignores the process locale.
    char buffer[64];
    const std::size_t length = decimal_to_chars(value, buffer);
    double result = 0.0;
    std::from_chars(buffer, buffer + length, result);
    return result;
}

bool decimal_from_double(double value, ole_decimal& out, bool from_single) noexcept {
    if (!std::isfinite(value)) return false;
    char buffer[64];
    const int precision = from_single ? 6 : 14;  // significant digits - 1
    const auto result = from_single
        ? std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(value), std::chars_format::scientific, precision)
        : std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, precision);
    if (result.ec != std::errc()) return false;
    number_text number;
    if (!read_number_text(std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)), number)) return false;
    return decimal_from_number_text(number, out);
}
