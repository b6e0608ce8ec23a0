// The form each value takes in a cell, the same for every format: numbers keep every
// digit, dates are serials only where all readers agree, nothing is widened or wrapped.
#include "excel/cells/cell_form.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cstdint>
#include <limits>
#include <string>

#include "values/calendar.h"
#include "values/decimal.h"
#include "values/ole_variant.h"

#include "../support/record_helpers.h"

namespace {

std::string shortest(double value) {
    char digits[400];
    return std::string(digits, std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed).ptr);
}

// "number:<value>", "text:<text>", "date:<serial>" or "empty", to compare in one line.
std::string form_of(const ole_variant& value) {
    cell_decider decider;
    const cell_form& cell = decider.decide(value);
    switch (cell.kind) {
    case cell_kind::empty: return "empty";
    case cell_kind::number: return "number:" + shortest(cell.number);
    case cell_kind::text: return "text:" + std::string(cell.text);
    case cell_kind::boolean: return cell.boolean ? "TRUE" : "FALSE";
    case cell_kind::date: return "date:" + shortest(cell.number);
    }
    return "?";
}

ole_variant decimal(const char* text) {
    ole_decimal value;
    EXPECT_TRUE(decimal_from_string(text, value)) << text;
    return ole_variant(value);
}

ole_variant date(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int ms = 0) {
    return ole_variant(make_time(year, month, day, hour, minute, second, ms));
}

}  // namespace

TEST(cell_form, numbers_with_more_than_fifteen_digits_are_their_exact_text) {
    EXPECT_EQ(form_of(ole_variant(std::int64_t{3'000'000'000})), "number:3000000000");
    EXPECT_EQ(form_of(ole_variant(std::int64_t{123'456'789'012'345})), "number:123456789012345");
    EXPECT_EQ(form_of(ole_variant(std::int64_t{9'007'199'254'740'993})), "text:9007199254740993");
    EXPECT_EQ(form_of(ole_variant(std::numeric_limits<std::int64_t>::min())), "text:-9223372036854775808");
    EXPECT_EQ(form_of(ole_variant(std::numeric_limits<std::uint64_t>::max())), "text:18446744073709551615");
    EXPECT_EQ(form_of(ole_variant(std::int64_t{1'000'000'000'000'000'000})), "number:1000000000000000000");
    EXPECT_EQ(form_of(decimal("-1234567890123.45")), "number:-1234567890123.45");
    EXPECT_EQ(form_of(decimal("12345678901234.567")), "text:12345678901234.567");
    EXPECT_EQ(form_of(decimal("0.0000000000001234567890123456")), "text:0.0000000000001234567890123456");
    EXPECT_EQ(form_of(decimal("79228162514264337593543950335")), "text:79228162514264337593543950335");
    EXPECT_EQ(form_of(ole_variant(ole_currency{922'337'203'685'477'5807})), "text:922337203685477.5807");
    // every integer width keeps its value and sign
    EXPECT_EQ(form_of(ole_variant(short{-7})), "number:-7");
    EXPECT_EQ(form_of(ole_variant(std::numeric_limits<std::int32_t>::min())), "number:-2147483648");
    EXPECT_EQ(form_of(ole_variant(static_cast<unsigned char>(200))), "number:200");
    EXPECT_EQ(form_of(ole_variant(static_cast<unsigned short>(65535))), "number:65535");
    EXPECT_EQ(form_of(ole_variant(4'294'967'295u)), "number:4294967295");
    EXPECT_EQ(form_of(ole_variant(ole_currency{-12'345'678})), "number:-1234.5678");
}

TEST(cell_form, nan_and_infinities_are_texts_and_floats_keep_their_own_digits) {
    EXPECT_EQ(form_of(ole_variant(std::numeric_limits<double>::quiet_NaN())), "text:NaN");
    EXPECT_EQ(form_of(ole_variant(std::numeric_limits<double>::infinity())), "text:Inf");
    EXPECT_EQ(form_of(ole_variant(-std::numeric_limits<float>::infinity())), "text:-Inf");
    cell_decider decider;
    EXPECT_EQ(decider.decide(ole_variant(0.1f)).number, 0.1);
    EXPECT_EQ(decider.decide(ole_variant(0.1 + 0.2)).number, 0.1 + 0.2);
}

TEST(cell_form, dates_are_serials_only_where_every_reader_agrees) {
    EXPECT_EQ(form_of(date(1900, 3, 1)), "date:61");
    EXPECT_EQ(form_of(date(2010, 5, 6, 12)), "date:40304.5");
    EXPECT_EQ(form_of(date(9999, 12, 31)), "date:2958465");
    // Excel counts a 29 February 1900 that LibreOffice does not: text, so both agree.
    EXPECT_EQ(form_of(date(1900, 2, 28)), "text:1900-02-28");
    EXPECT_EQ(form_of(date(1900, 1, 1, 6, 30)), "text:1900-01-01 06:30:00");
    EXPECT_EQ(form_of(date(1899, 12, 31)), "text:1899-12-31");
    EXPECT_EQ(form_of(date(5, 3, 1)), "text:0005-03-01");  // never widened to 2005
    EXPECT_EQ(form_of(date(99, 12, 31, 23, 59, 59, 7)), "text:0099-12-31 23:59:59.007");
    EXPECT_EQ(form_of(date(2010, 2, 29)), "text:2010-02-29");
    cell_decider decider;
    EXPECT_EQ(decider.decide(date(2010, 5, 6, 0, 0, 0, 500)).date_style, cell_date_style::date_time_ms);
    EXPECT_EQ(decider.decide(date(0, 0, 0, 18)).date_style, cell_date_style::time);
    EXPECT_EQ(decider.decide(date(0, 0, 0, 18)).number, 0.75);
    EXPECT_EQ(canonical_date_text(-44, 3, 15, 0, 0, 0, 0), "-0044-03-15");
}

TEST(cell_form, text_stays_text_whole_and_bytes_are_the_placeholder) {
    EXPECT_EQ(form_of(ole_variant("=1+1")), "text:=1+1");
    cell_decider decider;
    EXPECT_EQ(decider.decide(ole_variant(std::string("a\0b", 3))).text, std::string_view("a\0b", 3));
    ole_variant bytes;
    bytes.attach_binary(ole_variant::byte_array{1, 2});
    EXPECT_EQ(form_of(bytes), "text:<Binary Field>");
    EXPECT_EQ(form_of(ole_variant::make_null()), "empty");
    EXPECT_EQ(form_of(ole_variant(true)), "TRUE");
}
