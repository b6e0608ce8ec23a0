// ole_date: the accepted text forms in their order, validity, kinds, printing, and date
// numbers. (The UTF-16 reader, the way back from a date number and the display forms have
// no caller in the program and are not tested.)
#include "values/ole_date.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "values/date_number.h"

#include "../support/record_helpers.h"

namespace {

// Year, month, day, hour, minute, second, milliseconds as one comparable text.
std::string parts(const ole_date& date) {
    const ole_systemtime& t = date.time();
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%d-%d-%d %d:%d:%d.%d", t.year, t.month, t.day, t.hour, t.minute, t.second,
                  t.milliseconds);
    return buffer;
}

}  // namespace

TEST(ole_date_parsing, reads_fourteen_and_eight_digit_forms_and_pure_times) {
    const ole_date full("20051231235959");
    ASSERT_TRUE(full.is_valid());
    EXPECT_EQ(full.kind(), ole_date_kind::date_time);
    EXPECT_EQ(parts(full), "2005-12-31 23:59:59.0");
    const ole_date date("20051231");
    ASSERT_TRUE(date.is_valid());
    EXPECT_EQ(date.kind(), ole_date_kind::date_only);
    EXPECT_EQ(parts(date), "2005-12-31 0:0:0.0");
    EXPECT_FALSE(ole_date("20051331").is_valid());  // month 13
    const ole_date time("10:20:30.25");
    ASSERT_TRUE(time.is_valid());
    EXPECT_EQ(time.kind(), ole_date_kind::time_only);
    EXPECT_EQ(parts(time), "0-0-0 10:20:30.250");
    const ole_date no_seconds("10:20");
    ASSERT_TRUE(no_seconds.is_valid());
    EXPECT_EQ(parts(no_seconds), "0-0-0 10:20:0.0");
    // Truncated, never rounded: .9999 stays within the second.
    EXPECT_EQ(parts(ole_date("10:20:30.9999")), "0-0-0 10:20:30.999");
    EXPECT_EQ(parts(ole_date("00:00:00.29")), "0-0-0 0:0:0.290");
    EXPECT_FALSE(ole_date("10:20:75").is_valid());
}

TEST(ole_date_parsing, reads_separators_day_first_dates_am_pm_and_us_english_forms_last) {
    EXPECT_EQ(parts(ole_date("2005-12-31 10:11:12")), "2005-12-31 10:11:12.0");
    EXPECT_EQ(parts(ole_date("2005/12/31 10:11:12.5")), "2005-12-31 10:11:12.500");
    EXPECT_EQ(parts(ole_date("2005.12.31 10:11:12")), "2005-12-31 10:11:12.0");
    const ole_date date_only("2005-12-31");
    EXPECT_EQ(date_only.kind(), ole_date_kind::date_only);
    EXPECT_EQ(parts(date_only), "2005-12-31 0:0:0.0");
    EXPECT_EQ(ole_date("2005-12-31 00:00:00").kind(), ole_date_kind::date_only);  // refined
    EXPECT_EQ(ole_date("0000-00-00 10:00:00").kind(), ole_date_kind::time_only);
    EXPECT_EQ(parts(ole_date("31.12.2005 10:00:00")), "2005-12-31 10:0:0.0");
    EXPECT_EQ(parts(ole_date("05.06.2005")), "2005-6-5 0:0:0.0");
    EXPECT_EQ(parts(ole_date("2005-12-31 02:00:00 pm")), "2005-12-31 14:0:0.0");
    EXPECT_EQ(parts(ole_date("2005-12-31 12:30:00 PM")), "2005-12-31 12:30:0.0");
    EXPECT_EQ(parts(ole_date("2005-12-31 12:30:00 AM")), "2005-12-31 0:30:0.0");
    EXPECT_EQ(parts(ole_date("10:15 PM")), "0-0-0 22:15:0.0");
    EXPECT_EQ(parts(ole_date("12/31/2005 10:00 PM")), "2005-12-31 22:0:0.0");
    EXPECT_EQ(parts(ole_date("Dec 31 2005")), "2005-12-31 0:0:0.0");
    EXPECT_EQ(parts(ole_date("December 31, 2005 23:59:58")), "2005-12-31 23:59:58.0");
    EXPECT_EQ(parts(ole_date("Saturday, December 31, 2005")), "2005-12-31 0:0:0.0");
    EXPECT_EQ(parts(ole_date("31-DEC-05")), "2005-12-31 0:0:0.0");
    EXPECT_EQ(parts(ole_date("Sept 1 2005")), "2005-9-1 0:0:0.0");
    EXPECT_FALSE(ole_date("Feb 30 2005").is_valid());
    EXPECT_FALSE(ole_date("Foo 12 2005").is_valid());
}

TEST(ole_date_parsing, rejects_short_and_unreadable_texts) {
    for (const char* text : {"", "    ", "1:2", "2005", "hello world", "2005-13-01", "2005-00-10", "32/32/2005",
                             "99:99:99", "2005-12-31 10:61:00"}) {
        const ole_date date(text);
        EXPECT_FALSE(date.is_valid()) << text;
        EXPECT_EQ(date.to_string(), "") << text;
    }
}

