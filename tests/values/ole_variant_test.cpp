// ole_variant: text and number forms at the type limits, reading from text and byte
// arrays. (The currency type has no caller in the program and is not tested; arbitrary text
// for every target: date_parser_fuzz.)
#include "values/ole_variant.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>

#include "values/decimal.h"

#include "../support/record_helpers.h"

namespace {

ole_decimal decimal(const char* text) {
    ole_decimal value;
    EXPECT_TRUE(decimal_from_string(text, value));
    return value;
}

ole_variant read(const char* text, vartype target) {
    ole_variant value;
    value.from_string(text, target);
    return value;
}

}  // namespace

TEST(ole_variant_construction, keeps_an_impossible_date_without_a_date_number) {
    const ole_variant value(make_time(2005, 2, 30, 10));
    ASSERT_EQ(value.get_type(), VT_DATE);
    EXPECT_FALSE(value.has_date_number());
    EXPECT_EQ(value.get_date().day, 30);
    EXPECT_EQ(value.to_string(), "2005-02-30 10:00:00");
}

TEST(ole_variant_text, keeps_every_digit_at_the_type_limits) {
    EXPECT_EQ(ole_variant(static_cast<short>(-32768)).to_string(), "-32768");
    EXPECT_EQ(ole_variant(-2147483647 - 1).to_string(), "-2147483648");
    EXPECT_EQ(ole_variant(4294967295u).to_string(), "4294967295");
    EXPECT_EQ(ole_variant(std::int64_t{INT64_MIN}).to_string(), "-9223372036854775808");
    EXPECT_EQ(ole_variant(std::uint64_t{UINT64_MAX}).to_string(), "18446744073709551615");
    EXPECT_EQ(ole_variant(1.5f).to_string(), "1.500000e+00");
    EXPECT_EQ(ole_variant(0.1).to_string(), "1.0000000000000001e-01");
    EXPECT_EQ(ole_variant(-12345.678).to_string(), "-1.2345678000000000e+04");
    EXPECT_EQ(ole_variant(decimal("-1234.5600")).to_string(), "-1234.56");
    EXPECT_EQ(ole_variant(make_time(2005, 12, 31, 0, 0, 0)).to_string(), "2005-12-31");
    EXPECT_EQ(ole_variant(make_time(0, 0, 0, 10, 20, 30)).to_string(), "0000-00-00 10:20:30");
    EXPECT_EQ(ole_variant().to_string(), "");
    EXPECT_EQ(ole_variant::make_null().to_string(), "");
}

namespace {

// A German locale (comma as the decimal mark) for this process: the installed one, or one
// compiled into a temporary folder when the system has only C.
class german_locale {
public:
    german_locale() {
        const char* const previous = std::setlocale(LC_ALL, nullptr);
        saved_ = previous ? previous : "C";
        if (std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr) return;
        folder_ = std::filesystem::temp_directory_path() / ("sprandel_locale_" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder_);
        const std::string command =
            "localedef -i de_DE -f UTF-8 '" + (folder_ / "de_DE.UTF-8").string() + "' >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0) return;
        ::setenv("LOCPATH", folder_.c_str(), 1);  // read by every setlocale call
        std::setlocale(LC_ALL, "de_DE.UTF-8");
    }
    ~german_locale() {
        std::setlocale(LC_ALL, saved_.c_str());
        ::unsetenv("LOCPATH");
        if (!folder_.empty()) std::filesystem::remove_all(folder_);
    }
    bool active() const { return std::localeconv()->decimal_point[0] == ','; }

private:
    std::string saved_;
    std::filesystem::path folder_;
};

}  // namespace

TEST(ole_variant_text, ignores_the_process_locale) {
    const german_locale locale;
    if (!locale.active()) GTEST_SKIP() << "no German locale available";
    EXPECT_EQ(ole_variant(1.5).to_string(), "1.5000000000000000e+00");
    EXPECT_EQ(ole_variant(0.25f).to_string(), "2.500000e-01");
    EXPECT_EQ(read("1,5", VT_R8).get_r8(), 1.5);
    EXPECT_EQ(read("2.5", VT_R8).get_r8(), 2.5);
}

TEST(ole_variant_text, renders_bytes_as_hexadecimal) {
    ole_variant value;
    value.attach_binary("\x0a\xff\x00", 3);
    EXPECT_EQ(value.to_string(), "0x0AFF00");
    value.attach_binary(ole_variant::byte_array{});
    EXPECT_EQ(value.get_type(), VT_BINARY);
    EXPECT_EQ(value.to_string(), "");
}

