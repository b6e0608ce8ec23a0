// The fallback reading of dates written the US English way, and the seconds-with-fraction
// reading shared by every date form.
#pragma once

#include <string_view>

#include "values/ole_types.h"

// "ss" or "ss.fff...": the whole part becomes the second, the first three fraction digits
// the milliseconds (truncated, never rounded up into the next second).
void read_seconds(std::string_view text, ole_systemtime& time) noexcept;

// The US English forms, an optional weekday name first and an optional time last:
//   12/31/2005, 12-31-2005, 2005/12/31      numbers: month first unless the year is first
//   Dec 31 2005, December 31, 2005          month name first
//   31 Dec 2005, 31-Dec-05, 2005 Dec 31     month name in the middle
// followed by hh:mm or hh:mm:ss[.fff]. Month and weekday names may be abbreviated to three
// letters and are matched ignoring case; two-digit years below 50 are 20xx, others 19xx. The
// day must exist in its month. AM/PM markers are handled by the caller. False, leaving out
// unchanged, for anything else.
bool read_free_form_date(std::string_view text, ole_systemtime& out) noexcept;
