// The OLE Automation value tags and the plain date, currency and decimal structures that
// ole_variant carries, laid out as the platform lays them out.
#pragma once

#include <cstdint>

using vartype = std::uint16_t;

// OLE VARTYPE numbers; only the tags this system meets are listed.
inline constexpr vartype VT_EMPTY = 0;
inline constexpr vartype VT_NULL = 1;
inline constexpr vartype VT_I2 = 2;
inline constexpr vartype VT_I4 = 3;
inline constexpr vartype VT_R4 = 4;
inline constexpr vartype VT_R8 = 5;
inline constexpr vartype VT_CY = 6;
inline constexpr vartype VT_DATE = 7;
inline constexpr vartype VT_BSTR = 8;
inline constexpr vartype VT_DISPATCH = 9;
inline constexpr vartype VT_ERROR = 10;
inline constexpr vartype VT_BOOL = 11;
inline constexpr vartype VT_VARIANT = 12;
inline constexpr vartype VT_UNKNOWN = 13;
inline constexpr vartype VT_DECIMAL = 14;
inline constexpr vartype VT_I1 = 16;
inline constexpr vartype VT_UI1 = 17;
inline constexpr vartype VT_UI2 = 18;
inline constexpr vartype VT_UI4 = 19;
inline constexpr vartype VT_I8 = 20;
inline constexpr vartype VT_UI8 = 21;
inline constexpr vartype VT_INT = 22;
inline constexpr vartype VT_UINT = 23;
inline constexpr vartype VT_CARRAY = 27;  // treated like a byte array wherever arrays are copied
inline constexpr vartype VT_LPSTR = 30;
inline constexpr vartype VT_LPWSTR = 31;
inline constexpr vartype VT_BLOB = 65;          // only a target: the result is VT_BINARY
inline constexpr vartype VT_BLOB_OBJECT = 70;   // only a target: the result is VT_BINARY
inline constexpr vartype VT_ARRAY = 0x2000;
inline constexpr vartype VT_BINARY = VT_ARRAY | VT_UI1;  // 8209: a one-dimensional byte array

// OLE booleans: true has every bit set.
inline constexpr std::int16_t ole_true = -1;
inline constexpr std::int16_t ole_false = 0;

// SYSTEMTIME: each part 16-bit unsigned, in this order (16 bytes).
struct ole_systemtime {
    std::uint16_t year = 0;
    std::uint16_t month = 0;
    std::uint16_t day_of_week = 0;  // 0 = Sunday
    std::uint16_t day = 0;
    std::uint16_t hour = 0;
    std::uint16_t minute = 0;
    std::uint16_t second = 0;
    std::uint16_t milliseconds = 0;

    friend bool operator==(const ole_systemtime&, const ole_systemtime&) = default;
};
static_assert(sizeof(ole_systemtime) == 16);

// CY: a signed 64-bit count of ten-thousandths.
struct ole_currency {
    std::int64_t value = 0;

    friend bool operator==(const ole_currency&, const ole_currency&) = default;
};
inline constexpr std::int64_t ole_currency_scale = 10'000;

// DECIMAL: a 96-bit unsigned magnitude, a sign and a power-of-ten scale 0..28, in the
// platform's byte layout (16 bytes, the first two reserved).
struct ole_decimal {
    std::uint16_t reserved = 0;
    std::uint8_t scale = 0;
    std::uint8_t sign = 0;  // 0 or ole_decimal_negative
    std::uint32_t hi32 = 0;
    std::uint64_t lo64 = 0;

    // Equal layouts, not equal numbers: 1.5 and 1.50 differ here.
    friend bool operator==(const ole_decimal&, const ole_decimal&) = default;
};
static_assert(sizeof(ole_decimal) == 16);
inline constexpr std::uint8_t ole_decimal_negative = 0x80;
inline constexpr std::uint8_t ole_decimal_max_scale = 28;
