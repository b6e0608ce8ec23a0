// Cell names and numbers in their shortest exact form; which form a value takes is
// decided in excel/cells.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Column letters of a 0-based column: 0 "A", 25 "Z", 26 "AA", 702 "AAA".
std::string column_letters(std::uint32_t column);
// "A1" style name of a 0-based row and column.
std::string cell_name(std::uint32_t row, std::uint32_t column);

// The shortest decimal text that reads back as exactly value, written into digits without
// allocating. value must be finite (the cell rules turn NaN and infinities into text).
std::string_view number_text(char (&digits)[32], double value);

