// DECIMAL and CY arithmetic: text round trips, rounding, limits, integer and double forms.
#include "values/currency.h"
#include "values/decimal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

namespace {

ole_decimal parse(const std::string& text) {
    ole_decimal value;
    EXPECT_TRUE(decimal_from_string(text, value)) << text;
    return value;
}

std::string reprint(const std::string& text) { return decimal_to_string(parse(text)); }

// A canonical decimal text: no leading zeros, no trailing fraction zeros, "0." before a
// pure fraction, at most 29 digits in all and 28 behind the point, within 96 bits.
std::string random_decimal_text(std::mt19937_64& random) {
    std::uniform_int_distribution<int> digit(0, 9);
    std::uniform_int_distribution<int> length(1, 28);
    const int total = length(random);
    std::uniform_int_distribution<int> scale_of(0, total);
    const int scale = scale_of(random);
    std::string digits;
    for (int i = 0; i < total; ++i) digits += static_cast<char>('0' + digit(random));
    std::string integer_part = digits.substr(0, total - scale);
    std::string fraction = digits.substr(total - scale);
    while (integer_part.size() > 1 && integer_part[0] == '0') integer_part.erase(0, 1);
    if (integer_part.empty()) integer_part = "0";
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    std::string text = integer_part;
    if (!fraction.empty()) text += "." + fraction;
    if (text != "0" && random() % 2 == 0) text = "-" + text;
    return text;
}

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

TEST(decimal_text, round_trips_many_generated_values) {
    std::mt19937_64 random(20051231);
    for (int i = 0; i < 20000; ++i) {
        const std::string text = random_decimal_text(random);
        ASSERT_EQ(reprint(text), text);
    }
}

TEST(decimal_numbers, convert_exactly_to_and_from_64_bit_integers) {
    EXPECT_EQ(decimal_to_string(decimal_from_int64(INT64_MIN)), "-9223372036854775808");
    EXPECT_EQ(decimal_to_string(decimal_from_uint64(UINT64_MAX)), "18446744073709551615");
    std::int64_t signed_result = 0;
    ASSERT_TRUE(decimal_to_int64(parse("-9223372036854775808"), signed_result));
    EXPECT_EQ(signed_result, INT64_MIN);
    EXPECT_FALSE(decimal_to_int64(parse("9223372036854775808"), signed_result));
}

TEST(decimal_numbers, round_fractions_half_to_even_into_integers) {
    std::int64_t result = 0;
    ASSERT_TRUE(decimal_to_int64(parse("2.5"), result));
    EXPECT_EQ(result, 2);
    ASSERT_TRUE(decimal_to_int64(parse("3.5"), result));
    EXPECT_EQ(result, 4);
    ASSERT_TRUE(decimal_to_int64(parse("-2.51"), result));
    EXPECT_EQ(result, -3);
    ASSERT_TRUE(decimal_to_int64(parse("0.4999999999999999999999999999"), result));
    EXPECT_EQ(result, 0);
}

TEST(decimal_numbers, convert_to_the_nearest_double_and_from_15_digits) {
    EXPECT_EQ(decimal_to_double(parse("0.1")), 0.1);
    EXPECT_EQ(decimal_to_double(parse("-12345.678")), -12345.678);
    EXPECT_EQ(decimal_to_double(parse("79228162514264337593543950335")), 7.922816251426434e28);
    ole_decimal value;
    ASSERT_TRUE(decimal_from_double(0.1, value));
    EXPECT_EQ(decimal_to_string(value), "0.1");
    ASSERT_TRUE(decimal_from_double(1.0 / 3.0, value));
    EXPECT_EQ(decimal_to_string(value), "0.333333333333333");
    ASSERT_TRUE(decimal_from_double(-2.5e-5, value));
    EXPECT_EQ(decimal_to_string(value), "-0.000025");
    ASSERT_TRUE(decimal_from_double(0.1f, value, true));
    EXPECT_EQ(decimal_to_string(value), "0.1");
    EXPECT_FALSE(decimal_from_double(1e30, value));
    EXPECT_FALSE(decimal_from_double(std::nan(""), value));
    EXPECT_FALSE(decimal_from_double(INFINITY, value));
}

TEST(currency, reads_and_prints_ten_thousandths) {
    ole_currency value;
    ASSERT_TRUE(currency_from_string("12.3456", value));
    EXPECT_EQ(value.value, 123456);
    EXPECT_EQ(currency_to_string(value), "12.3456");
    ASSERT_TRUE(currency_from_string("-0.5", value));
    EXPECT_EQ(value.value, -5000);
    EXPECT_EQ(currency_to_string(value), "-0.5");
    ASSERT_TRUE(currency_from_string("1.00005", value));  // half of the last unit: to even
    EXPECT_EQ(value.value, 10000);
    ASSERT_TRUE(currency_from_string("1.00015", value));
    EXPECT_EQ(value.value, 10002);
    EXPECT_EQ(currency_to_string(ole_currency{INT64_MIN}), "-922337203685477.5808");
    EXPECT_EQ(currency_to_string(ole_currency{INT64_MAX}), "922337203685477.5807");
    EXPECT_EQ(currency_to_string(ole_currency{0}), "0");
}

TEST(currency, refuses_text_outside_its_range_and_leaves_the_value) {
    ole_currency value{77};
    EXPECT_FALSE(currency_from_string("922337203685477.5808", value));
    EXPECT_FALSE(currency_from_string("abc", value));
    EXPECT_EQ(value.value, 77);
    EXPECT_TRUE(currency_from_string("-922337203685477.5808", value));
    EXPECT_EQ(value.value, INT64_MIN);
}

TEST(currency, converts_to_and_from_integers_and_doubles) {
    std::int64_t integer = 0;
    ASSERT_TRUE(currency_to_int64(ole_currency{25000}, integer));  // 2.5 -> 2
    EXPECT_EQ(integer, 2);
    ASSERT_TRUE(currency_to_int64(ole_currency{-35000}, integer));  // -3.5 -> -4
    EXPECT_EQ(integer, -4);
    ole_currency value;
    ASSERT_TRUE(currency_from_int64(-3, value));
    EXPECT_EQ(value.value, -30000);
    EXPECT_FALSE(currency_from_int64(922337203685478, value));
    ASSERT_TRUE(currency_from_double(1.23455, value));
    EXPECT_EQ(value.value, 12346);  // 1.23455 is stored a little above the half
    EXPECT_EQ(currency_to_double(ole_currency{15000}), 1.5);
    EXPECT_FALSE(currency_from_double(1e20, value));
    EXPECT_FALSE(currency_from_double(std::nan(""), value));
}

TEST(currency, converts_to_and_from_decimal) {
    ole_decimal decimal;
    ASSERT_TRUE(currency_to_decimal(ole_currency{-123456}, decimal));
    EXPECT_EQ(decimal_to_string(decimal), "-12.3456");
    ole_currency value;
    ASSERT_TRUE(currency_from_decimal(parse("0.00025"), value));  // 2.5 ten-thousandths -> 2
    EXPECT_EQ(value.value, 2);
    EXPECT_FALSE(currency_from_decimal(parse("1000000000000000"), value));
}