TEST(ole_date_validity, follows_the_month_day_and_time_rules) {
    EXPECT_TRUE(ole_date(make_time(2005, 12, 31, 10)).is_valid());
    EXPECT_TRUE(ole_date(make_time(0, 0, 0, 10, 20, 30)).is_valid());   // a pure time
    EXPECT_FALSE(ole_date(make_time(2005, 0, 31)).is_valid());          // no month
    EXPECT_FALSE(ole_date(make_time(2005, 13, 1)).is_valid());
    EXPECT_FALSE(ole_date(make_time(2005, 12, 0)).is_valid());          // no day
    EXPECT_FALSE(ole_date(make_time(0, 12, 31)).is_valid());            // no year
    EXPECT_FALSE(ole_date(make_time(2005, 12, 32)).is_valid());         // neither below 32
    EXPECT_FALSE(ole_date(make_time(2005, 12, 31, 61)).is_valid());
    EXPECT_TRUE(ole_date(make_time(2005, 12, 31, 23, 59, 60)).is_valid());  // leap second
    EXPECT_FALSE(ole_date().is_valid());
}

TEST(ole_date_printing, prints_canonical_forms_midnight_as_a_date_and_widens_two_digit_years) {
    EXPECT_EQ(ole_date(make_time(2005, 12, 31, 23, 59, 58)).to_string(), "2005-12-31 23:59:58");
    EXPECT_EQ(ole_date(make_time(2005, 12, 31, 23, 59, 58, 123)).to_string(), "2005-12-31 23:59:58.123");
    EXPECT_EQ(ole_date(make_time(2005, 12, 31, 23, 59, 58, 5)).to_string(), "2005-12-31 23:59:58.005");
    EXPECT_EQ(ole_date(make_time(2005, 12, 31, 23, 59, 58, 123)).to_string(false), "2005-12-31 23:59:58");
    EXPECT_EQ(ole_date(make_time(2005, 12, 31)).to_string(), "2005-12-31");
    ole_date date("20051231000000");
    EXPECT_EQ(date.to_string(), "2005-12-31");
    EXPECT_EQ(ole_date("2005-12-31 00:00:01").to_string(), "2005-12-31 00:00:01");
    // Half a second past midnight is not midnight: the milliseconds are kept.
    EXPECT_EQ(ole_date(make_time(2005, 12, 31, 0, 0, 0, 500)).kind(), ole_date_kind::date_time);
    EXPECT_EQ(ole_date(make_time(2005, 12, 31, 0, 0, 0, 500)).to_string(), "2005-12-31 00:00:00.500");
    EXPECT_EQ(ole_date(make_time(49, 1, 2)).to_string(), "2049-01-02");
    EXPECT_EQ(ole_date(make_time(50, 1, 2)).to_string(), "1950-01-02");
    EXPECT_EQ(ole_date(make_time(99, 12, 31, 10)).to_string(), "1999-12-31 10:00:00");
    EXPECT_EQ(ole_date(make_time(100, 1, 1)).to_string(), "0100-01-01");
}

// Pure times printed, and a date read into a value with its milliseconds and date number:
// ole_variant_test.cpp.
TEST(date_number, counts_days_from_the_last_day_of_1899) {
    double number = -1;
    ASSERT_TRUE(systemtime_to_date_number(make_time(1899, 12, 30), number));
    EXPECT_EQ(number, 0.0);
    ASSERT_TRUE(systemtime_to_date_number(make_time(1900, 1, 1, 12), number));
    EXPECT_EQ(number, 2.5);
    ASSERT_TRUE(systemtime_to_date_number(make_time(1899, 12, 29, 6), number));
    EXPECT_EQ(number, -1.25);  // before the epoch the time runs away from zero
    ASSERT_TRUE(systemtime_to_date_number(make_time(2005, 12, 31), number));
    EXPECT_EQ(number, 38717.0);
    // 1900 and 2100 have no 29 February, 2000 has
    ASSERT_TRUE(systemtime_to_date_number(make_time(1900, 3, 1), number));
    EXPECT_EQ(number, 61.0);
    ASSERT_TRUE(systemtime_to_date_number(make_time(2000, 2, 29), number));
    EXPECT_EQ(number, 36585.0);
    EXPECT_FALSE(systemtime_to_date_number(make_time(1900, 2, 29), number));
    EXPECT_FALSE(systemtime_to_date_number(make_time(2100, 2, 29), number));
    ASSERT_TRUE(systemtime_to_date_number(make_time(9999, 12, 31), number));
    EXPECT_EQ(number, 2958465.0);
    ASSERT_TRUE(systemtime_to_date_number(make_time(100, 1, 1), number));
    EXPECT_EQ(number, -657434.0);
    ASSERT_TRUE(systemtime_to_date_number(make_time(0, 0, 0, 18), number));
    EXPECT_EQ(number, 0.75);
    EXPECT_FALSE(systemtime_to_date_number(make_time(2005, 2, 29), number));
    EXPECT_FALSE(systemtime_to_date_number(make_time(99, 1, 1), number));
    EXPECT_FALSE(systemtime_to_date_number(make_time(2005, 1, 1, 24), number));
}
