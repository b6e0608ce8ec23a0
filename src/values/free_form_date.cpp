// The fallback reading of dates written the US English way.
#include "values/free_form_date.h"

#include <array>
#include <cstddef>
#include <cstdint>

#include "values/calendar.h"

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

constexpr std::array<std::string_view, 12> month_names = {
    "january", "february", "march", "april", "may", "june",
    "july", "august", "september", "october", "november", "december"};
constexpr std::array<std::string_view, 7> weekday_names = {
    "sunday", "monday", "tuesday", "wednesday", "thursday", "friday", "saturday"};

// A word matches a name when it is the whole name or at least its first three letters.
bool matches_name(std::string_view word, std::string_view name) {
    if (word.size() < 3 || word.size() > name.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (lower(word[i]) != name[i]) return false;
    }
    return true;
}

int month_of(std::string_view word) {
    for (std::size_t i = 0; i < month_names.size(); ++i) {
        if (matches_name(word, month_names[i])) return static_cast<int>(i) + 1;
    }
    if (word.size() == 4 && matches_name(word.substr(0, 3), "september") && lower(word[3]) == 't') return 9;  // "Sept"
    return 0;
}

bool is_weekday(std::string_view word) {
    for (const std::string_view name : weekday_names) {
        if (matches_name(word, name)) return true;
    }
    return false;
}

struct token {
    enum class kind { number, word } which;
    std::string_view text;
    long value = 0;  // numbers only
};

constexpr std::size_t max_tokens = 8;

int full_year(const token& year) {
    if (year.text.size() <= 2) return static_cast<int>(year.value < 50 ? 2000 + year.value : 1900 + year.value);
    return static_cast<int>(year.value);
}

// Splits the date part into numbers and words; separators are blanks, commas, "/", "-", ".".
bool tokenize_date(std::string_view text, token (&tokens)[max_tokens], std::size_t& count) {
    count = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const char c = text[pos];
        if (c == ' ' || c == ',' || c == '/' || c == '-' || c == '.' || c == '\t') {
            ++pos;
            continue;
        }
        if (count == max_tokens) return false;
        const std::size_t start = pos;
        if (is_digit(c)) {
            long value = 0;
            while (pos < text.size() && is_digit(text[pos]) && pos - start < 6) value = value * 10 + (text[pos++] - '0');
            if (pos < text.size() && is_digit(text[pos])) return false;
            tokens[count++] = {token::kind::number, text.substr(start, pos - start), value};
        } else if (is_letter(c)) {
            while (pos < text.size() && is_letter(text[pos])) ++pos;
            tokens[count++] = {token::kind::word, text.substr(start, pos - start), 0};
        } else {
            return false;
        }
    }
    return true;
}

// year, month, day from the date's tokens (a weekday name already dropped).
bool read_date_tokens(const token* tokens, std::size_t count, int& year, int& month, int& day) {
    if (count != 3) return false;
    const auto is_number = [&](std::size_t i) { return tokens[i].which == token::kind::number; };
    const auto year_first = tokens[0].text.size() >= 3 || tokens[0].value > 31;
    if (is_number(0) && is_number(1) && is_number(2)) {
        if (year_first) {
            year = full_year(tokens[0]), month = static_cast<int>(tokens[1].value), day = static_cast<int>(tokens[2].value);
        } else {  // US order: month, day, year
            month = static_cast<int>(tokens[0].value), day = static_cast<int>(tokens[1].value), year = full_year(tokens[2]);
        }
        return true;
    }
    if (!is_number(0) && is_number(1) && is_number(2)) {  // Dec 31 2005
        month = month_of(tokens[0].text), day = static_cast<int>(tokens[1].value), year = full_year(tokens[2]);
        return month != 0;
    }
    if (is_number(0) && !is_number(1) && is_number(2)) {  // 31 Dec 2005, 2005 Dec 31
        month = month_of(tokens[1].text);
        if (year_first) {
            year = full_year(tokens[0]), day = static_cast<int>(tokens[2].value);
        } else {
            day = static_cast<int>(tokens[0].value), year = full_year(tokens[2]);
        }
        return month != 0;
    }
    return false;
}

