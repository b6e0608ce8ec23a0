// The .xls driver's column types: the map from a column's vartype to the driver's field
// type, and back for the schema read from a created table.
#pragma once

#include <cstdint>

#include "records/udb_field.h"

namespace dao_type {
inline constexpr int boolean = 1;
inline constexpr int byte = 2;
inline constexpr int integer = 3;
inline constexpr int long_integer = 4;
inline constexpr int currency = 5;
inline constexpr int single = 6;
inline constexpr int double_number = 7;
inline constexpr int date = 8;
inline constexpr int binary = 9;
inline constexpr int text = 10;
inline constexpr int long_binary = 11;
inline constexpr int memo = 12;
}  // namespace dao_type

inline constexpr std::uint32_t dao_max_text_size = 255;  // longer (or unsized) text is a memo

class dao_field {
public:
    // Throws ole_type_exception for a vartype the driver has no field type for.
    static int get_native_type(const t_ftd& descriptor);
    static vartype get_vartype(int dao_field_type) noexcept;
};
