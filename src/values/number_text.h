// Reading the plain decimal number texts shared by the DECIMAL, CY and text conversions.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// A decimal number split into its parts: the value is (digits) * 10^exponent, negated
// when negative. digits points into buffer and has no leading or trailing zeros (empty for
// zero).
struct number_text {
    bool negative = false;
    std::string_view digits;
    std::int64_t exponent = 0;
    char buffer[96];  // the significant digits; at most 95 are kept
    bool inexact = false;  // non-zero digits beyond the 95 kept were dropped
};

// Blanks and tabs around, an optional sign, digits with an optional "." (at least one digit
// in all), an optional exponent "e"/"E" with optional sign and digits. Nothing else.
bool read_number_text(std::string_view text, number_text& out) noexcept;

// A text of an optional "-", at most 15 digits and at most one ".", as the nearest double:
// what a general parse finds, at a fraction of its cost (the digits as a whole number and a
// power of ten are both exact, and one division rounds correctly). Nothing for any other text.
std::optional<double> short_decimal_value(std::string_view text) noexcept;
