// The 128-bit helpers behind DECIMAL and CY, shared by the values folder only.
#pragma once

#include <cstddef>

#include "values/ole_types.h"

struct number_text;

unsigned __int128 decimal_magnitude(const ole_decimal& value) noexcept;
void set_decimal_magnitude(ole_decimal& value, unsigned __int128 magnitude) noexcept;
unsigned __int128 power_of_ten(unsigned exponent) noexcept;  // exponent at most 38
unsigned __int128 divide_rounding_half_even(unsigned __int128 dividend, unsigned __int128 divisor) noexcept;
// The value rounded half to even to an integer, as a magnitude (the sign is the value's).
bool decimal_round_to_integer(const ole_decimal& value, unsigned __int128& magnitude) noexcept;
bool decimal_from_number_text(const number_text& number, ole_decimal& out) noexcept;
// The decimal_to_string text written into buffer, without allocating; returns its length.
std::size_t decimal_to_chars(const ole_decimal& value, char (&buffer)[64]) noexcept;
