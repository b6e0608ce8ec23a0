// Values for tests: a date_time cell from its parts, a text of a repeated piece.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "values/cell_value.h"

inline cell_value date(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int ms = 0) {
    date_time value;
    value.year = year;
    value.month = static_cast<std::uint8_t>(month);
    value.day = static_cast<std::uint8_t>(day);
    value.hour = static_cast<std::uint8_t>(hour);
    value.minute = static_cast<std::uint8_t>(minute);
    value.second = static_cast<std::uint8_t>(second);
    value.millisecond = static_cast<std::uint16_t>(ms);
    return cell_value::of_date_time(value);
}

inline std::string repeat(std::string_view piece, std::size_t count) {
    std::string out;
    for (std::size_t k = 0; k < count; ++k) out += piece;
    return out;
}
