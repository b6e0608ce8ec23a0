// Cell names and numbers in their shortest exact form; which form a value takes is
// decided in excel/cells.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace SimpleXlsx {

inline constexpr std::uint32_t xlsx_max_columns = 16'384;
inline constexpr std::uint32_t xlsx_max_rows = 1'048'576;
// Characters (UTF-16 code units) a cell's text may hold.
inline constexpr std::size_t xlsx_max_text_units = 32'767;

// Column letters of a 0-based column: 0 "A", 25 "Z", 26 "AA", 702 "AAA".
std::string column_letters(std::uint32_t column);
// "A1" style name of a 0-based row and column.
std::string cell_name(std::uint32_t row, std::uint32_t column);

// Appends the shortest decimal text that reads back as exactly value. value must be finite.
void append_number(std::string& out, double value);

}  // namespace SimpleXlsx
