// Tests of cell names and number text.
#include "excel/xlsx/xlsx_cell_values.h"

#include <gtest/gtest.h>

#include <cstdlib>

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
