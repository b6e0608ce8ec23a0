// Tests of cell names, number text and date serial numbers.
#include "excel/xlsx/xlsx_cell_values.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>

using namespace SimpleXlsx;

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
    std::string text;
    append_number(text, value);
    return text;
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

TEST(significant_digits, counts_digits_between_the_first_and_last_non_zero) {
    EXPECT_EQ(significant_digits("0"), 0);
    EXPECT_EQ(significant_digits("-0012.3400"), 4);
    EXPECT_EQ(significant_digits("1000000000000000000"), 1);
    EXPECT_EQ(significant_digits("0.000123"), 3);
    EXPECT_EQ(significant_digits("123456789012345"), 15);
    EXPECT_EQ(significant_digits("1234567890123456"), 16);
    EXPECT_EQ(significant_digits("+10.01"), 4);
}

TEST(significant_digits, rejects_what_is_not_a_plain_decimal) {
    EXPECT_EQ(significant_digits(""), -1);
    EXPECT_EQ(significant_digits("-"), -1);
    EXPECT_EQ(significant_digits("1e5"), -1);
    EXPECT_EQ(significant_digits("1.2.3"), -1);
    EXPECT_EQ(significant_digits("12,5"), -1);
    EXPECT_EQ(significant_digits(" 1"), -1);
}

namespace {

double serial_of(xlsx_date_time value) {
    double serial = -1;
    EXPECT_TRUE(excel_serial(value, serial));
    return serial;
}

bool is_excel_date(xlsx_date_time value) {
    double serial = 0;
    return excel_serial(value, serial);
}

}  // namespace

TEST(date_serials, count_days_as_excel_does_around_its_false_leap_day) {
    EXPECT_EQ(serial_of({1900, 1, 1}), 1);
    EXPECT_EQ(serial_of({1900, 2, 28}), 59);
    EXPECT_EQ(serial_of({1900, 3, 1}), 61);  // Excel has a 29 February 1900 at 60
    EXPECT_EQ(serial_of({2010, 5, 6}), 40304);
    EXPECT_EQ(serial_of({9999, 12, 31}), 2958465);
}

TEST(date_serials, keep_the_time_of_day_with_milliseconds) {
    EXPECT_EQ(serial_of({2010, 5, 6, 12, 0, 0}), 40304.5);
    EXPECT_EQ(serial_of({2010, 5, 6, 6, 0, 0}), 40304.25);
    EXPECT_DOUBLE_EQ(serial_of({2010, 5, 6, 0, 0, 0, 500}), 40304 + 0.5 / 86400);
    EXPECT_DOUBLE_EQ(serial_of({2010, 5, 6, 23, 59, 59, 999}), 40304 + 86399.999 / 86400);
}

TEST(date_serials, dates_outside_excels_calendar_have_none) {
    EXPECT_FALSE(is_excel_date({1899, 12, 31}));
    EXPECT_FALSE(is_excel_date({10000, 1, 1}));
    EXPECT_FALSE(is_excel_date({0, 0, 0, 12, 30, 0}));  // a time without a date
    EXPECT_FALSE(is_excel_date({2010, 2, 29}));
    EXPECT_FALSE(is_excel_date({2010, 13, 1}));
    EXPECT_FALSE(is_excel_date({2010, 1, 1, 24, 0, 0}));
    EXPECT_TRUE(is_excel_date({2000, 2, 29}));
}
