// Tests of cell names and number text.
#include "excel/xlsx/xlsx_cell_values.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>
#include <random>

TEST(cell_names, columns_roll_over_after_z_and_end_at_xfd) {
    EXPECT_EQ(column_letters(0), "A");
    EXPECT_EQ(column_letters(25), "Z");
    EXPECT_EQ(column_letters(26), "AA");   // the 27th column
    EXPECT_EQ(column_letters(51), "AZ");
    EXPECT_EQ(column_letters(52), "BA");
    EXPECT_EQ(column_letters(701), "ZZ");
    EXPECT_EQ(column_letters(702), "AAA");  // the 703rd column
    EXPECT_EQ(column_letters(16'383), "XFD");
    EXPECT_EQ(cell_name(0, 0), "A1");
    EXPECT_EQ(cell_name(4, 1), "B5");
    EXPECT_EQ(cell_name(1'048'575, 16'383), "XFD1048576");
}

namespace {

std::string number(double value) {
    char digits[32];
    return std::string(number_text(digits, value));
}

}  // namespace

TEST(number_text, is_the_shortest_text_that_reads_back_exactly) {
    EXPECT_EQ(number(0.0), "0");
    EXPECT_EQ(number(3.5), "3.5");
    EXPECT_EQ(number(-12.0), "-12");
    EXPECT_EQ(number(0.1), "0.1");
    EXPECT_EQ(number(0.1 + 0.2), "0.30000000000000004");
    EXPECT_EQ(number(1e21), "1e+21");
    EXPECT_EQ(number(1.5e-7), "1.5e-07");
    for (const double value : {0.1 + 0.2, 1.0 / 3.0, 6.02214076e23, 5e-324, -1.7976931348623157e308}) {
        const std::string text = number(value);
        EXPECT_EQ(std::strtod(text.c_str(), nullptr), value) << text;
    }
}

// Money, counts and dates take a faster road than the general shortest form; it must print
// exactly what std::to_chars prints, whatever the magnitude, sign, decimals or zeros.
TEST(number_text, whole_numbers_and_short_decimals_read_as_the_general_form_prints_them) {
    std::mt19937_64 random(20261206);
    std::vector<double> values{-0.0, 1e15 - 1, -(1e15 - 1), 1e15, 999999999999.99, 0.0001, 0.001, 0.01, 1e5, 1e4,
                               123000000, 0.5, 2.675, 45291.75, 9007199254740993.0, 1e-5};
    for (int i = 0; i < 200000; ++i) {
        const int decimals = static_cast<int>(random() % 6);
        const auto whole = static_cast<std::int64_t>(random() % 2'000'000'000'000'000) - 1'000'000'000'000'000;
        const std::int64_t digits = whole / static_cast<std::int64_t>(std::pow(10, random() % 16));
        values.push_back(static_cast<double>(digits) / std::pow(10.0, decimals));
        values.push_back(static_cast<double>(digits % 100000) * std::pow(10.0, static_cast<int>(random() % 12)));
    }
    for (const double value : values) {
        char expected[32];
        const auto end = std::to_chars(expected, expected + sizeof expected, value).ptr;
        ASSERT_EQ(number(value), std::string(expected, end)) << value;
    }
}
