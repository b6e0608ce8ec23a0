// Text helpers: UTF-8 <-> UTF-16 conversion, blanks, splitting and joining, and the
// case folding behind every case-insensitive name comparison.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// UTF-16 -> UTF-8. An unpaired surrogate throws tk_exception
// "Cannot convert to UTF8 string: ..." naming its position.
// Replaces out by text as UTF-8, an unpaired surrogate becoming U+FFFD; out's buffer is
// reused, so a caller converting text after text allocates only for a longer one.
void assign_utf8(std::string& out, std::u16string_view text);
std::string to_utf8(std::u16string_view text);
// UTF-8 -> UTF-16. Invalid UTF-8 throws tk_exception
// "Cannot convert to UNICODE string: ..." naming the byte offset.
std::u16string to_unicode(std::string_view text);
// The same, appended to out: a caller converting cell after cell reuses one buffer.
void append_utf16(std::u16string& out, std::string_view text);

// Appends one code point as UTF-8; a value that is no Unicode scalar value becomes U+FFFD.
void append_utf8(std::string& out, char32_t c);

// True when text is well-formed UTF-8 (no overlong forms, no surrogates, at most U+10FFFF).
bool is_valid_utf8(std::string_view text) noexcept;
// Number of UTF-16 code units the UTF-8 text needs: Excel counts its limits in those.
// text must be valid UTF-8.
std::size_t utf16_length(std::string_view text) noexcept;
// The longest prefix of valid UTF-8 text that fits in max_units UTF-16 code units, never
// splitting a character.
std::string_view utf16_prefix(std::string_view text, std::size_t max_units) noexcept;

// Removes leading and trailing U+0020 blanks only; other white space stays.
std::string trim(std::string_view text);

// Replaces every occurrence of what, left to right, resuming after each inserted text so
// that with is never searched again. An empty what is an internal assertion.
std::string& replace_all(std::string& text, std::string_view what, std::string_view with);

std::vector<std::string> split(std::string_view text, char separator);  // empty pieces kept

// Unicode simple case folding (one code point to one) in every script, for comparison.
// Invalid UTF-8 is passed through byte for byte.
std::string fold_case(std::string_view text);
bool iequals(std::string_view a, std::string_view b);
// Strict weak order of fold_case(a) < fold_case(b), for maps keyed by names.
struct iless {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
};
