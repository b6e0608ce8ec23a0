// Number texts, datetime parsing and SQL analysis checked directly, without a connection.
#include "oracle_errors.h"
#include "sql_statement.h"
#include "value_conversion.h"

#include <gtest/gtest.h>

using namespace ociemu;

namespace {

TEST(number_text, prints_as_oracle_without_leading_or_trailing_zeros) {
    EXPECT_EQ(format_number_text("0.5", '.'), ".5");
    EXPECT_EQ(format_number_text("-0.50", '.'), "-.5");
    EXPECT_EQ(format_number_text("-12.750", '.'), "-12.75");
    EXPECT_EQ(format_number_text("85.00", '.'), "85");
    EXPECT_EQ(format_number_text("0100", '.'), "100");
    EXPECT_EQ(format_number_text("0", '.'), "0");
    EXPECT_EQ(format_number_text("-0.0", '.'), "0");
    EXPECT_EQ(format_number_text("1999.99", ','), "1999,99");
    EXPECT_EQ(format_number_text("1.5e3", '.'), "1500");
    EXPECT_EQ(format_number_text("25E-3", '.'), ".025");
    EXPECT_EQ(format_number_text("1234567890123456789012345.0000000001", '.'), "1234567890123456789012345.0000000001");
}

TEST(number_text, doubles_keep_every_digit_that_reads_them_back) {
    EXPECT_EQ(format_real(0.1 + 0.2, '.'), ".30000000000000004");  // 15 digits would give another number
    EXPECT_EQ(format_real(0.1, '.'), ".1");
    EXPECT_EQ(format_real(2537.25, '.'), "2537.25");
    EXPECT_EQ(format_real(1e20, '.'), "100000000000000000000");
    EXPECT_EQ(format_real(-0.000125, ','), "-,000125");
    EXPECT_EQ(format_integer(-42, ','), "-42");
}

TEST(number_text, text_that_is_not_a_number_is_rejected) {
    EXPECT_FALSE(normalise_decimal("12a"));
    EXPECT_FALSE(normalise_decimal(""));
    EXPECT_FALSE(normalise_decimal("."));
    EXPECT_EQ(normalise_decimal(" 7 "), "7");
}

TEST(datetime_text, parses_dates_timestamps_fractions_and_offsets) {
    const auto date = parse_date_time("2005-12-31 23:59:58");
    ASSERT_TRUE(date);
    EXPECT_EQ(date->year, 2005);
    EXPECT_EQ(date->second, 58);
    EXPECT_EQ(date->nanosecond, 0u);
    const auto stamp = parse_date_time("2020-01-01T10:00:00.123456789 +05:30");
    ASSERT_TRUE(stamp);
    EXPECT_EQ(stamp->nanosecond, 123456789u);
    EXPECT_EQ(stamp->offset_minutes, 330);
    EXPECT_EQ(parse_date_time("2020-01-01 10:00:00.5")->nanosecond, 500000000u);
    EXPECT_EQ(parse_date_time("-0044-03-15")->year, -44);
    EXPECT_FALSE(parse_date_time("2020-13-01"));
    EXPECT_FALSE(parse_date_time("yesterday"));
    EXPECT_FALSE(parse_date_time("2020-01-01 25:00:00"));
}

TEST(datetime_text, default_display_formats_follow_oracle) {
    const date_time value = *parse_date_time("2005-12-31 23:59:58.120000 -08:00");
    EXPECT_EQ(format_date_default(value), "31-DEC-05");
    EXPECT_EQ(format_timestamp_default(value, 6), "31-DEC-05 11.59.58.120000 PM -08:00");
    date_time morning = *parse_date_time("1888-03-12 00:05:00");
    EXPECT_EQ(format_timestamp_default(morning, 0), "12-MAR-88 12.05.00 AM");
}

TEST(sql_analysis, names_select_items_as_oracle_does) {
    const auto s = analyse_statement("select count(*), ename, e.sal total, 'ab' \"Lit\", a || b, max(x) from emp e", "DEMO");
    ASSERT_EQ(s.items.size(), 6u);
    EXPECT_EQ(s.items[0].name, "COUNT(*)");
    EXPECT_EQ(s.items[0].kind, expression_class::number);
    EXPECT_EQ(s.items[1].kind, expression_class::column);
    EXPECT_EQ(s.items[2].name, "TOTAL");
    EXPECT_EQ(s.items[3].name, "Lit");
    EXPECT_EQ(s.items[3].kind, expression_class::char_literal);
    EXPECT_EQ(s.items[4].name, "A||B");
    EXPECT_EQ(s.items[4].kind, expression_class::text);
    EXPECT_EQ(s.items[5].kind, expression_class::like_argument);
    EXPECT_EQ(s.items[5].argument, "x");
    EXPECT_EQ(s.statement_type, 1);
}

TEST(sql_analysis, drops_own_and_sys_schema_qualifiers_only) {
    EXPECT_EQ(analyse_statement("select * from \"DEMO\".\"EMP\"", "DEMO").sqlite_sql, "select * from \"EMP\"");
    EXPECT_EQ(analyse_statement("select VIEW_NAME from SYS.USER_VIEWS", "DEMO").sqlite_sql, "select VIEW_NAME from USER_VIEWS");
    EXPECT_EQ(analyse_statement("select a.owner from all_tables a", "DEMO").sqlite_sql, "select a.owner from all_tables a");
    EXPECT_EQ(analyse_statement("select sysdate from dual", "DEMO").sqlite_sql, "select ociemu_sysdate() from dual");
}

TEST(sql_analysis, rejects_what_a_parser_rejects_before_running) {
    auto code_of = [](const char* sql) {
        try {
            analyse_statement(sql, "DEMO");
        } catch (const oracle_error& error) {
            return error.code();
        }
        return 0;
    };
    EXPECT_EQ(code_of("selec * from t"), 900);
    EXPECT_EQ(code_of("select 1"), 923);
    EXPECT_EQ(code_of("select * from t;"), 911);
    EXPECT_EQ(code_of("   "), 900);
    EXPECT_EQ(code_of("select * from t where a = 'x;'"), 0);
}

}  // namespace
