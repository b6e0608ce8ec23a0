// The OLE date number: days since 1899-12-30, the fraction being the time of day.
#pragma once

#include "values/ole_types.h"

// Years 100..9999 with a real calendar day; milliseconds are kept in the fraction. A pure
// time (year, month and day all zero) gives the time of day on day 0. False for any other
// date or for a time past 23:59:59.
bool systemtime_to_date_number(const ole_systemtime& time, double& out) noexcept;

// The reverse, rounded to the nearest millisecond, with the day of week filled in. False
// outside 0100-01-01 .. 9999-12-31 23:59:59.999 and for NaN.
bool date_number_to_systemtime(double number, ole_systemtime& out) noexcept;