// hh:mm or hh:mm:ss[.fff], nothing else.
bool read_time(std::string_view text, ole_systemtime& time) {
    std::size_t pos = 0;
    int parts[2] = {};
    for (int i = 0; i < 2; ++i) {
        const std::size_t start = pos;
        while (pos < text.size() && is_digit(text[pos]) && pos - start < 2) parts[i] = parts[i] * 10 + (text[pos++] - '0');
        if (pos == start) return false;
        if (i == 0) {
            if (pos == text.size() || text[pos] != ':') return false;
            ++pos;
        }
    }
    ole_systemtime result = time;
    result.hour = static_cast<std::uint16_t>(parts[0]);
    result.minute = static_cast<std::uint16_t>(parts[1]);
    result.second = 0;
    result.milliseconds = 0;
    if (pos < text.size()) {
        if (text[pos] != ':') return false;
        const std::string_view seconds = text.substr(pos + 1);
        if (seconds.empty() || !is_digit(seconds[0])) return false;
        std::size_t end = 0;
        while (end < seconds.size() && is_digit(seconds[end])) ++end;
        if (end < seconds.size() && seconds[end] == '.') {
            ++end;
            while (end < seconds.size() && is_digit(seconds[end])) ++end;
        }
        if (end != seconds.size() || end > 12) return false;
        read_seconds(seconds, result);
    }
    if (result.hour > 23 || result.minute > 59 || result.second > 59) return false;
    time = result;
    return true;
}

}  // namespace

void read_seconds(std::string_view text, ole_systemtime& time) noexcept {
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
    long whole = 0;
    for (; pos < text.size() && is_digit(text[pos]); ++pos) {
        if (whole < 100000) whole = whole * 10 + (text[pos] - '0');
    }
    int milliseconds = 0;
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        for (int scale = 100; scale > 0 && pos < text.size() && is_digit(text[pos]); scale /= 10, ++pos) {
            milliseconds += (text[pos] - '0') * scale;
        }
    }
    // A negative second can only be invalid; it is kept as such.
    time.second = static_cast<std::uint16_t>(negative ? -whole : whole);
    time.milliseconds = static_cast<std::uint16_t>(negative ? 0 : milliseconds);
}

bool read_free_form_date(std::string_view text, ole_systemtime& out) noexcept {
    // The time, if any, is the last blank-separated piece holding a colon.
    std::string_view date_part = text;
    std::string_view time_part;
    const std::size_t colon = text.find(':');
    if (colon != std::string_view::npos) {
        const std::size_t blank = text.rfind(' ', colon);
        if (blank == std::string_view::npos) return false;  // a pure time is read elsewhere
        date_part = text.substr(0, blank);
        time_part = text.substr(blank + 1);
        while (!time_part.empty() && time_part.back() == ' ') time_part.remove_suffix(1);
    }
    token tokens[max_tokens];
    std::size_t count = 0;
    if (!tokenize_date(date_part, tokens, count)) return false;
    std::size_t first = 0;
    if (count > 0 && tokens[0].which == token::kind::word && is_weekday(tokens[0].text) && month_of(tokens[0].text) == 0) {
        first = 1;
    }
    int year = 0;
    int month = 0;
    int day = 0;
    if (!read_date_tokens(tokens + first, count - first, year, month, day)) return false;
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > days_in_month(year, month)) return false;
    ole_systemtime result;
    result.year = static_cast<std::uint16_t>(year);
    result.month = static_cast<std::uint16_t>(month);
    result.day = static_cast<std::uint16_t>(day);
    if (!time_part.empty() && !read_time(time_part, result)) return false;
    out = result;
    return true;
}
