// Conversions of CY, the 64-bit count of ten-thousandths, to and from text and numbers.
#include "values/currency.h"

#include <cmath>
#include <cstdlib>

#include "values/decimal.h"
#include "values/decimal_internal.h"

namespace {

using u128 = unsigned __int128;

constexpr unsigned currency_digits = 4;  // CY keeps four fraction digits

// The signed 64-bit value of a magnitude and sign; false when it does not fit.
bool to_int64(u128 magnitude, bool negative, std::int64_t& out) {
    const u128 limit = static_cast<u128>(INT64_MAX) + (negative ? 1 : 0);
    if (magnitude > limit) return false;
    const auto low = static_cast<std::uint64_t>(magnitude);
    out = negative ? static_cast<std::int64_t>(0 - low) : static_cast<std::int64_t>(low);
    return true;
}

std::uint64_t magnitude_of(std::int64_t value) {
    return value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
}

}  // namespace

std::string currency_to_string(ole_currency value) {
    ole_decimal decimal;
    currency_to_decimal(value, decimal);
    return decimal_to_string(decimal);
}

bool currency_from_double(double value, ole_currency& out) noexcept {
    if (!std::isfinite(value)) return false;
    // nearbyint rounds half to even in the default rounding mode.
    const double scaled = std::nearbyint(value * static_cast<double>(ole_currency_scale));
    constexpr double two_to_63 = 9223372036854775808.0;
    if (scaled >= two_to_63 || scaled < -two_to_63) return false;
    out.value = static_cast<std::int64_t>(scaled);
    return true;
}

double currency_to_double(ole_currency value) noexcept {
    return static_cast<double>(value.value) / static_cast<double>(ole_currency_scale);
}

bool currency_from_int64(std::int64_t value, ole_currency& out) noexcept {
    std::int64_t scaled = 0;
    if (__builtin_mul_overflow(value, ole_currency_scale, &scaled)) return false;
    out.value = scaled;
    return true;
}

bool currency_to_decimal(ole_currency value, ole_decimal& out) noexcept {
    ole_decimal result;
    result.lo64 = magnitude_of(value.value);
    result.scale = currency_digits;
    result.sign = value.value < 0 ? ole_decimal_negative : 0;
    out = result;
    return true;
}

bool currency_from_decimal(const ole_decimal& value, ole_currency& out) noexcept {
    u128 magnitude = decimal_magnitude(value);
    if (value.scale <= currency_digits) {
        // At most 96 bits times 10^4 stays far inside 128 bits.
        magnitude *= power_of_ten(currency_digits - value.scale);
    } else {
        magnitude = divide_rounding_half_even(magnitude, power_of_ten(value.scale - currency_digits));
    }
    std::int64_t result = 0;
    if (!to_int64(magnitude, value.sign != 0, result)) return false;
    out.value = result;
    return true;
}
