// Number texts in Oracle's default format, date and timestamp parsing and display, hexadecimal.
#include "value_conversion.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace ociemu {
namespace {

bool read_digits(std::string_view text, std::size_t& at, std::size_t count, int& value) {
    if (at + count > text.size()) return false;
    value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const char c = text[at + i];
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
        value = value * 10 + (c - '0');
    }
    at += count;
    return true;
}

bool expect(std::string_view text, std::size_t& at, char c) {
    if (at >= text.size() || text[at] != c) return false;
    ++at;
    return true;
}

bool read_time_part(std::string_view text, std::size_t& at, date_time& out) {
    if (!read_digits(text, at, 2, out.hour) || !expect(text, at, ':') || !read_digits(text, at, 2, out.minute))
        return false;
    if (at < text.size() && text[at] == ':' && !(++at, read_digits(text, at, 2, out.second))) return false;
    if (at < text.size() && text[at] == '.') {
        ++at;
        std::uint32_t fraction = 0;
        int digits = 0;
        while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) {
            if (digits < 9) {
                fraction = fraction * 10 + static_cast<std::uint32_t>(text[at] - '0');
                ++digits;
            }
            ++at;
        }
        if (digits == 0) return false;
        while (digits++ < 9) fraction *= 10;
        out.nanosecond = fraction;
    }
    return out.hour < 24 && out.minute < 60 && out.second < 60;
}

bool read_offset(std::string_view text, std::size_t& at, date_time& out) {
    while (at < text.size() && text[at] == ' ') ++at;
    if (at >= text.size()) return true;
    if (text[at] == 'Z') { out.offset_minutes = 0; return ++at == text.size(); }
    if (text[at] != '+' && text[at] != '-') return false;
    const int sign = text[at++] == '-' ? -1 : 1;
    int hours = 0, minutes = 0;
    if (!read_digits(text, at, 2, hours) || !expect(text, at, ':') || !read_digits(text, at, 2, minutes)) return false;
    out.offset_minutes = sign * (hours * 60 + minutes);
    return at == text.size();
}

const char* month_abbreviation(int month) {
    static const char* const names[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                        "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    return names[(month - 1) % 12];
}

}  // namespace

std::optional<std::string> normalise_decimal(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && text[at] == ' ') ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
    std::string integer_digits, fraction_digits;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) integer_digits += text[at++];
    if (at < text.size() && text[at] == '.') {
        ++at;
        while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) fraction_digits += text[at++];
    }
    if (integer_digits.empty() && fraction_digits.empty()) return std::nullopt;
    long exponent = 0;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        ++at;
        const std::string rest(text.substr(at));
        std::size_t used = 0;
        try { exponent = std::stol(rest, &used); } catch (...) { return std::nullopt; }
        at += used;
    }
    while (at < text.size() && text[at] == ' ') ++at;
    if (at != text.size()) return std::nullopt;
    // Shift the decimal point by the exponent over the digit string.
    std::string digits = integer_digits + fraction_digits;
    long point = static_cast<long>(integer_digits.size()) + exponent;
    if (point < 0) { digits.insert(0, static_cast<std::size_t>(-point), '0'); point = 0; }
    if (point > static_cast<long>(digits.size())) digits.append(static_cast<std::size_t>(point) - digits.size(), '0');
    std::string whole = digits.substr(0, static_cast<std::size_t>(point));
    std::string fraction = digits.substr(static_cast<std::size_t>(point));
    const auto first = whole.find_first_not_of('0');
    whole = first == std::string::npos ? std::string() : whole.substr(first);
    const auto last = fraction.find_last_not_of('0');
    fraction = last == std::string::npos ? std::string() : fraction.substr(0, last + 1);
    if (whole.empty() && fraction.empty()) return std::string("0");
    std::string out = negative ? "-" : "";
    out += whole;
    if (!fraction.empty()) out += "." + fraction;
    return out;
}

std::string format_number_text(std::string_view decimal_text, char separator) {
    std::string out = normalise_decimal(decimal_text).value_or(std::string(decimal_text));
    if (separator != '.')
        if (const auto point = out.find('.'); point != std::string::npos) out[point] = separator;
    return out;
}

std::string format_integer(long long value, char) {
    return std::to_string(value);  // already Oracle's form; no decimal character to place
}

std::string format_real(double value, char separator) {
    if (std::isnan(value)) return "Nan";
    if (std::isinf(value)) return value > 0 ? "Inf" : "-Inf";
    // The shortest text that reads back as the same double (up to 17 digits), as the
    // server prints a binary float: fewer digits would hand the client another number.
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return format_number_text(std::string_view(buffer, static_cast<std::size_t>(end - buffer)), separator);
}

std::optional<date_time> parse_date_time(std::string_view text) {
    date_time out;
    std::size_t at = 0;
    const bool before_christ = !text.empty() && text[0] == '-';
    if (before_christ) ++at;
    if (!read_digits(text, at, 4, out.year) || !expect(text, at, '-') || !read_digits(text, at, 2, out.month) ||
        !expect(text, at, '-') || !read_digits(text, at, 2, out.day))
        return std::nullopt;
    if (out.month < 1 || out.month > 12 || out.day < 1 || out.day > 31) return std::nullopt;
    if (before_christ) out.year = -out.year;
    if (at < text.size() && (text[at] == ' ' || text[at] == 'T')) {
        ++at;
        if (!read_time_part(text, at, out)) return std::nullopt;
    }
    if (!read_offset(text, at, out)) return std::nullopt;
    return out;
}

std::string format_date_default(const date_time& value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02d-%s-%02d", value.day, month_abbreviation(value.month),
                  std::abs(value.year) % 100);
    return buffer;
}

std::string format_timestamp_default(const date_time& value, int fraction_digits) {
    const int hour12 = value.hour % 12 == 0 ? 12 : value.hour % 12;
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%s %02d.%02d.%02d", format_date_default(value).c_str(), hour12,
                  value.minute, value.second);
    std::string out = buffer;
    if (fraction_digits > 0) {
        char fraction[16];
        std::snprintf(fraction, sizeof fraction, "%09u", value.nanosecond);
        out += '.';
        out.append(fraction, static_cast<std::size_t>(fraction_digits > 9 ? 9 : fraction_digits));
    }
    out += value.hour < 12 ? " AM" : " PM";
    if (value.offset_minutes) {
        const int minutes = *value.offset_minutes;
        std::snprintf(buffer, sizeof buffer, " %c%02d:%02d", minutes < 0 ? '-' : '+', std::abs(minutes) / 60,
                      std::abs(minutes) % 60);
        out += buffer;
    }
    return out;
}

std::string to_hex(const std::vector<std::uint8_t>& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const auto byte : bytes) {
        out += digits[byte >> 4];
        out += digits[byte & 0x0F];
    }
    return out;
}

}  // namespace ociemu
