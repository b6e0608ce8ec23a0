// ole_date: reading the textual date forms met in databases, validity, and printing.
#include "values/ole_date.h"

#include <cstdio>
#include <string>
#include <utility>

#include "toolkit/log.h"
#include "toolkit/text.h"
#include "values/free_form_date.h"
#include "values/ole_variant.h"

namespace {

constexpr int min_date_text_length = 5;  // shorter texts are no date or time at all

// The three separators of the date-time forms, tried in this order.
constexpr const char* date_time_formats[] = {
    "%hd-%hd-%hd %hd:%hd:%63s",
    "%hd/%hd/%hd %hd:%hd:%63s",
    "%hd.%hd.%hd %hd:%hd:%63s",
};

std::uint16_t widen_year(std::uint16_t year) {
    if (year >= 100) return year;
    return static_cast<std::uint16_t>(year < 50 ? 2000 + year : 1900 + year);
}

}  // namespace

ole_date::ole_date(const ole_systemtime& time) noexcept : kind_(ole_date_kind::date_time), time_(time) {
    refine_type();
}

ole_date::ole_date(std::string_view text) { parse(text); }

ole_date::ole_date(std::u16string_view text) {
    std::string narrow;
    try {
        narrow = to_utf8(text);
    } catch (const tk_exception&) {
        TK_LOG(2, "Invalid date/time format: not a text");
        return;
    }
    parse(narrow);
}

void ole_date::parse(std::string_view input) {
    std::string text = trim(input);
    bool is_am = false;
    for (const char* marker : {"AM", "PM", "am", "pm"}) {
        const std::size_t position = text.find(marker);
        if (position != std::string::npos) {
            is_am = marker[0] == 'A' || marker[0] == 'a';
            text.resize(position);
            break;
        }
    }
    if (text.size() < min_date_text_length || !import(text)) {
        kind_ = ole_date_kind::invalid;
        TK_LOG(2, "Invalid date/time format: '%.*s'", static_cast<int>(input.size()), input.data());
        return;
    }
    // Day-first texts such as 31.12.2005 arrive with the day in the year's place.
    if ((kind_ == ole_date_kind::date_time || kind_ == ole_date_kind::date_only) && time_.day > 31 &&
        time_.year < 32) {
        std::swap(time_.year, time_.day);
    }
    const bool is_pm = input.find("PM") != std::string_view::npos || input.find("pm") != std::string_view::npos;
    if (is_pm && time_.hour < 12) time_.hour = static_cast<std::uint16_t>(time_.hour + 12);
    // 12:30 AM is half past midnight.
    if (is_am && !is_pm && time_.hour == 12) time_.hour = 0;
}

bool ole_date::import(std::string_view text) {
    return import_digits(text) || import_time(text) || import_date_time(text) || import_free_form(text);
}

// 14 digits (date and time) or 8 digits (date).
bool ole_date::import_digits(std::string_view text) {
    const std::string copy(text);
    int part[6] = {};
    time_ = {};
    if (text.size() == 14 &&
        std::sscanf(copy.c_str(), "%4d%02d%02d%02d%02d%02d", &part[0], &part[1], &part[2], &part[3], &part[4],
                    &part[5]) == 6) {
        kind_ = ole_date_kind::date_time;
    } else if (text.size() == 8 && std::sscanf(copy.c_str(), "%4d%02d%02d", &part[0], &part[1], &part[2]) == 3) {
        kind_ = ole_date_kind::date_only;
    } else {
        return false;
    }
    std::uint16_t* fields[] = {&time_.year, &time_.month, &time_.day, &time_.hour, &time_.minute, &time_.second};
    for (int i = 0; i < 6; ++i) *fields[i] = static_cast<std::uint16_t>(part[i]);
    refine_type();
    return is_valid();
}

// hh:mm[:ss[.fff]]
bool ole_date::import_time(std::string_view text) {
    const std::string copy(text);
    short hour = 0;
    short minute = 0;
    char seconds[64] = {};
    time_ = {};
    const int items = std::sscanf(copy.c_str(), "%hd:%hd:%63s", &hour, &minute, seconds);
    if (items != 3 && !(items == 2 && seconds[0] == '\0')) return false;
    time_.hour = static_cast<std::uint16_t>(hour);
    time_.minute = static_cast<std::uint16_t>(minute);
    kind_ = ole_date_kind::time_only;
    if (!is_valid()) return false;
    if (items == 3) read_seconds(seconds, time_);
    return is_valid();
}

