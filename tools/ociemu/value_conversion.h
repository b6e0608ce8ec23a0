// Conversions of stored SQLite values into what Oracle hands a client: number texts, dates, hex.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ociemu {

// Oracle's default NUMBER-to-text form: ".5", "-12.75", "100", no trailing zeros, `separator`
// as the decimal character. `decimal_text` is a plain decimal such as "0012.50" or "-3e2".
std::string format_number_text(std::string_view decimal_text, char separator);
std::string format_integer(long long value, char separator);
std::string format_real(double value, char separator);

// A stored value read as an exact decimal text; nullopt when it is not a number.
std::optional<std::string> normalise_decimal(std::string_view text);

struct date_time {
    int year = 1;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    std::uint32_t nanosecond = 0;
    std::optional<int> offset_minutes;  // for the time-zone kinds
};

// Reads 'YYYY-MM-DD[ HH:MI:SS[.F...]][ +HH:MM]' (a 'T' may replace the blank; a leading '-'
// marks a year before Christ). Nullopt when the text is not such a value.
std::optional<date_time> parse_date_time(std::string_view text);

// Oracle's default display forms, as a client without NLS settings shows them:
// DD-MON-RR and DD-MON-RR HH.MI.SSXFF AM (plus " +05:00" for the zone kinds).
std::string format_date_default(const date_time& value);
std::string format_timestamp_default(const date_time& value, int fraction_digits);

std::string to_hex(const std::vector<std::uint8_t>& bytes);

}  // namespace ociemu
