// Conversions of CY, the 64-bit count of ten-thousandths, to and from text and numbers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "values/ole_types.h"

// Plain decimal text with "." as the point and no trailing fraction zeros ("12.3456", "-0.5").
std::string currency_to_string(ole_currency value);

// Rounded half to even to ten-thousandths; false for NaN, infinities and out of range.
bool currency_from_double(double value, ole_currency& out) noexcept;
double currency_to_double(ole_currency value) noexcept;

// A 64-bit integer becomes the same amount of currency; false when it does not fit.
bool currency_from_int64(std::int64_t value, ole_currency& out) noexcept;

bool currency_to_decimal(ole_currency value, ole_decimal& out) noexcept;
// Rounded half to even to four fraction digits; false when out of range.
bool currency_from_decimal(const ole_decimal& value, ole_currency& out) noexcept;
