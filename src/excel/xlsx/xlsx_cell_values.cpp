// Cell names and number text.
#include "excel/xlsx/xlsx_cell_values.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <iterator>

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

namespace {

constexpr double powers_of_ten[] = {1, 10, 100, 1000, 10000};
constexpr std::int64_t below_sixteen_digits = 1'000'000'000'000'000;

// Whole numbers and values of up to four decimals (money, counts, dates) printed from an
// integer, at a fraction of the cost of the general shortest form, with the same text: when
// value is the double nearest to n / 10^k and n has at most 15 digits, no other decimal of
// 15 digits or fewer leads to that double, so n's digits are the shortest that read back.
// Empty when the value is none of these or its shortest text is the scientific one.
std::string_view short_decimal_text(char (&digits)[32], double value) {
    for (int k = 0; k < static_cast<int>(std::size(powers_of_ten)); ++k) {
        const double scaled = value * powers_of_ten[k];
        if (!(std::fabs(scaled) < static_cast<double>(below_sixteen_digits))) return {};
        const auto n = static_cast<std::int64_t>(scaled < 0 ? scaled - 0.5 : scaled + 0.5);
        if (static_cast<double>(n) / powers_of_ten[k] != value) continue;
        if (n == 0) return k == 0 ? std::string_view(std::signbit(value) ? "-0" : "0") : std::string_view();
        char whole[20];
        const std::uint64_t magnitude = n < 0 ? 0 - static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n);
        const auto count = static_cast<int>(std::to_chars(whole, whole + sizeof whole, magnitude).ptr - whole);
        // The scientific form wins only when strictly shorter: many trailing zeros of a whole
        // number, or a value below 0.001. Past k = 0 the last digit is not 0, or a smaller k
        // would have served.
        int significant = count;
        while (k == 0 && significant > 1 && whole[significant - 1] == '0') --significant;
        const int exponent = count - 1 - k;
        const int scientific = significant + (significant > 1 ? 1 : 0) + 2 + (std::abs(exponent) >= 100 ? 3 : 2);
        const int fixed = k == 0 ? count : (count > k ? count + 1 : k + 2);
        if (scientific < fixed) return {};
        char* out = digits;
        if (n < 0) *out++ = '-';
        if (k == 0) {
            out = std::copy(whole, whole + count, out);
        } else if (count > k) {
            out = std::copy(whole, whole + count - k, out);
            *out++ = '.';
            out = std::copy(whole + count - k, whole + count, out);
        } else {
            *out++ = '0';
            *out++ = '.';
            out = std::fill_n(out, k - count, '0');
            out = std::copy(whole, whole + count, out);
        }
        return {digits, static_cast<std::size_t>(out - digits)};
    }
    return {};
}

}  // namespace

std::string_view number_text(char (&digits)[32], double value) {
    TK_ASSERT(std::isfinite(value));
    if (const std::string_view text = short_decimal_text(digits, value); !text.empty()) return text;
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    TK_ASSERT(result.ec == std::errc());
    return {digits, static_cast<std::size_t>(result.ptr - digits)};
}

