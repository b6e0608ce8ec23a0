// DECIMAL text: reading and printing at the 96-bit limit, rounding, refusals. (The integer,
// double and currency conversions have no caller in the program and are not tested; the
// round trip of any text: date_parser_fuzz.)
#include "values/decimal.h"

#include <gtest/gtest.h>

#include <string>

namespace {

ole_decimal parse(const std::string& text) {
    ole_decimal value;
    EXPECT_TRUE(decimal_from_string(text, value)) << text;
    return value;
}

std::string reprint(const std::string& text) { return decimal_to_string(parse(text)); }

}  // namespace

TEST(decimal_text, prints_the_plain_decimal_form_without_trailing_zeros_and_reads_exponents) {
    EXPECT_EQ(reprint("123.45"), "123.45");
    EXPECT_EQ(reprint("-0.5"), "-0.5");
    EXPECT_EQ(reprint("1.50"), "1.5");
    EXPECT_EQ(reprint("100"), "100");
    EXPECT_EQ(reprint("100.000"), "100");
    EXPECT_EQ(reprint(".25"), "0.25");
    EXPECT_EQ(reprint("+7"), "7");
    EXPECT_EQ(reprint("  42  "), "42");
    EXPECT_EQ(reprint("-0"), "0");
    EXPECT_EQ(reprint("0.0000000000000000000000000001"), "0.0000000000000000000000000001");
    EXPECT_EQ(reprint("1.5E3"), "1500");
    EXPECT_EQ(reprint("1.5e-3"), "0.0015");
    EXPECT_EQ(reprint("25E+0"), "25");
}

TEST(decimal_text, keeps_the_largest_96_bit_value_and_refuses_one_more) {
    EXPECT_EQ(reprint("79228162514264337593543950335"), "79228162514264337593543950335");
    EXPECT_EQ(reprint("-79228162514264337593543950335"), "-79228162514264337593543950335");
    ole_decimal value = decimal_from_int64(7);
    EXPECT_FALSE(decimal_from_string("79228162514264337593543950336", value));
    EXPECT_FALSE(decimal_from_string("1E29", value));
    EXPECT_EQ(decimal_to_string(value), "7") << "a refused text leaves the value alone";
}

TEST(decimal_text, rounds_digits_beyond_96_bits_half_to_even) {
    // 29 significant digits do not all fit with a fraction: the last is rounded away.
    EXPECT_EQ(reprint("7.9228162514264337593543950335"), "7.9228162514264337593543950335");
    // 28 fraction digits would need more than 96 bits: 27 are kept and the tie rounds up
    // to the even neighbour, carrying into the integer part.
    EXPECT_EQ(reprint("9.9999999999999999999999999995"), "10");
    EXPECT_EQ(reprint("9.9999999999999999999999999985"), "9.999999999999999999999999998");
    EXPECT_EQ(reprint("0.00000000000000000000000000005"), "0");   // half of the last unit: to even (0)
    EXPECT_EQ(reprint("0.00000000000000000000000000015"), "0.0000000000000000000000000002");  // to even (2)
    EXPECT_EQ(reprint("0.000000000000000000000000000051"), "0.0000000000000000000000000001");  // above half
}

TEST(decimal_text, refuses_what_is_not_a_number) {
    ole_decimal value;
    for (const char* text : {"", " ", "abc", "1.2.3", "1,5", "--1", "1e", "1 2", "0x10", "."}) {
        EXPECT_FALSE(decimal_from_string(text, value)) << text;
    }
}
