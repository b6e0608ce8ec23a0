// Exact conversions of the 96-bit DECIMAL to and from text, integers and doubles.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "values/ole_types.h"

// Reads a decimal number: blanks around it, an optional sign, digits with an optional "."
// and an optional exponent ("1.5E-3"). Digits beyond what 96 bits and scale 28 hold are
// rounded half to even. False, leaving out unchanged, when the text is not a number or its
// integer part does not fit in 96 bits.
bool decimal_from_string(std::string_view text, ole_decimal& out) noexcept;

// Plain decimal text with "." as the point, no exponent, no trailing fraction zeros
// ("-12.5", "0.001", "79228162514264337593543950335").
std::string decimal_to_string(const ole_decimal& value);

ole_decimal decimal_from_int64(std::int64_t value) noexcept;
ole_decimal decimal_from_uint64(std::uint64_t value) noexcept;

// The double nearest to the value.
double decimal_to_double(const ole_decimal& value) noexcept;
// The double's 15 significant digits (7 when from_single), as the platform converts; false
// for NaN, infinities and magnitudes beyond 96 bits.
bool decimal_from_double(double value, ole_decimal& out, bool from_single = false) noexcept;
