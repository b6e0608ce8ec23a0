// Cell names and number text.
#include "excel/xlsx/xlsx_cell_values.h"

#include <charconv>
#include <cmath>

#include "toolkit/exception.h"

namespace {

constexpr int letters_in_alphabet = 26;

}  // namespace

std::string column_letters(std::uint32_t column) {
    char letters[8];
    std::size_t start = sizeof letters;
    std::uint64_t rest = column + 1ull;  // bijective base 26: no zero digit
    while (rest > 0) {
        --rest;
        letters[--start] = static_cast<char>('A' + rest % letters_in_alphabet);
        rest /= letters_in_alphabet;
    }
    return std::string(letters + start, sizeof letters - start);
}

std::string cell_name(std::uint32_t row, std::uint32_t column) {
    return column_letters(column) + std::to_string(row + 1ull);
}

std::string_view number_text(char (&digits)[32], double value) {
    TK_ASSERT(std::isfinite(value));
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    TK_ASSERT(result.ec == std::errc());
    return {digits, static_cast<std::size_t>(result.ptr - digits)};
}

