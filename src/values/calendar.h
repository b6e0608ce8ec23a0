// The one calendar of this system: the proleptic Gregorian calendar that date values,
// date texts and worksheet serial numbers all count in.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

bool is_leap_year(int year) noexcept;
// Days of a month 1..12 of the year.
int days_in_month(int year, int month) noexcept;
// Days from 1970-01-01 to the date; negative before it. Any year, also 0 and below.
std::int64_t days_from_civil(int year, int month, int day) noexcept;
// The reverse: the date that lies days after 1970-01-01.
void civil_from_days(std::int64_t days, int& year, int& month, int& day) noexcept;

// "YYYY-MM-DD", followed by " hh:mm:ss" unless the time is midnight and by ".mmm" when
// there are milliseconds: the canonical text of a date value. The year is printed as it
// is, never widened ("0005-03-01"); a year before 1 keeps its sign ("-0044-03-15"), as the
// server prints it.
std::string canonical_date_text(int year, int month, int day, int hour, int minute, int second,
                                int millisecond);
// The same text written into text, for code that must not allocate per value.
std::string_view canonical_date_text(char (&text)[48], int year, int month, int day, int hour, int minute,
                                     int second, int millisecond) noexcept;