TEST(ole_variant_from_string, reads_integers_the_way_atoi_does) {
    EXPECT_EQ(read("  42abc", VT_I4).get_i4(), 42);
    EXPECT_EQ(read("abc", VT_I4).get_i4(), 0);
    EXPECT_EQ(read("-7", VT_I2).get_i2(), -7);
    EXPECT_EQ(read("70000", VT_I2).get_i2(), 4464);  // narrowed to 16 bits
    EXPECT_EQ(read("300", VT_UI1).get_ui1(), 44);
    EXPECT_EQ(read("-1", VT_UI4).get_ui4(), 4294967295u);
    EXPECT_EQ(read("-9223372036854775808", VT_I8).get_i8(), INT64_MIN);
    EXPECT_EQ(read("99999999999999999999", VT_I8).get_i8(), INT64_MAX);
    EXPECT_EQ(read("18446744073709551615", VT_UI8).get_ui8(), UINT64_MAX);
}

TEST(ole_variant_from_string, reads_floats_with_either_decimal_mark) {
    EXPECT_EQ(read("1,5", VT_R8).get_r8(), 1.5);
    EXPECT_EQ(read("-2.25e2xyz", VT_R8).get_r8(), -225.0);
    EXPECT_EQ(read("nothing", VT_R8).get_r8(), 0.0);
    EXPECT_EQ(read("0,1", VT_R4).get_r4(), 0.1f);
    const std::string long_text = std::string(200, ' ') + "2,75";  // longer than any cell number
    EXPECT_EQ(read(long_text.c_str(), VT_R8).get_r8(), 2.75);
    EXPECT_EQ(read((long_text + "E1").c_str(), VT_DECIMAL).to_string(), "27.5");
}

TEST(ole_variant_from_string, reads_decimals_or_leaves_empty) {
    EXPECT_EQ(read("123456789012345678901234.5678", VT_DECIMAL).to_string(), "123456789012345678901234.5678");
    EXPECT_EQ(read("1,25", VT_DECIMAL).to_string(), "1.25");
    EXPECT_EQ(read("1.234,56", VT_DECIMAL).get_type(), VT_EMPTY);
    EXPECT_EQ(read("abc", VT_DECIMAL).get_type(), VT_EMPTY);
    EXPECT_EQ(read("1e30", VT_DECIMAL).get_type(), VT_EMPTY);
}

TEST(ole_variant_from_string, reads_dates_and_booleans_by_word_or_number) {
    const ole_variant date = read("2005-12-31 10:11:12.5", VT_DATE);
    EXPECT_EQ(date.to_string(), "2005-12-31 10:11:12.500");
    EXPECT_EQ(date.get_date().milliseconds, 500);
    EXPECT_TRUE(date.has_date_number());
    EXPECT_EQ(read("not a date", VT_DATE).get_type(), VT_EMPTY);
    for (const char* yes : {"TRUE", "Yes", "2"}) EXPECT_TRUE(read(yes, VT_BOOL).get_bool()) << yes;
    for (const char* no : {"no", "False", "0", "maybe"}) EXPECT_FALSE(read(no, VT_BOOL).get_bool()) << no;
}

TEST(ole_variant_from_string, reads_hexadecimal_blobs) {
    const ole_variant bytes = read("0x0A0B", VT_BLOB);
    ASSERT_EQ(bytes.get_type(), VT_BINARY);
    ASSERT_EQ(bytes.get_safe_array_size(), 2u);
    EXPECT_EQ(bytes.get_bytes()[0], 10);
    EXPECT_EQ(bytes.get_bytes()[1], 11);
    EXPECT_EQ(read("ff00", VT_BLOB).to_string(), "0xFF00");
    EXPECT_EQ(read("", VT_BLOB).get_type(), VT_EMPTY);
    EXPECT_EQ(read("0x0A0", VT_BLOB).get_type(), VT_EMPTY);
    EXPECT_EQ(read("0xZZ", VT_BLOB).get_type(), VT_EMPTY);
}

TEST(ole_variant_from_string, converts_other_targets_or_throws_the_type_exception) {
    EXPECT_EQ(read("text", VT_BSTR).get_text(), "text");
    EXPECT_EQ(read(" 17 ", VT_INT).get_i4(), 17);
    EXPECT_EQ(read("4000000000", VT_UINT).get_ui4(), 4000000000u);
    ole_variant value(5);
    try {
        value.from_string("abc", VT_INT);
        FAIL() << "no exception";
    } catch (const ole_type_exception& error) {
        EXPECT_STREQ(error.what(), "The operating type is not supported yet");
        EXPECT_EQ(error.level(), tk_level_recoverable);
    }
    EXPECT_EQ(value.get_type(), VT_EMPTY);
    EXPECT_THROW(read("1", VT_LPSTR), ole_type_exception);
}