// year-month-day hh:mm:ss with "-", "/" or "." between the date's parts, or the date alone.
bool ole_date::import_date_time(std::string_view text) {
    const std::string copy(text);
    for (int format = 0; format < 3; ++format) {
        short part[5] = {};
        char seconds[64] = {};
        time_ = {};
        const int items = std::sscanf(copy.c_str(), date_time_formats[format], &part[0], &part[1], &part[2], &part[3],
                                      &part[4], seconds);
        if (items != 3 && items != 6) continue;
        time_.year = static_cast<std::uint16_t>(part[0]);
        time_.month = static_cast<std::uint16_t>(part[1]);
        time_.day = static_cast<std::uint16_t>(part[2]);
        if (items == 3) {
            kind_ = ole_date_kind::date_only;
            refine_type();  // "0000-00-00" holds no date: it is midnight, not the year 2000
        } else {
            time_.hour = static_cast<std::uint16_t>(part[3]);
            time_.minute = static_cast<std::uint16_t>(part[4]);
            read_seconds(seconds, time_);
            kind_ = ole_date_kind::date_time;
            refine_type();
        }
        if (is_valid()) return true;
    }
    return false;
}

bool ole_date::import_free_form(std::string_view text) {
    time_ = {};
    if (!read_free_form_date(text, time_)) return false;
    kind_ = ole_date_kind::date_time;
    refine_type();
    return is_valid();
}

// Milliseconds count too: half a second past midnight is a time worth printing.
bool ole_date::is_midnight() const noexcept {
    return time_.hour == 0 && time_.minute == 0 && time_.second == 0 && time_.milliseconds == 0;
}

void ole_date::refine_type() noexcept {
    if (time_.year == 0 && time_.month == 0 && time_.day == 0) {
        kind_ = ole_date_kind::time_only;
    } else if (is_midnight() && time_.year != 0 && time_.month != 0 && time_.day != 0) {
        kind_ = ole_date_kind::date_only;
    }
}

bool ole_date::is_valid() const noexcept {
    if (kind_ == ole_date_kind::invalid) return false;
    const bool is_pure_time = time_.year == 0 && time_.month == 0 && time_.day == 0;
    if (!is_pure_time) {
        if (time_.month < 1 || time_.month > 12) {
            TK_LOG(1, "Invalid month");
            return false;
        }
        if (time_.day == 0 || time_.year == 0 || !(time_.year < 32 || time_.day < 32)) {
            TK_LOG(1, "Invalid day and/or year");
            return false;
        }
    }
    if (time_.hour > 60 || time_.minute > 60 || time_.second > 60) {
        TK_LOG(1, "Invalid time");
        return false;
    }
    return true;
}

ole_variant ole_date::to_variant() const { return ole_variant(time_); }

std::string ole_date::to_string(bool with_milliseconds) const { return format(with_milliseconds, true, true); }

std::string ole_date::to_display_string(bool with_milliseconds) const { return format(with_milliseconds, false, false); }

// Milliseconds print with three digits, so the text reads back to the same time.
std::string ole_date::format(bool with_milliseconds, bool time_prefix, bool widen_always) const {
    const unsigned year = widen_always || (time_.month != 0 && time_.day != 0) ? widen_year(time_.year) : time_.year;
    const bool has_milliseconds = with_milliseconds && time_.milliseconds != 0;
    char buffer[64];
    int length = 0;
    switch (kind_) {
    case ole_date_kind::invalid:
        return {};
    case ole_date_kind::date_time:
        if (omit_midnight_ && is_midnight()) {
            length = std::snprintf(buffer, sizeof buffer, "%04u-%02u-%02u", year, unsigned{time_.month}, unsigned{time_.day});
        } else {
            length = std::snprintf(buffer, sizeof buffer, "%04u-%02u-%02u %02u:%02u:%02u", year, unsigned{time_.month},
                                   unsigned{time_.day}, unsigned{time_.hour}, unsigned{time_.minute},
                                   unsigned{time_.second});
            if (has_milliseconds) {
                length += std::snprintf(buffer + length, sizeof buffer - length, ".%03u", unsigned{time_.milliseconds});
            }
        }
        break;
    case ole_date_kind::date_only:
        length = std::snprintf(buffer, sizeof buffer, "%04u-%02u-%02u", year, unsigned{time_.month}, unsigned{time_.day});
        break;
    case ole_date_kind::time_only:
        length = std::snprintf(buffer, sizeof buffer, "%s%02u:%02u:%02u", time_prefix ? "0000-00-00 " : "",
                               unsigned{time_.hour}, unsigned{time_.minute}, unsigned{time_.second});
        if (has_milliseconds) {
            length += std::snprintf(buffer + length, sizeof buffer - length, ".%03u", unsigned{time_.milliseconds});
        }
        break;
    }
    return std::string(buffer, static_cast<std::size_t>(length));
}
