// Reading the plain decimal number texts shared by the DECIMAL, CY and text conversions.
#pragma once

#include <cstdint>
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
