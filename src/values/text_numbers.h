// Numbers read from and written to text the way the C library does it, but always in the
// "C" locale, whatever locale the process (or Qt) has set.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// strtoll: leading white space skipped, an optional sign, digits up to the first other
// character; saturated at the 64-bit bounds; 0 without digits.
std::int64_t read_int64(std::string_view text) noexcept;
// strtoull: as read_int64, saturated at the unsigned bound; a minus sign negates modulo 2^64.
std::uint64_t read_uint64(std::string_view text) noexcept;
// atoi: the 64-bit reading cut to 32 bits.
std::int32_t read_atoi(std::string_view text) noexcept;
// atof: the longest number at the start of a NUL-terminated text, 0 when there is none.
double read_atof(const char* text) noexcept;
// A whole text that is a plain decimal number (blanks around allowed), as the nearest double.
bool read_real(const std::string& text, double& out) noexcept;
// "%.15G" / "%.7G": the shortest of fixed and exponent notation with that many digits.
std::string general_text(double value, int significant_digits);

// The text with every "," made ".", NUL-terminated. Cell-sized texts stay on the stack, so
// reading a number from text allocates nothing.
class point_text {
public:
    explicit point_text(std::string_view text);
    point_text(const point_text&) = delete;
    point_text& operator=(const point_text&) = delete;

    std::string_view view() const noexcept { return text_; }
    const char* c_str() const noexcept { return text_.data(); }

private:
    char buffer_[128];
    std::string long_text_;
    std::string_view text_;
};
